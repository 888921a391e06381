#include "core/text/line_width_gauge.h"

#include <algorithm>

#include "core/fonts/tab_stops.h"
#include "core/text/mac_roman_encode.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define LEAFWRIGHT_GAUGE_AVX2 1
#endif

namespace leafwright {

namespace {

#if defined(LEAFWRIGHT_GAUGE_AVX2)
// The sum of the quarter widths of ASCII bytes, thirty-two at a time. Each
// of the rows 2 to 7 of the ASCII table (sixteen codes each) is looked up
// by its low four bits; a byte in row k takes from rows 2 to k and none
// after (the index goes below zero, which the look-up reads as 0), so the
// tables hold each row XOR the one before it, and XOR-ing the look-ups
// leaves the byte's own row. Bytes below 32 take nothing.
__attribute__((target("avx2"))) inline __m256i quartersOf(__m256i bytes, const __m256i* tables) {
    __m256i x = _mm256_sub_epi8(bytes, _mm256_set1_epi8(32));
    __m256i quarters = _mm256_setzero_si256();
    for (int r = 0; r < 6; ++r) {
        // The look-up reads bit 7 (set: nothing) and the low four bits.
        quarters = _mm256_xor_si256(quarters, _mm256_shuffle_epi8(tables[r], x));
        x = _mm256_sub_epi8(x, _mm256_set1_epi8(16));
    }
    return _mm256_sad_epu8(quarters, _mm256_setzero_si256());
}

// The quarter-width sums of the lines at spans (each at least 32 bytes from
// the start of bytes to its end), into sums.
__attribute__((target("avx2"))) void quarterSumsAvx2(std::string_view bytes,
                                                     const LineWidthGauge::Span* spans,
                                                     std::size_t count, const std::uint8_t* rows,
                                                     std::int64_t* sums) {
    __m256i tables[6];
    for (int r = 0; r < 6; ++r) {
        const __m128i row = _mm_load_si128(reinterpret_cast<const __m128i*>(rows + 16 * r));
        tables[r] = _mm256_broadcastsi128_si256(row);
    }
    const __m256i positions =
        _mm256_setr_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
                         21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31);
    const auto* base = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t k = 0; k < count; ++k) {
        const unsigned char* p = base + spans[k].at;
        const std::size_t n = spans[k].size;
        __m256i total = _mm256_setzero_si256();
        std::size_t i = 0;
        for (; i + 32 <= n; i += 32)
            total = _mm256_add_epi64(
                total,
                quartersOf(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i)), tables));
        if (i < n) {
            // The 32 bytes that end the line, those summed already (or of
            // the line before) made 0: below 32 they take nothing.
            const auto done = static_cast<char>(32 - (n - i));
            const __m256i keep = _mm256_cmpgt_epi8(positions, _mm256_set1_epi8(done - 1));
            const __m256i last = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + n - 32));
            total = _mm256_add_epi64(total, quartersOf(_mm256_and_si256(last, keep), tables));
        }
        const __m128i half =
            _mm_add_epi64(_mm256_castsi256_si128(total), _mm256_extracti128_si256(total, 1));
        sums[k] = _mm_cvtsi128_si64(_mm_add_epi64(half, _mm_unpackhi_epi64(half, half)));
    }
}

// GCC 12 takes the undefined start of some AVX-512 intrinsics for a value
// used before it is set.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#define LEAFWRIGHT_AVX512 __attribute__((target("avx2,avx512f,avx512bw,avx512vbmi,bmi2")))

// Adds the quarter widths of 64 ASCII bytes to sums: one look-up among 128
// bytes. A byte of 0 (past the line) takes nothing.
LEAFWRIGHT_AVX512 inline __m512i addQuarters(__m512i sums, __m512i x, __m512i table0,
                                             __m512i table1) {
    return _mm512_add_epi64(
        sums, _mm512_sad_epu8(_mm512_permutex2var_epi8(table0, x, table1), _mm512_setzero_si512()));
}

