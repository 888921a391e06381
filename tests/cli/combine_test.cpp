// One PDF of many files (convert --combine), judged by outside tools (qpdf,
// pdfinfo) and by Unspool giving every file back from the outline.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <random>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "cli/converted_documents.h"
#include "support/plain_text.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

namespace fs = std::filesystem;
using namespace leafwright::testing;

struct Source {
    std::string name;
    std::string text;  // lines ended by CR LF, as Unspool writes them
};

// The pages pdfinfo counts, or -1 without pdfinfo.
int pageCountOf(const std::string& pdf) {
    if (!haveProgram("pdfinfo")) return -1;
    const auto info = runProcess({"pdfinfo", pdf});
    const std::size_t at = info.out.find("Pages:");
    if (at == std::string::npos) return 0;
    return std::stoi(info.out.substr(at + 6));
}

// The outline as qpdf reads it: each top-level item's title and the page
// (from 1) it leads to; empty without qpdf.
std::vector<std::pair<std::string, int>> outlineOf(const std::string& pdf) {
    std::vector<std::pair<std::string, int>> items;
    if (!haveProgram("qpdf")) return items;
    const auto json = runProcess({"qpdf", "--json", "--json-key=outlines", pdf});
    const nlohmann::json document = nlohmann::json::parse(json.out);
    for (const auto& item : document.at("outlines"))
        items.emplace_back(item.at("title").get<std::string>(),
                           item.at("destpageposfrom1").get<int>());
    return items;
}

// Combines the sources, written into dir, into book.pdf with the settings
// given, and checks the document: qpdf finds nothing, one page a source page
// (and the blank ones that duplex printing asks for), the outline names each
// file and leads to its first page (an odd one with duplex), it is shown when
// the document opens, and Unspool gives every file back, split by the outline
// and whole.
void expectCombinedRoundTrip(const TempDir& dir, const std::vector<Source>& sources,
                             bool selfAdapting, bool duplex, bool compress = false) {
    SCOPED_TRACE(std::string(selfAdapting ? "self-adapting" : "fixed pages") +
                 (duplex ? ", duplex" : "") + (compress ? ", compressed" : ""));
    writeBytes(dir.file("settings.tcf"), configFor("Times-Roman", selfAdapting));
    std::vector<std::string> command = {LEAFWRIGHT_CLI, "convert", "--config", "settings.tcf",
                                        "--force"};
    if (duplex) command.push_back("--combine-duplex");
    if (compress) command.push_back("--compress");
    command.insert(command.end(), {"--combine", "book.pdf"});
    std::string whole;
    for (const Source& source : sources) {
        writeBytes(dir.file(source.name), source.text);
        command.push_back(source.name);
        whole += source.text;
    }
    const auto convert = runProcess(command, dir.path());
    ASSERT_EQ(convert.exitStatus, 0) << convert.err;
    EXPECT_EQ(convert.out, "book.pdf\n");
    const std::string pdf = dir.file("book.pdf");
    expectQpdfFindsNothing(pdf);
    EXPECT_NE(readBytes(pdf).find("/PageMode /UseOutlines"), std::string::npos);
    EXPECT_EQ(readBytes(pdf).find("/FlateDecode") != std::string::npos, compress);

    // Each source alone, for its page count.
    fs::create_directories(dir.file("alone"));
    std::vector<int> ownPages;
    for (const Source& source : sources) {
        const auto alone = runProcess({LEAFWRIGHT_CLI, "convert", "--config", "settings.tcf",
                                       "--force", "-o", "alone/one.pdf", source.name},
                                      dir.path());
        ASSERT_EQ(alone.exitStatus, 0) << alone.err;
        ownPages.push_back(pageCountOf(dir.file("alone/one.pdf")));
    }
    if (haveProgram("qpdf") && haveProgram("pdfinfo")) {
        const auto outline = outlineOf(pdf);
        ASSERT_EQ(outline.size(), sources.size());
        int page = 1;
        for (std::size_t k = 0; k < sources.size(); ++k) {
            if (duplex && page % 2 == 0) ++page;
            EXPECT_EQ(outline[k].first, sources[k].name);
            EXPECT_EQ(outline[k].second, page) << sources[k].name;
            page += ownPages[k];
        }
        EXPECT_EQ(pageCountOf(pdf), page - 1);
    }

    fs::remove_all(dir.file("split"));
    fs::create_directories(dir.file("split"));
    const auto split =
        runProcess({LEAFWRIGHT_CLI, "unspool", "--split", "-o", "split", "book.pdf"}, dir.path());
    ASSERT_EQ(split.exitStatus, 0) << split.err;
    ASSERT_EQ(listFolder(dir.file("split")).size(), sources.size());
    for (const Source& source : sources)
        EXPECT_EQ(readBytes(dir.file("split/" + source.name)), source.text) << source.name;
    const auto unspool = runProcess(
        {LEAFWRIGHT_CLI, "unspool", "--force", "-o", "whole.txt", "book.pdf"}, dir.path());
    ASSERT_EQ(unspool.exitStatus, 0) << unspool.err;
    EXPECT_EQ(readBytes(dir.file("whole.txt")), whole);
}

