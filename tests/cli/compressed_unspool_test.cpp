#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "cli/converted_documents.h"
#include "core/plustools/pdf_builder.h"
#include "support/plain_text.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using namespace leafwright::testing;

// Lines of the characters PDF strings treat specially, accented letters,
// and scripts that only the embedded fonts print.
std::string randomSource(unsigned seed) {
    const std::string pieces[] = {"\\",     "\\\\",   "(",         ")",      "\\(",
                                  "BT",     " ET ",   "%%EOF",     "\t",     " ",
                                  "word",   "\u00E9", "\u00C5",    "\u0416", "\u4E2D\u6587",
                                  "\u05E9", "<41>",   "endstream", "#$%",    "\u0928\u092E"};
    std::mt19937 random(seed);
    std::string source;
    for (int line = 0; line < 200; ++line) {
        for (int k = static_cast<int>(random() % 10); k > 0; --k)
            source += pieces[random() % std::size(pieces)];
        source += "\n";
    }
    return source;
}

// Converted, compressed by qpdf and unspooled, a text comes back exactly,
// in both layouts; with its objects in object streams it gives the warning.
TEST(CompressedUnspool, TextComesBackExactlyFromTheQpdfCompressedPdf) {
    if (!haveProgram("qpdf")) GTEST_SKIP() << "no qpdf";
    TempDir dir;
    for (bool selfAdapting : {false, true}) {
        SCOPED_TRACE(selfAdapting ? "self-adapting" : "paginated");
        const std::string source = randomSource(selfAdapting ? 27 : 4);
        writeBytes(dir.file("source.txt"), source);
        writeBytes(dir.file("settings.tcf"), configFor("Times-Roman", selfAdapting, 12));
        auto convert = runProcess(
            {LEAFWRIGHT_CLI, "convert", "--force", "--config", "settings.tcf", "source.txt"},
            dir.path());
        ASSERT_EQ(convert.exitStatus, 0) << convert.err;
        for (const char* layout : {"disable", "generate"}) {
            const std::string name = std::string("source-") + layout + ".pdf";
            auto qpdf = runProcess({"qpdf", "--compress-streams=y",
                                    std::string("--object-streams=") + layout, "source.pdf", name},
                                   dir.path());
            ASSERT_EQ(qpdf.exitStatus, 0) << qpdf.err;
            // The streams are compressed indeed.
            EXPECT_NE(readBytes(dir.file(name)).find("/FlateDecode"), std::string::npos);
        }
        auto unspool = runProcess(
            {LEAFWRIGHT_CLI, "unspool", "--force", "source-disable.pdf", "source-generate.pdf"},
            dir.path());
        EXPECT_EQ(unspool.exitStatus, 0) << unspool.err;
        EXPECT_EQ(readBytes(dir.file("source-disable.txt")), testing::withCrLf(source));
        EXPECT_EQ(unspool.err,
                  "leafwright-cli: source-generate.pdf: its objects are in "
                  "compressed object streams; no text was extracted\n");
        EXPECT_EQ(readBytes(dir.file("source-generate.txt")), "");
    }
}

// A stream that inflates a thousandfold: memory stays flat while its text
// is written (far less than the text itself), and a signal ends the run at
// once, leaving nothing behind.
TEST(CompressedUnspool, AStreamThatInflatesAThousandfoldKeepsMemoryFlatAndStopsOnASignal) {
    TempDir dir;
    std::string lines;
    while (lines.size() < (1 << 20)) lines += "(a line of text that repeats) '\n";
    PdfBuilder text;
    text.add(1, "<< /Type /Catalog /Pages 2 0 R >>");
    text.add(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    text.add(3, "<< /Type /Page /Parent 2 0 R /Contents 4 0 R >>");
    text.addStream(4, "/Filter /FlateDecode", testing::repeatedDeflate("BT\n" + lines, 96, true));
    writeBytes(dir.file("text.pdf"), text.build(1));
#if !defined(__SANITIZE_ADDRESS__)
    if (std::filesystem::exists("/usr/bin/prlimit")) {
        auto run = runProcess(
            {"/usr/bin/prlimit", "--as=200000000", LEAFWRIGHT_CLI, "unspool", "text.pdf"},
            dir.path());
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_NE(run.err.find("times the size of the PDF"), std::string::npos) << run.err;
        // Each line of 32 bytes gives its 27 characters and CR LF.
        EXPECT_EQ(std::filesystem::file_size(dir.file("text.txt")), lines.size() / 32 * 96 * 29);
        std::filesystem::remove(dir.file("text.txt"));
    }
#endif

    // 4 GB of zeros in 4 MB: a signal once it is being inflated.
    PdfBuilder zeros = text;
    zeros.addStream(4, "/Filter /FlateDecode", testing::zeroBomb(4096, false));
    writeBytes(dir.file("bomb.pdf"), zeros.build(1));
    const std::uint64_t size = std::filesystem::file_size(dir.file("bomb.pdf"));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::chdir(dir.path().c_str()) != 0) ::_exit(126);
        ::execl(LEAFWRIGHT_CLI, LEAFWRIGHT_CLI, "unspool", "bomb.pdf", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Waits until the child has read the file once and 256 KB more.
    const std::string io = "/proc/" + std::to_string(child) + "/io";
    for (;;) {
        std::ifstream stats(io);
        std::string key;
        std::uint64_t value = 0, read = 0;
        while (stats >> key >> value)
            if (key == "rchar:") read = value;
        if (!stats.eof() && read == 0) break;  // no /proc: signal at once
        if (read > size + (256 << 10)) break;
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child) FAIL() << "ended before the signal";
        ::usleep(1000);
    }
    ::kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(testing::listFolder(dir.path()), (std::vector<std::string>{"bomb.pdf", "text.pdf"}));
}

