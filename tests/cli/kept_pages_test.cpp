// The pages a document drawn with embedded fonts plans are kept for writing,
// in memory and then in a scratch file under $TMPDIR. Where no scratch file
// can be made, or the kept bytes run out of room partway, the rest is drawn
// again: the document must be the same bytes every way.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/plain_text.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright::testing {
namespace {

// Long Arabic lines (shaped, right to left) among Hindi, Latin and numbers,
// enough that the pages' content passes what is kept in memory, with
// stretches of Latin lines beyond Mac OS Roman (drawn again, not kept) in
// between.
std::string shapedText(int lines, bool plainStretches) {
    const std::vector<std::string> shaped = {"\u0643\u062A\u0627\u0628",
                                             "\u0627\u0644\u0646\u0635",
                                             "\u0644\u0627",
                                             "\u0645\u0646",
                                             "\u0633\u0637\u0631",
                                             "\u0939\u093F\u0928\u094D\u0926\u0940",
                                             "page",
                                             "2026",
                                             "(PDF)",
                                             "\u0915\u094D\u0937"};
    const std::vector<std::string> plain = {"\u0141\u00F3d\u017A", "line", "text", "(x)", "3.5"};
    std::mt19937 random(11);
    std::string text;
    for (int line = 0; line < lines; ++line) {
        const auto& words = plainStretches && (line / 130) % 3 == 1 ? plain : shaped;
        for (int word = 0, count = 3 + static_cast<int>(random() % 25); word < count; ++word) {
            text += words[random() % words.size()];
            text += random() % 9 ? " " : ", ";
        }
        text += line % 97 == 5 ? "\t.\n" : ".\n";
    }
    return text;
}

class KeptPagesTest : public ::testing::Test {
  protected:
    ProcessResult convert(const std::string& tmpdir, const std::string& out,
                          const std::vector<std::string>& options) {
        std::vector<std::string> command = {
            "env", "SOURCE_DATE_EPOCH=1", "TMPDIR=" + tmpdir, LEAFWRIGHT_CLI, "convert", "--force"};
        command.insert(command.end(), options.begin(), options.end());
        command.insert(command.end(), {"-o", out, "text.txt"});
        return runProcess(command, dir.path());
    }
    TempDir dir;
};

TEST_F(KeptPagesTest, TheSameDocumentWhereverThePlannedPagesAreKept) {
    // Whole lines keep the pages that shape; rows are kept only when every
    // page shapes, with each row's line for the numbers.
    for (const bool rows : {false, true}) {
        const std::string source = shapedText(rows ? 7000 : 12000, !rows);
        writeBytes(dir.file("text.txt"), source);
        std::filesystem::create_directories(dir.file("tmp"));
        // The last: one page cut to the text's size.
        writeBytes(dir.file("adapt.tcf"),
                   "A4  [595,842]\r\nTimes-Roman\r\n14\r\nBlack\r\nWhite\r\n0\r\n36\r\n"
                   "36\r\nFALSE\r\nFALSE\r\nDefault Path\r\nTRUE\r\n");
        const std::vector<std::vector<std::string>> settings =
            rows ? std::vector<std::vector<std::string>>{{"--wrap=word-char", "--line-numbers=1",
                                                          "--footer={page}/{pages}"}}
                 : std::vector<std::vector<std::string>>{
                       {},
                       {"--header={file}||{page}/{pages}", "--line-numbers=5", "--compress"},
                       {"--config", "adapt.tcf"}};
        for (const std::vector<std::string>& options : settings) {
            const ProcessResult kept = convert(dir.file("tmp"), "kept.pdf", options);
            ASSERT_EQ(kept.exitStatus, 0) << kept.err;
            // No scratch file can be made: only what memory holds is kept.
            const ProcessResult drawn = convert(dir.file("missing"), "drawn.pdf", options);
            ASSERT_EQ(drawn.exitStatus, 0) << drawn.err;
            const std::string pdf = readBytes(dir.file("kept.pdf"));
            if (options.size() != 3 || rows) {
                ASSERT_GT(pdf.size(), 4u << 20);
            }
            EXPECT_TRUE(pdf == readBytes(dir.file("drawn.pdf"))) << options.size();
            EXPECT_EQ(kept.err, drawn.err);
            // The scratch file has no name: nothing is left in its folder.
            EXPECT_TRUE(std::filesystem::is_empty(dir.file("tmp")));
            const ProcessResult check = runProcess({"qpdf", "--check", "kept.pdf"}, dir.path());
            EXPECT_EQ(check.exitStatus, 0) << check.out;
            const ProcessResult back = runProcess(
                {LEAFWRIGHT_CLI, "unspool", "--force", "-o", "back.txt", "kept.pdf"}, dir.path());
            ASSERT_EQ(back.exitStatus, 0) << back.err;
            EXPECT_TRUE(readBytes(dir.file("back.txt")) == withCrLf(source));
        }
    }
}

}  // namespace
}  // namespace leafwright::testing
