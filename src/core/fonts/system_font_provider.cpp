#include "core/fonts/system_font_provider.h"

#include <fontconfig/fontconfig.h>
#include <hb.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "core/fonts/colour_bitmap_face.h"
#include "core/fonts/document_fonts.h"
#include "core/fonts/embeddable_format.h"
#include "core/fonts/fallback_order.h"
#include "core/fonts/invisible_character.h"
#include "core/fonts/shaping_memory.h"
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

struct SystemFontProvider::Candidate {
    std::string file;
    int index = 0;
    FcCharSet* characters = nullptr;  // a reference of our own
    const FontFace* face = nullptr;
    bool opened = false;

    Candidate() = default;
    Candidate(const Candidate&) = delete;
    Candidate& operator=(const Candidate&) = delete;
    Candidate(Candidate&& other) noexcept
        : file(std::move(other.file)),
          index(other.index),
          characters(std::exchange(other.characters, nullptr)),
          face(other.face),
          opened(other.opened) {}
    ~Candidate() {
        if (characters) FcCharSetDestroy(characters);
    }
};

struct SystemFontProvider::Fontconfig {
    FcConfig* config = loadConfiguration();
    // Opened faces by file and face index; nullptr for one that cannot be
    // embedded, so it is not opened twice.
    std::map<std::pair<std::string, int>, std::unique_ptr<FontFace>> faces;
    FaceFiles files;
    // The faces of named families, by family, weight and slant; nullptr for
    // a family with no face that can be embedded.
    std::deque<Candidate> familyFaces;
    std::map<std::tuple<std::string, int, int>, Candidate*> families;
    // The face of the chosen font file, opened once.
    std::unique_ptr<FontFace> chosenFile;
    bool chosenFileOpened = false;
    // The face of colour glyphs, looked up once.
    std::unique_ptr<FontFace> colour;
    bool colourLookedUp = false;

    ~Fontconfig() {
        families.clear();
        familyFaces.clear();  // drops the character sets before their configuration
        if (config) FcConfigDestroy(config);
    }
};

struct SystemFontProvider::Style {
    std::string baseFont;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
    std::vector<Candidate> candidates;  // in fontconfig's order of preference
    const FontFace* primary = nullptr;
    std::unordered_map<char32_t, const FontFace*> fallbacks;
    // The installed faces of the fallback order of each script met.
    std::map<std::string, std::vector<Candidate*>> orders;
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
    if (FcPatternGetString(font, FC_FONTFORMAT, 0, &format) != FcResultMatch) return false;
    FcBool colour = FcFalse;
    FcPatternGetBool(font, FC_COLOR, 0, &colour);
    return isEmbeddableFontFormat(reinterpret_cast<const char*>(format), colour != FcFalse);
}

// The file, face index and characters of a face fontconfig listed, when it
// may be embedded.
template <typename Candidate>
bool readCandidate(FcPattern* font, Candidate& candidate) {
    FcChar8* file = nullptr;
    FcCharSet* characters = nullptr;
    int index = 0;
    if (!mayBeEmbeddable(font) || FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch ||
        FcPatternGetCharSet(font, FC_CHARSET, 0, &characters) != FcResultMatch)
        return false;
    FcPatternGetInteger(font, FC_INDEX, 0, &index);
    // A named instance of a variable font (index above 0xFFFF) would be
    // drawn by a PDF reader with the default outlines, not its own.
    if (index < 0 || index > 0xFFFF) return false;
    candidate.file = reinterpret_cast<const char*>(file);
    candidate.index = index;
    candidate.characters = FcCharSetCopy(characters);
    return true;
}

// The ISO 15924 code of a character's script; "Zyyy" for characters common
// to all scripts or taking the script of their neighbours.
std::string scriptTagOf(char32_t character) {
    const hb_script_t script = hb_unicode_script(hb_unicode_funcs_get_default(), character);
    if (script == HB_SCRIPT_COMMON || script == HB_SCRIPT_INHERITED || script == HB_SCRIPT_UNKNOWN)
        return "Zyyy";
    char tag[5] = {};
    hb_tag_to_string(hb_script_to_iso15924_tag(script), tag);
    return tag;
}

bool takesScriptOfNeighbours(char32_t character) {
    if (isInvisibleCharacter(character)) return true;
    const hb_script_t script = hb_unicode_script(hb_unicode_funcs_get_default(), character);
    return script == HB_SCRIPT_COMMON || script == HB_SCRIPT_INHERITED ||
           script == HB_SCRIPT_UNKNOWN;
}

}  // namespace

SystemFontProvider::SystemFontProvider(FaceChoice choice)
    : choice_(std::move(choice)), shapingMemories_(std::make_unique<ShapingMemories>()) {}
SystemFontProvider::~SystemFontProvider() {
    shapingMemories_.reset();
    styles_.clear();  // drops the character sets before their configuration
    fontconfig_.reset();
}