// The PDFs found on the machine, as they are and rewritten by qpdf with
// their objects in the open: each gives text, a warning that names why it
// gives none, or a failure naming it; never a crash.
TEST(CompressedUnspool, PdfsOnTheMachineGiveTextOrANamedReason) {
    std::vector<std::filesystem::path> found;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator("/usr/share/doc", error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (it->is_regular_file() && (name.ends_with(".pdf") || name.ends_with(".pdf.gz")))
            found.push_back(it->path());
    }
    if (found.empty()) GTEST_SKIP() << "no PDF under /usr/share/doc";
    std::sort(found.begin(), found.end());
    if (found.size() > 40) found.resize(40);
    TempDir dir;
    std::vector<std::string> names;
    for (std::size_t k = 0; k < found.size(); ++k) {
        const std::string name = "doc" + std::to_string(k);
        const std::string path = found[k].string();
        const std::string copy =
            path.ends_with(".gz") ? "zcat '" + path + "' > '" : "cat '" + path + "' > '";
        if (std::system((copy + dir.file(name + ".pdf") + "'").c_str()) != 0) continue;
        names.push_back(name + ".pdf");
        if (haveProgram("qpdf") &&
            runProcess({"qpdf", "--object-streams=disable", name + ".pdf", name + "-open.pdf"},
                       dir.path())
                    .exitStatus != 2)
            names.push_back(name + "-open.pdf");
    }
    std::vector<std::string> command = {LEAFWRIGHT_CLI, "unspool", "--force"};
    command.insert(command.end(), names.begin(), names.end());
    auto run = runProcess(command, dir.path());
    ASSERT_LT(run.exitStatus, 2) << run.err;
    for (const std::string& name : names) {
        const std::string text = name.substr(0, name.size() - 3) + "txt";
        const bool gaveText = std::filesystem::exists(dir.file(text)) &&
                              std::filesystem::file_size(dir.file(text)) > 0;
        const bool named = run.err.find("leafwright-cli: " + name + ": ") != std::string::npos;
        // A file that is no PDF at all (a damaged download) gives nothing.
        const bool isPdf = readBytes(dir.file(name)).rfind("%PDF-", 0) == 0;
        EXPECT_TRUE(gaveText || named || !isPdf) << name << "\n" << run.err;
    }
}

// A document of several parts, each under an outline item, split into one
// text file a part: the files printed, existing ones kept without --force.
TEST(CompressedUnspool, SplitWritesOneTextFilePerOutlineItem) {
    TempDir dir;
    PdfBuilder pdf;
    pdf.add(1, "<< /Type /Catalog /Pages 2 0 R /Outlines 10 0 R /PageMode /UseOutlines >>");
    pdf.add(2, "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 >>");
    for (int page = 0; page < 3; ++page) {
        pdf.add(3 + page,
                "<< /Type /Page /Parent 2 0 R /Contents " + std::to_string(6 + page) + " 0 R >>");
        pdf.addStream(6 + page, "/Filter /FlateDecode",
                      testing::zlibCompress("BT\n(line " + std::to_string(page + 1) + ") '\nET\n"));
    }
    pdf.add(10, "<< /Type /Outlines /First 11 0 R /Last 12 0 R /Count 2 >>");
    pdf.add(11, "<< /Title (first.txt) /Parent 10 0 R /Next 12 0 R /Dest [3 0 R /Fit] >>");
    pdf.add(12, "<< /Title <FEFF00C5006E0064> /Parent 10 0 R /Prev 11 0 R /Dest [4 0 R /Fit] >>");
    writeBytes(dir.file("all.pdf"), pdf.build(1));
    std::filesystem::create_directory(dir.file("out"));

    auto split =
        runProcess({LEAFWRIGHT_CLI, "unspool", "--split", "-o", "out", "all.pdf"}, dir.path());
    EXPECT_EQ(split.exitStatus, 0) << split.err;
    EXPECT_EQ(split.out, "out/first.txt\nout/\u00C5nd.txt\n");
    EXPECT_EQ(readBytes(dir.file("out/first.txt")), "line 1\r\n");
    EXPECT_EQ(readBytes(dir.file("out/\u00C5nd.txt")), "line 2\r\nline 3\r\n");

    // Again: the files exist now.
    auto again =
        runProcess({LEAFWRIGHT_CLI, "unspool", "--split", "-o", "out", "all.pdf"}, dir.path());
    EXPECT_EQ(again.exitStatus, 1);
    EXPECT_EQ(again.out, "");
    EXPECT_NE(again.err.find("out/first.txt: already exists"), std::string::npos) << again.err;
    auto forced =
        runProcess({LEAFWRIGHT_CLI, "unspool", "--split", "--force", "all.pdf"}, dir.path());
    EXPECT_EQ(forced.exitStatus, 0) << forced.err;
    EXPECT_EQ(forced.out, "first.txt\n\u00C5nd.txt\n");

    // Without --split the document gives one text file.
    auto whole = runProcess({LEAFWRIGHT_CLI, "unspool", "all.pdf"}, dir.path());
    EXPECT_EQ(whole.exitStatus, 0) << whole.err;
    EXPECT_EQ(readBytes(dir.file("all.txt")), "line 1\r\nline 2\r\nline 3\r\n");

    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--split", "-o", "-", "all.pdf"},
                                               {"--split", "-o", "all.pdf", "all.pdf"},
                                               {"--split", "--skip-existing", "all.pdf"}}) {
        std::vector<std::string> command = {LEAFWRIGHT_CLI, "unspool"};
        command.insert(command.end(), args.begin(), args.end());
        auto refused = runProcess(command, dir.path());
        EXPECT_EQ(refused.exitStatus, 2) << args[1] << refused.err;
    }
}

}  // namespace
}  // namespace leafwright
