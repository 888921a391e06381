#include "cli/terminal_name.h"

#include <locale.h>

#include <clocale>
#include <cwchar>
#include <cwctype>

namespace leafwright::cli {

namespace {

bool isControlByte(unsigned char c) {
    return (c >= 0x01 && c <= 0x1F) || c == 0x7F;
}

// The letter of a C escape for a control character, or 0 when it is
// written as three octal digits.
char escapeLetter(unsigned char c) {
    switch (c) {
        case '\a':
            return 'a';
        case '\b':
            return 'b';
        case '\f':
            return 'f';
        case '\n':
            return 'n';
        case '\r':
            return 'r';
        case '\t':
            return 't';
        case '\v':
            return 'v';
        default:
            return 0;
    }
}

// Builds the quoted form: plain characters inside '...', escapes inside
// $'...', a single quote as '\''.
class ShellEscapedName {
  public:
    ShellEscapedName() : text_("'") {}

    void plain(char c) {
        if (insideEscapes_) {
            text_ += "''";
            insideEscapes_ = false;
        }
        text_ += c;
    }

    void singleQuote() {
        text_ += "'\\''";
        insideEscapes_ = false;
    }

    void escaped(unsigned char c) {
        if (!insideEscapes_) {
            text_ += "'$'";
            insideEscapes_ = true;
        }
        text_ += '\\';
        if (char letter = escapeLetter(c)) {
            text_ += letter;
        } else {
            text_ += static_cast<char>('0' + (c >> 6));
            text_ += static_cast<char>('0' + ((c >> 3) & 7));
            text_ += static_cast<char>('0' + (c & 7));
        }
    }

    std::string finish() { return text_ + "'"; }

  private:
    std::string text_;
    bool insideEscapes_ = false;
};

// Decodes characters in the user's character set (LC_CTYPE from the
// environment) without changing the program's own locale.
class UserCharacters {
  public:
    UserCharacters()
        : locale_(newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr))),
          previous_(locale_ ? uselocale(locale_) : static_cast<locale_t>(nullptr)) {}
    ~UserCharacters() {
        if (!locale_) return;
        uselocale(previous_);
        freelocale(locale_);
    }
    UserCharacters(const UserCharacters&) = delete;
    UserCharacters& operator=(const UserCharacters&) = delete;

    // The length of the printable character at `at`, or 0 when the bytes
    // there do not make one. `invalidTail` is set when the rest of the text
    // is an incomplete character (every byte of it is then escaped).
    std::size_t printableLength(const std::string& text, std::size_t at, bool& invalidTail) const {
        std::mbstate_t state{};
        wchar_t wide = 0;
        const std::size_t length = std::mbrtowc(&wide, text.data() + at, text.size() - at, &state);
        if (length == static_cast<std::size_t>(-2)) invalidTail = true;
        if (length == 0 || length > text.size() - at) return 0;
        return std::iswprint(static_cast<wint_t>(wide)) ? length : 0;
    }

  private:
    locale_t locale_;
    locale_t previous_;
};

}  // namespace

std::string terminalName(const std::string& name) {
    bool hasControl = false;
    for (char c : name) hasControl = hasControl || isControlByte(static_cast<unsigned char>(c));
    if (!hasControl) return name;

    const UserCharacters characters;
    ShellEscapedName quoted;
    bool escapeRest = false;
    for (std::size_t at = 0; at < name.size();) {
        const auto c = static_cast<unsigned char>(name[at]);
        if (c < 0x80 || escapeRest) {
            if (escapeRest || isControlByte(c)) {
                quoted.escaped(c);
            } else if (c == '\'') {
                quoted.singleQuote();
            } else {
                quoted.plain(static_cast<char>(c));
            }
            ++at;
            continue;
        }
        const std::size_t length = characters.printableLength(name, at, escapeRest);
        if (length == 0) {
            // An invalid byte, or a character that cannot be shown: each of
            // its bytes in octal.
            quoted.escaped(c);
            ++at;
            continue;
        }
        for (std::size_t end = at + length; at < end; ++at) quoted.plain(name[at]);
    }
    return quoted.finish();
}

}  // namespace leafwright::cli
