#include "core/pdf/embedded_row_measure.h"

#include <algorithm>

#include "core/fonts/document_fonts.h"
#include "core/fonts/invisible_character.h"
#include "core/fonts/line_shaper.h"
#include "core/fonts/neutral_character.h"
#include "core/fonts/shaping_need.h"
#include "core/fonts/tab_stops.h"
#include "core/pdf/embedded_font_strings.h"
#include "core/text/text_encoding.h"

namespace leafwright {

namespace {

// The shaped text taken first past the point where a row is expected to
// stop fitting, in characters; it doubles while all of it fits.
constexpr std::size_t kShapedMargin = 8;
// The narrowest mean advance of shaped characters taken to guess how many
// characters a row holds.
constexpr std::int64_t kNarrowestShaped = 100;

// The character at text[at] and its length: the common forms decoded here,
// the rest by the full decoder.
inline std::size_t decodeAt(std::string_view text, std::size_t at, char32_t& character) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const unsigned lead = p[at];
    if (lead < 0x80) {
        character = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF && at + 1 < text.size() && (p[at + 1] & 0xC0) == 0x80) {
        character = ((lead & 0x1F) << 6) | (p[at + 1] & 0x3F);
        return 2;
    }
    // Three-byte forms whose lead byte allows any continuation (no overlong
    // form, no surrogate).
    if (lead >= 0xE1 && lead <= 0xEF && lead != 0xED && at + 2 < text.size() &&
        (p[at + 1] & 0xC0) == 0x80 && (p[at + 2] & 0xC0) == 0x80) {
        character = ((lead & 0x0F) << 12) | ((p[at + 1] & 0x3Fu) << 6) | (p[at + 2] & 0x3F);
        return 3;
    }
    return decodeCharacter(text, at, SourceEncoding::Utf8, character);
}

}  // namespace

EmbeddedRowMeasure::EmbeddedRowMeasure(EmbeddedFontStrings& strings, LineShaper* shaper,
                                       std::int64_t areaWidth)
    : strings_(strings),
      shaper_(shaper),
      areaWidth_(areaWidth),
      tabStop_(tabStopDistance(strings.fonts().spaceWidth())) {}

bool EmbeddedRowMeasure::shapes(char32_t character) {
    if (!shaper_ || character < 0x300) return false;
    if (character >= 0x10000) return needsShaping(character);
    if (shapes_.empty()) shapes_.assign(0x10000, 0);
    std::uint8_t& known = shapes_[character];
    if (known == 0) known = needsShaping(character) ? 2 : 1;
    return known == 2;
}

// As EmbeddedFontStrings::add advances the pen for a character met for the
// first time in its run (see advanceOf).
std::int64_t EmbeddedRowMeasure::lookUpAdvance(char32_t character, std::size_t& runFont) {
    const bool inRun = takesRunFace(character, runFont);
    DocumentFonts& fonts = strings_.fonts();
    char32_t drawn = character;
    std::optional<ShownCharacter> shown = fonts.show(drawn, 0, runFont);
    if (!shown) {
        drawn = U'?';
        shown = fonts.show(drawn, 0, runFont);
    }
    std::int64_t advance = 0;
    if (shown)
        advance = strings_.monospaced() ? strings_.columnsOf(drawn) * strings_.columnAdvance()
                                        : shown->width;
    // A character no face has is drawn as "?", itself neutral: it is looked
    // up again each time, in the run where it stands.
    if (!inRun && shown && drawn == character && character < 0x10000 && shown->font < kKeepsRun) {
        if (advances_.empty()) advances_.resize(0x10000);
        advances_[character] = {
            static_cast<std::int32_t>(advance),
            isInvisibleCharacter(character) ? kKeepsRun : static_cast<std::uint16_t>(shown->font)};
        if (advances_[character].runFont == 0) asciiAdvances_.set(character, advance);
    }
    return advance;
}

void EmbeddedRowMeasure::restart() {
    continued_ = false;
    paragraph_.reset();
    plainFit_ = 0;
    shapedAdvance_ = kFirstShapedAdvance;
}

void EmbeddedRowMeasure::startRow(bool continued) {
    continued_ = continued;
    if (!continued) paragraph_.reset();
}

// A continued row keeps its line's direction; a first row finds its own.
std::optional<TextDirection> EmbeddedRowMeasure::direction() const {
    return continued_ ? paragraph_ : std::nullopt;
}

// How many shaped characters width is likely to hold, with some to spare.
std::size_t EmbeddedRowMeasure::guess(std::int64_t width) const {
    const std::int64_t advance = std::max(shapedAdvance_, kNarrowestShaped);
    return static_cast<std::size_t>(std::max<std::int64_t>(width, 0) * 9 / (8 * advance)) +
           kShapedMargin;
}

