// A run asked to stop: between files, and in the middle of a file, which
// then leaves nothing behind and any old output as it was.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/pdf/conversion_run.h"
#include "core/platform/pending_output.h"
#include "core/platform/pending_output_seam.h"
#include "core/run/run_control.h"
#include "support/recording_run_handler.h"
#include "support/temp_dir.h"

namespace leafwright {
namespace {

using testing::listFolder;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

// Cancels the run when the first file is reported converted.
class CancelAfterFirst : public testing::RecordingRunHandler {
  public:
    explicit CancelAfterFirst(RunControl& control) : control_(control) {}
    void converted(const std::string& source, const std::string& output) override {
        RecordingRunHandler::converted(source, output);
        control_.cancel();
    }

  private:
    RunControl& control_;
};

TEST(RunCancel, StopsBetweenFilesWithoutReportingTheNextOne) {
    TempDir dir;
    writeBytes(dir.file("a.txt"), "first\n");
    writeBytes(dir.file("b.txt"), "second\n");
    ConversionSettings settings;
    RunControl control;
    RunControlScope scope(control);
    CancelAfterFirst handler(control);
    EXPECT_THROW(runConversion({dir.file("a.txt"), dir.file("b.txt")}, settings, handler),
                 RunCancelled);
    EXPECT_EQ(handler.events, std::vector<std::string>{"converted a.txt -> a.pdf"});
    EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{"a.pdf", "a.txt", "b.txt"}));
}

TEST(RunCancel, AbandonsAFileBeingWrittenAndKeepsTheOldOutput) {
    for (bool named : {false, true}) {
        TempDir dir;
        // Large enough for the writer to pass its buffer more than once.
        std::string text;
        for (int line = 0; line < 40000; ++line) text += "a line of the long source text\n";
        writeBytes(dir.file("long.txt"), text);
        writeBytes(dir.file("long.pdf"), "old");
        ConversionSettings settings;
        RunControl control;
        RunControlScope scope(control);
        // The stop request comes once the output has begun.
        PendingOutputSeam seam([&](const PendingOutput&) { control.cancel(); }, named);
        testing::RecordingRunHandler handler;
        EXPECT_THROW(runConversion({dir.file("long.txt")}, settings, handler), RunCancelled);
        EXPECT_EQ(handler.events, std::vector<std::string>{"ask long.txt"});
        EXPECT_EQ(readBytes(dir.file("long.pdf")), "old");
        EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{"long.pdf", "long.txt"}));
    }
}

}  // namespace
}  // namespace leafwright
