#include "core/fonts/composite_glyphs.h"

#include <algorithm>
#include <map>

namespace leafwright {
namespace {

std::uint32_t read16(std::string_view bytes, std::size_t at) {
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) << 8) |
           static_cast<unsigned char>(bytes[at + 1]);
}

std::uint32_t read32(std::string_view bytes, std::size_t at) {
    return (read16(bytes, at) << 16) | read16(bytes, at + 2);
}

int readSigned16(std::string_view bytes, std::size_t at) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(read16(bytes, at)));
}

void put16(std::string& out, std::uint32_t value) {
    out += static_cast<char>((value >> 8) & 0xFF);
    out += static_cast<char>(value & 0xFF);
}

void put32(std::string& out, std::uint32_t value) {
    put16(out, value >> 16);
    put16(out, value & 0xFFFF);
}

void set16(std::string& bytes, std::size_t at, std::uint32_t value) {
    bytes[at] = static_cast<char>((value >> 8) & 0xFF);
    bytes[at + 1] = static_cast<char>(value & 0xFF);
}

std::uint32_t tagOf(const char* name) {
    return (static_cast<std::uint32_t>(name[0]) << 24) |
           (static_cast<std::uint32_t>(name[1]) << 16) |
           (static_cast<std::uint32_t>(name[2]) << 8) | static_cast<std::uint32_t>(name[3]);
}

std::uint32_t checksum(std::string_view bytes) {
    std::uint32_t sum = 0;
    for (std::size_t at = 0; at < bytes.size(); at += 4) {
        std::uint32_t word = 0;
        for (std::size_t k = 0; k < 4; ++k)
            word = (word << 8) |
                   (at + k < bytes.size() ? static_cast<unsigned char>(bytes[at + k]) : 0u);
        sum += word;
    }
    return sum;
}

// The tables of a TrueType program, checked to lie inside it.
struct Tables {
    std::uint32_t version = 0;
    std::map<std::uint32_t, std::string_view> byTag;

    std::string_view table(const char* name) const {
        const auto found = byTag.find(tagOf(name));
        return found == byTag.end() ? std::string_view() : found->second;
    }
};

std::optional<Tables> readTables(std::string_view program) {
    if (program.size() < 12) return std::nullopt;
    Tables tables;
    tables.version = read32(program, 0);
    const std::uint32_t count = read16(program, 4);
    if (program.size() < 12 + 16 * static_cast<std::size_t>(count)) return std::nullopt;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t record = 12 + 16 * static_cast<std::size_t>(i);
        const std::uint32_t offset = read32(program, record + 8);
        const std::uint32_t length = read32(program, record + 12);
        if (offset > program.size() || length > program.size() - offset) return std::nullopt;
        tables.byTag[read32(program, record)] = program.substr(offset, length);
    }
    return tables;
}

// The start and end of every glyph in glyf, checked.
struct Layout {
    Tables tables;
    TrueTypeGlyphs glyphs;
    std::vector<std::uint32_t> starts;  // glyphCount + 1 of them
    std::vector<int> leftBearings;
};

