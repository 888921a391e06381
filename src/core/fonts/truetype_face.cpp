#include "core/fonts/truetype_face.h"

#include <hb-ot.h>
#include <hb-subset.h>
#include <hb.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "core/fonts/cff_subset.h"
#include "core/fonts/font_file.h"
#include "core/fonts/harfbuzz_handles.h"
#include "core/fonts/shaping_font.h"
#include "core/fonts/table_directory.h"

namespace leafwright {
namespace {

// Owners of the subsetter's objects, so every path out releases them.
struct InputDeleter {
    void operator()(hb_subset_input_t* input) const { hb_subset_input_destroy(input); }
};
struct SetDeleter {
    void operator()(hb_set_t* set) const { hb_set_destroy(set); }
};
struct PlanDeleter {
    void operator()(hb_subset_plan_t* plan) const { hb_subset_plan_destroy(plan); }
};
using harfbuzz::Blob;
using harfbuzz::blobOf;
using harfbuzz::Face;
using harfbuzz::faceName;
using harfbuzz::Font;
using harfbuzz::Table;

// A PostScript name may hold only regular characters; anything else would
// end the PDF name early or smuggle in a delimiter.
std::string pdfSafeName(const std::string& name) {
    std::string safe;
    for (char c : name) {
        const bool regular = c > ' ' && c < 0x7F &&
                             std::string_view("()<>[]{}/%#").find(c) == std::string_view::npos;
        if (regular && safe.size() < 63) safe += c;
    }
    return safe.empty() ? "Font" : safe;
}

bool embeddingForbidden(hb_face_t* face) {
    const unsigned fsType = harfbuzz::embeddingPermissions(face);
    const bool restricted = harfbuzz::restrictedLicence(fsType);
    const bool noSubsetting = (fsType & 0x0100) != 0;
    const bool bitmapOnly = (fsType & 0x0200) != 0;
    return restricted || noSubsetting || bitmapOnly;
}

bool hasColourGlyphs(hb_face_t* face) {
    return Table(face, 'C', 'B', 'D', 'T').present() || Table(face, 's', 'b', 'i', 'x').present() ||
           Table(face, 'C', 'O', 'L', 'R').present() || Table(face, 'S', 'V', 'G', ' ').present();
}

class TrueTypeFace final : public FontFace {
  public:
    TrueTypeFace(Face face, Font font, Blob file, unsigned index, std::string path,
                 FontOutlines outlines)
        : face_(std::move(face)),
          font_(std::move(font)),
          file_(std::move(file)),
          index_(index),
          path_(std::move(path)),
          outlines_(outlines) {
        unitsPerEm_ = hb_face_get_upem(face_.get());
        postScriptName_ = pdfSafeName(faceName(face_.get(), HB_OT_NAME_ID_POSTSCRIPT_NAME));
    }

    const std::string& postScriptName() const override { return postScriptName_; }

    GlyphId glyphFor(char32_t character) const override {
        hb_codepoint_t glyph = 0;
        if (!hb_font_get_nominal_glyph(font_.get(), character, &glyph)) return 0;
        return glyph;
    }

    int advanceWidth(GlyphId glyph) const override {
        return thousandths(hb_font_get_glyph_h_advance(font_.get(), glyph));
    }

    FontOutlines outlines() const override { return outlines_; }

    FontMetrics metrics() const override {
        FontMetrics m;
        hb_position_t value = 0;
        if (hb_ot_metrics_get_position(font_.get(), HB_OT_METRICS_TAG_HORIZONTAL_ASCENDER, &value))
            m.ascent = thousandths(value);
        if (hb_ot_metrics_get_position(font_.get(), HB_OT_METRICS_TAG_HORIZONTAL_DESCENDER, &value))
            m.descent = thousandths(value);
        m.capHeight = hb_ot_metrics_get_position(font_.get(), HB_OT_METRICS_TAG_CAP_HEIGHT, &value)
                          ? thousandths(value)
                          : m.ascent;
        m.italicAngle = hb_style_get_value(font_.get(), HB_STYLE_TAG_SLANT_ANGLE);
        if (std::abs(m.italicAngle) < 0.05) m.italicAngle = 0;

        const Table head(face_.get(), 'h', 'e', 'a', 'd');
        m.bboxLeft = thousandths(head.s16(36));
        m.bboxBottom = thousandths(head.s16(38));
        m.bboxRight = thousandths(head.s16(40));
        m.bboxTop = thousandths(head.s16(42));

        const Table os2(face_.get(), 'O', 'S', '/', '2');
        const unsigned weight = os2.present() ? os2.u16(4) : 400;
        // Fonts do not record their stem width; readers only use it as a
        // hint, and a fifth of the weight class is the usual estimate.
        m.stemV = static_cast<int>(weight) / 5;
        const unsigned panoseSerifStyle = os2.u16(32) & 0xFF;  // second byte of the PANOSE
        m.serif = panoseSerifStyle >= 2 && panoseSerifStyle <= 10;
        m.italic = (os2.u16(62) & 0x0001) != 0 || m.italicAngle != 0;

        const Table post(face_.get(), 'p', 'o', 's', 't');
        m.fixedPitch = post.u32(12) != 0;
        return m;
    }

