#include "core/pdf/conversion_run.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "converted_text.h"
#include "core/platform/file_error.h"
#include "support/recording_run_handler.h"

namespace leafwright {
namespace {

using testing::listFolder;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

using RecordingHandler = testing::RecordingRunHandler;

TEST(OutputPath, ReplacesTheLastThreeCharactersOrMovesIntoTheFolder) {
    EXPECT_EQ(outputPathFor("/docs/report.txt", "Default Path"), "/docs/report.pdf");
    EXPECT_EQ(outputPathFor("/docs/notes.text", "Default Path"), "/docs/notes.tpdf");
    EXPECT_EQ(outputPathFor("/docs/report.txt", "/out"), "/out/report.pdf");
    EXPECT_EQ(outputPathFor("/docs/report.txt", "default path"), "default path/report.pdf");
    EXPECT_EQ(outputPathFor("report.txt", "/out"), "/out/report.pdf");
}

TEST(ConvertFile, RefusesAPageOnWhichNoLineFitsAndWritesNothing) {
    TempDir dir;
    writeBytes(dir.file("a.txt"), "text\n");
    ConversionSettings settings;
    settings.topMarginValue = 842;
    try {
        convertFile(dir.file("a.txt"), dir.file("a.pdf"), settings);
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), dir.file("a.txt"));
        EXPECT_EQ(error.cause(), "No line fits on the page");
    }
    EXPECT_EQ(listFolder(dir.path()), std::vector<std::string>{"a.txt"});
}

TEST(ConvertFile, RefusesToOverwriteItsOwnSource) {
    TempDir dir;
    writeBytes(dir.file("paper.pdf"), "not yet a pdf\n");
    ConversionSettings settings;
    std::string output = outputPathFor(dir.file("paper.pdf"), settings.outputFolder);
    EXPECT_THROW(convertFile(dir.file("paper.pdf"), output, settings), FileError);
    // The same through a link to the source.
    ASSERT_EQ(::symlink(dir.file("paper.pdf").c_str(), dir.file("link.pdf").c_str()), 0);
    try {
        convertFile(dir.file("paper.pdf"), dir.file("link.pdf"), settings);
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_NE(error.cause().find("would overwrite its own source"), std::string::npos);
    }
    EXPECT_EQ(readBytes(dir.file("paper.pdf")), "not yet a pdf\n");
    EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{"link.pdf", "paper.pdf"}));
}

TEST(ConvertFile, FailedWriteKeepsTheOldFileAndLeavesNoPartialFile) {
    TempDir dir;
    writeBytes(dir.file("big.txt"), testing::numberedLines(200000));
    writeBytes(dir.file("big.pdf"), "old contents");
    ConversionSettings settings;
    // A file-size limit makes the writes fail part way (EFBIG), as a full
    // disk would.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 1 << 20;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    for (int self = 0; self <= 1; ++self) {
        settings.chosen.selfAdaptation = self;
        try {
            convertFile(dir.file("big.txt"), dir.file("big.pdf"), settings);
            ADD_FAILURE() << "no error";
        } catch (const FileError& error) {
            EXPECT_EQ(error.path(), dir.file("big.pdf"));
            EXPECT_EQ(error.cause(), "File too large");
        }
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(readBytes(dir.file("big.pdf")), "old contents");
    EXPECT_EQ(listFolder(dir.path()), (std::vector<std::string>{"big.pdf", "big.txt"}));
}

TEST(ConvertFile, MissingSourceIsAFileErrorNamingIt) {
    TempDir dir;
    ConversionSettings settings;
    try {
        convertFile(dir.file("gone.txt"), dir.file("gone.pdf"), settings);
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), dir.file("gone.txt"));
    }
    EXPECT_TRUE(listFolder(dir.path()).empty());
}

TEST(ConversionRun, AsksOnlyAboutExistingFilesAndDropsDeclinedOnes) {
    TempDir dir;
    writeBytes(dir.file("a.txt"), "a\n");
    writeBytes(dir.file("b.txt"), "b\n");
    writeBytes(dir.file("b.pdf"), "keep me");
    ConversionSettings settings;
    RecordingHandler handler;
    handler.overwrite = false;
    runConversion({dir.file("a.txt"), dir.file("b.txt")}, settings, handler);
    EXPECT_EQ(handler.events, (std::vector<std::string>{"converted a.txt -> a.pdf", "ask b.txt",
                                                        "declined b.txt"}));
    EXPECT_EQ(readBytes(dir.file("b.pdf")), "keep me");
    EXPECT_EQ(readBytes(dir.file("a.pdf")).substr(0, 8), "%PDF-1.3");

    // Yes replaces the file; the same source twice asks the second time.
    RecordingHandler yes;
    runConversion({dir.file("b.txt"), dir.file("b.txt")}, settings, yes);
    EXPECT_EQ(yes.events, (std::vector<std::string>{"ask b.txt", "converted b.txt -> b.pdf",
                                                    "ask b.txt", "converted b.txt -> b.pdf"}));
    EXPECT_NE(readBytes(dir.file("b.pdf")), "keep me");
}

