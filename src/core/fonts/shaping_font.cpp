#include "core/fonts/shaping_font.h"

namespace leafwright {
namespace {

// A face without a font file is shaped through its own glyph and advance
// look-ups, in thousandths of the em.
hb_bool_t faceNominalGlyph(hb_font_t*, void* face, hb_codepoint_t character, hb_codepoint_t* glyph,
                           void*) {
    *glyph = static_cast<const FontFace*>(face)->glyphFor(character);
    return *glyph != 0;
}

hb_position_t faceAdvance(hb_font_t*, void* face, hb_codepoint_t glyph, void*) {
    return static_cast<const FontFace*>(face)->advanceWidth(glyph);
}

hb_font_funcs_t* faceFunctions() {
    static hb_font_funcs_t* const functions = [] {
        hb_font_funcs_t* made = hb_font_funcs_create();
        hb_font_funcs_set_nominal_glyph_func(made, faceNominalGlyph, nullptr, nullptr);
        hb_font_funcs_set_glyph_h_advance_func(made, faceAdvance, nullptr, nullptr);
        hb_font_funcs_make_immutable(made);
        return made;
    }();
    return functions;
}

}  // namespace

ShapingFont::ShapingFont(const FontFace& face) {
    const FontFace::File file = face.file();
    if (file.bytes.empty()) {
        // A face of its own: HarfBuzz's shared empty face gives a font
        // that does not shape.
        hb_face_t* empty = hb_face_create(hb_blob_get_empty(), 0);
        hb_face_set_upem(empty, 1000);
        font_ = hb_font_create(empty);
        hb_face_destroy(empty);
        hb_font_set_funcs(font_, faceFunctions(), const_cast<FontFace*>(&face), nullptr);
        hb_font_set_scale(font_, 1000, 1000);
        return;
    }
    hb_blob_t* blob = hb_blob_create(file.bytes.data(), static_cast<unsigned>(file.bytes.size()),
                                     HB_MEMORY_MODE_READONLY, nullptr, nullptr);
    hb_face_t* hbFace = hb_face_create(blob, file.index);
    hb_blob_destroy(blob);
    font_ = hb_font_create(hbFace);
    unitsPerEm_ = hb_face_get_upem(hbFace);
    hb_face_destroy(hbFace);
    if (unitsPerEm_ == 0) unitsPerEm_ = 1000;
}

}  // namespace leafwright
