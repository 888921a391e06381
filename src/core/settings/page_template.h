#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace leafwright {

// What a header or footer may show about the page it stands on. A sheet is
// a page counted across every source of a combined document; for a single
// source the sheets are its pages.
struct PageFacts {
    std::uint64_t page = 1;
    std::uint64_t pages = 1;
    std::uint64_t sheet = 1;
    std::uint64_t sheets = 1;
    std::string file;   // the source's name, without its folder
    std::string path;   // as given
    std::string title;  // the document title
    std::time_t now = 0;
    std::time_t mtime = 0;
    bool utc = false;  // dates in UTC rather than local time
};

// A header or footer template: up to three fields separated by "|" (left,
// centre, right), each plain text with placeholders in braces: {page},
// {pages}, {sheet}, {sheets}, {file}, {path}, {title}, {date} and {mtime}.
// A number may be padded with zeros to a width ({page:03}); a date takes a
// strftime format ({date:%d.%m.%Y}), ISO YYYY-MM-DD without one. "{{" and
// "}}" stand for braces.
class PageTemplate {
  public:
    // Why text is not a template, naming the placeholder at fault, or
    // nothing when it is one.
    static std::optional<std::string> fault(std::string_view text);
    // text must be a template (fault(text) is empty); throws
    // std::invalid_argument otherwise.
    explicit PageTemplate(std::string_view text);

    bool empty() const noexcept { return empty_; }
    // The fields filled in for one page: left, centre and right.
    struct Filled {
        std::string left, centre, right;
    };
    Filled fill(const PageFacts& facts) const;
    // One field filled in (0 left, 1 centre, 2 right).
    std::string filledField(std::size_t field, const PageFacts& facts) const;
    // Whether a field shows the page's or the sheet's number, and so
    // differs from one page to the next.
    bool changesByPage(std::size_t field) const;
    // Whether any field shows the page count, which the layout must know
    // before the first page is written.
    bool showsPageCount() const noexcept { return showsPageCount_; }

  private:
    enum class Kind { Text, Page, Pages, Sheet, Sheets, File, Path, Title, Date, Mtime };
    struct Part {
        Kind kind = Kind::Text;
        std::string text;  // the text itself, or a date's format
        int width = 0;     // zero padding of a number
    };
    using Field = std::vector<Part>;
    std::string fillField(const Field& field, const PageFacts& facts) const;

    Field fields_[3];
    bool empty_ = true;
    bool showsPageCount_ = false;
};

// The time a date placeholder shows as "now": SOURCE_DATE_EPOCH when the
// environment sets it to a whole number of seconds (reproducible builds),
// else the clock. utc is set when it came from SOURCE_DATE_EPOCH.
std::time_t templateNow(bool& utc);

}  // namespace leafwright
