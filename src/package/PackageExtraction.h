#pragma once

#include "package/IPackageProgress.h"
#include "package/PackageTrailer.h"

#include <QString>
#include <functional>
#include <optional>

class QFile;

// Extraction of the evidence a package carries, as the program does it at start-up: the
// trailer at the end of the executable, the password check, the copy of one or all files into
// the extraction folder with the progress window. What it read stays here for writing a new
// package later.
class PackageExtraction {
public:
    // The entered password, or none when the user cancelled.
    using PasswordPrompt = std::function<std::optional<QString>()>;
    // A file of a many-file package is in place at path; false ends the extraction after it.
    // Without one every file is extracted.
    using FileExtracted = std::function<bool(const QString& path)>;

    static constexpr const char* kProgressTitle = "File Extraction in Progress ...";

    explicit PackageExtraction(QString executablePath);

    void SetExtractionFolder(const QString& folder) { folder_ = folder; }
    void SetPasswordPrompt(PasswordPrompt prompt) { prompt_ = std::move(prompt); }
    void SetProgressFactory(PackageProgressFactory factory) { progressFactory_ = std::move(factory); }
    void SetFileExtracted(FileExtracted extracted) { extracted_ = std::move(extracted); }

    const QString& ExecutablePath() const { return executable_; }
    const QString& ExtractionFolder() const { return folder_; }
    bool IsPackage() const { return isPackage_; }
    const PackageTrailer& Trailer() const { return trailer_; }
    // The name a one-file package's file was extracted under.
    const QString& SingleFileName() const { return singleFileName_; }

    // target: where a one-file package's file goes; for a many-file package it is changed to
    // name the last file extracted. True when files were extracted and target names one.
    bool InitializeVideoExtraction(QString& target);
    bool ReadPackageTrailer(QFile& executable, QString& target);

private:
    bool PasswordCheck(bool rawDigest);
    bool ExtractSingleFile(QFile& executable, const QString& target);
    bool ExtractAllFiles(QFile& executable, QString& target);
    std::unique_ptr<IPackageProgress> ShowProgress() const;
    void MakeFolder() const;
    // Copies size bytes at offset into a new file at path; false (logged) when it cannot be made.
    // A startName starts the progress window's only file once the file is made.
    bool ExtractTo(QFile& executable, qint64 offset, qint64 size, const QString& path, IPackageProgress* progress,
                   const QString& startName);

    QString executable_;
    QString folder_;
    PasswordPrompt prompt_;
    PackageProgressFactory progressFactory_;
    FileExtracted extracted_;
    bool isPackage_ = false;
    PackageTrailer trailer_;
    QString singleFileName_;
};
