#include "tools/WatermarkCommand.h"

#include "driver/KestraneDevice.h"
#include "driver/VdlLibrary.h"
#include "driver/WatermarkStatusText.h"
#include "evidence/FalException.h"
#include "evidence/FileTag.h"
#include "evidence/WideText.h"
#include "tools/CommandOutput.h"
#include "tools/ToolCommand.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <exception>
#include <vector>

namespace {

constexpr int kNotChecked = 1;
constexpr int kUnreadable = 2;
constexpr int kMissing = 3;
constexpr int kBroken = 4;

const QString kJson = QStringLiteral("--json");
const QString kLibrary = QStringLiteral("--library");

const char* StateName(int state)
{
    switch (state) {
    case VDL_WATERMARK_STATE_VERIFIED:
        return "verified";
    case VDL_WATERMARK_STATE_MISSING:
        return "missing";
    case VDL_WATERMARK_STATE_BROKEN:
        return "broken";
    default:
        return "not checked";
    }
}

struct CameraResult {
    QString name;
    int channel = 0;
    VDL_WatermarkStatusBlock status = {};
    std::vector<VDL_WatermarkReport> failures;
};

void AddFailure(int32_t, const VDL_WatermarkReport** report, void* user)
{
    static_cast<std::vector<VDL_WatermarkReport>*>(user)->push_back(**report);
}

QJsonObject FailureJson(const VDL_WatermarkReport& r)
{
    return {{QStringLiteral("kind"), r.status == VDL_WATERMARK_MISSING ? QStringLiteral("missing") : QStringLiteral("failed")},
            {QStringLiteral("sequence"), static_cast<qint64>(r.sequence)},
            {QStringLiteral("time"), WatermarkStatusText::Date(r.packedTime)},
            {QStringLiteral("playedMillis"), static_cast<qint64>(r.playedMillis)},
            {QStringLiteral("reason"), WatermarkStatusText::Fault(r.fault)}};
}

int Run(const CommandArguments& args, CommandOutput& io)
{
    args.ExpectPositional(1, 1, QStringLiteral("FILE"));
    const QString path = args.Positional().first();
    if (args.Has(kLibrary))
        VdlLibrary::SetLibraryPath(args.Value(kLibrary));
    if (!QFileInfo(path).isFile()) {
        io.Message(QStringLiteral("Cannot read %1: no such file").arg(path));
        return kUnreadable;
    }
    // The tag names the cameras, says whether the stream needs the key and gives the wall clock
    // of a stream that carries none: as the player opens the file.
    FileTag tag;
    bool tagged = false;
    try {
        tagged = tag.LoadFromFile(path);
    } catch (const std::exception&) {
        // No readable tag: the stream is still checked, as one camera without a wall clock.
    }
    std::vector<CameraResult> cameras;
    const size_t streams = tagged ? std::max<size_t>(1, tag.Channels().size()) : 1;
    try {
        const VdlAdapter& vdl = VdlLibrary::Adapter();
        const QByteArray nativePath = QFile::encodeName(path);
        const char* key = tagged && tag.Encrypted() ? KestraneDevice::kStreamKey : nullptr;
        for (size_t i = 0; i < streams; ++i) {
            CameraResult c;
            c.channel = tagged && i < tag.Channels().size() ? tag.Channels()[i] : 0;
            c.name = tagged && static_cast<qsizetype>(i) < tag.CameraNames().size()
                         ? WideText::UpToNul(tag.CameraNames().at(static_cast<qsizetype>(i)))
                         : QStringLiteral("Camera %1").arg(i + 1);
            if (vdl.ScanWatermark(nativePath.constData(), static_cast<int32_t>(i), key, key ? 128 : 0,
                                  tagged ? tag.StartTime() : 0, &c.status, &AddFailure, &c.failures)
                == 0) {
                const int32_t error = vdl.GetLastError(0);
                io.Message(QStringLiteral("Cannot check %1: %2 - %3").arg(path, QString::fromUtf8(vdl.GetErrorText(error))).arg(error));
                return kUnreadable;
            }
            cameras.push_back(std::move(c));
        }
    } catch (const FalException& e) {
        io.Message(e.Message());
        return kUnreadable;
    }

    int worst = VDL_WATERMARK_STATE_NOT_CHECKED;
    for (const CameraResult& c : cameras)
        worst = std::max(worst, c.status.state);
    const int exit = worst == VDL_WATERMARK_STATE_BROKEN    ? kBroken
                     : worst == VDL_WATERMARK_STATE_MISSING ? kMissing
                     : worst == VDL_WATERMARK_STATE_VERIFIED ? ExitCode::kOk
                                                             : kNotChecked;
    if (args.Has(kJson)) {
        QJsonArray list;
        for (const CameraResult& c : cameras) {
            QJsonArray failures;
            for (const VDL_WatermarkReport& r : c.failures)
                failures.append(FailureJson(r));
            const VDL_WatermarkStatusBlock& s = c.status;
            QJsonObject o{{QStringLiteral("camera"), c.name},
                          {QStringLiteral("channel"), c.channel},
                          {QStringLiteral("state"), QString::fromLatin1(StateName(s.state))},
                          {QStringLiteral("text"), WatermarkStatusText::Row(s)},
                          {QStringLiteral("recordsSeen"), static_cast<qint64>(s.recordsSeen)},
                          {QStringLiteral("recordsFailed"), static_cast<qint64>(s.recordsFailed)},
                          {QStringLiteral("longestGapMillis"), static_cast<qint64>(s.longestGapMillis)},
                          {QStringLiteral("failures"), failures}};
            if (s.haveFirstRecord) {
                o[QStringLiteral("serialNumber")] = s.serialNumber;
                o[QStringLiteral("channelInRecord")] = static_cast<int>(s.channel);
                o[QStringLiteral("mac")] = QString::asprintf("%02x:%02x:%02x:%02x:%02x:%02x", s.mac[0], s.mac[1],
                                                             s.mac[2], s.mac[3], s.mac[4], s.mac[5]);
            }
            list.append(o);
        }
        io.Json({{QStringLiteral("path"), path},
                 {QStringLiteral("state"), QString::fromLatin1(StateName(worst))},
                 {QStringLiteral("cameras"), list}});
        return exit;
    }
    io.Line(QStringLiteral("File:       %1").arg(path));
    io.Line(QStringLiteral("Watermark:  %1").arg(QString::fromLatin1(StateName(worst))));
    for (const CameraResult& c : cameras) {
        const VDL_WatermarkStatusBlock& s = c.status;
        io.Line(QStringLiteral("%1 (channel %2): %3").arg(c.name).arg(c.channel).arg(WatermarkStatusText::Row(s)));
        io.Line(QStringLiteral("  records %1, failed %2, longest gap %3 ms")
                    .arg(s.recordsSeen)
                    .arg(s.recordsFailed)
                    .arg(s.longestGapMillis));
        for (const VDL_WatermarkReport& r : c.failures) {
            if (r.status == VDL_WATERMARK_MISSING)
                io.Line(QStringLiteral("  missing after %1 (played %2 ms)").arg(WatermarkStatusText::Date(r.packedTime)).arg(r.playedMillis));
            else
                io.Line(QStringLiteral("  record %1 at %2 (played %3 ms) failed: %4")
                            .arg(r.sequence)
                            .arg(WatermarkStatusText::Date(r.packedTime))
                            .arg(r.playedMillis)
                            .arg(WatermarkStatusText::Fault(r.fault)));
        }
    }
    return exit;
}

} // namespace

