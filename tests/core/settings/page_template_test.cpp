// Page templates: what a header or footer shows, and how a faulty one is
// refused when the settings are read, naming what is wrong.
#include "core/settings/page_template.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/settings/more_settings.h"

namespace leafwright {
namespace {

PageFacts factsOfPage(std::uint64_t page) {
    PageFacts facts;
    facts.page = page;
    facts.pages = 12;
    facts.sheet = page + 30;
    facts.sheets = 41;
    facts.file = "notes.txt";
    facts.path = "/home/ann/notes.txt";
    facts.title = "Notes (draft)";
    facts.now = 1'700'000'000;   // 2023-11-14 22:13:20 UTC
    facts.mtime = 86'400 * 365;  // 1971-01-01
    facts.utc = true;
    return facts;
}

TEST(PageTemplate, FillsEveryPlaceholderInItsField) {
    const PageTemplate fields(
        "{file} {{{path}}}|{title}: {date}|{page:03}/{pages} {sheet}/{sheets}");
    const PageTemplate::Filled filled = fields.fill(factsOfPage(7));
    EXPECT_EQ(filled.left, "notes.txt {/home/ann/notes.txt}");
    EXPECT_EQ(filled.centre, "Notes (draft): 2023-11-14");
    EXPECT_EQ(filled.right, "007/12 37/41");
    EXPECT_TRUE(fields.showsPageCount());

    // Fewer fields fill from the left; a padding narrower than the number
    // keeps every digit; dates take strftime formats.
    const PageTemplate two("{page:01}||{mtime:%d.%m.%Y %H}");
    const PageTemplate::Filled second = two.fill(factsOfPage(123));
    EXPECT_EQ(second.left, "123");
    EXPECT_EQ(second.centre, "");
    EXPECT_EQ(second.right, "01.01.1971 00");
    EXPECT_FALSE(two.showsPageCount());
    // A format's own line break or tab gives no control character.
    EXPECT_EQ(PageTemplate("{date:%Y%n%m%t%d}").fill(factsOfPage(1)).left, "2023 11 14");

    // Any script passes through untouched.
    const PageTemplate::Filled greek = PageTemplate("Σελίδα {page}").fill(factsOfPage(2));
    EXPECT_EQ(greek.left, "Σελίδα 2");
    EXPECT_TRUE(PageTemplate("").empty());
    EXPECT_TRUE(PageTemplate("||").empty());
}

TEST(PageTemplate, FaultsNameThePlaceholder) {
    struct Case {
        const char* text;
        const char* named;
    };
    const Case cases[] = {
        {"Page {pgae}", "{pgae} is not a placeholder"},
        {"{page:3}", "{page:3}"},
        {"{page:0x}", "{page:0x}"},
        {"{page:021}", "{page:021}"},
        {"{file:02}", "{file:02} takes no format; write {file}"},
        {"{date:}", "{date:}"},
        {"{page", "{page has no closing"},
        {"a}b", "\"}}\""},
        {"a|b|c|d", "at most three fields"},
        {"{}", "{} is not a placeholder"},
    };
    for (const Case& c : cases) {
        const auto fault = PageTemplate::fault(c.text);
        ASSERT_TRUE(fault.has_value()) << c.text;
        EXPECT_NE(fault->find(c.named), std::string::npos) << c.text << ": " << *fault;
        EXPECT_THROW(PageTemplate{c.text}, std::invalid_argument) << c.text;

        // The settings refuse it on the one path every front end takes, and
        // the refusal says why.
        MoreSettings more;
        EXPECT_EQ(setMoreSetting(more, "footer", c.text), MoreSettingCheck::BadValue) << c.text;
        EXPECT_EQ(more.footer, "");
        const std::string refusal = moreSettingRefusal("footer", c.text);
        EXPECT_EQ(refusal.rfind("footer must be ", 0), 0u) << refusal;
        EXPECT_NE(refusal.find(c.named), std::string::npos) << refusal;
    }
    for (const char* good : {"{{page}}", "{page:020}", "{date:%%}", "|{pages}|"}) {
        EXPECT_FALSE(PageTemplate::fault(good).has_value()) << good;
        MoreSettings more;
        EXPECT_EQ(setMoreSetting(more, "header", good), MoreSettingCheck::Taken) << good;
        EXPECT_EQ(moreSettingText(more, "header"), good);
    }
    EXPECT_EQ(PageTemplate("{{page}}").fill(factsOfPage(1)).left, "{page}");
    EXPECT_EQ(PageTemplate("{page:020}").fill(factsOfPage(5)).left, "00000000000000000005");
}

TEST(PageTemplate, NowComesFromSourceDateEpochWhenSet) {
    const char* before = std::getenv("SOURCE_DATE_EPOCH");
    const std::string saved = before ? before : "";
    bool utc = false;
    ::setenv("SOURCE_DATE_EPOCH", "1234567890", 1);
    EXPECT_EQ(templateNow(utc), 1234567890);
    EXPECT_TRUE(utc);
    for (const char* unusable : {"", "12x", "-5", "99999999999999999999999"}) {
        ::setenv("SOURCE_DATE_EPOCH", unusable, 1);
        const std::time_t now = templateNow(utc);
        EXPECT_FALSE(utc) << unusable;
        EXPECT_GT(now, 1'600'000'000) << unusable;  // the clock
    }
    if (before)
        ::setenv("SOURCE_DATE_EPOCH", saved.c_str(), 1);
    else
        ::unsetenv("SOURCE_DATE_EPOCH");
}

}  // namespace
}  // namespace leafwright
