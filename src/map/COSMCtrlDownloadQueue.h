#pragma once

#include "map/structDownloadItem.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>

// The pending tile downloads, taken from the front by the worker. One lock guards the list, so
// the worker never takes an item while the list is being emptied.
class COSMCtrlDownloadQueue {
public:
    void Push(std::unique_ptr<structDownloadItem> item);
    // The first item, or nothing. Every item taken must be followed by FinishItem.
    std::unique_ptr<structDownloadItem> TakeFirst();
    void FinishItem();
    // Frees every pending item.
    void Clear();
    std::size_t Size() const;
    // Waits until nothing is pending and no taken item is being worked on.
    bool WaitUntilDrained(int timeoutMs);

private:
    mutable std::mutex lock_;  // guards items_ and inFlight_
    std::condition_variable drained_;
    std::deque<std::unique_ptr<structDownloadItem>> items_;
    int inFlight_ = 0;
};
