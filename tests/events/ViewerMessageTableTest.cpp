#include "events/ViewerMessageDispatch.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <set>
#include <stdexcept>

namespace {

TEST(ViewerMessageTableTest, NumbersAreUniqueEventTypesAndEveryFailureTextHasItsReason)
{
    std::set<int> numbers;
    for (const ViewerMessageSpec& spec : ViewerMessages::kTable) {
        SCOPED_TRACE(spec.name);
        EXPECT_TRUE(numbers.insert(spec.number).second) << "one row per number";
        EXPECT_GE(spec.number, QEvent::User);
        EXPECT_LE(spec.number, QEvent::MaxUser);
        EXPECT_TRUE(spec.failure.Format(QStringLiteral("REASON")).endsWith(QLatin1String("REASON")));
        // A second parameter never comes without a first.
        EXPECT_TRUE(spec.w != ParamKind::None || spec.l == ParamKind::None);
    }
    EXPECT_EQ(ViewerMessages::Find(1137), nullptr);
    EXPECT_EQ(ViewerMessages::Find(ViewerMessages::OpenLocalFile)->failure.Format("gone"), "Error in openLocalFile : gone");
}

TEST(ViewerMessageTableTest, FailureTextsKeepTheirShapeAndCutTheReason)
{
    EXPECT_EQ(HandlerGuard::ErrorIn("set layout").Format("bad mode"), "Error in set layout : bad mode");
    EXPECT_EQ(HandlerGuard::Text("Error in OnInitialUpdate: %s").Format("x"), "Error in OnInitialUpdate: x");
    EXPECT_EQ(HandlerGuard::Text("Enabled Audio failed : %s").Format("no device"), "Enabled Audio failed : no device");
    // A reason that itself holds %s is put in once, as it stands.
    EXPECT_EQ(HandlerGuard::Text("SetAudioVolume failed : %s").Format("%s%s"), "SetAudioVolume failed : %s%s");
    const QString longReason(300, QLatin1Char('r'));
    EXPECT_EQ(HandlerGuard::ErrorIn("Tileset").Format(longReason), "Error in Tileset : " + QString(255, QLatin1Char('r')));
}

// A receiver with handlers of every parameter shape, recording what they were given.
class Receiver : public QObject {
public:
    Receiver()
    {
        using namespace ViewerMessages;
        handlers.On<OpenLocalFile>(&Receiver::OnText)
            .On<AddBookmark>(&Receiver::OnTime)
            .On<VisibleRangeChanged>(&Receiver::OnRange)
            .On<OpenDewarpView>(&Receiver::OnVideoAndText)
            .On<MetadataHover>(&Receiver::OnHover)
            .On<SetAudioVolume>(&Receiver::OnVolume)
            .On<UpdateDeviceLevelAudio>(&Receiver::OnFlags)
            .On<SeekToMapPoint>(&Receiver::OnMapPoint)
            .On<SaveSnapshots>(&Receiver::OnRequest)
            .On<WatermarkReport>(&Receiver::OnTexts)
            .On<EnableCameraAudio>(&Receiver::OnThrow)
            .On<OnPlay>(&Receiver::OnPlayThrowsUnknown);
    }

    bool event(QEvent* event) override
    {
        ViewerMessageEvent* message = ViewerMessageEvent::From(event);
        if (!message)
            return QObject::event(event);
        lastHandled = handlers.Dispatch(*this, *message);
        return true;
    }

    void OnText(const QString& text) { seen << text; }
    void OnTime(std::optional<qint64> time) { seen << (time ? QString::number(*time) : QStringLiteral("no time")); }
    void OnRange(std::optional<qint64> left, std::optional<qint64> right) { seen << QStringLiteral("%1-%2").arg(*left).arg(*right); }
    void OnVideoAndText(Video* video, const QString& view) { seen << QStringLiteral("%1 %2").arg(video == this->video).arg(view); }
    void OnHover(QObject* window, QPoint point) { seen << QStringLiteral("%1 %2,%3").arg(window == this).arg(point.x()).arg(point.y()); }
    void OnVolume(Video* video, int volume) { seen << QStringLiteral("%1 %2").arg(video == this->video).arg(volume); }
    void OnFlags(bool first, bool second) { seen << QStringLiteral("%1%2").arg(first).arg(second); }
    void OnMapPoint(const structMapPoint& point) { seen << QStringLiteral("%1,%2").arg(point.latitude).arg(point.longitude); }
    void OnRequest(int* request) { seen << QString::number(*request); }
    void OnTexts(const QString& text, const QString& title) { seen << title + QLatin1Char('/') + text; }
    void OnThrow(Video*) { throw std::runtime_error("no sound device"); }
    void OnPlayThrowsUnknown() { throw 42; }

