#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

// What one sample stream holds. Every frame shows its camera name, wall-clock time with
// milliseconds and frame number, and carries the frame stamp and its camera's number (FrameStamp).
struct SampleStreamOptions {
    int width = 640;
    int height = 360;
    int fps = 25;
    int gop = 50;
    double durationSeconds = 60.0;
    QString codec = "h264";          // "h264" or "mpeg4"
    QString container = "matroska";  // "matroska", "mp4", "mpegts"
    qint64 startUtc = 1609459200;    // wall clock of frame 0, seconds since 1970 UTC
    bool writeCreationTime = true;
    QStringList cameraNames = {"Camera 1"}; // one video stream each
    QList<int> cameraNumbers;        // stamped beside the frame index; empty: 1, 2, 3 ...
    bool audio = false;
    QByteArray encryptionKey;        // 16 bytes: CENC AES-CTR (MP4 only); empty: clear
    bool watermark = false;
    QByteArray watermarkKey;         // 16 bytes, the stream key
    qint32 serialNumber = 12345678;
    QByteArray mac = QByteArray::fromHex("0012ab34cd56");
    int watermarkBreakSecond = -1;   // the record of this second gets a spoilt seal
    int watermarkGapFrom = -1;       // no records in [from, to) seconds
    int watermarkGapTo = -1;
    bool fisheye = false;
    QString mount = "Ceiling"; // a fisheye's mounting: where its lens looks (Wall: level, Ceiling: down, Desktop: up)
    qint64 bitRate = 0;              // 0: about 4 bits per 100 pixels per frame
    int threads = 2;
    // Called on the writing thread after each frame time of every camera: frames done, in all.
    std::function<void(int64_t done, int64_t total)> progress;
};

class SampleStreamWriter {
public:
    // Writes the stream to path; throws std::runtime_error with FFmpeg's reason on failure.
    static void Write(const QString& path, const SampleStreamOptions& options);
    // The key id written with an encrypted stream: the first 16 bytes of SHA-256(key), which the
    // library checks its key against before it plays.
    static QByteArray KeyId(const QByteArray& key);
};
