// Break finding on one 1 MB line, wrapped as a layout wraps it: for each
// row, the text of 80 characters is taken as what fits, and the piece's end
// is chosen (words, then characters) in a window from the piece's start to
// 1, 4 or 16 kB past that point. Reports source bytes per second, rows, and the
// process's peak memory; and what making a breaker costs.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <string>

#include "core/breaks/piece_end.h"

namespace leafwright {
namespace {

constexpr std::size_t kLineBytes = 1 << 20;
constexpr int kRowCharacters = 80;

// Plain sentences written for this benchmark, in English, Chinese and Thai.
const char* const kTexts[] = {
    "Each morning the ferry leaves the harbour at seven, carries cars, bicycles and "
    "sleepy commuters across the bay, and comes back an hour later half-empty. ",
    "每天早上七点，渡船离开港口，载着汽车、自行车和睡眼惺忪的乘客穿过海湾，一个小时后半空着回来。",
    "เรือข้ามฟากออกจากท่าเรือทุกเช้าเวลาเจ็ดโมงพาผู้โดยสารข้ามอ่าวแล้วกลับมาในอีกหนึ่งชั่วโมง ",
};

std::string lineOf(int text) {
    std::string line;
    for (int i = 0; line.size() < kLineBytes; ++i) line += kTexts[text < 3 ? text : i % 3];
    return line;
}

std::uint64_t afterCharacters(const std::string& line, std::uint64_t at, int count) {
    for (int i = 0; i < count && at < line.size(); ++i) do
            ++at;
        while (at < line.size() && (line[at] & 0xC0) == 0x80);
    return at;
}

void BM_WrapOneLongLine(benchmark::State& state) {
    const std::string line = lineOf(static_cast<int>(state.range(0)));
    const std::uint64_t windowPast = static_cast<std::uint64_t>(state.range(1)) << 10;
    LineBreaker breaker;
    std::size_t rows = 0;
    for (auto _ : state) {
        rows = 0;
        for (std::uint64_t start = 0;;) {
            const std::uint64_t fitEnd = afterCharacters(line, start, kRowCharacters);
            if (fitEnd == line.size()) break;
            const std::uint64_t end = std::min<std::uint64_t>(line.size(), fitEnd + windowPast);
            breaker.setWindow({std::string_view(line).substr(start, end - start), start, true,
                               end == line.size()});
            const PieceEnd piece =
                findPieceEnd(breaker, start, fitEnd, BreakRule::wordsThenCharacters);
            if (piece.end <= start) state.SkipWithError("no progress");
            start = piece.end;
            ++rows;
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * line.size()));
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peakMB"] = static_cast<double>(usage.ru_maxrss) / 1024;
    state.counters["rows"] = static_cast<double>(rows);
}
// 0 English, 1 Chinese, 2 Thai, 3 the three in turn; kilobytes past the
// fitting end.
BENCHMARK(BM_WrapOneLongLine)
    ->ArgsProduct({{0, 1, 2, 3}, {1, 4, 16}})
    ->Unit(benchmark::kMillisecond);

void BM_MakeLineBreaker(benchmark::State& state) {
    for (auto _ : state) {
        LineBreaker breaker;
        benchmark::DoNotOptimize(&breaker);
    }
}
BENCHMARK(BM_MakeLineBreaker)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace leafwright

BENCHMARK_MAIN();
