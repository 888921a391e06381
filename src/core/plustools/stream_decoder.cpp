#include "core/plustools/stream_decoder.h"

#include <optional>

#include "core/compression/inflater.h"
#include "core/deflate/whole_inflater.h"
#include "core/plustools/pdf_characters.h"
#include "core/plustools/png_predictor.h"

namespace leafwright {

namespace {

// A predictor row longer than this (a width no content stream has) is not
// read, so that a hostile /Columns cannot claim the memory.
constexpr std::int64_t kMaxRowBytes = 1 << 20;

std::int64_t integerEntry(const PdfObject& parameters, std::string_view key, std::int64_t fallback,
                          const PdfResolver& resolve) {
    const PdfObject* entry = parameters.find(key);
    if (entry == nullptr) return fallback;
    return resolve(*entry).integerValue().value_or(fallback);
}

// The predictor of FlateDecode's parameters, into the encoding.
void readPredictor(const PdfObject& parameters, const PdfResolver& resolve,
                   StreamEncoding& encoding) {
    const std::int64_t predictor = integerEntry(parameters, "Predictor", 1, resolve);
    if (predictor == 1) return;
    const std::int64_t colors = integerEntry(parameters, "Colors", 1, resolve);
    const std::int64_t bits = integerEntry(parameters, "BitsPerComponent", 8, resolve);
    const std::int64_t columns = integerEntry(parameters, "Columns", 1, resolve);
    const bool sane = colors >= 1 && colors <= 32 && columns >= 1 && columns <= kMaxRowBytes &&
                      (bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16);
    const std::int64_t rowBytes = sane ? (colors * bits * columns + 7) / 8 : 0;
    if (!sane || rowBytes > kMaxRowBytes || (predictor == 2 && bits != 8) ||
        (predictor != 2 && (predictor < 10 || predictor > 15))) {
        encoding.kind = StreamEncoding::Kind::Unreadable;
        encoding.unreadable = "the FlateDecode filter with predictor " + std::to_string(predictor);
        return;
    }
    encoding.predictor = static_cast<int>(predictor);
    encoding.rowBytes = static_cast<std::size_t>(rowBytes);
    encoding.pixelBytes = static_cast<std::size_t>(std::max<std::int64_t>(1, colors * bits / 8));
}

}  // namespace

StreamEncoding streamEncodingOf(const PdfObject& dictionary, const PdfResolver& resolve) {
    StreamEncoding encoding;
    const PdfObject* filterEntry = dictionary.find("Filter");
    if (filterEntry == nullptr) return encoding;
    PdfObject filter = resolve(*filterEntry);
    PdfObject parameters;
    if (const PdfObject* entry = dictionary.find("DecodeParms")) parameters = resolve(*entry);
    if (filter.isArray()) {
        if (filter.items().empty()) return encoding;
        if (filter.items().size() > 1) {
            std::string names;
            for (const PdfObject& item : filter.items())
                names += (names.empty() ? "" : " and ") + resolve(item).text();
            encoding.kind = StreamEncoding::Kind::Unreadable;
            encoding.unreadable = "the filters " + names;
            return encoding;
        }
        filter = resolve(filter.items().front());
        if (parameters.isArray())
            parameters = parameters.items().empty() ? PdfObject() : resolve(parameters.items()[0]);
    }
    const std::string& name = filter.text();
    if (filter.isName("FlateDecode") || filter.isName("Fl")) {
        encoding.kind = StreamEncoding::Kind::Flate;
        if (parameters.isDictionary()) readPredictor(parameters, resolve, encoding);
    } else if (filter.isName("ASCIIHexDecode") || filter.isName("AHx")) {
        encoding.kind = StreamEncoding::Kind::AsciiHex;
    } else {
        encoding.kind = StreamEncoding::Kind::Unreadable;
        encoding.unreadable =
            filter.isName() ? "the " + name + " filter" : "a filter it does not name";
    }
    return encoding;
}

StreamDecoder::StreamDecoder(const StreamEncoding& encoding, Output out, WholeInflater* whole)
    : kind_(encoding.kind), out_(std::move(out)), whole_(whole) {
    if (encoding.predictor != 1)
        predictor_ = std::make_unique<PredictorDecoder>(
            encoding.predictor >= 10, encoding.rowBytes, encoding.pixelBytes,
            [this](std::string_view rows) { out_(rows); });
}

StreamDecoder::~StreamDecoder() = default;

void StreamDecoder::decoded(std::string_view bytes) {
    if (predictor_) {
        predictor_->feed(bytes);
    } else {
        out_(bytes);
    }
}

bool StreamDecoder::feed(std::string_view bytes) {
    if (ended_) return false;
    switch (kind_) {
        case StreamEncoding::Kind::Plain:
            decoded(bytes);
            return true;
        case StreamEncoding::Kind::Flate:
            if (!inflater_) inflater_ = std::make_unique<Inflater>();
            inflater_->feed(bytes, [this](std::string_view piece) { decoded(piece); });
            ended_ = inflater_->ended();
            return !ended_;
        case StreamEncoding::Kind::AsciiHex:
            hexOut_.clear();
            for (char c : bytes) {
                if (c == '>') {
                    ended_ = true;
                    break;
                }
                const int digit = hexDigitValue(static_cast<unsigned char>(c));
                if (digit < 0) {
                    if (isPdfWhiteSpace(static_cast<unsigned char>(c))) continue;
                    throw CompressedDataError("a byte that is no hex digit");
                }
                if (hexHigh_ < 0) {
                    hexHigh_ = digit;
                } else {
                    hexOut_ += static_cast<char>((hexHigh_ << 4) | digit);
                    hexHigh_ = -1;
                }
            }
            decoded(hexOut_);
            return !ended_;
        case StreamEncoding::Kind::Unreadable:
            break;
    }
    return false;
}

bool StreamDecoder::takesWhole(std::uint64_t bytes) const noexcept {
    return kind_ == StreamEncoding::Kind::Flate && whole_ != nullptr && bytes <= kMostWholeBytes;
}

void StreamDecoder::decodeWhole(std::string_view bytes) {
    if (takesWhole(bytes.size()) && !inflater_ && !ended_) {
        if (const std::optional<std::string_view> inflated = whole_->inflate(bytes)) {
            // Handed on in pieces, as the streaming inflater would.
            for (std::size_t at = 0; at < inflated->size(); at += Inflater::kPieceSize)
                decoded(inflated->substr(at, Inflater::kPieceSize));
            ended_ = true;
            finish();
            return;
        }
        // Data of another kind, corrupt or too large: streamed, which
        // hands on what comes before a fault and names it.
    }
    feed(bytes);
    finish();
}

void StreamDecoder::finish() {
    if (kind_ == StreamEncoding::Kind::Flate && !ended_)
        throw CompressedDataError("its compressed data is cut short");
    if (kind_ == StreamEncoding::Kind::AsciiHex && hexHigh_ >= 0) {
        const char last = static_cast<char>(hexHigh_ << 4);
        hexHigh_ = -1;
        decoded(std::string_view(&last, 1));
    }
    if (predictor_) predictor_->finish();
}

}  // namespace leafwright
