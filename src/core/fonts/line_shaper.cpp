#include "core/fonts/line_shaper.h"

#include <fribidi.h>
#include <hb.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <span>
#include <unordered_map>
#include <utility>

#include "core/fonts/document_fonts.h"
#include "core/fonts/emoji_sequences.h"
#include "core/fonts/invisible_character.h"
#include "core/fonts/shaping_font.h"
#include "core/fonts/shaping_memory.h"
#include "core/fonts/tab_stops.h"
#include "core/fonts/word_shapes.h"

namespace leafwright {
namespace {

static_assert(sizeof(FriBidiChar) == sizeof(char32_t));
static_assert(sizeof(hb_codepoint_t) == sizeof(char32_t));

// Controls reach HarfBuzz as zero-width spaces: a font has no glyph for
// them, and HarfBuzz would draw the missing-glyph box with its width.
constexpr char32_t kZeroWidthSpace = 0x200B;

bool isControl(char32_t c) {
    return c < 0x20 || c == 0x7F;
}

bool isMark(hb_unicode_funcs_t* unicode, char32_t c) {
    switch (hb_unicode_general_category(unicode, c)) {
        case HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK:
        case HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK:
        case HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK:
            return true;
        default:
            return false;
    }
}

bool resolvedScript(hb_script_t script) {
    return script != HB_SCRIPT_COMMON && script != HB_SCRIPT_INHERITED &&
           script != HB_SCRIPT_UNKNOWN;
}

// std::lround without the library call, which was a measurable share of
// shaping: halves round away from zero. trunc(x) and x - trunc(x) are exact
// for every double.
int nearest(double x) {
    if (!(x > -1e9 && x < 1e9)) return static_cast<int>(std::lround(x));
    const auto whole = static_cast<long long>(x);
    const double rest = x - static_cast<double>(whole);
    return static_cast<int>(whole + (rest >= 0.5 ? 1 : 0) - (rest <= -0.5 ? 1 : 0));
}

// A stretch of the line in one direction level, script and face.
struct Run {
    std::size_t start;
    std::size_t end;
    FriBidiLevel level;
    hb_script_t script;
    const FontFace* face;
    std::size_t visualPlace = 0;  // where its characters stand in the visual order
    bool rightToLeft() const { return level % 2 == 1; }
};

// A glyph while the line is laid out; lengths in thousandths.
struct PlacedGlyph {
    GlyphId glyph;
    std::size_t clusterStart;
    std::size_t clusterEnd;
    bool firstOfCluster;
    double advance;
    double xOffset;
    double yOffset;
    double start = 0;  // the pen before it, from the line's start edge
};

// Each cluster's characters reach up to the next cluster in logical order;
// the first glyph of the run starts at the run. A cluster of characters that
// draw nothing keeps its text on glyph 0 without advance.
// invisible(i): whether the line's character i draws nothing.
template <typename Invisible>
void assignClusters(const Run& run, std::vector<PlacedGlyph>& glyphs, Invisible invisibleAt) {
    auto logical = [&](std::size_t k) -> PlacedGlyph& {
        return glyphs[run.rightToLeft() ? glyphs.size() - 1 - k : k];
    };
    logical(0).clusterStart = run.start;
    std::size_t clusterBegin = 0;
    for (std::size_t k = 0; k <= glyphs.size(); ++k) {
        if (k < glyphs.size() && logical(k).clusterStart == logical(clusterBegin).clusterStart)
            continue;
        // Clusters rise in logical order; the bounds only keep a shaper that
        // broke that rule from cutting outside the run.
        const std::size_t start =
            std::clamp(logical(clusterBegin).clusterStart, run.start, run.end);
        const std::size_t end =
            std::clamp(k < glyphs.size() ? logical(k).clusterStart : run.end, start, run.end);
        bool invisible = true;
        for (std::size_t i = start; i < end && invisible; ++i) invisible = invisibleAt(i);
        for (std::size_t j = clusterBegin; j < k; ++j) {
            PlacedGlyph& glyph = logical(j);
            glyph.clusterStart = start;
            glyph.clusterEnd = end;
            glyph.firstOfCluster = j == clusterBegin;
            if (invisible) glyph = {0, start, end, j == clusterBegin, 0, 0, 0};
        }
        clusterBegin = k;
    }
}

// What shaping asks of a character, again and again at every stage.
struct CharacterFacts {
    hb_script_t script = HB_SCRIPT_INVALID;  // not known yet
    FriBidiCharType bidiType = 0;
    bool mark = false;
    bool invisible = false;
};
static_assert(HB_SCRIPT_INVALID == 0 && sizeof(FriBidiCharType) == sizeof(std::uint32_t));

// What the stages of shaping learn of one line, each entry a character.
// The engine keeps one and sets it to each line in turn, so that its
// storage is made once rather than for every line.
struct LineText {
    void reset(std::u32string_view text) {
        line = text;
        drawn.assign(text);
        shaped.assign(text);
        faces.assign(text.size(), nullptr);
        levels.assign(text.size(), 0);
        logicalToVisual.resize(text.size());
        scripts.resize(text.size());
        rightToLeft = false;
        tabs = false;
    }

    std::size_t size() const { return line.size(); }

