#include "core/fonts/emoji_sequences.h"

namespace leafwright {
namespace {

constexpr char32_t kZeroWidthJoiner = 0x200D;
constexpr char32_t kEmojiPresentation = 0xFE0F;
constexpr char32_t kKeycap = 0x20E3;

bool isRegionalIndicator(char32_t c) {
    return c >= 0x1F1E6 && c <= 0x1F1FF;
}

bool isSkinTone(char32_t c) {
    return c >= 0x1F3FB && c <= 0x1F3FF;
}

bool isTag(char32_t c) {
    return c >= 0xE0020 && c <= 0xE007F;
}

// What may follow a character inside its sequence, besides a joiner.
bool extends(char32_t c) {
    return c == kEmojiPresentation || c == kKeycap || isSkinTone(c) || isTag(c);
}

// Joiners also stand between the letters of the Indic and Arabic scripts;
// the emoji that joiners join all lie above them, from U+2000 on.
bool mayJoin(char32_t c) {
    return c >= 0x2000 && !extends(c) && c != kZeroWidthJoiner && !isRegionalIndicator(c);
}

}  // namespace

bool joinsEmoji(char32_t c) {
    return c == kZeroWidthJoiner || c == kKeycap || isSkinTone(c) || isRegionalIndicator(c) ||
           isTag(c);
}

std::vector<std::pair<std::size_t, std::size_t>> emojiSequences(std::u32string_view line) {
    std::vector<std::pair<std::size_t, std::size_t>> sequences;
    std::size_t i = 0;
    while (i < line.size()) {
        if (isRegionalIndicator(line[i])) {
            if (i + 1 < line.size() && isRegionalIndicator(line[i + 1])) {
                sequences.emplace_back(i, i + 2);
                i += 2;
            } else {
                ++i;
            }
            continue;
        }
        const std::size_t start = i;
        bool joined = false;  // more than a character and its presentation selector
        std::size_t end = i + 1;
        for (;;) {
            while (end < line.size() && extends(line[end])) {
                joined = joined || line[end] != kEmojiPresentation;
                ++end;
            }
            if (end + 1 < line.size() && line[end] == kZeroWidthJoiner && mayJoin(line[start]) &&
                mayJoin(line[end + 1])) {
                joined = true;
                end += 2;
                continue;
            }
            break;
        }
        if (joined) sequences.emplace_back(start, end);
        i = end;
    }
    return sequences;
}

}  // namespace leafwright
