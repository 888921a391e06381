#include "core/plustools/pdf_object.h"

#include <charconv>

#include "core/plustools/pdf_characters.h"

namespace leafwright {

template <typename Value>
PdfObject PdfObject::made(Kind kind, Value PdfObject::*member, Value value) {
    PdfObject object;
    object.kind_ = kind;
    object.*member = std::move(value);
    return object;
}

PdfObject PdfObject::boolean(bool value) {
    return made(Kind::Boolean, &PdfObject::integer_, std::int64_t{value ? 1 : 0});
}

PdfObject PdfObject::integer(std::int64_t value) {
    return made(Kind::Integer, &PdfObject::integer_, value);
}

PdfObject PdfObject::real(double value) {
    return made(Kind::Real, &PdfObject::real_, value);
}

PdfObject PdfObject::name(std::string name) {
    return made(Kind::Name, &PdfObject::text_, std::move(name));
}

PdfObject PdfObject::string(std::string bytes) {
    return made(Kind::String, &PdfObject::text_, std::move(bytes));
}

PdfObject PdfObject::array(std::vector<PdfObject> items) {
    return made(Kind::Array, &PdfObject::items_, std::move(items));
}

PdfObject PdfObject::dictionary(Entries entries) {
    return made(Kind::Dictionary, &PdfObject::entries_, std::move(entries));
}

PdfObject PdfObject::reference(PdfReference reference) {
    return made(Kind::Reference, &PdfObject::reference_, reference);
}

std::optional<std::int64_t> PdfObject::integerValue() const noexcept {
    if (kind_ != Kind::Integer) return std::nullopt;
    return integer_;
}

const PdfObject* PdfObject::find(std::string_view key) const noexcept {
    for (const auto& [name, value] : entries_)
        if (name == key) return &value;
    return nullptr;
}

void PdfParser::fail(const std::string& what) const {
    throw PdfSyntaxError(what + " at byte " + std::to_string(at_), false);
}

void PdfParser::cutShort() const {
    throw PdfSyntaxError("the object is cut short", true);
}

void PdfParser::countItem() {
    if (++items_ > kMaxItems) fail("an object with too many items");
}

void PdfParser::skipWhiteSpace() {
    while (at_ < bytes_.size()) {
        const auto c = static_cast<unsigned char>(bytes_[at_]);
        if (c == '%') {
            while (at_ < bytes_.size() && bytes_[at_] != '\n' && bytes_[at_] != '\r') ++at_;
        } else if (isPdfWhiteSpace(c)) {
            ++at_;
        } else {
            return;
        }
    }
}

bool PdfParser::atEnd() {
    skipWhiteSpace();
    return at_ == bytes_.size();
}

std::string PdfParser::regularRun() {
    const std::size_t start = at_;
    while (at_ < bytes_.size() && isPdfRegular(static_cast<unsigned char>(bytes_[at_]))) ++at_;
    // A run that reaches the end may go on in bytes not read yet.
    if (at_ == bytes_.size()) cutShort();
    return std::string(bytes_.substr(start, at_ - start));
}

bool PdfParser::keyword(std::string_view word) {
    skipWhiteSpace();
    const std::size_t end = at_ + word.size();
    if (bytes_.substr(at_, word.size()) != word) {
        // What was read may be the start of the word.
        if (end > bytes_.size() && word.substr(0, bytes_.size() - at_) == bytes_.substr(at_))
            cutShort();
        return false;
    }
    if (end == bytes_.size()) cutShort();
    if (isPdfRegular(static_cast<unsigned char>(bytes_[end]))) return false;
    at_ = end;
    return true;
}

std::optional<std::uint64_t> PdfParser::unsignedInteger() {
    skipWhiteSpace();
    const std::size_t start = at_;
    std::size_t end = start;
    while (end < bytes_.size() && bytes_[end] >= '0' && bytes_[end] <= '9') ++end;
    if (end == bytes_.size()) cutShort();
    if (end == start || end - start > 19 || isPdfRegular(static_cast<unsigned char>(bytes_[end])))
        return std::nullopt;
    std::uint64_t value = 0;
    std::from_chars(bytes_.data() + start, bytes_.data() + end, value);
    at_ = end;
    return value;
}

PdfReference PdfParser::objectHeader() {
    const std::optional<std::uint64_t> number = unsignedInteger();
    const std::optional<std::uint64_t> generation = number ? unsignedInteger() : std::nullopt;
    if (!number || !generation || *number > UINT32_MAX || *generation > 65535 || !keyword("obj"))
        fail("no object begins");
    return PdfReference{static_cast<std::uint32_t>(*number),
                        static_cast<std::uint32_t>(*generation)};
}

PdfObject PdfParser::object() {
    items_ = 0;
    return value(0);
}

PdfObject PdfParser::value(int depth) {
    if (depth > kMaxDepth) fail("objects nested too deeply");
    skipWhiteSpace();
    if (at_ == bytes_.size()) cutShort();
    const char c = bytes_[at_];
    if (c == '/') {
        ++at_;
        std::string raw =
            at_ < bytes_.size() && isPdfRegular(static_cast<unsigned char>(bytes_[at_]))
                ? regularRun()
                : std::string();
        // "#xx" stands for the byte of those hex digits.
        if (raw.find('#') == std::string::npos) return PdfObject::name(std::move(raw));
        std::string name;
        for (std::size_t k = 0; k < raw.size(); ++k) {
            const int high =
                k + 2 < raw.size() ? hexDigitValue(static_cast<unsigned char>(raw[k + 1])) : -1;
            const int low =
                k + 2 < raw.size() ? hexDigitValue(static_cast<unsigned char>(raw[k + 2])) : -1;
            if (raw[k] == '#' && high >= 0 && low >= 0) {
                name += static_cast<char>(high * 16 + low);
                k += 2;
            } else {
                name += raw[k];
            }
        }
        return PdfObject::name(std::move(name));
    }
    if (c == '(') {
        ++at_;
        return PdfObject::string(literalString());
    }
    if (c == '<') {
        if (at_ + 1 == bytes_.size()) cutShort();
        if (bytes_[at_ + 1] != '<') {
            ++at_;
            return PdfObject::string(hexString());
        }
        at_ += 2;
        PdfObject::Entries entries;
        for (;;) {
            skipWhiteSpace();
            if (at_ + 1 >= bytes_.size()) cutShort();
            if (bytes_[at_] == '>' && bytes_[at_ + 1] == '>') {
                at_ += 2;
                return PdfObject::dictionary(std::move(entries));
            }
            if (bytes_[at_] != '/') fail("a dictionary key that is no name");
            PdfObject key = value(depth + 1);
            PdfObject entry = value(depth + 1);
            countItem();
            // A null value is as good as no entry.
            if (!entry.isNull()) entries.emplace_back(key.takeText(), std::move(entry));
        }
    }
    if (c == '[') {
        ++at_;
        std::vector<PdfObject> items;
        for (;;) {
            skipWhiteSpace();
            if (at_ == bytes_.size()) cutShort();
            if (bytes_[at_] == ']') {
                ++at_;
                return PdfObject::array(std::move(items));
            }
            countItem();
            items.push_back(value(depth + 1));
        }
    }
    if (c == '+' || c == '-' || c == '.' || (c >= '0' && c <= '9')) return numberOrReference();
    if (!isPdfRegular(static_cast<unsigned char>(c))) fail("an unexpected delimiter");
    const std::size_t start = at_;
    const std::string word = regularRun();
    if (word == "true") return PdfObject::boolean(true);
    if (word == "false") return PdfObject::boolean(false);
    if (word == "null") return PdfObject();
    at_ = start;
    fail("an unexpected word '" + word.substr(0, 32) + "'");
}

PdfObject PdfParser::numberOrReference() {
    const std::size_t start = at_;
    const std::string word = regularRun();
    const char* first = word.data();
    const char* last = word.data() + word.size();
    if (*first == '+') ++first;
    std::int64_t whole = 0;
    const auto [stop, problem] = std::from_chars(first, last, whole);
    if (problem == std::errc() && stop == last) {
        // "N G R" is a reference; the lookahead goes back when it is not one.
        const std::size_t after = at_;
        if (whole >= 0 && whole <= UINT32_MAX) {
            try {
                const std::optional<std::uint64_t> generation = unsignedInteger();
                if (generation && *generation <= 65535 && keyword("R"))
                    return PdfObject::reference(
                        PdfReference{static_cast<std::uint32_t>(whole),
                                     static_cast<std::uint32_t>(*generation)});
            } catch (const PdfSyntaxError& error) {
                // An integer at the very end of the bytes may yet be a reference.
                if (error.cutShort()) throw;
            }
        }
        at_ = after;
        return PdfObject::integer(whole);
    }
    // A real (read whatever the locale's decimal point).
    double value = 0;
    const auto [realStop, realProblem] = std::from_chars(first, last, value);
    if (realProblem != std::errc() || realStop == first) {
        at_ = start;
        fail("a malformed number");
    }
    return PdfObject::real(value);
}

// From after the "(" to after its ")".
std::string PdfParser::literalString() {
    std::string bytes;
    int depth = 1;
    for (;;) {
        if (at_ >= bytes_.size()) cutShort();
        const char c = bytes_[at_++];
        if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (--depth == 0) return bytes;
        } else if (c == '\r') {
            // A line end in a string is a line feed, whatever its bytes.
            if (at_ >= bytes_.size()) cutShort();
            if (bytes_[at_] == '\n') ++at_;
            bytes += '\n';
            continue;
        } else if (c == '\\') {
            if (at_ >= bytes_.size()) cutShort();
            const char e = bytes_[at_++];
            switch (e) {
                case 'n':
                    bytes += '\n';
                    continue;
                case 'r':
                    bytes += '\r';
                    continue;
                case 't':
                    bytes += '\t';
                    continue;
                case 'b':
                    bytes += '\b';
                    continue;
                case 'f':
                    bytes += '\f';
                    continue;
                case '\n':
                    continue;  // a line end after a backslash joins the lines
                case '\r':
                    if (at_ >= bytes_.size()) cutShort();
                    if (bytes_[at_] == '\n') ++at_;
                    continue;
                default:
                    break;
            }
            if (e >= '0' && e <= '7') {
                unsigned value = static_cast<unsigned>(e - '0');
                for (int more = 0; more < 2; ++more) {
                    if (at_ >= bytes_.size()) cutShort();
                    if (bytes_[at_] < '0' || bytes_[at_] > '7') break;
                    value = value * 8 + static_cast<unsigned>(bytes_[at_++] - '0');
                }
                bytes += static_cast<char>(value & 0xFF);
                continue;
            }
            bytes += e;  // "\(", "\)", "\\" and unknown escapes: the byte itself
            continue;
        }
        bytes += c;
    }
}

// From after the "<" to after its ">"; an odd last digit counts as if a 0
// followed it.
std::string PdfParser::hexString() {
    std::string bytes;
    int high = -1;
    for (;;) {
        if (at_ >= bytes_.size()) cutShort();
        const auto c = static_cast<unsigned char>(bytes_[at_++]);
        if (c == '>') {
            if (high >= 0) bytes += static_cast<char>(high << 4);
            return bytes;
        }
        const int digit = hexDigitValue(c);
        if (digit < 0) {
            if (isPdfWhiteSpace(c)) continue;
            --at_;
            fail("a hex string with a byte that is no digit");
        }
        if (high < 0) {
            high = digit;
        } else {
            bytes += static_cast<char>((high << 4) | digit);
            high = -1;
        }
    }
}

}  // namespace leafwright