    std::u32string_view line;
    std::u32string drawn;   // as drawn: "?" for what no face has
    std::u32string shaped;  // as given to HarfBuzz
    std::vector<const FontFace*> faces;
    std::vector<FriBidiLevel> levels;
    std::vector<std::size_t> logicalToVisual;
    std::vector<hb_script_t> scripts;
    bool rightToLeft = false;  // the paragraph's direction
    bool tabs = false;         // whether the line may hold a tab
};

// The direction of a paragraph that nothing else gives one: right to left
// when its first strong letter is, and also when it holds more right-to-left
// letters than left-to-right ones (a higher-level protocol, as the
// bidirectional algorithm allows). An Arabic sentence that opens with a
// Latin name ("PNG صورة غير صالحة.") then reads as the right-to-left
// sentence it is: its full stop stands at its left end, not beside its first
// Arabic word, and a reader that takes every line of a right-to-left page as
// a right-to-left paragraph, as pdftotext does, gives its words back whole.
// A line of mostly Latin letters keeps its first letter's direction, and so
// does every line of letters of one direction.
FriBidiParType unstatedParagraph(const std::vector<FriBidiCharType>& types) {
    std::size_t leftToRight = 0, rightToLeft = 0;
    for (const FriBidiCharType type : types) {
        leftToRight += type == FRIBIDI_TYPE_LTR;
        rightToLeft += type == FRIBIDI_TYPE_RTL || type == FRIBIDI_TYPE_AL;
    }
    return rightToLeft > leftToRight ? FRIBIDI_PAR_RTL : FRIBIDI_PAR_ON;
}

}  // namespace

struct LineShaper::Engine {
    FontProvider& provider;
    std::string baseFont;
    int tabStop;
    const FontFace* mainFace;
    std::unordered_map<const FontFace*, std::unique_ptr<ShapingFont>> fonts;
    // What the shapers of earlier documents learnt, taken from the
    // provider's memories and given back at the end; this shaper's own when
    // the provider keeps none.
    ShapingMemories* memories;
    std::unique_ptr<ShapingMemory> memory;
    std::unordered_map<char32_t, const FontFace*>& faceOf;  // null for a character no face has
    std::vector<bool>& faceKnown;
    std::vector<const FontFace*>& bmpFaces;
    hb_buffer_t* buffer;
    hb_unicode_funcs_t* unicode = hb_unicode_funcs_get_default();
    // Words shaped alone, for faces in which the space takes part in no
    // lookup; see shapeRun.
    bool shapeWords;
    WordShapes& words;
    struct WordCheck {
        unsigned runsCompared = 0;
        bool agrees = true;
    };
    std::unordered_map<const FontFace*, WordCheck> wordChecks;
    static constexpr unsigned kComparedRuns = 64;
    static constexpr std::size_t kLongestWord = 64;
    // HarfBuzz sees up to five characters on either side of what it shapes.
    static constexpr std::size_t kContext = 5;
    std::vector<WordGlyph> runShape;
    std::vector<WordGlyph> wholeRunShape;
    std::vector<WordGlyph> wordShape;
    std::vector<WordGlyph> movedShape;
    std::size_t wordLookups = 0;
    std::size_t wordHits = 0;
    std::size_t restingRuns = 0;
    static constexpr std::size_t kLookupsWeighed = 4096;
    static constexpr std::size_t kRestingRuns = 2048;
    // The words of the run being shaped, in logical order, and the keys of
    // those kept.
    struct RunWord {
        std::size_t start;
        std::size_t end;
        std::size_t keyStart;
        std::size_t keyLength;  // 0 for a word not kept
        std::uint64_t hash;
    };
    std::vector<RunWord> runWords;
    std::u32string runKeys;
    std::u32string_view keyOf(const RunWord& word) const {
        return std::u32string_view(runKeys).substr(word.keyStart, word.keyLength);
    }
    // The facts of the characters of the Basic Multilingual Plane met.
    std::vector<KeptCharacterFacts>& basicFacts;
    // The storage of the line being shaped, kept from line to line.
    LineText text;
    std::vector<FriBidiCharType> bidiTypes;
    std::vector<FriBidiBracketType> bracketTypes;
    std::vector<FriBidiStrIndex> visualToLogical;
    std::vector<Run> runs;
    std::vector<std::vector<PlacedGlyph>> runGlyphs;
    std::vector<bool> runByWords;  // whether each run's glyphs were put together by words
    std::vector<PlacedGlyph> cutWordGlyphs;
    bool directionShortcut;
    // What the last line shaped left for shapePrefix: whether a line that
    // begins it can be taken from its stages (see there), and the facts
    // that decide how such a line reads.
    struct LastLine {
        bool prefixes = false;
        std::optional<TextDirection> paragraph;
        bool rightToLeftLetters = false;
        bool orderedHere = false;
        bool facesMoved = false;
        std::size_t firstScript = 0;  // the first character of a resolved script
    } last;

    Engine(FontProvider& provider, std::string baseFont, int tabStop, WordCache cache,
           DirectionShortcut shortcut)
        : provider(provider),
          baseFont(std::move(baseFont)),
          tabStop(tabStop),
          memories(provider.shapingMemories()),
          memory(memories ? memories->take(this->baseFont) : std::make_unique<ShapingMemory>()),
          faceOf(memory->faceOf),
          faceKnown(memory->faceKnown),
          bmpFaces(memory->bmpFaces),
          buffer(memory->buffer),
          shapeWords(cache == WordCache::on),
          words(memory->words),
          basicFacts(memory->basicFacts),
          directionShortcut(shortcut == DirectionShortcut::taken) {
        mainFace = provider.faceFor(this->baseFont);
        if (!mainFace)
            throw FontUnavailable("no TrueType font is installed to draw " + this->baseFont);
    }
    ~Engine() {
        if (memories) memories->giveBack(std::move(memory));
    }

    // The face of each character met; the Basic Multilingual Plane's in an
    // array, since long texts ask for the same few hundred characters, the
    // others in a map bounded by the memory.
    const FontFace* faceFor(char32_t c) {
        if (c < 0x10000) {
            if (faceKnown.empty()) {
                faceKnown.resize(0x10000);
                bmpFaces.resize(0x10000);
            }
            if (!faceKnown[c]) {
                bmpFaces[c] = findFace(c);
                faceKnown[c] = true;
            }
            return bmpFaces[c];
        }
        auto known = faceOf.find(c);
        if (known == faceOf.end()) {
            memory->boundFaces();
            known = faceOf.emplace(c, findFace(c)).first;
        }
        return known->second;
    }
    // The primary face when it has c, else the provider's fallback; null
    // when no face has it.
    const FontFace* findFace(char32_t c) const {
        const FontFace* face =
            mainFace->glyphFor(c) != 0 ? mainFace : provider.fallbackFor(baseFont, c);
        return face && face->glyphFor(c) == 0 ? nullptr : face;
    }

    CharacterFacts factsOf(char32_t c) {
        if (c >= 0x10000) return findFacts(c);
        if (basicFacts.empty()) basicFacts.resize(0x10000);
        KeptCharacterFacts& kept = basicFacts[c];
        if (kept.script == 0) {
            const CharacterFacts found = findFacts(c);
            kept = {found.script, found.bidiType, found.mark, found.invisible};
        }
        return {static_cast<hb_script_t>(kept.script), kept.bidiType, kept.mark, kept.invisible};
    }
    CharacterFacts findFacts(char32_t c) const {
        return {hb_unicode_script(unicode, c), fribidi_get_bidi_type(c), isMark(unicode, c),
                isInvisibleCharacter(c)};
    }

