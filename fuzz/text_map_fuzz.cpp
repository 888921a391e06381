// Reads arbitrary bytes as a /ToUnicode CMap, whole and in pieces of a size
// drawn from the input, and checks that both give the same map, that a
// code's length is one to four bytes once enough bytes are there, and that
// every text comes out as UTF-8. From the same bytes it also draws a map of
// overlapping codes and ranges, writes it as a CMap, and checks every code's
// text against a plain reading of the map's entries.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/plustools/cmap_reader.h"
#include "core/plustools/text_map_model.h"
#include "utf8_shape.h"

namespace {

[[noreturn]] void fail(const char* what, const std::string& code) {
    std::fprintf(stderr, "text map: %s (code of %zu bytes)\n", what, code.size());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t pieceSize = size == 0 ? 1 : 1 + data[0] % 7;
    leafwright::CMapReader whole, pieces;
    whole.feed(input);
    for (std::size_t at = 0; at < input.size(); at += pieceSize)
        pieces.feed(input.substr(at, pieceSize));
    const leafwright::ToUnicodeMap a = whole.finish(), b = pieces.finish();

    // Codes taken from the input itself, of every length.
    for (std::size_t at = 0; at + 4 <= size && at < 4096; at += 3) {
        for (std::size_t length = 1; length <= 4; ++length) {
            const std::string code(input.substr(at, length));
            const std::size_t codeLength = a.codeLengthAt(code);
            if (codeLength != b.codeLengthAt(code)) fail("code lengths differ in pieces", code);
            if (codeLength > 4 || (length == 4 && codeLength == 0))
                fail("a code length out of range", code);
            std::string textA, textB;
            a.appendText(code, textA);
            b.appendText(code, textB);
            if (textA != textB) fail("texts differ in pieces", code);
            if (!isUtf8(textA)) fail("a text that is not UTF-8", code);
        }
    }

    // A map drawn from the input, against the plain reading of its entries.
    std::size_t next = 0;
    leafwright::testing::Choose choose = [&](std::uint32_t count) -> std::uint32_t {
        std::uint32_t value = 0;
        for (int k = 0; k < 2; ++k) value = (value << 8) | (next < size ? data[next++] : 0);
        return value % count;
    };
    const leafwright::testing::TextMapModel model =
        leafwright::testing::randomTextMap(choose, 1 + size % 40);
    leafwright::CMapReader reader;
    reader.feed(model.cmapText());
    const leafwright::ToUnicodeMap map = reader.finish();
    for (unsigned value = 0; value < 620; ++value) {
        for (std::size_t length = 1; length <= 2; ++length) {
            if (length == 1 && value > 255) continue;
            const std::string code = leafwright::testing::TextMapModel::codeOf(value, length);
            std::string text;
            map.appendText(code, text);
            if (text != model.textOf(code))
                fail("a code's text differs from the map's entries", code);
        }
    }
    return 0;
}
