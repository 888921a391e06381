#include "core/fonts/line_shaper.h"

#include <fribidi.h>
#include <hb.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <unordered_map>

#include "core/fonts/document_fonts.h"
#include "core/fonts/invisible_character.h"

namespace leafwright {
namespace {

static_assert(sizeof(FriBidiChar) == sizeof(char32_t));
static_assert(sizeof(hb_codepoint_t) == sizeof(char32_t));

// Controls reach HarfBuzz as zero-width spaces: a font has no glyph for
// them, and HarfBuzz would draw the missing-glyph box with its width.
constexpr char32_t kZeroWidthSpace = 0x200B;

bool isControl(char32_t c) {
    return c < 0x20 || c == 0x7F;
}

bool isMark(hb_unicode_funcs_t* unicode, char32_t c) {
    switch (hb_unicode_general_category(unicode, c)) {
        case HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK:
        case HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK:
        case HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK:
            return true;
        default:
            return false;
    }
}

bool resolvedScript(hb_script_t script) {
    return script != HB_SCRIPT_COMMON && script != HB_SCRIPT_INHERITED &&
           script != HB_SCRIPT_UNKNOWN;
}

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

// The HarfBuzz font a face is shaped with.
class ShapingFont {
  public:
    explicit ShapingFont(const FontFace& face) {
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
        hb_blob_t* blob =
            hb_blob_create(file.bytes.data(), static_cast<unsigned>(file.bytes.size()),
                           HB_MEMORY_MODE_READONLY, nullptr, nullptr);
        hb_face_t* hbFace = hb_face_create(blob, file.index);
        hb_blob_destroy(blob);
        font_ = hb_font_create(hbFace);
        unitsPerEm_ = hb_face_get_upem(hbFace);
        hb_face_destroy(hbFace);
        if (unitsPerEm_ == 0) unitsPerEm_ = 1000;
    }
    ~ShapingFont() { hb_font_destroy(font_); }
    ShapingFont(const ShapingFont&) = delete;
    ShapingFont& operator=(const ShapingFont&) = delete;

    hb_font_t* font() const { return font_; }
    double thousandths(hb_position_t fontUnits) const { return fontUnits * 1000.0 / unitsPerEm_; }

  private:
    hb_font_t* font_ = nullptr;
    unsigned unitsPerEm_ = 1000;
};

// A stretch of the line in one direction level, script and face.
struct Run {
    std::size_t start;
    std::size_t end;
    FriBidiLevel level;
    hb_script_t script;
    const FontFace* face;
    std::size_t visualPlace = 0;  // where its characters stand in the visual order
    bool rightToLeft() const { return level % 2 == 1; }
};

// A glyph while the line is laid out; lengths in thousandths.
struct PlacedGlyph {
    GlyphId glyph;
    std::size_t clusterStart;
    std::size_t clusterEnd;
    bool firstOfCluster;
    double advance;
    double xOffset;
    double yOffset;
    double start = 0;  // the pen before it, from the line's start edge
};

}  // namespace

struct LineShaper::Engine {
    FontProvider& provider;
    std::string baseFont;
    int tabStop;
    const FontFace* mainFace;
    std::unordered_map<const FontFace*, std::unique_ptr<ShapingFont>> fonts;
    std::unordered_map<char32_t, const FontFace*> faceOf;  // null for a character no face has
    std::vector<bool> faceKnown;
    std::vector<const FontFace*> bmpFaces;
    hb_buffer_t* buffer = hb_buffer_create();
    hb_unicode_funcs_t* unicode = hb_unicode_funcs_get_default();

    Engine(FontProvider& provider, std::string baseFont, int tabStop)
        : provider(provider), baseFont(std::move(baseFont)), tabStop(tabStop) {
        mainFace = provider.faceFor(this->baseFont);
        if (!mainFace)
            throw FontUnavailable("no TrueType font is installed to draw " + this->baseFont);
    }
    ~Engine() { hb_buffer_destroy(buffer); }

    // The face of each character met; the Basic Multilingual Plane's in an
    // array, since long texts ask for the same few hundred characters.
    const FontFace* faceFor(char32_t c) {
        if (c < 0x10000 && !faceKnown.empty() && faceKnown[c]) return bmpFaces[c];
        auto known = faceOf.find(c);
        if (known == faceOf.end()) {
            const FontFace* face =
                mainFace->glyphFor(c) != 0 ? mainFace : provider.fallbackFor(baseFont, c);
            if (face && face->glyphFor(c) == 0) face = nullptr;
            known = faceOf.emplace(c, face).first;
        }
        if (c < 0x10000) {
            if (faceKnown.empty()) {
                faceKnown.resize(0x10000);
                bmpFaces.resize(0x10000);
            }
            faceKnown[c] = true;
            bmpFaces[c] = known->second;
        }
        return known->second;
    }

    ShapingFont& fontFor(const FontFace* face) {
        std::unique_ptr<ShapingFont>& font = fonts[face];
        if (!font) font = std::make_unique<ShapingFont>(*face);
        return *font;
    }