    // A face that keeps its shaping font for the run lends it, so its
    // shaping plans and tables are not made again for every document.
    const ShapingFont& fontFor(const FontFace* face) {
        if (const ShapingFont* kept = face->shapingFont()) return *kept;
        std::unique_ptr<ShapingFont>& font = fonts[face];
        if (!font) font = std::make_unique<ShapingFont>(*face);
        return *font;
    }

    ShapedLine shape(std::u32string_view line, std::optional<TextDirection> paragraph);
    std::optional<ShapedLine> shapePrefix(std::u32string_view prefix,
                                          std::optional<TextDirection> paragraph);
    ShapedLine finish(std::size_t unprintable, std::size_t keptRuns);
    ShapedLine laidOut(std::size_t unprintable);
    bool shapeLastRunCut(std::size_t r);

    // The stages of shape(), in order.
    std::size_t chooseFaces(LineText& text);
    void drawRunsInOneFace(LineText& text);
    void drawEmojiSequences(LineText& text,
                            const std::vector<std::pair<std::size_t, std::size_t>>& sequences);
    bool formsOneGlyph(const LineText& text, const FontFace* face, std::size_t start,
                       std::size_t end);
    bool shapesToOneGlyph(const LineText& text, const FontFace* face, std::size_t start,
                          std::size_t end);
    // Whether a face forms an emoji sequence into one glyph, by the
    // sequence followed by the face's address.
    std::unordered_map<std::u32string, bool> oneGlyph;
    static constexpr std::size_t kKeptSequences = 4096;
    static constexpr std::size_t kLongestKeptSequence = 32;
    void orderDirections(LineText& text, std::optional<TextDirection> paragraph);
    bool inOneDirection(LineText& text, std::optional<TextDirection> paragraph);
    void assignScripts(LineText& text);
    void cutRuns(const LineText& text);
    bool shapeRun(const LineText& text, const Run& run, std::vector<PlacedGlyph>& glyphs);
    // visibleRun: the run holds no character that draws nothing.
    void placeGlyphs(const LineText& text, const Run& run, const std::vector<WordGlyph>& shaped,
                     std::vector<PlacedGlyph>& glyphs, bool visibleRun);
    bool startsWord(std::u32string_view shaped, std::size_t i);
    static bool keepsWord(const LineText& text, std::size_t start, std::size_t end);
    bool appendWordKey(const LineText& text, const Run& run, std::size_t start, std::size_t end,
                       std::u32string& keys) const;
    void shapeWord(const LineText& text, const Run& run, std::size_t start, std::size_t end,
                   std::vector<WordGlyph>& glyphs);
    void findOrShapeWord(const LineText& text, const Run& run, std::size_t start, std::size_t end,
                         std::u32string_view key, std::uint64_t hash,
                         std::vector<WordGlyph>& glyphs);
    void shapeWhole(const LineText& text, const Run& run, std::size_t start, std::size_t end,
                    std::vector<WordGlyph>& glyphs);
    const std::vector<WordGlyph>* shapeByWords(const LineText& text, const Run& run);
    double layOut(const LineText& text, const std::vector<Run>& runs,
                  std::vector<std::vector<PlacedGlyph>>& runGlyphs);
    std::vector<std::size_t> visualRuns;  // layOut's, kept from line to line
    static void collectGlyphs(const LineText& text, const std::vector<Run>& runs,
                              const std::vector<std::vector<PlacedGlyph>>& runGlyphs, double pen,
                              ShapedLine& result);
};

LineShaper::LineShaper(FontProvider& provider, std::string baseFont, int tabStop, WordCache cache,
                       DirectionShortcut shortcut)
    : engine_(std::make_unique<Engine>(provider, std::move(baseFont), tabStop, cache, shortcut)) {}
LineShaper::~LineShaper() = default;

ShapedLine LineShaper::shape(std::u32string_view line, std::optional<TextDirection> paragraph) {
    if (hasKept_) {
        hasKept_ = false;
        if (paragraph == keptParagraph_ && line == keptLine_) return std::move(kept_);
        if (std::optional<ShapedLine> begun = shapeBeginning(line, paragraph))
            return std::move(*begun);
    }
    return engine_->shape(line, paragraph);
}

const ShapedLine& LineShaper::shapeAndKeep(std::u32string_view line,
                                           std::optional<TextDirection> paragraph) {
    if (hasKept_ && paragraph == keptParagraph_ && line == keptLine_) return kept_;
    std::optional<ShapedLine> begun = hasKept_ ? shapeBeginning(line, paragraph) : std::nullopt;
    kept_ = begun ? std::move(*begun) : engine_->shape(line, paragraph);
    keptLine_.assign(line);
    keptParagraph_ = paragraph;
    hasKept_ = true;
    return kept_;
}

// The engine still holds the stages of the kept line: a line that begins
// it may be taken from them.
std::optional<ShapedLine> LineShaper::shapeBeginning(std::u32string_view line,
                                                     std::optional<TextDirection> paragraph) {
    if (paragraph != keptParagraph_ || line.size() >= keptLine_.size() ||
        std::u32string_view(keptLine_).substr(0, line.size()) != line)
        return std::nullopt;
    return engine_->shapePrefix(line, paragraph);
}

ShapedLine LineShaper::Engine::shape(std::u32string_view line,
                                     std::optional<TextDirection> paragraph) {
    last = {};
    const std::size_t length = line.size();
    if (length == 0 || length >= static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return {};
    text.reset(line);
    const std::size_t unprintable = chooseFaces(text);
    drawRunsInOneFace(text);
    const auto sequences = emojiSequences(text.line);
    drawEmojiSequences(text, sequences);
    orderDirections(text, paragraph);
    assignScripts(text);
    last.prefixes = sequences.empty() && unprintable == 0 && last.orderedHere && !last.facesMoved;
    last.paragraph = paragraph;
    return finish(unprintable, 0);
}

// The runs from the stages' results, shaped (but for the first keptRuns,
// whose glyphs stand), laid out and collected.
ShapedLine LineShaper::Engine::finish(std::size_t unprintable, std::size_t keptRuns) {
    cutRuns(text);
    if (runGlyphs.size() < runs.size()) {
        runGlyphs.resize(runs.size());
        runByWords.resize(runs.size());
    }
    for (std::size_t r = keptRuns; r < runs.size(); ++r)
        runByWords[r] = shapeRun(text, runs[r], runGlyphs[r]);
    return laidOut(unprintable);
}

ShapedLine LineShaper::Engine::laidOut(std::size_t unprintable) {
    ShapedLine result;
    result.unprintable = unprintable;
    result.direction = text.rightToLeft ? TextDirection::rightToLeft : TextDirection::leftToRight;
    const double pen = layOut(text, runs, runGlyphs);
    result.advance = nearest(pen);
    collectGlyphs(text, runs, runGlyphs, pen, result);
    return result;
}

// A line that begins the line shaped last (a row cut from it, measured on
// the way) is taken from that line's stages when they give it what its own
// would: every stage before the runs reads each character from those before
// it only, but for three, which are checked here or ruled out when the
// longer line was shaped. A stretch of fallback faces made one face, and
// emoji sequences, look ahead (ruled out: a line without sequences begins
// with none, as a sequence is found from its start); the paragraph's
// direction comes from its first strong letter, the longer line's letters
// being of one direction (the shorter line must have one of the same
// direction, or be given one), and the characters before the first of a
// resolved script take that script (it must stand in the shorter line).
// The order of the directions is the shortcut's (ruled in), which gives
// every character the paragraph's level. A run that ends far enough before
// the cut, HarfBuzz's context included, keeps its glyphs; the others are
// shaped again. Returns nullopt when the line must be shaped whole.
std::optional<ShapedLine> LineShaper::Engine::shapePrefix(std::u32string_view prefix,
                                                          std::optional<TextDirection> paragraph) {
    const std::size_t length = prefix.size();
    if (!last.prefixes || paragraph != last.paragraph || length == 0 || length >= text.size() ||
        last.firstScript >= length)
        return std::nullopt;
    if (!paragraph) {
        bool rightToLeftLetters = false;
        for (std::size_t i = 0; i < length && !rightToLeftLetters; ++i)
            rightToLeftLetters =
                bidiTypes[i] == FRIBIDI_TYPE_RTL || bidiTypes[i] == FRIBIDI_TYPE_AL;
        if (rightToLeftLetters != last.rightToLeftLetters) return std::nullopt;
    }
    std::size_t keptRuns = 0;
    while (keptRuns < runs.size() && runs[keptRuns].end + kContext <= length) ++keptRuns;
    text.line = prefix;
    text.drawn.resize(length);
    text.shaped.resize(length);
    text.faces.resize(length);
    text.levels.resize(length);
    text.scripts.resize(length);
    text.logicalToVisual.resize(length);
    bidiTypes.resize(length);
    if (text.rightToLeft)
        for (std::size_t i = 0; i < length; ++i) text.logicalToVisual[i] = length - 1 - i;
    std::size_t cut = 0;  // the run the line ends in
    while (runs[cut].end < length) ++cut;
    if (keptRuns == cut && shapeLastRunCut(cut)) {
        for (Run& run : runs) run.visualPlace = text.logicalToVisual[run.start];
        return laidOut(0);
    }
    return finish(0, keptRuns);
}

// The last run of a line that begins the line shaped last, when that run was
// put together word by word: the glyphs of its words before the last stand
// (a word between spaces shapes alike wherever it stands, and each glyph's
// pen is laid out again), and its last word, cut short or now ending the
// line, is shaped as shapeByWords would. Returns whether it could; the run
// then ends with the line.
bool LineShaper::Engine::shapeLastRunCut(std::size_t r) {
    Run& run = runs[r];
    const std::size_t length = text.size();
    if (!runByWords[r] || run.start >= length) return false;
    std::size_t last = length - 1;  // where the last word starts
    while (last > run.start && !startsWord(text.shaped, last)) --last;
    // A run of one word is shaped whole.
    if (last == run.start) return false;
    // A word that is not kept was shaped with the text around it, which the
    // cut may have shortened.
    for (std::size_t end = last; end + kContext > length && end > run.start;) {
        std::size_t start = end - 1;
        while (start > run.start && !startsWord(text.shaped, start)) --start;
        if (!keepsWord(text, start, end)) return false;
        end = start;
    }
    std::vector<PlacedGlyph>& glyphs = runGlyphs[r];
    const bool rightToLeft = run.rightToLeft();
    // The earlier words' glyphs: the first in HarfBuzz's order left to
    // right, the last right to left. Their last cluster must end where the
    // last word starts.
    auto logical = [&](std::size_t k) -> PlacedGlyph& {
        return glyphs[rightToLeft ? glyphs.size() - 1 - k : k];
    };
    std::size_t kept = 0;
    while (kept < glyphs.size() && logical(kept).clusterStart < last) ++kept;
    if (kept == 0 || logical(kept - 1).clusterEnd != last) return false;
    for (std::size_t k = kept; k < glyphs.size(); ++k)
        if (logical(k).clusterStart < last) return false;
    const Run word{last, length, run.level, run.script, run.face};
    const Run shortened{run.start, length, run.level, run.script, run.face};
    wordShape.clear();
    shapeWord(text, shortened, last, length, wordShape);
    if (wordShape.empty()) return false;
    if ((rightToLeft ? wordShape.back() : wordShape.front()).cluster != last) return false;
    placeGlyphs(text, word, wordShape, cutWordGlyphs, true);
    const std::size_t added = cutWordGlyphs.size();
    if (rightToLeft) {
        // The kept glyphs move once, to stand after the last word's.
        const auto from = glyphs.begin() + static_cast<std::ptrdiff_t>(glyphs.size() - kept);
        if (added <= glyphs.size() - kept) {
            std::move(from, glyphs.end(), glyphs.begin() + static_cast<std::ptrdiff_t>(added));
            glyphs.resize(added + kept);
        } else {
            const std::size_t size = glyphs.size();
            glyphs.resize(added + kept);
            const auto begin = glyphs.begin() + static_cast<std::ptrdiff_t>(size - kept);
            std::move_backward(begin, begin + static_cast<std::ptrdiff_t>(kept), glyphs.end());
        }
        std::copy(cutWordGlyphs.begin(), cutWordGlyphs.end(), glyphs.begin());
    } else {
        glyphs.resize(kept);
        glyphs.insert(glyphs.end(), cutWordGlyphs.begin(), cutWordGlyphs.end());
    }
    run.end = length;
    runs.resize(r + 1);
    return true;
}

// The text as drawn ("?" for what no face has), as given to HarfBuzz, and
// each character's face: a mark, an invisible character or one common to all
// scripts stays in the face of the character before it when that face has
// it, so it is shaped with its neighbours. Returns the characters no face has.
std::size_t LineShaper::Engine::chooseFaces(LineText& text) {
    std::size_t unprintable = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text.line[i];
        const FontFace* previous = i > 0 ? text.faces[i - 1] : mainFace;
        const CharacterFacts facts = factsOf(c);
        if (facts.invisible) {
            text.faces[i] = previous;
            if (isControl(c)) text.shaped[i] = kZeroWidthSpace;
            text.tabs = text.tabs || c == U'\t';
        } else if ((facts.mark || (facts.script == HB_SCRIPT_COMMON &&
                                   previous->outlines() != FontOutlines::colourBitmaps)) &&
                   previous->glyphFor(c) != 0) {
            // Marks stay with their letter; spaces, digits and punctuation
            // with the text around them, which is then shaped in one run,
            // but not with a colour emoji, whose face draws digits as
            // pictures too.
            text.faces[i] = previous;
        } else if (!(text.faces[i] = faceFor(c))) {
            text.drawn[i] = text.shaped[i] = U'?';
            text.faces[i] = faceFor(U'?') ? faceFor(U'?') : mainFace;
            ++unprintable;
        }
    }
    return unprintable;
}

// A stretch of one script drawn from fallback faces is given one face that
// has all of it when the characters went to more than one, so a letter a
// face lacks does not come from another style in the middle of a word. The
// spaces, digits and punctuation inside the stretch take that face when it
// has them and keep theirs otherwise.
void LineShaper::Engine::drawRunsInOneFace(LineText& text) {
    auto neutral = [this](char32_t c) {
        const CharacterFacts facts = factsOf(c);
        return facts.invisible || !resolvedScript(facts.script);
    };
    const std::size_t length = text.size();
    std::size_t i = 0;
    while (i < length) {
        const char32_t first = text.line[i];
        if (neutral(first) || text.faces[i] == mainFace || text.drawn[i] == U'?') {
            ++i;
            continue;
        }
        const hb_script_t script = factsOf(first).script;
        std::size_t lastLetter = i;
        bool severalFaces = false;
        for (std::size_t j = i + 1; j < length; ++j) {
            const char32_t c = text.line[j];
            if (text.drawn[j] == U'?') break;
            if (!neutral(c)) {
                if (factsOf(c).script != script || text.faces[j] == mainFace) break;
                severalFaces = severalFaces || text.faces[j] != text.faces[i];
                lastLetter = j;
            }
        }
        const std::size_t end = lastLetter + 1;
        last.facesMoved = last.facesMoved || severalFaces;
        if (severalFaces) {
            const std::u32string_view run = text.line.substr(i, end - i);
            if (const FontFace* face = provider.fallbackForRun(baseFont, run)) {
                for (std::size_t k = i; k < end; ++k)
                    if (!neutral(text.line[k]) || isInvisibleCharacter(text.line[k]) ||
                        face->glyphFor(text.shaped[k]) != 0)
                        text.faces[k] = face;
            }
        }
        i = end;
    }
}

// An emoji sequence (a family joined by zero-width joiners, a skin tone, a
// flag, a keycap) is drawn whole in one face: the face of its first
// character when that face forms it into one glyph, otherwise the colour
// face when it has every character, which forms it by its own
// substitutions. Outline faces with emoji mostly draw the single
// characters only.
void LineShaper::Engine::drawEmojiSequences(
    LineText& text, const std::vector<std::pair<std::size_t, std::size_t>>& sequences) {
    const FontFace* colour = nullptr;
    bool colourAsked = false;
    for (const auto& [start, end] : sequences) {
        const FontFace* face = text.faces[start];
        bool printable = true;
        for (std::size_t i = start; i < end && printable; ++i) printable = text.drawn[i] != U'?';
        if (!printable) continue;
        if (!(face && formsOneGlyph(text, face, start, end))) {
            if (!colourAsked) {
                colour = provider.colourFace();
                colourAsked = true;
            }
            face = colour;
            for (std::size_t i = start; i < end && face; ++i)
                if (!isInvisibleCharacter(text.line[i]) && face->glyphFor(text.line[i]) == 0)
                    face = nullptr;
        }
        if (!face) continue;
        for (std::size_t i = start; i < end; ++i) text.faces[i] = face;
    }
}

bool LineShaper::Engine::formsOneGlyph(const LineText& text, const FontFace* face,
                                       std::size_t start, std::size_t end) {
    // A text holds the same few sequences again and again: each is shaped
    // alone once per face. Only short ones are kept, and a few thousand.
    if (end - start > kLongestKeptSequence) return shapesToOneGlyph(text, face, start, end);
    std::u32string key(text.shaped.substr(start, end - start));
    key += static_cast<char32_t>(reinterpret_cast<std::uintptr_t>(face) & 0xFFFFFFFF);
    key += static_cast<char32_t>(reinterpret_cast<std::uintptr_t>(face) >> 32);
    if (auto known = oneGlyph.find(key); known != oneGlyph.end()) return known->second;
    if (oneGlyph.size() >= kKeptSequences) oneGlyph.clear();
    const bool forms = shapesToOneGlyph(text, face, start, end);
    oneGlyph.emplace(std::move(key), forms);
    return forms;
}

bool LineShaper::Engine::shapesToOneGlyph(const LineText& text, const FontFace* face,
                                          std::size_t start, std::size_t end) {
    hb_buffer_clear_contents(buffer);
    // Clearing keeps the flags of the last shaping: the answer is kept by
    // text and face alone, so it must not hang on whether that shaping began
    // its line (a sequence that starts with a mark would gain a dotted
    // circle).
    hb_buffer_set_flags(buffer, HB_BUFFER_FLAG_DEFAULT);
    hb_buffer_add_utf32(buffer, reinterpret_cast<const std::uint32_t*>(text.shaped.data()),
                        static_cast<int>(text.size()), static_cast<unsigned>(start),
                        static_cast<int>(end - start));
    hb_buffer_guess_segment_properties(buffer);
    hb_font_t* font = fontFor(face).font();
    hb_shape(font, buffer, nullptr, 0);
    unsigned glyphCount = 0;
    const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &glyphCount);
    unsigned drawn = 0;
    for (unsigned g = 0; g < glyphCount; ++g) {
        if (infos[g].codepoint == 0) return false;
        // Selectors and joiners a face keeps as empty glyphs draw nothing.
        const bool empty = hb_font_get_glyph_h_advance(font, infos[g].codepoint) == 0;
        if (!empty) ++drawn;
    }
    return drawn == 1;
}

