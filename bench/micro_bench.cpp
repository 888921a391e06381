// Micro-benchmarks of the hot paths of a conversion and of Unspool, so that
// a slower inner loop shows as a number: encoding and escaping a line, the
// first-pass measures, building a page's content, the Unspool filter, and a
// whole file converted and extracted (through the file layer).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/fonts/document_fonts.h"
#include "core/fonts/font_objects.h"
#include "core/fonts/system_font_provider.h"
#include "core/pdf/conversion_run.h"
#include "core/pdf/page_content.h"
#include "core/plustools/unspool_filter.h"
#include "core/plustools/unspool_run.h"
#include "core/settings/conversion_settings.h"
#include "core/text/text_encoding.h"

namespace leafwright {
namespace {

// Source lines of the kinds a conversion meets: plain prose, prose with
// characters to escape, UTF-8 accents, and Windows-1252 bytes.
const std::string kPlain =
    "the conversion of the report was on page 42 and that is by far the longest line of it";
const std::string kEscapes =
    "figures: (draft) 1.5% \\backslash\\ report, (draft) on the page (draft) as \\backslash\\";
const std::string kAccents =
    "d\xC3\xA9j\xC3\xA0 vu: na\xC3\xAFve caf\xC3\xA9s, \xC3\xBC"
    "ber die Stra\xC3\x9F"
    "e, "
    "r\xC3\xA9sum\xC3\xA9 \xE2\x80\x94 fa\xC3\xA7"
    "ade";
const std::string kCp1252 =
    "caf\xE9 na\xEFve \x93quoted\x94 \x80 100 r\xE9sum\xE9 fa\xE7"
    "ade";

void encodeLine(benchmark::State& state, const std::string& line, SourceEncoding encoding) {
    std::string out;
    for (auto _ : state) {
        out.clear();
        appendEncodedEscaped(out, line, encoding);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * line.size()));
}

void BM_EncodePlain(benchmark::State& s) {
    encodeLine(s, kPlain, SourceEncoding::Utf8);
}
void BM_EncodeEscapes(benchmark::State& s) {
    encodeLine(s, kEscapes, SourceEncoding::Utf8);
}
void BM_EncodeUtf8(benchmark::State& s) {
    encodeLine(s, kAccents, SourceEncoding::Utf8);
}
void BM_EncodeCp1252(benchmark::State& s) {
    encodeLine(s, kCp1252, SourceEncoding::Windows1252);
}
BENCHMARK(BM_EncodePlain);
BENCHMARK(BM_EncodeEscapes);
BENCHMARK(BM_EncodeUtf8);
BENCHMARK(BM_EncodeCp1252);

void BM_EscapeText(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(escapeText(kEscapes));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kEscapes.size()));
}
BENCHMARK(BM_EscapeText);

// What the first pass does with each line of a self-adapting document.
void BM_MeasureLine(benchmark::State& state) {
    const std::string& line = state.range(0) ? kEscapes : kAccents;
    for (auto _ : state) {
        benchmark::DoNotOptimize(isAscii(line));
        benchmark::DoNotOptimize(countUtf8Characters(line));
        benchmark::DoNotOptimize(countEscapedBytes(line));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * line.size()));
}
BENCHMARK(BM_MeasureLine)->Arg(0)->Arg(1);

