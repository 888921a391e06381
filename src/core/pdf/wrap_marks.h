#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/pdf/text_area.h"

namespace leafwright {

// The marked-content points that let a reader put a wrapped or form-feed
// split line back together: each on a content line of its own, before the
// row that continues the row before it, and after the row that stood before
// a form feed.
inline constexpr std::string_view kContinuedRowMark = "\r\n/LwCont MP";
inline constexpr std::string_view kFormFeedMark = "\r\n/LwFF MP";

// Draws the marks of continued rows in the right margin: small arrows,
// stroked in the text colour as paths outside the text object and marked as
// artifacts, so they show on paper but never in extracted text.
class ContinuationArrows {
  public:
    // textRgb: "r g b" as the page writes it.
    ContinuationArrows(const TextArea& area, double textTop, double leading, double fontSize,
                       std::string textRgb);

    // A continued row, `row` rows (from 0) below the top of the page; the
    // arrow of a right-to-left row stands in the left margin, pointing left.
    void add(std::uint64_t row, bool rightToLeft = false);
    bool empty() const noexcept { return paths_.empty(); }
    // Appends the block of the arrows added (after the text object) and
    // forgets them.
    void appendTo(std::string& bytes);

  private:
    // Rows whose arrows are kept once written (a page holds fewer).
    static constexpr std::uint64_t kKnownRows = 4096;
    void appendArrow(std::string& out, std::uint64_t row, bool rightToLeft) const;

    std::vector<std::string> rightArrows_, leftArrows_;
    double left_, right_, top_, leading_, size_;
    std::string rgb_;
    std::string paths_;
};

}  // namespace leafwright
