#include "RecordingViewer.h"

#include "events/CCoordinatorPlomeraView.h"
#include "evidence/FalException.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

namespace {

const QString kFolder = QStringLiteral("/tmp/plomera-1.0");
const QString kSingleTarget = kFolder + QStringLiteral("/AFD62DEF-B422-4AD5-B4C4-49FDF00D00F9.tmp");

TEST(PlomeraViewPackageTest, ExtractVideoFileOpensWhatTheExtractionLeftAndReportsWhetherItIsAPackage)
{
    using Hook = CCoordinatorPlomeraView::ExtractionHook;
    struct Case {
        const char* name;
        Hook hook;
        bool withTarget;
        bool expectPackage;
        std::vector<std::pair<int, QString>> expectMessages;
    };
    const QString last = kFolder + QStringLiteral("/camera 2.video");
    const std::vector<Case> cases = {
        {"plain player without extraction", {}, true, false, {}},
        {"plain player", [](CCoordinatorPlomeraView&, QString&) { return false; }, true, false, {}},
        {"one-file package",
         [](CCoordinatorPlomeraView& c, QString& target) {
             EXPECT_EQ(target, kSingleTarget);
             EXPECT_EQ(c.ExtractionFolder(), kFolder);
             c.SetIsPackage(true);
             return true;
         },
         true, true, {{1151, kSingleTarget}}},
        {"many-file package: each file listed, the last one opened",
         [last](CCoordinatorPlomeraView& c, QString& target) {
             c.SetIsPackage(true);
             c.RegisterLocalFile(kFolder + QStringLiteral("/camera 1.video"));
             c.RegisterLocalFile(last);
             target = last;
             return true;
         },
         true, true, {{1189, kFolder + QStringLiteral("/camera 1.video")}, {1189, last}, {1151, last}}},
        {"package, password refused",
         [](CCoordinatorPlomeraView& c, QString&) {
             c.SetIsPackage(true);
             return false;
         },
         true, true, {}},
        {"package before the viewer exists",
         [](CCoordinatorPlomeraView& c, QString&) {
             c.SetIsPackage(true);
             return true;
         },
         false, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingViewer viewer;
        CCoordinatorPlomeraView coordinator(c.withTarget ? &viewer : nullptr);
        coordinator.SetExtractionHook(c.hook);
        EXPECT_EQ(coordinator.ExtractVideoFile(kFolder), c.expectPackage);
        EXPECT_EQ(coordinator.ExtractionFolder(), kFolder);
        ASSERT_EQ(viewer.deliveries.size(), c.expectMessages.size());
        for (size_t i = 0; i < c.expectMessages.size(); ++i) {
            EXPECT_EQ(viewer.deliveries[i].message, c.expectMessages[i].first);
            EXPECT_EQ(viewer.deliveries[i].w, QLatin1Char('"') + c.expectMessages[i].second + QLatin1Char('"'));
        }
    }
}

std::optional<QByteArray> WaitForLogLine(const QByteArray& line)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 10000) {
        QFile log(QStringLiteral("OmbrixPlayer.log"));
        if (log.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = log.readAll();
            if (bytes.contains(line))
                return bytes;
        }
        QThread::msleep(10);
    }
    return std::nullopt;
}

TEST(PlomeraViewPackageTest, ExtractionFailureIsLoggedAndStartUpContinues)
{
    QFile::remove(QStringLiteral("OmbrixPlayer.log"));
    RecordingViewer viewer;
    CCoordinatorPlomeraView coordinator(&viewer);
    coordinator.SetExtractionHook([](CCoordinatorPlomeraView&, QString&) -> bool {
        throw FalException(QStringLiteral("Couldn't read the package trailer"));
    });
    EXPECT_FALSE(coordinator.ExtractVideoFile(kFolder));
    EXPECT_TRUE(viewer.deliveries.empty());
    // The tests' own settings log errors into the working folder.
    EXPECT_TRUE(WaitForLogLine("\tError  \tError in ExtractVideoFile : Couldn't read the package trailer\r\n"));
}

TEST(PlomeraViewPackageTest, CreateSingleEvidenceFileRunsInsideTheCoordinator)
{
    RecordingViewer viewer;
    CCoordinatorPlomeraView coordinator(&viewer);
    coordinator.CreateSingleEvidenceFile(kFolder);  // without a writer: nothing happens
    QString writtenFrom;
    coordinator.SetEvidenceWriterHook([&](CCoordinatorPlomeraView&, const QString& folder) { writtenFrom = folder; });
    coordinator.CreateSingleEvidenceFile(kFolder);
    EXPECT_EQ(writtenFrom, kFolder);
    EXPECT_TRUE(viewer.deliveries.empty()) << "not a message to the viewer";
}

}  // namespace
