#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/fonts/font_face.h"
#include "core/fonts/word_shapes.h"

// HarfBuzz's buffer, only ever held here.
struct hb_buffer_t;

namespace leafwright {

// What shaping asks of a character, as kept: its script (HarfBuzz's tag, 0
// while not known), its bidirectional type, whether it is a mark and whether
// it draws nothing.
struct KeptCharacterFacts {
    std::uint32_t script = 0;
    std::uint32_t bidiType = 0;
    bool mark = false;
    bool invisible = false;
};

// What a line shaper learns that holds beyond its document: the facts of
// each character met, the face each takes for the standard font, and the
// shapes of words. None of it depends on the document it was learnt from (a
// character's face is the provider's answer for that font, a word's glyphs
// are named by everything their shaping depends on), so a shaper of the next
// document that takes it over gives the same glyphs without finding them
// again. Its tables are each at most 64 K entries plus the characters beyond
// the Basic Multilingual Plane (their faces forgotten past kFarFacesKept),
// and the word shapes are bounded (word_shapes.h).
struct ShapingMemory {
    ShapingMemory();
    ~ShapingMemory();
    ShapingMemory(const ShapingMemory&) = delete;
    ShapingMemory& operator=(const ShapingMemory&) = delete;

    // Readies it for a shaper of the standard font: the faces found for
    // another font are forgotten, and the buffer starts as a new one does.
    void readyFor(std::string_view standardFont);
    // Forgets the faces of the characters once they grow past the bound;
    // they are found again as needed.
    void boundFaces();

    static constexpr std::size_t kFarFacesKept = std::size_t{1} << 16;
    std::string baseFont;                                  // whose faces are kept
    std::unordered_map<char32_t, const FontFace*> faceOf;  // null: no face has it
    std::vector<bool> faceKnown;                           // of the Basic Multilingual Plane
    std::vector<const FontFace*> bmpFaces;
    std::vector<KeptCharacterFacts> basicFacts;
    WordShapes words;
    hb_buffer_t* buffer;
};

// The memories of a provider's shapers, each lent to one shaper at a time,
// so that a run's documents, one after another on each thread, learn once.
// Shapers on several threads may take and give back at once. At most
// kIdleKept memories wait to be taken again; more given back are dropped.
class ShapingMemories {
  public:
    static constexpr std::size_t kIdleKept = 2;
    // One given back before, for the same font where there is one, else a
    // new one; readied for the font.
    std::unique_ptr<ShapingMemory> take(std::string_view baseFont);
    void giveBack(std::unique_ptr<ShapingMemory> memory);

  private:
    std::mutex mutex_;
    std::vector<std::unique_ptr<ShapingMemory>> idle_;
};

}  // namespace leafwright