const ToolCommand& WatermarkCommand::Command()
{
    static const ToolCommand command{
        "watermark",
        "check the watermark records of every camera of a .video file",
        "watermark FILE [--json] [--library PATH]",
        R"HELP(Runs the stream of every camera of a .video or .partial file through the player's watermark
checks, reading the coded frames without decoding them: each record's seal, that serial number,
MAC and channel stay those of the first record, that each record's time lies within a second of
its frame's, and that no more than 2 s pass without a record. Prints each camera's state, its
counts and every failed record. The file is only read.

Options:
  --json            one JSON object: path, state, cameras [{camera, channel, state, text,
                    recordsSeen, recordsFailed, longestGapMillis, serialNumber?, mac?,
                    channelInRecord?, failures [{kind, sequence, time, playedMillis, reason}]}]
  --library PATH    the decoding library to use instead of the one found beside the program

Exit codes:
  (the worst camera counts)
  0   every camera's watermark verified
  1   nothing could be checked (no records and a stream too short or not H.264)
  2   the file cannot be read
  3   a watermark is missing (no record for more than 2 s)
  4   a watermark is broken
  64  a mistake in the command line
)HELP",
        {{kJson, {}}, {kLibrary, QStringLiteral("PATH")}},
        &Run,
    };
    return command;
}
