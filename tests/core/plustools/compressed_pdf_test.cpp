#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/plustools/pdf_builder.h"
#include "core/plustools/unspool_run.h"
#include "core/run/run_control.h"
#include "support/recording_run_handler.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using namespace leafwright::testing;

const std::string kMap =
    "/CIDInit /ProcSet findresource begin begincmap\n"
    "1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
    "1 beginbfchar <0001> <0048> endbfchar\n"
    "1 beginbfrange <0010> <0012> <0061> endbfrange\n"
    "endcmap\n";
const std::string kPage1 = "BT\n/F1 12 Tf\n<0001 0010> Tj\n/F2 12 Tf\n(plain \\(x\\)) Tj\nET\n";
const std::string kPage2a = "BT /F2 12 Tf\n(one) Tj";
const std::string kPage2b = "(two) Tj\nET\n";
const std::string kPage3 = "BT /F2 12 Tf\n(predicted line) '\n(caf\x8E)'\nET\n";
const std::string kText = "Ha\r\nplain (x)\r\none\r\ntwo\r\npredicted line\r\ncaf\u00E9\r\n";

// Three pages under one node that gives them its resources: a Type0 font
// with a text map and a standard one; the second page's content is an
// array of two streams, one of them with an indirect /Length.
PdfBuilder threePages(bool compressed) {
    PdfBuilder pdf;
    pdf.add(1, "<< /Type /Catalog /Pages 2 0 R >>");
    pdf.add(2,
            "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 "
            "/Resources << /Font << /F1 7 0 R /F2 9 0 R >> >> >>");
    pdf.add(3, "<< /Type /Page /Parent 2 0 R /Contents 10 0 R >>");
    pdf.add(4, "<< /Type /Page /Parent 2 0 R /Contents 6 0 R >>");
    pdf.add(6, "[11 0 R 12 0 R]");
    pdf.add(5, "<< /Type /Page /Parent 2 0 R /Contents 14 0 R >>");
    pdf.add(
        7, "<< /Type /Font /Subtype /Type0 /BaseFont /X /Encoding /Identity-H /ToUnicode 8 0 R >>");
    pdf.add(9, "<< /Type /Font /Subtype /Type1 /BaseFont /Times-Roman >>");
    const std::string flate = compressed ? "/Filter /FlateDecode" : "";
    auto data = [&](const std::string& text) { return compressed ? zlibCompress(text) : text; };
    pdf.addStream(8, flate, data(kMap));
    pdf.addStream(10, flate, data(kPage1));
    pdf.addStream(11, compressed ? "/Filter [/FlateDecode]" : "", data(kPage2a));
    pdf.addStream(12, flate, data(kPage2b), 13);
    if (compressed) {
        pdf.addStream(14, "/Filter /FlateDecode /DecodeParms << /Predictor 15 /Columns 7 >>",
                      zlibCompress(testing::pngPredicted(kPage3, 7)));
    } else {
        pdf.addStream(14, "", kPage3);
    }
    return pdf;
}

// Each test runs with the pages read on one thread and on two.
class CompressedPdf : public ::testing::TestWithParam<unsigned> {};

std::string unspoolText(const TempDir& dir, const std::string& name, const std::string& pdf,
                        UnspoolOutcome* outcome = nullptr) {
    writeBytes(dir.file(name + ".pdf"), pdf);
    UnspoolOutcome result = unspoolFile(dir.file(name + ".pdf"), dir.file(name + ".txt"), {},
                                        CompressedPdf::GetParam());
    if (outcome != nullptr) *outcome = result;
    return readBytes(dir.file(name + ".txt"));
}

// Compressed content and maps, found through the cross-reference table or
// stream, give exactly what the same document gives uncompressed, where it
// is read line by line.
TEST_P(CompressedPdf, GivesTheTextOfTheSameDocumentUncompressed) {
    TempDir dir;
    UnspoolOutcome outcome;
    EXPECT_EQ(unspoolText(dir, "plain", threePages(false).build(1)), kText);
    EXPECT_EQ(unspoolText(dir, "table", threePages(true).build(1), &outcome), kText);
    EXPECT_EQ(unspoolWarningFor(outcome), "");
    EXPECT_EQ(unspoolText(dir, "stream", threePages(true).buildWithStream(1)), kText);
    // A /Length that is wrong, too short or past the end: the data runs to
    // "endstream".
    for (const char* length : {"/Length 5", "/Length 99999999"}) {
        PdfBuilder pdf = threePages(true);
        pdf.add(10, std::string("<< /Filter /FlateDecode ") + length + " >>\nstream\n" +
                        zlibCompress(kPage1) + "\r\nendstream");
        EXPECT_EQ(unspoolText(dir, "length", pdf.build(1)), kText) << length;
    }
    // Bare deflate data without the zlib header reads too.
    PdfBuilder bare = threePages(true);
    std::string raw = zlibCompress(kPage1);
    bare.addStream(10, "/Filter /FlateDecode", raw.substr(2, raw.size() - 6));
    EXPECT_EQ(unspoolText(dir, "bare", bare.build(1)), kText);
}

