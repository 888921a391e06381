#pragma once

#include "core/platform/text_converter.h"

namespace leafwright {

// UTF-8 as it should be, from UTF-8 as it is: well-formed characters pass
// unchanged, and each maximal part of a malformed sequence (no overlong
// forms, no surrogates, nothing above U+10FFFF) becomes one U+FFFD, as the
// Unicode standard recommends. For a text declared UTF-8 (by its
// byte-order mark or by name) that is not well-formed throughout.
class Utf8Repair final : public TextConverter {
  public:
    std::size_t convert(std::string_view& in, char*& out, char* outEnd) override;
    std::size_t finish(std::string_view& in, char*& out, char* outEnd) override;
    void restart() override {}
    bool restartsAfterLineFeeds() const override { return true; }
    std::string_view lineFeed() const override { return "\n"; }
};

}  // namespace leafwright
