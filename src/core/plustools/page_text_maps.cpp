#include "core/plustools/page_text_maps.h"

#include <set>

#include "core/plustools/cmap_reader.h"
#include "core/plustools/pdf_document.h"
#include "core/plustools/text_map_limits.h"
#include "core/run/run_control.h"

namespace leafwright {

namespace {

// The fonts of a page's resources: their dictionary, or null.
PdfObject fontsOf(PdfDocument& document, const PdfObject& resources) {
    const PdfObject* fonts = resources.find("Font");
    return fonts == nullptr ? PdfObject() : document.resolve(*fonts);
}

}  // namespace

std::shared_ptr<const FontTextMaps> PageTextMaps::forResources(const PdfObject& resources) {
    auto maps = std::make_shared<FontTextMaps>();
    const PdfObject fonts = fontsOf(document_, resources);
    for (const auto& [name, font] : fonts.entries())
        if (std::shared_ptr<const ToUnicodeMap> map = mapOfFont(font)) maps->add(name, map);
    return maps;
}

std::shared_ptr<const ToUnicodeMap> PageTextMaps::mapOfFont(const PdfObject& font) {
    if (font.isReference()) {
        const std::uint32_t number = font.referenceValue().number;
        if (auto known = byFont_.find(number); known != byFont_.end()) return known->second;
        std::shared_ptr<const ToUnicodeMap> map;
        const PdfObject dictionary = document_.resolve(font);
        if (const PdfObject* toUnicode = dictionary.find("ToUnicode")) map = readMap(*toUnicode);
        // Kept also when there is no map, so the font is read once.
        if (byFont_.size() < 4096) byFont_.emplace(number, map);
        return map;
    }
    const PdfObject* toUnicode = font.find("ToUnicode");
    return toUnicode == nullptr ? nullptr : readMap(*toUnicode);
}

std::shared_ptr<const ToUnicodeMap> PageTextMaps::readMap(const PdfObject& value) {
    if (!value.isReference()) return nullptr;  // a name (/Identity-H) is no map
    const std::uint32_t number = value.referenceValue().number;
    if (auto known = byStream_.find(number); known != byStream_.end()) return known->second;
    if (byStream_.size() >= kMaxTextMaps || entries_ >= kMaxTextMapEntries) return nullptr;
    std::shared_ptr<const ToUnicodeMap> map;
    if (std::optional<PdfStream> stream = document_.stream(value)) {
        const StreamEncoding encoding = streamEncodingOf(stream->dictionary, document_.resolver());
        if (encoding.kind != StreamEncoding::Kind::Unreadable) {
            CMapReader reader;
            document_.decode(*stream, encoding, [&](std::string_view bytes) {
                throwIfRunCancelled();
                reader.feed(bytes);
            });
            auto read = std::make_shared<ToUnicodeMap>(reader.finish());
            entries_ += read->size();
            if (!read->empty()) map = std::move(read);
        }
    }
    byStream_.emplace(number, map);
    return map;
}

bool pageContentIsFiltered(PdfDocument& document) {
    bool filtered = false;
    auto hasFilter = [&](const PdfStream& stream, bool hexIsPlain) {
        if (stream.dictionary.find("Filter") == nullptr) return false;
        return !(hexIsPlain && streamEncodingOf(stream.dictionary, document.resolver()).kind ==
                                   StreamEncoding::Kind::AsciiHex);
    };
    std::set<std::uint32_t> fontsSeen;
    document.forEachPage([&](const PdfPage& page) {
        document.forEachContentStream(page, [&](const PdfStream& content) {
            filtered = filtered || hasFilter(content, false);
        });
        const PdfObject fonts = fontsOf(document, page.resources);
        for (const auto& [name, font] : fonts.entries()) {
            if (filtered) break;
            if (font.isReference() && !fontsSeen.insert(font.referenceValue().number).second)
                continue;
            const PdfObject dictionary = document.resolve(font);
            if (const PdfObject* toUnicode = dictionary.find("ToUnicode"))
                if (std::optional<PdfStream> map = document.stream(*toUnicode))
                    filtered = hasFilter(*map, true);
        }
        return !filtered;
    });
    return filtered;
}

}  // namespace leafwright
