// One PDF of many files with long lines: every source is cut into rows as it
// would be alone, embedded fonts included (the pages, the headers' counts
// and the words' places tell), Unspool gives each source back from the
// outline, and lines left past the right edge are counted per source.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "cli/converted_documents.h"
#include "support/pdftotext_boxes.h"
#include "support/plain_text.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

namespace fs = std::filesystem;
using namespace leafwright::testing;

struct Source {
    std::string name;
    std::string text;  // CR LF line ends, as Unspool gives them back
};

// Lines of 0 to 60 words drawn from the list, joined by `between`.
std::string linesOf(const std::vector<std::string>& words, const std::string& between,
                    unsigned seed, int lines) {
    std::mt19937 random(seed);
    std::string text;
    for (int line = 0; line < lines; ++line) {
        const int count = static_cast<int>(random() % 61);
        for (int k = 0; k < count; ++k) {
            if (k > 0) text += between;
            text += words[random() % words.size()];
        }
        text += "\r\n";
    }
    return text;
}

std::vector<Source> latinChineseArabic() {
    return {
        {"latin.txt", linesOf({"lorem", "ipsum", "dolor", "sit", "amet", "a",
                               "unbreakablewordofmanyletters", "(x)", "5%"},
                              " ", 11, 50)},
        {"chinese.txt", linesOf({"\u4E2D\u6587", "\u5B57\u7B26", "\u3002",
                                 "\u300C\u5F15\u7528\u300D", "\u6F22\u5B57", "\uFF0C"},
                                "", 12, 50)},
        {"arabic.txt",
         linesOf({"\u0645\u0631\u062D\u0628\u0627", "\u0628\u0627\u0644\u0639\u0627\u0644\u0645",
                  "\u0627\u0644\u0643\u062A\u0627\u0628", "\u0641\u064A", "PDF"},
                 " ", 13, 50)},
    };
}

// The pages pdfinfo counts.
int pageCountOf(const std::string& pdf) {
    const auto info = runProcess({"pdfinfo", pdf});
    const std::size_t at = info.out.find("Pages:");
    return at == std::string::npos ? 0 : std::stoi(info.out.substr(at + 6));
}

// A4, margins of 36 points: the text area's right edge, and a rounding's
// leeway.
constexpr double kRightEdge = 595 - 36 + 0.5;

testing::ProcessResult convertInto(const TempDir& dir, const std::string& output,
                                   const std::vector<std::string>& options,
                                   const std::vector<Source>& sources, bool combine = true) {
    std::vector<std::string> command = {LEAFWRIGHT_CLI, "convert", "--force", "--config",
                                        "settings.tcf"};
    command.insert(command.end(), options.begin(), options.end());
    if (combine) {
        command.insert(command.end(), {"--combine", output});
    } else {
        command.insert(command.end(), {"-o", output});
    }
    for (const Source& source : sources) command.push_back(source.name);
    return runProcess(command, dir.path());
}

TEST(CombineWrap, EverySourceIsCutIntoRowsAsItIsAlone) {
    if (!haveProgram("pdfinfo") || !haveProgram("pdftotext"))
        GTEST_SKIP() << "pdfinfo or pdftotext is not installed";
    TempDir dir;
    const std::vector<Source> sources = latinChineseArabic();
    for (const Source& source : sources) writeBytes(dir.file(source.name), source.text);
    for (const std::string font : {"Courier", "Times-Roman"}) {
        writeBytes(dir.file("settings.tcf"), configFor(font));
        for (const std::string wrap : {"word", "char", "word-char"}) {
            SCOPED_TRACE(font + ", --wrap=" + wrap);
            const std::vector<std::string> options = {"--wrap=" + wrap,
                                                      "--header={file} {page}/{pages}"};
            const auto combined = convertInto(dir, "book.pdf", options, sources);
            ASSERT_EQ(combined.exitStatus, 0) << combined.err;
            const std::string pdf = dir.file("book.pdf");
            expectQpdfFindsNothing(pdf);
            if (wrap != "word") {
                EXPECT_LE(rightmostWord(pdf), kRightEdge);
            }

            // Each source takes the pages it takes alone, and its header
            // counts them.
            const std::string text = runProcess({"pdftotext", pdf, "-"}).out;
            int pages = 0;
            for (const Source& source : sources) {
                const auto alone = convertInto(dir, "alone.pdf", options, {source}, false);
                ASSERT_EQ(alone.exitStatus, 0) << alone.err;
                const int own = pageCountOf(dir.file("alone.pdf"));
                EXPECT_GT(own, 1) << source.name << " should need several pages when wrapped";
                const std::string last =
                    source.name + " " + std::to_string(own) + "/" + std::to_string(own);
                EXPECT_NE(text.find(last), std::string::npos) << last;
                pages += own;
            }
            EXPECT_EQ(pageCountOf(pdf), pages);

            fs::remove_all(dir.file("split"));
            fs::create_directories(dir.file("split"));
            const auto split = runProcess(
                {LEAFWRIGHT_CLI, "unspool", "--split", "-o", "split", "book.pdf"}, dir.path());
            ASSERT_EQ(split.exitStatus, 0) << split.err;
            for (const Source& source : sources)
                EXPECT_EQ(readBytes(dir.file("split/" + source.name)), source.text) << source.name;
        }
    }
}

