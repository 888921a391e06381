// Reads arbitrary bytes as a CFF font program (after two bytes that say how
// many CIDs to make and which glyphs they draw) and makes it CID-keyed: the
// rewrite either refuses it with std::runtime_error or gives a program that
// it reads again, and that rewriting once more with every CID drawn by its
// own glyph leaves byte for byte as it is. The subsetter, given the same
// glyphs, either refuses the program or gives one the rewrite reads.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/fonts/cff_subset.h"
#include "core/fonts/cff_table.h"

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "cff table: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // CIDs 1..n drawn by glyphs 0..3 in a pattern of the second byte: the
    // programs of the corpus have a few glyphs, and a glyph beyond them
    // must be refused like any other fault.
    const std::size_t cids = 1 + data[0] % 64;
    std::vector<leafwright::GlyphId> glyphOfCid(cids, 0);
    for (std::size_t cid = 1; cid < cids; ++cid) glyphOfCid[cid] = (data[1] >> (cid % 4 * 2)) & 3;
    const std::string_view program(reinterpret_cast<const char*>(data) + 2, size - 2);

    try {
        const std::string subset = leafwright::CffSubsetter(program).subset(glyphOfCid);
        try {
            leafwright::cidKeyedCff(subset, {});
        } catch (const std::runtime_error&) {
            fail("a subset is refused when read again");
        }
    } catch (const std::runtime_error&) {
    }

    std::string made;
    try {
        made = leafwright::cidKeyedCff(program, glyphOfCid);
    } catch (const std::runtime_error&) {
        return 0;
    }
    std::vector<leafwright::GlyphId> identity(cids);
    for (std::size_t cid = 0; cid < cids; ++cid)
        identity[cid] = static_cast<leafwright::GlyphId>(cid);
    std::string again;
    try {
        again = leafwright::cidKeyedCff(made, identity);
    } catch (const std::runtime_error&) {
        fail("the program made is refused when read again");
    }
    if (again != made) fail("rewriting the program made changes it");
    return 0;
}
