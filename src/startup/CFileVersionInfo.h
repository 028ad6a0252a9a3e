#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

// Reads the version block compiled into an executable: the 52-byte fixed version record and the
// twelve version strings of the best matching translation.
class CFileVersionInfo {
public:
    static constexpr int kFixedSize = 52;

    CFileVersionInfo() = default;
    virtual ~CFileVersionInfo() = default;

    bool Create(const QString& path);
    virtual void Reset();

    // The chosen translation for a block's list, as the version resource rules pick it.
    static int ChooseTranslation(const uint32_t* entries, int count, uint16_t userLanguage);
    // The block's search marker (kept masked in the binary so the reader never finds itself).
    static QByteArray Marker();

    std::array<uint8_t, kFixedSize> fixedInfo{};
    QString CompanyName;
    QString FileDescription;
    QString FileVersion;
    QString InternalName;
    QString LegalCopyright;
    QString OriginalFileName;
    QString ProductName;
    QString ProductVersion;
    QString Comments;
    QString LegalTrademarks;
    QString PrivateBuild;
    QString SpecialBuild;

private:
    bool Parse(const QByteArray& block);
};
