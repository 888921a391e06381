// FlateDecode data given whole is decoded as the same data fed in small
// pieces: the same bytes, in pieces of at most 64 KB, and the same failure
// with the same words, whatever kind of deflate data it is; zlib made it.
#include <gtest/gtest.h>
#include <zlib.h>

#include <optional>
#include <random>
#include <string>

#include "core/compression/inflater.h"
#include "core/deflate/whole_inflater.h"
#include "core/plustools/pdf_builder.h"
#include "core/plustools/stream_decoder.h"

namespace leafwright {
namespace {

using testing::pngPredicted;
using testing::zlibCompress;

// Deflate data as deflateInit2 makes it: windowBits 8 to 15 with a zlib
// header, negative for bare data; with a preset dictionary when one is given.
std::string deflated(const std::string& text, int windowBits, const std::string& dictionary = {}) {
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, 6, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY), Z_OK);
    if (!dictionary.empty())
        deflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(dictionary.data()),
                             static_cast<uInt>(dictionary.size()));
    std::string out(deflateBound(&stream, static_cast<uLong>(text.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    stream.avail_in = static_cast<uInt>(text.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

struct Decoded {
    std::string bytes;
    std::size_t largestPiece = 0;
    std::optional<std::string> failure;
};

Decoded decode(const StreamEncoding& encoding, const std::string& data, WholeInflater* whole) {
    Decoded decoded;
    StreamDecoder decoder(
        encoding,
        [&](std::string_view piece) {
            decoded.bytes += piece;
            decoded.largestPiece = std::max(decoded.largestPiece, piece.size());
        },
        whole);
    try {
        if (whole) {
            EXPECT_TRUE(decoder.takesWhole(data.size()));
            decoder.decodeWhole(data);
        } else {
            for (std::size_t at = 0; at < data.size(); at += 7)
                if (!decoder.feed(std::string_view(data).substr(at, 7))) break;
            decoder.finish();
        }
    } catch (const CompressedDataError& error) {
        decoded.failure = error.what();
    }
    return decoded;
}

std::string text(std::mt19937& random, std::size_t bytes) {
    static const char* const words[] = {"BT", "(a line)", "Tj",  "T*",
                                        "ET", "0 -14 Td", "\\(", "\n"};
    std::string out;
    while (out.size() < bytes) out += std::string(words[random() % 8]) + ' ';
    out.resize(bytes);
    return out;
}

TEST(WholeStreamDecoding, GivesWhatPiecesGiveForEveryKindOfData) {
    std::mt19937 random(41);
    WholeInflater whole(1 << 20);
    StreamEncoding flate;
    flate.kind = StreamEncoding::Kind::Flate;
    const std::string large = text(random, 300000);
    const std::string page = text(random, 5000);
    struct Case {
        const char* what;
        std::string data;
        std::string inflated;  // when it inflates
        bool whole;            // whether the whole inflater takes it
    };
    std::vector<Case> cases = {
        {"a page", zlibCompress(page), page, true},
        {"pieces of at most 64 KB", zlibCompress(large, 9), large, true},
        {"nothing", zlibCompress(""), "", true},
        {"bytes after its end", zlibCompress(page) + "\r\n  junk", page, true},
        {"too large for the room", zlibCompress(std::string(3 << 20, 'x')),
         std::string(3 << 20, 'x'), false},
        {"a small window", deflated(large, 9), large, false},
        {"bare deflate data", deflated(page, -15), page, false},
        {"a preset dictionary", deflated(page, 15, "BT ET Tj"), "", false},
    };
    std::string corrupt = zlibCompress(large);
    corrupt[corrupt.size() / 2] = static_cast<char>(corrupt[corrupt.size() / 2] ^ 0x21);
    cases.push_back({"corrupt", corrupt, "", false});
    std::string badSum = zlibCompress(page);
    badSum.back() = static_cast<char>(badSum.back() ^ 1);
    cases.push_back({"a wrong checksum", badSum, "", false});
    const std::string full = zlibCompress(large);
    cases.push_back({"cut short", full.substr(0, full.size() - 9), "", false});
    cases.push_back({"one byte", full.substr(0, 1), "", false});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(whole.inflate(c.data).has_value(), c.whole);
        const Decoded atOnce = decode(flate, c.data, &whole);
        const Decoded inPieces = decode(flate, c.data, nullptr);
        // What comes before a failure depends on the pieces fed (the file
        // fails whole): only the words of the failure must agree.
        EXPECT_EQ(atOnce.failure, inPieces.failure);
        EXPECT_LE(atOnce.largestPiece, Inflater::kPieceSize);
        if (!c.inflated.empty() || !inPieces.failure) {
            EXPECT_FALSE(inPieces.failure) << *inPieces.failure;
            EXPECT_EQ(atOnce.bytes, inPieces.bytes);
            EXPECT_EQ(atOnce.bytes, c.inflated);
        }
    }

    // With a PNG predictor the rows are undone after inflating, alike.
    StreamEncoding predicted = flate;
    predicted.predictor = 12;
    predicted.rowBytes = 9;
    const std::string rows = zlibCompress(pngPredicted(page, 9));
    const Decoded atOnce = decode(predicted, rows, &whole);
    EXPECT_FALSE(atOnce.failure);
    EXPECT_EQ(atOnce.bytes.substr(0, page.size()), page);
    EXPECT_EQ(atOnce.bytes, decode(predicted, rows, nullptr).bytes);

    // Only FlateDecode streams of at most a megabyte are taken whole.
    StreamDecoder flateDecoder(
        flate, [](std::string_view) {}, &whole);
    EXPECT_TRUE(flateDecoder.takesWhole(StreamDecoder::kMostWholeBytes));
    EXPECT_FALSE(flateDecoder.takesWhole(StreamDecoder::kMostWholeBytes + 1));
    EXPECT_FALSE(StreamDecoder(flate, [](std::string_view) {}).takesWhole(10));
    EXPECT_FALSE(StreamDecoder(
                     StreamEncoding{}, [](std::string_view) {}, &whole)
                     .takesWhole(10));
}

}  // namespace
}  // namespace leafwright
