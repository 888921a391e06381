#include "core/fonts/system_font_provider.h"

#include <fontconfig/fontconfig.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "core/fonts/embeddable_format.h"
#include "core/fonts/truetype_face.h"

namespace leafwright {

namespace {

// fontconfig reads the configuration file it is pointed at, whatever it is: a
// device or a pipe named by FONTCONFIG_FILE would hold the program for ever.
// The file it would read is looked up first (without reading it) and must be
// a regular one.
void refuseConfigurationThatIsNoFile() {
    FcConfig* blank = FcConfigCreate();
    if (blank == nullptr) return;
    FcChar8* found = FcConfigGetFilename(blank, nullptr);
    FcConfigDestroy(blank);
    if (found == nullptr) return;
    const std::string path = reinterpret_cast<const char*>(found);
    FcStrFree(found);
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        throw std::runtime_error("the font configuration " + path +
                                 (std::getenv("FONTCONFIG_FILE") ? " (FONTCONFIG_FILE)" : "") +
                                 " is not a regular file");
}

FcConfig* loadConfiguration() {
    refuseConfigurationThatIsNoFile();
    return FcInitLoadConfigAndFonts();
}

}  // namespace

struct SystemFontProvider::Fontconfig {
    FcConfig* config = loadConfiguration();
    // Opened faces by file and face index; nullptr for one that cannot be
    // embedded, so it is not opened twice.
    std::map<std::pair<std::string, int>, std::unique_ptr<FontFace>> faces;

    ~Fontconfig() {
        if (config) FcConfigDestroy(config);
    }
};

struct SystemFontProvider::Candidate {
    std::string file;
    int index = 0;
    FcCharSet* characters = nullptr;  // a reference of our own
    const FontFace* face = nullptr;
    bool opened = false;
};

struct SystemFontProvider::Style {
    std::vector<Candidate> candidates;  // in fontconfig's order of preference
    const FontFace* primary = nullptr;
    std::unordered_map<char32_t, const FontFace*> fallbacks;

    ~Style() {
        for (Candidate& candidate : candidates) FcCharSetDestroy(candidate.characters);
    }
};

namespace {

// The free family drawn in place of a standard font, with the same widths.
struct LiberationStyle {
    const char* family;
    int weight;
    int slant;
};

LiberationStyle liberationStyleFor(std::string_view baseFont) {
    LiberationStyle style{"Liberation Serif", FC_WEIGHT_REGULAR, FC_SLANT_ROMAN};
    if (baseFont.starts_with("Helvetica")) style.family = "Liberation Sans";
    if (baseFont.starts_with("Courier")) style.family = "Liberation Mono";
    if (baseFont.find("Bold") != std::string_view::npos) style.weight = FC_WEIGHT_BOLD;
    if (baseFont.find("Italic") != std::string_view::npos ||
        baseFont.find("Oblique") != std::string_view::npos)
        style.slant = FC_SLANT_ITALIC;
    return style;
}

// Only TrueType and CFF faces without colour glyphs are worth opening; the
// face itself is checked again when it is opened.
bool mayBeEmbeddable(FcPattern* font) {
    FcChar8* format = nullptr;
    if (FcPatternGetString(font, FC_FONTFORMAT, 0, &format) != FcResultMatch ||
        !embeddableFontFormat(reinterpret_cast<const char*>(format)))
        return false;
    FcBool colour = FcFalse;
    FcPatternGetBool(font, FC_COLOR, 0, &colour);
    return !colour;
}

}  // namespace

SystemFontProvider::SystemFontProvider() = default;
SystemFontProvider::~SystemFontProvider() {
    styles_.clear();  // drops the character sets before their configuration
    fontconfig_.reset();
}

SystemFontProvider::Style& SystemFontProvider::styleFor(std::string_view baseFont) {
    if (auto found = styles_.find(baseFont); found != styles_.end()) return *found->second;
    if (!fontconfig_) fontconfig_ = std::make_unique<Fontconfig>();

    auto style = std::make_unique<Style>();
    const LiberationStyle wanted = liberationStyleFor(baseFont);
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(wanted.family));
    FcPatternAddInteger(pattern, FC_WEIGHT, wanted.weight);
    FcPatternAddInteger(pattern, FC_SLANT, wanted.slant);
    FcConfigSubstitute(fontconfig_->config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcFontSet* sorted = fontconfig_->config
                            ? FcFontSort(fontconfig_->config, pattern, FcFalse, nullptr, &result)
                            : nullptr;
    FcPatternDestroy(pattern);

    for (int i = 0; sorted && i < sorted->nfont; ++i) {
        FcPattern* font = sorted->fonts[i];
        FcChar8* file = nullptr;
        FcCharSet* characters = nullptr;
        if (!mayBeEmbeddable(font) ||
            FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch ||
            FcPatternGetCharSet(font, FC_CHARSET, 0, &characters) != FcResultMatch)
            continue;
        Candidate candidate;
        candidate.file = reinterpret_cast<const char*>(file);
        FcPatternGetInteger(font, FC_INDEX, 0, &candidate.index);
        // A named instance of a variable font (index above 0xFFFF) would be
        // drawn by a PDF reader with the default outlines, not its own.
        if (candidate.index < 0 || candidate.index > 0xFFFF) continue;
        candidate.characters = FcCharSetCopy(characters);
        style->candidates.push_back(std::move(candidate));
    }
    if (sorted) FcFontSetDestroy(sorted);

    // The best match is the Liberation face itself when it is installed,
    // otherwise the closest face fontconfig knows.
    for (Candidate& candidate : style->candidates) {
        if ((style->primary = open(candidate))) break;
    }
    return *styles_.emplace(std::string(baseFont), std::move(style)).first->second;
}

const FontFace* SystemFontProvider::open(Candidate& candidate) {
    if (!candidate.opened) {
        candidate.opened = true;
        auto& face = fontconfig_->faces[{candidate.file, candidate.index}];
        if (!face) face = openTrueTypeFace(candidate.file, static_cast<unsigned>(candidate.index));
        candidate.face = face.get();
    }
    return candidate.face;
}

const FontFace* SystemFontProvider::faceFor(std::string_view baseFont) {
    return styleFor(baseFont).primary;
}

const FontFace* SystemFontProvider::fallbackFor(std::string_view baseFont, char32_t character) {
    Style& style = styleFor(baseFont);
    if (auto known = style.fallbacks.find(character); known != style.fallbacks.end())
        return known->second;
    const FontFace* found = nullptr;
    for (Candidate& candidate : style.candidates) {
        if (!FcCharSetHasChar(candidate.characters, character)) continue;
        const FontFace* face = open(candidate);
        if (face && face != style.primary && face->glyphFor(character) != 0) {
            found = face;
            break;
        }
    }
    style.fallbacks.emplace(character, found);
    return found;
}

}  // namespace leafwright
