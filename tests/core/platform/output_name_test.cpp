#include "core/platform/output_name.h"

#include <gtest/gtest.h>

#include <string>

#include "core/pdf/conversion_run.h"
#include "core/plustools/unspool_run.h"

namespace leafwright {
namespace {

// Converting and Unspool name their outputs by the one rule: the last three
// characters of the file name replaced, whatever they are, and a shorter
// name kept whole, so that no output leaves its source's folder.
TEST(OutputBeside, NamesTheOutputsOfConvertingAndOfUnspool) {
    struct Case {
        const char* source;
        const char* pdf;
        const char* text;
    };
    ConversionSettings settings;
    const FileRunSteps converting = conversionSteps(settings);
    const FileRunSteps unspooling = unspoolSteps();
    for (const Case& c :
         {Case{"/docs/report.pdf", "/docs/report.pdf", "/docs/report.txt"},
          Case{"/docs/REPORT.PDF", "/docs/REPORT.pdf", "/docs/REPORT.txt"},
          Case{"/docs/a.ps", "/docs/apdf", "/docs/atxt"},
          Case{"notes.text", "notes.tpdf", "notes.ttxt"}, Case{"abc", "pdf", "txt"},
          Case{"ab", "ab.pdf", "ab.txt"}, Case{"logs/1", "logs/1.pdf", "logs/1.txt"},
          Case{"/x/.ab", "/x/pdf", "/x/txt"}, Case{"/x/", "/x/.pdf", "/x/.txt"},
          // Characters, not bytes, where the name is UTF-8.
          Case{"/d/メモ", "/d/メモ.pdf", "/d/メモ.txt"}, Case{"/d/日t", "/d/日t.pdf", "/d/日t.txt"},
          Case{"/d/noté", "/d/npdf", "/d/ntxt"},
          Case{"/d/r\xe9sum\xe9", "/d/r\xe9spdf", "/d/r\xe9stxt"}}) {
        EXPECT_EQ(outputBeside(c.source, "pdf"), c.pdf);
        EXPECT_EQ(outputBeside(c.source, "txt"), c.text);
        EXPECT_EQ(converting.outputPathOf(c.source), c.pdf);
        EXPECT_EQ(unspooling.outputPathOf(c.source), c.text);
    }
}

}  // namespace
}  // namespace leafwright
