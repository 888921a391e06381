#include "core/fonts/word_shapes.h"

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
    keys.clear();
    glyphs.clear();
    entries.clear();
    slots.clear();
    bytes = 0;
}

const WordShapes::Entry* WordShapes::Generation::find(std::u32string_view key,
                                                      std::uint64_t hash) const {
    if (slots.empty()) return nullptr;
    const std::size_t mask = slots.size() - 1;
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint32_t number = slots[slot];
        if (number == 0) return nullptr;
        const Entry& entry = entries[number - 1];
        if (entry.hash == hash && keyOf(entry) == key) return &entry;
    }
}

void WordShapes::Generation::add(std::u32string_view key, std::uint64_t hash,
                                 std::span<const WordGlyph> added) {
    if ((entries.size() + 1) * 2 > slots.size()) {
        // Grow the table, and place every entry again.
        slots.assign(slots.empty() ? 1024 : slots.size() * 2, 0);
        const std::size_t mask = slots.size() - 1;
        for (std::size_t e = 0; e < entries.size(); ++e) {
            std::size_t slot = entries[e].hash & mask;
            while (slots[slot] != 0) slot = (slot + 1) & mask;
            slots[slot] = static_cast<std::uint32_t>(e + 1);
        }
    }
    entries.push_back({hash, keys.size(), key.size(), glyphs.size(), added.size()});
    keys.insert(keys.end(), key.begin(), key.end());
    glyphs.insert(glyphs.end(), added.begin(), added.end());
    const std::size_t mask = slots.size() - 1;
    std::size_t slot = hash & mask;
    while (slots[slot] != 0) slot = (slot + 1) & mask;
    slots[slot] = static_cast<std::uint32_t>(entries.size());
    bytes += entryBytes(key.size(), added.size());
}

bool WordShapes::find(std::u32string_view key, std::span<const WordGlyph>& glyphs) {
    const std::uint64_t hash = hashOf(key);
    if (const Entry* entry = newer_.find(key, hash)) {
        glyphs = newer_.glyphsOf(*entry);
        return true;
    }
    const Entry* old = older_.find(key, hash);
    if (!old) return false;
    // In use again: it moves to the newer generation (copied out first, as
    // moving may forget the older one).
    const std::u32string_view oldKey = older_.keyOf(*old);
    movingKey_.assign(oldKey.begin(), oldKey.end());
    const std::span<const WordGlyph> oldGlyphs = older_.glyphsOf(*old);
    movingGlyphs_.assign(oldGlyphs.begin(), oldGlyphs.end());
    keep({movingKey_.data(), movingKey_.size()}, hash, movingGlyphs_);
    const Entry* moved = newer_.find(key, hash);
    glyphs = moved ? newer_.glyphsOf(*moved) : std::span<const WordGlyph>(movingGlyphs_);
    return true;
}

void WordShapes::add(std::u32string_view key, std::span<const WordGlyph> glyphs) {
    keep(key, hashOf(key), glyphs);
}

void WordShapes::keep(std::u32string_view key, std::uint64_t hash,
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
