#include "core/plustools/unspool_run.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/recording_run_handler.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::listFolder;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

const std::string kPdf =
    "BT\n/F1 14 Tf\n(Hello \\(world\\))'\n(first part\nsecond part)'\nET\n(outside) Tj\n";
const std::string kText = "Hello (world)\r\nfirst partsecond part\r\n";

using RecordingHandler = testing::RecordingRunHandler;

TEST(UnspoolFile, WritesTheWorkedExampleByteForByte) {
    TempDir dir;
    writeBytes(dir.file("a.pdf"), kPdf);
    unspoolFile(dir.file("a.pdf"), dir.file("a.txt"));
    EXPECT_EQ(readBytes(dir.file("a.txt")), kText);
    // CR LF line ends in the source read the same.
    std::string crlf;
    for (char c : kPdf) c == '\n' ? crlf += "\r\n" : crlf += c;
    writeBytes(dir.file("b.pdf"), crlf);
    unspoolFile(dir.file("b.pdf"), dir.file("b.txt"));
    EXPECT_EQ(readBytes(dir.file("b.txt")), kText);
}

TEST(UnspoolFile, LineEndsAndEndOfInput) {
    TempDir dir;
    // CR alone ends no line: the whole file is one line, its strings joined.
    writeBytes(dir.file("cr.pdf"), "%PDF-1.3\rBT\r(a)'\r(b)'\rET\r");
    unspoolFile(dir.file("cr.pdf"), dir.file("cr.txt"));
    EXPECT_EQ(readBytes(dir.file("cr.txt")), "ab\r\n");
    // 0x1A ends the input where it stands.
    writeBytes(dir.file("eof.pdf"),
               "BT\n(a)'\n(b\x1A"
               "c)'\n(d)'\nET\n");
    unspoolFile(dir.file("eof.pdf"), dir.file("eof.txt"));
    EXPECT_EQ(readBytes(dir.file("eof.txt")), "a\r\nb");
    // A string opened outside text objects and never closed holds back no
    // line end; a hex string open at the end gives its odd last digit as a
    // closed one does.
    writeBytes(dir.file("open.pdf"), "BT\n(x) Tj ET (y\n");
    unspoolFile(dir.file("open.pdf"), dir.file("open.txt"));
    EXPECT_EQ(readBytes(dir.file("open.txt")), "x\r\n");
    writeBytes(dir.file("hex.pdf"), "BT\n<41 42> Tj <414");
    unspoolFile(dir.file("hex.pdf"), dir.file("hex.txt"));
    EXPECT_EQ(readBytes(dir.file("hex.txt")), "ABA@");
    writeBytes(dir.file("hexline.pdf"), "BT\n<414\n");
    unspoolFile(dir.file("hexline.pdf"), dir.file("hexline.txt"));
    EXPECT_EQ(readBytes(dir.file("hexline.txt")), "A@");
    // An empty source, or one without text objects, gives an empty file.
    writeBytes(dir.file("empty.pdf"), "");
    unspoolFile(dir.file("empty.pdf"), dir.file("empty.txt"));
    EXPECT_TRUE(std::filesystem::exists(dir.file("empty.txt")));
    EXPECT_EQ(readBytes(dir.file("empty.txt")), "");
}

TEST(UnspoolFile, OutputLargerThanOneWriterPiece) {
    TempDir dir;
    std::string pdf = "BT\n", expected;
    for (int i = 0; i < 20000; ++i) {
        std::string line = "line " + std::to_string(i) + " \x8A";
        pdf += "(" + line + ")'\n";
        expected += "line " + std::to_string(i) + " \u00E4\r\n";
    }
    writeBytes(dir.file("big.pdf"), pdf + "ET\n");
    unspoolFile(dir.file("big.pdf"), dir.file("big.txt"));
    EXPECT_EQ(readBytes(dir.file("big.txt")), expected);
}

