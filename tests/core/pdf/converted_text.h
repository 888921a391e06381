#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "core/pdf/conversion_run.h"
#include "core/platform/file_error.h"
#include "support/temp_dir.h"

namespace leafwright::testing {

// Converts a source of the given bytes in a fresh folder and returns the
// bytes of the PDF written.
inline std::string convertText(const std::string& source, ConversionSettings& settings) {
    TempDir dir;
    writeBytes(dir.file("source.txt"), source);
    convertFile(dir.file("source.txt"), dir.file("source.pdf"), settings);
    return readBytes(dir.file("source.pdf"));
}

// Expects write to refuse a source that changed between the passes, naming
// it.
inline void expectChangedWhileConverted(const std::function<void()>& write,
                                        const std::string& path) {
    try {
        write();
        FAIL() << "a changed source was written";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), path);
        EXPECT_EQ(error.cause(), "changed while it was being converted");
    }
}

inline std::string numberedLines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) text += "line " + std::to_string(i) + "\n";
    return text;
}

// Runs qpdf --check on a written document when qpdf is installed; returns
// false (and records why) when qpdf finds a fault or a warning.
inline bool qpdfAccepts(const std::string& pdfPath) {
    if (std::system("command -v qpdf >/dev/null 2>&1") != 0) return true;
    std::string command = "qpdf --check '" + pdfPath + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

inline bool haveQpdf() {
    return std::system("command -v qpdf >/dev/null 2>&1") == 0;
}

}  // namespace leafwright::testing
