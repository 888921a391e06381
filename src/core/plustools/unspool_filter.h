#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/plustools/marked_content.h"
#include "core/plustools/pdf_tokenizer.h"

namespace leafwright {

class FontTextMaps;
class ToUnicodeMap;

// Copies the text of the strings shown inside the text objects of an
// uncompressed PDF out of its lines. It reads the lines as PDF tokens, but
// parses no objects: "BT" and "ET" (as operators, not inside strings, names
// or comments) open and close text objects, and every string that begins
// inside one is written, literal or hexadecimal, all those of one line
// joined into one output line. A string may run over several lines; its
// pieces are joined and the output line ends after the line it closes on.
//
// A string shown in a font (selected with "/Name size Tf") that has a
// /ToUnicode map is decoded through it; any other is taken byte for byte as
// Mac OS Roman. In those, "\\", "\(" and "\)" give the character after the
// backslash and every other escape stays as written.
//
// Page furniture, marked as an artifact, is skipped. A row after the point
// "/LwCont MP" goes on the line before it, with no line end between them,
// even when that line stands on an earlier page; at "/LwFF MP" a form feed
// (0x0C) is written in place of that line end, and the next row goes on the
// same line. The mark takes back the line end written last (CR LF at the end
// of `out`), so the filter must be handed the same `out` until its text
// comes after that line end; LineFeeder holds such a line end back when it
// hands its output on.
//
// One filter serves one source file, fed its lines in order. A line may be
// fed in pieces of any size: only the filter's state is kept between them.
class UnspoolFilter final : private PdfTokenizer::Events {
  public:
    UnspoolFilter() = default;
    // The fonts' maps must outlive the filter.
    explicit UnspoolFilter(const FontTextMaps* fonts) : fonts_(fonts) {}

    // The fonts' maps from now on (those of a new page); no font is chosen
    // until the next "Tf". The maps must outlive their use.
    void useFonts(const FontTextMaps* fonts) noexcept {
        fonts_ = fonts;
        font_ = nullptr;
    }
    // A page's content ends: page furniture left open ends with it.
    void endPage() noexcept { marks_.endPage(); }

    // Passes the next piece of the current line through the filter and
    // appends what it yields to out (UTF-8).
    void filterPiece(std::string_view piece, std::string& out);
    // Ends the current line (its line end is not part of it): writes CR LF
    // when a string ended on it and no string that is written is left open
    // (an open one goes on into the next line, and its line with it). A
    // mark before the next text takes that CR LF back.
    void endLine(std::string& out);
    // Ends the input, after its last line: a hexadecimal string left open
    // gives its odd last digit as a closed one would. A string left open
    // writes no line end of its own; a form feed that no row followed ends
    // its line with CR LF.
    void endInput(std::string& out);
    // Ends the line a form feed left open, as the end of the input does, so
    // that what comes next starts a line of its own (in another file); no
    // mark takes back a line end written before.
    void closeLine(std::string& out);
    // The last bytes written are a line end that a mark may yet take back.
    bool lineEndMayBeTakenBack() const noexcept { return lineEndLast_; }
    // A whole line: its pieces, then its end.
    void filterLine(std::string_view line, std::string& out) {
        filterPiece(line, out);
        endLine(out);
    }

    // Text objects opened minus text objects closed; may fall below 0.
    std::int64_t textDepth() const noexcept { return textDepth_; }
    // Unbalanced parentheses of a literal string left open (its own opening
    // one included); 1 for an open hexadecimal string; 0 outside strings.
    std::int64_t openStrings() const noexcept { return tokenizer_.openStrings(); }

  private:
    // Longer names cannot select a font (and are not kept whole).
    static constexpr std::size_t kMaxToken = 127;

    void onWord(std::string_view word, bool tooLong) override;
    void onName(std::string_view name, bool tooLong) override;
    void onStringBegin(PdfTokenizer::StringKind kind) override;
    void onLiteralBytes(std::string_view bytes) override;
    void onEscapedByte(unsigned char c) override;
    void onHexByte(unsigned char byte) override;
    void onStringEnd(PdfTokenizer::StringKind kind) override;
    void stringByte(unsigned char byte);
    void endOctal();
    void flushCodes();
    void appendCodeText(std::size_t length);
    void takeMark(MarkedContent::Mark mark);

    const FontTextMaps* fonts_ = nullptr;
    std::int64_t textDepth_ = 0;
    PdfTokenizer tokenizer_{kMaxToken};
    std::string* out_ = nullptr;  // where the piece being filtered writes

    std::string lastName_;  // the last name read, for "Tf"
    bool lastNameUsable_ = false;
    const ToUnicodeMap* font_ = nullptr;  // the current font's map, if any

    // The string being read.
    int octalDigits_ = 0;  // of an octal escape being read (with a map)
    unsigned octal_ = 0;
    bool visible_ = false;                     // begun inside a text object: written
    const ToUnicodeMap* stringMap_ = nullptr;  // decoded through this map
    std::string codes_;                        // bytes of a code not yet complete
    std::string codeText_;                     // the text of one code, before it is written
    bool lineBreakDue_ = false;                // a string written on this line has ended
    bool lineEndLast_ = false;                 // CR LF of a line end is the last thing written
    bool formFeedOpen_ = false;  // a form feed was written, and no row after it has ended
    MarkedContent marks_;
};

}  // namespace leafwright
