#include <gtest/gtest.h>

#include <map>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/converted_documents.h"
#include "support/plain_text.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using namespace leafwright::testing;

// Sources of three kinds, as the writer draws them differently: plain
// strings of the standard font, strings with tab stops, and embedded fonts
// (with right-to-left and Chinese lines); lines of the characters PDF
// strings treat specially, empty lines, lines longer than the page.
std::string generatedSource(int kind, unsigned seed) {
    const std::vector<std::string> plain = {"word",         " ",    "(",     ")",         "\\",
                                            "BT",           " ET ", "%%EOF", "endstream", "0 R",
                                            "\u00E9\u00C5", "x"};
    std::vector<std::string> pieces = plain;
    if (kind >= 1) pieces.push_back("\t");
    if (kind == 2)
        pieces.insert(pieces.end(), {"\u0416\u0438\u0437\u043D\u044C", "\u4E2D\u6587\u5B57",
                                     "\u0645\u0631\u062D\u0628\u0627", "\u05E9\u05DC\u05D5\u05DD"});
    std::mt19937 random(seed);
    std::string source;
    const int lines = 100 + static_cast<int>(random() % 300);
    for (int line = 0; line < lines; ++line) {
        const int count = random() % 20 == 0 ? 80 : static_cast<int>(random() % 9);
        for (int k = 0; k < count; ++k) source += pieces[random() % pieces.size()];
        source += "\n";
    }
    return source;
}

// The lines of the content streams of a qpdf --qdf file, page by page (qpdf
// may place a page's streams after a later page's), without empty ones
// (qpdf ends each stream with a line end of its own).
std::map<int, std::vector<std::string>> contentLines(const std::string& qdf) {
    std::map<int, std::vector<std::string>> pages;
    constexpr std::string_view kMark = "%% Contents for page ";
    for (std::size_t at = 0; (at = qdf.find(kMark, at)) != std::string::npos;) {
        std::vector<std::string>& lines = pages[std::stoi(qdf.substr(at + kMark.size(), 12))];
        const std::size_t start = qdf.find("stream\n", at) + 7;
        const std::size_t end = qdf.find("endstream", start);
        std::istringstream data(qdf.substr(start, end - start));
        for (std::string line; std::getline(data, line);)
            if (!line.empty() && line.rfind("%QDF", 0) != 0) lines.push_back(line);
        at = end;
    }
    return pages;
}

void expectQpdfCheckClean(const TempDir& dir, const std::string& pdf) {
    auto check = runProcess({"qpdf", "--check", pdf}, dir.path());
    EXPECT_EQ(check.exitStatus, 0) << check.out << check.err;
    EXPECT_NE(check.out.find("No syntax or stream encoding errors"), std::string::npos)
        << check.out;
}

std::string qdfOf(const TempDir& dir, const std::string& pdf) {
    const std::string qdf = pdf + ".qdf";
    auto run = runProcess({"qpdf", "--qdf", "--static-id", "--object-streams=disable", pdf, qdf},
                          dir.path());
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    return readBytes(dir.file(qdf));
}

