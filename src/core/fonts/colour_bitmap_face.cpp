#include "core/fonts/colour_bitmap_face.h"

#include <hb-ot.h>
#include <hb.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

#include "core/fonts/font_file.h"
#include "core/fonts/harfbuzz_handles.h"
#include "core/png/png_image.h"

namespace leafwright {
namespace {

// A bitmap glyph's PNG holds a few hundred pixels a side; anything beyond a
// million pixels is no glyph worth decoding.
constexpr std::size_t kLargestPicture = std::size_t{1} << 20;

using harfbuzz::Blob;
using harfbuzz::blobOf;
using harfbuzz::Face;
using harfbuzz::Font;

// The face's PostScript name cut to letters, digits and hyphens, so that
// it may stand in a PDF name.
std::string plainName(hb_face_t* face) {
    const std::string name = harfbuzz::faceName(face, HB_OT_NAME_ID_POSTSCRIPT_NAME);
    std::string plain;
    for (const char* c = name.c_str(); *c && plain.size() < 63; ++c)
        if ((*c >= 'A' && *c <= 'Z') || (*c >= 'a' && *c <= 'z') || (*c >= '0' && *c <= '9') ||
            *c == '-')
            plain += *c;
    return plain.empty() ? "ColourGlyphs" : plain;
}

// The picture's pixels laid on the background, and shrunk by a whole factor
// (each pixel the average of a square of them) so that it is at most
// maxHeight high.
void layOn(Rgb background, const RgbaImage& image, std::size_t maxHeight, GlyphPicture& picture) {
    const unsigned under[3] = {background.red, background.green, background.blue};
    const std::size_t factor =
        std::max<std::size_t>(1, (image.height + std::max<std::size_t>(maxHeight, 1) - 1) /
                                     std::max<std::size_t>(maxHeight, 1));
    picture.width = (image.width + factor - 1) / factor;
    picture.height = (image.height + factor - 1) / factor;
    picture.rgb.assign(picture.width * picture.height * 3, '\0');
    for (std::size_t y = 0; y < picture.height; ++y) {
        for (std::size_t x = 0; x < picture.width; ++x) {
            unsigned sum[3] = {0, 0, 0};
            unsigned count = 0;
            for (std::size_t sy = y * factor; sy < std::min(image.height, (y + 1) * factor); ++sy) {
                for (std::size_t sx = x * factor; sx < std::min(image.width, (x + 1) * factor);
                     ++sx) {
                    const std::uint8_t* p = &image.pixels[(sy * image.width + sx) * 4];
                    for (int c = 0; c < 3; ++c)
                        sum[c] += (p[c] * p[3] + under[c] * (255u - p[3]) + 127u) / 255u;
                    ++count;
                }
            }
            for (int c = 0; c < 3; ++c)
                picture.rgb[(y * picture.width + x) * 3 + c] =
                    static_cast<char>((sum[c] + count / 2) / count);
        }
    }
}

class ColourBitmapFace final : public FontFace {
  public:
    ColourBitmapFace(Face face, Font font, Blob file, unsigned index, std::string path)
        : face_(std::move(face)),
          font_(std::move(font)),
          file_(std::move(file)),
          index_(index),
          path_(std::move(path)),
          unitsPerEm_(hb_face_get_upem(face_.get())),
          name_(plainName(face_.get())) {}

    const std::string& postScriptName() const override { return name_; }

    GlyphId glyphFor(char32_t character) const override {
        hb_codepoint_t glyph = 0;
        if (!hb_font_get_nominal_glyph(font_.get(), character, &glyph)) return 0;
        return glyph;
    }

    int advanceWidth(GlyphId glyph) const override {
        return static_cast<int>(
            std::lround(thousandths(hb_font_get_glyph_h_advance(font_.get(), glyph))));
    }

    FontOutlines outlines() const override { return FontOutlines::colourBitmaps; }

    FontMetrics metrics() const override {
        FontMetrics m;
        hb_position_t value = 0;
        if (hb_ot_metrics_get_position(font_.get(), HB_OT_METRICS_TAG_HORIZONTAL_ASCENDER, &value))
            m.ascent = static_cast<int>(std::lround(thousandths(value)));
        if (hb_ot_metrics_get_position(font_.get(), HB_OT_METRICS_TAG_HORIZONTAL_DESCENDER, &value))
            m.descent = static_cast<int>(std::lround(thousandths(value)));
        m.capHeight = m.ascent;
        m.bboxBottom = m.descent;
        m.bboxTop = m.ascent;
        m.bboxRight = 1000;
        return m;
    }

    FontSubset subset(const std::vector<GlyphId>&) const override {
        throw std::runtime_error("font " + path_ + " has pictures, not outlines, for its glyphs");
    }

    File file() const override {
        unsigned length = 0;
        const char* data = hb_blob_get_data(file_.get(), &length);
        return {std::string_view(data ? data : "", length), index_};
    }

    GlyphPicture picture(GlyphId glyph, std::size_t maxHeight, Rgb background) const override {
        GlyphPicture picture;
        Blob png(hb_ot_color_glyph_reference_png(font_.get(), glyph));
        unsigned length = 0;
        const char* data = hb_blob_get_data(png.get(), &length);
        if (length == 0) return picture;
        RgbaImage image;
        try {
            image = decodePng(std::string_view(data, length), kLargestPicture);
        } catch (const std::runtime_error& error) {
            throw std::runtime_error("font " + path_ + ", glyph " + std::to_string(glyph) + ": " +
                                     error.what());
        }
        layOn(background, image, maxHeight, picture);
        hb_glyph_extents_t extents{};
        if (hb_font_get_glyph_extents(font_.get(), glyph, &extents) && extents.width != 0 &&
            extents.height != 0) {
            picture.left = thousandths(extents.x_bearing);
            picture.top = thousandths(extents.y_bearing);
            picture.right = thousandths(extents.x_bearing + extents.width);
            picture.bottom = thousandths(extents.y_bearing + extents.height);
        } else {
            // No metrics: the picture fills the advance from the descender
            // to the ascender.
            const FontMetrics m = metrics();
            picture.right = advanceWidth(glyph);
            picture.bottom = m.descent;
            picture.top = m.ascent;
        }
        return picture;
    }

  private:
    double thousandths(hb_position_t fontUnits) const { return fontUnits * 1000.0 / unitsPerEm_; }

    Face face_;
    Font font_;
    Blob file_;
    unsigned index_;
    std::string path_;
    unsigned unitsPerEm_;
    std::string name_;
};

}  // namespace

std::unique_ptr<FontFace> openColourBitmapFace(const std::string& path, unsigned index) {
    FontFileBytes bytes;
    if (!readFontFile(path, bytes)) return nullptr;
    Blob blob = blobOf(std::move(bytes));
    Face face(hb_face_create(blob.get(), index));
    if (hb_face_get_glyph_count(face.get()) == 0 || hb_face_get_upem(face.get()) == 0 ||
        !hb_ot_color_has_png(face.get()) ||
        // A licence that allows no embedding at all is honoured for the pictures too.
        harfbuzz::restrictedLicence(harfbuzz::embeddingPermissions(face.get())))
        return nullptr;
    Font font(hb_font_create(face.get()));
    return std::make_unique<ColourBitmapFace>(std::move(face), std::move(font), std::move(blob),
                                              index, path);
}

}  // namespace leafwright
