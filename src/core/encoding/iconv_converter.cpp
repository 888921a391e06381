#include "core/encoding/iconv_converter.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace leafwright {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
constexpr std::size_t kFailed = static_cast<std::size_t>(-1);

// One conversion descriptor, closed when it goes.
class Descriptor {
  public:
    Descriptor(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Descriptor() {
        if (cd_ != kNoConverter) iconv_close(cd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    bool isOpen() const noexcept { return cd_ != kNoConverter; }
    iconv_t get() const noexcept { return cd_; }
    iconv_t release() noexcept { return std::exchange(cd_, kNoConverter); }

  private:
    iconv_t cd_;
};

// Runs iconv over all of in into out (large enough for what a probe
// writes), skipping what it cannot convert; false on any other failure.
// Resets the descriptor first.
bool convertAll(iconv_t cd, std::string_view in, std::string& out) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char buffer[256];
    char* inBytes = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    while (inLeft > 0) {
        char* outBytes = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(cd, &inBytes, &inLeft, &outBytes, &outLeft);
        const int error = errno;
        out.append(buffer, static_cast<std::size_t>(outBytes - buffer));
        if (result != kFailed) break;
        if (error != EILSEQ && error != E2BIG) return false;
        if (error == EILSEQ) {
            // Not in the encoding: skip the character.
            do {
                ++inBytes, --inLeft;
            } while (inLeft > 0 && (static_cast<unsigned char>(*inBytes) & 0xC0) == 0x80);
        }
    }
    return true;
}

// The bytes an encoder writes to go back to its start state.
std::string shiftBack(iconv_t cd) {
    char buffer[64];
    char* outBytes = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outBytes, &outLeft);
    return std::string(buffer, static_cast<std::size_t>(outBytes - buffer));
}

struct EncodingTraits {
    bool restartsAfterLineFeeds = false;
    std::string lineFeed;
    std::size_t unit = 1;
};

// What an encoder from UTF-8 into the encoding shows of it. Letters of many
// scripts come after the ASCII, so that an encoder with shift states ends
// in a state other than its start (unless it knows none of them).
EncodingTraits traitsOf(const std::string& name, iconv_t decoder) {
    EncodingTraits traits;
    Descriptor encoder(name.c_str(), "UTF-8");
    if (!encoder.isOpen()) return traits;
    std::string one, two, letters;
    if (!convertAll(encoder.get(), "\n", one) || !convertAll(encoder.get(), "\n\n", two))
        return traits;
    if (two.size() > one.size()) traits.unit = two.size() - one.size();
    if (!convertAll(encoder.get(),
                    "a\xC3\xA9\xD0\x96\xCE\xB1\xD7\x90\xD8\xA8\xE0\xB9\x84"
                    "\xE6\xBC\xA2\xE3\x81\x82\xE3\x82\xA2\xED\x95\x9C",
                    letters))
        return traits;
    const bool shifts = !shiftBack(encoder.get()).empty();
    // A line feed read from the start state must come back as one.
    std::string back;
    const bool lineFeedReads = convertAll(decoder, one, back) && back == "\n";
    iconv(decoder, nullptr, nullptr, nullptr, nullptr);
    if (one.empty() || two != one + one || shifts || !lineFeedReads) return traits;
    traits.restartsAfterLineFeeds = true;
    traits.lineFeed = one;
    traits.unit = one.size();
    return traits;
}

class IconvConverter final : public TextConverter {
  public:
    IconvConverter(iconv_t cd, EncodingTraits traits) : cd_(cd), traits_(std::move(traits)) {}
    ~IconvConverter() override { iconv_close(cd_); }
    IconvConverter(const IconvConverter&) = delete;
    IconvConverter& operator=(const IconvConverter&) = delete;

    std::size_t convert(std::string_view& in, char*& out, char* outEnd) override;
    std::size_t finish(std::string_view& in, char*& out, char* outEnd) override;
    void restart() override { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }
    bool restartsAfterLineFeeds() const override { return traits_.restartsAfterLineFeeds; }
    std::string_view lineFeed() const override { return traits_.lineFeed; }

  private:
    iconv_t cd_;
    EncodingTraits traits_;
};

void putReplacement(char*& out) {
    std::memcpy(out, kReplacement.data(), kReplacement.size());
    out += kReplacement.size();
}

// iconv stops at an invalid sequence (EILSEQ), at one cut short by the end
// of in (EINVAL) and when out is full (E2BIG); only the first is passed.
std::size_t IconvConverter::convert(std::string_view& in, char*& out, char* outEnd) {
    std::size_t invalid = 0;
    while (!in.empty() && static_cast<std::size_t>(outEnd - out) >= kLongestOutput) {
        char* inBytes = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        std::size_t outLeft = static_cast<std::size_t>(outEnd - out);
        const std::size_t result = iconv(cd_, &inBytes, &inLeft, &out, &outLeft);
        const int error = errno;
        in.remove_prefix(in.size() - inLeft);
        if (result != kFailed || error != EILSEQ) break;
        if (static_cast<std::size_t>(outEnd - out) < kReplacement.size()) break;
        putReplacement(out);
        in.remove_prefix(std::min(traits_.unit, in.size()));
        ++invalid;
    }
    return invalid;
}

std::size_t IconvConverter::finish(std::string_view& in, char*& out, char* outEnd) {
    std::size_t invalid = convert(in, out, outEnd);
    if (!in.empty()) {
        putReplacement(out);
        in = {};
        ++invalid;
    }
    // Some decoders hold a character back to see whether a combining one
    // follows; this writes it and returns to the start state.
    std::size_t outLeft = static_cast<std::size_t>(outEnd - out);
    iconv(cd_, nullptr, nullptr, &out, &outLeft);
    restart();
    return invalid;
}

}  // namespace

std::unique_ptr<TextConverter> iconvConverter(const std::string& name) {
    if (name.empty()) return nullptr;
    Descriptor decoder("UTF-8", name.c_str());
    if (!decoder.isOpen()) return nullptr;
    EncodingTraits traits = traitsOf(name, decoder.get());
    return std::make_unique<IconvConverter>(decoder.release(), std::move(traits));
}

bool iconvKnowsEncoding(const std::string& name) {
    return Descriptor("UTF-8", name.c_str()).isOpen();
}

}  // namespace leafwright