// The quarter-width sums of the lines at spans into sums, sixty-four bytes
// at a time (AVX-512 VBMI); no byte outside a line is read.
LEAFWRIGHT_AVX512 void quarterSumsAvx512(std::string_view bytes, const LineWidthGauge::Span* spans,
                                         std::size_t count, const std::uint8_t* quarters,
                                         std::int64_t* sums) {
    const __m512i table0 = _mm512_loadu_si512(quarters);
    const __m512i table1 = _mm512_loadu_si512(quarters + 64);
    const auto* base = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t k = 0; k < count; ++k) {
        const unsigned char* p = base + spans[k].at;
        const std::size_t n = spans[k].size;
        // The first 128 bytes without a branch (most lines are shorter), as
        // two loads of which the second may load nothing; the rest after.
        const unsigned first = static_cast<unsigned>(n < 64 ? n : 64);
        const unsigned second = static_cast<unsigned>(n < 64 ? 0 : n < 128 ? n - 64 : 64);
        __m512i total =
            addQuarters(_mm512_setzero_si512(), _mm512_maskz_loadu_epi8(_bzhi_u64(~0ULL, first), p),
                        table0, table1);
        total = addQuarters(total, _mm512_maskz_loadu_epi8(_bzhi_u64(~0ULL, second), p + first),
                            table0, table1);
        for (std::size_t i = 128; i < n; i += 64) {
            const auto take = static_cast<unsigned>(n - i < 64 ? n - i : 64);
            total = addQuarters(total, _mm512_maskz_loadu_epi8(_bzhi_u64(~0ULL, take), p + i),
                                table0, table1);
        }
        const __m256i half =
            _mm256_add_epi64(_mm512_castsi512_si256(total), _mm512_extracti64x4_epi64(total, 1));
        const __m128i quarter =
            _mm_add_epi64(_mm256_castsi256_si128(half), _mm256_extracti128_si256(half, 1));
        sums[k] = _mm_cvtsi128_si64(_mm_add_epi64(quarter, _mm_unpackhi_epi64(quarter, quarter)));
    }
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

bool hasAvx512Vbmi() {
    static const bool has = __builtin_cpu_supports("avx512f") &&
                            __builtin_cpu_supports("avx512bw") &&
                            __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("bmi2");
    return has;
}

bool hasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

}  // namespace

LineWidthGauge::LineWidthGauge(const std::array<std::uint16_t, 256>& widthOfCode,
                               std::int64_t tabStop, std::int64_t room, Steps steps)
    : widthOfCode_(widthOfCode), tabStop_(tabStop), room_(room), steps_(steps) {
    for (int byte = 0; byte < 256; ++byte) {
        const char32_t character = windows1252Character(static_cast<unsigned char>(byte));
        const auto code = static_cast<unsigned char>(character < 0x80 ? static_cast<char>(character)
                                                                      : macRomanCode(character));
        widthOf1252_[byte] = widthOfCode_[code];
    }
    for (int byte = 0; byte < 128; ++byte) {
        const int width = byte < 32 ? 0 : widthOfCode_[byte];
        widestAscii_ = std::max<std::int64_t>(widestAscii_, width);
        quartersFit_ = quartersFit_ && width <= 4 * 255;
        quarterWidths_[byte] = static_cast<std::uint8_t>(std::min(255, (width + 3) / 4));
    }
    // No room at all (margins that take the whole page): no line surely fits.
    if (tabStop_ <= 0)
        surelyFitting_ = room_ < 0          ? 0
                         : widestAscii_ > 0 ? static_cast<std::size_t>(room_ / widestAscii_)
                                            : ~std::size_t{0};
    // Rows 2 to 7 of the ASCII table, each XOR-ed with the row before it.
    for (int r = 0; r < 6; ++r)
        for (int low = 0; low < 16; ++low) {
            const int code = 32 + 16 * r + low;
            quarterRows_[16 * r + low] = static_cast<std::uint8_t>(
                quarterWidths_[code] ^ (r > 0 ? quarterWidths_[code - 16] : 0));
        }
}