// Direction levels and the visual order, by the bidirectional algorithm
// without FriBidi's own Arabic shaping: HarfBuzz joins the letters.
void LineShaper::Engine::orderDirections(LineText& text, std::optional<TextDirection> paragraph) {
    const std::size_t length = text.size();
    const auto count = static_cast<FriBidiStrIndex>(length);
    const auto* characters = reinterpret_cast<const FriBidiChar*>(text.drawn.data());
    bidiTypes.resize(length);
    for (std::size_t i = 0; i < length; ++i) {
        const char32_t c = text.drawn[i];
        bidiTypes[i] = c < 0x10000 ? factsOf(c).bidiType : fribidi_get_bidi_type(c);
    }
    last.orderedHere = directionShortcut && inOneDirection(text, paragraph);
    if (last.orderedHere) return;
    bracketTypes.resize(length);
    fribidi_get_bracket_types(characters, count, bidiTypes.data(), bracketTypes.data());
    FriBidiParType direction = !paragraph ? unstatedParagraph(bidiTypes)
                               : *paragraph == TextDirection::rightToLeft ? FRIBIDI_PAR_RTL
                                                                          : FRIBIDI_PAR_LTR;
    visualToLogical.resize(length);
    std::iota(visualToLogical.begin(), visualToLogical.end(), 0);
    // Reordering also lowers trailing white space and tabs to the
    // paragraph's level. Either fails only when out of memory; the line is
    // then drawn left to right as typed.
    if (fribidi_get_par_embedding_levels_ex(bidiTypes.data(), bracketTypes.data(), count,
                                            &direction, text.levels.data()) == 0 ||
        fribidi_reorder_line(0, bidiTypes.data(), count, 0, direction, text.levels.data(), nullptr,
                             visualToLogical.data()) == 0) {
        direction = FRIBIDI_PAR_LTR;
        std::fill(text.levels.begin(), text.levels.end(), 0);
        std::iota(visualToLogical.begin(), visualToLogical.end(), 0);
    }
    text.rightToLeft = FRIBIDI_IS_RTL(direction);
    for (std::size_t v = 0; v < length; ++v)
        text.logicalToVisual[static_cast<std::size_t>(visualToLogical[v])] = v;
}

