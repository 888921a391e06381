#include "core/pdf/band_fields.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/breaks/line_breaker.h"

namespace leafwright {

namespace {

// Keeps a + b within budget: as wide as they are when they fit, else the
// narrower keeps its width while it is at most half, and the other takes
// the rest.
void share(double budget, double& a, double& b) {
    if (a + b <= budget) return;
    budget = std::max(budget, 0.0);
    if (a <= budget / 2) {
        b = budget - a;
    } else if (b <= budget / 2) {
        a = budget - b;
    } else {
        a = b = budget / 2;
    }
}

// The grapheme-cluster boundaries of text after its start, the last at its
// end. A header's text is short, so all of it is one window.
std::vector<std::size_t> clusterEnds(std::string_view text) {
    // One breaker a thread: making one costs far more than a window.
    thread_local std::unique_ptr<LineBreaker> breaker;
    if (!breaker) breaker = std::make_unique<LineBreaker>();
    breaker->setWindow({text, 0, true, true});
    std::vector<std::size_t> ends;
    std::uint64_t at = 0;
    while (at < text.size()) {
        const std::optional<std::uint64_t> next = breaker->nextCluster(at);
        at = next && *next > at ? *next : text.size();
        ends.push_back(static_cast<std::size_t>(at));
    }
    return ends;
}

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::array<double, 3> bandFieldRoom(const std::array<double, 3>& widths, double room, double gap) {
    std::array<double, 3> caps = widths;
    for (double& cap : caps) cap = std::max(cap, 0.0);
    const bool left = caps[0] > 0, centre = caps[1] > 0, right = caps[2] > 0;
    if (centre && (left || right)) {
        // Each side's field and half the centre's within half the band.
        const double side = std::max(caps[0], caps[2]);
        double sideRoom = side, half = caps[1] / 2;
        share(room / 2 - gap, sideRoom, half);
        caps[0] = std::min(caps[0], sideRoom);
        caps[1] = std::min(caps[1], 2 * half);
        caps[2] = std::min(caps[2], sideRoom);
    } else if (left && right) {
        share(room - gap, caps[0], caps[2]);
    } else {
        for (double& cap : caps) cap = std::min(cap, std::max(room, 0.0));
    }
    return caps;
}

std::string fieldWithin(const std::string& text, double room,
                        const std::function<double(std::string_view)>& width) {
    if (text.empty() || width(text) <= room) return text;
    const std::vector<std::size_t> ends = clusterEnds(text);
    // The start of text up to cluster end k, its white space dropped, and
    // the mark of the cut.
    auto cutAt = [&](std::size_t k) {
        std::size_t end = ends[k];
        while (end > 0 && isSpace(text[end - 1])) --end;
        if (end == 0) return std::string();
        return text.substr(0, end) + std::string(kFieldCut);
    };
    // The longest start that fits: widths grow with the text, give or take
    // what shaping does at the cut, and only what is taken is measured. A
    // start of white space alone shows nothing, which fits.
    auto fits = [&](const std::string& cut) { return cut.empty() || width(cut) <= room; };
    std::size_t low = 0, high = ends.size() - 1;  // clusters taken: low fits
    while (low < high) {
        const std::size_t middle = low + (high - low + 1) / 2;
        if (fits(cutAt(middle - 1))) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return low == 0 ? std::string() : cutAt(low - 1);
}

}  // namespace leafwright
