#pragma once

// A plain model of a /ToUnicode map: its entries in the order written, a
// code's text found by going through them from the last (a later entry
// overrides an earlier one). Random maps of
// overlapping single codes and ranges are written out as CMap text, so that
// the reader and its look-ups can be checked against the model. Shared by
// the unit tests and the fuzz target, which draws the choices from its
// input.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/plustools/reference_documents.h"
#include "core/plustools/to_unicode_map.h"

namespace leafwright::testing {

struct ModelEntry {
    std::string low, high;  // code bytes, of one length
    std::u16string text;
    bool incrementing = false;  // a range whose text counts up from `text`
    bool array = false;         // written as a range with an array of texts
};

struct TextMapModel {
    std::vector<ModelEntry> entries;

    static std::string hex(const std::string& bytes) {
        std::string out = "<";
        char digits[3];
        for (unsigned char c : bytes) {
            std::snprintf(digits, sizeof digits, "%02X", c);
            out += digits;
        }
        return out + ">";
    }
    static std::string hex(const std::u16string& units) {
        std::string bytes;
        for (char16_t unit : units) {
            bytes += static_cast<char>(unit >> 8);
            bytes += static_cast<char>(unit & 0xFF);
        }
        return hex(bytes);
    }
    static std::uint64_t valueOf(const std::string& code) {
        std::uint64_t value = 0;
        for (unsigned char c : code) value = value << 8 | c;
        return value;
    }
    static std::string codeOf(std::uint64_t value, std::size_t length) {
        std::string code(length, '\0');
        for (std::size_t k = length; k-- > 0; value >>= 8)
            code[k] = static_cast<char>(value & 0xFF);
        return code;
    }

    // The map as a CMap program: each entry in its own section, in order.
    std::string cmapText() const {
        std::string text = "/CIDInit /ProcSet findresource begin begincmap\n";
        for (const ModelEntry& entry : entries) {
            if (entry.array) {
                text += "1 beginbfrange " + hex(entry.low) + " " + hex(entry.high) + " [";
                const std::uint64_t count = valueOf(entry.high) - valueOf(entry.low) + 1;
                for (std::uint64_t k = 0; k < count; ++k)
                    text += hex(std::u16string(1, static_cast<char16_t>(entry.text[0] + k)));
                text += "] endbfrange\n";
            } else if (entry.incrementing) {
                text += "1 beginbfrange " + hex(entry.low) + " " + hex(entry.high) + " " +
                        hex(entry.text) + " endbfrange\n";
            } else {
                text += "1 beginbfchar " + hex(entry.low) + " " + hex(entry.text) + " endbfchar\n";
            }
        }
        return text + "endcmap\n";
    }

    // The code's text by the plain reading: the last entry that holds it.
    std::string textOf(const std::string& code) const {
        std::string out;
        for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
            const ModelEntry& entry = *it;
            if (entry.low.size() != code.size() || code < entry.low || code > entry.high) continue;
            std::u16string text = entry.text;
            const std::uint64_t offset = valueOf(code) - valueOf(entry.low);
            if (entry.incrementing || entry.array) {
                if (text.back() + offset > 0xFFFF) return "\xEF\xBF\xBD";
                text.back() = static_cast<char16_t>(text.back() + offset);
            }
            appendUtf16AsUtf8(text.data(), text.size(), out);
            return out;
        }
        return "\xEF\xBF\xBD";
    }
};

// A map of up to `count` entries over codes of one or two bytes that lie
// close together, so that they overlap often; some entries are wide ranges
// under which many single codes stand.
inline TextMapModel randomTextMap(const Choose& choose, std::uint32_t count) {
    TextMapModel model;
    for (std::uint32_t k = 0; k < count; ++k) {
        ModelEntry entry;
        const std::size_t length = choose(4) == 0 ? 1 : 2;
        const std::uint64_t space = length == 1 ? 256 : 600;
        const std::uint64_t low = choose(static_cast<std::uint32_t>(space));
        std::uint64_t high = low;
        switch (choose(4)) {
            case 0:  // a wide range
                entry.incrementing = true;
                high = std::min<std::uint64_t>(space - 1, low + choose(400));
                break;
            case 1:  // a short range, or one with an array of texts
                entry.incrementing = choose(2) == 0;
                entry.array = !entry.incrementing;
                high = std::min<std::uint64_t>(space - 1, low + choose(8));
                break;
            default:
                break;
        }
        entry.low = TextMapModel::codeOf(low, length);
        entry.high = TextMapModel::codeOf(high, length);
        // Texts near U+FFFF, so that ranges count past it (arrays write
        // every text themselves, and stay below).
        const bool nearTop = !entry.array && choose(3) == 0;
        const char16_t first =
            static_cast<char16_t>(nearTop ? 0xFFF0 + choose(15) : 0x41 + choose(0x4E00));
        entry.text = std::u16string(1, first);
        if (!entry.incrementing && !entry.array && choose(5) == 0) entry.text += u'\u0301';
        model.entries.push_back(entry);
    }
    return model;
}

}  // namespace leafwright::testing