// The count a source gets alone, as --json reports it.
std::optional<std::uint64_t> countAlone(const TempDir& dir, const std::string& wrap,
                                        const Source& source) {
    const auto alone = convertInto(dir, "alone.pdf", {"--json", "--wrap=" + wrap}, {source}, false);
    EXPECT_EQ(alone.exitStatus, 0) << alone.err;
    const nlohmann::json report = nlohmann::json::parse(alone.out);
    if (!report.contains("past_edge_lines")) return std::nullopt;
    return report.at("past_edge_lines").get<std::uint64_t>();
}

TEST(CombineWrap, LinesPastTheEdgeAreCountedForEachSource) {
    TempDir dir;
    writeBytes(dir.file("settings.tcf"), configFor("Courier"));
    const std::string unbreakable(200, 'x');
    std::vector<Source> sources = latinChineseArabic();
    sources.insert(sources.begin() + 1,
                   {{"short.txt", "a line that fits\r\n\r\nand another\r\n"},
                    {"one.txt", "short\r\n" + unbreakable + "\r\nshort again\r\n"}});
    for (const Source& source : sources) writeBytes(dir.file(source.name), source.text);

    for (const std::string wrap : {"none", "word", "char"}) {
        SCOPED_TRACE("--wrap=" + wrap);
        std::vector<std::optional<std::uint64_t>> expected;
        for (const Source& source : sources) expected.push_back(countAlone(dir, wrap, source));
        if (wrap == "char") {
            for (const auto& count : expected) EXPECT_FALSE(count.has_value());
        } else {
            EXPECT_EQ(expected[1], 0u);
            EXPECT_EQ(expected[2], 1u);
            // Chinese breaks between characters even at words.
            if (wrap == "none") {
                EXPECT_GT(expected[3].value_or(0), 0u);
            }
        }

        // The words on standard error: one warning a source that has such
        // lines, in the single document's words.
        const auto text = convertInto(dir, "book.pdf", {"--wrap=" + wrap}, sources);
        ASSERT_EQ(text.exitStatus, 0) << text.err;
        EXPECT_EQ(text.out, "book.pdf\n");
        std::string warnings;
        for (std::size_t k = 0; k < sources.size(); ++k)
            if (expected[k].value_or(0) > 0)
                warnings += "leafwright-cli: " + sources[k].name + ": " +
                            std::to_string(*expected[k]) +
                            (*expected[k] == 1 ? " line runs" : " lines run") +
                            " past the right edge of the page (see --wrap)\n";
        std::vector<std::string> heard = testing::splitLines(text.err);
        std::sort(heard.begin(), heard.end());
        std::vector<std::string> wanted = testing::splitLines(warnings);
        std::sort(wanted.begin(), wanted.end());
        EXPECT_EQ(heard, wanted) << text.err;

        // --json: the document's one report, with a count for each source.
        const auto json = convertInto(dir, "book.pdf", {"--json", "--wrap=" + wrap}, sources);
        ASSERT_EQ(json.exitStatus, 0) << json.err;
        EXPECT_EQ(json.err, "");
        const nlohmann::json report = nlohmann::json::parse(json.out);
        ASSERT_EQ(report.at("sources").size(), sources.size());
        for (std::size_t k = 0; k < sources.size(); ++k) {
            const nlohmann::json& one = report.at("sources")[k];
            EXPECT_EQ(one.at("source"), sources[k].name);
            if (expected[k]) {
                EXPECT_EQ(one.at("past_edge_lines"), *expected[k]) << sources[k].name;
            } else {
                EXPECT_FALSE(one.contains("past_edge_lines")) << sources[k].name;
            }
            EXPECT_EQ(one.at("warnings").size(), expected[k].value_or(0) > 0 ? 1u : 0u);
        }
    }
}

}  // namespace
}  // namespace leafwright
