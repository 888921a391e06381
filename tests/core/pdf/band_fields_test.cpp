// The room of a header's or footer's fields, and a field cut to its room.
#include "core/pdf/band_fields.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

#include "core/text/text_encoding.h"

namespace leafwright {
namespace {

constexpr double kTolerance = 1e-9;

// Where each field stands in a band from 0 to room, as the furniture
// places them: the left from 0, the centre about the middle, the right
// ending at room.
std::array<std::pair<double, double>, 3> placed(const std::array<double, 3>& widths, double room) {
    return {{{0, widths[0]},
             {(room - widths[1]) / 2, (room + widths[1]) / 2},
             {room - widths[2], room}}};
}

TEST(BandFields, FieldsStayInTheBandApartAndUseTheRoomTheyNeed) {
    std::mt19937 random(20261209);
    // Widths from none to a little more than the band, a quarter of the
    // fields empty.
    std::uniform_real_distribution<double> share(0.0, 1.2);
    std::bernoulli_distribution empty(0.25);
    const double room = 523, gap = 6.72;
    for (int trial = 0; trial < 20000; ++trial) {
        std::array<double, 3> widths{};
        for (double& width : widths) width = empty(random) ? 0 : share(random) * room;
        SCOPED_TRACE(testing::Message() << widths[0] << " " << widths[1] << " " << widths[2]);
        const std::array<double, 3> caps = bandFieldRoom(widths, room, gap);
        for (std::size_t k = 0; k < 3; ++k) {
            EXPECT_GE(caps[k], 0);
            EXPECT_LE(caps[k], widths[k] + kTolerance);
            if (widths[k] == 0) {
                EXPECT_EQ(caps[k], 0);
            }
        }
        // Drawn at their caps, the fields keep within the band and a gap
        // apart.
        const auto at = placed(caps, room);
        std::vector<std::pair<double, double>> shown;
        for (std::size_t k = 0; k < 3; ++k)
            if (caps[k] > 0) shown.push_back(at[k]);
        for (const auto& [from, to] : shown) {
            EXPECT_GE(from, -kTolerance);
            EXPECT_LE(to, room + kTolerance);
        }
        for (std::size_t k = 1; k < shown.size(); ++k)
            EXPECT_GE(shown[k].first - shown[k - 1].second, gap - kTolerance);
        // Fields that fit as they are keep their widths.
        const auto whole = placed(widths, room);
        bool fit = true;
        std::vector<std::pair<double, double>> wanted;
        for (std::size_t k = 0; k < 3; ++k)
            if (widths[k] > 0) wanted.push_back(whole[k]);
        for (std::size_t k = 0; k < wanted.size(); ++k) {
            fit = fit && wanted[k].first >= 0 && wanted[k].second <= room;
            if (k > 0) fit = fit && wanted[k].first - wanted[k - 1].second >= gap;
        }
        if (fit) {
            EXPECT_EQ(caps, widths);
        }
        // What is cut fills the band, and the room goes to the wide fields:
        // a field cut short takes no less than the one it shares with (a
        // centred field counts half its width on each side).
        const bool cut = caps != widths;
        if (!cut || room / 2 < gap) continue;
        if (caps[1] > 0 && (caps[0] > 0 || caps[2] > 0)) {
            const double side = std::max(caps[0], caps[2]), half = caps[1] / 2;
            EXPECT_NEAR(side + half, room / 2 - gap, kTolerance);
            if (caps[1] < widths[1]) {
                EXPECT_GE(half + kTolerance, side);
            }
            if (std::max(widths[0], widths[2]) > side) {
                EXPECT_GE(side + kTolerance, half);
            }
        } else if (caps[0] > 0 && caps[2] > 0) {
            EXPECT_NEAR(caps[0] + caps[2], room - gap, kTolerance);
            for (std::size_t k : {0u, 2u}) {
                if (caps[k] < widths[k]) {
                    EXPECT_GE(caps[k] + kTolerance, caps[2 - k]);
                }
            }
        } else {
            for (std::size_t k = 0; k < 3; ++k) {
                if (widths[k] > 0) {
                    EXPECT_EQ(caps[k], room);
                }
            }
        }
    }
    // A band with no room shows nothing; a field alone may take all of it.
    EXPECT_EQ(bandFieldRoom({10, 20, 30}, 0, 5), (std::array<double, 3>{0, 0, 0}));
    EXPECT_EQ(bandFieldRoom({0, 700, 0}, 523, 5), (std::array<double, 3>{0, 523, 0}));
    EXPECT_EQ(bandFieldRoom({700, 0, 0}, 523, 5), (std::array<double, 3>{523, 0, 0}));
}

// A width of one unit a character, none for a combining mark or a joiner.
double units(std::string_view text) {
    double width = 0;
    for (std::size_t at = 0; at < text.size();) {
        char32_t character;
        at += decodeCharacter(text, at, SourceEncoding::Utf8, character);
        const bool draws = !(character >= 0x300 && character < 0x370) && character != 0x200D &&
                           character != 0xFE0F && !(character >= 0x1F3FB && character <= 0x1F3FF);
        width += draws ? 1 : 0;
    }
    return width;
}

TEST(BandFields, AFieldIsCutAtAClusterWithTheMarkOfTheCut) {
    const std::string cut(kFieldCut);
    const std::vector<std::string> pieces = {"a",
                                             "Z",
                                             " ",
                                             "e\u0301",
                                             "\u00e9",
                                             "\u0928\u093f",                // a vowel sign
                                             "\U0001F469\u200D\U0001F4BB",  // joined by ZWJ
                                             "\U0001F44D\U0001F3FD",        // a skin tone
                                             "\u4E2D",
                                             "/",
                                             "\t"};
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_real_distribution<double> roomOf(0, 30);
    for (int trial = 0; trial < 3000; ++trial) {
        std::vector<std::size_t> ends;  // where each piece ends
        std::string text;
        for (int n = length(random); n > 0; --n) {
            text += pieces[pick(random)];
            ends.push_back(text.size());
        }
        const double room = roomOf(random);
        SCOPED_TRACE(testing::Message() << '"' << text << "\" " << room);
        const std::string got = fieldWithin(text, room, units);
        if (units(text) <= room) {
            EXPECT_EQ(got, text);
            continue;
        }
        if (got.empty()) {
            // Nothing fits with the mark: not even the first visible cluster.
            const std::size_t first = text.find_first_not_of(" \t");
            ASSERT_NE(first, std::string::npos);
            const std::size_t firstEnd = *std::upper_bound(ends.begin(), ends.end(), first);
            EXPECT_GT(units(text.substr(0, firstEnd) + cut), room);
            continue;
        }
        ASSERT_TRUE(got.ends_with(cut));
        EXPECT_LE(units(got), room);
        const std::string kept = got.substr(0, got.size() - cut.size());
        EXPECT_TRUE(text.starts_with(kept));
        EXPECT_FALSE(kept.ends_with(" ") || kept.ends_with("\t"));
        // At a piece's end, so no base loses its marks nor a sequence its
        // parts; one piece more would not fit.
        const auto end = std::find(ends.begin(), ends.end(), kept.size());
        ASSERT_NE(end, ends.end());
        std::size_t next = *end;
        for (auto more = end + 1; more != ends.end(); ++more) {
            next = *more;
            std::string longer = text.substr(0, next);
            while (!longer.empty() && (longer.back() == ' ' || longer.back() == '\t'))
                longer.pop_back();
            if (longer.size() > kept.size()) {
                EXPECT_GT(units(longer + cut), room) << longer;
                break;
            }
        }
    }
}

}  // namespace
}  // namespace leafwright