    FontSubset subset(const std::vector<GlyphId>& glyphs) const override {
        if (const CffSubsetter* subsetter = cffSubsetter()) {
            // Glyph 0 first, then the others in order, each once.
            std::vector<GlyphId> kept = glyphs;
            kept.push_back(0);
            std::sort(kept.begin(), kept.end());
            kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
            try {
                FontSubset result;
                result.program = subsetter->subset(kept);
                for (std::size_t n = 0; n < kept.size(); ++n)
                    result.newGlyphIds[kept[n]] = static_cast<GlyphId>(n);
                return result;
            } catch (const std::runtime_error&) {
                // A charstring it cannot follow: HarfBuzz's subsetter may.
            }
        }
        std::unique_ptr<hb_subset_input_t, InputDeleter> input(hb_subset_input_create_or_fail());
        if (!input) throw std::runtime_error("out of memory while subsetting a font");
        hb_face_t* source = subsetSource();
        if (source != face_.get() ||
            !addCharactersOf(glyphs, hb_subset_input_unicode_set(input.get()))) {
            hb_set_t* glyphSet = hb_subset_input_glyph_set(input.get());
            hb_set_add(glyphSet, 0);
            for (GlyphId glyph : glyphs) hb_set_add(glyphSet, glyph);
        }
        // Glyphs are picked by id and drawn one by one, so the tables for
        // shaping and for hinting only cost room (a CFF program loses its
        // hints too), and a PDF reader takes no character map from an
        // embedded CIDFontType2 program (HarfBuzz 6
        // also fails to write one for a few thousand CJK glyphs). Without the
        // notdef-outline flag glyph 0 comes out empty, which is what
        // invisible characters need.
        hb_subset_input_set_flags(input.get(), HB_SUBSET_FLAGS_NO_HINTING);
        hb_set_t* dropped = hb_subset_input_set(input.get(), HB_SUBSET_SETS_DROP_TABLE_TAG);
        for (const char* tag :
             {"cmap", "GSUB", "GPOS", "GDEF", "BASE", "JSTF", "MATH", "kern", "morx", "DSIG",
              "vhea", "vmtx", "VORG", "gasp", "hdmx", "LTSH", "VDMX"})
            hb_set_add(dropped, HB_TAG(tag[0], tag[1], tag[2], tag[3]));

        std::unique_ptr<hb_subset_plan_t, PlanDeleter> plan(
            hb_subset_plan_create_or_fail(source, input.get()));
        // The prepared face is a whole copy of the face; should HarfBuzz
        // refuse it, the face itself still serves.
        if (!plan) plan.reset(hb_subset_plan_create_or_fail(face_.get(), input.get()));
        if (!plan) throw notSubset();
        Face subsetFace(hb_subset_plan_execute_or_fail(plan.get()));
        if (!subsetFace) throw notSubset();

        FontSubset result;
        const hb_map_t* oldToNew = hb_subset_plan_old_to_new_glyph_mapping(plan.get());
        for (GlyphId glyph : glyphs) {
            const hb_codepoint_t newId = hb_map_get(oldToNew, glyph);
            result.newGlyphIds[glyph] = newId == HB_MAP_VALUE_INVALID ? 0 : newId;
        }
        // A PDF 1.3 reader takes a CFF program bare, not in its OpenType file.
        Blob program(outlines_ == FontOutlines::cff
                         ? hb_face_reference_table(subsetFace.get(), HB_TAG('C', 'F', 'F', ' '))
                         : hb_face_reference_blob(subsetFace.get()));
        unsigned length = 0;
        const char* data = hb_blob_get_data(program.get(), &length);
        result.program.assign(data, length);
        return result;
    }

