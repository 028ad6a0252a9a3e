// Opening, playing, snapshotting and extracting never change the evidence: each read path of
// the player runs on real sample evidence (every tag version, encrypted, cut short) and the
// files' SHA-256 is compared before and after.
#include "FileIntegrity.h"

#include "startup/CabinetFileHelper.h"
#include "driver/FrameSurface.h"
#include "evidence/FalException.h"
#include "facade/FalFacade.h"
#include "evidence/FileTag.h"
#include "evidence/TagBuilder.h"
#ifdef PLOMERA_HAVE_PACKAGE
#include "package/PackageExtraction.h"
#include "package/PackageWriter.h"
#endif
#include "tools/sample/SampleMaker.h"
#include "vdl/vdl.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

namespace {

constexpr char kSampleKey[] = "qa_halyards_5062";

void Sleep(int millis)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(millis));
}

class ReadOnlyIntegrityTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        SampleEvidenceOptions o;
        o.durationSeconds = 2;
        o.width = 160;
        o.height = 96;
        o.fps = 10;
        o.gop = 10;
        o.bookmarks = 2;
        auto make = [](const QString& name, const SampleEvidenceOptions& options) {
            for (const QString& f : SampleMaker::Make(folder->filePath(name), options)) {
                files->push_back(f);
            }
        };
        files = new QStringList;
        for (const char* version : {"6.0", "6.1", "6.2", "7.1"}) {
            SampleEvidenceOptions v = o;
            v.tagVersion = QString::fromLatin1(version);
            make(QStringLiteral("v") + QString::fromLatin1(version), v);
        }
        SampleEvidenceOptions e = o;
        e.encrypted = true;
        e.watermark = true;
        e.audio = true;
        e.partial = true;
        make(QStringLiteral("encrypted"), e);
        SampleEvidenceOptions two = o;
        two.cameras = 2;
        two.channelsPerFile = 2;
        two.codec = QStringLiteral("mpeg4");
        make(QStringLiteral("two"), two);
    }
    static void TearDownTestSuite()
    {
        delete files;
        delete folder;
    }

    static QTemporaryDir* folder;
    static QStringList* files;
};

QTemporaryDir* ReadOnlyIntegrityTest::folder = nullptr;
QStringList* ReadOnlyIntegrityTest::files = nullptr;

} // namespace

TEST_F(ReadOnlyIntegrityTest, TheCheckSeesAChangedByteARewriteAndALeftBackup)
{
    const QString path = folder->filePath(QStringLiteral("changed.video"));
    ASSERT_TRUE(QFile::copy(files->first(), path));
    {
        FileIntegrity check(path);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(100);
        const char byte = f.peek(1).at(0);
        f.write(QByteArray(1, static_cast<char>(byte ^ 1)));
        f.close();
        EXPECT_FALSE(check.Unchanged());
    }
    {
        // The same bytes written again are a change as well.
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC),
                                  QFileDevice::FileModificationTime));
        f.close();
        FileIntegrity check(path);
        ASSERT_TRUE(check.Unchanged());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        const QByteArray head = f.read(64);
        f.seek(0);
        f.write(head);
        f.close();
        EXPECT_FALSE(check.Unchanged());
    }
    FileIntegrity check(path);
    QFile backup(path + QStringLiteral("_Backup"));
    ASSERT_TRUE(backup.open(QIODevice::WriteOnly));
    backup.close();
    EXPECT_FALSE(check.Unchanged());
}

TEST_F(ReadOnlyIntegrityTest, ReadingTagsAndBookmarksLeavesFilesUntouched)
{
    // The sample files and tags damaged the ways the reader must survive.
    QStringList paths = *files;
    const std::vector<std::pair<const char*, TagSpec>> damaged = [] {
        std::vector<std::pair<const char*, TagSpec>> rows;
        TagSpec s;
        s.bookmarkSection = TagBuilder::Bookmark("Door", 638000000000000000LL, "n");
        s.tagStartOverride = 1 << 30;
        rows.emplace_back("start-beyond-end.video", s);
        s = TagSpec();
        s.version = "6.1";
        s.leadingLengthOverride = 0x7FFFFFF0;
        rows.emplace_back("long-leading.video", s);
        s = TagSpec();
        s.version = "7.1";
        s.start = "abc";
        rows.emplace_back("bad-time.video", s);
        return rows;
    }();
    for (const auto& [name, laidOut] : damaged) {
        const QString path = folder->filePath(QString::fromLatin1(name));
        std::ofstream(path.toStdString(), std::ios::binary) << TagBuilder::Build(laidOut);
        paths << path;
    }
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        FileIntegrity check(path);
        FileTag tag;
        try {
            tag.ReadVersion(path);
            if (tag.LoadFromFile(path)) {
                tag.ReadBookmarks();
            }
        } catch (const std::exception&) {
            // Damaged tags fail; the file must stay as it was all the same.
        }
        EXPECT_TRUE(check.Unchanged()) << check.Describe().toStdString();
    }
}

