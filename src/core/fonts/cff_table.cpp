#include "core/fonts/cff_table.h"

#include <cstdint>
#include <optional>
#include <stdexcept>

#include "core/fonts/charstring_width.h"

namespace leafwright {
namespace {

[[noreturn]] void malformed(const char* what) {
    throw std::runtime_error(std::string("the CFF font program is malformed: ") + what);
}

// Operators of the dictionaries; the two-byte ones (12 x) as 1200 + x.
enum Operator : int {
    kCharset = 15,
    kEncoding = 16,
    kCharStrings = 17,
    kPrivate = 18,
    kSubrs = 19,
    kUniqueId = 13,
    kXuid = 14,
    kCharstringType = 1206,
    kFontMatrix = 1207,
    kDefaultWidthX = 20,
    kNominalWidthX = 21,
    kSyntheticBase = 1220,
    kRos = 1230,
    kCidCount = 1234,
    kUidBase = 1235,
    kFdArray = 1236,
    kFdSelect = 1237,
};

class Reader {
  public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    std::size_t size() const { return bytes_.size(); }
    unsigned byte(std::size_t at) const {
        if (at >= bytes_.size()) malformed("it ends early");
        return static_cast<unsigned char>(bytes_[at]);
    }
    unsigned u16(std::size_t at) const { return (byte(at) << 8) | byte(at + 1); }
    std::uint32_t offset(std::size_t at, unsigned size) const {
        std::uint32_t value = 0;
        for (unsigned i = 0; i < size; ++i) value = (value << 8) | byte(at + i);
        return value;
    }
    std::string_view range(std::size_t from, std::size_t length) const {
        if (from > bytes_.size() || length > bytes_.size() - from) malformed("it ends early");
        return bytes_.substr(from, length);
    }