SystemFontProvider::Style& SystemFontProvider::styleFor(std::string_view baseFont) {
    if (auto found = styles_.find(baseFont); found != styles_.end()) return *found->second;
    if (!fontconfig_) fontconfig_ = std::make_unique<Fontconfig>();

    auto style = std::make_unique<Style>();
    const LiberationStyle wanted = liberationStyleFor(baseFont);
    style->baseFont = baseFont;
    style->weight = wanted.weight;
    style->slant = wanted.slant;
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
        Candidate candidate;
        if (readCandidate(sorted->fonts[i], candidate))
            style->candidates.push_back(std::move(candidate));
    }
    if (sorted) FcFontSetDestroy(sorted);

    if (!choice_.file.empty() || !choice_.family.empty()) {
        // Thrown before the style is kept, so every document asks again and
        // is refused alike.
        style->primary = chosenFace(*style);
    } else {
        // The best match is the Liberation face itself when it is
        // installed, otherwise the closest face fontconfig knows.
        for (Candidate& candidate : style->candidates) {
            if ((style->primary = open(candidate))) break;
        }
    }
    return *styles_.emplace(std::string(baseFont), std::move(style)).first->second;
}

const FontFace* SystemFontProvider::chosenFace(const Style& style) {
    if (!choice_.file.empty()) {
        if (!fontconfig_->chosenFileOpened) {
            fontconfig_->chosenFileOpened = true;
            try {
                fontconfig_->chosenFile = fontconfig_->files.open(choice_.file, 0);
            } catch (const std::runtime_error& error) {
                throw FontUnavailable(error.what());
            }
        }
        if (!fontconfig_->chosenFile)
            throw FontUnavailable(choice_.file +
                                  ": not a TrueType or OpenType font that can be embedded");
        return fontconfig_->chosenFile.get();
    }
    Candidate* candidate = installed(choice_.family, style.weight, style.slant);
    const FontFace* face = candidate ? open(*candidate) : nullptr;
    if (!face)
        throw FontUnavailable(
            "the font family \"" + choice_.family +
            "\" is not installed as a TrueType or OpenType font that can be embedded");
    return face;
}

SystemFontProvider::Candidate* SystemFontProvider::installed(const std::string& family, int weight,
                                                             int slant) {
    const auto key = std::make_tuple(family, weight, slant);
    if (auto known = fontconfig_->families.find(key); known != fontconfig_->families.end())
        return known->second;
    Candidate* best = nullptr;
    if (fontconfig_->config) {
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
        FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_INDEX, FC_WEIGHT, FC_SLANT, FC_CHARSET,
                                                FC_FONTFORMAT, FC_COLOR, nullptr);
        FcFontSet* listed = FcFontList(fontconfig_->config, pattern, objects);
        FcObjectSetDestroy(objects);
        FcPatternDestroy(pattern);
        // The face nearest in slant first, then in weight; among equals the
        // first listed file in name order, so the choice does not follow
        // the order fontconfig happened to scan the folders in.
        FcPattern* bestFont = nullptr;
        int bestScore = 0;
        std::string bestFile;
        for (int i = 0; listed && i < listed->nfont; ++i) {
            FcPattern* font = listed->fonts[i];
            int fontWeight = FC_WEIGHT_REGULAR;
            int fontSlant = FC_SLANT_ROMAN;
            FcChar8* file = nullptr;
            FcPatternGetInteger(font, FC_WEIGHT, 0, &fontWeight);
            FcPatternGetInteger(font, FC_SLANT, 0, &fontSlant);
            if (!mayBeEmbeddable(font) ||
                FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch)
                continue;
            const int score = (fontSlant == slant ? 0 : 10000) + std::abs(fontWeight - weight);
            const std::string name = reinterpret_cast<const char*>(file);
            if (!bestFont || score < bestScore || (score == bestScore && name < bestFile)) {
                Candidate probe;
                if (!readCandidate(font, probe)) continue;
                bestFont = font;
                bestScore = score;
                bestFile = name;
            }
        }
        if (bestFont) {
            Candidate candidate;
            if (readCandidate(bestFont, candidate)) {
                fontconfig_->familyFaces.push_back(std::move(candidate));
                best = &fontconfig_->familyFaces.back();
            }
        }
        if (listed) FcFontSetDestroy(listed);
    }
    fontconfig_->families.emplace(key, best);
    return best;
}

const std::vector<SystemFontProvider::Candidate*>& SystemFontProvider::orderFor(
    Style& style, const std::string& scriptTag) {
    if (auto known = style.orders.find(scriptTag); known != style.orders.end())
        return known->second;
    std::vector<Candidate*> order;
    for (const std::string& family : fallbackFamilies(scriptTag, fontLookOf(style.baseFont))) {
        if (Candidate* candidate = installed(family, style.weight, style.slant))
            order.push_back(candidate);
    }
    return style.orders.emplace(scriptTag, std::move(order)).first->second;
}