// What cannot be read is named, and never an empty text reported as a
// success.
TEST_P(CompressedPdf, WarnsNamingWhatCannotBeRead) {
    TempDir dir;
    UnspoolOutcome outcome;
    // Object streams: nothing is read.
    EXPECT_EQ(unspoolText(dir, "objstm", threePages(true).buildWithStream(1, {{20, 15}}), &outcome),
              "");
    EXPECT_EQ(unspoolWarningFor(outcome),
              "its objects are in compressed object streams; no text was extracted");
    // The text of pages 2 and 3, when page 1 is left out.
    const std::string withoutPage1 = "one\r\ntwo\r\npredicted line\r\ncaf\u00E9\r\n";
    // Another filter on one page of three, and on every page.
    PdfBuilder lzw = threePages(true);
    lzw.addStream(10, "/Filter /LZWDecode", "\x80\x0B\x60\x50");
    EXPECT_EQ(unspoolText(dir, "lzw", lzw.build(1), &outcome), withoutPage1);
    EXPECT_EQ(unspoolWarningFor(outcome),
              "its page content uses the LZWDecode filter; the text of 1 of its 3 pages was not "
              "extracted");
    PdfBuilder chain = threePages(true);
    for (int number : {10, 11, 12, 14})
        chain.addStream(number, "/Filter [/ASCII85Decode /FlateDecode]", "x");
    EXPECT_EQ(unspoolText(dir, "chain", chain.build(1), &outcome), "");
    EXPECT_EQ(unspoolWarningFor(outcome),
              "its page content uses the filters ASCII85Decode and FlateDecode; no text was "
              "extracted");
    EXPECT_EQ(unspoolText(dir, "encrypted",
                          threePages(true).build(1, "/Encrypt << /Filter /Standard >>"), &outcome),
              "");
    EXPECT_EQ(unspoolWarningFor(outcome), "it is encrypted; no text was extracted");
    // A page whose content object is missing, an array item that names no
    // stream, a page the tree names twice: named, never passed over in
    // silence. A page without content is no loss.
    PdfBuilder lost = threePages(true);
    lost.add(3, "<< /Type /Page /Parent 2 0 R /Contents 99 0 R >>");
    EXPECT_EQ(unspoolText(dir, "lost", lost.build(1), &outcome), withoutPage1);
    EXPECT_EQ(unspoolWarningFor(outcome),
              "the content of page 1 (object 99) is missing or damaged; the text of 1 of its 3 "
              "pages was not extracted");
    PdfBuilder item = threePages(true);
    item.add(6, "[11 0 R 2 0 R 12 0 R]");
    unspoolText(dir, "item", item.build(1), &outcome);
    EXPECT_EQ(unspoolWarningFor(outcome),
              "the content of page 2 (object 2) is missing or damaged; the text of 1 of its 3 "
              "pages was not extracted");
    PdfBuilder twice = threePages(true);
    twice.add(2,
              "<< /Type /Pages /Kids [3 0 R 4 0 R 3 0 R 2 0 R 5 0 R] /Count 3 "
              "/Resources << /Font << /F1 7 0 R /F2 9 0 R >> >> >>");
    EXPECT_EQ(unspoolText(dir, "twice", twice.build(1), &outcome), kText);
    EXPECT_EQ(unspoolWarningFor(outcome),
              "its page tree holds 2 entries that repeat an object or name no page; their text, "
              "if any, was not extracted");
    PdfBuilder blank = threePages(true);
    blank.add(3, "<< /Type /Page /Parent 2 0 R /Contents null >>");
    unspoolText(dir, "blank", blank.build(1), &outcome);
    EXPECT_EQ(unspoolWarningFor(outcome), "");

    // No cross-reference table: read line by line, as before.
    std::string broken = threePages(true).build(1);
    broken.replace(broken.rfind("startxref"), 9, "startxreF");
    EXPECT_EQ(unspoolText(dir, "broken", broken, &outcome), "");
    EXPECT_EQ(unspoolWarningFor(outcome), "its page content is compressed; no text was extracted");
    // A text much larger than its PDF (content that compresses very well).
    std::string repeated;
    for (int k = 0; k < 20000; ++k) repeated += "(a line that repeats itself) '\n";
    PdfBuilder large = threePages(true);
    large.addStream(10, "/Filter /FlateDecode", zlibCompress("BT\n" + repeated + "ET\n", 9));
    unspoolText(dir, "large", large.build(1), &outcome);
    EXPECT_NE(unspoolWarningFor(outcome).find("times the size of the PDF"), std::string::npos);
}