    File file() const override {
        unsigned length = 0;
        const char* data = hb_blob_get_data(file_.get(), &length);
        return {std::string_view(data ? data : "", length), index_};
    }

    const ShapingFont* shapingFont() const override {
        std::lock_guard lock(mutex_);
        if (!shaping_) shaping_ = std::make_unique<ShapingFont>(*this);
        return shaping_.get();
    }

  private:
    // The face the subsets are cut from. Making a subset plan reads the
    // face's character map and outlines anew each time; a face subset again
    // and again (one document after another in a run) is prepared once for
    // subsetting, which keeps what the plans read and gives the same bytes.
    // Preparing costs about twenty subsets of a small face and holds a
    // second copy of it, so only TrueType faces of a few megabytes are
    // prepared, from their second subset on: a CJK face with CFF outlines
    // takes seconds and hundreds of megabytes to prepare.
    hb_face_t* subsetSource() const {
        std::lock_guard lock(mutex_);
        if (prepared_) return prepared_.get();
        const bool worthPreparing = outlines_ == FontOutlines::trueType &&
                                    hb_blob_get_length(file_.get()) <= kLargestPreparedFile;
        if (!worthPreparing || preparingTried_ || ++subsets_ < 2) return face_.get();
        preparingTried_ = true;
        // When preparing fails, HarfBuzz hands back the face itself without
        // a reference of its own: taken as the prepared face, it would be
        // given back twice.
        hb_face_t* prepared = hb_subset_preprocess(face_.get());
        if (prepared != face_.get()) prepared_.reset(prepared);
        return prepared_ ? prepared_.get() : face_.get();
    }

    static constexpr unsigned kLargestPreparedFile = 8u << 20;

    // The subsetter of a face with CFF outlines, which reads the face's
    // program once for all its subsets; nullptr when it cannot read it.
    const CffSubsetter* cffSubsetter() const {
        std::lock_guard lock(mutex_);
        if (outlines_ != FontOutlines::cff || cffTried_) return cffSubsetter_.get();
        cffTried_ = true;
        cffTable_.emplace(face_.get(), 'C', 'F', 'F', ' ');
        try {
            cffSubsetter_ = std::make_unique<CffSubsetter>(cffTable_->bytes());
        } catch (const std::runtime_error&) {
            // A program it cannot read: HarfBuzz subsets the face instead.
        }
        return cffSubsetter_.get();
    }

    // A plan given glyphs reads the whole character map to find the
    // characters they draw; given those characters it looks up only them,
    // and keeps the same glyphs (glyph 0 always), so the program comes out
    // the same. For a CFF face, whose large map each plan would read again
    // (a CJK face maps some 45,000 characters), the characters of every
    // glyph asked for are put in the set when each has one; false, with the
    // set left empty, when one has none (a ligature, a variant form).
    bool addCharactersOf(const std::vector<GlyphId>& glyphs, hb_set_t* characters) const {
        if (outlines_ != FontOutlines::cff) return false;
        const std::vector<std::pair<GlyphId, hb_codepoint_t>>& map = charactersByGlyph();
        std::vector<hb_codepoint_t> found;
        for (GlyphId glyph : glyphs) {
            if (glyph == 0) continue;
            auto at = std::lower_bound(map.begin(), map.end(), std::make_pair(glyph, 0u));
            if (at == map.end() || at->first != glyph) return false;
            for (; at != map.end() && at->first == glyph; ++at) found.push_back(at->second);
        }
        for (hb_codepoint_t character : found) hb_set_add(characters, character);
        return true;
    }

    // Every character of the face's map with its glyph, by glyph, read once.
    const std::vector<std::pair<GlyphId, hb_codepoint_t>>& charactersByGlyph() const {
        std::lock_guard lock(mutex_);
        if (!charactersRead_) {
            charactersRead_ = true;
            std::unique_ptr<hb_set_t, SetDeleter> mapped(hb_set_create());
            hb_face_collect_unicodes(face_.get(), mapped.get());
            for (hb_codepoint_t c = HB_SET_VALUE_INVALID; hb_set_next(mapped.get(), &c);) {
                hb_codepoint_t glyph = 0;
                if (hb_font_get_nominal_glyph(font_.get(), c, &glyph) && glyph != 0)
                    charactersByGlyph_.emplace_back(glyph, c);
            }
            std::sort(charactersByGlyph_.begin(), charactersByGlyph_.end());
        }
        return charactersByGlyph_;
    }

