// A page too large to hold is read twice, to measure it and to write it.
// It must come out byte for byte as a held page would, and a source changed
// in between must be refused rather than written with a wrong length.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "converted_text.h"
#include "core/pdf/line_drawing.h"
#include "core/pdf/paginated_layout.h"
#include "core/pdf/pdf_writer.h"
#include "core/pdf/single_page_layout.h"
#include "core/platform/file_error.h"
#include "core/platform/text_file_writer.h"
#include "pdf_expectations.h"

namespace leafwright {
namespace {

using testing::expectChangedWhileConverted;

using testing::TempDir;

// The page-tree document of a source, no page of which is held when its
// content exceeds heldPageLimit bytes.
std::string writePaged(const std::string& source, const std::string& output,
                       std::size_t heldPageLimit) {
    ConversionSettings settings;
    TextFileReader reader(source);
    LineDrawing drawing(settings, nullptr);
    PaginatedPages pages(reader, settings, lineCapacity(settings), heldPageLimit,
                         drawing.chooser());
    if (drawing.fonts()) pages.readAheadAllPages();
    TextFileWriter out(output);
    writePageTreePdf(out, settings, pages, drawing.fonts());
    out.commit();
    return testing::readBytes(output);
}

TEST(StreamedPage, IsWrittenByteForByteAsAHeldPage) {
    TempDir dir;
    const std::string filler(1 << 20, 'a');
    std::vector<std::string> texts = {
        "",
        testing::numberedLines(130) + "(end)\\",
        "caf\xE9 (x) \\\r\nna\xEFve\n\x80\x81\n",  // Windows-1252
        "\xEF\xBB\xBF\xE2\x82\xAC)\r\n\r\nlast\r",
        "ab\ncd\x1A"
        "ef\n",
    };
    // Characters, escapes and a CR LF across the reader's buffer boundary.
    for (std::size_t shift = 1; shift <= 4; ++shift)
        texts.push_back("x\n" + filler.substr(shift) + "\xF0\x9F\x98\x80(\xC3\xA9\r\n" + filler +
                        "\\\n\xE2\x82\xAC");
    // Lines that need shaping: from their start, after a long prefix (taken
    // back whole), after a longer one (shaped from there on), and long
    // enough to be shaped in pieces.
    const std::string arabic = "\u0645\u0631\u062D\u0628\u0627 \u0644\u0627 ";
    texts.push_back(arabic + std::string(100000, 'b') + "\n\u05D0 123\n\u0915\u093F\tx\n");
    texts.push_back(filler.substr(0, 50000) + arabic + "\n" + filler + arabic + "\n" + arabic);
    for (const std::string& text : texts) {
        SCOPED_TRACE(text.size());
        testing::writeBytes(dir.file("s.txt"), text);
        ConversionSettings settings;
        convertFile(dir.file("s.txt"), dir.file("held.pdf"), settings);
        const std::string held = testing::readBytes(dir.file("held.pdf"));
        testing::checkStructure(held);
        for (std::size_t limit : {std::size_t{0}, std::size_t{300}})
            EXPECT_EQ(writePaged(dir.file("s.txt"), dir.file("streamed.pdf"), limit), held)
                << "pages over " << limit << " bytes streamed";
    }
}

// The same number of lines with other bytes: escaping makes the bodies
// longer than the length already written.
TEST(StreamedPage, ASourceChangedBetweenThePassesIsRefused) {
    TempDir dir;
    const std::string source = dir.file("s.txt");
    const std::string before(10, 'a'), after(10, '(');
    ConversionSettings settings;
    {
        testing::writeBytes(source, before + "\n" + before + "\n");
        TextFileReader reader(source);
        PaginatedPages pages(reader, settings, lineCapacity(settings), 0);
        pages.nextStreamLength();
        testing::writeBytes(source, after + "\n" + after + "\n");
        TextFileWriter out(dir.file("paged.pdf"));
        expectChangedWhileConverted([&] { pages.writeContent(out); }, source);
    }
    {
        // A held page is read once; a line added behind it is still found.
        testing::writeBytes(source, before + "\n");
        TextFileReader reader(source);
        PaginatedPages pages(reader, settings, lineCapacity(settings));
        pages.nextStreamLength();
        testing::writeBytes(source, before + "\n" + before + "\n");
        TextFileWriter out(dir.file("paged.pdf"));
        expectChangedWhileConverted([&] { pages.writeContent(out); }, source);
    }
    {
        testing::writeBytes(source, before + "\n");
        TextFileReader reader(source);
        ConversionSettings adapting = settings;
        adapting.chosen.selfAdaptation = 1;
        TextMeasure measure(adapting.fontSizeValue);
        SinglePage page = layOutSinglePage(reader, adapting, measure);
        testing::writeBytes(source, after + "\n");
        TextFileWriter out(dir.file("single.pdf"));
        expectChangedWhileConverted([&] { page.writeContent(out); }, source);
    }
}

}  // namespace
}  // namespace leafwright
