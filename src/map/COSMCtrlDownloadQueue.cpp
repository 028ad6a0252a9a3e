#include "map/COSMCtrlDownloadQueue.h"

#include <chrono>

void COSMCtrlDownloadQueue::Push(std::unique_ptr<structDownloadItem> item)
{
    std::lock_guard<std::mutex> guard(lock_);
    items_.push_back(std::move(item));
}

std::unique_ptr<structDownloadItem> COSMCtrlDownloadQueue::TakeFirst()
{
    std::lock_guard<std::mutex> guard(lock_);
    if (items_.empty()) {
        return nullptr;
    }
    std::unique_ptr<structDownloadItem> item = std::move(items_.front());
    items_.pop_front();
    ++inFlight_;
    return item;
}

void COSMCtrlDownloadQueue::FinishItem()
{
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (inFlight_ > 0) {
            --inFlight_;
        }
    }
    drained_.notify_all();
}

void COSMCtrlDownloadQueue::Clear()
{
    std::deque<std::unique_ptr<structDownloadItem>> dropped;
    {
        std::lock_guard<std::mutex> guard(lock_);
        dropped.swap(items_);
    }
    // The items are freed outside the lock; nothing else can reach them any more.
    drained_.notify_all();
}

std::size_t COSMCtrlDownloadQueue::Size() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return items_.size();
}

bool COSMCtrlDownloadQueue::WaitUntilDrained(int timeoutMs)
{
    std::unique_lock<std::mutex> guard(lock_);
    return drained_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                             [this] { return items_.empty() && inFlight_ == 0; });
}
