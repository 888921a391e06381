#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/fonts/code_index.h"
#include "core/fonts/embedded_font.h"
#include "core/fonts/font_provider.h"

namespace leafwright {

// How one character is written: in which of the document's fonts, with
// which 2-byte code, and how far it advances.
struct ShownCharacter {
    std::size_t font;  // index into the document's font list (0 is /F1)
    std::uint16_t code;
    int width;  // thousandths of the font size
};

// No installed face can stand in for the chosen standard font.
class FontUnavailable : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The fonts of one document drawn with embedded faces. Font 0 is the face
// standing in for the chosen standard font; faces that supply characters it
// lacks are added in order of first use.
class DocumentFonts {
  public:
    // Throws FontUnavailable when the provider has no face for the font.
    DocumentFonts(FontProvider& provider, std::string baseFont);

    // How to write a character; nullopt when no face has a glyph for it (the
    // caller prints "?" instead and counts it). Characters that draw nothing
    // (tab, controls, default-ignorable code points) get glyph 0 and width 0
    // in `currentFont`, so that writing them needs no font change (in the
    // first font when `currentFont` draws colour bitmaps: its Type 3 font
    // has a picture for every code).
    //
    // In a run of text, `runFont` is the font of the run's last visible
    // character (0 at the run's start) and becomes that of this one when it
    // is visible: spaces, digits and ASCII punctuation (neutral_character.h)
    // take runFont's face when that face has them, otherwise the face that
    // draws them anywhere else (the primary face first). Every writer and
    // measurer of text goes through here, so that all agree on each face.
    std::optional<ShownCharacter> show(char32_t character, std::size_t currentFont,
                                       std::size_t& runFont);
    // A character on its own: at the start of a run.
    std::optional<ShownCharacter> show(char32_t character, std::size_t currentFont = 0) {
        std::size_t runFont = 0;
        return show(character, currentFont, runFont);
    }

    // How to write one glyph of a shaped line: its face (one the provider
    // gave), the text it carries (see EmbeddedFont) and its advance. Glyph 0,
    // which draws nothing, is written in currentFont when it can be.
    ShownCharacter showGlyph(const FontFace& face, GlyphId glyph, std::u32string_view text,
                             int width, std::size_t currentFont);

    // How to write a cluster of several glyphs of a face as one code that
    // carries the cluster's whole text (see GlyphClusters), its components
    // placed in thousandths of the em from its origin; nullopt when the
    // face's program cannot draw it so (only TrueType programs read from a
    // file can) or there are too many clusters.
    std::optional<ShownCharacter> showCluster(const FontFace& face,
                                              const std::vector<GlyphComponent>& components,
                                              std::u32string_view text, int width);

    // The main face's advance of the space, for tab stops.
    int spaceWidth() const;

    // Sets text in columns: from then on each character's code is as wide
    // as its columns times `columnAdvance` (two for a wide character, none
    // for a mark), whatever its face's glyph, so that the widths alone keep
    // the columns and text extractors see no gap between characters.
    void setColumnAdvance(int columnAdvance) { columnAdvance_ = columnAdvance; }

    const std::vector<EmbeddedFont>& fonts() const { return fonts_; }

  private:
    std::optional<ShownCharacter> showVisible(char32_t character);
    // A neutral character in the face of runFont; nullopt when that is the
    // primary face or lacks the character.
    std::optional<ShownCharacter> showInRun(char32_t character, std::size_t runFont);
    // A character's own glyph placed with its width: its columns in a
    // monospaced document, else the glyph's advance.
    ShownCharacter placeCharacter(const FontFace& face, GlyphId glyph, char32_t character);
    ShownCharacter place(const FontFace& face, GlyphId glyph, std::u32string_view text, int width);
    std::size_t addFont(const FontFace& face);
    static std::uint64_t hashOf(const FontFace& face, GlyphId glyph, std::string_view textBytes);

    FontProvider& provider_;
    std::string baseFont_;
    std::shared_ptr<GlyphClusters> clusters_ = std::make_shared<GlyphClusters>();
    std::vector<EmbeddedFont> fonts_;
    // Every code of the document by face, glyph and text: entries are the
    // font's index times 0x10000 plus the code. Each pair of glyph and text
    // of a face has one code in all the face's fonts.
    CodeIndex codes_;
    // The font of each face that takes its new codes (its last; the
    // others are full).
    std::unordered_map<const FontFace*, std::size_t> openFont_;
    std::string textBytes_;  // the text being placed, as the fonts hold it
    // The face and glyph chosen for each character met, null face for one
    // no face has.
    struct Choice {
        const FontFace* face;
        GlyphId glyph;
    };
    std::unordered_map<char32_t, Choice> choices_;
    // The answer for each visible character of the Basic Multilingual Plane
    // once given, so that long documents cost one array look-up a character.
    struct Remembered {
        std::uint16_t font = kUnknown;
        std::uint16_t code = 0;
        std::int32_t width = 0;
    };
    static constexpr std::uint16_t kUnknown = 0xFFFF;
    static constexpr std::uint16_t kNotPrintable = 0xFFFE;
    // What a show gave (or that nothing can print it), kept in entry.
    static void remember(Remembered& entry, const std::optional<ShownCharacter>& shown);
    std::vector<Remembered> remembered_;
    // The same for the neutral characters in the face of each run font met
    // (null until one is met after a character of that font); kNotPrintable
    // where the face lacks the character.
    std::vector<std::unique_ptr<Remembered[]>> rememberedInRun_;
    int columnAdvance_ = 0;  // 0: characters take their glyphs' widths
};

}  // namespace leafwright
