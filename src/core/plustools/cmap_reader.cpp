#include "core/plustools/cmap_reader.h"

#include "core/plustools/pdf_characters.h"

namespace leafwright {

namespace {

// A code's text has at most 512 bytes; longer hex strings are cut there.
constexpr std::size_t kMaxHexBytes = 512;
constexpr std::size_t kMaxWord = 32;

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
    for (char c : bytes) byte(static_cast<unsigned char>(c));
}

ToUnicodeMap CMapReader::finish() {
    byte(' ');
    map_.finish();
    return std::move(map_);
}

void CMapReader::endWord() {
    lexer_ = Lexer::Normal;
    if (word_ == "begincodespacerange") {
        section_ = Section::CodeSpace;
    } else if (word_ == "beginbfchar") {
        section_ = Section::BfChar;
    } else if (word_ == "beginbfrange") {
        section_ = Section::BfRange;
    } else if (word_ == "endcodespacerange" || word_ == "endbfchar" || word_ == "endbfrange") {
        section_ = Section::None;
    } else {
        word_.clear();
        return;  // numbers and other operators take no part
    }
    operandCount_ = 0;
    inArray_ = false;
    word_.clear();
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

void CMapReader::byte(unsigned char c) {
    switch (lexer_) {
        case Lexer::Comment:
            if (c == '\n' || c == '\r') lexer_ = Lexer::Normal;
            return;
        case Lexer::Literal:
            if (literalEscape_) {
                literalEscape_ = false;
            } else if (c == '\\') {
                literalEscape_ = true;
            } else if (c == '(') {
                ++literalDepth_;
            } else if (c == ')' && --literalDepth_ == 0) {
                lexer_ = Lexer::Normal;
            }
            return;
        case Lexer::AfterLess:
            lexer_ = Lexer::Normal;
            if (c == '<') return;  // a dictionary opens
            lexer_ = Lexer::Hex;
            hex_.clear();
            hexHalf_ = -1;
            [[fallthrough]];
        case Lexer::Hex:
            if (c == '>') {
                if (hexHalf_ >= 0 && hex_.size() < kMaxHexBytes)
                    hex_ += static_cast<char>(hexHalf_ << 4);
                lexer_ = Lexer::Normal;
                hexString(hex_);
            } else if (int value = hexDigitValue(c); value >= 0) {
                if (hexHalf_ < 0) {
                    hexHalf_ = value;
                } else {
                    if (hex_.size() < kMaxHexBytes)
                        hex_ += static_cast<char>((hexHalf_ << 4) | value);
                    hexHalf_ = -1;
                }
            }
            return;
        case Lexer::Word:
            if (!isPdfWhiteSpace(c) && !isPdfDelimiter(c)) {
                if (word_.size() < kMaxWord) word_ += static_cast<char>(c);
                return;
            }
            endWord();
            break;
        case Lexer::Normal:
            break;
    }
    // Between tokens.
    if (isPdfWhiteSpace(c)) return;
    switch (c) {
        case '%':
            lexer_ = Lexer::Comment;
            return;
        case '(':
            lexer_ = Lexer::Literal;
            literalDepth_ = 1;
            literalEscape_ = false;
            return;
        case '<':
            lexer_ = Lexer::AfterLess;
            return;
        case '[':
            if (section_ == Section::BfRange && operandCount_ == 2) {
                inArray_ = true;
                arrayIndex_ = 0;
            }
            return;
        case ']':
            if (inArray_) {
                inArray_ = false;
                operandCount_ = 0;
            }
            return;
        case '/':
            // A name (a destination given as a glyph name, say): the entry
            // it belongs to is dropped.
            if (!inArray_) operandCount_ = 0;
            lexer_ = Lexer::Word;
            word_.clear();
            word_ += '/';
            return;
        default:
            if (isPdfDelimiter(c)) return;  // ">" or a brace
            lexer_ = Lexer::Word;
            word_.assign(1, static_cast<char>(c));
            return;
    }
}

}  // namespace leafwright
