#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/plustools/marked_documents.h"
#include "core/plustools/pdf_builder.h"
#include "core/plustools/unspool_filter.h"
#include "core/plustools/unspool_run.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using namespace leafwright::testing;

// What one filter gives for the content lines and the end of its input,
// each line fed in pieces of pieceSize bytes (0: whole).
std::string unspoolLines(const std::vector<std::string>& lines, std::size_t pieceSize = 0) {
    UnspoolFilter filter;
    std::string out;
    for (const std::string& line : lines) {
        if (pieceSize == 0) {
            filter.filterPiece(line, out);
        } else {
            for (std::size_t at = 0; at < line.size(); at += pieceSize)
                filter.filterPiece(std::string_view(line).substr(at, pieceSize), out);
        }
        filter.endLine(out);
    }
    filter.endInput(out);
    return out;
}

struct Case {
    std::vector<std::string> lines;
    std::string text;
};

void expectCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& line : c.lines) shown += line + " | ";
        EXPECT_EQ(unspoolLines(c.lines), c.text) << shown;
        EXPECT_EQ(unspoolLines(c.lines, 3), c.text) << shown;
    }
}

TEST(MarkedContent, FormFeedsAndContinuationsComeBackOnTheirLine) {
    expectCases({
        // At a line's start, in its middle, at its end before another line.
        {{"BT", "()'", "/LwFF MP", "(abc)'", "ET"}, "\fabc\r\n"},
        {{"BT", "(ab)'", "/LwFF MP", "(cd)'", "ET"}, "ab\fcd\r\n"},
        {{"BT", "(abc)'", "/LwFF MP", "()'", "(next)'", "ET"}, "abc\f\r\nnext\r\n"},
        // Several in a row, empty segments between them.
        {{"BT", "(a)'", "/LwFF MP", "()'", "/LwFF MP", "()'", "/LwFF MP", "(b)'", "ET"},
         "a\f\f\fb\r\n"},
        // At the end of the document: the segment after it is not drawn.
        {{"BT", "(x)'", "(abc)'", "/LwFF MP", "ET"}, "x\r\nabc\f\r\n"},
        {{"BT", "()'", "/LwFF MP", "ET", "/Artifact BMC q Q EMC"}, "\f\r\n"},
        // A wrapped line, a wrapped segment after a form feed.
        {{"BT", "(one )'", "/LwCont MP", "(two )'", "/LwCont MP", "(three)'", "(after)'", "ET"},
         "one two three\r\nafter\r\n"},
        {{"BT", "(ab)'", "/LwFF MP", "(cd)'", "/LwCont MP", "(ef)'", "ET"}, "ab\fcdef\r\n"},
        // On the row's own line, the mark joins it as well.
        {{"BT", "(ab)' /LwCont MP", "(cd)'", "ET"}, "abcd\r\n"},
        // The continuation of a page's last row starts the next page.
        {{"BT", "(end of page)'", "ET", "endstream", "BT", "/LwCont MP", "( goes on)'", "ET"},
         "end of page goes on\r\n"},
        // Other marked content, and the names as strings or other operands,
        // change nothing.
        {{"BT", "(a)'", "/Other MP", "/P <</MCID 0>> BDC", "(b)'", "EMC", "(LwCont) Tj", "ET"},
         "a\r\nb\r\nLwCont\r\n"},
        {{"BT", "(a)'", "/LwCont /Other DP", "(b)'", "/Span /LwFF BDC", "(c)'", "EMC", "ET"},
         "a\r\nb\r\nc\r\n"},
    });
}

