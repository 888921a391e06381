#include "core/plustools/cmap_reader.h"

namespace leafwright {

namespace {

// A code's text has at most 512 bytes; longer hex strings are cut there.
constexpr std::size_t kMaxHexBytes = 512;

// The code `steps` after `code`, of the same length (empty when it would
// overflow that length).
std::string codePlus(const std::string& code, std::uint32_t steps) {
    std::string next = code;
    std::uint64_t carry = steps;
    for (std::size_t k = next.size(); k-- > 0 && carry != 0;) {
        std::uint64_t sum = static_cast<unsigned char>(next[k]) + carry;
        next[k] = static_cast<char>(sum & 0xFF);
        carry = sum >> 8;
    }
    return carry == 0 ? next : std::string();
}

}  // namespace

void CMapReader::feed(std::string_view bytes) {
    tokenizer_.feed(bytes, *this);
}

ToUnicodeMap CMapReader::finish() {
    tokenizer_.endInput(*this);
    map_.finish();
    return std::move(map_);
}

void CMapReader::onWord(std::string_view word, bool /*tooLong*/) {
    if (word == "begincodespacerange") {
        section_ = Section::CodeSpace;
    } else if (word == "beginbfchar") {
        section_ = Section::BfChar;
    } else if (word == "beginbfrange") {
        section_ = Section::BfRange;
    } else if (word == "endcodespacerange" || word == "endbfchar" || word == "endbfrange") {
        section_ = Section::None;
    } else {
        return;  // numbers and other operators take no part
    }
    operandCount_ = 0;
    inArray_ = false;
}

// A name (a destination given as a glyph name, say): the entry it belongs to
// is dropped.
void CMapReader::onName(std::string_view /*name*/, bool /*tooLong*/) {
    if (!inArray_) operandCount_ = 0;
}

void CMapReader::onDelimiter(PdfTokenizer::Delimiter delimiter) {
    if (delimiter == PdfTokenizer::Delimiter::ArrayOpen) {
        if (section_ == Section::BfRange && operandCount_ == 2) {
            inArray_ = true;
            arrayIndex_ = 0;
        }
    } else if (delimiter == PdfTokenizer::Delimiter::ArrayClose && inArray_) {
        inArray_ = false;
        operandCount_ = 0;
    }
}

void CMapReader::onStringBegin(PdfTokenizer::StringKind /*kind*/) {
    hex_.clear();
}

void CMapReader::onHexByte(unsigned char byte) {
    if (hex_.size() < kMaxHexBytes) hex_ += static_cast<char>(byte);
}

// Literal strings take no part.
void CMapReader::onStringEnd(PdfTokenizer::StringKind kind) {
    if (kind == PdfTokenizer::StringKind::Hex) hexString(hex_);
}

void CMapReader::hexString(const std::string& bytes) {
    if (section_ == Section::None) return;
    if (inArray_) {
        // An array destination: one text for each code from the low one on.
        std::string code = codePlus(operands_[0], arrayIndex_);
        if (!code.empty() && code <= operands_[1]) map_.addCode(code, bytes);
        ++arrayIndex_;
        return;
    }
    if (operandCount_ < 2) {
        operands_[operandCount_++] = bytes;
        if (operandCount_ < 2) return;
        if (section_ == Section::CodeSpace) {
            map_.addCodeSpace(operands_[0], operands_[1]);
            operandCount_ = 0;
        } else if (section_ == Section::BfChar) {
            map_.addCode(operands_[0], operands_[1]);
            operandCount_ = 0;
        }
        return;
    }
    if (section_ == Section::BfRange) map_.addIncrementingRange(operands_[0], operands_[1], bytes);
    operandCount_ = 0;
}

}  // namespace leafwright