TEST_F(ReadOnlyIntegrityTest, DecodingLibraryPlaybackStepsSeeksAndPicturesLeaveFilesUntouched)
{
    for (const QString& path : *files) {
        SCOPED_TRACE(path.toStdString());
        FileIntegrity check(path);
        int32_t port = 0;
        ASSERT_TRUE(VDL_AcquirePort(&port));
        VDL_SetStreamKey(port, 1, kSampleKey, 128);
        FrameSurface surface;
        const QByteArray native = QFile::encodeName(path);
        const bool opened = VDL_OpenFile(port, native.constData()) != 0;
        // A cut-short export may not open; everything that opens plays.
        if (opened) {
            EXPECT_TRUE(VDL_Play(port, surface.Handle()));
            surface.WaitForPresented(2, 3000);
            EXPECT_TRUE(VDL_StepForward(port));
            EXPECT_TRUE(VDL_StepBackward(port));
            VDL_SeekPlayedTime(port, 1000);
            uint32_t used = 0;
            std::vector<uint8_t> bmp(4 << 20);
            EXPECT_TRUE(VDL_GetBmp(port, bmp.data(), static_cast<uint32_t>(bmp.size()), &used));
            VDL_Pause(port, 0);
            VDL_Faster(port);
            Sleep(100);
            VDL_PlayBackward(port);
            Sleep(100);
            VDL_Stop(port);
        } else {
            EXPECT_TRUE(path.endsWith(QLatin1String(".partial")));
        }
        EXPECT_TRUE(VDL_ReleasePort(port));
        EXPECT_TRUE(check.Unchanged()) << check.Describe().toStdString();
    }
}

TEST_F(ReadOnlyIntegrityTest, FacadeOpenPlaySnapshotAndCloseLeaveFilesUntouched)
{
    for (const QString& path : *files) {
        SCOPED_TRACE(path.toStdString());
        FileIntegrity check(path);
        {
            FalFacade facade;
            std::vector<std::unique_ptr<FrameSurface>> surfaces;
            VideoList list;
            try {
                FalFacade::OwnedVideos videos = facade.OpenVideoFile(path, QFileInfo(path).absolutePath());
                for (const auto& v : videos) {
                    surfaces.push_back(std::make_unique<FrameSurface>());
                    v->renderWindow = surfaces.back()->Handle();
                    list.push_back(v.get());
                }
                if (!list.empty()) {
                    facade.PlayVideos(&list);
                    surfaces.front()->WaitForPresented(2, 3000);
                    facade.FrameNext(list.front());
                    facade.FramePrevious(list.front());
                    const QImage snapshot = facade.SaveSnapshot(list.front());
                    EXPECT_FALSE(snapshot.isNull());
                    facade.StopVideos(&list);
                }
                for (Video* v : list) {
                    facade.CloseVideo(v);
                }
            } catch (const FalException& e) {
                // A cut-short export may refuse to play; it must not be written to either.
                EXPECT_TRUE(path.endsWith(QLatin1String(".partial"))) << e.Message().toStdString();
            }
        }
        EXPECT_TRUE(check.Unchanged()) << check.Describe().toStdString();
    }
}

TEST_F(ReadOnlyIntegrityTest, CabinetExpansionLeavesTheCabinetUntouched)
{
    const QString source = folder->filePath(QStringLiteral("cab-source"));
    ASSERT_TRUE(QDir().mkpath(source + QStringLiteral("/sub")));
    ASSERT_TRUE(QFile::copy(files->first(), source + QStringLiteral("/sub/evidence.video")));
    QProcess gcab;
    gcab.setWorkingDirectory(source);
    gcab.start(QStringLiteral("gcab"), {QStringLiteral("-c"), QStringLiteral("-z"), folder->filePath(QStringLiteral("551")),
                                       QStringLiteral("sub/evidence.video")});
    ASSERT_TRUE(gcab.waitForFinished(30000));
    ASSERT_EQ(gcab.exitCode(), 0);
    FileIntegrity check(folder->filePath(QStringLiteral("551")));
    CabinetFileHelper helper;
    helper.Start(QStringLiteral("551"), folder->path(), folder->filePath(QStringLiteral("expanded")));
    EXPECT_EQ(helper.Result(), 1);
    EXPECT_EQ(FileIntegrity::Sha256(folder->filePath(QStringLiteral("expanded/sub/evidence.video"))),
              FileIntegrity::Sha256(files->first()));
    EXPECT_TRUE(check.Unchanged()) << check.Describe().toStdString();
}

#ifdef PLOMERA_HAVE_PACKAGE
TEST_F(ReadOnlyIntegrityTest, PackageExtractionLeavesThePackageAndItsSourcesUntouched)
{
    const QString player = folder->filePath(QStringLiteral("player"));
    {
        QFile f(player);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'P'));
    }
    // Two names, since a package holds each name once.
    const QStringList partials = files->filter(QStringLiteral(".partial"));
    ASSERT_FALSE(partials.isEmpty());
    const QStringList carried = {files->at(0), partials.first()};
    std::vector<FileIntegrity> sources;
    for (const QString& path : carried) {
        sources.emplace_back(path);
    }
    for (quint32 kind : {2u, 1u}) {
        SCOPED_TRACE(kind);
        const QString package = folder->filePath(QStringLiteral("package-%1").arg(kind));
        const QStringList packed = kind == 1 ? QStringList{carried.first()} : carried;
        PackageWriter::CreatePackage(player, packed, package, std::nullopt, kind);
        FileIntegrity check(package);
        PackageExtraction extraction(package);
        const QString out = folder->filePath(QStringLiteral("extracted-%1").arg(kind));
        extraction.SetExtractionFolder(out);
        QString target = out + QStringLiteral("/AFD62DEF-B422-4AD5-B4C4-49FDF00D00F9.tmp");
        ASSERT_TRUE(extraction.InitializeVideoExtraction(target));
        EXPECT_EQ(FileIntegrity::Sha256(target), FileIntegrity::Sha256(packed.last()));
        EXPECT_TRUE(check.Unchanged()) << check.Describe().toStdString();
    }
    for (const FileIntegrity& source : sources) {
        EXPECT_TRUE(source.Unchanged()) << source.Describe().toStdString();
    }
}
#endif