    ViewerMessageHandlers<Receiver> handlers;
    Video* video = reinterpret_cast<Video*>(&storage);
    alignas(8) char storage[8] = {};
    QStringList seen;
    bool lastHandled = false;
};

TEST(ViewerMessageDispatchTest, HandlersGetTheParametersTheSenderWroteByTheTable)
{
    Receiver r;
    using namespace ViewerMessages;
    SendViewerMessage<OpenLocalFile>(&r, QStringLiteral("/evidence/a \u00E9.video"));
    SendViewerMessage<AddBookmark>(&r, qint64(1700000456));
    SendViewerMessage<AddBookmark>(&r, std::optional<qint64>());
    SendViewerMessage<VisibleRangeChanged>(&r, qint64(100), qint64(7200));
    SendViewerMessage<OpenDewarpView>(&r, r.video, QStringLiteral("PTZ"));
    QObject* window = &r;
    SendViewerMessage<MetadataHover>(&r, window, QPoint(12, -3));
    SendViewerMessage<SetAudioVolume>(&r, r.video, 65535);
    SendViewerMessage<UpdateDeviceLevelAudio>(&r, false, true);
    SendViewerMessage<SeekToMapPoint>(&r, structMapPoint{51.5, -0.125});
    int request = 7;
    SendViewerMessage<SaveSnapshots>(&r, &request);
    EXPECT_EQ(r.seen, QStringList({QStringLiteral("/evidence/a \u00E9.video"), "1700000456", "no time", "100-7200",
                                   "1 PTZ", "1 12,-3", "1 65535", "01", "51.5,-0.125", "7"}));
    EXPECT_TRUE(r.lastHandled);

    // A message the receiver has no handler for is answered as not handled.
    SendViewerMessage<ShowNextVideoPage>(&r);
    EXPECT_FALSE(r.lastHandled);
}

TEST(ViewerMessageDispatchTest, PostedTextsReachTheReceiverAndAreFreedByIt)
{
    Receiver r;
    EXPECT_TRUE(PostViewerTexts<ViewerMessages::WatermarkReport>(&r, QStringLiteral("Watermark OK"), QStringLiteral("Camera 1")));
    EXPECT_FALSE(PostViewerTexts<ViewerMessages::WatermarkReport>(nullptr, QStringLiteral("lost"), QStringLiteral("lost")));
    QCoreApplication::sendPostedEvents(&r);
    EXPECT_EQ(r.seen, QStringList({QStringLiteral("Camera 1/Watermark OK")}));

    // Freed also by a receiver without a handler for them (the sanitizer tree sees a leak).
    struct Bare : QObject {
        ViewerMessageHandlers<Bare> handlers;
        bool event(QEvent* event) override
        {
            if (ViewerMessageEvent* m = ViewerMessageEvent::From(event))
                return !handlers.Dispatch(*this, *m);
            return QObject::event(event);
        }
    } bare;
    PostViewerTexts<ViewerMessages::WatermarkReport>(&bare, QStringLiteral("a"), QStringLiteral("b"));
    QCoreApplication::sendPostedEvents(&bare);
}

bool LogHas(const QByteArray& line)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 10000) {
        QFile log(QStringLiteral("OmbrixPlayer.log"));
        if (log.open(QIODevice::ReadOnly) && log.readAll().contains(line))
            return true;
        QThread::msleep(10);
    }
    return false;
}

TEST(ViewerMessageDispatchTest, AFailingHandlerIsLoggedWithItsRowsTextAndTheMessageStillAnswered)
{
    Receiver r;
    SendViewerMessage<ViewerMessages::EnableCameraAudio>(&r, r.video);
    EXPECT_TRUE(r.lastHandled);
    SendViewerMessage<ViewerMessages::OnPlay>(&r);
    EXPECT_TRUE(r.lastHandled);
    // The receiver goes on with the next message.
    SendViewerMessage<ViewerMessages::OpenLocalFile>(&r, QStringLiteral("/evidence/b.video"));
    EXPECT_EQ(r.seen, QStringList({QStringLiteral("/evidence/b.video")}));
    EXPECT_TRUE(LogHas("\tError  \tEnabled Audio failed : no sound device\r\n"));
    EXPECT_TRUE(LogHas("\tError  \tError in SetPlayback state : unknown error\r\n"));
}

}  // namespace