// One page of 49 lines (the start-up settings' A4 page) built line by line.
void BM_BuildPage(benchmark::State& state) {
    ConversionSettings settings;
    ContentFrame frame(settings);
    PageContent page;
    const std::string lines[] = {kPlain, kEscapes, kAccents};
    std::size_t bytes = 0;
    for (auto _ : state) {
        frame.begin(page);
        for (int i = 0; i < 49; ++i) {
            page.bytes.append(ContentFrame::kLineStart);
            appendEncodedEscaped(page.bytes, lines[i % 3], SourceEncoding::Utf8);
            page.bytes.append(ContentFrame::kLineEnd);
        }
        ContentFrame::end(page);
        bytes += page.bytes.size();
        benchmark::DoNotOptimize(page.bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_BuildPage);

// Lines of a content stream as Leafwright writes them, run through the
// filter: a text object opening, shown lines with and without escapes, the
// closing.
void BM_UnspoolFilter(benchmark::State& state) {
    std::vector<std::string> lines = {"BT", "0 0 0 rg", "/F1 14 Tf", "16.1 TL",
                                      "1 0 0 1 36 806 Tm"};
    for (int i = 0; i < 49; ++i) {
        std::string body = i % 3 == 1 ? escapeText(kEscapes) : i % 3 ? kPlain : "caf\x8E na\x95ve";
        lines.push_back("(" + body + ")'");
    }
    lines.push_back("ET");
    lines.push_back("endstream");
    std::size_t bytes = 0;
    for (const std::string& line : lines) bytes += line.size() + 2;
    std::string out;
    for (auto _ : state) {
        UnspoolFilter filter;
        out.clear();
        for (const std::string& line : lines) filter.filterLine(line, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_UnspoolFilter);

// A whole 4 MB text converted (both layouts) and its PDF extracted, through
// the file layer, in a private temporary folder.
class FileRoundTrip : public benchmark::Fixture {
  public:
    void SetUp(const benchmark::State&) override {
        if (!folder_.empty()) return;
        char pattern[] = "/tmp/leafwright-micro-XXXXXX";
        folder_ = mkdtemp(pattern);
        source_ = folder_ + "/source.txt";
        std::ofstream text(source_, std::ios::binary);
        const std::string lines[] = {kPlain, kEscapes, kAccents};
        for (std::size_t i = 0; bytes_ < (4u << 20); ++i) {
            text << lines[i % 3] << '\n';
            bytes_ += lines[i % 3].size() + 1;
        }
    }
    ~FileRoundTrip() override {
        if (folder_.empty()) return;
        for (const char* name : {"/source.txt", "/source.pdf", "/out.txt"})
            std::remove((folder_ + name).c_str());
        rmdir(folder_.c_str());
    }

  protected:
    std::string folder_, source_;
    std::size_t bytes_ = 0;
};

BENCHMARK_DEFINE_F(FileRoundTrip, Convert)(benchmark::State& state) {
    ConversionSettings settings;
    settings.chosen.selfAdaptation = static_cast<int>(state.range(0));
    for (auto _ : state) convertFile(source_, folder_ + "/source.pdf", settings);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes_));
}
BENCHMARK_REGISTER_F(FileRoundTrip, Convert)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_DEFINE_F(FileRoundTrip, Unspool)(benchmark::State& state) {
    ConversionSettings settings;
    convertFile(source_, folder_ + "/source.pdf", settings);
    std::ifstream pdf(folder_ + "/source.pdf", std::ios::binary | std::ios::ate);
    auto pdfBytes = static_cast<std::int64_t>(pdf.tellg());
    for (auto _ : state) unspoolFile(folder_ + "/source.pdf", folder_ + "/out.txt");
    state.SetBytesProcessed(state.iterations() * pdfBytes);
}
BENCHMARK_REGISTER_F(FileRoundTrip, Unspool)->Unit(benchmark::kMillisecond);

// Embedded fonts: starting fontconfig and opening the main face, the
// per-character look-up once the document's characters are known, and the
// font objects (subset included) of a CJK document with range(0) distinct
// ideographs from U+4E00 on.
void BM_FontSetup(benchmark::State& state) {
    for (auto _ : state) {
        SystemFontProvider provider;
        DocumentFonts fonts(provider, "Times-Roman");
        benchmark::DoNotOptimize(fonts.show(U'a'));
    }
}
BENCHMARK(BM_FontSetup)->Unit(benchmark::kMillisecond);

void BM_CjkCharacterLookup(benchmark::State& state) {
    SystemFontProvider provider;
    DocumentFonts fonts(provider, "Times-Roman");
    std::size_t shown = 0;
    for (auto _ : state) {
        for (char32_t c = 0x4E00; c < 0x4E00 + 3000; ++c) benchmark::DoNotOptimize(fonts.show(c));
        shown += 3000;
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(shown));
}
BENCHMARK(BM_CjkCharacterLookup);

void BM_CjkFontObjects(benchmark::State& state) {
    SystemFontProvider provider;
    DocumentFonts fonts(provider, "Times-Roman");
    for (char32_t c = 0x4E00; c < 0x4E00 + static_cast<char32_t>(state.range(0)); ++c)
        fonts.show(c);
    for (auto _ : state) {
        std::size_t bytes = 0;
        for (std::size_t i = 0; i < fonts.fonts().size(); ++i)
            for (const FontObject& object : embeddedFontObjects(fonts.fonts()[i], 5, 6))
                bytes += object.text.size();
        state.counters["objectBytes"] = static_cast<double>(bytes);
    }
}
BENCHMARK(BM_CjkFontObjects)->Arg(3000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace leafwright

BENCHMARK_MAIN();
