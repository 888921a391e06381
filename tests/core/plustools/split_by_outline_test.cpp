#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/plustools/pdf_builder.h"
#include "core/plustools/unspool_run.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using namespace leafwright::testing;

// "Кириллица" as a UTF-16BE text string with its byte order mark.
const std::string kCyrillicTitle = "<FEFF041A043804400438043B043B043804460430>";

// Four pages, each showing one line, and an outline of four items given in
// every way an item may lead to its page: an explicit destination, a /GoTo
// action, a name of the catalog's /Dests and a string of its name tree. The
// third and fourth items lead to the same page. `titles` replaces the
// items' titles (as PDF strings) when given.
std::string outlinedDocument(std::vector<std::string> titles = {}, bool compressed = false) {
    if (titles.empty()) titles = {"(Caf\\351)", kCyrillicTitle, "(notes.txt)", "(Last)"};
    PdfBuilder pdf;
    pdf.add(1,
            "<< /Type /Catalog /Pages 2 0 R /Outlines 20 0 R /Dests << /third [6 0 R /Fit] >> "
            "/Names << /Dests << /Names [(chap) [6 0 R /XYZ 0 0 0]] >> >> >>");
    pdf.add(2,
            "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R 6 0 R] /Count 4 "
            "/Resources << /Font << /F1 9 0 R >> >> >>");
    for (int page = 0; page < 4; ++page) {
        pdf.add(3 + page,
                "<< /Type /Page /Parent 2 0 R /Contents " + std::to_string(10 + page) + " 0 R >>");
        const std::string content = "BT /F1 12 Tf\n(page " + std::to_string(page + 1) + ") '\nET\n";
        pdf.addStream(10 + page, compressed ? "/Filter /FlateDecode" : "",
                      compressed ? testing::zlibCompress(content) : content);
    }
    pdf.add(9, "<< /Type /Font /Subtype /Type1 /BaseFont /Courier >>");
    pdf.add(20, "<< /Type /Outlines /First 21 0 R /Last 24 0 R /Count 4 >>");
    const std::string destinations[] = {"/Dest [3 0 R /XYZ 0 792 0]",
                                        "/A << /S /GoTo /D [4 0 R /Fit] >>", "/Dest /third",
                                        "/A << /S /GoTo /D (chap) >>"};
    for (std::size_t k = 0; k < titles.size(); ++k) {
        std::string item = "<< /Title " + titles[k] + " /Parent 20 0 R " + destinations[k % 4];
        if (k + 1 < titles.size()) item += " /Next " + std::to_string(22 + k) + " 0 R";
        pdf.add(21 + static_cast<int>(k), item + " >>");
    }
    return pdf.build(1);
}

TEST(SplitByOutline, OneTextFilePerItemNamedAfterItsTitle) {
    for (bool compressed : {false, true}) {
        TempDir dir;
        writeBytes(dir.file("book.pdf"), outlinedDocument({}, compressed));
        const UnspoolOutcome outcome = unspoolFileByOutline(dir.file("book.pdf"), dir.path());
        EXPECT_EQ(outcome.parts,
                  (std::vector<std::string>{
                      dir.file("Caf\u00E9.txt"),
                      dir.file("\u041A\u0438\u0440\u0438\u043B\u043B\u0438\u0446\u0430.txt"),
                      dir.file("notes.txt"), dir.file("Last.txt")}));
        EXPECT_EQ(readBytes(dir.file("Caf\u00E9.txt")), "page 1\r\n");
        EXPECT_EQ(readBytes(outcome.parts[1]), "page 2\r\npage 3\r\n");
        EXPECT_EQ(readBytes(dir.file("notes.txt")), "");
        EXPECT_EQ(readBytes(dir.file("Last.txt")), "page 4\r\n");
        EXPECT_EQ(listFolder(dir.path()).size(), 5u);
        EXPECT_EQ(unspoolWarningFor(outcome), "");
    }
}

// A name that would leave the folder, name it twice, or name the source
// fails the PDF before anything is written; so do items out of page order.
TEST(SplitByOutline, RefusesTitlesThatLeaveTheFolderOrCollideBeforeWriting) {
    struct Case {
        std::vector<std::string> titles;
        std::string cause;
        std::string source = "book.pdf";
    };
    const Case cases[] = {
        {{"(a)", "(../escape)", "(c)", "(d)"}, "outline item 2 (\"../escape\") names no file"},
        {{"(a)", "(b)", "(..)", "(d)"}, "its title names a folder"},
        {{"()", "(b)", "(c)", "(d)"}, "it has no title"},
        {{"(a)", "(tab\\there)", "(c)", "(d)"}, "control character"},
        {{"(same)", "(b)", "(same.txt)", "(d)"},
         "outline items 1 and 3 would both be written to \"same.txt\""},
        {{"(a)", "(b)", "(book.txt)", "(d)"}, "own source", "book.txt"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        writeBytes(dir.file(c.source), outlinedDocument(c.titles));
        try {
            unspoolFileByOutline(dir.file(c.source), dir.path());
            ADD_FAILURE() << "not refused: " << c.cause;
        } catch (const FileError& error) {
            EXPECT_NE(error.cause().find(c.cause), std::string::npos) << error.cause();
        }
        EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{c.source}) << c.cause;
    }

    // A title of another kind of file gets ".txt" all the same.
    TempDir other;
    writeBytes(other.file("book.pdf"), outlinedDocument({"(a)", "(b)", "(book.pdf)", "(d)"}));
    writeBytes(other.file("b.txt"), "older");
    const UnspoolOutcome outcome =
        unspoolFileByOutline(other.file("book.pdf"), other.path(), [] { return true; });
    EXPECT_EQ(outcome.parts[2], other.file("book.pdf.txt"));
    EXPECT_EQ(readBytes(other.file("b.txt")), "page 2\r\npage 3\r\n");

    // Items out of page order.
    TempDir dir;
    std::string pdf = outlinedDocument();
    pdf.replace(pdf.find("[3 0 R /XYZ"), 2, "[5");
    writeBytes(dir.file("book.pdf"), pdf);
    EXPECT_THROW(unspoolFileByOutline(dir.file("book.pdf"), dir.path()), FileError);
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"book.pdf"});
}

// An existing file is replaced only when the question allows it; without
// an outline the text goes into one file, with a word about it.
TEST(SplitByOutline, ExistingFilesAndDocumentsWithoutAnOutline) {
    TempDir dir;
    writeBytes(dir.file("book.pdf"), outlinedDocument());
    writeBytes(dir.file("Last.txt"), "older");
    EXPECT_THROW(unspoolFileByOutline(dir.file("book.pdf"), dir.path(), [] { return false; }),
                 FileError);
    EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{"Last.txt", "book.pdf"}));
    unspoolFileByOutline(dir.file("book.pdf"), dir.path(), [] { return true; });
    EXPECT_EQ(readBytes(dir.file("Last.txt")), "page 4\r\n");

    std::string plain = outlinedDocument();
    plain.replace(plain.find("/Outlines 20 0 R"), 16, "                ");
    writeBytes(dir.file("plain.pdf"), plain);
    const UnspoolOutcome outcome = unspoolFileByOutline(dir.file("plain.pdf"), dir.file(""));
    EXPECT_EQ(outcome.parts, std::vector<std::string>{dir.file("plain.txt")});
    EXPECT_EQ(readBytes(dir.file("plain.txt")), "page 1\r\npage 2\r\npage 3\r\npage 4\r\n");
    EXPECT_EQ(unspoolWarningFor(outcome), "it has no outline: its text is in one file");
}

}  // namespace
}  // namespace leafwright
