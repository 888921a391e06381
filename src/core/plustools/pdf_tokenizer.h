#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace leafwright {

// Cuts PDF syntax into tokens, fed in pieces of any size: only its state is
// kept between them, and no token is ever held whole but words and names,
// which are cut at a length the user chooses (a hostile file cannot make it
// keep more). It tells its user what it finds through Events and leaves all
// meaning to the user: comments and white space are dropped, strings are
// handed over byte by byte as they come, escapes undecoded (the users decode
// them differently), and what is not valid syntax (a lone ">", a stray ")")
// is passed over or reported, never an error.
class PdfTokenizer {
  public:
    enum class Delimiter {
        ArrayOpen,
        ArrayClose,
        DictionaryOpen,
        DictionaryClose,
        BraceOpen,
        BraceClose,
        StrayClose  // a ")" outside strings
    };
    enum class StringKind { Literal, Hex };

    // What the tokenizer reports; a user overrides what it needs.
    class Events {
      public:
        // A word of regular characters (a number, an operator, a keyword),
        // or a name without its "/". tooLong: it was longer than the limit
        // and is cut there.
        virtual void onWord(std::string_view /*word*/, bool /*tooLong*/) {}
        virtual void onName(std::string_view /*name*/, bool /*tooLong*/) {}
        virtual void onDelimiter(Delimiter /*delimiter*/) {}
        virtual void onStringBegin(StringKind /*kind*/) {}
        // Bytes of a literal string as written, nested parentheses
        // included; never a backslash nor the closing parenthesis.
        virtual void onLiteralBytes(std::string_view /*bytes*/) {}
        // The byte after a backslash in a literal string (the backslash is
        // not reported). Any further digits of an octal escape come as
        // literal bytes.
        virtual void onEscapedByte(unsigned char /*byte*/) {}
        // A byte of a hexadecimal string, decoded; an odd last digit stands
        // for its byte with a 0 after it.
        virtual void onHexByte(unsigned char /*byte*/) {}
        virtual void onStringEnd(StringKind /*kind*/) {}

      protected:
        ~Events() = default;
    };

    // maxWord: at least 1.
    explicit PdfTokenizer(std::size_t maxWord) : maxWord_(maxWord) {}

    // Reads bytes and reports what they hold; returns how many it read: all
    // of them, unless the user called handOver.
    std::size_t feed(std::string_view bytes, Events& events);
    // The end of the input: a word or name being read is reported, and so is
    // the odd last digit of an open hexadecimal string (as its ">" would
    // report it); the string itself stays open.
    void endInput(Events& events);
    // Called from onWord: the tokenizer stops after the byte that ended the
    // word, which is read no further, and the user takes the bytes after it
    // (the data after "stream" is not PDF syntax).
    void handOver() noexcept { handedOver_ = true; }

    bool inString() const noexcept { return state_ == State::Literal || state_ == State::Hex; }
    bool inLiteral() const noexcept { return state_ == State::Literal; }
    // Unbalanced parentheses of an open literal string, its own opening one
    // included; 1 in an open hexadecimal string; 0 outside strings.
    std::int64_t openStrings() const noexcept;

    // For a user whose input comes in lines without their line ends, when a
    // line ends inside a literal string: a backslash waiting for its byte,
    // which the user then deals with itself.
    bool escapePending() const noexcept { return state_ == State::Literal && escape_; }
    void dropEscape() noexcept { escape_ = false; }

  private:
    enum class State { Normal, Comment, Literal, Hex, AfterLess, AfterGreater, Word, Name };

    std::size_t literal(std::string_view bytes, std::size_t at, Events& events);
    std::size_t hex(std::string_view bytes, std::size_t at, Events& events);
    void between(unsigned char c, Events& events);
    void endWord(Events& events);

    std::size_t maxWord_;
    State state_ = State::Normal;
    bool handedOver_ = false;
    std::string word_;  // the word or name being read, at most maxWord_ bytes
    bool wordTooLong_ = false;
    std::int64_t literalDepth_ = 0;
    bool escape_ = false;  // a backslash read, its byte not yet
    int hexHalf_ = -1;     // a first hex digit waiting for its second
};

}  // namespace leafwright
