#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The keyframe index of one stream, built by reading every packet once on a thread of its own.
// Seeking works before it is ready (through the container's own index); with it, every seek and
// backward step goes straight to the right keyframe, and the last frame is known exactly.
class KeyframeIndex {
public:
    KeyframeIndex() = default;
    ~KeyframeIndex();
    KeyframeIndex(const KeyframeIndex&) = delete;
    KeyframeIndex& operator=(const KeyframeIndex&) = delete;

    // Starts the scan; ready is called on the scan's thread once the index is complete.
    void Start(const std::string& path, int64_t regionEnd, int videoOrdinal,
               const std::string& keyHex, std::function<void()> ready);
    void Cancel();

    bool Ready() const { return m_ready.load(); }
    // Only after Ready(): pts of every frame and every keyframe, ascending (stream time base).
    const std::vector<int64_t>& Frames() const { return m_frames; }
    const std::vector<int64_t>& Keyframes() const { return m_keys; }
    // Keyframe at or before pts (strictly before when strict); false when there is none.
    bool KeyframeBefore(int64_t pts, bool strict, int64_t* key) const;
    // Index of the frame with this pts (or the last before it); -1 before the first.
    int64_t FrameNumber(int64_t pts) const;
    // Largest number of frames between two keyframes.
    int64_t LongestGop() const { return Ready() ? m_longestGop : 0; }

private:
    void Scan(std::string path, int64_t regionEnd, int videoOrdinal, std::string keyHex,
              std::function<void()> ready);

    std::thread m_thread;
    std::atomic<bool> m_cancel{false};
    std::atomic<bool> m_ready{false};
    std::vector<int64_t> m_frames;
    std::vector<int64_t> m_keys;
    int64_t m_longestGop = 0;
};
