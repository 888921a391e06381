#include "core/pdf/direction_turns.h"

#include <algorithm>
#include <string>
#include <utility>

#include "core/fonts/line_shaper.h"
#include "core/fonts/strong_direction.h"

namespace leafwright {
namespace {

constexpr char32_t kRightToLeftMark = U'\u200F', kLeftToRightMark = U'\u200E';

bool isBlank(char32_t character) {
    return character == U' ' || character == U'\t';
}

bool readLeftToRight(char32_t character) {
    return isStrongLeftToRight(character) || isNumberLike(character);
}

// A cluster: the glyph that carries its text, and the glyphs after it that
// carry none.
struct Cluster {
    std::size_t first, end;
};

// A left-to-right piece inside right-to-left text: clusters [from, to).
struct Piece {
    std::size_t from, to;
};

std::vector<Cluster> clustersOf(const std::vector<ShapedGlyph>& glyphs) {
    std::vector<Cluster> clusters;
    for (std::size_t g = 0; g < glyphs.size();) {
        std::size_t end = g + 1;
        while (end < glyphs.size() && glyphs[end].text.empty()) ++end;
        if (!glyphs[g].text.empty()) clusters.push_back({g, end});
        g = end;
    }
    return clusters;
}

// In a right-to-left paragraph: each run of clusters in reading order drawn
// to the right of the one before (a run of one for a sign among
// right-to-left text) that holds a Latin letter or a number.
std::vector<Piece> piecesOfRightToLeft(const std::vector<ShapedGlyph>& glyphs,
                                       const std::vector<Cluster>& clusters) {
    std::vector<Piece> pieces;
    for (std::size_t a = 0; a < clusters.size();) {
        std::size_t b = a + 1;
        while (b < clusters.size() && glyphs[clusters[b].first].x > glyphs[clusters[b - 1].first].x)
            ++b;
        bool leftToRight = false;
        for (std::size_t c = a; c < b && !leftToRight; ++c)
            for (char32_t character : glyphs[clusters[c].first].text)
                leftToRight = leftToRight || readLeftToRight(character);
        if (leftToRight) pieces.push_back({a, b});
        a = b;
    }
    return pieces;
}

// In a left-to-right paragraph, inside its right-to-left runs: each run of
// clusters that the bidirectional algorithm sets left to right again, and
// each number sign it leaves right to left.
std::vector<Piece> piecesOfLeftToRight(const std::vector<ShapedGlyph>& glyphs,
                                       const std::vector<Cluster>& clusters) {
    std::vector<Piece> pieces;
    std::u32string text;
    std::vector<std::size_t> starts;
    bool rightToLeft = false;
    for (const Cluster& cluster : clusters) {
        starts.push_back(text.size());
        const std::u32string& own = glyphs[cluster.first].text;
        text += own;
        for (char32_t character : own) rightToLeft = rightToLeft || isStrongRightToLeft(character);
    }
    if (!rightToLeft) return pieces;
    const std::vector<std::uint8_t> levels = leftToRightParagraphLevels(text);
    auto levelOf = [&](std::size_t c) { return levels[starts[c]]; };
    for (std::size_t a = 0; a < clusters.size();) {
        const std::uint8_t level = levelOf(a);
        std::size_t b = a + 1;
        if (level >= 2 && level % 2 == 0) {
            while (b < clusters.size() && levelOf(b) >= level) ++b;
            pieces.push_back({a, b});
        } else if (level % 2 == 1 && isNumberLike(text[starts[a]])) {
            pieces.push_back({a, b});
        }
        a = b;
    }
    return pieces;
}

// Most left-to-right lines hold no right-to-left letter, and so nothing
// read right to left: they are told without gathering their clusters.
bool holdsNoRightToLeft(const ShapedLine& line) {
    return line.direction != TextDirection::rightToLeft &&
           std::none_of(line.glyphs.begin(), line.glyphs.end(), [](const ShapedGlyph& glyph) {
               return std::any_of(glyph.text.begin(), glyph.text.end(), isStrongRightToLeft);
           });
}

}  // namespace

GlyphsReadRightToLeft glyphsReadRightToLeft(const ShapedLine& line) {
    const std::vector<ShapedGlyph>& glyphs = line.glyphs;
    if (line.direction == TextDirection::rightToLeft) return {true, {}};
    if (holdsNoRightToLeft(line)) return {};
    std::u32string text;
    for (const ShapedGlyph& glyph : glyphs) text += glyph.text;
    const std::vector<std::uint8_t> levels = leftToRightParagraphLevels(text);
    std::vector<bool> result(glyphs.size(), false);
    // A glyph that carries no text goes with its cluster's first.
    bool odd = false;
    for (std::size_t g = 0, at = 0; g < glyphs.size(); ++g) {
        if (!glyphs[g].text.empty()) {
            odd = levels[at] % 2 == 1;
            at += glyphs[g].text.size();
        }
        result[g] = odd;
    }
    return {false, std::move(result)};
}

std::vector<DirectionMark> directionMarks(const ShapedLine& line) {
    std::vector<DirectionMark> marks;
    const std::vector<ShapedGlyph>& glyphs = line.glyphs;
    if (holdsNoRightToLeft(line)) return marks;
    const std::vector<Cluster> clusters = clustersOf(glyphs);
    const std::vector<Piece> pieces = line.direction == TextDirection::rightToLeft
                                          ? piecesOfRightToLeft(glyphs, clusters)
                                          : piecesOfLeftToRight(glyphs, clusters);
    for (const auto& [a, b] : pieces) {
        bool latin = false;
        int left = glyphs[clusters[a].first].x, right = left;
        for (std::size_t c = a; c < b; ++c) {
            for (char32_t character : glyphs[clusters[c].first].text)
                latin = latin || isStrongLeftToRight(character);
            for (std::size_t g = clusters[c].first; g < clusters[c].end; ++g) {
                left = std::min(left, glyphs[g].x);
                right = std::max(right, glyphs[g].x + glyphs[g].advance);
            }
        }
        const bool hasNext = b < clusters.size();
        const char32_t next = hasNext ? glyphs[clusters[b].first].text.front() : U'\0';
        const bool nextTurnsBack = hasNext && isStrongRightToLeft(next);
        const bool blankBefore = a > 0 && isBlank(glyphs[clusters[a - 1].first].text.back());
        const int x = left - 1;
        if ((hasNext && !nextTurnsBack) || (latin && a > 0 && !blankBefore))
            marks.push_back({clusters[a].first, x, kRightToLeftMark});
        // A run that ends in a bracket of its own ("(EULA)" after a Latin
        // word) ends in a left-to-right mark at its right edge: poppler
        // keeps what stands left of its last Latin letter or number.
        const std::u32string& last = glyphs[clusters[b - 1].first].text;
        if (b - a > 1 && !readLeftToRight(last.back()))
            marks.push_back({clusters[b - 1].end, right - 1, kLeftToRightMark});
        if (latin && hasNext && !nextTurnsBack && !isBlank(next))
            marks.push_back({clusters[b].first, glyphs[clusters[b].first].x, kRightToLeftMark});
    }
    return marks;
}

}  // namespace leafwright
