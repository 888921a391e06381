// The progress of a run into one document never runs back, whether or not
// rows are cut in a reading of their own, and each reading ends where the
// next begins.
#include "desktop/widgets/combined_progress.h"

#include <QTest>
#include <random>
#include <vector>

using namespace leafwright;

class CombinedProgressTest : public QObject {
    Q_OBJECT

  private slots:
    void everyReadingTakesItsShareInTurn() {
        std::mt19937 random(11);
        for (int trial = 0; trial < 200; ++trial) {
            std::vector<std::uint64_t> sizes(1 + random() % 6);
            std::uint64_t total = 0;
            for (std::uint64_t& size : sizes)
                total += size = random() % 4 == 0 ? 0 : random() % 100000;
            const bool rowsCut = trial % 2 == 1;
            std::vector<CombineReading> readings = {CombineReading::planning};
            if (rowsCut) readings.push_back(CombineReading::cuttingRows);
            readings.push_back(CombineReading::writing);

            CombinedProgress progress(sizes);
            std::uint64_t last = 0;
            double start = 0;
            for (std::size_t r = 0; r < readings.size(); ++r) {
                for (std::size_t source = 0; source < sizes.size(); ++source) {
                    const std::uint64_t done = progress.at(source, readings[r]);
                    QVERIFY2(
                        done >= last,
                        qPrintable(QString("trial %1, reading %2 ran back").arg(trial).arg(r)));
                    QVERIFY(done <= total);
                    last = done;
                }
                // The last source taken up, and its share, reach where the
                // next reading starts.
                const double share = r == 0 || !rowsCut ? 0.5 : 0.25;
                const double end = (start + share) * static_cast<double>(total);
                QVERIFY(static_cast<double>(last) <= end + 1);
                QVERIFY(static_cast<double>(last) + share * static_cast<double>(sizes.back()) >=
                        end - 2);
                start += share;
            }
        }
    }
};

QTEST_MAIN(CombinedProgressTest)
#include "combined_progress_test.moc"