    ShapedLine shape(std::u32string_view line);
};

LineShaper::LineShaper(FontProvider& provider, std::string baseFont, int tabStop)
    : engine_(std::make_unique<Engine>(provider, std::move(baseFont), tabStop)) {}
LineShaper::~LineShaper() = default;

ShapedLine LineShaper::shape(std::u32string_view line) {
    return engine_->shape(line);
}

ShapedLine LineShaper::Engine::shape(std::u32string_view line) {
    ShapedLine result;
    const std::size_t length = line.size();
    if (length == 0 || length >= static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return result;

    // The text as drawn ("?" for what no face has), as given to HarfBuzz,
    // and each character's face: a mark, an invisible character or one
    // common to all scripts stays in the face of the character before it
    // when that face has it, so it is shaped with its neighbours.
    std::u32string drawn(line);
    std::u32string shaped(line);
    std::vector<const FontFace*> faces(length);
    for (std::size_t i = 0; i < length; ++i) {
        const char32_t c = line[i];
        const FontFace* previous = i > 0 ? faces[i - 1] : mainFace;
        if (isInvisibleCharacter(c)) {
            faces[i] = previous;
            if (isControl(c)) shaped[i] = kZeroWidthSpace;
        } else if ((isMark(unicode, c) || hb_unicode_script(unicode, c) == HB_SCRIPT_COMMON) &&
                   previous->glyphFor(c) != 0) {
            // Marks stay with their letter; spaces, digits and punctuation
            // with the text around them, which is then shaped in one run.
            faces[i] = previous;
        } else if (!(faces[i] = faceFor(c))) {
            drawn[i] = shaped[i] = U'?';
            faces[i] = faceFor(U'?') ? faceFor(U'?') : mainFace;
            ++result.unprintable;
        }
    }

    // Direction levels and the visual order, by the bidirectional algorithm
    // without FriBidi's own Arabic shaping: HarfBuzz joins the letters.
    const auto count = static_cast<FriBidiStrIndex>(length);
    const auto* characters = reinterpret_cast<const FriBidiChar*>(drawn.data());
    std::vector<FriBidiCharType> types(length);
    std::vector<FriBidiBracketType> brackets(length);
    std::vector<FriBidiLevel> levels(length, 0);
    fribidi_get_bidi_types(characters, count, types.data());
    fribidi_get_bracket_types(characters, count, types.data(), brackets.data());
    FriBidiParType direction = FRIBIDI_PAR_ON;
    std::vector<FriBidiStrIndex> visualToLogical(length);
    std::iota(visualToLogical.begin(), visualToLogical.end(), 0);
    // Reordering also lowers trailing white space and tabs to the
    // paragraph's level. Either fails only when out of memory; the line is
    // then drawn left to right as typed.
    if (fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), count, &direction,
                                            levels.data()) == 0 ||
        fribidi_reorder_line(0, types.data(), count, 0, direction, levels.data(), nullptr,
                             visualToLogical.data()) == 0) {
        direction = FRIBIDI_PAR_LTR;
        std::fill(levels.begin(), levels.end(), 0);
        std::iota(visualToLogical.begin(), visualToLogical.end(), 0);
    }
    const bool rightToLeft = FRIBIDI_IS_RTL(direction);
    result.direction = rightToLeft ? TextDirection::rightToLeft : TextDirection::leftToRight;
    std::vector<std::size_t> logicalToVisual(length);
    for (std::size_t v = 0; v < length; ++v)
        logicalToVisual[static_cast<std::size_t>(visualToLogical[v])] = v;

    // Scripts: common characters and marks belong to the script before
    // them, those at the start to the first script of the line.
    std::vector<hb_script_t> scripts(length);
    hb_script_t current = HB_SCRIPT_INVALID;
    for (std::size_t i = 0; i < length; ++i) {
        const hb_script_t script = hb_unicode_script(unicode, shaped[i]);
        if (resolvedScript(script)) current = script;
        scripts[i] = current;
    }
    if (current == HB_SCRIPT_INVALID) current = HB_SCRIPT_COMMON;
    for (std::size_t i = length; i-- > 0;) {
        if (scripts[i] != HB_SCRIPT_INVALID) current = scripts[i];
        scripts[i] = current;
    }

    std::vector<Run> runs;
    for (std::size_t i = 0; i < length; ++i) {
        if (!runs.empty() && runs.back().level == levels[i] && runs.back().script == scripts[i] &&
            runs.back().face == faces[i]) {
            runs.back().end = i + 1;
            continue;
        }
        runs.push_back({i, i + 1, levels[i], scripts[i], faces[i], logicalToVisual[i]});
    }

