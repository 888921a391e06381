#include "core/platform/output_name.h"

#include <gtest/gtest.h>

#include <string>

#include "core/pdf/conversion_run.h"
#include "core/plustools/unspool_run.h"

namespace leafwright {
namespace {

// Converting and Unspool name their outputs by the one rule: the last three
// characters replaced, whatever they are.
TEST(OutputBeside, NamesTheOutputsOfConvertingAndOfUnspool) {
    struct Case {
        const char* source;
        const char* pdf;
        const char* text;
    };
    ConversionSettings settings;
    const FileRunSteps converting = conversionSteps(settings);
    const FileRunSteps unspooling = unspoolSteps();
    for (const Case& c : {Case{"/docs/report.pdf", "/docs/report.pdf", "/docs/report.txt"},
                          Case{"/docs/REPORT.PDF", "/docs/REPORT.pdf", "/docs/REPORT.txt"},
                          Case{"/docs/a.ps", "/docs/apdf", "/docs/atxt"},
                          Case{"notes.text", "notes.tpdf", "notes.ttxt"}, Case{"ab", "pdf", "txt"},
                          Case{"", "pdf", "txt"}}) {
        EXPECT_EQ(outputBeside(c.source, "pdf"), c.pdf);
        EXPECT_EQ(outputBeside(c.source, "txt"), c.text);
        EXPECT_EQ(converting.outputPathOf(c.source), c.pdf);
        EXPECT_EQ(unspooling.outputPathOf(c.source), c.text);
    }
}

}  // namespace
}  // namespace leafwright
