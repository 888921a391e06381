#include "core/fonts/glyph_clusters.h"

#include <cstdint>

namespace leafwright {

GlyphId GlyphClusters::idOf(const FontFace& face, const std::vector<GlyphComponent>& components,
                            int width) {
    key_.clear();
    const FontFace* address = &face;
    key_.append(reinterpret_cast<const char*>(&address), sizeof address);
    key_.append(reinterpret_cast<const char*>(&width), sizeof width);
    for (const GlyphComponent& component : components) {
        const std::int32_t fields[3] = {static_cast<std::int32_t>(component.glyph), component.dx,
                                        component.dy};
        key_.append(reinterpret_cast<const char*>(fields), sizeof fields);
    }
    const auto found = ids_.find(key_);
    if (found != ids_.end()) return found->second;
    if (clusters_.size() >= kMostClusters) return 0;
    const GlyphId id = kFirst + static_cast<GlyphId>(clusters_.size());
    clusters_.push_back(components);
    ids_.emplace(key_, id);
    return id;
}

}  // namespace leafwright