// Most shaped lines are in one direction: letters of one direction among
// white space, punctuation, other neutrals and marks, in a paragraph of that
// direction. The bidirectional algorithm gives every character of such a
// line the paragraph's level (neutrals between letters, or between a letter
// and the line's end, take the letters' direction; trailing white space
// falls to the paragraph's level anyway), so the line is read in its typed
// order or wholly reversed without running it. Numbers, letters of the
// other direction, explicit embeddings and isolates, paragraph separators
// and boundary neutrals (which the algorithm treats apart) go the full way.
// Returns whether the line was ordered here.
bool LineShaper::Engine::inOneDirection(LineText& text, std::optional<TextDirection> paragraph) {
    const std::size_t length = text.size();
    bool rightToLeftLetters = false, leftToRightLetters = false;
    for (std::size_t i = 0; i < length; ++i) {
        switch (bidiTypes[i]) {
            case FRIBIDI_TYPE_RTL:
            case FRIBIDI_TYPE_AL:
                rightToLeftLetters = true;
                break;
            case FRIBIDI_TYPE_LTR:
                leftToRightLetters = true;
                break;
            case FRIBIDI_TYPE_WS:
            case FRIBIDI_TYPE_ON:
            case FRIBIDI_TYPE_CS:
            case FRIBIDI_TYPE_ES:
            case FRIBIDI_TYPE_ET:
            case FRIBIDI_TYPE_NSM:
            case FRIBIDI_TYPE_SS:
                break;
            default:
                return false;
        }
        if (rightToLeftLetters && leftToRightLetters) return false;
    }
    // Without a given direction the paragraph takes its first letter's,
    // left to right when it has none.
    const bool rightToLeft =
        paragraph ? *paragraph == TextDirection::rightToLeft : rightToLeftLetters;
    if (rightToLeft ? leftToRightLetters : rightToLeftLetters) return false;
    last.rightToLeftLetters = rightToLeftLetters;
    const FriBidiLevel level = rightToLeft ? 1 : 0;
    std::fill(text.levels.begin(), text.levels.end(), level);
    for (std::size_t i = 0; i < length; ++i)
        text.logicalToVisual[i] = rightToLeft ? length - 1 - i : i;
    text.rightToLeft = rightToLeft;
    return true;
}

