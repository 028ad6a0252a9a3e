// Sample evidence as the player gets it: a stream the library plays, followed by a real tag.
#include "VdlTestSupport.h"

#include "evidence/FileTag.h"
#include "tools/ToolCommand.h"
#include "tools/sample/MakeSampleCommand.h"
#include "tools/sample/SampleMaker.h"
#include "vdl/vdl.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

TEST(SampleMaker, EveryTagVersionReadsBackAndTheStreamPlaysBehindIt)
{
    for (const char* version : {"6.0", "6.1", "6.2", "7.1"}) {
        QTemporaryDir dir;
        SampleEvidenceOptions o;
        o.cameras = 2;
        o.durationSeconds = 3;
        o.width = 320;
        o.height = 240;
        o.gop = 25;
        o.tagVersion = version;
        o.bookmarks = 2;
        o.startUtc = 1622876880; // 2021-06-05 07:08:00 UTC
        const QStringList files = SampleMaker::Make(dir.path(), o);
        ASSERT_EQ(files.size(), 2);
        FileTag tag;
        ASSERT_TRUE(tag.LoadFromFile(files[1])) << version;
        EXPECT_EQ(tag.Version(), QString::fromLatin1(version));
        EXPECT_EQ(tag.DeviceName(), QStringLiteral("Sample Recorder"));
        EXPECT_EQ(tag.StartTime(), 1622876880);
        EXPECT_EQ(tag.EndTime(), 1622876883);
        EXPECT_EQ(tag.CameraNames().value(0), QStringLiteral("Camera 2"));

        OpenPort open(files[1]);
        ASSERT_TRUE(open.opened) << version << ": " << VDL_GetErrorText(open.error);
        StampSurface surface;
        VDL_SetSurface(open.port, surface.Handle());
        ASSERT_TRUE(VDL_SeekPlayedTime(open.port, 99999));
        EXPECT_EQ(surface.LastStamp(), 74) << version;
        uint32_t start = 0, stop = 0;
        ASSERT_TRUE(VDL_GetFileTimeRange(open.port, &start, &stop, nullptr));
        EXPECT_EQ(start, VDL_PackTime(2021, 6, 5, 7, 8, 0));
        VDL_SetSurface(open.port, nullptr);
    }
}

TEST(SampleMaker, CommandWritesAnExportFolderAndRefusesBadOptions)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("export");
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    auto makeSample = [&](const QStringList& args) { return MakeSampleCommand::Command().Run(args, outStream, errStream); };
    EXPECT_EQ(makeSample({folder, "--cameras", "3", "--channels-per-file", "3", "--duration", "2", "--size", "320x240",
                          "--encrypted", "--partial", "--start", "2022-03-04 05:06:07"}),
              0);
    const QStringList made = QDir(folder).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(made, QStringList({"cameras_1-3.partial", "cameras_1-3.video"}));
    const QString video = QDir(folder).filePath("cameras_1-3.video");
    FileTag tag;
    ASSERT_TRUE(tag.LoadFromFile(video));
    EXPECT_EQ(tag.CameraNames().size(), 3);
    int32_t port = 0;
    ASSERT_TRUE(VDL_AcquirePort(&port));
    ASSERT_TRUE(VDL_SetStreamKey(port, 1, "qa_halyards_5062", 128));
    ASSERT_TRUE(VDL_SelectStream(port, 2));
    ASSERT_TRUE(VDL_OpenFile(port, QFile::encodeName(video).constData()));
    VDL_StreamInfo info = {};
    ASSERT_TRUE(VDL_GetStreamInfo(port, &info));
    EXPECT_EQ(info.encrypted, 1);
    EXPECT_EQ(info.videoStreamCount, 3);
    ASSERT_TRUE(VDL_ReleasePort(port));
    EXPECT_LT(QFile(QDir(folder).filePath("cameras_1-3.partial")).size(), QFile(video).size());

    for (const QStringList& bad : {QStringList{}, QStringList{folder, "--cameras", "0"}, QStringList{folder, "--size", "10x"},
                                   QStringList{folder, "--codec", "vp9"}, QStringList{folder, "--frobnicate"},
                                   QStringList{folder, "--tag-version", "7.2"}, QStringList{folder, "--start", "yesterday"}})
        EXPECT_EQ(makeSample(bad), 64) << bad.join(' ').toStdString();
}