std::string numberedLines(const std::string& word, int count) {
    std::string text;
    for (int k = 1; k <= count; ++k) text += word + " " + std::to_string(k) + "\r\n";
    return text;
}

// Three files with names beyond ASCII (one in PDFDocEncoding with
// parentheses, one that needs UTF-16), one of them several pages long and
// one needing embedded fonts, which the others then share; in both layouts,
// with duplex, and compressed.
TEST(Combine, ThreeFilesWithUnicodeNamesComeBackFromTheOutline) {
    TempDir dir;
    const std::vector<Source> sources = {
        {"Gr\u00F6\u00DFe (draft).txt", withCrLf("Gr\u00F6\u00DFe und Stra\u00DFe\n\tTabbed\n")},
        {"long.txt", numberedLines("Long line", 130)},
        {"\u65E5\u672C\u8A9E \u2603.txt",
         withCrLf("\u65E5\u672C\u8A9E\u306E\u30C6\u30AD\u30B9\u30C8\n\u0420\u0443\u0441\u0441"
                  "\u043A\u0438\u0439\n")},
    };
    for (bool selfAdapting : {false, true}) {
        expectCombinedRoundTrip(dir, sources, selfAdapting, false);
        expectCombinedRoundTrip(dir, sources, selfAdapting, true);
        expectCombinedRoundTrip(dir, sources, selfAdapting, true, true);
    }
}

// Sources of generated lines (plain, tabs, accents, parentheses, non-Latin
// letters, empty files) in sets of several sizes come back exactly in both
// layouts, with and without duplex.
TEST(Combine, GeneratedSourceSetsComeBackExactly) {
    const std::string pieces[] = {"word",         " ",      "\t",  "(",  ")", "\\", "caf\u00E9",
                                  "\u0416\u0438", "\u4E2D", "#$%", "BT", "ET"};
    std::mt19937 random(27);
    for (int set = 0; set < 3; ++set) {
        TempDir dir;
        std::vector<Source> sources;
        const int count = 2 + static_cast<int>(random() % 4);
        // The first set keeps to Mac OS Roman: the standard font, with tab
        // stops in the files that hold tabs.
        const std::size_t usable = set == 0 ? 7 : std::size(pieces);
        for (int k = 0; k < count; ++k) {
            std::string text;
            const int lines = static_cast<int>(random() % 90);
            for (int line = 0; line < lines; ++line) {
                for (int n = static_cast<int>(random() % 8); n > 0; --n)
                    text += pieces[random() % usable];
                text += "\r\n";
            }
            sources.push_back(
                {"part " + std::to_string(set) + "-" + std::to_string(k) + ".txt", text});
        }
        for (bool selfAdapting : {false, true})
            expectCombinedRoundTrip(dir, sources, selfAdapting, set % 2 == 1, set == 2);
    }
}

