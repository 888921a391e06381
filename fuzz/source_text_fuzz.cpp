// Converts arbitrary bytes as a source text file, with settings chosen by the
// first bytes of the input, through the whole path a file takes: decoding,
// escaping, either layout and the document writer. Every document written
// must pass the structural check (cross-reference offsets, stream lengths,
// startxref); a refused file must leave nothing behind.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "core/pdf/conversion_run.h"
#include "core/platform/file_error.h"
#include "core/settings/conversion_settings.h"
#include "core/settings/derivation.h"
#include "core/settings/value_tables.h"
#include "support/pdf_structure.h"
#include "work_folder.h"

namespace {

const std::string& workFolder() {
    return leafwright::fuzzing::workFolder("source");
}

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "source text: %s\n", what.c_str());
    std::abort();
}

// Takes the settings bytes off the front of the input, one at a time.
class Choices {
  public:
    explicit Choices(std::string_view& input) : input_(input) {}
    unsigned next() {
        if (input_.empty()) return 0;
        unsigned byte = static_cast<unsigned char>(input_.front());
        input_.remove_prefix(1);
        return byte;
    }
    template <typename Table>
    std::string pick(const Table& table) {
        const auto& row = table[next() % table.size()];
        if constexpr (requires { row.label; })
            return std::string(row.label);
        else if constexpr (requires { row.sizeText; })
            return std::string(row.sizeText);
        else if constexpr (requires { row.name; })
            return std::string(row.name);
        else
            return std::string(row);
    }

  private:
    std::string_view& input_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    Choices choose(input);

    leafwright::ChosenValues chosen;
    chosen.selfAdaptation = choose.next() & 1;
    chosen.pageStyle = choose.pick(leafwright::pageStyles());
    chosen.font = choose.pick(leafwright::fontNames());
    chosen.fontSize = choose.pick(leafwright::fontSizes());
    chosen.textColor = choose.pick(leafwright::colours());
    chosen.pageColor = choose.pick(leafwright::colours());
    chosen.rotation = choose.pick(leafwright::rotations());
    chosen.landscape = choose.next() & 1;
    // Margins up to 1023 points: some leave no room for a line.
    chosen.topMargin = std::to_string((choose.next() << 8 | choose.next()) % 1024);
    chosen.leftMargin = std::to_string((choose.next() << 8 | choose.next()) % 1024);
    chosen.folder = leafwright::kDefaultPath;
    // The title takes a piece of the input too, to exercise its escaping.
    std::size_t titleLength = choose.next() % 32;
    chosen.title = std::string(input.substr(0, titleLength));

    leafwright::ConversionSettings settings;
    if (leafwright::deriveSettings(settings, chosen) != 0) return 0;  // margins past the page

    const std::string source = workFolder() + "/source.txt";
    const std::string output = workFolder() + "/source.pdf";
    {
        std::ofstream out(source, std::ios::binary | std::ios::trunc);
        out.write(input.data(), static_cast<std::streamsize>(input.size()));
        if (!out) std::abort();
    }
    std::remove(output.c_str());

    try {
        leafwright::convertFile(source, output, settings);
    } catch (const leafwright::FileError& error) {
        // The one refusal a readable source can meet: no line fits.
        if (::access(output.c_str(), F_OK) == 0) fail("a refused file left an output");
        if (error.path() != source) fail("the error names another file: " + error.path());
        return 0;
    }

    std::ifstream in(output, std::ios::binary);
    const std::string pdf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    leafwright::testing::PdfStructure structure = leafwright::testing::checkPdfStructure(pdf);
    if (!structure.fault.empty()) fail(structure.fault);
    // The self-adapting layout writes one page, the paginated one at least
    // one (three objects each). A document drawn with embedded fonts has six
    // objects a TrueType font and five a font with CFF outlines (which has no
    // glyph map), one of them in the standard font's place.
    // (The font object's line, which no content line can hold: a shown
    // line never holds a line end.)
    const auto count = [&](const std::string& what) {
        long found = 0;
        for (std::size_t at = 0; (at = pdf.find(what, at)) != std::string::npos; at += what.size())
            ++found;
        return found;
    };
    const long fonts = count("\r\n/Subtype /Type0\r\n");
    const long cffFonts = count("/Subtype /CIDFontType0C");
    const bool embedded = fonts > 0;
    const long fontObjects = 6 * (fonts - cffFonts) + 5 * cffFonts;
    const long fixed = chosen.selfAdaptation == 1 ? 8 : 6;
    const long pages = static_cast<long>(structure.objects) - fixed + (embedded ? 1 : 0) -
                       (embedded ? fontObjects : 0);
    const bool expected = chosen.selfAdaptation == 1 ? pages == 0 : pages > 0 && pages % 3 == 0;
    if (!expected) fail("unexpected object count " + std::to_string(structure.objects));
    return 0;
}