std::optional<Layout> readLayout(std::string_view program) {
    std::optional<Tables> tables = readTables(program);
    if (!tables) return std::nullopt;
    const std::string_view head = tables->table("head"), maxp = tables->table("maxp"),
                           hhea = tables->table("hhea"), hmtx = tables->table("hmtx"),
                           loca = tables->table("loca"), glyf = tables->table("glyf");
    if (head.size() < 54 || maxp.size() < 6 || hhea.size() < 36 || glyf.empty())
        return std::nullopt;
    Layout layout{*tables, {}, {}, {}};
    layout.glyphs.unitsPerEm = static_cast<int>(read16(head, 18));
    const std::uint32_t count = read16(maxp, 4);
    layout.glyphs.glyphCount = count;
    const bool longOffsets = read16(head, 50) != 0;
    if (layout.glyphs.unitsPerEm == 0 || count == 0 ||
        loca.size() < (count + 1) * static_cast<std::size_t>(longOffsets ? 4 : 2))
        return std::nullopt;
    for (std::uint32_t g = 0; g <= count; ++g) {
        const std::uint32_t start = longOffsets ? read32(loca, 4 * g) : 2 * read16(loca, 2 * g);
        if (start > glyf.size() || (g > 0 && start < layout.starts.back())) return std::nullopt;
        layout.starts.push_back(start);
    }
    const std::uint32_t metrics = read16(hhea, 34);
    if (metrics == 0 || metrics > count ||
        hmtx.size() < 4 * static_cast<std::size_t>(metrics) + 2 * (count - metrics))
        return std::nullopt;
    for (std::uint32_t g = 0; g < count; ++g) {
        if (g < metrics) {
            layout.glyphs.advances.push_back(static_cast<int>(read16(hmtx, 4 * g)));
            layout.leftBearings.push_back(readSigned16(hmtx, 4 * g + 2));
        } else {
            layout.glyphs.advances.push_back(layout.glyphs.advances.back());
            layout.leftBearings.push_back(readSigned16(hmtx, 4 * metrics + 2 * (g - metrics)));
        }
    }
    return layout;
}

// A composite's glyf entry: the header with the box around its components,
// then each component moved by its offset.
std::string compositeEntry(const Layout& layout, const CompositeGlyph& composite, bool& deeper) {
    const std::string_view glyf = layout.tables.table("glyf");
    int xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    bool any = false;
    for (const GlyphComponent& component : composite.components) {
        const std::uint32_t start = layout.starts[component.glyph];
        if (layout.starts[component.glyph + 1] - start < 10) continue;  // draws nothing
        if (readSigned16(glyf, start) < 0) deeper = true;
        const int left = readSigned16(glyf, start + 2) + component.dx;
        const int bottom = readSigned16(glyf, start + 4) + component.dy;
        const int right = readSigned16(glyf, start + 6) + component.dx;
        const int top = readSigned16(glyf, start + 8) + component.dy;
        xMin = any ? std::min(xMin, left) : left;
        yMin = any ? std::min(yMin, bottom) : bottom;
        xMax = any ? std::max(xMax, right) : right;
        yMax = any ? std::max(yMax, top) : top;
        any = true;
    }
    auto clamp = [](int value) {
        return static_cast<std::uint32_t>(static_cast<std::uint16_t>(
            static_cast<std::int16_t>(std::clamp(value, -32768, 32767))));
    };
    std::string entry;
    put16(entry, 0xFFFF);  // -1 contours: a composite
    for (int value : {xMin, yMin, xMax, yMax}) put16(entry, clamp(value));
    constexpr std::uint32_t kWordArguments = 0x0001, kOffsets = 0x0002, kMore = 0x0020;
    for (std::size_t i = 0; i < composite.components.size(); ++i) {
        const GlyphComponent& component = composite.components[i];
        put16(entry, kWordArguments | kOffsets | (i + 1 < composite.components.size() ? kMore : 0));
        put16(entry, component.glyph);
        put16(entry, clamp(component.dx));
        put16(entry, clamp(component.dy));
    }
    while (entry.size() % 4 != 0) entry += '\0';
    return entry;
}

}  // namespace

std::optional<TrueTypeGlyphs> readTrueTypeGlyphs(std::string_view program) {
    std::optional<Layout> layout = readLayout(program);
    if (!layout) return std::nullopt;
    return layout->glyphs;
}

