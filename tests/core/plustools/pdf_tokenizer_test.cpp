#include "core/plustools/pdf_tokenizer.h"

#include <gtest/gtest.h>

#include <string>

namespace leafwright {
namespace {

// Writes the events down as text; string bytes are joined, as how they are
// cut into runs depends on the pieces.
class Transcript : public PdfTokenizer::Events {
  public:
    std::string text;
    std::string handOverAfter;  // the word after which the user takes the bytes
    PdfTokenizer* tokenizer = nullptr;

    void onWord(std::string_view word, bool tooLong) override {
        add("w:", word, tooLong);
        if (word == handOverAfter) tokenizer->handOver();
    }
    void onName(std::string_view name, bool tooLong) override { add("n:", name, tooLong); }
    void onDelimiter(PdfTokenizer::Delimiter delimiter) override {
        add("d", std::to_string(static_cast<int>(delimiter)));
    }
    void onStringBegin(PdfTokenizer::StringKind kind) override {
        add(kind == PdfTokenizer::StringKind::Hex ? "<" : "(");
    }
    void onLiteralBytes(std::string_view bytes) override { text += bytes; }
    void onEscapedByte(unsigned char byte) override {
        text += '\\';
        text += static_cast<char>(byte);
    }
    void onHexByte(unsigned char byte) override {
        text += 'x';
        text += std::to_string(byte);
    }
    void onStringEnd(PdfTokenizer::StringKind kind) override {
        add(kind == PdfTokenizer::StringKind::Hex ? ">" : ")");
    }

  private:
    void add(std::string_view what, std::string_view value = {}, bool tooLong = false) {
        text += ' ';
        text += what;
        text += value;
        if (tooLong) text += '+';
        text += ' ';
    }
};

// Every kind of token, and the ends a word can come to: its length limit (6
// here), a delimiter, a comment's end at LF or CR, a lone ">" and a stray ")".
const std::string kSyntax =
    "12 abcdef abcdefg /Name1 /Name123 % a (comment) <<\n"
    "<< /K [1 2] {x} >> > ) (a(b)\\)\\\\c\\101\xA5)%c\r<4 1a\n0>< >"
    "<</F 3 0 R>>(open \\";

TEST(PdfTokenizer, ReportsTheSameTokensWhereverThePiecesEnd) {
    Transcript whole;
    PdfTokenizer tokenizer(6);
    EXPECT_EQ(tokenizer.feed(kSyntax, whole), kSyntax.size());
    EXPECT_EQ(whole.text,
              " w:12  w:abcdef  w:abcdef+  n:Name1  n:Name12+  d2  n:K  d0  w:1  w:2  d1  d4  w:x "
              " d5  d3  d6  ( a(b)\\)\\\\c\\101\xA5 )  < x65x160 >  <  >  d2  n:F  w:3  w:0  w:R "
              " d3  ( open ");
    EXPECT_TRUE(tokenizer.escapePending());
    EXPECT_EQ(tokenizer.openStrings(), 1);

    for (std::size_t cut = 1; cut < kSyntax.size(); ++cut) {
        Transcript pieces;
        PdfTokenizer again(6);
        again.feed(std::string_view(kSyntax).substr(0, cut), pieces);
        again.feed(std::string_view(kSyntax).substr(cut), pieces);
        ASSERT_EQ(pieces.text, whole.text) << "cut at " << cut;
    }
    Transcript bytewise;
    PdfTokenizer byByte(6);
    for (char c : kSyntax) byByte.feed(std::string_view(&c, 1), bytewise);
    EXPECT_EQ(bytewise.text, whole.text);
}

TEST(PdfTokenizer, HandsOverTheBytesAfterTheByteThatEndsTheWord) {
    const std::string data = "1 0 obj stream\r\n(not a string";
    Transcript events;
    events.handOverAfter = "stream";
    PdfTokenizer tokenizer(127);
    events.tokenizer = &tokenizer;
    std::size_t read = tokenizer.feed(data, events);
    EXPECT_EQ(data.substr(read), "\n(not a string");
    EXPECT_FALSE(tokenizer.inString());
    // Fed again after the data, it reads on from between tokens.
    EXPECT_EQ(tokenizer.feed("endobj ", events), 7u);
    EXPECT_EQ(events.text, " w:1  w:0  w:obj  w:stream  w:endobj ");
}

}  // namespace
}  // namespace leafwright