TEST(ConversionRun, AFolderInTheWayRaisesNoQuestionButFails) {
    TempDir dir;
    writeBytes(dir.file("c.txt"), "c\n");
    ASSERT_EQ(::mkdir(dir.file("c.pdf").c_str(), 0755), 0);
    ConversionSettings settings;
    RecordingHandler handler;
    runConversion({dir.file("c.txt")}, settings, handler);
    EXPECT_EQ(handler.events, std::vector<std::string>{"failed c.txt"});
}

TEST(ConversionRun, TheHandlerDecidesWhetherAFailureStopsTheRun) {
    TempDir dir;
    writeBytes(dir.file("ok.txt"), "fine\n");
    ConversionSettings settings;
    settings.outputFolder = dir.path();
    const std::vector<std::string> sources = {dir.file("missing.txt"), dir.file("ok.txt")};

    RecordingHandler goOn;
    runConversion(sources, settings, goOn);
    EXPECT_EQ(goOn.events,
              (std::vector<std::string>{"failed missing.txt", "converted ok.txt -> ok.pdf"}));

    RecordingHandler stop;
    stop.goOn = false;
    stop.overwrite = false;
    runConversion(sources, settings, stop);
    EXPECT_EQ(stop.events, std::vector<std::string>{"failed missing.txt"});
}

// Memory running out on one file (or any other exception) fails that file,
// named, with a cause a user can read; the files after it are still done.
TEST(FileRun, AnyExceptionFailsItsSourceByNameAndTheRunGoesOn) {
    TempDir dir;
    FileRunSteps steps;
    steps.outputPathOf = [](const std::string& source) { return source + ".out"; };
    steps.convertOne = [](const std::string& source, const std::string& output,
                          const ReplaceQuestion&) {
        if (source.ends_with("huge.txt")) throw std::bad_alloc();
        if (source.ends_with("odd.txt")) throw std::runtime_error("odd input");
        writeBytes(output, "done");
        return FileRunStepResult{};
    };
    RecordingHandler handler;
    runOverFiles({dir.file("huge.txt"), dir.file("odd.txt"), dir.file("small.txt")}, steps,
                 handler);
    EXPECT_EQ(handler.events, (std::vector<std::string>{"failed huge.txt", "failed odd.txt",
                                                        "converted small.txt -> small.txt.out"}));
    ASSERT_EQ(handler.errors.size(), 2u);
    EXPECT_EQ(handler.errors[0].path(), dir.file("huge.txt"));
    EXPECT_EQ(handler.errors[0].cause(), "out of memory");
    EXPECT_EQ(handler.errors[1].path(), dir.file("odd.txt"));
    EXPECT_EQ(handler.errors[1].cause(), "odd input");
    EXPECT_EQ(readBytes(dir.file("small.txt.out")), "done");
}

TEST(ConversionRun, SelfAdaptingValuesStayInTheSettingsAfterTheRun) {
    TempDir dir;
    writeBytes(dir.file("one.txt"), "Hi\n");
    writeBytes(dir.file("two.txt"), "a\nb\nc\n");
    ConversionSettings settings;
    settings.chosen.selfAdaptation = 1;
    RecordingHandler handler;
    runConversion({dir.file("one.txt"), dir.file("two.txt")}, settings, handler);
    EXPECT_EQ(settings.pageHeight, "99");
    EXPECT_EQ(settings.pageWidth, "104");  // "a": width 8, plus 36 and 60
    EXPECT_EQ(settings.textTop, "63");
    EXPECT_NE(readBytes(dir.file("one.pdf")).find("/MediaBox [0 0 113 67 ]"), std::string::npos);
}

}  // namespace
}  // namespace leafwright

namespace leafwright {
namespace {

TEST(ConversionRun, AnOutputThatWouldReplaceItsSourceIsRefusedWithoutAQuestion) {
    testing::TempDir dir;
    testing::writeBytes(dir.file("notes.pdf"), "not a PDF yet\n");
    testing::writeBytes(dir.file("a.txt"), "text\n");
    // a.txt's output name is a link to a.txt itself.
    ASSERT_EQ(::symlink(dir.file("a.txt").c_str(), dir.file("a.pdf").c_str()), 0);
    ConversionSettings settings;
    RecordingHandler handler;

    runConversion({dir.file("notes.pdf"), dir.file("a.txt")}, settings, handler);

    EXPECT_EQ(handler.events, (std::vector<std::string>{"failed notes.pdf", "failed a.txt"}));
    EXPECT_EQ(testing::readBytes(dir.file("notes.pdf")), "not a PDF yet\n");
    EXPECT_EQ(testing::readBytes(dir.file("a.txt")), "text\n");
}

}  // namespace
}  // namespace leafwright