// Scripts: common characters and marks belong to the script before them,
// those at the start to the first script of the line.
void LineShaper::Engine::assignScripts(LineText& text) {
    hb_script_t current = HB_SCRIPT_INVALID;
    last.firstScript = text.size();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const hb_script_t script = factsOf(text.shaped[i]).script;
        if (resolvedScript(script)) {
            if (current == HB_SCRIPT_INVALID) last.firstScript = i;
            current = script;
        }
        text.scripts[i] = current;
    }
    if (current == HB_SCRIPT_INVALID) current = HB_SCRIPT_COMMON;
    for (std::size_t i = text.size(); i-- > 0;) {
        if (text.scripts[i] != HB_SCRIPT_INVALID) current = text.scripts[i];
        text.scripts[i] = current;
    }
}

// The runs: stretches of one direction level, script and face.
void LineShaper::Engine::cutRuns(const LineText& text) {
    runs.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!runs.empty() && runs.back().level == text.levels[i] &&
            runs.back().script == text.scripts[i] && runs.back().face == text.faces[i]) {
            runs.back().end = i + 1;
            continue;
        }
        runs.push_back(
            {i, i + 1, text.levels[i], text.scripts[i], text.faces[i], text.logicalToVisual[i]});
    }
}

// Shapes characters start to end of a run, with the line around them as
// context, appending the glyphs in HarfBuzz's order (left to right), their
// clusters counted from the line's start.
void LineShaper::Engine::shapeWhole(const LineText& text, const Run& run, std::size_t start,
                                    std::size_t end, std::vector<WordGlyph>& glyphs) {
    const std::size_t length = text.size();
    hb_buffer_clear_contents(buffer);
    hb_buffer_add_utf32(buffer, reinterpret_cast<const std::uint32_t*>(text.shaped.data()),
                        static_cast<int>(length), static_cast<unsigned>(start),
                        static_cast<int>(end - start));
    hb_buffer_set_direction(buffer, run.rightToLeft() ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
    hb_buffer_set_script(buffer, run.script);
    hb_buffer_set_flags(buffer,
                        static_cast<hb_buffer_flags_t>((start == 0 ? HB_BUFFER_FLAG_BOT : 0) |
                                                       (end == length ? HB_BUFFER_FLAG_EOT : 0)));
    hb_shape(fontFor(run.face).font(), buffer, nullptr, 0);
    unsigned glyphCount = 0;
    const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &glyphCount);
    const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, nullptr);
    for (unsigned g = 0; g < glyphCount; ++g)
        glyphs.push_back({infos[g].codepoint, infos[g].cluster, positions[g].x_advance,
                          positions[g].x_offset, positions[g].y_offset});
}

