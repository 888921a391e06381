// Compresses every stream of a PDF on its own, as the writer's --compress
// does (Deflater, libdeflate level 6), and prints how many there were, their
// bytes before and after: the cost of the compressing alone, for
// bench/compress_bench.sh to set beside a conversion's.
// Usage: deflate_streams FILE.pdf
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "core/deflate/deflater.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: deflate_streams FILE.pdf\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string pdf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    leafwright::Deflater deflater;
    std::string packed;
    unsigned long long streams = 0, before = 0, after = 0;
    constexpr std::string_view kStart = "stream\r\n", kEnd = "endstream";
    for (std::size_t at = 0; (at = pdf.find(kStart, at)) != std::string::npos;) {
        const std::size_t data = at + kStart.size();
        const std::size_t end = pdf.find(kEnd, data);
        if (end == std::string::npos) break;
        const std::string_view bytes(pdf.data() + data, end - data);
        ++streams;
        before += bytes.size();
        after += deflater.compressSmaller(bytes, packed) ? packed.size() : bytes.size();
        at = end + kEnd.size();
    }
    std::printf("%llu streams, %llu bytes, %llu compressed\n", streams, before, after);
    return 0;
}
