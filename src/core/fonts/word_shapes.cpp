#include "core/fonts/word_shapes.h"

#include <algorithm>
#include <utility>

namespace leafwright {

std::uint64_t WordShapes::hashOf(std::u32string_view key) noexcept {
    // Each character is mixed in whole (a multiply-rotate step), then the
    // bits are spread so that the table's low bits tell keys apart.
    std::uint64_t hash = 0x9E3779B97F4A7C15ULL ^ key.size();
    for (const char32_t c : key) {
        hash = (hash ^ c) * 0xFF51AFD7ED558CCDULL;
        hash = (hash << 29) | (hash >> 35);
    }
    hash ^= hash >> 30;
    hash *= 0xBF58476D1CE4E5B9ULL;
    hash ^= hash >> 27;
    hash *= 0x94D049BB133111EBULL;
    return hash ^ (hash >> 31);
}

void WordShapes::Generation::clear() {
    words.clear();
    slots.clear();
    entries = 0;
    bytes = 0;
}

std::size_t WordShapes::Generation::find(std::u32string_view key, std::uint64_t hash) const {
    if (slots.empty()) return std::u32string_view::npos;
    const std::size_t mask = slots.size() - 1;
    const std::uint64_t tag = hash & 0xFFFFFFFF00000000ULL;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint64_t held = slots[slot];
        if (held == 0) return std::u32string_view::npos;
        if ((held & 0xFFFFFFFF00000000ULL) != tag) continue;
        const std::size_t entry = (held & 0xFFFFFFFFULL) - 1;
        if (hashAt(entry) == hash && keyAt(entry) == key) return entry;
    }
}

void WordShapes::Generation::place(std::uint64_t hash, std::size_t entry) {
    const std::size_t mask = slots.size() - 1;
    std::size_t slot = hash & mask;
    while (slots[slot] != 0) slot = (slot + 1) & mask;
    slots[slot] = (hash & 0xFFFFFFFF00000000ULL) | (entry + 1);
}

void WordShapes::Generation::add(std::u32string_view key, std::uint64_t hash,
                                 std::span<const WordGlyph> added) {
    if ((entries + 1) * 2 > slots.size()) {
        // Grow the table, and place every entry again.
        slots.assign(slots.empty() ? 1024 : slots.size() * 2, 0);
        for (std::size_t entry = 0; entry < words.size();) {
            place(hashAt(entry), entry);
            entry += kHeaderWords + words[entry + 2] + kGlyphWords * words[entry + 3];
        }
    }
    const std::size_t entry = words.size();
    words.push_back(static_cast<char32_t>(hash >> 32));
    words.push_back(static_cast<char32_t>(hash & 0xFFFFFFFF));
    words.push_back(static_cast<char32_t>(key.size()));
    words.push_back(static_cast<char32_t>(added.size()));
    words.insert(words.end(), key.begin(), key.end());
    for (const WordGlyph& glyph : added) {
        words.push_back(glyph.glyph);
        words.push_back(glyph.cluster);
        words.push_back(static_cast<std::uint32_t>(glyph.xAdvance));
        words.push_back(static_cast<std::uint32_t>(glyph.xOffset));
        words.push_back(static_cast<std::uint32_t>(glyph.yOffset));
    }
    place(hash, entry);
    ++entries;
    bytes += entryBytes(key.size(), added.size());
}

void WordShapes::Generation::glyphsAt(std::size_t entry, std::vector<WordGlyph>& out,
                                      std::uint32_t clusterShift) const {
    const char32_t* glyph = words.data() + entry + kHeaderWords + words[entry + 2];
    const std::size_t count = words[entry + 3];
    out.reserve(out.size() + count);
    for (std::size_t g = 0; g < count; ++g, glyph += kGlyphWords)
        out.push_back({glyph[0], glyph[1] + clusterShift, static_cast<std::int32_t>(glyph[2]),
                       static_cast<std::int32_t>(glyph[3]), static_cast<std::int32_t>(glyph[4])});
}

void WordShapes::prefetch(std::uint64_t hash) const noexcept {
    if (!newer_.slots.empty()) __builtin_prefetch(&newer_.slots[hash & (newer_.slots.size() - 1)]);
}

void WordShapes::prefetchEntry(std::uint64_t hash) const noexcept {
    if (newer_.slots.empty()) return;
    const std::uint64_t held = newer_.slots[hash & (newer_.slots.size() - 1)];
    if (held == 0 || (held & 0xFFFFFFFF00000000ULL) != (hash & 0xFFFFFFFF00000000ULL)) return;
    const std::size_t entry = (held & 0xFFFFFFFFULL) - 1;
    __builtin_prefetch(newer_.words.data() + entry);
    __builtin_prefetch(newer_.words.data() + std::min(entry + 16, newer_.words.size() - 1));
}

bool WordShapes::find(std::u32string_view key, std::uint64_t hash,
                      std::span<const WordGlyph>& glyphs) {
    found_.clear();
    if (!find(key, hash, found_, 0)) return false;
    glyphs = found_;
    return true;
}

bool WordShapes::find(std::u32string_view key, std::uint64_t hash, std::vector<WordGlyph>& out,
                      std::uint32_t clusterShift) {
    if (const std::size_t entry = newer_.find(key, hash); entry != std::u32string_view::npos) {
        newer_.glyphsAt(entry, out, clusterShift);
        return true;
    }
    const std::size_t old = older_.find(key, hash);
    if (old == std::u32string_view::npos) return false;
    // In use again: it moves to the newer generation (copied out first, as
    // moving may forget the older one).
    movingKey_.assign(older_.keyAt(old));
    moving_.clear();
    older_.glyphsAt(old, moving_);
    add(movingKey_, hash, moving_);
    for (WordGlyph glyph : moving_) {
        glyph.cluster += clusterShift;
        out.push_back(glyph);
    }
    return true;
}

void WordShapes::add(std::u32string_view key, std::uint64_t hash,
                     std::span<const WordGlyph> glyphs) {
    const std::size_t bytes = entryBytes(key.size(), glyphs.size());
    if (bytes > generationBytes_) return;
    if (newer_.bytes + bytes > generationBytes_) {
        std::swap(older_, newer_);
        newer_.clear();
    }
    newer_.add(key, hash, glyphs);
}

}  // namespace leafwright