std::int64_t LineWidthGauge::plainSum(std::string_view line) const noexcept {
    const auto* p = reinterpret_cast<const unsigned char*>(line.data());
    const std::size_t n = line.size();
    std::int64_t a = 0, b = 0, c = 0, d = 0;
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        a += widthOfCode_[p[i]];
        b += widthOfCode_[p[i + 1]];
        c += widthOfCode_[p[i + 2]];
        d += widthOfCode_[p[i + 3]];
    }
    for (; i < n; ++i) a += widthOfCode_[p[i]];
    return a + b + c + d;
}

std::int64_t LineWidthGauge::tabbedSum(std::string_view line) const noexcept {
    Measure measure;
    measure.add(*this, line, SourceEncoding::Utf8);
    return measure.width();
}

bool LineWidthGauge::tooWide(std::string_view line) const noexcept {
    if (tabStop_ > 0) return tabbedSum(line) > room_;  // only texts that hold tabs
    if (!mayBeTooWide(line.size())) return false;
    const Span span{0, line.size()};
    return countTooWide(line, &span, 1) > 0;
}

std::uint64_t LineWidthGauge::countTooWide(std::string_view bytes, const Span* spans,
                                           std::size_t count) const noexcept {
    std::uint64_t tooWide = 0;
    std::size_t k = 0;
#if defined(LEAFWRIGHT_GAUGE_AVX2)
    const bool wide = steps_ == Steps::Widest && hasAvx512Vbmi();
    if (tabStop_ <= 0 && quartersFit_ && steps_ != Steps::One && (wide || hasAvx2())) {
        constexpr std::size_t kAtOnce = 64;
        std::int64_t sums[kAtOnce];
        Span quick[kAtOnce];
        while (k < count) {
            std::size_t taken = 0;
            const Span* batch = quick;
            if (wide) {
                taken = std::min(kAtOnce, count - k);
                batch = spans + k;
                k += taken;
                quarterSumsAvx512(bytes, batch, taken, quarterWidths_.data(), sums);
            } else {
                // Lines whose last 32 bytes lie in the buffer go at once.
                for (; k < count && taken < kAtOnce; ++k) {
                    if (spans[k].at + spans[k].size >= 32) {
                        quick[taken++] = spans[k];
                    } else {
                        const std::string_view line = bytes.substr(spans[k].at, spans[k].size);
                        tooWide += mayBeTooWide(line.size()) && plainSum(line) > room_;
                    }
                }
                quarterSumsAvx2(bytes, quick, taken, quarterRows_.data(), sums);
            }
            for (std::size_t j = 0; j < taken; ++j) {
                const auto n = static_cast<std::int64_t>(batch[j].size);
                const std::int64_t above = 4 * sums[j];  // at most 3 a byte over
                if (above <= room_) continue;
                if (above - 3 * n > room_ ||
                    plainSum(bytes.substr(batch[j].at, batch[j].size)) > room_)
                    ++tooWide;
            }
        }
        return tooWide;
    }
#endif
    for (; k < count; ++k) {
        const std::string_view line = bytes.substr(spans[k].at, spans[k].size);
        if (tabStop_ > 0)
            tooWide += tabbedSum(line) > room_;
        else
            tooWide += mayBeTooWide(line.size()) && plainSum(line) > room_;
    }
    return tooWide;
}

void LineWidthGauge::Measure::add(const LineWidthGauge& gauge, std::string_view characters,
                                  SourceEncoding encoding) noexcept {
    const auto* p = reinterpret_cast<const unsigned char*>(characters.data());
    const std::size_t n = characters.size();
    for (std::size_t i = 0; i < n;) {
        unsigned char code;
        if (p[i] < 0x80) {
            code = p[i++];
        } else if (encoding == SourceEncoding::Windows1252) {
            width_ += gauge.widthOf1252_[p[i++]];
            continue;
        } else {
            char32_t character;
            i += decodeCharacter(characters, i, encoding, character);
            code = static_cast<unsigned char>(macRomanCode(character));
        }
        if (code == '\t')
            width_ = nextTabStop(width_, gauge.tabStop_);
        else
            width_ += gauge.widthOfCode_[code];
    }
}

}  // namespace leafwright
