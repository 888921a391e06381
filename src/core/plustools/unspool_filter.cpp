#include "core/plustools/unspool_filter.h"

#include <array>

#include "core/text/mac_roman_decode.h"
#include "core/plustools/font_map_scan.h"
#include "core/plustools/pdf_characters.h"
#include "core/plustools/to_unicode_map.h"

namespace leafwright {

namespace {

constexpr std::string_view kLineBreak = "\r\n";
// Longer names cannot select a font (and are not kept whole).
constexpr std::size_t kMaxToken = 127;

// Regular characters by table: tokens are read a byte at a time.
constexpr std::array<bool, 256> makeRegular() {
    std::array<bool, 256> regular{};
    for (int c = 0; c < 256; ++c) regular[c] = isPdfRegular(static_cast<unsigned char>(c));
    return regular;
}
constexpr std::array<bool, 256> kRegular = makeRegular();

// Bytes a literal string cannot copy as they are: its delimiters, the
// escape character, and bytes from 0x80 up (decoded from Mac OS Roman).
constexpr std::array<bool, 256> makeLiteralSpecial() {
    std::array<bool, 256> special{};
    special['\\'] = special['('] = special[')'] = true;
    for (int c = 0x80; c < 256; ++c) special[c] = true;
    return special;
}
constexpr std::array<bool, 256> kLiteralSpecial = makeLiteralSpecial();

// The output is a text file with CR LF line ends: a line feed that a code's
// text holds is written as CR LF.
void appendWithCrLf(std::string_view text, std::string& out) {
    for (std::size_t at = 0; at < text.size();) {
        std::size_t lf = text.find('\n', at);
        if (lf == std::string_view::npos) {
            out.append(text.substr(at));
            return;
        }
        out.append(text.substr(at, lf - at));
        if (lf == 0 ? out.empty() || out.back() != '\r' : text[lf - 1] != '\r') out += '\r';
        out += '\n';
        at = lf + 1;
    }
}

}  // namespace

std::int64_t UnspoolFilter::openStrings() const noexcept {
    if (lexer_ == Lexer::Literal) return literalDepth_;
    return lexer_ == Lexer::Hex ? 1 : 0;
}

void UnspoolFilter::beginString() {
    visible_ = textDepth_ > 0;
    stringMap_ = font_;
    codes_.clear();
    escape_ = 0;
}

void UnspoolFilter::flushCodes(std::string& out) {
    while (!codes_.empty()) {
        std::size_t length = stringMap_->codeLengthAt(codes_);
        if (length == 0) length = codes_.size();  // the string ends inside a code
        appendCodeText(length, out);
    }
}

// The text of the code the first `length` bytes held form.
void UnspoolFilter::appendCodeText(std::size_t length, std::string& out) {
    codeText_.clear();
    stringMap_->appendText(std::string_view(codes_).substr(0, length), codeText_);
    appendWithCrLf(codeText_, out);
    codes_.erase(0, length);
}

void UnspoolFilter::endString(std::string& out) {
    lexer_ = Lexer::Normal;
    if (!visible_) return;
    if (stringMap_ != nullptr) flushCodes(out);
    lineBreakDue_ = true;
}

// One byte of a string's value.
void UnspoolFilter::stringByte(unsigned char byte, std::string& out) {
    if (!visible_) return;
    if (stringMap_ == nullptr) {
        // A line feed (from a hex string) is written as CR LF.
        if (byte == '\n' && (out.empty() || out.back() != '\r')) out += '\r';
        appendMacRomanAsUtf8(byte, out);
        return;
    }
    codes_ += static_cast<char>(byte);
    if (std::size_t length = stringMap_->codeLengthAt(codes_); length != 0) {
        appendCodeText(length, out);
    }
}

// The byte after a backslash, or an octal digit after the digits so far.
// Text taken as Mac OS Roman keeps every escape but the three below as
// written; codes for a map are decoded in full, as the bytes they stand for.
void UnspoolFilter::escapedByte(unsigned char c, std::string& out) {
    if (escape_ == 1) {
        escape_ = 0;
        if (c == '\\' || c == '(' || c == ')') {
            stringByte(c, out);
            return;
        }
        if (stringMap_ == nullptr) {
            stringByte('\\', out);
            stringByte(c, out);
            return;
        }
        switch (c) {
            case 'n':
                stringByte('\n', out);
                return;
            case 'r':
                stringByte('\r', out);
                return;
            case 't':
                stringByte('\t', out);
                return;
            case 'b':
                stringByte('\b', out);
                return;
            case 'f':
                stringByte('\f', out);
                return;
            default:
                break;
        }
        if (c >= '0' && c <= '7') {
            octal_ = c - '0';
            escape_ = 2;
            return;
        }
        stringByte(c, out);  // an unknown escape: the backslash is dropped
        return;
    }
    // One more octal digit; three make the byte.
    octal_ = octal_ * 8 + (c - '0');
    if (++escape_ == 4) {
        escape_ = 0;
        stringByte(static_cast<unsigned char>(octal_ & 0xFF), out);
    }
}

// An escape cut by the line's end.
void UnspoolFilter::endEscape(std::string& out) {
    if (escape_ == 1) {
        // Taken as text the backslash stays; for codes it joins the lines.
        if (stringMap_ == nullptr) stringByte('\\', out);
    } else if (escape_ > 1) {
        stringByte(static_cast<unsigned char>(octal_ & 0xFF), out);
    }
    escape_ = 0;
}

// Reads a literal string from piece[at] on; returns where it stopped (the
// piece's end, or just after the string's closing parenthesis).
std::size_t UnspoolFilter::literal(std::string_view piece, std::size_t at, std::string& out) {
    const std::size_t n = piece.size();
    while (at < n) {
        if (escape_ != 0) {
            const unsigned char c = static_cast<unsigned char>(piece[at]);
            if (escape_ > 1 && (c < '0' || c > '7')) {
                // An octal escape ended by another byte, which is then read
                // as an ordinary one.
                escape_ = 0;
                stringByte(static_cast<unsigned char>(octal_ & 0xFF), out);
                continue;
            }
            escapedByte(c, out);
            ++at;
            continue;
        }
        // Plain bytes are copied, or skipped, as a run.
        std::size_t run = at;
        while (run < n && !kLiteralSpecial[static_cast<unsigned char>(piece[run])]) ++run;
        if (run > at) {
            if (visible_) {
                if (stringMap_ == nullptr) {
                    out.append(piece.data() + at, run - at);
                } else {
                    for (std::size_t k = at; k < run; ++k)
                        stringByte(static_cast<unsigned char>(piece[k]), out);
                }
            }
            at = run;
            if (at == n) break;
        }
        const unsigned char c = static_cast<unsigned char>(piece[at++]);
        if (c == '\\') {
            escape_ = 1;
        } else if (c == '(') {
            ++literalDepth_;
            stringByte(c, out);
        } else if (c == ')') {
            if (--literalDepth_ == 0) {
                endString(out);
                return at;
            }
            stringByte(c, out);
        } else {
            stringByte(c, out);  // from 0x80 up
        }
    }
    return at;
}

// Reads a hexadecimal string from piece[at] on; returns where it stopped.
std::size_t UnspoolFilter::hex(std::string_view piece, std::size_t at, std::string& out) {
    while (at < piece.size()) {
        const unsigned char c = static_cast<unsigned char>(piece[at++]);
        if (c == '>') {
            // An odd last digit stands for its byte with a 0 after it.
            if (hexHalf_ >= 0) stringByte(static_cast<unsigned char>(hexHalf_ << 4), out);
            hexHalf_ = -1;
            endString(out);
            return at;
        }
        int value = hexDigitValue(c);
        if (value < 0) continue;  // white space (and anything else) is skipped
        if (hexHalf_ < 0) {
            hexHalf_ = value;
        } else {
            stringByte(static_cast<unsigned char>((hexHalf_ << 4) | value), out);
            hexHalf_ = -1;
        }
    }
    return at;
}

void UnspoolFilter::endToken() {
    if (lexer_ == Lexer::Name) {
        lastName_ = token_;
        lastNameUsable_ = !tokenTooLong_;
    } else if (!tokenTooLong_ && token_.size() == 2) {
        if (token_ == "BT") {
            ++textDepth_;
        } else if (token_ == "ET") {
            --textDepth_;
        } else if (token_ == "Tf") {
            font_ = fonts_ != nullptr && lastNameUsable_ ? fonts_->find(lastName_) : nullptr;
        }
    }
    lexer_ = Lexer::Normal;
}

// A byte outside strings, comments and tokens: what it begins.
void UnspoolFilter::between(unsigned char c) {
    switch (c) {
        case '%':
            lexer_ = Lexer::Comment;
            return;
        case '(':
            lexer_ = Lexer::Literal;
            literalDepth_ = 1;
            beginString();
            return;
        case '<':
            lexer_ = Lexer::AfterLess;
            return;
        case '/':
            lexer_ = Lexer::Name;
            token_.clear();
            tokenTooLong_ = false;
            return;
        default:
            if (!kRegular[c]) return;
            lexer_ = Lexer::Word;
            token_.assign(1, static_cast<char>(c));
            tokenTooLong_ = false;
            return;
    }
}

void UnspoolFilter::filterPiece(std::string_view piece, std::string& out) {
    std::size_t at = 0;
    const std::size_t n = piece.size();
    while (at < n) {
        switch (lexer_) {
            case Lexer::Literal:
                at = literal(piece, at, out);
                continue;
            case Lexer::Hex:
                at = hex(piece, at, out);
                continue;
            case Lexer::Comment: {
                // A comment runs to the line's end, or to a CR, which ends a
                // line for PDF (a file with CR line ends is one line here).
                std::size_t cr = piece.find('\r', at);
                if (cr == std::string_view::npos) {
                    at = n;
                } else {
                    at = cr + 1;
                    lexer_ = Lexer::Normal;
                }
                continue;
            }
            case Lexer::AfterLess: {
                if (piece[at] == '<') {
                    ++at;  // a dictionary opens
                    lexer_ = Lexer::Normal;
                } else {
                    lexer_ = Lexer::Hex;
                    hexHalf_ = -1;
                    beginString();
                }
                continue;
            }
            case Lexer::Word:
            case Lexer::Name: {
                const unsigned char c = static_cast<unsigned char>(piece[at]);
                if (kRegular[c]) {
                    if (token_.size() < kMaxToken) {
                        token_ += static_cast<char>(c);
                    } else {
                        tokenTooLong_ = true;
                    }
                    ++at;
                    continue;
                }
                endToken();
                continue;  // c is read again between tokens
            }
            case Lexer::Normal:
                between(static_cast<unsigned char>(piece[at++]));
                continue;
        }
    }
}

void UnspoolFilter::endLine(std::string& out) {
    switch (lexer_) {
        case Lexer::Word:
        case Lexer::Name:
            endToken();
            break;
        case Lexer::Comment:
            lexer_ = Lexer::Normal;
            break;
        case Lexer::AfterLess:
            // The line end is white space inside a hexadecimal string.
            lexer_ = Lexer::Hex;
            hexHalf_ = -1;
            beginString();
            break;
        case Lexer::Literal:
            endEscape(out);
            break;
        case Lexer::Hex:
        case Lexer::Normal:
            break;
    }
    if (lineBreakDue_ && lexer_ != Lexer::Literal && lexer_ != Lexer::Hex) {
        out.append(kLineBreak);
        lineBreakDue_ = false;
    }
}

}  // namespace leafwright
