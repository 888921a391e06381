// When a header or footer makes a document use embedded fonts: only for a
// character beyond Mac OS Roman in the text a page shows, filled in.
#include <gtest/gtest.h>

#include <string>

#include "core/pdf/page_furniture.h"

namespace leafwright {
namespace {

struct Case {
    const char* header;
    const char* footer;
    const char* title;
    const char* path;
    bool selfAdapting;
    bool embedded;
};

TEST(FurnitureFonts, OnlyTextBeyondMacOsRomanOnAPageNeedsEmbeddedFonts) {
    const Case cases[] = {
        {"{page}/{pages}", "", "", "/tmp/a.txt", false, false},
        {"Seite {page} \u2014 \u00C5\u00E9\u00FC", "", "", "/tmp/a.txt", false, false},
        {"Seite {page} \u2014 \u0396", "", "", "/tmp/a.txt", false, true},
        {"", "|{file}|", "", "/tmp/\u65E5\u672C\u8A9E.txt", false, true},
        // The folder shows only through {path}.
        {"{file}", "", "", "/\u65E5\u672C/a.txt", false, false},
        {"{path}", "", "", "/\u65E5\u672C/a.txt", false, true},
        {"{title}", "", "\u0416", "/tmp/a.txt", false, true},
        {"{page}", "", "\u0416", "/tmp/a.txt", false, false},  // the title is not shown
        {"||{date:%Y\u5E74}", "", "", "/tmp/a.txt", false, true},
        {"{{\u0416}}", "", "", "/tmp/a.txt", true, false},      // no furniture on one page
        {"{file}", "", "", "/tmp/\xFF\xFE.txt", false, false},  // malformed: "?" each
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.header) + " / " + c.footer + " / " + c.path);
        ConversionSettings settings;
        settings.chosen.more.header = c.header;
        settings.chosen.more.footer = c.footer;
        settings.chosen.title = c.title;
        settings.chosen.selfAdaptation = c.selfAdapting ? 1 : 0;
        EXPECT_EQ(furnitureNeedsEmbeddedFonts(settings, c.path), c.embedded);
    }
}

}  // namespace
}  // namespace leafwright
