// The progress a run shows never claims a file done before it is: when the
// output of a large wrapped document is created, its source has been read
// several times over but no page is written, and the run stands at most
// halfway; once the run is over it stands at the end.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <string>
#include <vector>

#include "core/pdf/conversion_run.h"
#include "core/platform/pending_output.h"
#include "core/platform/pending_output_seam.h"
#include "desktop/widgets/window_file_run.h"

using namespace leafwright;

class WindowFileRunProgressTest : public QObject {
    Q_OBJECT

  private slots:
    void aFileStandsAtMostHalfwayUntilItsPagesAreWritten() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const std::string source = dir.filePath("long.txt").toStdString();
        {
            std::string text;
            for (int line = 0; line < 60'000; ++line)
                text += "a line of words that wraps on the page, number " + std::to_string(line) +
                        ", and goes on a little further than the page is wide\n";
            QFile file(QString::fromStdString(source));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text.data(), static_cast<qint64>(text.size()));
        }
        for (const unsigned threads : {1u, 2u}) {
            ConversionSettings settings;
            settings.chosen.more.wrap = WrapMode::WordChar;
            WindowFileRun run(
                {source},
                [&](unsigned) {
                    return conversionSteps(settings, SourceThreads{threads, 0, 1 << 16});
                },
                [](const std::string&) { return OverwriteAnswer::Replace; });
            std::atomic<std::uint64_t> atCreate{~std::uint64_t{0}};
            PendingOutputSeam outputs([&](const PendingOutput&) { atCreate = run.bytesDone(); });
            run.run();
            QVERIFY(run.bytesTotal() > 0);
            QVERIFY2(atCreate <= run.bytesTotal() / 2,
                     qPrintable(QString("%1 of %2").arg(atCreate.load()).arg(run.bytesTotal())));
            QCOMPARE(run.bytesDone(), run.bytesTotal());
        }
    }
};

QTEST_GUILESS_MAIN(WindowFileRunProgressTest)
#include "window_file_run_progress_test.moc"
