#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace leafwright::cff {

// The pieces of a CFF font program that the rewriting and the subsetting
// share: bounds-checked reading, INDEXes, DICTs and the private parts.
// Every fault is a std::runtime_error saying what is malformed.

[[noreturn]] void malformed(const char* what);

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

Index readIndex(const Reader& in, std::size_t at);

void putU16(std::string& out, unsigned value);

template <typename Items>
std::string writeIndex(const Items& items) {
    std::string out;
    putU16(out, static_cast<unsigned>(items.size()));
    if (items.empty()) return out;
    std::size_t total = 1;
    for (const auto& item : items) total += item.size();
    const unsigned offSize = total < 0x100 ? 1 : total < 0x10000 ? 2 : total < 0x1000000 ? 3 : 4;
    out.reserve(3 + (items.size() + 1) * offSize + total);
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

std::vector<Entry> readDict(std::string_view dict);
const Entry* find(const std::vector<Entry>& entries, int op);
long operand(const Entry* entry, std::size_t i, const char* what);
std::size_t offsetOperand(const Entry* entry, std::size_t i, const Reader& in, const char* what);

void putOperator(std::string& out, int op);
// Integers in their five-byte form, so that a dictionary's size does not
// depend on the offsets it holds.
void putInteger(std::string& out, long value);
void putEntry(std::string& out, const Entry& entry);

// A private DICT and the INDEX of local subroutines it points to.
struct PrivatePart {
    std::vector<Entry> entries;
    std::string_view subrs;  // the whole INDEX, or empty
    Index local;             // its items, read once (a CffProgram keeps them as localSubrs)

    // The DICT written again, pointing to subroutines written right after
    // it (none when subrs is empty).
    std::string bytes(std::string_view subrIndex) const;
};

PrivatePart readPrivate(const Reader& in, const Entry* privateEntry);

// The subroutine of a charstring's number: the INDEX's item at the number
// plus the bias its count sets; nullptr when there is none.
long subroutineBias(std::size_t count);
const std::string_view* subroutine(const Index& subrs, long number);

// Type 2's limit on subroutine calls nested in each other.
constexpr int kMostSubroutineNesting = 10;

// A CFF program read far enough to be written again with other glyphs:
// its one font, the font dictionaries (a name-keyed font's own as the only
// one, without entries) with their private parts, and each glyph's font
// dictionary. The views point into the bytes read.
struct CffProgram {
    std::string_view header;
    std::string_view nameIndex;
    std::vector<Entry> top;
    std::vector<std::string_view> strings;
    Index globalSubrs;
    std::string_view globalSubrIndex;
    Index charStrings;
    std::vector<std::vector<Entry>> fontDicts;
    std::vector<PrivatePart> privates;
    std::vector<Index> localSubrs;
    std::vector<std::uint8_t> fdOfGlyph;
};

CffProgram readCffProgram(std::string_view cff);

// What a CID-keyed program made of a read one holds: the charstring and the
// font dictionary (of the read program) of each CID, and the subroutines.
// Only the font dictionaries some CID uses are written.
struct CidKeyedContent {
    std::vector<std::string_view> charStrings;
    std::vector<unsigned> fdOfCid;
    std::string_view globalSubrIndex;
    std::vector<std::string_view> localSubrIndexes;  // by font dictionary of the read program
};

// The program CID-keyed, ordering Adobe-Identity-0, with the given content.
std::string writeCidKeyed(const CffProgram& program, const CidKeyedContent& content);

}  // namespace leafwright::cff
