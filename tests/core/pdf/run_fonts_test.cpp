// The installed faces are found, opened and prepared once a run, and
// shared by the jobs that convert files at once: a document in mixed
// scripts must come out the same whichever document of the run it is, in
// a run of its own, or next to another on a second thread.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/pdf/conversion_run.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using namespace leafwright::testing;

// Latin, Korean, Hindi, Thai, Arabic and an emoji on each line, varied by
// the seed so that two documents ask the faces for different glyphs.
std::string mixedText(int seed) {
    const std::vector<std::string> korean = {"\uD55C\uAD6D\uC5B4", "\uC11C\uC6B8", "\uBC14\uB2E4",
                                             "\uD558\uB298\uACFC"};
    const std::vector<std::string> hindi = {"\u0939\u093F\u0928\u094D\u0926\u0940",
                                            "\u0915\u093F\u0924\u093E\u092C",
                                            "\u092A\u093E\u0928\u0940"};
    const std::vector<std::string> thai = {"\u0E20\u0E32\u0E29\u0E32\u0E44\u0E17\u0E22",
                                           "\u0E19\u0E49\u0E33", "\u0E1A\u0E49\u0E32\u0E19"};
    const std::vector<std::string> arabic = {"\u0627\u0644\u0639\u0631\u0628\u064A\u0629",
                                             "\u0643\u062A\u0627\u0628"};
    std::string text;
    for (int line = 0; line < 60; ++line) {
        const int n = line * 7 + seed;
        text += "Line " + std::to_string(line) + ": " + korean[n % korean.size()] + " " +
                hindi[(n / 2) % hindi.size()] + " " + thai[(n / 3) % thai.size()] + " " +
                arabic[n % arabic.size()] + " \U0001F600 (" + std::to_string(n) + ")\n";
    }
    return text;
}

std::string convertWith(const FileRunSteps& steps, const std::string& source,
                        const std::string& output) {
    const FileRunStepResult result = steps.convertOne(source, output, {});
    EXPECT_TRUE(result.placed) << source;
    return readBytes(output);
}

TEST(RunFonts, AMixedDocumentComesOutTheSameInEveryRunAndOnTwoThreads) {
    TempDir dir;
    writeBytes(dir.file("mixed.txt"), mixedText(0));
    writeBytes(dir.file("other.txt"), mixedText(3));

    ConversionSettings settings;
    std::shared_ptr<FontProvider> fonts = runFonts(settings);
    const FileRunSteps steps = conversionSteps(settings, {}, fonts);
    // The first document cuts every face's subset from the face itself, the
    // later ones from the face prepared for subsetting.
    const std::string first = convertWith(steps, dir.file("mixed.txt"), dir.file("first.pdf"));
    const std::string other = convertWith(steps, dir.file("other.txt"), dir.file("other.pdf"));
    EXPECT_NE(first, other);
    EXPECT_EQ(convertWith(steps, dir.file("mixed.txt"), dir.file("again.pdf")), first);

    ConversionSettings ownSettings;
    const FileRunSteps ownRun = conversionSteps(ownSettings);
    EXPECT_EQ(convertWith(ownRun, dir.file("mixed.txt"), dir.file("own.pdf")), first);
    EXPECT_EQ(convertWith(ownRun, dir.file("other.txt"), dir.file("own-other.pdf")), other);

    // Two jobs of one run, each with its settings, taking turns at nothing.
    ConversionSettings secondSettings;
    const FileRunSteps second = conversionSteps(secondSettings, {}, fonts);
    std::vector<std::string> made(8);
    auto job = [&](const FileRunSteps& jobSteps, int from) {
        for (int i = from; i < 8; i += 2) {
            const std::string name = i % 4 < 2 ? "mixed.txt" : "other.txt";
            made[i] =
                convertWith(jobSteps, dir.file(name), dir.file("job" + std::to_string(i) + ".pdf"));
        }
    };
    std::thread helper(job, std::cref(second), 1);
    job(steps, 0);
    helper.join();
    for (int i = 0; i < 8; ++i) EXPECT_EQ(made[i], i % 4 < 2 ? first : other) << "document " << i;

    if (!haveProgram("pdffonts") || !haveProgram("qpdf")) return;
    const auto check = runProcess({"qpdf", "--check", dir.file("job5.pdf")});
    EXPECT_EQ(check.exitStatus, 0) << check.out << check.err;
    // Several faces (the main one and the fallbacks of the scripts), each
    // embedded as a subset with a Unicode map.
    const auto listed = runProcess({"pdffonts", dir.file("job5.pdf")});
    std::size_t faces = 0;
    for (std::size_t at = listed.out.find("yes yes yes"); at != std::string::npos;
         at = listed.out.find("yes yes yes", at + 1))
        ++faces;
    EXPECT_GE(faces, 3u) << listed.out;
}

TEST(RunFonts, AFontFileIsReadOnceARunWhateverHappensToItAfterwards) {
    const std::string dejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (!std::filesystem::exists(dejaVu)) GTEST_SKIP() << "no DejaVu Sans";
    TempDir dir;
    std::filesystem::copy_file(dejaVu, dir.file("chosen.ttf"));
    writeBytes(dir.file("a.txt"), "Plain words and \u00E9t\u00E9 in the chosen face.\n");

    ConversionSettings settings;
    settings.chosen.more.fontFile = dir.file("chosen.ttf");
    std::shared_ptr<FontProvider> fonts = runFonts(settings);
    const FileRunSteps steps = conversionSteps(settings, {}, fonts);
    const std::string before = convertWith(steps, dir.file("a.txt"), dir.file("a.pdf"));
    ASSERT_FALSE(before.empty());

    // Cut short on disk in the middle of the run: the run goes on with the
    // face as it was read, and the next document is the same as the first.
    writeBytes(dir.file("chosen.ttf"), "not a font any more");
    EXPECT_EQ(convertWith(steps, dir.file("a.txt"), dir.file("b.pdf")), before);

    // A new run reads the file again, and refuses it.
    const FileRunSteps nextRun = conversionSteps(settings);
    EXPECT_THROW(nextRun.convertOne(dir.file("a.txt"), dir.file("c.pdf"), {}), std::runtime_error);
    EXPECT_FALSE(std::filesystem::exists(dir.file("c.pdf")));
}

}  // namespace
}  // namespace leafwright