TEST(MarkedContent, ArtifactsAreSkippedToTheirOwnEnd) {
    expectCases({
        {{"BT", "(body)'", "ET", "/Artifact BMC", "BT (Page 1 of 9) Tj ET", "EMC", "BT", "(more)'",
          "ET"},
         "body\r\nmore\r\n"},
        // Nested marked content inside: the artifact ends at its own EMC.
        {{"/Artifact <</Type /Pagination /Subtype /Header>> BDC", "/Span <</Lang (de)>> BDC",
          "/P BMC", "BT (header) Tj ET", "EMC", "BT (still header) Tj ET", "EMC", "BT (and) Tj ET",
          "EMC", "BT (text)' ET"},
         "text\r\n"},
        // Inside a text object, spread over lines, a mark inside it ignored.
        {{"BT", "(a)'", "/Artifact /Num BDC", "(12", "3)'", "/LwCont MP", "/LwFF MP", "EMC", "(b)'",
          "ET"},
         "a\r\nb\r\n"},
        // Page furniture between a row and its continuation on the next page.
        {{"BT", "(first)'", "ET", "/Artifact BMC q 1 0 0 1 0 0 cm 0 0 m 5 5 l S Q EMC",
          "/Artifact BMC BT [(foot) 20 (er)] TJ <ABCD> Tj ET EMC", "BT", "/LwCont MP", "(second)'",
          "ET"},
         "firstsecond\r\n"},
        // Words that only hold the operators' letters are not operators.
        {{"BT", "(a)'", "/Artifact BMCX", "(b)'", "EMCX", "/ArtifactX BMC", "(c)'", "EMC", "ET"},
         "a\r\nb\r\nc\r\n"},
    });
}

TEST(MarkedContent, MarksBetweenHexAndTjRows) {
    expectCases({
        {{"BT", "<6162>'", "/LwCont MP", "[<63> 250 (d)] TJ T*", "/LwFF MP", "<>'", "ET"},
         "abcd\f\r\n"},
        {{"BT", "[(x) -30 (y)] TJ T*", "/LwCont MP", "<7A 7a>'", "/Artifact BMC", "<6869>'", "EMC",
          "/LwFF MP", "[<41>] TJ T*", "ET"},
         "xyzz\fA\r\n"},
        // A hex row spread over two lines, the mark right after its end.
        {{"BT", "<61", "62>' /LwCont MP", "<63>'", "ET"}, "abc\r\n"},
    });
}

TEST(MarkedContent, RandomRowsAndMarksComeBackAsTheirSource) {
    for (std::uint32_t seed = 1; seed <= 300; ++seed) {
        std::mt19937 random(seed);
        testing::Choose choose = [&](std::uint32_t count) {
            return std::uniform_int_distribution<std::uint32_t>(0, count - 1)(random);
        };
        const testing::MarkedDocument doc = testing::markedDocument(choose, 1 + seed % 17);
        const std::size_t pieceSize = seed % 4 == 0 ? 0 : 1 + seed % 5;
        ASSERT_EQ(unspoolLines(doc.lines, pieceSize), doc.text) << "seed " << seed;
    }
}

// Whole documents, each page's content read through its objects (one or
// two threads) or, uncompressed, line by line.
class MarkedDocuments : public ::testing::TestWithParam<std::tuple<bool, unsigned>> {
  protected:
    // Pages, each given as the content streams of its /Contents array.
    std::string unspoolPages(const std::vector<std::vector<std::string>>& pages) {
        const bool compressed = std::get<0>(GetParam());
        PdfBuilder pdf;
        std::string kids;
        int next = 10;
        for (const auto& streams : pages) {
            const int page = next++;
            std::string contents;
            for (const std::string& stream : streams) {
                const int number = next++;
                contents += std::to_string(number) + " 0 R ";
                pdf.addStream(number, compressed ? "/Filter /FlateDecode" : "",
                              compressed ? zlibCompress(stream) : stream);
            }
            pdf.add(page, "<< /Type /Page /Parent 2 0 R /Contents [" + contents + "] >>");
            kids += std::to_string(page) + " 0 R ";
        }
        pdf.add(1, "<< /Type /Catalog /Pages 2 0 R >>");
        pdf.add(2, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) +
                       " /Resources << /Font << /F1 3 0 R >> >> >>");
        pdf.add(3, "<< /Type /Font /Subtype /Type1 /BaseFont /Courier >>");
        writeBytes(dir_.file("in.pdf"), pdf.build(1));
        unspoolFile(dir_.file("in.pdf"), dir_.file("out.txt"), {}, std::get<1>(GetParam()));
        return readBytes(dir_.file("out.txt"));
    }

    TempDir dir_;
};

