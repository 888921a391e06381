#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace leafwright {

// Copies the literal strings inside the text objects of an uncompressed PDF
// out of its lines. It parses no PDF structure: a line holding "BT" opens a
// text object, a line holding "ET" closes one, and of each line inside a
// text object only the first string is taken. A string may run over several
// lines; its pieces are joined into one output line.
//
// One filter serves one source file, fed its lines in order.
class UnspoolFilter {
  public:
    // Passes one source line (without its line end) through the filter and
    // appends what it yields to out: the string text in UTF-8 (bytes from
    // 0x80 up decoded from Mac OS Roman) and CR LF where a string ends.
    void filterLine(std::string_view line, std::string& out);

    // Text objects opened minus text objects closed; may fall below 0.
    std::int64_t textDepth() const noexcept { return textDepth_; }
    // Strings opened on earlier lines and not yet closed.
    std::int64_t openStrings() const noexcept { return openStrings_; }

  private:
    std::string_view mask(std::string_view line);

    std::int64_t textDepth_ = 0;
    std::int64_t openStrings_ = 0;
    std::string masked_;  // reused for lines that hold a backslash
};

// Appends a piece of a masked line as output text: the markers of escaped
// parentheses become bare parentheses, bytes from 0x80 up become UTF-8.
void appendUnmaskedText(std::string_view piece, std::string& out);

}  // namespace leafwright
