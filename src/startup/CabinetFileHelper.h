#pragma once

#include "logging/SimpleThread.h"

#include <QString>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

// Expands the support cabinet into the temporary folder on a worker thread while the caller
// waits. Entry names that would leave the destination folder are refused.
class CabinetFileHelper : public CCThread::SimpleThread {
public:
    static constexpr int kProgressCap = 95;
    static constexpr int kCompletionValue = 100;
    static constexpr int kProgressMessage = 1204;

    // Receives the progress notices (progress, 1) and the completion notice (100, result); called
    // on the worker thread, so it must only post. May be empty.
    using Notify = std::function<void(int first, int second)>;

    explicit CabinetFileHelper(Notify notify = {});
    ~CabinetFileHelper() override;

    // Expands cabinetFolder + cabinetName into destinationFolder; returns when done.
    void Start(const QString& cabinetName, const QString& cabinetFolder, const QString& destinationFolder);

    uint32_t Run(void* parameter) override;
    void Stop() override {}

    // 1 when the last expansion succeeded.
    int Result() const { return result_; }
    int Progress() const { return progress_; }

    // The file an entry name is written to, or empty when the name is refused.
    static QString DestinationFor(const QString& destinationFolder, const QString& entryName);

private:
    int Expand();

    Notify notify_;
    QString destinationFolder_;
    QString cabinetName_;
    QString cabinetFolder_;
    std::mutex doneMutex_;
    std::condition_variable doneSignal_;
    bool done_ = false;
    int progress_ = 0;
    int result_ = 0;
};