// Generated sources of each kind, in both layouts, converted with and
// without --compress: the compressed PDF is smaller, qpdf finds it sound,
// unspool gives the source back exactly, and qpdf's expanded form of it is
// byte for byte that of the uncompressed PDF (every stream decodes to the
// same bytes, and nothing else differs).
TEST(CompressedOutput, CompressedPdfsDecodeToTheUncompressedOnesAndUnspoolExactly) {
    if (!haveProgram("qpdf")) GTEST_SKIP() << "no qpdf";
    TempDir dir;
    unsigned seed = 1;
    for (int kind = 0; kind < 3; ++kind) {
        for (bool selfAdapting : {false, true}) {
            SCOPED_TRACE("kind " + std::to_string(kind) +
                         (selfAdapting ? ", self-adapting" : ", paginated"));
            const std::string source = generatedSource(kind, seed++);
            writeBytes(dir.file("source.txt"), source);
            writeBytes(dir.file("settings.tcf"), configFor("Times-Roman", selfAdapting, 12));
            for (const char* compress : {"--compress=FALSE", "--compress"}) {
                const std::string out = std::string(compress) == "--compress" ? "c.pdf" : "u.pdf";
                auto convert = runProcess({LEAFWRIGHT_CLI, "convert", "--force", "--config",
                                           "settings.tcf", compress, "-o", out, "source.txt"},
                                          dir.path());
                ASSERT_EQ(convert.exitStatus, 0) << convert.err;
            }
            const std::string compressed = readBytes(dir.file("c.pdf"));
            EXPECT_NE(compressed.find("/Filter /FlateDecode"), std::string::npos);
            EXPECT_LT(compressed.size(), readBytes(dir.file("u.pdf")).size());
            expectQpdfCheckClean(dir, "c.pdf");
            EXPECT_EQ(qdfOf(dir, "c.pdf"), qdfOf(dir, "u.pdf"));

            auto unspool = runProcess({LEAFWRIGHT_CLI, "unspool", "--force", "c.pdf"}, dir.path());
            EXPECT_EQ(unspool.exitStatus, 0) << unspool.err;
            EXPECT_EQ(unspool.err, "");
            EXPECT_EQ(readBytes(dir.file("c.txt")), testing::withCrLf(source));
        }
    }
}

// A self-adapting page of over 4 MB of content, with one line longer than
// that, becomes a /Contents array of streams: sound for qpdf, the same
// content lines as the uncompressed page, given back exactly by unspool,
// and the same bytes whether one thread or two made it. So does a long
// source on fixed pages made on two threads.
TEST(CompressedOutput, LargeSelfAdaptingPageBecomesAnArrayOfStreams) {
    if (!haveProgram("qpdf")) GTEST_SKIP() << "no qpdf";
    TempDir dir;
    std::mt19937 random(31);
    const std::string words[] = {"alpha ", "(beta) ", "gamma\\ ", "delta ", "\u00E9t\u00E9 "};
    std::string source;
    auto addLines = [&](int count) {
        for (int line = 0; line < count; ++line) {
            for (int k = static_cast<int>(random() % 14); k > 0; --k)
                source += words[random() % std::size(words)];
            source += "\n";
        }
    };
    addLines(60000);
    source += std::string(9 << 19, 'w') + "\n";  // 4.5 MB in one line
    addLines(20000);
    writeBytes(dir.file("large.txt"), source);

    for (bool selfAdapting : {true, false}) {
        SCOPED_TRACE(selfAdapting ? "self-adapting" : "paginated");
        writeBytes(dir.file("settings.tcf"), configFor("Times-Roman", selfAdapting, 12));
        auto convert = [&](const std::string& jobs, const std::string& compress,
                           const std::string& out) {
            auto run = runProcess({LEAFWRIGHT_CLI, "convert", "--force", "--config", "settings.tcf",
                                   "-j", jobs, compress, "-o", out, "large.txt"},
                                  dir.path());
            ASSERT_EQ(run.exitStatus, 0) << run.err;
        };
        convert("1", "--compress", "one.pdf");
        convert("2", "--compress", "two.pdf");
        convert("1", "--compress=FALSE", "plain.pdf");
        const std::string one = readBytes(dir.file("one.pdf"));
        EXPECT_TRUE(one == readBytes(dir.file("two.pdf"))) << "two threads, other bytes";
        if (selfAdapting) {
            // The page's content object is an array, after its parts.
            EXPECT_NE(one.find("\r\n5 0 obj\r\n["), std::string::npos);
            EXPECT_NE(one.find(" 0 R >>\r\nstream"), std::string::npos) << "a deferred length";
        }
        expectQpdfCheckClean(dir, "one.pdf");
        EXPECT_TRUE(contentLines(qdfOf(dir, "one.pdf")) == contentLines(qdfOf(dir, "plain.pdf")));
        auto unspool = runProcess(
            {LEAFWRIGHT_CLI, "unspool", "--force", "-o", "one.txt", "one.pdf"}, dir.path());
        EXPECT_EQ(unspool.exitStatus, 0) << unspool.err;
        EXPECT_TRUE(readBytes(dir.file("one.txt")) == testing::withCrLf(source));
    }
}

}  // namespace
}  // namespace leafwright
