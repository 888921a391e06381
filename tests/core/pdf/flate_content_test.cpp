#include "core/pdf/flate_content.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "core/platform/text_file_writer.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::readBytes;
using testing::TempDir;

// One stream object as the file holds it.
struct StreamSeen {
    std::uint64_t number = 0;
    std::string data;  // decoded
    bool compressed = false;
    bool lengthElsewhere = false;
};

std::string inflated(const std::string& packed) {
    std::string out(1 << 20, '\0');
    uLongf size = out.size();
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(out.data()), &size,
                         reinterpret_cast<const Bytef*>(packed.data()), packed.size()),
              Z_OK);
    out.resize(size);
    return out;
}

std::uint64_t numberAt(const std::string& file, std::size_t at) {
    return std::stoull(file.substr(at, file.find(' ', at) - at));
}

// Reads the stream object that starts at `at` (its length taken from the
// object it names when indirect, found through offsetOf).
StreamSeen streamAt(const std::string& file, std::size_t at, const FlateContent& flate) {
    StreamSeen seen;
    seen.number = numberAt(file, at);
    const std::size_t dictionary = file.find("<< /Length ", at) + 11;
    const std::size_t dataStart = file.find("stream\r\n", dictionary) + 8;
    std::uint64_t length = numberAt(file, dictionary);
    const std::string entries = file.substr(dictionary, dataStart - dictionary);
    if (entries.find(" 0 R") != std::string::npos) {
        seen.lengthElsewhere = true;
        const std::size_t lengthObject = *flate.offsetOf(length);
        EXPECT_EQ(numberAt(file, lengthObject), length);
        length = std::stoull(file.substr(file.find("\r\n", lengthObject) + 2));
    }
    seen.compressed = entries.find("/Filter /FlateDecode") != std::string::npos;
    seen.data = file.substr(dataStart, length);
    if (seen.compressed) seen.data = inflated(seen.data);
    const std::size_t after = dataStart + length;
    EXPECT_EQ(file.find("endstream", after), file.find_first_not_of("\r\n", after))
        << "only a line end between the data and endstream";
    return seen;
}

// The streams that give a page's content: the object itself, or the
// streams its array names, in order.
std::vector<StreamSeen> contentOf(const std::string& file, std::uint64_t number,
                                  std::size_t expectedAt, const FlateContent& flate) {
    const std::size_t at = flate.offsetOf(number).value_or(expectedAt);
    EXPECT_EQ(numberAt(file, at), number);
    const std::size_t body = file.find("\r\n", at) + 2;
    if (file[body] != '[') return {streamAt(file, at, flate)};
    std::vector<StreamSeen> parts;
    for (std::size_t ref = body + 1; file[ref] != ']'; ref = file.find(" 0 R ", ref) + 5) {
        const std::uint64_t part = numberAt(file, ref);
        parts.push_back(streamAt(file, *flate.offsetOf(part), flate));
        EXPECT_EQ(parts.back().number, part);
    }
    return parts;
}

std::string randomContent(std::mt19937& random, int lines) {
    std::string content = "\r\nBT\r\n/F1 12 Tf";
    for (int i = 0; i < lines; ++i) {
        content += "\r\n(";
        // Mostly short lines, some longer than a part; a CR may end one.
        const std::size_t length = random() % 8 == 0 ? 170 + random() % 200 : random() % 30;
        for (std::size_t k = 0; k < length; ++k) content += "ab cd\r"[random() % 6];
        content += ")'";
    }
    return content + "\r\nET\r\n";
}

// Pages of random lines (some longer than a part), handed in pieces of
// random sizes: each page's streams, decoded and read in order, give its
// content exactly; every part but a long line's is at most the part size
// and ends where a line does; a long line's part holds that one line,
// uncompressed, its length in an object after it; and every object stands
// where offsetOf says.
TEST(FlateContent, PagesCutIntoPartsGiveTheirContentBackExactly) {
    constexpr std::size_t kPart = 160;
    TempDir dir;
    std::mt19937 random(8);
    std::vector<std::string> contents;
    for (int page = 0; page < 30; ++page)
        contents.push_back(randomContent(random, static_cast<int>(random() % 40)));
    contents.push_back("\r\nBT\r\nET\r\n");  // short: stays as it is

    std::vector<std::size_t> starts;
    FlateContent flate(100, kPart);
    TextFileWriter out(dir.file("content.bin"));
    for (std::size_t page = 0; page < contents.size(); ++page) {
        starts.push_back(out.position());
        flate.writeContentObject(out, 1 + page, [&](const TakeContent& take) {
            for (std::size_t at = 0; at < contents[page].size();) {
                const std::size_t piece = 1 + random() % 7;
                take(std::string_view(contents[page]).substr(at, piece));
                at += piece;
            }
        });
    }
    out.commit();
    const std::string file = readBytes(dir.file("content.bin"));

    bool sawParts = false, sawLongLine = false, sawCompressed = false;
    for (std::size_t page = 0; page < contents.size(); ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        const std::vector<StreamSeen> streams = contentOf(file, 1 + page, starts[page], flate);
        std::string joined;
        for (const StreamSeen& part : streams) {
            joined += part.data;
            sawCompressed |= part.compressed;
            if (streams.size() == 1) continue;
            sawParts = true;
            if (part.lengthElsewhere) {
                sawLongLine = true;
                EXPECT_FALSE(part.compressed);
                EXPECT_GT(part.data.size(), kPart);
                EXPECT_EQ(part.data.find("\r\n", 1), std::string::npos) << "one line";
            } else {
                EXPECT_LE(part.data.size(), kPart);
            }
            if (&part != &streams.front()) {
                EXPECT_EQ(part.data.substr(0, 2), "\r\n") << "parts are cut where a line ends";
            }
        }
        EXPECT_EQ(joined, contents[page].substr(2));
    }
    EXPECT_TRUE(sawParts);
    EXPECT_TRUE(sawLongLine);
    EXPECT_TRUE(sawCompressed);
    // The short page is written exactly as without compression.
    const std::string lastPage = file.substr(starts.back());
    EXPECT_EQ(lastPage.substr(0, lastPage.find("endobj")),
              "31 0 obj\r\n<< /Length 8 >>\r\nstream\r\nBT\r\nET\r\nendstream\r\n");
}

}  // namespace
}  // namespace leafwright
