#pragma once

#include <QFont>
#include <QImage>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// A snapshot as it leaves the program: the camera's picture on a transparent canvas with the
// camera title and the frame's time above it and the device title below, written as PNG under a
// name that says which camera and which second it shows. No widgets: the viewer's handlers and
// the tests without a window share it.
class SnapshotComposer {
public:
    // A picture this small in both directions is no picture of a camera.
    static constexpr int kMinimumSide = 50;
    static constexpr int kMargin = 20;       // text row above and below the picture
    static constexpr int kNarrowWidth = 401; // below it the canvas grows by kNarrowExtra
    static constexpr int kNarrowExtra = 120;

    // The folder as a prefix for names: "/" appended unless it ends in one.
    static QString FolderPrefix(const QString& folder);
    // A title from the evidence file made safe for a file name: it must not leave the folder or
    // hide the file ("/", "\", control characters and leading dots become "_").
    static QString SafeTitle(const QString& title);
    // "20240305_090702": local time, zero-padded, so names sort and never collide by accident.
    static QString Stamp(qint64 time);
    // "_0_Lobby_1_20240305_090702.png": index in the request, device title, camera number + 1.
    static QString FileName(int index, const QString& deviceTitle, int cameraNumber, qint64 time);
    // The path itself when nothing is there, otherwise "-2", "-3", ... before the extension: an
    // earlier snapshot is evidence too and is never overwritten.
    static QString FreePath(const QString& path);

    static bool Usable(const QImage& picture);
    // The time in the user's default date and time format, seconds included.
    static QString TimeText(qint64 time);
    // Where the time text starts over a picture of this width.
    static int TimeX(int pictureWidth) { return (pictureWidth / 3) * 2 - 20; }
    static QFont Font();
    // The composed image; wide enough to hold the whole time text.
    static QImage Compose(const QImage& picture, const QString& cameraTitle, qint64 time, const QString& deviceTitle);
    // Writes PNG; false when the file could not be written.
    static bool Save(const QImage& image, const QString& path);

    // What a save of several cameras tells the user and the log.
    enum class Icon { Information, Warning, Critical };
    struct Outcome {
        QString text;
        Icon icon = Icon::Information;
        QString log;
        bool logIsError = false;
    };
    static Outcome Result(int requested, const QStringList& failed, const QString& folder);

    static const QString kCaption;  // "Save Snapshot(s)"
};
