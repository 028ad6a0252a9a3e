#include "evidence/BookmarkRecord.h"

#include "evidence/AnsiCodePage.h"
#include "evidence/EvidenceTime.h"

#include <algorithm>
#include <cstring>

namespace {

QString TextField(const char* field, int size)
{
    const char* end = static_cast<const char*>(std::memchr(field, 0, size));
    return AnsiCodePage::ToWide(field, end ? end - field : size);
}

bool SetTextField(char* field, int fieldSize, int maxBytes, const QString& text)
{
    std::memset(field, 0, fieldSize);
    // Windows-1252 has one byte per character, so any cut is on a character boundary.
    const QByteArray bytes = AnsiCodePage::FromWide(text);
    const int n = static_cast<int>(std::min<qsizetype>(bytes.size(), maxBytes));
    std::memcpy(field, bytes.constData(), n);
    return n == bytes.size();
}

} // namespace

BookmarkRecord::BookmarkRecord()
{
    bytes_.fill(0);
}

BookmarkRecord::BookmarkRecord(const char* bytes, int size)
{
    bytes_.fill(0);
    std::memcpy(bytes_.data(), bytes, std::clamp(size, 0, kSize));
}

QString BookmarkRecord::GetName() const
{
    return TextField(bytes_.data(), kNameSize);
}

bool BookmarkRecord::SetName(const QString& name)
{
    return SetTextField(bytes_.data(), kNameSize, kNameSize, name);
}

QString BookmarkRecord::GetNotes() const
{
    return TextField(bytes_.data() + kNotesOffset, kNotesSize);
}

bool BookmarkRecord::SetNotes(const QString& notes)
{
    return SetTextField(bytes_.data() + kNotesOffset, kNotesSize, kNotesMaxBytes, notes);
}

qint64 BookmarkRecord::StoredTicks() const
{
    quint64 v = 0;
    for (int i = 7; i >= 0; --i) {
        v = (v << 8) | static_cast<unsigned char>(bytes_[kTimeOffset + i]);
    }
    return static_cast<qint64>(v);
}

void BookmarkRecord::SetStoredTicks(qint64 ticks)
{
    quint64 v = static_cast<quint64>(ticks);
    for (int i = 0; i < 8; ++i) {
        bytes_[kTimeOffset + i] = static_cast<char>(v & 0xFF);
        v >>= 8;
    }
}

qint64 BookmarkRecord::GetTime() const
{
    return EvidenceTime::TimeFromTicks(StoredTicks());
}

void BookmarkRecord::SetTime(qint64 time)
{
    SetStoredTicks(EvidenceTime::TicksFromTime(time));
}