TEST(UnspoolFile, RefusesAnOutputThatIsItsOwnSource) {
    TempDir dir;
    writeBytes(dir.file("notes.txt"), kPdf);
    EXPECT_THROW(unspoolFile(dir.file("notes.txt"), dir.file("notes.txt")), FileError);
    // The same file under another name: a symbolic and a hard link.
    ASSERT_EQ(::symlink("notes.txt", dir.file("sym.txt").c_str()), 0);
    ASSERT_EQ(::link(dir.file("notes.txt").c_str(), dir.file("hard.pdf").c_str()), 0);
    EXPECT_THROW(unspoolFile(dir.file("notes.txt"), dir.file("sym.txt")), FileError);
    EXPECT_THROW(unspoolFile(dir.file("hard.pdf"), dir.file("notes.txt")), FileError);
    EXPECT_EQ(readBytes(dir.file("notes.txt")), kPdf);
    EXPECT_EQ(listFolder(dir.path()),
              (std::vector<std::string>{"hard.pdf", "notes.txt", "sym.txt"}));
}

TEST(UnspoolRun, DeclinedFileIsDroppedUntouched) {
    TempDir dir;
    writeBytes(dir.file("a.pdf"), kPdf);
    writeBytes(dir.file("a.txt"), "keep me");
    writeBytes(dir.file("b.pdf"), kPdf);
    RecordingHandler handler;
    handler.overwrite = false;
    unspoolFiles({dir.file("a.pdf"), dir.file("b.pdf")}, handler);
    EXPECT_EQ(handler.events, (std::vector<std::string>{"ask a.pdf", "declined a.pdf",
                                                        "converted b.pdf -> b.txt"}));
    EXPECT_EQ(readBytes(dir.file("a.txt")), "keep me");
    EXPECT_EQ(listFolder(dir.path()),
              (std::vector<std::string>{"a.pdf", "a.txt", "b.pdf", "b.txt"}));
}

TEST(UnspoolRun, SamePdfTwiceAsksOnceAndYesReplaces) {
    TempDir dir;
    writeBytes(dir.file("a.pdf"), kPdf);
    RecordingHandler handler;
    unspoolFiles({dir.file("a.pdf"), dir.file("a.pdf")}, handler);
    EXPECT_EQ(handler.events, (std::vector<std::string>{"converted a.pdf -> a.txt", "ask a.pdf",
                                                        "converted a.pdf -> a.txt"}));

    writeBytes(dir.file("a.txt"), "an older, longer extraction that must go entirely\r\n");
    RecordingHandler yes;
    unspoolFiles({dir.file("a.pdf")}, yes);
    EXPECT_EQ(readBytes(dir.file("a.txt")), kText);
    EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{"a.pdf", "a.txt"}));
}

