// Replays a fuzz target's corpus without libFuzzer: linked with one target's
// LLVMFuzzerTestOneInput, it feeds it every file below the folders (or the
// single files) named on its command line, in name order, so that any
// compiler builds it and CTest runs it in every suite. A target reports a
// fault by aborting; the name written just before tells which input did it.
//   <target>_replay CORPUS_FOLDER_OR_FILE...

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

// All inputs are listed before the first one runs: a target may change the
// current folder, so the paths are made absolute first.
std::vector<fs::path> corpusFiles(int argc, char** argv) {
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const fs::path given = fs::absolute(argv[i]);
        if (fs::is_regular_file(given)) {
            files.push_back(given);
            continue;
        }
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(given))
            if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string wholeFile(const fs::path& path) {
    std::string bytes(fs::file_size(path), '\0');
    std::ifstream in(path, std::ios::binary);
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())))
        throw std::runtime_error("cannot read " + path.string());
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_FOLDER_OR_FILE...\n", argv[0]);
        return 2;
    }
    try {
        const std::vector<fs::path> files = corpusFiles(argc, argv);
        // libFuzzer reads its corpus between inputs, by the paths it was
        // given: a target must leave the current folder as it found it.
        const fs::path folder = fs::current_path();
        // An empty or mistyped corpus would replay nothing and pass.
        if (files.empty()) {
            std::fprintf(stderr, "replay: no corpus files found\n");
            return 1;
        }
        for (const fs::path& file : files) {
            std::fprintf(stderr, "replay: %s\n", file.c_str());
            std::fflush(stderr);
            const std::string bytes = wholeFile(file);
            // As libFuzzer does: a heap block of exactly the input's size, so
            // that the sanitizers see a read past its end.
            const std::unique_ptr<std::uint8_t[]> input(new std::uint8_t[bytes.size()]);
            std::copy(bytes.begin(), bytes.end(), input.get());
            LLVMFuzzerTestOneInput(input.get(), bytes.size());
            if (fs::current_path() != folder) {
                std::fprintf(stderr, "replay: the target left the current folder changed\n");
                return 1;
            }
        }
        std::printf("replayed %zu inputs\n", files.size());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "replay: %s\n", error.what());
        return 1;
    }
    return 0;
}
