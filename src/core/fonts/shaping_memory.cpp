#include "core/fonts/shaping_memory.h"

#include <hb.h>

#include <algorithm>
#include <utility>

namespace leafwright {

ShapingMemory::ShapingMemory() : buffer(hb_buffer_create()) {}
ShapingMemory::~ShapingMemory() {
    hb_buffer_destroy(buffer);
}

void ShapingMemory::readyFor(std::string_view standardFont) {
    if (baseFont != standardFont) {
        baseFont = standardFont;
        faceOf.clear();
        faceKnown.clear();
        bmpFaces.clear();
    }
    // A shaper sets what it shapes with on each use; reset so that even a
    // setting it leaves alone starts where a new buffer's does.
    hb_buffer_reset(buffer);
}

void ShapingMemory::boundFaces() {
    if (faceOf.size() >= kFarFacesKept) faceOf.clear();
}

std::unique_ptr<ShapingMemory> ShapingMemories::take(std::string_view baseFont) {
    std::unique_ptr<ShapingMemory> memory;
    {
        std::lock_guard lock(mutex_);
        if (!idle_.empty()) {
            auto same = std::find_if(idle_.begin(), idle_.end(),
                                     [&](const auto& idle) { return idle->baseFont == baseFont; });
            if (same == idle_.end()) same = idle_.end() - 1;
            memory = std::move(*same);
            idle_.erase(same);
        }
    }
    if (!memory) memory = std::make_unique<ShapingMemory>();
    memory->readyFor(baseFont);
    return memory;
}

void ShapingMemories::giveBack(std::unique_ptr<ShapingMemory> memory) {
    if (!memory) return;
    std::unique_ptr<ShapingMemory> dropped;  // freed outside the lock
    std::lock_guard lock(mutex_);
    if (idle_.size() < kIdleKept)
        idle_.push_back(std::move(memory));
    else
        dropped = std::move(memory);
}

}  // namespace leafwright
