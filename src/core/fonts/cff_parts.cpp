#include "core/fonts/cff_parts.h"

#include <stdexcept>
#include <utility>

namespace leafwright::cff {

void malformed(const char* what) {
    throw std::runtime_error(std::string("the CFF font program is malformed: ") + what);
}

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
    // The last offset is read first, so that a count beyond the bytes is
    // refused before room is made for it.
    in.offset(offsets + std::size_t{count} * offSize, offSize);
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

void putInteger(std::string& out, long value) {
    out += static_cast<char>(29);
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((static_cast<std::uint32_t>(value) >> shift) & 0xFF);
}

void putEntry(std::string& out, const Entry& entry) {
    out.append(entry.operandBytes.data(), entry.operandBytes.size());
    putOperator(out, entry.op);
}

std::string PrivatePart::bytes(std::string_view subrIndex) const {
    std::string dict;
    for (const Entry& entry : entries)
        if (entry.op != kSubrs) putEntry(dict, entry);
    if (!subrIndex.empty()) {
        // Its offset counts from the dictionary's start: the dictionary's size.
        putInteger(dict, static_cast<long>(dict.size() + 6));
        putOperator(dict, kSubrs);
    }
    return dict;
}

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
        part.local = readIndex(in, start);
        part.subrs = in.range(start, part.local.end - start);
    }
    return part;
}

long subroutineBias(std::size_t count) {
    return count < 1240 ? 107 : count < 33900 ? 1131 : 32768;
}

const std::string_view* subroutine(const Index& subrs, long number) {
    const std::size_t count = subrs.items.size();
    const long index = number + subroutineBias(count);
    if (index < 0 || static_cast<std::size_t>(index) >= count) return nullptr;
    return &subrs.items[static_cast<std::size_t>(index)];
}