TEST(UnspoolRun, FailureStopsTheRunWhenTheHandlerSaysSo) {
    TempDir dir;
    writeBytes(dir.file("a.pdf"), kPdf);
    writeBytes(dir.file("b.pdf"), kPdf);
    std::filesystem::create_directory(dir.file("a.txt"));
    RecordingHandler handler;
    handler.goOn = false;
    unspoolFiles({dir.file("a.pdf"), dir.file("b.pdf")}, handler);
    // A folder of the output's name: no question, the output cannot be made.
    EXPECT_EQ(handler.events, std::vector<std::string>{"failed a.pdf"});
    ASSERT_EQ(handler.errors.size(), 1u);
    EXPECT_EQ(handler.errors[0].path(), dir.file("a.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("b.txt")));

    RecordingHandler goOn;
    unspoolFiles({dir.file("missing.pdf"), dir.file("a.pdf"), dir.file("b.pdf")}, goOn);
    EXPECT_EQ(goOn.events, (std::vector<std::string>{"failed missing.pdf", "failed a.pdf",
                                                     "converted b.pdf -> b.txt"}));
    // A missing source creates no output.
    EXPECT_EQ(listFolder(dir.path()),
              (std::vector<std::string>{"a.pdf", "a.txt", "b.pdf", "b.txt"}));
}

TEST(UnspoolRun, TextSourceIsRefusedWithoutAQuestion) {
    TempDir dir;
    writeBytes(dir.file("notes.txt"), kPdf);
    writeBytes(dir.file("x.pdf"), kPdf);
    ASSERT_EQ(::symlink("x.pdf", dir.file("x.txt").c_str()), 0);
    RecordingHandler handler;
    unspoolFiles({dir.file("notes.txt"), dir.file("x.pdf")}, handler);
    EXPECT_EQ(handler.events, (std::vector<std::string>{"failed notes.txt", "failed x.pdf"}));
    ASSERT_EQ(handler.errors.size(), 2u);
    EXPECT_EQ(handler.errors[0].path(), dir.file("notes.txt"));
    EXPECT_NE(handler.errors[0].cause().find("own source"), std::string::npos);
    EXPECT_EQ(readBytes(dir.file("notes.txt")), kPdf);
    EXPECT_EQ(readBytes(dir.file("x.pdf")), kPdf);
}

// Says when nothing came out of a PDF whose content is filtered: once, after
// its file was written, and not when text came out or nothing is filtered.
TEST(UnspoolRun, WarnsWhenNothingCameOutOfCompressedContent) {
    struct WarningHandler : RecordingHandler {
        void warned(const std::string& source, const std::string& message) override {
            events.push_back("warned " + std::filesystem::path(source).filename().string() + ": " +
                             message);
        }
    };
    TempDir dir;
    const std::string compressed =
        "%PDF-1.3\r\n3 0 obj << /Length 4 /Filter /FlateDecode >>\r\nstream\r\nx\x9C\x03\x02\r\n"
        "endstream\r\nendobj\r\n";
    writeBytes(dir.file("zip.pdf"), compressed + "%%EOF\r\n");
    writeBytes(dir.file("mixed.pdf"), compressed + kPdf + "%%EOF\r\n");
    writeBytes(dir.file("empty.pdf"), "%PDF-1.3\r\n%%EOF\r\n");
    writeBytes(dir.file("dict.pdf"), "<< /Filter /FlateDecode >>\r\n");
    // A PDF cut short and a file that is no PDF: said so, and read all the same.
    writeBytes(dir.file("cut.pdf"), compressed + kPdf);
    writeBytes(dir.file("text.pdf"), "no text objects here\r\n");
    WarningHandler handler;
    unspoolFiles({dir.file("zip.pdf"), dir.file("mixed.pdf"), dir.file("empty.pdf"),
                  dir.file("dict.pdf"), dir.file("cut.pdf"), dir.file("text.pdf")},
                 handler);
    EXPECT_EQ(handler.events,
              (std::vector<std::string>{
                  "converted zip.pdf -> zip.txt",
                  "warned zip.pdf: its page content is compressed; no text was extracted",
                  "converted mixed.pdf -> mixed.txt", "converted empty.pdf -> empty.txt",
                  "converted dict.pdf -> dict.txt",
                  "warned dict.pdf: it is not a PDF document (it does not begin with %PDF-); no "
                  "text was extracted",
                  "converted cut.pdf -> cut.txt",
                  "warned cut.pdf: it ends before the end of a PDF document (%%EOF): it may have "
                  "been cut short, and its text with it",
                  "converted text.pdf -> text.txt",
                  "warned text.pdf: it is not a PDF document (it does not begin with %PDF-); no "
                  "text was extracted"}));
    EXPECT_EQ(readBytes(dir.file("zip.txt")), "");
    EXPECT_EQ(readBytes(dir.file("mixed.txt")), kText);
    EXPECT_EQ(readBytes(dir.file("cut.txt")), kText);
}

}  // namespace
}  // namespace leafwright
