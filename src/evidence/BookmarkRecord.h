#pragma once

#include <QString>
#include <QtGlobal>
#include <array>

// One bookmark, 280 bytes, stored in files exactly as held here: name (16 bytes of 8-bit text),
// time (little-endian 64-bit ticks of local wall-clock time since 0001-01-01), notes (256 bytes).
class BookmarkRecord {
public:
    static constexpr int kSize = 280;
    static constexpr int kNameSize = 16;
    static constexpr int kTimeOffset = 16;
    static constexpr int kNotesOffset = 24;
    static constexpr int kNotesSize = 256;
    static constexpr int kNotesMaxBytes = 255;

    BookmarkRecord();
    explicit BookmarkRecord(const char* bytes, int size = kSize);

    QString GetName() const;
    // Returns false when the name had to be cut to fit.
    bool SetName(const QString& name);
    qint64 GetTime() const;
    void SetTime(qint64 time);
    QString GetNotes() const;
    // Returns false when the notes had to be cut to fit (a NUL always ends them).
    bool SetNotes(const QString& notes);

    qint64 StoredTicks() const;
    void SetStoredTicks(qint64 ticks);

    const std::array<char, kSize>& Bytes() const { return bytes_; }

private:
    std::array<char, kSize> bytes_;
};