std::optional<std::string> withCompositeGlyphs(std::string_view program,
                                               const std::vector<CompositeGlyph>& composites) {
    std::optional<Layout> layout = readLayout(program);
    if (!layout) return std::nullopt;
    const std::uint32_t oldCount = layout->glyphs.glyphCount;
    const std::size_t total = oldCount + composites.size();
    if (total > 0xFFFF) return std::nullopt;
    const Tables& tables = layout->tables;

    // glyf and loca: the glyphs as they were, each started on a 4-byte
    // boundary, then the composites.
    std::string glyf, loca;
    const std::string_view oldGlyf = tables.table("glyf");
    bool deeper = false;
    std::size_t mostComponents = 0;
    for (std::uint32_t g = 0; g < oldCount; ++g) {
        put32(loca, static_cast<std::uint32_t>(glyf.size()));
        glyf.append(oldGlyf.substr(layout->starts[g], layout->starts[g + 1] - layout->starts[g]));
        while (glyf.size() % 4 != 0) glyf += '\0';
    }
    std::vector<int> advances = layout->glyphs.advances;
    std::vector<int> bearings = layout->leftBearings;
    for (const CompositeGlyph& composite : composites) {
        if (composite.components.empty()) return std::nullopt;
        for (const GlyphComponent& component : composite.components)
            if (component.glyph >= oldCount) return std::nullopt;
        put32(loca, static_cast<std::uint32_t>(glyf.size()));
        const std::string entry = compositeEntry(*layout, composite, deeper);
        bearings.push_back(readSigned16(entry, 2));
        advances.push_back(std::clamp(composite.advance, 0, 0xFFFF));
        mostComponents = std::max(mostComponents, composite.components.size());
        glyf += entry;
    }
    put32(loca, static_cast<std::uint32_t>(glyf.size()));

    std::string hmtx;
    for (std::size_t g = 0; g < total; ++g) {
        put16(hmtx, static_cast<std::uint32_t>(advances[g]));
        put16(hmtx, static_cast<std::uint16_t>(static_cast<std::int16_t>(bearings[g])));
    }
    std::string head(tables.table("head")), hhea(tables.table("hhea")), maxp(tables.table("maxp"));
    set16(head, 50, 1);  // long loca offsets
    head.replace(8, 4, 4, '\0');
    set16(hhea, 34, static_cast<std::uint32_t>(total));
    set16(hhea, 10,
          static_cast<std::uint32_t>(*std::max_element(advances.begin(), advances.end())));
    set16(maxp, 4, static_cast<std::uint32_t>(total));
    if (maxp.size() >= 32) {
        set16(
            maxp, 28,
            std::max<std::uint32_t>(read16(maxp, 28), static_cast<std::uint32_t>(mostComponents)));
        const std::uint32_t depth = read16(maxp, 30);
        set16(maxp, 30, std::max<std::uint32_t>(depth, deeper ? depth + 1 : 1));
    }

    std::map<std::uint32_t, std::string> written;
    for (const auto& [tag, bytes] : tables.byTag) {
        if (tag == tagOf("hdmx") || tag == tagOf("LTSH") || tag == tagOf("VDMX")) continue;
        written[tag] = std::string(bytes);
    }
    written[tagOf("glyf")] = std::move(glyf);
    written[tagOf("loca")] = std::move(loca);
    written[tagOf("hmtx")] = std::move(hmtx);
    written[tagOf("head")] = std::move(head);
    written[tagOf("hhea")] = std::move(hhea);
    written[tagOf("maxp")] = std::move(maxp);

    // The directory, tables sorted by tag, each on a 4-byte boundary.
    const auto count = static_cast<std::uint32_t>(written.size());
    std::uint32_t power = 1, log = 0;
    while (power * 2 <= count) power *= 2, ++log;
    std::string out;
    put32(out, tables.version);
    put16(out, count);
    put16(out, power * 16);
    put16(out, log);
    put16(out, count * 16 - power * 16);
    std::size_t offset = 12 + 16 * static_cast<std::size_t>(count);
    std::size_t headOffset = 0;
    for (const auto& [tag, bytes] : written) {
        put32(out, tag);
        put32(out, checksum(bytes));
        put32(out, static_cast<std::uint32_t>(offset));
        put32(out, static_cast<std::uint32_t>(bytes.size()));
        if (tag == tagOf("head")) headOffset = offset;
        offset += (bytes.size() + 3) / 4 * 4;
    }
    for (const auto& [tag, bytes] : written) {
        out += bytes;
        while (out.size() % 4 != 0) out += '\0';
    }
    const std::uint32_t adjustment = 0xB1B0AFBAu - checksum(out);
    for (int k = 0; k < 4; ++k)
        out[headOffset + 8 + k] = static_cast<char>((adjustment >> (24 - 8 * k)) & 0xFF);
    return out;
}

}  // namespace leafwright
