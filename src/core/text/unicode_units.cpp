#include "core/text/unicode_units.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/text/text_encoding.h"

namespace leafwright {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

constexpr bool isSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}
constexpr bool isHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool isLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Units of Size bytes, most significant first when BigEndian.
template <std::size_t Size, bool BigEndian>
class UnicodeUnits final : public TextConverter {
  public:
    UnicodeUnits() : lineFeed_(Size, '\0') { lineFeed_[BigEndian ? Size - 1 : 0] = '\n'; }

    std::size_t convert(std::string_view& in, char*& out, char* outEnd) override;
    std::size_t finish(std::string_view& in, char*& out, char* outEnd) override {
        std::size_t invalid = convert(in, out, outEnd);
        if (!in.empty()) {
            out = writeUtf8(kReplacement, out);
            in = {};
            ++invalid;
        }
        return invalid;
    }
    void restart() override {}
    bool restartsAfterLineFeeds() const override { return true; }
    std::string_view lineFeed() const override { return lineFeed_; }

  private:
    static char32_t unitAt(const char* p) {
        constexpr bool swap = BigEndian != (std::endian::native == std::endian::big);
        if constexpr (Size == 2) {
            std::uint16_t unit;
            std::memcpy(&unit, p, 2);
            return swap ? __builtin_bswap16(unit) : unit;
        } else {
            std::uint32_t unit;
            std::memcpy(&unit, p, 4);
            return swap ? __builtin_bswap32(unit) : unit;
        }
    }

    static bool step(const char*& p, const char* end, char*& o, std::size_t& invalid);

    std::string lineFeed_;
};

// Converts the character at p: false, taking nothing, for a high
// surrogate whose partner may still be to come. A character below U+0800
// (Latin, Greek, Cyrillic, Hebrew, Arabic) goes without a branch on its
// length.
template <std::size_t Size, bool BigEndian>
inline bool UnicodeUnits<Size, BigEndian>::step(const char*& p, const char* end, char*& o,
                                                std::size_t& invalid) {
    const char32_t unit = unitAt(p);
    if (std::endian::native == std::endian::little && unit < 0x800) {
        const unsigned two = (0xC0 | (unit >> 6)) | (0x80 | (unit & 0x3F)) << 8;
        const auto bytes = static_cast<std::uint16_t>(unit < 0x80 ? unit : two);
        std::memcpy(o, &bytes, 2);
        o += 1 + (unit >= 0x80);
        p += Size;
        return true;
    }
    if constexpr (Size == 2) {
        if (isHighSurrogate(unit)) {
            if (end - p < 4) return false;
            const char32_t next = unitAt(p + 2);
            if (isLowSurrogate(next)) {
                o = writeUtf8(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00), o);
                p += 4;
                return true;
            }
        }
    }
    if (isSurrogate(unit) || unit > 0x10FFFF) {
        o = writeUtf8(kReplacement, o);
        ++invalid;
    } else {
        o = writeUtf8(unit, o);
    }
    p += Size;
    return true;
}

// Steps go kLongestOutput / 4 at a time while the room and the input
// cannot run out among them (a step takes four bytes and writes four at
// most), then one at a time. The output goes through a pointer of its own,
// which the stores cannot alias.
template <std::size_t Size, bool BigEndian>
std::size_t UnicodeUnits<Size, BigEndian>::convert(std::string_view& in, char*& out, char* outEnd) {
    constexpr std::size_t kSteps = kLongestOutput / 4;
    std::size_t invalid = 0;
    const char* p = in.data();
    const char* const end = p + in.size();
    char* o = out;
    auto roomLeft = [&] { return static_cast<std::size_t>(outEnd - o) >= kLongestOutput; };
    while (static_cast<std::size_t>(end - p) >= 4 * kSteps && roomLeft())
        for (std::size_t n = 0; n < kSteps; ++n) step(p, end, o, invalid);
    while (static_cast<std::size_t>(end - p) >= Size && roomLeft() && step(p, end, o, invalid)) {
    }
    out = o;
    in.remove_prefix(static_cast<std::size_t>(p - in.data()));
    return invalid;
}

}  // namespace

std::unique_ptr<TextConverter> unicodeUnitsConverter(std::string_view name) {
    const std::string plain = comparableEncodingName(name);
    if (plain == "UTF16LE") return std::make_unique<UnicodeUnits<2, false>>();
    if (plain == "UTF16BE") return std::make_unique<UnicodeUnits<2, true>>();
    if (plain == "UTF32LE") return std::make_unique<UnicodeUnits<4, false>>();
    if (plain == "UTF32BE") return std::make_unique<UnicodeUnits<4, true>>();
    return nullptr;
}

}  // namespace leafwright