TEST_P(MarkedDocuments, MarksHoldAcrossStreamsAndPages) {
    // Page furniture spread over the parts of one page's content, rows joined
    // across the page break, a form feed ending a page.
    EXPECT_EQ(unspoolPages({{"BT /F1 12 Tf\r\n(one)'\r\nET\r\n/Artifact BMC\r\nBT (header",
                             " text) Tj ET\r\n/P BMC EMC\r\n(x) Tj\r\nEMC\r\nBT\r\n(two)'\r\nET"},
                            {"BT /F1 12 Tf\r\n/LwCont MP\r\n( and more)'\r\n/LwFF MP\r\nET\r\n",
                             "/Artifact BMC q 0 0 m 1 1 l S Q EMC"},
                            {"BT /F1 12 Tf\r\n(after)'\r\n/LwFF MP\r\nET"}}),
              "one\r\ntwo and more\fafter\f\r\n");
}

TEST_P(MarkedDocuments, AnArtifactLeftOpenEndsWithItsPage) {
    // Read by its pages, a page's content ends its marked content; read line
    // by line, pages are not told apart.
    if (!std::get<0>(GetParam())) GTEST_SKIP() << "read line by line";
    EXPECT_EQ(unspoolPages({{"BT (a)' ET /Artifact BMC /P BMC EMC BT (header) Tj ET"},
                            {"BT (b)' ET /P BMC EMC"},
                            {"/Artifact BMC", "BT (footer) Tj ET EMC EMC BT (c)' ET"}}),
              "a\r\nb\r\nc\r\n");
}

TEST_P(MarkedDocuments, LongRunsOfJoinedRowsComeBackWhole) {
    // Well over the size in which the output is handed on, every row but the
    // first a continuation or after a form feed: no line end taken back may
    // have been written already.
    std::string content = "BT /F1 12 Tf\r\n(start)'\r\n";
    std::string expected = "start";
    for (int row = 0; row < 30000; ++row) {
        const bool formFeed = row % 7 == 3;
        content += formFeed ? "/LwFF MP\r\n" : "/LwCont MP\r\n";
        content += "(" + std::to_string(row) + ")'\r\n";
        expected += (formFeed ? "\f" : "") + std::to_string(row);
    }
    content += "ET\r\n";
    EXPECT_EQ(unspoolPages({{content}, {"BT (end)'\r\nET"}}), expected + "\r\nend\r\n");
}

TEST_P(MarkedDocuments, RandomDocumentsComeBackAsTheirSource) {
    for (std::uint32_t seed = 1; seed <= 20; ++seed) {
        std::mt19937 random(seed);
        testing::Choose choose = [&](std::uint32_t count) {
            return std::uniform_int_distribution<std::uint32_t>(0, count - 1)(random);
        };
        const testing::MarkedDocument doc = testing::markedDocument(choose, 40);
        // The page breaks become pages, each in one or two streams.
        std::vector<std::vector<std::string>> pages(1);
        std::string stream;
        for (const std::string& line : doc.lines) {
            if (line == "endstream") {
                pages.back().push_back(stream);
                pages.emplace_back();
                stream.clear();
                continue;
            }
            stream += line + "\r\n";
            if (choose(10) == 0) {
                pages.back().push_back(stream);
                stream.clear();
            }
        }
        pages.back().push_back(stream);
        ASSERT_EQ(unspoolPages(pages), doc.text) << "seed " << seed;
    }
}

INSTANTIATE_TEST_SUITE_P(Reading, MarkedDocuments,
                         ::testing::Combine(::testing::Bool(), ::testing::Values(1u, 2u)));

}  // namespace
}  // namespace leafwright
