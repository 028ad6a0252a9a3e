// Ports over bytes held in memory (StreamRegion::MemoryFile): the same stream as from its file,
// the tag's trailer honoured, the picture size cap kept, and nothing left behind once it goes.
#include "VdlTestSupport.h"

#include "StreamRegion.h"
#include "vdl/vdl.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const uint8_t* Data(const QByteArray& bytes)
{
    return reinterpret_cast<const uint8_t*>(bytes.constData());
}

// The stamp of the frame on screen after each of a seek, steps both ways and a seek past the end.
std::vector<int64_t> Walk(int32_t port)
{
    StampSurface surface;
    VDL_SetSurface(port, surface.Handle());
    std::vector<int64_t> stamps;
    VDL_SeekPlayedTime(port, 5000);
    stamps.push_back(surface.LastStamp());
    VDL_StepForward(port);
    stamps.push_back(surface.LastStamp());
    VDL_StepBackward(port);
    stamps.push_back(surface.LastStamp());
    VDL_StepBackward(port);
    stamps.push_back(surface.LastStamp());
    VDL_SeekPlayedTime(port, 999999);
    stamps.push_back(surface.LastStamp());
    VDL_SetSurface(port, nullptr);
    return stamps;
}

TEST(VdlMemoryFile, PlaysTheSameFramesAsTheFileAndHonoursTheTag)
{
    const QByteArray stream = ReadAll(StandardSample());
    ASSERT_FALSE(stream.isEmpty());
    // A 6.2-style trailer: sections and tag behind the stream, the tag's start 17 bytes from the end.
    QByteArray file = stream + QByteArray(3000, '\x55') + QByteArray(500, 'T');
    const qint64 tagStart = stream.size() + 3000;
    for (int s = 56; s >= 0; s -= 8)
        file.append(static_cast<char>(tagStart >> s));
    for (int s = 24; s >= 0; s -= 8)
        file.append(static_cast<char>((500 + 17) >> s));
    file.append('\x06').append('\x02').append("TAG");
    QTemporaryDir dir;
    const QString path = dir.filePath("tagged.video");
    {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(file);
    }

    const StreamRegion::MemoryFile memory(Data(file), static_cast<size_t>(file.size()));
    EXPECT_EQ(StreamRegion::FindEnd(memory.Name()), StreamRegion::FindEnd(path.toStdString()));
    EXPECT_LE(StreamRegion::FindEnd(memory.Name()), stream.size());

    OpenPort fromFile(path);
    OpenPort fromMemory(QString::fromStdString(memory.Name()));
    ASSERT_TRUE(fromFile.opened);
    ASSERT_TRUE(fromMemory.opened) << VDL_GetErrorText(fromMemory.error);
    VDL_StreamInfo a = {};
    VDL_StreamInfo b = {};
    ASSERT_TRUE(VDL_GetStreamInfo(fromFile.port, &a));
    ASSERT_TRUE(VDL_GetStreamInfo(fromMemory.port, &b));
    EXPECT_EQ(b.width, a.width);
    EXPECT_EQ(b.height, a.height);
    EXPECT_EQ(b.wallClockOriginMillis, a.wallClockOriginMillis);
    const std::vector<int64_t> frames = Walk(fromFile.port);
    EXPECT_EQ(Walk(fromMemory.port), frames);
    EXPECT_EQ(frames, std::vector<int64_t>({125, 126, 125, 124, 249}));
    VDL_Stats stats = {};
    ASSERT_TRUE(VDL_GetStats(fromMemory.port, &stats));
    EXPECT_LE(stats.bytesRead, stream.size());
}

TEST(VdlMemoryFile, PicturesAboveTheCapAreRefusedAndTheNameGoesWithTheBytes)
{
    const QByteArray stream = ReadAll(StandardSample());  // 320 x 240
    std::string name;
    {
        const StreamRegion::MemoryFile capped(Data(stream), static_cast<size_t>(stream.size()), 320 * 239);
        OpenPort refused(QString::fromStdString(capped.Name()));
        EXPECT_FALSE(refused.opened);
        const StreamRegion::MemoryFile roomy(Data(stream), static_cast<size_t>(stream.size()), 320 * 240);
        OpenPort opened(QString::fromStdString(roomy.Name()));
        EXPECT_TRUE(opened.opened);
        name = roomy.Name();
        EXPECT_NE(name, capped.Name());
    }
    // Gone with its object: the name is looked for as a file again, and there is none.
    OpenPort gone(QString::fromStdString(name));
    EXPECT_FALSE(gone.opened);
    EXPECT_EQ(gone.error, VDL_ERR_FILE_OPEN);
    EXPECT_EQ(StreamRegion::FindEnd(name), -1);

    // An empty buffer is a file of no bytes: nothing to play, nothing read out of bounds.
    const StreamRegion::MemoryFile empty(nullptr, 0);
    EXPECT_EQ(StreamRegion::FindEnd(empty.Name()), 0);
    OpenPort nothing(QString::fromStdString(empty.Name()));
    EXPECT_FALSE(nothing.opened);
}

} // namespace