// The fonts are embedded once for the whole document: two files of the same
// characters carry as many font programs as one of them alone.
TEST(Combine, FilesShareOneSubsetPerFace) {
    TempDir dir;
    const std::string text = withCrLf("\u0420\u0443\u0441\u0441\u043A\u0438\u0439 \u4E2D\u6587\n");
    writeBytes(dir.file("one.txt"), text);
    writeBytes(dir.file("two.txt"), text);
    ASSERT_EQ(runProcess({LEAFWRIGHT_CLI, "convert", "one.txt"}, dir.path()).exitStatus, 0);
    const auto both = runProcess(
        {LEAFWRIGHT_CLI, "convert", "--combine", "both.pdf", "one.txt", "two.txt"}, dir.path());
    ASSERT_EQ(both.exitStatus, 0) << both.err;
    auto fontPrograms = [](const std::string& pdf) {
        std::size_t count = 0;
        for (std::size_t at = pdf.find("/FontFile2"); at != std::string::npos;
             at = pdf.find("/FontFile2", at + 1))
            ++count;
        return count;
    };
    const std::size_t alone = fontPrograms(readBytes(dir.file("one.pdf")));
    EXPECT_GT(alone, 0u);
    EXPECT_EQ(fontPrograms(readBytes(dir.file("both.pdf"))), alone);
    expectQpdfFindsNothing(dir.file("both.pdf"));
}

// A family the user chose draws every source of a combined document, in
// both layouts, as it draws a file alone: the Mac OS Roman sources too.
TEST(Combine, AChosenFamilyDrawsEverySource) {
    if (!haveProgram("pdffonts")) GTEST_SKIP() << "pdffonts is not installed";
    TempDir dir;
    writeBytes(dir.file("plain.txt"), withCrLf("Plain text\n"));
    writeBytes(dir.file("tabs.txt"), withCrLf("a\tb\n"));
    for (bool selfAdapting : {false, true}) {
        SCOPED_TRACE(selfAdapting ? "self-adapting" : "fixed pages");
        writeBytes(dir.file("settings.tcf"), configFor("Times-Roman", selfAdapting));
        const auto both = runProcess({LEAFWRIGHT_CLI, "convert", "--config", "settings.tcf",
                                      "--font-family=DejaVu Sans Mono", "--force", "--combine",
                                      "both.pdf", "plain.txt", "tabs.txt"},
                                     dir.path());
        ASSERT_EQ(both.exitStatus, 0) << both.err;
        const std::string fonts = runProcess({"pdffonts", dir.file("both.pdf")}).out;
        EXPECT_NE(fonts.find("DejaVuSansMono"), std::string::npos) << fonts;
        EXPECT_EQ(fonts.find("Times"), std::string::npos) << fonts;
        const auto split = runProcess(
            {LEAFWRIGHT_CLI, "unspool", "--force", "-o", "whole.txt", "both.pdf"}, dir.path());
        ASSERT_EQ(split.exitStatus, 0) << split.err;
        EXPECT_EQ(readBytes(dir.file("whole.txt")), withCrLf("Plain text\na\tb\n"));
    }
}

