// The furniture that no page changes is drawn once, in a form every page
// calls: judged by qpdf, by where pdftotext finds the header on each page,
// and by Unspool giving the source back, compressed or not, on one thread
// or two.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "cli/converted_documents.h"
#include "support/pdftotext_boxes.h"
#include "support/plain_text.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright::testing {
namespace {

std::string wordyLines(int count) {
    std::mt19937 random(7);
    const std::vector<std::string> words = {"alpha", "(beta)", "gamma\\", "delta", "eps"};
    std::string source;
    for (int line = 0; line < count; ++line) {
        char tag[16];
        std::snprintf(tag, sizeof tag, "t%05d", line);
        source += tag;
        for (int k = static_cast<int>(random() % 12); k > 0; --k)
            source += " " + words[random() % words.size()];
        source += "\n";
    }
    return source;
}

TEST(FurnitureForm, EveryPageCallsTheOneFormAndShowsItsHeader) {
    TempDir dir;
    const std::string source = wordyLines(4000);
    writeBytes(dir.file("source.txt"), source);
    auto convert = [&](const std::vector<std::string>& more, const std::string& out) {
        std::vector<std::string> command = {LEAFWRIGHT_CLI,
                                            "convert",
                                            "--force",
                                            "--header={file}|Notes|{page}/{pages}",
                                            "--footer=draft||{page}",
                                            "--line-numbers=5",
                                            "-o",
                                            out};
        command.insert(command.end(), more.begin(), more.end());
        command.push_back("source.txt");
        auto run = runProcess(command, dir.path());
        ASSERT_EQ(run.exitStatus, 0) << run.err;
        expectQpdfFindsNothing(dir.file(out));
        auto back =
            runProcess({LEAFWRIGHT_CLI, "unspool", "--force", "-o", out + ".txt", out}, dir.path());
        ASSERT_EQ(back.exitStatus, 0) << back.err;
        EXPECT_TRUE(readBytes(dir.file(out + ".txt")) == withCrLf(source)) << out;
    };
    convert({"-j", "1"}, "one.pdf");
    convert({"-j", "2"}, "two.pdf");
    convert({"-j", "1", "--compress"}, "packed.pdf");
    const std::string pdf = readBytes(dir.file("one.pdf"));
    EXPECT_TRUE(pdf == readBytes(dir.file("two.pdf"))) << "two threads, other bytes";

    // One form, and every page naming it and calling it once.
    const std::size_t pages = (4000 + 46) / 47;
    EXPECT_NE(pdf.find("/Count " + std::to_string(pages) + "\r\n"), std::string::npos);
    EXPECT_EQ(occurrences(pdf, "/Subtype /Form"), 1u);
    const std::size_t named = pdf.find("/XObject << /Fu ");
    ASSERT_NE(named, std::string::npos);
    const std::string resource = pdf.substr(named, pdf.find(">>", named) + 2 - named);
    EXPECT_EQ(occurrences(pdf, resource), pages) << resource;
    EXPECT_EQ(occurrences(pdf, "/Artifact BMC\r\n/Fu Do\r\n"), pages);
    // The file name and the rules are written once, in the form.
    EXPECT_EQ(occurrences(pdf, "(source.txt)"), 1u);
    EXPECT_EQ(occurrences(pdf, " l\r\n"), 2u);

    if (!haveProgram("pdftotext")) GTEST_SKIP() << "no pdftotext";
    for (const char* name : {"one.pdf", "packed.pdf"}) {
        SCOPED_TRACE(name);
        std::map<int, std::vector<Word>> furniture;
        for (const Word& w : wordsOf(dir.file(name)))
            if (w.text == "source.txt" || w.text == "Notes" || w.text == "draft" ||
                w.text.find('/') != std::string::npos)
                furniture[w.page].push_back(w);
        ASSERT_EQ(furniture.size(), pages);
        for (const auto& [page, words] : furniture) {
            ASSERT_EQ(words.size(), 4u) << page;
            EXPECT_EQ(words[0].text, "source.txt");
            EXPECT_NEAR(words[0].xMin, 36, 0.5);
            EXPECT_NEAR(words[0].yMax, furniture[1][0].yMax, 0.01);
            EXPECT_EQ(words[1].text, "Notes");
            EXPECT_NEAR((words[1].xMin + words[1].xMax) / 2, 595 / 2.0, 0.5);
            EXPECT_EQ(words[2].text, std::to_string(page) + "/" + std::to_string(pages));
            EXPECT_NEAR(words[2].xMax, 595 - 36, 0.5);
            EXPECT_EQ(words[3].text, "draft");
            EXPECT_GT(words[3].yMin, words[0].yMax + 700);
        }
    }
}

}  // namespace
}  // namespace leafwright::testing
