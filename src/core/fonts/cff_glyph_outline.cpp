#include "core/fonts/cff_glyph_outline.h"

#include <hb-ot.h>
#include <hb.h>

#include <cstdio>
#include <initializer_list>
#include <memory>
#include <stdexcept>

#include "core/fonts/cff_parts.h"
#include "core/fonts/harfbuzz_handles.h"

namespace leafwright {
namespace {

using harfbuzz::Blob;
using harfbuzz::Face;
using harfbuzz::Font;

struct DrawFuncsDeleter {
    void operator()(hb_draw_funcs_t* funcs) const { hb_draw_funcs_destroy(funcs); }
};

void put(std::string& out, const char* op, std::initializer_list<float> values) {
    out += op;
    char number[32];
    for (float value : values) {
        std::snprintf(number, sizeof number, " %g", static_cast<double>(value));
        out += number;
    }
    out += '\n';
}

std::vector<std::string> outlinesOf(hb_face_t* face, const std::vector<GlyphId>& glyphs) {
    const Font font(hb_font_create(face));
    std::unique_ptr<hb_draw_funcs_t, DrawFuncsDeleter> funcs(hb_draw_funcs_create());
    hb_draw_funcs_set_move_to_func(
        funcs.get(),
        [](hb_draw_funcs_t*, void* out, hb_draw_state_t*, float x, float y, void*) {
            put(*static_cast<std::string*>(out), "M", {x, y});
        },
        nullptr, nullptr);
    hb_draw_funcs_set_line_to_func(
        funcs.get(),
        [](hb_draw_funcs_t*, void* out, hb_draw_state_t*, float x, float y, void*) {
            put(*static_cast<std::string*>(out), "L", {x, y});
        },
        nullptr, nullptr);
    hb_draw_funcs_set_quadratic_to_func(
        funcs.get(),
        [](hb_draw_funcs_t*, void* out, hb_draw_state_t*, float cx, float cy, float x, float y,
           void*) {
            put(*static_cast<std::string*>(out), "Q", {cx, cy, x, y});
        },
        nullptr, nullptr);
    hb_draw_funcs_set_cubic_to_func(
        funcs.get(),
        [](hb_draw_funcs_t*, void* out, hb_draw_state_t*, float c1x, float c1y, float c2x,
           float c2y, float x, float y, void*) {
            put(*static_cast<std::string*>(out), "C", {c1x, c1y, c2x, c2y, x, y});
        },
        nullptr, nullptr);
    hb_draw_funcs_set_close_path_func(
        funcs.get(),
        [](hb_draw_funcs_t*, void* out, hb_draw_state_t*, void*) {
            *static_cast<std::string*>(out) += "Z\n";
        },
        nullptr, nullptr);
    std::vector<std::string> outlines(glyphs.size());
    for (std::size_t i = 0; i < glyphs.size(); ++i)
        hb_font_get_glyph_shape(font.get(), glyphs[i], funcs.get(), &outlines[i]);
    return outlines;
}

}  // namespace

std::vector<std::string> cffGlyphOutlines(std::string_view cff,
                                          const std::vector<GlyphId>& glyphs) {
    // A face of the program alone: its glyphs are counted by a 'maxp'.
    std::size_t glyphCount = 0;
    try {
        glyphCount = cff::readCffProgram(cff).charStrings.items.size();
    } catch (const std::runtime_error&) {
        return std::vector<std::string>(glyphs.size());
    }
    std::string maxp("\x00\x00\x50\x00", 4);  // version 0.5: the count alone
    cff::putU16(maxp, static_cast<unsigned>(glyphCount));
    const Face face(hb_face_builder_create());
    const Blob program(hb_blob_create(cff.data(), static_cast<unsigned>(cff.size()),
                                      HB_MEMORY_MODE_READONLY, nullptr, nullptr));
    const Blob count(hb_blob_create(maxp.data(), static_cast<unsigned>(maxp.size()),
                                    HB_MEMORY_MODE_READONLY, nullptr, nullptr));
    hb_face_builder_add_table(face.get(), HB_TAG('C', 'F', 'F', ' '), program.get());
    hb_face_builder_add_table(face.get(), HB_TAG('m', 'a', 'x', 'p'), count.get());
    const Blob built(hb_face_reference_blob(face.get()));
    const Face builtFace(hb_face_create(built.get(), 0));
    return outlinesOf(builtFace.get(), glyphs);
}

std::string_view cffTableOf(const FontFace::File& file) {
    const Blob bytes(hb_blob_create(file.bytes.data(), static_cast<unsigned>(file.bytes.size()),
                                    HB_MEMORY_MODE_READONLY, nullptr, nullptr));
    const Face face(hb_face_create(bytes.get(), file.index));
    const Blob table(hb_face_reference_table(face.get(), HB_TAG('C', 'F', 'F', ' ')));
    unsigned length = 0;
    const char* data = hb_blob_get_data(table.get(), &length);
    // A table of the file's bytes stands among them.
    if (!data || data < file.bytes.data() || data + length > file.bytes.data() + file.bytes.size())
        return {};
    return {data, length};
}

std::vector<std::string> faceGlyphOutlines(const FontFace::File& file,
                                           const std::vector<GlyphId>& glyphs) {
    const Blob bytes(hb_blob_create(file.bytes.data(), static_cast<unsigned>(file.bytes.size()),
                                    HB_MEMORY_MODE_READONLY, nullptr, nullptr));
    const Face face(hb_face_create(bytes.get(), file.index));
    return outlinesOf(face.get(), glyphs);
}

}  // namespace leafwright