// In a combined document {page} and {pages} count the pages of the page's
// own file, {sheet} and {sheets} the pages of the whole document, the blank
// ones of duplex printing included (they stay blank), and {file} names the
// page's file; wrapped lines (more pages than lines alone would take) count
// alike. Read back from each page as pdftotext finds it.
TEST(Combine, HeadersCountPagesWithinEachFileAndSheetsAcrossTheDocument) {
    if (!haveProgram("pdftotext")) GTEST_SKIP() << "pdftotext not installed";
    TempDir dir;
    std::string wide;
    for (int k = 0; k < 90; ++k)
        wide += "wide row " + std::to_string(k) + std::string(30, '-') + " and more words " +
                std::string(60, '=') + " to its end\n";
    const std::vector<std::pair<std::string, std::string>> files = {
        {"first.txt", numberedLines("first", 130)},
        {"second.txt", numberedLines("second", 20)},
        {"third.txt", wide}};
    std::vector<std::string> names;
    for (const auto& [name, text] : files) {
        writeBytes(dir.file(name), text);
        names.push_back(name);
    }
    const std::regex header(R"(([a-z]+\.txt) (\d+)/(\d+) (\d+)/(\d+))");
    for (const bool duplex : {false, true}) {
        SCOPED_TRACE(duplex ? "duplex" : "one-sided");
        std::vector<std::string> command = {
            LEAFWRIGHT_CLI,
            "convert",
            "--force",
            "--wrap=word",
            "--header={file} {page}/{pages} {sheet}/{sheets}",
            "--combine-duplex=" + std::string(duplex ? "TRUE" : "FALSE"),
            "--combine",
            "book.pdf"};
        command.insert(command.end(), names.begin(), names.end());
        const auto convert = runProcess(command, dir.path());
        ASSERT_EQ(convert.exitStatus, 0) << convert.err;
        const auto text = runProcess({"pdftotext", "book.pdf", "-"}, dir.path());
        ASSERT_EQ(text.exitStatus, 0) << text.err;
        std::vector<std::string> pages;
        for (std::size_t at = 0, end; (end = text.out.find('\f', at)) != std::string::npos;
             at = end + 1)
            pages.push_back(text.out.substr(at, end - at));
        const int sheets = static_cast<int>(pages.size());
        ASSERT_EQ(sheets, pageCountOf(dir.file("book.pdf")));

        std::size_t file = 0;
        int pageInFile = 0, pagesOfFile = 0, blanks = 0;
        std::vector<int> filePages;
        for (int sheet = 1; sheet <= sheets; ++sheet) {
            const std::string& page = pages[static_cast<std::size_t>(sheet - 1)];
            std::smatch found;
            if (!std::regex_search(page, found, header)) {
                // Only a blank page that lets the next file start on an odd page.
                EXPECT_TRUE(duplex) << sheet;
                EXPECT_EQ(page.find_first_not_of(" \n"), std::string::npos) << page;
                EXPECT_EQ(sheet % 2, 0);
                EXPECT_EQ(pageInFile, pagesOfFile);
                ++blanks;
                continue;
            }
            if (found[1] != files[file].first) {
                EXPECT_EQ(pageInFile, pagesOfFile) << "a file left before its last page";
                filePages.push_back(pagesOfFile);
                ++file;
                ASSERT_LT(file, files.size());
                ASSERT_EQ(found[1], files[file].first) << sheet;
                pageInFile = 0;
                if (duplex) {
                    EXPECT_EQ(sheet % 2, 1) << sheet;
                }
            }
            EXPECT_EQ(std::stoi(found[2]), ++pageInFile) << sheet;
            if (pageInFile == 1) pagesOfFile = std::stoi(found[3]);
            EXPECT_EQ(std::stoi(found[3]), pagesOfFile) << sheet;
            EXPECT_EQ(std::stoi(found[4]), sheet);
            EXPECT_EQ(std::stoi(found[5]), sheets);
        }
        filePages.push_back(pagesOfFile);
        ASSERT_EQ(filePages.size(), files.size());
        // Several pages for the first file and for the wrapped third one.
        EXPECT_GT(filePages[0], 1);
        EXPECT_EQ(filePages[1], 1);
        EXPECT_GT(filePages[2], 2);
        EXPECT_EQ(blanks, duplex ? (filePages[0] % 2) + (filePages[1] % 2) : 0);
        EXPECT_EQ(sheets, filePages[0] + filePages[1] + filePages[2] + blanks);
    }
}

