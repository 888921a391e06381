// Files converted in one call learn from each other (faces, word shapes):
// each file's PDF must still be the one it gets when converted alone,
// whatever came before it and however many jobs run.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright::testing {
namespace {

// A text of lines mixing Latin words with Korean, Chinese, Hindi, Thai,
// Arabic and emoji, the pieces drawn from small sets so that the files share
// many words, each file in its own mix.
std::string mixedText(unsigned seed) {
    const std::vector<std::vector<std::string>> scripts = {
        {"File", "text", "page", "line", "of", "2026"},
        {"\uD55C", "\uAD6D", "\uC5B4", "\uBB38", "\uC7A5"},
        {"\u4E2D", "\u6587", "\u5B57", "\u65E5", "\u672C"},
        {"\u0915", "\u093F", "\u0930", "\u094D", "\u0938", "\u0940"},
        {"\u0E01", "\u0E02", "\u0E31", "\u0E07", "\u0E35"},
        {"\u0627", "\u0644", "\u0628", "\u062A", "\u0645"},
        {"\U0001F600", "\U0001F680", "\U0001F30D"}};
    std::mt19937 random(seed);
    std::string text;
    for (int line = 0, lines = 10 + static_cast<int>(random() % 30); line < lines; ++line) {
        for (int word = 0; word < 7; ++word) {
            const auto& pieces = scripts[random() % (seed % 2 ? scripts.size() : 4)];
            for (int k = 1 + static_cast<int>(random() % 3); k > 0; --k)
                text += pieces[random() % pieces.size()];
            text += random() % 4 ? " " : ": ";
        }
        text += "\n";
    }
    return text;
}

class RunOrderTest : public ::testing::Test {
  protected:
    ProcessResult convert(const std::string& folder, const std::vector<std::string>& names,
                          int jobs) {
        std::filesystem::create_directories(dir.file(folder));
        std::string list;
        for (const std::string& name : names) list += "src/" + name + ".txt\n";
        writeBytes(dir.file(folder + ".list"), list);
        return runProcess(
            {"env", "SOURCE_DATE_EPOCH=1", LEAFWRIGHT_CLI, "convert", "-j", std::to_string(jobs),
             "--force", "--output-dir", folder, "--files-from", folder + ".list"},
            dir.path());
    }
    TempDir dir;
};

TEST_F(RunOrderTest, EachFileIsWrittenAsAloneWhateverWasConvertedBeforeIt) {
    std::filesystem::create_directories(dir.file("src"));
    std::vector<std::string> names;
    for (unsigned n = 0; n < 16; ++n) {
        names.push_back("f" + std::to_string(n));
        writeBytes(dir.file("src/" + names.back() + ".txt"), mixedText(n));
    }
    std::vector<std::string> reversed(names.rbegin(), names.rend());
    std::vector<std::string> shuffled = names;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(9));
    // The warnings of characters no face has (where a script has none
    // installed) do not matter here; the exit status does.
    EXPECT_EQ(convert("forward", names, 1).exitStatus, 0);
    EXPECT_EQ(convert("backward", reversed, 2).exitStatus, 0);
    EXPECT_EQ(convert("shuffled", shuffled, 2).exitStatus, 0);
    for (const std::string& name : names) {
        ASSERT_EQ(convert("alone", {name}, 1).exitStatus, 0);
        const std::string alone = readBytes(dir.file("alone/" + name + ".pdf"));
        ASSERT_FALSE(alone.empty());
        EXPECT_EQ(readBytes(dir.file("forward/" + name + ".pdf")), alone) << name;
        EXPECT_EQ(readBytes(dir.file("backward/" + name + ".pdf")), alone) << name;
        EXPECT_EQ(readBytes(dir.file("shuffled/" + name + ".pdf")), alone) << name;
    }
}

}  // namespace
}  // namespace leafwright::testing