namespace {

// The font dictionary of each glyph from an FDSelect.
std::vector<std::uint8_t> readFdSelect(const Reader& in, std::size_t at, std::size_t glyphs,
                                       std::size_t fonts) {
    std::vector<std::uint8_t> fdOf(glyphs, 0);
    const unsigned format = in.byte(at);
    if (format == 0) {
        for (std::size_t g = 0; g < glyphs; ++g)
            fdOf[g] = static_cast<std::uint8_t>(in.byte(at + 1 + g));
    } else if (format == 3) {
        const unsigned ranges = in.u16(at + 1);
        for (unsigned r = 0; r < ranges; ++r) {
            const std::size_t range = at + 3 + std::size_t{r} * 3;
            const unsigned first = in.u16(range), fd = in.byte(range + 2);
            const unsigned end = in.u16(range + 3);  // the next range's first, or the sentinel
            for (unsigned g = first; g < end && g < glyphs; ++g)
                fdOf[g] = static_cast<std::uint8_t>(fd);
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

CffProgram readCffProgram(std::string_view cff) {
    CffProgram program;
    const Reader in(cff);
    if (in.byte(0) != 1) malformed("not CFF version 1");
    const std::size_t headerSize = in.byte(2);
    if (headerSize < 4) malformed("a header too short");
    const Index names = readIndex(in, headerSize);
    const Index tops = readIndex(in, names.end);
    const Index strings = readIndex(in, tops.end);
    program.globalSubrs = readIndex(in, strings.end);
    if (names.items.size() != 1 || tops.items.size() != 1) malformed("not one font");
    program.header = in.range(0, headerSize);
    program.nameIndex = in.range(headerSize, names.end - headerSize);
    program.strings = strings.items;
    program.globalSubrIndex = in.range(strings.end, program.globalSubrs.end - strings.end);
    program.top = readDict(tops.items.front());
    const std::vector<Entry>& top = program.top;
    if (const Entry* type = find(top, kCharstringType); type && operand(type, 0, "") != 2)
        malformed("charstrings of a type other than 2");

    program.charStrings =
        readIndex(in, offsetOperand(find(top, kCharStrings), 0, in, "no CharStrings"));
    const std::size_t glyphs = program.charStrings.items.size();
    if (glyphs == 0) malformed("no glyphs");

    if (find(top, kRos)) {
        const Index fdArray =
            readIndex(in, offsetOperand(find(top, kFdArray), 0, in, "no FDArray"));
        if (fdArray.items.empty() || fdArray.items.size() > 255) malformed("a bad FDArray");
        for (std::string_view dict : fdArray.items) {
            program.fontDicts.push_back(readDict(dict));
            program.privates.push_back(readPrivate(in, find(program.fontDicts.back(), kPrivate)));
        }
        program.fdOfGlyph =
            readFdSelect(in, offsetOperand(find(top, kFdSelect), 0, in, "no FDSelect"), glyphs,
                         program.fontDicts.size());
    } else {
        program.fontDicts.emplace_back();
        program.privates.push_back(readPrivate(in, find(top, kPrivate)));
        program.fdOfGlyph.assign(glyphs, 0);
    }
    for (PrivatePart& part : program.privates) program.localSubrs.push_back(std::move(part.local));
    return program;
}

std::string writeCidKeyed(const CffProgram& program, const CidKeyedContent& content) {
    const std::size_t cidCount = content.charStrings.size();
    if (cidCount == 0 || cidCount > 0xFFFF || content.fdOfCid.size() != cidCount)
        throw std::runtime_error("a CFF font of no glyphs or too many");

    std::vector<std::string_view> stringItems = program.strings;
    const unsigned adobe = sidOf(stringItems, "Adobe");
    const unsigned identity = sidOf(stringItems, "Identity");
    const std::string stringIndex = writeIndex(stringItems);

    // The font dictionaries some CID uses, in their order, numbered anew.
    std::vector<int> newFd(program.fontDicts.size(), -1);
    for (unsigned fd : content.fdOfCid) newFd.at(fd) = 0;
    std::vector<std::size_t> keptFds;
    for (std::size_t fd = 0; fd < newFd.size(); ++fd)
        if (newFd[fd] == 0) {
            newFd[fd] = static_cast<int>(keptFds.size());
            keptFds.push_back(fd);
        }

    std::string fdSelect(1, '\0');  // format 0: a byte per glyph
    for (unsigned fd : content.fdOfCid) fdSelect += static_cast<char>(newFd[fd]);
    std::string charset;
    if (cidCount > 1) {
        charset += static_cast<char>(2);  // one range: glyph n is CID n
        putU16(charset, 1);
        putU16(charset, static_cast<unsigned>(cidCount - 2));
    } else {
        charset += static_cast<char>(0);
    }
    const std::string charStringIndex = writeIndex(content.charStrings);

    std::vector<std::string> privateBytes;
    std::vector<std::size_t> privateDictSizes;
    for (std::size_t fd : keptFds) {
        const std::string_view subrs = content.localSubrIndexes.at(fd);
        privateBytes.push_back(program.privates[fd].bytes(subrs));
        privateDictSizes.push_back(privateBytes.back().size());
        privateBytes.back().append(subrs.data(), subrs.size());
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
        for (const Entry& entry : program.top) {
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
        for (std::size_t i = 0; i < keptFds.size(); ++i) {
            std::string dict;
            for (const Entry& entry : program.fontDicts[keptFds[i]])
                if (entry.op != kPrivate) putEntry(dict, entry);
            putInteger(dict, static_cast<long>(privateDictSizes[i]));
            putInteger(dict, static_cast<long>(at));
            putOperator(dict, kPrivate);
            dicts.push_back(std::move(dict));
            at += privateBytes[i].size();
        }
        return writeIndex(dicts);
    };

    const std::size_t topIndexSize =
        writeIndex(std::vector<std::string>{topDict(0, 0, 0, 0)}).size();
    const std::size_t charsetAt = program.header.size() + program.nameIndex.size() + topIndexSize +
                                  stringIndex.size() + content.globalSubrIndex.size();
    const std::size_t fdSelectAt = charsetAt + charset.size();
    const std::size_t charStringsAt = fdSelectAt + fdSelect.size();
    const std::size_t fdArrayAt = charStringsAt + charStringIndex.size();
    const std::size_t privatesAt = fdArrayAt + fdArray(0).size();

    std::string out;
    out.append(program.header.data(), program.header.size());
    out.append(program.nameIndex.data(), program.nameIndex.size());
    out += writeIndex(
        std::vector<std::string>{topDict(charsetAt, fdSelectAt, charStringsAt, fdArrayAt)});
    out += stringIndex;
    out.append(content.globalSubrIndex.data(), content.globalSubrIndex.size());
    out += charset;
    out += fdSelect;
    out += charStringIndex;
    out += fdArray(privatesAt);
    for (const std::string& part : privateBytes) out += part;
    return out;
}

}  // namespace leafwright::cff