// A file that fails ends the run: the message names it and the document,
// the old document stays as it was, and nothing else is left in the folder.
// An output that is one of the files is refused; an existing one is kept
// without --force, as for single files; usage errors change nothing.
TEST(Combine, FailuresLeaveNoDocumentAndTheOldOneIntact) {
    TempDir dir;
    writeBytes(dir.file("a.txt"), "first\n");
    writeBytes(dir.file("c.txt"), "third\n");
    fs::create_directory(dir.file("folder.txt"));
    writeBytes(dir.file("book.pdf"), "old document");
    const std::vector<std::string> before = listFolder(dir.path());

    for (const std::string bad : {"missing.txt", "folder.txt"}) {
        const auto run = runProcess(
            {LEAFWRIGHT_CLI, "convert", "--force", "--combine", "book.pdf", "a.txt", bad, "c.txt"},
            dir.path());
        EXPECT_EQ(run.exitStatus, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("leafwright-cli: " + bad + ": ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find("(combining into book.pdf)"), std::string::npos) << run.err;
        EXPECT_EQ(readBytes(dir.file("book.pdf")), "old document");
        EXPECT_EQ(listFolder(dir.path()), before);
    }

    // A list that cannot be read fails the document as a source does: named
    // with it, and with --json in a record of its own.
    writeBytes(dir.file("list.txt"), "a.txt\n\nc.txt\n");
    const auto list = runProcess(
        {LEAFWRIGHT_CLI, "convert", "--force", "--combine", "book.pdf", "--files-from", "list.txt"},
        dir.path());
    EXPECT_EQ(list.exitStatus, 1);
    EXPECT_EQ(list.err,
              "leafwright-cli: list.txt: empty name at entry 2 (combining into book.pdf)\n");
    for (const std::vector<std::string>& failing :
         {std::vector<std::string>{"--files-from", "list.txt"}, {"--shard", "1/2", "a.txt"}}) {
        std::vector<std::string> command = {LEAFWRIGHT_CLI, "convert",   "--json",
                                            "--force",      "--combine", "book.pdf"};
        command.insert(command.end(), failing.begin(), failing.end());
        const auto json = runProcess(command, dir.path());
        EXPECT_EQ(json.exitStatus, 1);
        EXPECT_EQ(json.err, "");
        const nlohmann::json report = nlohmann::json::parse(json.out);
        EXPECT_EQ(report["status"], "failed");
        EXPECT_EQ(report["output"], "book.pdf");
        EXPECT_NE(report["message"].get<std::string>().find(
                      failing[0] == "--shard" ? "no files to combine" : "empty name at entry 2"),
                  std::string::npos);
    }
    fs::remove(dir.file("list.txt"));
    EXPECT_EQ(readBytes(dir.file("book.pdf")), "old document");

    const auto own = runProcess(
        {LEAFWRIGHT_CLI, "convert", "--force", "--combine", "c.txt", "a.txt", "c.txt"}, dir.path());
    EXPECT_EQ(own.exitStatus, 1);
    EXPECT_NE(own.err.find("c.txt"), std::string::npos) << own.err;
    EXPECT_EQ(readBytes(dir.file("c.txt")), "third\n");

    const auto kept =
        runProcess({LEAFWRIGHT_CLI, "convert", "--combine", "book.pdf", "a.txt"}, dir.path());
    EXPECT_EQ(kept.exitStatus, 1);
    EXPECT_NE(kept.err.find("already exists (--force replaces it)"), std::string::npos) << kept.err;
    const auto done =
        runProcess({LEAFWRIGHT_CLI, "convert", "--skip-existing", "--combine", "book.pdf", "a.txt"},
                   dir.path());
    EXPECT_EQ(done.exitStatus, 0) << done.err;
    EXPECT_EQ(readBytes(dir.file("book.pdf")), "old document");

    for (const std::vector<std::string>& usage :
         {std::vector<std::string>{"--combine", "book.pdf", "-o", "x.pdf", "a.txt"},
          {"--combine", "book.pdf", "--output-dir", ".", "a.txt"},
          {"--combine", "book.pdf"},
          {"--combine", "-", "a.txt"},
          {"--combine", "book.pdf", "-", "a.txt"}}) {
        std::vector<std::string> command = {LEAFWRIGHT_CLI, "convert", "--force"};
        command.insert(command.end(), usage.begin(), usage.end());
        EXPECT_EQ(runProcess(command, dir.path()).exitStatus, 2) << usage[2];
    }
    EXPECT_EQ(readBytes(dir.file("book.pdf")), "old document");
    EXPECT_EQ(listFolder(dir.path()), before);

    const auto replaced = runProcess(
        {LEAFWRIGHT_CLI, "convert", "--force", "--combine", "book.pdf", "a.txt", "c.txt"},
        dir.path());
    EXPECT_EQ(replaced.exitStatus, 0) << replaced.err;
    EXPECT_EQ(readBytes(dir.file("book.pdf")).rfind("%PDF-1.3", 0), 0u);
}

}  // namespace
}  // namespace leafwright
