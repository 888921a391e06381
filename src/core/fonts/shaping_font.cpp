#include "core/fonts/shaping_font.h"

#include <hb-ot.h>

#include "core/fonts/harfbuzz_handles.h"

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

// Whether a lookup of the table (GSUB or GPOS) names the glyph: as input,
// as context before or after it, or as what it becomes.
bool lookupsName(hb_face_t* face, hb_tag_t table, hb_codepoint_t glyph) {
    const unsigned count = hb_ot_layout_table_get_lookup_count(face, table);
    hb_set_t* sets[4] = {hb_set_create(), hb_set_create(), hb_set_create(), hb_set_create()};
    bool named = false;
    for (unsigned lookup = 0; lookup < count && !named; ++lookup) {
        for (hb_set_t* set : sets) hb_set_clear(set);
        hb_ot_layout_lookup_collect_glyphs(face, table, lookup, sets[0], sets[1], sets[2], sets[3]);
        for (hb_set_t* set : sets) named = named || hb_set_has(set, glyph);
    }
    for (hb_set_t* set : sets) hb_set_destroy(set);
    return named;
}

// Whether GPOS has a kerning feature: HarfBuzz then leaves the kern table.
bool positionsKerning(hb_face_t* face) {
    hb_tag_t tags[64];
    for (unsigned offset = 0;;) {
        unsigned count = 64;
        hb_ot_layout_table_get_feature_tags(face, HB_OT_TAG_GPOS, offset, &count, tags);
        for (unsigned i = 0; i < count; ++i)
            if (tags[i] == HB_TAG('k', 'e', 'r', 'n')) return true;
        if (count < 64) return false;
        offset += count;
    }
}

}  // namespace

bool ShapingFont::spaceStandsAlone() const {
    std::call_once(spaceChecked_, [this] {
        hb_face_t* face = hb_font_get_face(font_);
        hb_codepoint_t space = 0;
        if (!hb_font_get_nominal_glyph(font_, U' ', &space)) return;
        // Apple's layout tables (morx, kerx, trak) and a kern table that
        // GPOS does not stand in for are not looked into: such a face is
        // shaped line by line.
        for (const hb_tag_t tag : {HB_TAG('m', 'o', 'r', 'x'), HB_TAG('m', 'o', 'r', 't'),
                                   HB_TAG('k', 'e', 'r', 'x'), HB_TAG('t', 'r', 'a', 'k')})
            if (harfbuzz::Table(face, tag).present()) return;
        if (harfbuzz::Table(face, HB_TAG('k', 'e', 'r', 'n')).present() && !positionsKerning(face))
            return;
        spaceStandsAlone_ =
            !lookupsName(face, HB_OT_TAG_GSUB, space) && !lookupsName(face, HB_OT_TAG_GPOS, space);
    });
    return spaceStandsAlone_;
}

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
