// Rows recorded by the reading that counts the pages come back, in the
// reading that writes them, exactly as the line wrapper handed them out,
// however the lines arrive in pieces and wherever the pages cut the marks;
// a line that no longer makes them fails as a changed source.
#include "core/pdf/row_replay.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/pdf/kept_page_bodies.h"
#include "core/platform/file_error.h"

namespace leafwright {
namespace {

// What a sink was handed: "R<continued>:<text>" for rows, "F" for form feeds,
// "E" after each line.
struct Events : RowSink {
    std::vector<std::string> seen;
    void row(std::string_view characters, bool continuation) override {
        seen.push_back(std::string("R") + (continuation ? "1:" : "0:") + std::string(characters));
    }
    void formFeed() override { seen.push_back("F"); }
};

// A line as the wrapper would cut it: its rows (some empty, some long
// enough for marks of several bytes) and form feeds, in order.
struct Line {
    std::string text;
    std::vector<std::string> events;  // as Events writes them
};

Line generatedLine(std::mt19937& random) {
    Line line;
    const int parts = static_cast<int>(random() % 6);
    bool first = true;
    for (int k = 0; k <= parts; ++k) {
        if (k > 0 && random() % 3 == 0) {
            line.text += '\f';
            line.events.push_back("F");
            continue;
        }
        const std::size_t length = random() % 5 == 0 ? random() % 20000 : random() % 90;
        std::string row(length, 'a');
        for (char& c : row) c = static_cast<char>('a' + random() % 26);
        line.text += row;
        line.events.push_back(std::string("R") + (first ? "0:" : "1:") + row);
        first = false;
    }
    return line;
}

// Records the lines as a counting reading does, pages of a few rows each,
// in cuts; memory: how much of it stays in memory.
std::unique_ptr<KeptPageBodies> recorded(const std::vector<Line>& lines, std::size_t memory) {
    auto cuts = std::make_unique<KeptPageBodies>(memory);
    Events ignored;
    RowRecorder recorder(ignored, *cuts);
    std::mt19937 random(5);
    for (const Line& line : lines) {
        for (const std::string& event : line.events) {
            if (event == "F") {
                recorder.formFeed();
            } else {
                recorder.row(event.substr(3), event[1] == '1');
            }
            if (random() % 4 == 0) recorder.endPage();  // a page ends
        }
        recorder.endLine();
    }
    recorder.endPage();
    return cuts;
}

// Replays the lines, each handed over in random pieces.
std::vector<std::string> replayed(RowReplay& replay, const std::vector<Line>& lines,
                                  std::mt19937& random) {
    Events events;
    for (const Line& line : lines) {
        replay.beginLine(events);
        for (std::size_t at = 0; at < line.text.size();) {
            const std::size_t piece =
                std::min<std::size_t>(line.text.size() - at, 1 + random() % 3000);
            replay.add(std::string_view(line.text).substr(at, piece));
            at += piece;
        }
        replay.endLine();
        events.seen.push_back("E");
    }
    return events.seen;
}

TEST(RowReplay, GivesBackTheRowsRecorded) {
    std::mt19937 random(20261209);
    for (int round = 0; round < 20; ++round) {
        std::vector<Line> lines;
        std::vector<std::string> expected;
        for (int k = static_cast<int>(random() % 200); k >= 0; --k) {
            lines.push_back(random() % 7 == 0 ? Line{"", {"R0:"}} : generatedLine(random));
            for (const std::string& event : lines.back().events) expected.push_back(event);
            expected.push_back("E");
        }
        // In memory, and mostly in the scratch file.
        for (std::size_t memory : {std::size_t{4} << 20, std::size_t{16}}) {
            SCOPED_TRACE(testing::Message() << "round " << round << ", memory " << memory);
            RowReplay replay(recorded(lines, memory), "text.txt");
            EXPECT_EQ(replayed(replay, lines, random), expected);
        }
    }
}

TEST(RowReplay, ALineThatChangedFailsAsAChangedSource) {
    std::mt19937 random(3);
    std::vector<Line> lines;
    for (int k = 0; k < 30; ++k) lines.push_back(generatedLine(random));
    lines[10] = {"abc\fdef", {"R0:abc", "F", "R1:def"}};
    // A byte more or fewer, a form feed gone, a line more.
    std::vector<std::vector<Line>> changed(4, lines);
    changed[0][10].text += "x";
    changed[1][10].text.pop_back();
    changed[2][10].text[3] = 'x';
    changed[3].push_back(lines[0]);
    for (const std::vector<Line>& now : changed) {
        RowReplay replay(recorded(lines, 64), "text.txt");
        try {
            replayed(replay, now, random);
            ADD_FAILURE() << "a changed text was replayed";
        } catch (const FileError& error) {
            EXPECT_EQ(error.path(), "text.txt");
            EXPECT_EQ(error.cause(), "changed while it was being converted");
        }
    }
}

}  // namespace
}  // namespace leafwright
