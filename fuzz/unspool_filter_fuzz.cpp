// Feeds arbitrary bytes, split into lines as the text reader splits them,
// through the Unspool font-map scan and line filter, and checks that what the
// filter writes is UTF-8 with CR LF as its only line break, and the same
// whether a line comes whole or in pieces. From the same bytes it also draws
// a document that uses none of the filter's newer readings (one literal
// string a line, no doubled backslash, no marker texts, "BT" and "ET" only as
// operators) and checks the filter against a plain, slow transcription of the
// rules it followed before them. Last, it draws content in the form the
// writer gives wrapped lines, form feeds and page furniture, and checks that
// the filter gives back the source it was drawn from.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/plustools/font_map_scan.h"
#include "core/plustools/marked_documents.h"
#include "core/plustools/reference_documents.h"
#include "core/plustools/unspool_filter.h"
#include "core/text/mac_roman_decode.h"
#include "utf8_shape.h"

namespace {

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// The rules before strings were read as tokens, step by step, with no care
// for speed.
class ReferenceFilter {
  public:
    std::int64_t textDepth = 0;
    std::int64_t openStrings = 0;

    void filterLine(std::string line, std::string& out) {
        replaceAll(line, "\\(", "#$%");
        replaceAll(line, "\\)", "#$&");
        std::size_t start = 0;
        std::size_t b = line.find("BT");
        if (b != std::string::npos) {
            ++textDepth;
            start = b + 1;
        }
        if (textDepth > 0) {
            std::size_t i = line.find('(', start);
            std::size_t j = line.find(')', start);
            bool hasOpen = i != std::string::npos, hasClose = j != std::string::npos;
            if (hasOpen && hasClose) {
                write(j > i ? line.substr(i + 1, j - i - 1) : std::string(), out);
                out += "\r\n";
            } else if (hasOpen) {
                write(line.substr(i + 1), out);
                ++openStrings;
            } else if (openStrings > 0 && hasClose) {
                write(line.substr(0, j), out);
                out += "\r\n";
                --openStrings;
            } else if (openStrings > 0) {
                write(line, out);
            }
        }
        if (line.find("ET") != std::string::npos) --textDepth;
    }

  private:
    static void write(std::string text, std::string& out) {
        replaceAll(text, "#$%", "(");
        replaceAll(text, "#$&", ")");
        for (unsigned char c : text) leafwright::appendMacRomanAsUtf8(c, out);
    }
};

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "unspool filter: %s\n", what);
    std::abort();
}

// The lines of the input as the text reader gives them.
std::vector<std::string_view> linesOf(std::string_view input) {
    std::vector<std::string_view> lines;
    while (!input.empty()) {
        std::size_t end = input.find('\n');
        std::string_view line = input.substr(0, end);
        input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
        if (!line.empty() && line.back() == '\r' && end != std::string_view::npos)
            line.remove_suffix(1);
        lines.push_back(line);
    }
    return lines;
}

void checkOutput(const std::string& out) {
    if (!isUtf8(out)) fail("output is not UTF-8");
    for (std::size_t at = out.find('\n'); at != std::string::npos; at = out.find('\n', at + 1))
        if (at == 0 || out[at - 1] != '\r') fail("a line feed without CR before it");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    if (std::size_t stop = input.find('\x1A'); stop != std::string_view::npos)
        input = input.substr(0, stop);

    // Any bytes: the font maps they hold, then the filter, whole lines and
    // pieces of a size drawn from the input.
    leafwright::FontMapScan scan;
    for (std::size_t at = 0; at < input.size(); at += 7) scan.feed(input.substr(at, 7));
    scan.finish();
    leafwright::FontTextMaps maps;
    scan.collectMaps(maps);
    const std::size_t pieceSize = size == 0 ? 1 : 1 + data[0] % 5;
    leafwright::UnspoolFilter whole(&maps), pieces(&maps);
    std::string out, outInPieces;
    for (std::string_view line : linesOf(input)) {
        whole.filterLine(line, out);
        for (std::size_t at = 0; at < line.size(); at += pieceSize)
            pieces.filterPiece(line.substr(at, pieceSize), outInPieces);
        pieces.endLine(outInPieces);
        if (whole.openStrings() < 0) fail("openStrings below zero");
    }
    if (out != outInPieces) fail("a line in pieces gives another output");
    checkOutput(out);

    // A document without the newer readings, drawn from the input.
    std::size_t next = 0;
    leafwright::testing::Choose choose = [&](std::uint32_t count) -> std::uint32_t {
        std::uint32_t value = 0;
        for (int k = 0; k < 2; ++k) value = (value << 8) | (next < size ? data[next++] : 0);
        return value % count;
    };
    std::vector<std::string> document =
        leafwright::testing::referenceDocument(choose, 1 + size % 24);
    leafwright::UnspoolFilter filter;
    ReferenceFilter reference;
    std::string expected;
    out.clear();
    for (const std::string& line : document) {
        filter.filterLine(line, out);
        reference.filterLine(line, expected);
        if (out != expected) fail("output differs from the earlier rules");
        if (filter.textDepth() != reference.textDepth) fail("textDepth differs");
        if (filter.openStrings() != reference.openStrings) fail("openStrings differs");
    }
    checkOutput(out);

    // Rows, marks and page furniture, drawn from the input.
    next = 0;
    const leafwright::testing::MarkedDocument marked =
        leafwright::testing::markedDocument(choose, 1 + size % 16);
    leafwright::UnspoolFilter markedFilter;
    out.clear();
    for (const std::string& line : marked.lines) {
        for (std::size_t at = 0; at < line.size(); at += pieceSize)
            markedFilter.filterPiece(std::string_view(line).substr(at, pieceSize), out);
        markedFilter.endLine(out);
    }
    markedFilter.endInput(out);
    if (out != marked.text) fail("marked rows do not give back their source");
    return 0;
}
