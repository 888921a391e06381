// Shaping speed: a 20 MB Arabic text (real sentences, repeated), shaped line
// by line with the installed faces found through fontconfig, as a
// conversion would shape it. Reports source bytes per second and the
// process's peak memory.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "core/fonts/line_shaper.h"
#include "core/fonts/shaping_need.h"
#include "core/fonts/system_font_provider.h"

namespace leafwright {
namespace {

// Article 1 of the Universal Declaration of Human Rights, and two plain
// sentences with digits and Latin in them.
const std::u32string kSentences[] = {
    U"\u064A\u0648\u0644\u062F \u062C\u0645\u064A\u0639 \u0627\u0644\u0646\u0627\u0633 "
    U"\u0623\u062D\u0631\u0627\u0631\u064B\u0627 \u0645\u062A\u0633\u0627\u0648\u064A\u0646 "
    U"\u0641\u064A \u0627\u0644\u0643\u0631\u0627\u0645\u0629 \u0648\u0627\u0644\u062D\u0642\u0648"
    U"\u0642. \u0648\u0642\u062F \u0648\u0647\u0628\u0648\u0627 \u0639\u0642\u0644\u0627\u064B "
    U"\u0648\u0636\u0645\u064A\u0631\u064B\u0627 \u0648\u0639\u0644\u064A\u0647\u0645 "
    U"\u0623\u0646 \u064A\u0639\u0627\u0645\u0644 \u0628\u0639\u0636\u0647\u0645 "
    U"\u0628\u0639\u0636\u064B\u0627 \u0628\u0631\u0648\u062D \u0627\u0644\u0625\u062E\u0627"
    U"\u0621.",
    U"\u0627\u0644\u0644\u063A\u0629 \u0627\u0644\u0639\u0631\u0628\u064A\u0629 \u0645\u0646 "
    U"\u0623\u0643\u062B\u0631 \u0627\u0644\u0644\u063A\u0627\u062A \u0627\u0646\u062A\u0634"
    U"\u0627\u0631\u0627 \u0641\u064A \u0627\u0644\u0639\u0627\u0644\u0645\u060C "
    U"\u064A\u062A\u062D\u062F\u062B\u0647\u0627 \u0623\u0643\u062B\u0631 \u0645\u0646 400 "
    U"\u0645\u0644\u064A\u0648\u0646 \u0646\u0633\u0645\u0629.",
    U"\u0630\u0647\u0628 \u0627\u0644\u0637\u0627\u0644\u0628 \u0625\u0644\u0649 "
    U"\u0627\u0644\u0645\u0643\u062A\u0628\u0629 (Library) \u0641\u064A \u0627\u0644\u0633"
    U"\u0627\u0639\u0629 9:30 \u0644\u0642\u0631\u0627\u0621\u0629 \u0643\u062A\u0627\u0628 "
    U"\u0639\u0646 \u062A\u0627\u0631\u064A\u062E \u0627\u0644\u0623\u0646\u062F\u0644\u0633.",
};

std::size_t utf8Size(std::u32string_view text) {
    std::size_t size = 0;
    for (char32_t c : text) size += c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
    return size;
}

void BM_ShapeArabicText(benchmark::State& state) {
    const std::size_t targetBytes = static_cast<std::size_t>(state.range(0)) << 20;
    std::vector<std::u32string_view> lines;
    std::size_t bytes = 0;
    for (std::size_t i = 0; bytes < targetBytes; ++i) {
        lines.push_back(kSentences[i % std::size(kSentences)]);
        bytes += utf8Size(lines.back()) + 1;
    }
    SystemFontProvider provider;
    LineShaper shaper(provider, "Times-Roman", 8 * 250);
    std::size_t glyphs = 0;
    for (auto _ : state) {
        for (std::u32string_view line : lines) {
            if (!needsShaping(line)) continue;
            glyphs += shaper.shape(line).glyphs.size();
        }
    }
    benchmark::DoNotOptimize(glyphs);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peakMB"] = static_cast<double>(usage.ru_maxrss) / 1024;
    state.counters["lines"] = static_cast<double>(lines.size());
}
BENCHMARK(BM_ShapeArabicText)->Arg(20)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace leafwright

BENCHMARK_MAIN();