// A corrupt or truncated stream fails its file, naming it and leaving no
// text behind, and the run goes on with the next file.
TEST_P(CompressedPdf, CorruptAndTruncatedStreamsFailTheirFile) {
    TempDir dir;
    std::string data = zlibCompress(kPage1);
    PdfBuilder corrupt = threePages(true);
    std::string bad = data;
    bad[4] = static_cast<char>(bad[4] ^ 0x5A);
    bad[5] = static_cast<char>(bad[5] ^ 0x3C);
    corrupt.addStream(10, "/Filter /FlateDecode", bad);
    PdfBuilder truncated = threePages(true);
    truncated.addStream(10, "/Filter /FlateDecode", data.substr(0, data.size() / 2));
    writeBytes(dir.file("corrupt.pdf"), corrupt.build(1));
    writeBytes(dir.file("truncated.pdf"), truncated.build(1));
    writeBytes(dir.file("good.pdf"), threePages(true).build(1));
    testing::RecordingRunHandler handler;
    runOverFiles(std::vector<std::string>{dir.file("corrupt.pdf"), dir.file("truncated.pdf"),
                                          dir.file("good.pdf")},
                 unspoolSteps(GetParam()), handler);
    EXPECT_EQ(handler.events,
              (std::vector<std::string>{"failed corrupt.pdf", "failed truncated.pdf",
                                        "converted good.pdf -> good.txt"}));
    ASSERT_EQ(handler.errors.size(), 2u);
    for (const FileError& error : handler.errors) {
        EXPECT_NE(error.cause().find("the content of page 1 (object 10) cannot be decoded"),
                  std::string::npos)
            << error.cause();
    }
    EXPECT_EQ(handler.errors[0].path(), dir.file("corrupt.pdf"));
    EXPECT_NE(handler.errors[1].cause().find("cut short"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("corrupt.txt")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("truncated.txt")));
    EXPECT_EQ(readBytes(dir.file("good.txt")), kText);
}

// A stream that inflates a thousand times its size is read in pieces
// while the run may be cancelled: a cancel stops it long before its end, and
// leaves nothing. Ended, it gives what its data holds (here nothing).
TEST_P(CompressedPdf, AStreamThatInflatesAThousandfoldCanBeCancelled) {
    TempDir dir;
    const std::string small = testing::zeroBomb(40, true);
    PdfBuilder ended = threePages(true);
    ended.addStream(10, "/Filter /FlateDecode", small);
    EXPECT_EQ(unspoolText(dir, "small", ended.build(1)),
              "one\r\ntwo\r\npredicted line\r\ncaf\u00E9\r\n");

    PdfBuilder pdf = threePages(true);
    pdf.addStream(10, "/Filter /FlateDecode", testing::zeroBomb(2048, false));
    writeBytes(dir.file("bomb.pdf"), pdf.build(1));
    const std::uint64_t size = std::filesystem::file_size(dir.file("bomb.pdf"));

    RunControl control;
    std::atomic<bool> done{false};
    std::thread watcher([&] {
        // Once the first pass is over and the stream is being inflated.
        while (!done.load() && control.sourceBytesRead() < size + (512 << 10))
            std::this_thread::yield();
        control.cancel();
    });
    bool cancelled = false;
    {
        RunControlScope scope(control);
        try {
            unspoolFile(dir.file("bomb.pdf"), dir.file("bomb.txt"), {}, GetParam());
        } catch (const RunCancelled&) {
            cancelled = true;
        }
    }
    done = true;
    watcher.join();
    EXPECT_TRUE(cancelled);
    EXPECT_LT(control.sourceBytesRead(), size + size / 2);
    EXPECT_FALSE(std::filesystem::exists(dir.file("bomb.txt")));
}

INSTANTIATE_TEST_SUITE_P(Threads, CompressedPdf, ::testing::Values(1u, 2u));

}  // namespace
}  // namespace leafwright