std::size_t EmbeddedRowMeasure::fittingEnd(std::string_view text, bool& pastEdge) {
    plainFit_ = 0;
    if (continued_ && paragraph_ == TextDirection::rightToLeft)
        return shapedFittingEnd(text, guess(areaWidth_), pastEdge);
    // A first row drawn without shaping reads left to right.
    if (!continued_) paragraph_ = TextDirection::leftToRight;
    std::int64_t x = 0;
    std::size_t at = 0, count = 0;
    std::size_t runFont = 0;  // each row is a run of its own, as drawn
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    while (at < text.size()) {
        // Plain ASCII keeps a run at its start: most text is measured here.
        if (runFont == 0) {
            const std::size_t known = asciiAdvances_.knownStart(text.substr(at), areaWidth_, x);
            at += known;
            count += known;
            if (at == text.size()) break;
            if (asciiAdvances_[bytes[at]] != AsciiAdvances::kUnknown) {  // it does not fit
                pastEdge = true;
                plainFit_ = at;
                return at;
            }
        }
        char32_t character;
        const std::size_t length = decodeAt(text, at, character);
        // A row holding a character that needs shaping is shaped whole.
        if (shapes(character)) {
            const auto rest = static_cast<std::size_t>(std::max<std::int64_t>(areaWidth_ - x, 0));
            return shapedFittingEnd(text, count + guess(rest), pastEdge);
        }
        const std::int64_t next =
            character == U'\t' ? nextTabStop(x, tabStop_) : x + advanceOf(character, runFont);
        if (next > areaWidth_) {
            pastEdge = true;
            plainFit_ = at;
            return at;
        }
        x = next;
        at += length;
        ++count;
    }
    pastEdge = false;
    plainFit_ = at;
    return at;
}

void EmbeddedRowMeasure::decode(std::string_view text, std::size_t atMost) {
    characters_.clear();
    offsets_.clear();
    std::size_t at = 0;
    while (at < text.size() && characters_.size() < atMost) {
        char32_t character;
        offsets_.push_back(at);
        at += decodeAt(text, at, character);
        characters_.push_back(character);
    }
    offsets_.push_back(at);
}

// Shapes the row's start, estimate characters of it at first, and adds the
// glyphs' advances cluster by cluster in the order of the text: the
// clusters that fit are the row's estimate; fits() then checks the row
// chosen, drawn on its own. Only the text shaped is decoded, so a row
// costs about its own length however much text follows.
std::size_t EmbeddedRowMeasure::shapedFittingEnd(std::string_view text, std::size_t estimate,
                                                 bool& pastEdge) {
    std::size_t take = std::max<std::size_t>(estimate, 1);
    for (;;) {
        decode(text, take);
        const std::size_t count = characters_.size();
        // Kept: a row that takes all the text is drawn as shaped here.
        const ShapedLine& shaped = shaper_->shapeAndKeep(characters_, direction());
        if (!continued_) paragraph_ = shaped.direction;
        std::int64_t x = 0;
        std::size_t character = 0;  // the cluster's first character
        std::size_t g = 0;
        const auto& glyphs = shaped.glyphs;
        while (g < glyphs.size()) {
            const std::size_t clusterLength = std::max<std::size_t>(glyphs[g].text.size(), 1);
            std::int64_t width = glyphs[g].advance;
            std::size_t next = g + 1;
            while (next < glyphs.size() && glyphs[next].text.empty())
                width += glyphs[next++].advance;
            if (x + width > areaWidth_) {
                pastEdge = true;
                if (character > 0) shapedAdvance_ = x / static_cast<std::int64_t>(character);
                return offsets_[std::min(character, count)];
            }
            x += width;
            character += clusterLength;
            g = next;
        }
        if (offsets_.back() == text.size()) {
            pastEdge = false;
            return text.size();
        }
        take = 2 * count;
    }
}

// The row is shaped whole, as it will be drawn, and kept for the drawing;
// the white space that hangs at its end does not count.
bool EmbeddedRowMeasure::fits(std::string_view row, std::size_t hangingFrom) {
    // Within what fittingEnd measured unshaped, the row fits as measured.
    if (hangingFrom <= plainFit_) return true;
    decode(row, row.size());
    bool shaped = shaper_ && continued_ && paragraph_ == TextDirection::rightToLeft;
    for (const char32_t character : characters_) shaped = shaped || shapes(character);
    const std::size_t drawn = static_cast<std::size_t>(
        std::lower_bound(offsets_.begin(), offsets_.end(), hangingFrom) - offsets_.begin());
    std::int64_t x = 0;
    if (shaped) {
        const ShapedLine& line = shaper_->shapeAndKeep(characters_, direction());
        std::size_t character = 0;
        for (const ShapedGlyph& glyph : line.glyphs) {
            character += glyph.text.size();
            if (character > drawn) break;
            x += glyph.advance;
        }
        // The glyphs of the last cluster drawn come after its first.
        return x <= areaWidth_ || line.advance <= areaWidth_;
    }
    std::size_t runFont = 0;
    for (std::size_t k = 0; k < drawn; ++k) {
        const char32_t character = characters_[k];
        x = character == U'\t' ? nextTabStop(x, tabStop_) : x + advanceOf(character, runFont);
    }
    return x <= areaWidth_;
}

}  // namespace leafwright
