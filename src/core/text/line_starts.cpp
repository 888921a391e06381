#include "core/text/line_starts.h"

#include <algorithm>

namespace leafwright {

void LineStarts::keep(Start start) {
    starts_.push_back(start);
    wantedFrom_ = start.offset + spacing_;
    if (starts_.size() > kMostKept) thinOut();
}

void LineStarts::thinOut() {
    std::size_t kept = 0;
    for (std::size_t i = 1; i < starts_.size(); i += 2) starts_[kept++] = starts_[i];
    starts_.resize(kept);
    spacing_ *= 2;
    if (!starts_.empty()) wantedFrom_ = std::max(wantedFrom_, starts_.back().offset + spacing_);
}

void LineStarts::append(const LineStarts& rest, std::uint64_t bytes, std::uint64_t lines) {
    for (const Start& start : rest.starts_)
        starts_.push_back({start.offset + bytes, start.line + lines});
    spacing_ = std::max(spacing_, rest.spacing_);
    while (starts_.size() > kMostKept) thinOut();
    wantedFrom_ = rest.wantedFrom_ + bytes;
}

bool LineStarts::nearestAtOrBefore(std::uint64_t line, Start& start) const {
    auto after = std::upper_bound(
        starts_.begin(), starts_.end(), line,
        [](std::uint64_t wanted, const Start& kept) { return wanted < kept.line; });
    if (after == starts_.begin()) return false;
    start = *(after - 1);
    return true;
}

bool LineStarts::nearestAtOrAfter(std::uint64_t line, Start& start) const {
    auto atOrAfter = std::lower_bound(
        starts_.begin(), starts_.end(), line,
        [](const Start& kept, std::uint64_t wanted) { return kept.line < wanted; });
    if (atOrAfter == starts_.end()) return false;
    start = *atOrAfter;
    return true;
}

}  // namespace leafwright
