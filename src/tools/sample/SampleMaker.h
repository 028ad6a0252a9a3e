#pragma once

#include <QString>
#include <QList>
#include <QStringList>

#include <functional>
#include <vector>

// What an export folder of sample evidence holds (plomera-evidence make-sample).
struct SampleEvidenceOptions {
    int cameras = 1;
    int firstCamera = 1;      // number of the first camera (names and channels)
    int channelsPerFile = 1;  // video streams (cameras) in one file
    double durationSeconds = 60.0;
    qint64 startUtc = 0;      // 0: 2021-06-05 07:08:00 local time
    int fps = 25;
    int width = 640;
    int height = 360;
    int gop = 50;
    qint64 bitRate = 0;       // bits per second; 0: the stream writer's default
    QString codec = "h264";
    bool audio = false;
    bool encrypted = false;
    QString key = "qa_halyards_5062";
    bool fisheye = false;
    QString mount = "Ceiling";
    bool fisheyeLayouts = false;  // the tag offers the combined dewarp layouts too
    bool watermark = false;
    int watermarkBreak = -1;
    int watermarkGapFrom = -1;
    int watermarkGapTo = -1;
    QString tagVersion;       // empty: 6.2, or 7.1 for fisheye
    int bookmarks = 0;
    bool partial = false;     // one more file, cut short, named .partial
    bool metadata = false;    // every file gets a vehicle's metadata section (a sample a second)
    double routeLatitude = 51.5074;   // centre of the vehicle's loop, decimal degrees
    double routeLongitude = -0.1278;
    QString deviceName = "Sample Recorder";
    // Frames written so far over all files, and how many there will be; file: the one in hand.
    std::function<void(qint64 done, qint64 total, const QString& file)> progress;
};

// One file the sample maker wrote, as its tag describes it.
struct SampleFile {
    QString path;
    QStringList cameraNames;
    QList<int> channels;    // channel numbers, in the order of the names
    qint64 startTime = 0;   // seconds since 1970 UTC
    qint64 endTime = 0;
    QString tagVersion;     // empty for a .partial: its tag is cut off with the stream's end
    bool partial = false;
};

// Writes sample evidence: one .video file per camera (or per group of channelsPerFile cameras),
// each a stream made by SampleStreamWriter followed by a real tag.
class SampleMaker {
public:
    // Returns the files written; throws std::exception (FalException for the tag) on failure.
    static std::vector<SampleFile> MakeFiles(const QString& folder, const SampleEvidenceOptions& options);
    // The paths of MakeFiles.
    static QStringList Make(const QString& folder, const SampleEvidenceOptions& options);
    // The default start: 2021-06-05 07:08:00 in the process's time zone.
    static qint64 DefaultStart();
};