  private:
    std::string_view bytes_;
};

// An INDEX: its items, and where it ends.
struct Index {
    std::vector<std::string_view> items;
    std::size_t end = 0;
};

Index readIndex(const Reader& in, std::size_t at) {
    Index index;
    const unsigned count = in.u16(at);
    if (count == 0) {
        index.end = at + 2;
        return index;
    }
    const unsigned offSize = in.byte(at + 2);
    if (offSize < 1 || offSize > 4) malformed("an INDEX has a bad offset size");
    const std::size_t offsets = at + 3;
    const std::size_t dataStart = offsets + (std::size_t{count} + 1) * offSize - 1;
    index.items.reserve(count);
    std::uint32_t previous = in.offset(offsets, offSize);
    if (previous != 1) malformed("an INDEX does not start at offset 1");
    for (unsigned i = 1; i <= count; ++i) {
        const std::uint32_t next = in.offset(offsets + std::size_t{i} * offSize, offSize);
        if (next < previous) malformed("an INDEX goes backwards");
        index.items.push_back(in.range(dataStart + previous, next - previous));
        previous = next;
    }
    index.end = dataStart + previous;
    return index;
}

void putU16(std::string& out, unsigned value) {
    out += static_cast<char>((value >> 8) & 0xFF);
    out += static_cast<char>(value & 0xFF);
}

template <typename Items>
std::string writeIndex(const Items& items) {
    std::string out;
    putU16(out, static_cast<unsigned>(items.size()));
    if (items.empty()) return out;
    std::size_t total = 1;
    for (const auto& item : items) total += item.size();
    const unsigned offSize = total < 0x100 ? 1 : total < 0x10000 ? 2 : total < 0x1000000 ? 3 : 4;
    out += static_cast<char>(offSize);
    std::size_t offset = 1;
    auto putOffset = [&](std::size_t value) {
        for (int shift = static_cast<int>(offSize - 1) * 8; shift >= 0; shift -= 8)
            out += static_cast<char>((value >> shift) & 0xFF);
    };
    putOffset(offset);
    for (const auto& item : items) putOffset(offset += item.size());
    for (const auto& item : items) out.append(item.data(), item.size());
    return out;
}

// One entry of a DICT: its operator, its operands as written and as numbers
// (reals are kept as written only; the operators read here take integers).
struct Entry {
    int op = 0;
    std::string_view operandBytes;
    std::vector<long> integers;
};

std::vector<Entry> readDict(std::string_view dict) {
    std::vector<Entry> entries;
    const Reader in(dict);
    std::size_t at = 0, operandsStart = 0;
    std::vector<long> integers;
    while (at < dict.size()) {
        const unsigned b0 = in.byte(at);
        if (b0 <= 21) {
            int op = static_cast<int>(b0);
            std::size_t opEnd = at + 1;
            if (b0 == 12) {
                op = 1200 + static_cast<int>(in.byte(at + 1));
                opEnd = at + 2;
            }
            entries.push_back({op, dict.substr(operandsStart, at - operandsStart), integers});
            integers.clear();
            at = operandsStart = opEnd;
        } else if (b0 == 28) {
            integers.push_back(static_cast<std::int16_t>(in.u16(at + 1)));
            at += 3;
        } else if (b0 == 29) {
            integers.push_back(static_cast<std::int32_t>(in.offset(at + 1, 4)));
            at += 5;
        } else if (b0 == 30) {
            // A real: nibbles up to one of 0xF.
            ++at;
            for (;;) {
                const unsigned b = in.byte(at++);
                if ((b & 0x0F) == 0x0F || (b >> 4) == 0x0F) break;
            }
            integers.push_back(0);
        } else if (b0 >= 32 && b0 <= 246) {
            integers.push_back(static_cast<long>(b0) - 139);
            at += 1;
        } else if (b0 >= 247 && b0 <= 250) {
            integers.push_back((static_cast<long>(b0) - 247) * 256 + in.byte(at + 1) + 108);
            at += 2;
        } else if (b0 >= 251 && b0 <= 254) {
            integers.push_back(-(static_cast<long>(b0) - 251) * 256 - in.byte(at + 1) - 108);
            at += 2;
        } else {
            malformed("a DICT holds a reserved byte");
        }
    }
    if (operandsStart != dict.size()) malformed("a DICT ends with operands");
    return entries;
}

const Entry* find(const std::vector<Entry>& entries, int op) {
    for (const Entry& entry : entries)
        if (entry.op == op) return &entry;
    return nullptr;
}

long operand(const Entry* entry, std::size_t i, const char* what) {
    if (!entry || entry->integers.size() <= i) malformed(what);
    return entry->integers[i];
}

std::size_t offsetOperand(const Entry* entry, std::size_t i, const Reader& in, const char* what) {
    const long value = operand(entry, i, what);
    if (value < 0 || static_cast<std::size_t>(value) > in.size()) malformed(what);
    return static_cast<std::size_t>(value);
}

void putOperator(std::string& out, int op) {
    if (op >= 1200) {
        out += static_cast<char>(12);
        out += static_cast<char>(op - 1200);
    } else {
        out += static_cast<char>(op);
    }
}

// Integers in their five-byte form, so that a dictionary's size does not
// depend on the offsets it holds.
void putInteger(std::string& out, long value) {
    out += static_cast<char>(29);
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((static_cast<std::uint32_t>(value) >> shift) & 0xFF);
}

void putEntry(std::string& out, const Entry& entry) {
    out.append(entry.operandBytes.data(), entry.operandBytes.size());
    putOperator(out, entry.op);
}

// A private DICT with the local subroutines right after it.
struct PrivatePart {
    std::vector<Entry> entries;
    std::string_view subrs;  // the whole INDEX, or empty