    // Shape each run; its glyphs are kept in HarfBuzz's order, left to right.
    std::vector<std::vector<PlacedGlyph>> runGlyphs(runs.size());
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const Run& run = runs[r];
        ShapingFont& font = fontFor(run.face);
        hb_buffer_clear_contents(buffer);
        hb_buffer_add_utf32(buffer, reinterpret_cast<const std::uint32_t*>(shaped.data()),
                            static_cast<int>(length), static_cast<unsigned>(run.start),
                            static_cast<int>(run.end - run.start));
        hb_buffer_set_direction(buffer, run.rightToLeft() ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
        hb_buffer_set_script(buffer, run.script);
        hb_buffer_set_flags(
            buffer, static_cast<hb_buffer_flags_t>((run.start == 0 ? HB_BUFFER_FLAG_BOT : 0) |
                                                   (run.end == length ? HB_BUFFER_FLAG_EOT : 0)));
        hb_shape(font.font(), buffer, nullptr, 0);
        unsigned glyphCount = 0;
        const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &glyphCount);
        const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, nullptr);
        std::vector<PlacedGlyph>& glyphs = runGlyphs[r];
        for (unsigned g = 0; g < glyphCount; ++g) {
            glyphs.push_back({infos[g].codepoint, infos[g].cluster, 0, false,
                              font.thousandths(positions[g].x_advance),
                              font.thousandths(positions[g].x_offset),
                              font.thousandths(positions[g].y_offset)});
        }
        // Text is never lost, even when every glyph of the run was removed.
        if (glyphs.empty()) glyphs.push_back({0, run.start, 0, false, 0, 0, 0});

        // Each cluster's characters reach up to the next cluster in logical
        // order; the first glyph of the run starts at the run.
        auto logical = [&](std::size_t k) -> PlacedGlyph& {
            return glyphs[run.rightToLeft() ? glyphs.size() - 1 - k : k];
        };
        logical(0).clusterStart = run.start;
        std::size_t clusterBegin = 0;
        for (std::size_t k = 0; k <= glyphs.size(); ++k) {
            if (k < glyphs.size() && logical(k).clusterStart == logical(clusterBegin).clusterStart)
                continue;
            // Clusters rise in logical order; the bounds only keep a shaper
            // that broke that rule from cutting outside the run.
            const std::size_t start =
                std::clamp(logical(clusterBegin).clusterStart, run.start, run.end);
            const std::size_t end =
                std::clamp(k < glyphs.size() ? logical(k).clusterStart : run.end, start, run.end);
            bool invisible = true;
            for (std::size_t i = start; i < end && invisible; ++i)
                invisible = isInvisibleCharacter(line[i]);
            for (std::size_t j = clusterBegin; j < k; ++j) {
                PlacedGlyph& glyph = logical(j);
                glyph.clusterStart = start;
                glyph.clusterEnd = end;
                glyph.firstOfCluster = j == clusterBegin;
                if (invisible) glyph = {0, start, end, j == clusterBegin, 0, 0, 0};
            }
            clusterBegin = k;
        }
    }

    // Lay the runs out from the line's start edge: left to right in a
    // left-to-right line, right to left in a right-to-left one, so that tab
    // stops count from that edge.
    std::vector<std::size_t> visualRuns(runs.size());
    std::iota(visualRuns.begin(), visualRuns.end(), 0);
    std::sort(visualRuns.begin(), visualRuns.end(), [&](std::size_t a, std::size_t b) {
        return runs[a].visualPlace < runs[b].visualPlace;
    });
    if (rightToLeft) std::reverse(visualRuns.begin(), visualRuns.end());
    double pen = 0;
    for (std::size_t r : visualRuns) {
        std::vector<PlacedGlyph>& glyphs = runGlyphs[r];
        for (std::size_t k = 0; k < glyphs.size(); ++k) {
            PlacedGlyph& glyph = glyphs[rightToLeft ? glyphs.size() - 1 - k : k];
            glyph.start = pen;
            if (glyph.clusterEnd == glyph.clusterStart + 1 && line[glyph.clusterStart] == U'\t' &&
                tabStop > 0) {
                glyph.advance = (std::floor(pen / tabStop + 1e-9) + 1) * tabStop - pen;
            }
            pen += glyph.advance;
        }
    }
    result.advance = static_cast<int>(std::lround(pen));

    // The glyphs in logical order: the runs in order, each run's glyphs
    // read against its direction when it runs right to left.
    for (std::size_t r = 0; r < runs.size(); ++r) {
        std::vector<PlacedGlyph>& glyphs = runGlyphs[r];
        for (std::size_t k = 0; k < glyphs.size(); ++k) {
            const PlacedGlyph& glyph = glyphs[runs[r].rightToLeft() ? glyphs.size() - 1 - k : k];
            const double left = rightToLeft ? pen - glyph.start - glyph.advance : glyph.start;
            std::u32string text;
            if (glyph.firstOfCluster)
                text = std::u32string(drawn.begin() + glyph.clusterStart,
                                      drawn.begin() + glyph.clusterEnd);
            ShapedGlyph out{runs[r].face,
                            glyph.glyph,
                            static_cast<int>(std::lround(left + glyph.xOffset)),
                            static_cast<int>(std::lround(glyph.yOffset)),
                            static_cast<int>(std::lround(glyph.advance)),
                            std::move(text)};
            result.glyphs.push_back(std::move(out));
        }
    }
    return result;
}

}  // namespace leafwright