const FontFace* SystemFontProvider::open(Candidate& candidate) {
    if (!candidate.opened) {
        candidate.opened = true;
        auto& face = fontconfig_->faces[{candidate.file, candidate.index}];
        if (!face)
            face = fontconfig_->files.open(candidate.file, static_cast<unsigned>(candidate.index));
        candidate.face = face.get();
    }
    return candidate.face;
}

const FontFace* SystemFontProvider::faceFor(std::string_view baseFont) {
    std::lock_guard lock(mutex_);
    return styleFor(baseFont).primary;
}

const FontFace* SystemFontProvider::fallbackFor(std::string_view baseFont, char32_t character) {
    std::lock_guard lock(mutex_);
    Style& style = styleFor(baseFont);
    if (auto known = style.fallbacks.find(character); known != style.fallbacks.end())
        return known->second;
    auto usable = [&](Candidate& candidate) -> const FontFace* {
        if (!FcCharSetHasChar(candidate.characters, character)) return nullptr;
        const FontFace* face = open(candidate);
        return face && face != style.primary && face->glyphFor(character) != 0 ? face : nullptr;
    };
    const FontFace* found = nullptr;
    for (Candidate* candidate : orderFor(style, scriptTagOf(character)))
        if ((found = usable(*candidate))) break;
    for (std::size_t i = 0; !found && i < style.candidates.size(); ++i)
        found = usable(style.candidates[i]);
    if (!found) {
        const FontFace* colour = colourFaceLocked();
        if (colour && colour->glyphFor(character) != 0) found = colour;
    }
    style.fallbacks.emplace(character, found);
    return found;
}

const FontFace* SystemFontProvider::fallbackForRun(std::string_view baseFont,
                                                   std::u32string_view run) {
    std::string scriptTag;
    for (const char32_t c : run) {
        if (takesScriptOfNeighbours(c)) continue;
        const std::string tag = scriptTagOf(c);
        if (scriptTag.empty()) scriptTag = tag;
        if (tag != scriptTag) return nullptr;  // not a run of one script
    }
    if (scriptTag.empty()) return nullptr;
    std::lock_guard lock(mutex_);
    Style& style = styleFor(baseFont);
    for (Candidate* candidate : orderFor(style, scriptTag)) {
        bool hasAll = true;
        for (std::size_t i = 0; i < run.size() && hasAll; ++i)
            hasAll =
                takesScriptOfNeighbours(run[i]) || FcCharSetHasChar(candidate->characters, run[i]);
        const FontFace* face = hasAll ? open(*candidate) : nullptr;
        for (std::size_t i = 0; face && i < run.size(); ++i)
            if (!takesScriptOfNeighbours(run[i]) && face->glyphFor(run[i]) == 0) face = nullptr;
        if (face) return face;
    }
    return nullptr;
}

const FontFace* SystemFontProvider::colourFace() {
    std::lock_guard lock(mutex_);
    return colourFaceLocked();
}

const FontFace* SystemFontProvider::colourFaceLocked() {
    if (!fontconfig_) fontconfig_ = std::make_unique<Fontconfig>();
    if (fontconfig_->colourLookedUp || !fontconfig_->config) return fontconfig_->colour.get();
    fontconfig_->colourLookedUp = true;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddBool(pattern, FC_COLOR, FcTrue);
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_INDEX, FC_FAMILY, nullptr);
    FcFontSet* listed = FcFontList(fontconfig_->config, pattern, objects);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    // Noto Color Emoji first, then the files in name order, so the choice
    // does not follow the order fontconfig scanned the folders in.
    std::vector<std::tuple<bool, std::string, int>> found;
    for (int i = 0; listed && i < listed->nfont; ++i) {
        FcChar8* file = nullptr;
        FcChar8* family = nullptr;
        int index = 0;
        if (FcPatternGetString(listed->fonts[i], FC_FILE, 0, &file) != FcResultMatch) continue;
        FcPatternGetInteger(listed->fonts[i], FC_INDEX, 0, &index);
        const bool noto =
            FcPatternGetString(listed->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch &&
            std::strcmp(reinterpret_cast<const char*>(family), "Noto Color Emoji") == 0;
        if (index >= 0 && index <= 0xFFFF)
            found.emplace_back(!noto, reinterpret_cast<const char*>(file), index);
    }
    if (listed) FcFontSetDestroy(listed);
    std::sort(found.begin(), found.end());
    for (const auto& [notNoto, file, index] : found)
        if ((fontconfig_->colour = openColourBitmapFace(file, static_cast<unsigned>(index)))) break;
    return fontconfig_->colour.get();
}

std::string SystemFontProvider::problemWith(const FaceChoice& choice) {
    if (choice.family.empty() && choice.file.empty()) return {};
    try {
        SystemFontProvider provider(choice);
        provider.faceFor("Times-Roman");
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return {};
}

}  // namespace leafwright