    std::string bytes() const {
        std::string dict;
        for (const Entry& entry : entries)
            if (entry.op != kSubrs) putEntry(dict, entry);
        if (!subrs.empty()) {
            // Its offset counts from the dictionary's start: the dictionary's size.
            putInteger(dict, static_cast<long>(dict.size() + 6));
            putOperator(dict, kSubrs);
        }
        return dict;
    }
};

PrivatePart readPrivate(const Reader& in, const Entry* privateEntry) {
    const std::size_t size = offsetOperand(privateEntry, 0, in, "a Private entry is missing");
    const std::size_t at = offsetOperand(privateEntry, 1, in, "a Private entry is missing");
    PrivatePart part;
    part.entries = readDict(in.range(at, size));
    if (const Entry* subrs = find(part.entries, kSubrs)) {
        const long relative = operand(subrs, 0, "bad Subrs");
        if (relative < 0 || at + static_cast<std::size_t>(relative) > in.size())
            malformed("bad Subrs");
        const std::size_t start = at + static_cast<std::size_t>(relative);
        part.subrs = in.range(start, readIndex(in, start).end - start);
    }
    return part;
}

// The font dictionary of each glyph from an FDSelect.
std::vector<unsigned> readFdSelect(const Reader& in, std::size_t at, std::size_t glyphs,
                                   std::size_t fonts) {
    std::vector<unsigned> fdOf(glyphs, 0);
    const unsigned format = in.byte(at);
    if (format == 0) {
        for (std::size_t g = 0; g < glyphs; ++g) fdOf[g] = in.byte(at + 1 + g);
    } else if (format == 3) {
        const unsigned ranges = in.u16(at + 1);
        for (unsigned r = 0; r < ranges; ++r) {
            const std::size_t range = at + 3 + std::size_t{r} * 3;
            const unsigned first = in.u16(range), fd = in.byte(range + 2);
            const unsigned end = in.u16(range + 3);  // the next range's first, or the sentinel
            for (unsigned g = first; g < end && g < glyphs; ++g) fdOf[g] = fd;
        }
    } else {
        malformed("an FDSelect of an unknown format");
    }
    for (unsigned fd : fdOf)
        if (fd >= fonts) malformed("an FDSelect names a missing font dictionary");
    return fdOf;
}

// The SID of a string, added to the strings when it is not among them.
unsigned sidOf(std::vector<std::string_view>& strings, std::string_view text) {
    constexpr unsigned kStandardStrings = 391;
    for (std::size_t i = 0; i < strings.size(); ++i)
        if (strings[i] == text) return kStandardStrings + static_cast<unsigned>(i);
    strings.push_back(text);
    return kStandardStrings + static_cast<unsigned>(strings.size() - 1);
}

}  // namespace

std::string cidKeyedCff(std::string_view cff, const std::vector<GlyphId>& glyphOfCid,
                        const std::vector<int>& widthOfCid) {
    if (glyphOfCid.size() > 0xFFFF) throw std::runtime_error("too many glyphs for a CFF font");
    const std::size_t cidCount = glyphOfCid.empty() ? 1 : glyphOfCid.size();
    const Reader in(cff);
    if (in.byte(0) != 1) malformed("not CFF version 1");
    const std::size_t headerSize = in.byte(2);
    if (headerSize < 4) malformed("a header too short");
    const Index names = readIndex(in, headerSize);
    const Index tops = readIndex(in, names.end);
    const Index strings = readIndex(in, tops.end);
    const Index globalSubrs = readIndex(in, strings.end);
    if (names.items.size() != 1 || tops.items.size() != 1) malformed("not one font");
    const std::vector<Entry> top = readDict(tops.items.front());
    if (const Entry* type = find(top, kCharstringType); type && operand(type, 0, "") != 2)
        malformed("charstrings of a type other than 2");

    const Index charStrings =
        readIndex(in, offsetOperand(find(top, kCharStrings), 0, in, "no CharStrings"));
    const std::size_t glyphs = charStrings.items.size();
    if (glyphs == 0) malformed("no glyphs");

    // The font dictionaries (a name-keyed font's own as the only one) and
    // their private parts.
    std::vector<std::vector<Entry>> fontDicts;
    std::vector<PrivatePart> privates;
    std::vector<unsigned> fdOf(glyphs, 0);
    if (find(top, kRos)) {
        const Index fdArray =
            readIndex(in, offsetOperand(find(top, kFdArray), 0, in, "no FDArray"));
        if (fdArray.items.empty() || fdArray.items.size() > 255) malformed("a bad FDArray");
        for (std::string_view dict : fdArray.items) {
            fontDicts.push_back(readDict(dict));
            privates.push_back(readPrivate(in, find(fontDicts.back(), kPrivate)));
        }
        fdOf = readFdSelect(in, offsetOperand(find(top, kFdSelect), 0, in, "no FDSelect"), glyphs,
                            fontDicts.size());
    } else {
        fontDicts.emplace_back();
        privates.push_back(readPrivate(in, find(top, kPrivate)));
    }

    std::vector<std::string_view> stringItems = strings.items;
    const unsigned adobe = sidOf(stringItems, "Adobe");
    const unsigned identity = sidOf(stringItems, "Identity");
    const std::string stringIndex = writeIndex(stringItems);

    // The charstrings by CID, each with its font dictionary.
    static const std::string kEmpty(1, static_cast<char>(14));  // endchar
    std::vector<std::string_view> cidCharStrings(cidCount, kEmpty);
    // Widths are set only in the usual units, a thousandth of the em.
    bool usualUnits = !find(top, kFontMatrix);
    for (const std::vector<Entry>& dict : fontDicts)
        if (find(dict, kFontMatrix)) usualUnits = false;
    std::vector<std::string> widened(widthOfCid.size());
    std::vector<Index> localSubrs;
    // Each private dict's nominal and default widths, which the charstrings'
    // widths are counted from; none where one is a real number, which the
    // dict reader does not keep (the charstrings are then left as they are).
    std::vector<std::optional<std::pair<long, long>>> widthsFrom;
    const auto integral = [](const Entry* entry) {
        return !entry || entry->operandBytes.empty() ||
               static_cast<unsigned char>(entry->operandBytes[0]) != 30;
    };
    for (const PrivatePart& part : privates) {
        localSubrs.push_back(part.subrs.empty() ? Index{} : readIndex(Reader(part.subrs), 0));
        const Entry* nominal = find(part.entries, kNominalWidthX);
        const Entry* standard = find(part.entries, kDefaultWidthX);
        if (!usualUnits || widthOfCid.empty() || !integral(nominal) || !integral(standard))
            widthsFrom.emplace_back();
        else
            widthsFrom.emplace_back(
                std::pair(nominal ? operand(nominal, 0, "nominalWidthX has no value") : 0,
                          standard ? operand(standard, 0, "defaultWidthX has no value") : 0));
    }
    auto called = [](const Index& subrs, long number) -> std::optional<std::string_view> {
        const std::size_t count = subrs.items.size();
        const long bias = count < 1240 ? 107 : count < 33900 ? 1131 : 32768;
        const long index = number + bias;
        if (index < 0 || static_cast<std::size_t>(index) >= count) return std::nullopt;
        return subrs.items[static_cast<std::size_t>(index)];
    };
    std::string fdSelect(1, '\0');  // format 0: a byte per glyph
    fdSelect += static_cast<char>(fdOf[0]);
    for (std::size_t cid = 1; cid < cidCount; ++cid) {
        const GlyphId glyph = glyphOfCid[cid];
        if (glyph >= glyphs) malformed("a glyph beyond the font's");
        if (glyph != 0) cidCharStrings[cid] = charStrings.items[glyph];
        const auto& widths = widthsFrom[fdOf[glyph]];
        if (glyph != 0 && widths && cid < widthOfCid.size()) {
            const Index& local = localSubrs[fdOf[glyph]];
            std::optional<std::string> charString =
                withCharStringWidth(cidCharStrings[cid], widthOfCid[cid], widths->first,
                                    widths->second, [&](bool global, long number) {
                                        return called(global ? globalSubrs : local, number);
                                    });
            if (charString) {
                widened[cid] = std::move(*charString);
                cidCharStrings[cid] = widened[cid];
            }
        }
        fdSelect += static_cast<char>(fdOf[glyph]);
    }
    std::string charset;
    if (cidCount > 1) {
        charset += static_cast<char>(2);  // one range: glyph n is CID n
        putU16(charset, 1);
        putU16(charset, static_cast<unsigned>(cidCount - 2));
    } else {
        charset += static_cast<char>(0);
    }
    const std::string charStringIndex = writeIndex(cidCharStrings);

    std::vector<std::string> privateBytes;
    for (const PrivatePart& part : privates) {
        privateBytes.push_back(part.bytes());
        privateBytes.back().append(part.subrs.data(), part.subrs.size());
    }

    // The top DICT and the font dictionaries hold offsets in five-byte
    // integers, so they are sized first with zeros and written again.
    auto topDict = [&](std::size_t charsetAt, std::size_t fdSelectAt, std::size_t charStringsAt,
                       std::size_t fdArrayAt) {
        std::string dict;
        putInteger(dict, adobe);
        putInteger(dict, identity);
        putInteger(dict, 0);
        putOperator(dict, kRos);
        for (const Entry& entry : top) {
            switch (entry.op) {
                case kRos:
                case kCharStrings:
                case kCharset:
                case kEncoding:
                case kPrivate:
                case kFdArray:
                case kFdSelect:
                case kCidCount:
                case kUidBase:
                case kUniqueId:
                case kXuid:
                case kSyntheticBase:
                    continue;
                default:
                    putEntry(dict, entry);
            }
        }
        putInteger(dict, static_cast<long>(cidCount));
        putOperator(dict, kCidCount);
        putInteger(dict, static_cast<long>(charsetAt));
        putOperator(dict, kCharset);
        putInteger(dict, static_cast<long>(fdSelectAt));
        putOperator(dict, kFdSelect);
        putInteger(dict, static_cast<long>(charStringsAt));
        putOperator(dict, kCharStrings);
        putInteger(dict, static_cast<long>(fdArrayAt));
        putOperator(dict, kFdArray);
        return dict;
    };
    auto fdArray = [&](std::size_t privatesAt) {
        std::vector<std::string> dicts;
        std::size_t at = privatesAt;
        for (std::size_t i = 0; i < fontDicts.size(); ++i) {
            std::string dict;
            for (const Entry& entry : fontDicts[i])
                if (entry.op != kPrivate) putEntry(dict, entry);
            const std::size_t dictSize = privateBytes[i].size() - privates[i].subrs.size();
            putInteger(dict, static_cast<long>(dictSize));
            putInteger(dict, static_cast<long>(at));
            putOperator(dict, kPrivate);
            dicts.push_back(std::move(dict));
            at += privateBytes[i].size();
        }
        return writeIndex(dicts);
    };

    const std::string_view header = in.range(0, headerSize);
    const std::string_view nameIndex = in.range(headerSize, names.end - headerSize);
    const std::string_view globalSubrIndex = in.range(strings.end, globalSubrs.end - strings.end);
    const std::size_t topIndexSize =
        writeIndex(std::vector<std::string>{topDict(0, 0, 0, 0)}).size();
    const std::size_t charsetAt = header.size() + nameIndex.size() + topIndexSize +
                                  stringIndex.size() + globalSubrIndex.size();
    const std::size_t fdSelectAt = charsetAt + charset.size();
    const std::size_t charStringsAt = fdSelectAt + fdSelect.size();
    const std::size_t fdArrayAt = charStringsAt + charStringIndex.size();
    const std::size_t privatesAt = fdArrayAt + fdArray(0).size();

    std::string out;
    out.append(header.data(), header.size());
    out.append(nameIndex.data(), nameIndex.size());
    out += writeIndex(
        std::vector<std::string>{topDict(charsetAt, fdSelectAt, charStringsAt, fdArrayAt)});
    out += stringIndex;
    out.append(globalSubrIndex.data(), globalSubrIndex.size());
    out += charset;
    out += fdSelect;
    out += charStringIndex;
    out += fdArray(privatesAt);
    for (const std::string& part : privateBytes) out += part;
    return out;
}

}  // namespace leafwright
