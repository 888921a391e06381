#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace leafwright {

// One glyph of a shaped word as the shaper gave it: positions in the font's
// units, its cluster counted from the word's first character.
struct WordGlyph {
    std::uint32_t glyph;
    std::uint32_t cluster;
    std::int32_t xAdvance;
    std::int32_t xOffset;
    std::int32_t yOffset;
    bool operator==(const WordGlyph&) const = default;
};

// The shapes of words met lately, by a key that names the word's text and
// everything else its shaping depends on. A text says the same words again
// and again, so each is shaped once instead of at every use.
//
// Memory is bounded: the entries are held in two generations of at most
// `generationBytes` each. A word is looked up in the newer, then in the
// older, which hands it to the newer; once the newer is full it becomes the
// older and the older is forgotten. Words in use stay, those not met for a
// generation go.
class WordShapes {
  public:
    static constexpr std::size_t kGenerationBytes = 4 << 20;
    explicit WordShapes(std::size_t generationBytes = kGenerationBytes)
        : generationBytes_(generationBytes) {}

    // Whether glyphs are kept for key, and those glyphs: valid until the
    // next call of find or add.
    bool find(std::u32string_view key, std::span<const WordGlyph>& glyphs);
    // Keeps the glyphs for key (not found before); a word too large for a
    // generation is not kept.
    void add(std::u32string_view key, std::span<const WordGlyph> glyphs);

    // What the entries take, by the count used for the bound.
    std::size_t heldBytes() const noexcept { return newer_.bytes + older_.bytes; }
    std::size_t heldWords() const noexcept { return newer_.entries.size() + older_.entries.size(); }

    // What one entry is counted as: its key, its glyphs and its share of
    // the table.
    static std::size_t entryBytes(std::size_t keyLength, std::size_t glyphCount) noexcept {
        return keyLength * sizeof(char32_t) + glyphCount * sizeof(WordGlyph) + kEntryOverhead;
    }

  private:
    static constexpr std::size_t kEntryOverhead = 48;
    struct Entry {
        std::uint64_t hash;
        std::size_t keyStart;
        std::size_t keyLength;
        std::size_t glyphStart;
        std::size_t glyphCount;
    };
    // Keys and glyphs one after another, found through an open table of
    // entry numbers (plus one; 0 is an empty slot) at most half full.
    struct Generation {
        std::vector<char32_t> keys;
        std::vector<WordGlyph> glyphs;
        std::vector<Entry> entries;
        std::vector<std::uint32_t> slots;
        std::size_t bytes = 0;
        void clear();
        const Entry* find(std::u32string_view key, std::uint64_t hash) const;
        void add(std::u32string_view key, std::uint64_t hash, std::span<const WordGlyph> glyphs);
        std::u32string_view keyOf(const Entry& entry) const {
            return {keys.data() + entry.keyStart, entry.keyLength};
        }
        std::span<const WordGlyph> glyphsOf(const Entry& entry) const {
            return {glyphs.data() + entry.glyphStart, entry.glyphCount};
        }
    };
    static std::uint64_t hashOf(std::u32string_view key) noexcept;
    void keep(std::u32string_view key, std::uint64_t hash, std::span<const WordGlyph> glyphs);

    std::size_t generationBytes_;
    Generation newer_;
    Generation older_;
    std::vector<char32_t> movingKey_;
    std::vector<WordGlyph> movingGlyphs_;
};

}  // namespace leafwright
