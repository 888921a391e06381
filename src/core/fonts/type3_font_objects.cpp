#include "core/fonts/type3_font_objects.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/deflate/deflater.h"
#include "core/fonts/font_streams.h"
#include "core/fonts/hex_text.h"

namespace leafwright {
namespace {

constexpr std::size_t kWidthsPerLine = 16;

std::string glyphName(GlyphId glyph) {
    if (glyph == 0) return "/.notdef";
    std::string name = "/g";
    name += std::to_string(glyph);
    return name;
}

// An image XObject of the picture's pixels, compressed; hex-encoded as
// well unless the file is compressed (and so binary anyway).
FontObject pictureObject(int number, const GlyphPicture& picture, Rgb page, bool compress,
                         Deflater& deflater) {
    std::string key;
    for (const int channel : {page.red, page.green, page.blue}) {
        const std::string number = std::to_string(channel);
        key += ' ';
        key += number;
        key += ' ';
        key += number;
    }
    std::string entries =
        " /Type /XObject /Subtype /Image /Width " + std::to_string(picture.width) + " /Height " +
        std::to_string(picture.height) + " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Mask [" +
        key.substr(1) + "]";
    if (compress)
        return flateOr({number,
                        std::to_string(number) + " 0 obj\n<< /Length " +
                            std::to_string(picture.rgb.size()) + entries + " >>\nstream\n",
                        picture.rgb, "\nendstream\nendobj\n"},
                       entries, picture.rgb, &deflater);
    std::string packed;
    if (!deflater.compressSmaller(picture.rgb, packed))
        return textObject(number, hexStreamObject(number, entries, picture.rgb));
    return textObject(number,
                      streamObject(number, " /Filter [/ASCIIHexDecode /FlateDecode]" + entries,
                                   asciiHexStreamData(packed)));
}

// A glyph without a picture is drawn as one pixel of the page's colour,
// which the mask leaves out: every glyph has its picture object, so the
// count of objects does not depend on the pictures' contents.
GlyphPicture blankPicture(Rgb page) {
    GlyphPicture blank;
    blank.width = blank.height = 1;
    blank.rgb = {static_cast<char>(page.red), static_cast<char>(page.green),
                 static_cast<char>(page.blue)};
    return blank;
}

}  // namespace

int type3FontObjectCount(const EmbeddedFont& font) {
    return 2 + 2 * static_cast<int>(usedGlyphs(font).size());
}

std::vector<FontObject> type3FontObjects(const EmbeddedFont& font, int fontNumber,
                                         int firstHelperNumber, bool compress, Rgb page) {
    const FontFace& face = font.face();
    const std::vector<GlyphId> glyphs = usedGlyphs(font);
    const int toUnicodeNumber = firstHelperNumber;
    Deflater deflater;

    std::vector<FontObject> objects(1);  // the font itself, made last
    const std::string cmap = toUnicodeCMap(font, 1);
    objects.push_back(flateOrMade(
        toUnicodeNumber, [&] { return streamObject(toUnicodeNumber, "", cmap); }, "",
        compress ? onDisk(cmap + '\n') : std::string(), compress ? &deflater : nullptr));

    std::string charProcs = "/CharProcs <<";
    std::string pictures = "/Resources << /ProcSet [/PDF /ImageC] /XObject <<";
    double left = 0, bottom = 0, right = 0, top = 0;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const GlyphId glyph = glyphs[i];
        const int procedureNumber = firstHelperNumber + 1 + 2 * static_cast<int>(i);
        const int pictureNumber = procedureNumber + 1;
        GlyphPicture picture = face.picture(glyph, kGlyphPictureHeight, page);
        if (picture.width == 0 || picture.height == 0) {
            const GlyphPicture box = picture;
            picture = blankPicture(page);
            picture.left = box.left;
            picture.bottom = box.bottom;
            picture.right = std::max(box.right, box.left + 1);
            picture.top = std::max(box.top, box.bottom + 1);
        }
        left = std::min(left, picture.left);
        bottom = std::min(bottom, picture.bottom);
        right = std::max(right, picture.right);
        top = std::max(top, picture.top);
        std::string name = "I";
        name += std::to_string(glyph);
        // The picture is a unit square in image space: scaled to its box,
        // which is in thousandths of the em, as the font matrix counts.
        const std::string procedure = std::to_string(face.advanceWidth(glyph)) + " 0 d0\nq " +
                                      decimalNumber(picture.right - picture.left) + " 0 0 " +
                                      decimalNumber(picture.top - picture.bottom) + " " +
                                      decimalNumber(picture.left) + " " +
                                      decimalNumber(picture.bottom) + " cm /" + name + " Do Q";
        objects.push_back(
            textObject(procedureNumber, streamObject(procedureNumber, "", procedure)));
        objects.push_back(pictureObject(pictureNumber, picture, page, compress, deflater));
        charProcs += ' ';
        charProcs += glyphName(glyph);
        charProcs += ' ';
        charProcs += objectReference(procedureNumber);
        pictures += " /";
        pictures += name;
        pictures += ' ';
        pictures += objectReference(pictureNumber);
    }
    charProcs += " >>";
    pictures += " >> >>";

    // Code 0, which no text uses, is named and given half an em: a text
    // extractor cannot know the scale of a Type 3 font's glyphs and guesses
    // it from the first code that has a width, as if that were half an em;
    // from an emoji it would take the text as set half again as large, and
    // apart from its line.
    std::string differences = "/Encoding << /Type /Encoding /Differences [0 /.notdef";
    std::string widths = "/Widths [500";
    for (std::size_t i = 0; i < font.codeCount(); ++i) {
        const auto code = static_cast<std::uint16_t>(i + 1);
        const char separator = i % kWidthsPerLine == 0 ? '\n' : ' ';
        differences += separator;
        differences += glyphName(font.glyph(code));
        widths += separator;
        widths += std::to_string(font.width(code));
    }
    differences += "\n] >>";
    widths += "\n]";
    const std::string fontName =
        subsetTag(face.postScriptName(), glyphs) + "+" + face.postScriptName();
    objects.front() = textObject(
        fontNumber,
        std::to_string(fontNumber) + " 0 obj\n<<\n/Type /Font\n/Subtype /Type3\n/Name /" +
            fontName + "\n/FontBBox [" + std::to_string(static_cast<long>(std::floor(left))) + " " +
            std::to_string(static_cast<long>(std::floor(bottom))) + " " +
            std::to_string(static_cast<long>(std::ceil(right))) + " " +
            std::to_string(static_cast<long>(std::ceil(top))) +
            "]\n/FontMatrix [0.001 0 0 0.001 0 0]\n" + charProcs + "\n" + differences +
            "\n/FirstChar 0\n/LastChar " +
            std::to_string(std::max<std::size_t>(font.codeCount(), 1)) + "\n" + widths + "\n" +
            pictures + "\n/ToUnicode " + objectReference(toUnicodeNumber) + "\n>>\nendobj\n");
    return objects;
}

}  // namespace leafwright
