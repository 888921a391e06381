// The converter's encoding and Unspool's decoding share one table; these
// check that the two directions are each other's inverse wherever the
// converter may write a code.
#include <gtest/gtest.h>

#include "core/text/mac_roman_encode.h"
#include "core/text/mac_roman_table.h"

namespace leafwright {
namespace {

TEST(MacRomanDirections, EveryWrittenCodeReadsBackAsItsCharacter) {
    int glyphless = 0;
    for (int byte = 0x80; byte < 0x100; ++byte) {
        char32_t character = macRomanCharacter(static_cast<unsigned char>(byte));
        char code = macRomanCode(character);
        if (code == '?') {
            ++glyphless;  // decoded for documents made elsewhere, never written
            continue;
        }
        EXPECT_EQ(static_cast<unsigned char>(code), byte) << std::hex << byte;
    }
    EXPECT_EQ(glyphless, 15);
    for (int byte = 0; byte < 0x80; ++byte) {
        EXPECT_EQ(macRomanCharacter(static_cast<unsigned char>(byte)), char32_t(byte));
        EXPECT_EQ(macRomanCode(char32_t(byte)), static_cast<char>(byte));
    }
}

}  // namespace
}  // namespace leafwright