// A run of a face in which the space takes part in no lookup is shaped a
// word at a time, each word with the spaces after it, as browsers do: a
// word between spaces (or the line's ends) shapes alike wherever it stands,
// so it is shaped once and then taken from the word shapes. A space before
// a mark or another character that joins what comes before stays with it.
// The first runs of each face are also shaped whole and compared; should
// they differ, the face is shaped whole from then on. Returns the glyphs, in
// HarfBuzz's order; nullptr when the run is not cut into words (one word,
// or a face that does not allow it).
const std::vector<WordGlyph>* LineShaper::Engine::shapeByWords(const LineText& text,
                                                               const Run& run) {
    const std::u32string_view shaped = text.shaped;
    // Scripts shaped by syllables (the Indic scripts, Thai, Khmer and the
    // like) find a broken cluster, and so a dotted circle, from where the
    // buffer starts: only the scripts whose shaping stops at a space are cut.
    switch (run.script) {
        case HB_SCRIPT_ARABIC:
        case HB_SCRIPT_HEBREW:
        case HB_SCRIPT_LATIN:
        case HB_SCRIPT_CYRILLIC:
        case HB_SCRIPT_GREEK:
            break;
        default:
            return nullptr;
    }
    std::size_t firstCut = run.start + 1;
    while (firstCut < run.end && !startsWord(shaped, firstCut)) ++firstCut;
    if (firstCut >= run.end) return nullptr;
    if (restingRuns > 0) {
        --restingRuns;
        return nullptr;
    }
    // Characters that draw nothing (tabs and controls reach HarfBuzz as
    // zero-width spaces) change how a cluster breaks: a run holding one is
    // shaped whole.
    for (std::size_t i = run.start; i < run.end; ++i)
        if (factsOf(text.line[i]).invisible) return nullptr;
    if (!fontFor(run.face).spaceStandsAlone()) return nullptr;
    WordCheck& check = wordChecks[run.face];
    if (!check.agrees) return nullptr;

    const bool rightToLeft = run.rightToLeft();
    runShape.clear();
    // The words, found once: each kept word's key (only a word with a space
    // or the line's end on either side shapes alike everywhere) goes into
    // runKeys, its hash into the word, and its place in the table is asked
    // of the memory, then each entry, so that the run's look-ups wait
    // together.
    runWords.clear();
    runKeys.clear();
    for (std::size_t wordStart = run.start, wordEnd = firstCut; wordStart < run.end;) {
        RunWord word{wordStart, wordEnd, runKeys.size(), 0, 0};
        if (appendWordKey(text, run, wordStart, wordEnd, runKeys)) {
            word.keyLength = runKeys.size() - word.keyStart;
            word.hash = WordShapes::hashOf(keyOf(word));
            words.prefetch(word.hash);
        }
        runWords.push_back(word);
        wordStart = wordEnd;
        wordEnd = wordStart + 1;
        while (wordEnd < run.end && !startsWord(shaped, wordEnd)) ++wordEnd;
    }
    for (const RunWord& word : runWords)
        if (word.keyLength) words.prefetchEntry(word.hash);
    // HarfBuzz gives a right-to-left run's glyphs from its last character:
    // its words are put together from the last.
    for (std::size_t w = 0; w < runWords.size(); ++w) {
        const RunWord& word = runWords[rightToLeft ? runWords.size() - 1 - w : w];
        if (!word.keyLength)
            shapeWhole(text, run, word.start, word.end, runShape);
        else
            findOrShapeWord(text, run, word.start, word.end, keyOf(word), word.hash, runShape);
    }
    // A text whose words seldom come again gains nothing from keeping them
    // and pays for shaping each alone: its runs are shaped whole for a
    // while, then words are tried again.
    if (wordLookups >= kLookupsWeighed) {
        if (wordHits * 2 < wordLookups) restingRuns = kRestingRuns;
        wordLookups = wordHits = 0;
    }
    if (check.runsCompared < kComparedRuns) {
        ++check.runsCompared;
        wholeRunShape.clear();
        shapeWhole(text, run, run.start, run.end, wholeRunShape);
        if (wholeRunShape != runShape) {
            check.agrees = false;
            return &wholeRunShape;
        }
    }
    return &runShape;
}

// Whether a word starts at i: after a space, at a character that does not
// join what comes before.
bool LineShaper::Engine::startsWord(std::u32string_view shaped, std::size_t i) {
    const char32_t c = shaped[i];
    if (shaped[i - 1] != U' ' || c == U' ') return false;
    const CharacterFacts facts = factsOf(c);
    return !facts.mark && !facts.invisible && !(c >= 0x1F3FB && c <= 0x1F3FF);
}

// Whether the word from start to end is kept: only a word with a space or
// the line's end on either side shapes alike everywhere.
bool LineShaper::Engine::keepsWord(const LineText& text, std::size_t start, std::size_t end) {
    const std::u32string_view shaped = text.shaped;
    const std::size_t length = text.size();
    const bool apart = (start == 0 || shaped[start - 1] == U' ') &&
                       (end == length || shaped[end - 1] == U' ' || shaped[end] == U' ');
    return apart && end - start <= kLongestWord;
}

// Appends the key of the run's word from start to end to keys, when the
// word is kept. The key names its characters, face, script,
// direction and whether it starts or ends the line.
bool LineShaper::Engine::appendWordKey(const LineText& text, const Run& run, std::size_t start,
                                       std::size_t end, std::u32string& keys) const {
    if (!keepsWord(text, start, end)) return false;
    const std::u32string_view shaped = text.shaped;
    const std::size_t length = text.size();
    const auto face = reinterpret_cast<std::uintptr_t>(run.face);
    keys.append(shaped.substr(start, end - start));
    keys += static_cast<char32_t>(face & 0xFFFFFFFF);
    keys += static_cast<char32_t>(face >> 32);
    keys += static_cast<char32_t>(run.script);
    keys += static_cast<char32_t>((run.rightToLeft() ? 1 : 0) | (start == 0 ? 2 : 0) |
                                  (end == length ? 4 : 0));
    return true;
}

