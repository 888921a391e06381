#include "core/plustools/unspool_filter.h"

#include "core/plustools/font_map_scan.h"
#include "core/plustools/to_unicode_map.h"
#include "core/text/byte_scan.h"
#include "core/text/mac_roman_decode.h"

namespace leafwright {

namespace {

constexpr std::string_view kLineBreak = "\r\n";

bool isOctalDigit(unsigned char c) {
    return c >= '0' && c <= '7';
}

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

void UnspoolFilter::takeMark(MarkedContent::Mark mark) {
    if (mark == MarkedContent::Mark::None) return;
    // The line before goes on: its line end is taken back, or not written.
    std::string& out = *out_;
    if (lineEndLast_ && out.size() >= kLineBreak.size() &&
        std::string_view(out).substr(out.size() - kLineBreak.size()) == kLineBreak)
        out.resize(out.size() - kLineBreak.size());
    lineEndLast_ = false;
    lineBreakDue_ = false;
    if (mark == MarkedContent::Mark::FormFeed) {
        out += '\f';
        formFeedOpen_ = true;
    }
}

void UnspoolFilter::onStringBegin(PdfTokenizer::StringKind /*kind*/) {
    visible_ = textDepth_ > 0 && !marks_.inArtifact();
    if (visible_) lineEndLast_ = false;
    stringMap_ = font_;
    codes_.clear();
    octalDigits_ = 0;
}

void UnspoolFilter::flushCodes() {
    while (!codes_.empty()) {
        std::size_t length = stringMap_->codeLengthAt(codes_);
        if (length == 0) length = codes_.size();  // the string ends inside a code
        appendCodeText(length);
    }
}

// The text of the code the first `length` bytes held form.
void UnspoolFilter::appendCodeText(std::size_t length) {
    codeText_.clear();
    stringMap_->appendText(std::string_view(codes_).substr(0, length), codeText_);
    appendWithCrLf(codeText_, *out_);
    codes_.erase(0, length);
}

void UnspoolFilter::onStringEnd(PdfTokenizer::StringKind /*kind*/) {
    endOctal();  // ended by the closing parenthesis
    if (!visible_) return;
    if (stringMap_ != nullptr) flushCodes();
    lineBreakDue_ = true;
    formFeedOpen_ = false;
}

// One byte of a string's value.
void UnspoolFilter::stringByte(unsigned char byte) {
    if (!visible_) return;
    std::string& out = *out_;
    if (stringMap_ == nullptr) {
        // A line feed (from a hex string) is written as CR LF.
        if (byte == '\n' && (out.empty() || out.back() != '\r')) out += '\r';
        appendMacRomanAsUtf8(byte, out);
        return;
    }
    codes_ += static_cast<char>(byte);
    if (std::size_t length = stringMap_->codeLengthAt(codes_); length != 0) {
        appendCodeText(length);
    }
}

void UnspoolFilter::onHexByte(unsigned char byte) {
    stringByte(byte);
}

// The byte of an octal escape being read, now that it has ended (by its
// third digit, or by any other byte, the line's end included).
void UnspoolFilter::endOctal() {
    if (octalDigits_ == 0) return;
    octalDigits_ = 0;
    stringByte(static_cast<unsigned char>(octal_ & 0xFF));
}

void UnspoolFilter::onLiteralBytes(std::string_view bytes) {
    // An octal escape goes on over up to two more digits.
    while (octalDigits_ > 0 && !bytes.empty()) {
        const unsigned char c = static_cast<unsigned char>(bytes.front());
        if (!isOctalDigit(c)) {
            endOctal();
            break;
        }
        octal_ = octal_ * 8 + (c - '0');
        bytes.remove_prefix(1);
        if (++octalDigits_ == 3) endOctal();
    }
    if (!visible_) return;
    if (stringMap_ != nullptr) {
        for (char c : bytes) stringByte(static_cast<unsigned char>(c));
        return;
    }
    // Taken as text: copied as runs, bytes from 0x80 up decoded from Mac OS
    // Roman.
    std::string& out = *out_;
    while (!bytes.empty()) {
        const std::size_t run = findHighByte(bytes, 0);
        out.append(bytes.substr(0, run));
        if (run == bytes.size()) return;
        appendMacRomanAsUtf8(static_cast<unsigned char>(bytes[run]), out);
        bytes.remove_prefix(run + 1);
    }
}

// The byte after a backslash. Text taken as Mac OS Roman keeps every escape
// but "\\", "\(" and "\)" as written; codes for a map are decoded in full,
// as the bytes they stand for.
void UnspoolFilter::onEscapedByte(unsigned char c) {
    endOctal();  // ended by the backslash
    if (c == '\\' || c == '(' || c == ')') {
        stringByte(c);
        return;
    }
    if (stringMap_ == nullptr) {
        stringByte('\\');
        stringByte(c);
        return;
    }
    switch (c) {
        case 'n':
            stringByte('\n');
            return;
        case 'r':
            stringByte('\r');
            return;
        case 't':
            stringByte('\t');
            return;
        case 'b':
            stringByte('\b');
            return;
        case 'f':
            stringByte('\f');
            return;
        default:
            break;
    }
    if (isOctalDigit(c)) {
        octal_ = c - '0';
        octalDigits_ = 1;
        return;
    }
    stringByte(c);  // an unknown escape: the backslash is dropped
}

void UnspoolFilter::onName(std::string_view name, bool tooLong) {
    marks_.name(name, tooLong);
    lastName_ = name;
    lastNameUsable_ = !tooLong;
}

void UnspoolFilter::onWord(std::string_view word, bool tooLong) {
    takeMark(marks_.word(word, tooLong));
    if (tooLong || word.size() != 2) return;
    if (word == "BT") {
        ++textDepth_;
    } else if (word == "ET") {
        --textDepth_;
    } else if (word == "Tf") {
        font_ = fonts_ != nullptr && lastNameUsable_ ? fonts_->find(lastName_) : nullptr;
    }
}

void UnspoolFilter::filterPiece(std::string_view piece, std::string& out) {
    out_ = &out;
    tokenizer_.feed(piece, *this);
}

void UnspoolFilter::endLine(std::string& out) {
    out_ = &out;
    if (tokenizer_.inLiteral()) {
        // The line's end is not part of the string; it ends an octal escape,
        // and cuts one just begun: taken as text the backslash stays, for
        // codes it joins the lines.
        endOctal();
        if (tokenizer_.escapePending()) {
            tokenizer_.dropEscape();
            if (stringMap_ == nullptr) stringByte('\\');
        }
    } else {
        // Elsewhere it is white space, and ends a comment. (Only here: the
        // lines come without their LF, and a CR inside a line ends a
        // comment, as it ends a line for PDF.)
        tokenizer_.feed("\n", *this);
    }
    if (lineBreakDue_ && !(tokenizer_.inString() && visible_)) {
        out.append(kLineBreak);
        lineBreakDue_ = false;
        lineEndLast_ = true;
    }
}

void UnspoolFilter::closeLine(std::string& out) {
    lineEndLast_ = false;
    // A form feed that no row follows ends its line as every line ends.
    if (formFeedOpen_) out.append(kLineBreak);
    formFeedOpen_ = false;
}

void UnspoolFilter::endInput(std::string& out) {
    out_ = &out;
    tokenizer_.endInput(*this);
    if (stringMap_ != nullptr && visible_ && tokenizer_.inString()) flushCodes();
    closeLine(out);
}

}  // namespace leafwright
