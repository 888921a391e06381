#include "core/plustools/pdf_tokenizer.h"

#include <algorithm>
#include <array>

#include "core/plustools/pdf_characters.h"
#include "core/text/byte_scan.h"

namespace leafwright {

namespace {

// By table: words and string text are read a run at a time.
constexpr std::array<bool, 256> makeRegular() {
    std::array<bool, 256> regular{};
    for (int c = 0; c < 256; ++c) regular[c] = isPdfRegular(static_cast<unsigned char>(c));
    return regular;
}
constexpr std::array<bool, 256> kRegular = makeRegular();

constexpr std::array<bool, 256> makeWhiteSpace() {
    std::array<bool, 256> white{};
    for (int c = 0; c < 256; ++c) white[c] = isPdfWhiteSpace(static_cast<unsigned char>(c));
    return white;
}
constexpr std::array<bool, 256> kWhiteSpace = makeWhiteSpace();

}  // namespace

std::int64_t PdfTokenizer::openStrings() const noexcept {
    if (state_ == State::Literal) return literalDepth_;
    return state_ == State::Hex ? 1 : 0;
}

std::size_t PdfTokenizer::feed(std::string_view bytes, Events& events) {
    handedOver_ = false;
    const std::size_t n = bytes.size();
    std::size_t at = 0;
    while (at < n) {
        switch (state_) {
            case State::Comment:
                // A comment runs to the end of its line, CR or LF.
                while (at < n && bytes[at] != '\n' && bytes[at] != '\r') ++at;
                if (at < n) {
                    ++at;
                    state_ = State::Normal;
                }
                continue;
            case State::Literal:
                at = literal(bytes, at, events);
                continue;
            case State::Hex:
                at = hex(bytes, at, events);
                continue;
            case State::AfterLess:
                if (bytes[at] == '<') {
                    ++at;
                    state_ = State::Normal;
                    events.onDelimiter(Delimiter::DictionaryOpen);
                } else {
                    // This byte is the string's first.
                    state_ = State::Hex;
                    hexHalf_ = -1;
                    events.onStringBegin(StringKind::Hex);
                }
                continue;
            case State::AfterGreater:
                // A lone ">" means nothing; the byte after it is read anew.
                state_ = State::Normal;
                if (bytes[at] == '>') {
                    ++at;
                    events.onDelimiter(Delimiter::DictionaryClose);
                }
                continue;
            case State::Word:
            case State::Name: {
                std::size_t run = at;
                while (run < n && kRegular[static_cast<unsigned char>(bytes[run])]) ++run;
                std::size_t room = maxWord_ - word_.size();
                if (run - at > room) wordTooLong_ = true;
                word_.append(bytes.data() + at, std::min(run - at, room));
                at = run;
                if (at == n) continue;
                endWord(events);
                if (handedOver_) return at + 1;
                continue;  // the byte after the word is read between tokens
            }
            case State::Normal:
                // A run of white space is passed at once.
                while (at < n && kWhiteSpace[static_cast<unsigned char>(bytes[at])]) ++at;
                if (at < n) between(static_cast<unsigned char>(bytes[at++]), events);
                continue;
        }
    }
    return at;
}

void PdfTokenizer::endInput(Events& events) {
    if (state_ == State::Word || state_ == State::Name) {
        endWord(events);
    } else if (state_ == State::Hex && hexHalf_ >= 0) {
        events.onHexByte(static_cast<unsigned char>(hexHalf_ << 4));
        hexHalf_ = -1;
    }
}

void PdfTokenizer::endWord(Events& events) {
    const bool name = state_ == State::Name;
    state_ = State::Normal;
    if (name) {
        events.onName(word_, wordTooLong_);
    } else {
        events.onWord(word_, wordTooLong_);
    }
}

// A byte outside tokens: what it begins.
void PdfTokenizer::between(unsigned char c, Events& events) {
    switch (c) {
        case '%':
            state_ = State::Comment;
            return;
        case '(':
            state_ = State::Literal;
            literalDepth_ = 1;
            escape_ = false;
            events.onStringBegin(StringKind::Literal);
            return;
        case '<':
            state_ = State::AfterLess;
            return;
        case '>':
            state_ = State::AfterGreater;
            return;
        case '/':
            state_ = State::Name;
            word_.clear();
            wordTooLong_ = false;
            return;
        case '[':
            events.onDelimiter(Delimiter::ArrayOpen);
            return;
        case ']':
            events.onDelimiter(Delimiter::ArrayClose);
            return;
        case '{':
            events.onDelimiter(Delimiter::BraceOpen);
            return;
        case '}':
            events.onDelimiter(Delimiter::BraceClose);
            return;
        case ')':
            events.onDelimiter(Delimiter::StrayClose);
            return;
        default:
            if (!kRegular[c]) return;  // white space
            state_ = State::Word;
            word_.assign(1, static_cast<char>(c));
            wordTooLong_ = false;
            return;
    }
}

// Reads a literal string from bytes[at] on; returns where it stopped (the
// end of bytes, or just after the string's closing parenthesis).
std::size_t PdfTokenizer::literal(std::string_view bytes, std::size_t at, Events& events) {
    const std::size_t n = bytes.size();
    while (at < n) {
        if (escape_) {
            escape_ = false;
            events.onEscapedByte(static_cast<unsigned char>(bytes[at++]));
            continue;
        }
        const std::size_t run = findAnyOf(bytes, at, '\\', '(', ')');
        if (run > at) {
            events.onLiteralBytes(bytes.substr(at, run - at));
            at = run;
            if (at == n) break;
        }
        const char c = bytes[at++];
        if (c == '\\') {
            escape_ = true;
        } else if (c == '(') {
            ++literalDepth_;
            events.onLiteralBytes(bytes.substr(at - 1, 1));
        } else if (--literalDepth_ == 0) {
            state_ = State::Normal;
            events.onStringEnd(StringKind::Literal);
            return at;
        } else {
            events.onLiteralBytes(bytes.substr(at - 1, 1));  // a nested ")"
        }
    }
    return at;
}

// Reads a hexadecimal string from bytes[at] on; returns where it stopped.
std::size_t PdfTokenizer::hex(std::string_view bytes, std::size_t at, Events& events) {
    while (at < bytes.size()) {
        const unsigned char c = static_cast<unsigned char>(bytes[at++]);
        if (c == '>') {
            if (hexHalf_ >= 0) events.onHexByte(static_cast<unsigned char>(hexHalf_ << 4));
            hexHalf_ = -1;
            state_ = State::Normal;
            events.onStringEnd(StringKind::Hex);
            return at;
        }
        int value = hexDigitValue(c);
        if (value < 0) continue;  // white space (and anything else) is skipped
        if (hexHalf_ < 0) {
            hexHalf_ = value;
        } else {
            events.onHexByte(static_cast<unsigned char>((hexHalf_ << 4) | value));
            hexHalf_ = -1;
        }
    }
    return at;
}

}  // namespace leafwright
