#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
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
    bool find(std::u32string_view key, std::span<const WordGlyph>& glyphs) {
        return find(key, hashOf(key), glyphs);
    }
    // The same with the key's hashOf, found before.
    bool find(std::u32string_view key, std::uint64_t hash, std::span<const WordGlyph>& glyphs);
    // The same, appending the glyphs to out with clusterShift added to
    // their clusters (the word's place in its line).
    bool find(std::u32string_view key, std::uint64_t hash, std::vector<WordGlyph>& out,
              std::uint32_t clusterShift);
    // Keeps the glyphs for key (not found before); a word too large for a
    // generation is not kept.
    void add(std::u32string_view key, std::span<const WordGlyph> glyphs) {
        add(key, hashOf(key), glyphs);
    }
    void add(std::u32string_view key, std::uint64_t hash, std::span<const WordGlyph> glyphs);

    // A word's look-up waits on memory twice, for the table and for the
    // entry. Asking the memory for the table's place of each word of a run
    // first (prefetch), then for each entry (prefetchEntry), then finding
    // them lets the waits of the run's words overlap. Both only hint.
    static std::uint64_t hashOf(std::u32string_view key) noexcept;
    void prefetch(std::uint64_t hash) const noexcept;
    void prefetchEntry(std::uint64_t hash) const noexcept;

    // What the entries take, by the count used for the bound.
    std::size_t heldBytes() const noexcept { return newer_.bytes + older_.bytes; }
    std::size_t heldWords() const noexcept { return newer_.entries + older_.entries; }

    // What one entry is counted as: its key, its glyphs and its share of
    // the table.
    static std::size_t entryBytes(std::size_t keyLength, std::size_t glyphCount) noexcept {
        return keyLength * sizeof(char32_t) + glyphCount * sizeof(WordGlyph) + kEntryOverhead;
    }

  private:
    static constexpr std::size_t kEntryOverhead = 48;
    // Each entry is one stretch of `words`: its hash (two words), key
    // length, glyph count, the key's characters and the glyphs (five words
    // each), so that a word found costs one visit to the table and one to
    // its entry. The table, at most half full, holds an entry's offset plus
    // one (0 is an empty slot) beside the hash's high half, so that probing
    // past other keys seldom visits their entries.
    static constexpr std::size_t kHeaderWords = 4;
    static constexpr std::size_t kGlyphWords = 5;
    struct Generation {
        std::vector<char32_t> words;
        std::vector<std::uint64_t> slots;
        std::size_t entries = 0;
        std::size_t bytes = 0;
        void clear();
        // The offset of key's entry in words, or npos.
        std::size_t find(std::u32string_view key, std::uint64_t hash) const;
        void add(std::u32string_view key, std::uint64_t hash, std::span<const WordGlyph> glyphs);
        std::uint64_t hashAt(std::size_t entry) const {
            return (std::uint64_t{words[entry]} << 32) | words[entry + 1];
        }
        std::u32string_view keyAt(std::size_t entry) const {
            return {words.data() + entry + kHeaderWords, words[entry + 2]};
        }
        // Appends the entry's glyphs to out, clusterShift added to their
        // clusters.
        void glyphsAt(std::size_t entry, std::vector<WordGlyph>& out,
                      std::uint32_t clusterShift = 0) const;
        void place(std::uint64_t hash, std::size_t entry);
    };

    std::size_t generationBytes_;
    Generation newer_;
    Generation older_;
    std::u32string movingKey_;
    std::vector<WordGlyph> moving_;
    std::vector<WordGlyph> found_;
};

}  // namespace leafwright
