// Rows cut by a measure whose fitting end only estimates: the row chosen
// must still fit as drawn, and the rows must give the line back whole.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/pdf/wrapped_lines.h"

namespace leafwright {
namespace {

// Every byte is one unit wide, as drawn; fittingEnd claims `slack` more
// than fits, as an estimate from a text shaped in one piece may.
class Overestimating : public RowMeasure {
  public:
    Overestimating(std::size_t width, std::size_t slack) : width_(width), slack_(slack) {}
    std::size_t fittingEnd(std::string_view text, bool& pastEdge) override {
        pastEdge = text.size() > width_;
        return std::min(text.size(), width_ + slack_);
    }
    bool fits(std::string_view, std::size_t hangingFrom) override {
        ++asked;
        return hangingFrom <= width_;
    }
    std::size_t asked = 0;

  private:
    std::size_t width_, slack_;
};

struct Rows : RowSink {
    void row(std::string_view characters, bool continuation) override {
        rows.emplace_back(characters);
        continued.push_back(continuation);
    }
    void formFeed() override {}
    std::vector<std::string> rows;
    std::vector<bool> continued;
};

std::size_t withoutHangingSpaces(const std::string& row) {
    const std::size_t last = row.find_last_not_of(' ');
    return last == std::string::npos ? 0 : last + 1;
}

TEST(RowMeasure, ARowMovesBackUntilItFitsAsDrawn) {
    std::mt19937 random(11);
    for (WrapMode mode : {WrapMode::WordChar, WrapMode::Char}) {
        for (int trial = 0; trial < 40; ++trial) {
            const std::size_t width = 10 + random() % 60;
            Overestimating measure(width, 1 + random() % 12);
            LineWrapper wrapper(measure, mode, false);
            std::string line;
            for (int k = static_cast<int>(random() % 80); k > 0; --k) {
                line += std::string(1 + random() % (random() % 9 == 0 ? 90 : 9), 'a' + k % 26);
                line += std::string(1 + random() % 3, ' ');
            }
            Rows rows;
            wrapper.beginLine(rows);
            // In pieces cut anywhere, as the source hands them out.
            for (std::size_t at = 0; at < line.size();) {
                const std::size_t piece = 1 + random() % 37;
                wrapper.add(std::string_view(line).substr(at, piece));
                at += piece;
            }
            wrapper.endLine();
            std::string joined;
            for (std::size_t r = 0; r < rows.rows.size(); ++r) {
                joined += rows.rows[r];
                EXPECT_EQ(rows.continued[r], r > 0);
                EXPECT_LE(withoutHangingSpaces(rows.rows[r]), width)
                    << "row " << r << " of \"" << line << "\" in " << width;
            }
            EXPECT_EQ(joined, line);
            if (line.size() > 2 * width) {
                EXPECT_GT(measure.asked, 0u);
            }
            if (::testing::Test::HasFailure()) return;
        }
    }
}

}  // namespace
}  // namespace leafwright
