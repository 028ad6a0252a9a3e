#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>

// The progress window of extraction and saving, as the package code sees it. It is shown when
// created and taken down when destroyed.
class IPackageProgress {
public:
    virtual ~IPackageProgress() = default;
    // A new file: its name, its size in bytes and how many files there are in all.
    virtual void StartFile(const QString& name, qint64 size, int count) = 0;
    // Bytes of the current file done so far.
    virtual void UpdateProgress(qint64 done) = 0;
};

// Makes the progress window with the given title; may return none.
using PackageProgressFactory = std::function<std::unique_ptr<IPackageProgress>(const QString& title)>;
