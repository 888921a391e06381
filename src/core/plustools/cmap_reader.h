#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/plustools/to_unicode_map.h"

namespace leafwright {

// Reads the text of a /ToUnicode CMap, fed in pieces of any size, into a
// ToUnicodeMap: its code space ranges, bfchar entries and bfrange entries in
// both forms (an incrementing destination or an array of destinations).
// Everything else in the program (its dictionaries, names, comments) is
// skipped; what is not understood is ignored, never an error.
class CMapReader {
  public:
    void feed(std::string_view bytes);
    // Ends the input and hands over the map read.
    ToUnicodeMap finish();

  private:
    enum class Lexer { Normal, Comment, Hex, Literal, Word, AfterLess };
    enum class Section { None, CodeSpace, BfChar, BfRange };

    void byte(unsigned char c);
    void endWord();
    void hexString(const std::string& bytes);

    ToUnicodeMap map_;
    Lexer lexer_ = Lexer::Normal;
    Section section_ = Section::None;
    std::string word_;
    std::string hex_;
    int hexHalf_ = -1;  // a first hex digit waiting for its second
    std::int64_t literalDepth_ = 0;
    bool literalEscape_ = false;
    // Operands of the current entry.
    std::string operands_[2];
    int operandCount_ = 0;
    bool inArray_ = false;
    std::uint32_t arrayIndex_ = 0;
};

}  // namespace leafwright
