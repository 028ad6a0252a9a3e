#pragma once

#include <cstdint>
#include <string>

struct AVIOContext;

// The stream region of an evidence file: the bytes before its sections and tag. FFmpeg reads the
// file only through an AVIOContext over this region, so it never sees the tag, and a tag that grows
// while a port plays cannot shift the stream.
class StreamRegion {
public:
    // End of the region of the file at path: the tag's start from the trailer ending in "TAG",
    // cut further to the container's own end (Matroska segment, MP4 top-level boxes).
    // Returns -1 when the file cannot be read.
    static int64_t FindEnd(const std::string& path);
    // The default key id of the first 'tenc' box of an MP4 region (16 bytes); false when the
    // region has none (the stream is not encrypted).
    static bool FindMp4KeyId(const std::string& path, int64_t end, uint8_t keyId[16]);

    StreamRegion() = default;
    ~StreamRegion();
    StreamRegion(const StreamRegion&) = delete;
    StreamRegion& operator=(const StreamRegion&) = delete;

    bool Open(const std::string& path, int64_t end);
    // A fresh AVIOContext reading this region; owned by the caller (free with Close).
    AVIOContext* MakeIo();
    static void Close(AVIOContext** io);

    int64_t BytesRead() const { return m_bytesRead; }
    // Reads that failed: the system refused them, or the file ended inside the region (it was
    // cut or replaced while open). The demuxer sees those as I/O errors, never as the end.
    int64_t Failures() const { return m_failures; }
    int64_t End() const { return m_end; }

private:
    static int Read(void* opaque, uint8_t* buf, int size);
    static int64_t Seek(void* opaque, int64_t offset, int whence);

    int m_fd = -1;
    int64_t m_end = 0;
    int64_t m_pos = 0;
    int64_t m_bytesRead = 0;
    int64_t m_failures = 0;
};