    // Names the file and the family, so that the user can tell which of the
    // installed fonts it is.
    std::runtime_error notSubset() const {
        std::string family = faceName(face_.get(), HB_OT_NAME_ID_FONT_FAMILY);
        if (family.empty()) family = faceName(face_.get(), HB_OT_NAME_ID_POSTSCRIPT_NAME);
        const std::string named = family.empty() ? "" : " (" + family + ")";
        return std::runtime_error("font " + path_ + named + " could not be subset");
    }

    int thousandths(hb_position_t fontUnits) const {
        return static_cast<int>(std::lround(fontUnits * 1000.0 / unitsPerEm_));
    }

    Face face_;
    Font font_;
    Blob file_;
    unsigned index_ = 0;
    std::string path_;
    FontOutlines outlines_;
    unsigned unitsPerEm_ = 1000;
    std::string postScriptName_;
    // Faces are shared by the documents a run converts at once.
    mutable std::mutex mutex_;
    mutable unsigned subsets_ = 0;
    mutable bool preparingTried_ = false;
    mutable Face prepared_;
    mutable std::unique_ptr<ShapingFont> shaping_;
    mutable bool cffTried_ = false;
    // Before the subsetter, which reads it, so that it goes after it.
    mutable std::optional<Table> cffTable_;
    mutable std::unique_ptr<CffSubsetter> cffSubsetter_;
    mutable bool charactersRead_ = false;
    mutable std::vector<std::pair<GlyphId, hb_codepoint_t>> charactersByGlyph_;
};

// Face `index` of a file's bytes, as openTrueTypeFace gives it.
std::unique_ptr<FontFace> faceOfFile(Blob blob, const std::string& path, unsigned index) {
    unsigned size = 0;
    const char* bytes = hb_blob_get_data(blob.get(), &size);
    if (!tablesLieWithinFile(std::string_view(bytes, size), index)) return nullptr;
    Face face(hb_face_create(blob.get(), index));
    if (hb_face_get_glyph_count(face.get()) == 0) return nullptr;
    // Variable CFF2 outlines have no form in PDF 1.3.
    const bool glyf = Table(face.get(), 'g', 'l', 'y', 'f').present();
    const bool cff = !glyf && Table(face.get(), 'C', 'F', 'F', ' ').present();
    if ((!glyf && !cff) || hasColourGlyphs(face.get()) || embeddingForbidden(face.get()))
        return nullptr;
    if (hb_face_get_upem(face.get()) == 0) return nullptr;
    Font font(hb_font_create(face.get()));
    return std::make_unique<TrueTypeFace>(std::move(face), std::move(font), std::move(blob), index,
                                          path, cff ? FontOutlines::cff : FontOutlines::trueType);
}

}  // namespace

std::unique_ptr<FontFace> openTrueTypeFace(const std::string& path, unsigned index) {
    FontFileBytes bytes;
    if (!readFontFile(path, bytes)) return nullptr;
    return faceOfFile(blobOf(std::move(bytes)), path, index);
}

struct FaceFiles::Files {
    struct File {
        Blob bytes;         // nullptr for a file that could not be opened
        bool used = false;  // whether a face of it was given
    };
    std::map<std::string, File> read;
};

FaceFiles::FaceFiles() : files_(std::make_unique<Files>()) {}
FaceFiles::~FaceFiles() = default;

std::unique_ptr<FontFace> FaceFiles::open(const std::string& path, unsigned index) {
    auto [known, isNew] = files_->read.try_emplace(path);
    Files::File& file = known->second;
    if (isNew) {
        FontFileBytes bytes;
        try {
            if (readFontFile(path, bytes)) file.bytes = blobOf(std::move(bytes));
        } catch (...) {
            // Asked again, the file fails again, naming itself.
            files_->read.erase(known);
            throw;
        }
    }
    if (!file.bytes) return nullptr;
    // Each face holds its own reference to the shared bytes.
    std::unique_ptr<FontFace> face =
        faceOfFile(Blob(hb_blob_reference(file.bytes.get())), path, index);
    if (face) {
        file.used = true;
    } else if (!file.used) {
        // The bytes of a file no face uses (an emoji face of colour glyphs,
        // say) are not kept.
        files_->read.erase(known);
    }
    return face;
}

}  // namespace leafwright
