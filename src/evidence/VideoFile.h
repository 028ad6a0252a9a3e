#pragma once

#include "evidence/BookmarkRecord.h"

#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <memory>
#include <vector>

using BookmarkList = std::vector<std::shared_ptr<BookmarkRecord>>;

// The file-level facts shared by the videos of one opened file. The bookmark records are shared
// with the tag they were read from.
class VideoFile {
public:
    VideoFile();
    virtual ~VideoFile();

    QString path;
    qint64 startTime = 0;
    qint64 endTime = 0;
    uint8_t flagB = 0;
    bool encrypted = false;
    QString leadingText;
    QString sourceFolder;
    BookmarkList bookmarks;
    bool fisheyeFullDewarp = false;
    bool viewFlag = false;
    bool fisheyeSecondKind = false;
    QString mountType;
    QString viewMode;
    int32_t value1 = -1;
    int32_t value2 = -1;
    float dragX0 = 0.0f;
    float dragY0 = 0.0f;
    float dragX1 = 0.0f;
    float dragY1 = 0.0f;

    void SetViewMode(const QString& mode) { viewMode = mode; }
};