// One word of a run, as shapeByWords shapes it: from the kept words when it
// is kept, appended to glyphs in HarfBuzz's order.
void LineShaper::Engine::shapeWord(const LineText& text, const Run& run, std::size_t start,
                                   std::size_t end, std::vector<WordGlyph>& glyphs) {
    runKeys.clear();
    if (!appendWordKey(text, run, start, end, runKeys)) {
        shapeWhole(text, run, start, end, glyphs);
        return;
    }
    findOrShapeWord(text, run, start, end, runKeys, WordShapes::hashOf(runKeys), glyphs);
}

// The kept word from start to end under key, appended to glyphs: found
// among the kept words, or shaped and kept with its clusters counted from
// the word's start.
void LineShaper::Engine::findOrShapeWord(const LineText& text, const Run& run, std::size_t start,
                                         std::size_t end, std::u32string_view key,
                                         std::uint64_t hash, std::vector<WordGlyph>& glyphs) {
    const auto shift = static_cast<std::uint32_t>(start);
    ++wordLookups;
    if (words.find(key, hash, glyphs, shift)) {
        ++wordHits;
        return;
    }
    const std::size_t from = glyphs.size();
    shapeWhole(text, run, start, end, glyphs);
    movedShape.assign(glyphs.begin() + static_cast<std::ptrdiff_t>(from), glyphs.end());
    for (WordGlyph& glyph : movedShape) glyph.cluster -= shift;
    words.add(key, hash, movedShape);
}

// Shapes one run; its glyphs are kept in HarfBuzz's order, left to right.
// Returns whether they were put together word by word.
bool LineShaper::Engine::shapeRun(const LineText& text, const Run& run,
                                  std::vector<PlacedGlyph>& glyphs) {
    const std::vector<WordGlyph>* byWords = shapeWords ? shapeByWords(text, run) : nullptr;
    if (!byWords) {
        wholeRunShape.clear();
        shapeWhole(text, run, run.start, run.end, wholeRunShape);
    }
    placeGlyphs(text, run, byWords ? *byWords : wholeRunShape, glyphs, byWords != nullptr);
    return byWords == &runShape;
}

// The glyphs HarfBuzz gave a run, in thousandths, with their clusters.
void LineShaper::Engine::placeGlyphs(const LineText& text, const Run& run,
                                     const std::vector<WordGlyph>& shapedGlyphs,
                                     std::vector<PlacedGlyph>& glyphs, bool visibleRun) {
    const ShapingFont& font = fontFor(run.face);
    glyphs.clear();
    glyphs.reserve(shapedGlyphs.size());
    for (const WordGlyph& shaped : shapedGlyphs) {
        glyphs.push_back({shaped.glyph, shaped.cluster, 0, false, font.thousandths(shaped.xAdvance),
                          font.thousandths(shaped.xOffset), font.thousandths(shaped.yOffset)});
    }
    // Text is never lost, even when every glyph of the run was removed.
    if (glyphs.empty()) glyphs.push_back({0, run.start, 0, false, 0, 0, 0});
    if (visibleRun)
        assignClusters(run, glyphs, [](std::size_t) { return false; });
    else
        assignClusters(run, glyphs, [&](std::size_t i) { return factsOf(text.line[i]).invisible; });
}

// Lays the runs out from the line's start edge: left to right in a
// left-to-right line, right to left in a right-to-left one, so that tab
// stops count from that edge. Returns the line's width.
double LineShaper::Engine::layOut(const LineText& text, const std::vector<Run>& runs,
                                  std::vector<std::vector<PlacedGlyph>>& runGlyphs) {
    visualRuns.resize(runs.size());
    std::iota(visualRuns.begin(), visualRuns.end(), 0);
    std::sort(visualRuns.begin(), visualRuns.end(), [&](std::size_t a, std::size_t b) {
        return runs[a].visualPlace < runs[b].visualPlace;
    });
    if (text.rightToLeft) std::reverse(visualRuns.begin(), visualRuns.end());
    double pen = 0;
    const bool tabs = text.tabs && tabStop > 0;
    for (std::size_t r : visualRuns) {
        std::vector<PlacedGlyph>& glyphs = runGlyphs[r];
        if (!tabs) {
            // Without tab stops each pen is the sum of the advances before.
            const std::size_t n = glyphs.size();
            for (std::size_t k = 0; k < n; ++k) {
                PlacedGlyph& glyph = glyphs[text.rightToLeft ? n - 1 - k : k];
                glyph.start = pen;
                pen += glyph.advance;
            }
            continue;
        }
        for (std::size_t k = 0; k < glyphs.size(); ++k) {
            PlacedGlyph& glyph = glyphs[text.rightToLeft ? glyphs.size() - 1 - k : k];
            glyph.start = pen;
            if (glyph.clusterEnd == glyph.clusterStart + 1 &&
                text.line[glyph.clusterStart] == U'\t' && tabStop > 0) {
                glyph.advance = nextTabStop(pen, static_cast<double>(tabStop)) - pen;
            }
            pen += glyph.advance;
        }
    }
    return pen;
}

// The glyphs in logical order: the runs in order, each run's glyphs read
// against its direction when it runs right to left.
void LineShaper::Engine::collectGlyphs(const LineText& text, const std::vector<Run>& runs,
                                       const std::vector<std::vector<PlacedGlyph>>& runGlyphs,
                                       double pen, ShapedLine& result) {
    std::size_t glyphCount = 0;
    for (std::size_t r = 0; r < runs.size(); ++r) glyphCount += runGlyphs[r].size();
    // Made empty at once and filled in place: a cluster's text is written
    // straight into its glyph.
    result.glyphs.resize(glyphCount);
    ShapedGlyph* out = result.glyphs.data();
    const char32_t* drawn = text.drawn.data();
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const std::vector<PlacedGlyph>& glyphs = runGlyphs[r];
        const std::size_t n = glyphs.size();
        const bool backwards = runs[r].rightToLeft();
        for (std::size_t k = 0; k < n; ++k, ++out) {
            const PlacedGlyph& glyph = glyphs[backwards ? n - 1 - k : k];
            const double left = text.rightToLeft ? pen - glyph.start - glyph.advance : glyph.start;
            out->face = runs[r].face;
            out->glyph = glyph.glyph;
            out->x = nearest(left + glyph.xOffset);
            out->yOffset = nearest(glyph.yOffset);
            out->advance = nearest(glyph.advance);
            if (glyph.firstOfCluster)
                out->text.assign(drawn + glyph.clusterStart, drawn + glyph.clusterEnd);
        }
    }
}

}  // namespace leafwright
