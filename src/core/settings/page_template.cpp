#include "core/settings/page_template.h"

#include <charconv>
#include <cstdlib>
#include <stdexcept>

namespace leafwright {

namespace {

constexpr std::size_t kFieldCount = 3;
constexpr int kWidestPadding = 20;              // a 64-bit number's digits
constexpr std::size_t kLongestDateFormat = 64;  // keeps each date's text short
constexpr std::size_t kDateRoom = 256;

struct Name {
    std::string_view word;
    int kind;  // PageTemplate's Kind, as a number
    bool number;
    bool date;
};

// In the order of PageTemplate::Kind after Text.
constexpr Name kNames[] = {
    {"page", 1, true, false},   {"pages", 2, true, false}, {"sheet", 3, true, false},
    {"sheets", 4, true, false}, {"file", 5, false, false}, {"path", 6, false, false},
    {"title", 7, false, false}, {"date", 8, false, true},  {"mtime", 9, false, true},
};

const Name* findName(std::string_view word) {
    for (const Name& name : kNames)
        if (name.word == word) return &name;
    return nullptr;
}

std::string shown(std::string_view placeholder) {
    return "{" + std::string(placeholder) + "}";
}

// Reads a number's padding: "03" pads to three digits.
bool readWidth(std::string_view padding, int& width) {
    if (padding.empty() || padding.front() != '0') return false;
    const auto [end, error] =
        std::from_chars(padding.data(), padding.data() + padding.size(), width);
    return error == std::errc() && end == padding.data() + padding.size() && width >= 1 &&
           width <= kWidestPadding;
}

std::string paddedNumber(std::uint64_t value, int width) {
    std::string digits = std::to_string(value);
    if (digits.size() < static_cast<std::size_t>(width))
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    return digits;
}

std::string dateText(std::time_t when, bool utc, const std::string& format) {
    std::tm parts{};
    if ((utc ? gmtime_r(&when, &parts) : localtime_r(&when, &parts)) == nullptr) return {};
    char room[kDateRoom];
    const std::size_t size =
        std::strftime(room, sizeof room, format.empty() ? "%Y-%m-%d" : format.c_str(), &parts);
    // A template holds no control character, and neither does what it makes:
    // %n and %t give a space like any other white space.
    std::string text(room, size);
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return text;
}

}  // namespace

// One reading serves both the check and the template, so the two can never
// disagree about what a template is.
template <typename OnPart>
static std::optional<std::string> readTemplate(std::string_view text, OnPart onPart) {
    std::size_t field = 0;
    std::string literal;
    auto flush = [&] {
        if (!literal.empty()) onPart(field, 0, std::move(literal), 0);
        literal.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '|') {
            flush();
            if (++field == kFieldCount) return "a template has at most three fields split by \"|\"";
        } else if (c == '}') {
            if (i + 1 >= text.size() || text[i + 1] != '}')
                return "a lone \"}\" must be written \"}}\"";
            literal += '}';
            ++i;
        } else if (c != '{') {
            literal += c;
        } else if (i + 1 < text.size() && text[i + 1] == '{') {
            literal += '{';
            ++i;
        } else {
            const std::size_t close = text.find('}', i + 1);
            if (close == std::string_view::npos)
                return "the placeholder " + std::string(text.substr(i)) + " has no closing \"}\"";
            const std::string_view inside = text.substr(i + 1, close - i - 1);
            const std::size_t colon = inside.find(':');
            const std::string_view word = inside.substr(0, colon);
            const Name* name = findName(word);
            if (!name)
                return shown(inside) +
                       " is not a placeholder; the placeholders are {page}, {pages}, {sheet}, "
                       "{sheets}, {file}, {path}, {title}, {date} and {mtime}";
            std::string dateFormat;
            int width = 0;
            if (colon != std::string_view::npos) {
                const std::string_view given = inside.substr(colon + 1);
                if (name->number) {
                    if (!readWidth(given, width))
                        return "in " + shown(inside) +
                               " the padding must be a zero and a width up to 20, as in {page:03}";
                } else if (name->date) {
                    if (given.empty() || given.size() > kLongestDateFormat)
                        return "in " + shown(inside) +
                               " the date format must be 1 to 64 characters of strftime";
                    dateFormat.assign(given);
                } else {
                    return shown(inside) + " takes no format; write " + shown(word);
                }
            }
            flush();
            onPart(field, name->kind, std::move(dateFormat), width);
            i = close;
        }
    }
    flush();
    return std::nullopt;
}

std::optional<std::string> PageTemplate::fault(std::string_view text) {
    return readTemplate(text, [](std::size_t, int, std::string, int) {});
}

PageTemplate::PageTemplate(std::string_view text) {
    const std::optional<std::string> problem =
        readTemplate(text, [&](std::size_t field, int kind, std::string part, int width) {
            const Kind k = static_cast<Kind>(kind);
            fields_[field].push_back(Part{k, std::move(part), width});
            empty_ = false;
            if (k == Kind::Pages || k == Kind::Sheets) showsPageCount_ = true;
        });
    if (problem) throw std::invalid_argument(*problem);
}

std::string PageTemplate::fillField(const Field& field, const PageFacts& facts) const {
    std::string out;
    for (const Part& part : field) {
        switch (part.kind) {
            case Kind::Text:
                out += part.text;
                break;
            case Kind::Page:
                out += paddedNumber(facts.page, part.width);
                break;
            case Kind::Pages:
                out += paddedNumber(facts.pages, part.width);
                break;
            case Kind::Sheet:
                out += paddedNumber(facts.sheet, part.width);
                break;
            case Kind::Sheets:
                out += paddedNumber(facts.sheets, part.width);
                break;
            case Kind::File:
                out += facts.file;
                break;
            case Kind::Path:
                out += facts.path;
                break;
            case Kind::Title:
                out += facts.title;
                break;
            case Kind::Date:
                out += dateText(facts.now, facts.utc, part.text);
                break;
            case Kind::Mtime:
                out += dateText(facts.mtime, facts.utc, part.text);
                break;
        }
    }
    return out;
}

PageTemplate::Filled PageTemplate::fill(const PageFacts& facts) const {
    return {fillField(fields_[0], facts), fillField(fields_[1], facts),
            fillField(fields_[2], facts)};
}

std::string PageTemplate::filledField(std::size_t field, const PageFacts& facts) const {
    return field < kFieldCount ? fillField(fields_[field], facts) : std::string();
}

bool PageTemplate::changesByPage(std::size_t field) const {
    if (field >= kFieldCount) return false;
    for (const Part& part : fields_[field])
        if (part.kind == Kind::Page || part.kind == Kind::Sheet) return true;
    return false;
}

std::time_t templateNow(bool& utc) {
    utc = false;
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
        const std::string_view text(epoch);
        long long seconds = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
        if (!text.empty() && error == std::errc() && end == text.data() + text.size() &&
            seconds >= 0) {
            utc = true;
            return static_cast<std::time_t>(seconds);
        }
    }
    return std::time(nullptr);
}

}  // namespace leafwright
