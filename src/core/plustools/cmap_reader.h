#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/plustools/pdf_tokenizer.h"
#include "core/plustools/to_unicode_map.h"

namespace leafwright {

// Reads the text of a /ToUnicode CMap, fed in pieces of any size, into a
// ToUnicodeMap: its code space ranges, bfchar entries and bfrange entries in
// both forms (an incrementing destination or an array of destinations).
// Everything else in the program (its dictionaries, names, comments) is
// skipped; what is not understood is ignored, never an error.
class CMapReader final : private PdfTokenizer::Events {
  public:
    void feed(std::string_view bytes);
    // Ends the input and hands over the map read.
    ToUnicodeMap finish();

  private:
    // Longer words are no keyword of a CMap.
    static constexpr std::size_t kMaxWord = 32;
    enum class Section { None, CodeSpace, BfChar, BfRange };

    void onWord(std::string_view word, bool tooLong) override;
    void onName(std::string_view name, bool tooLong) override;
    void onDelimiter(PdfTokenizer::Delimiter delimiter) override;
    void onStringBegin(PdfTokenizer::StringKind kind) override;
    void onHexByte(unsigned char byte) override;
    void onStringEnd(PdfTokenizer::StringKind kind) override;
    void hexString(const std::string& bytes);

    ToUnicodeMap map_;
    PdfTokenizer tokenizer_{kMaxWord};
    Section section_ = Section::None;
    std::string hex_;
    // Operands of the current entry.
    std::string operands_[2];
    int operandCount_ = 0;
    bool inArray_ = false;
    std::uint32_t arrayIndex_ = 0;
};

}  // namespace leafwright
