#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct AVIOContext;

// The stream region of an evidence file: the bytes before its sections and tag. FFmpeg reads the
// file only through an AVIOContext over this region, so it never sees the tag, and a tag that grows
// while a port plays cannot shift the stream.
class StreamRegion {
public:
    // Bytes held in memory that stand in for a file while this object lives: every open of Name()
    // (the region's end, the key id, each demuxer of a port) reads the buffer instead of the file
    // system. For running ports over inputs held in memory; the player itself registers none.
    // The buffer is not copied: it and this object must outlive every port opened on Name().
    // Made and destroyed on any thread. A name no longer registered is opened as a path again,
    // and fails like any missing file.
    class MemoryFile {
    public:
        // maxPixels > 0 caps the picture size the port's decoder accepts.
        MemoryFile(const uint8_t* data, size_t size, int64_t maxPixels = 0);
        ~MemoryFile();
        MemoryFile(const MemoryFile&) = delete;
        MemoryFile& operator=(const MemoryFile&) = delete;
        const std::string& Name() const { return m_name; }

    private:
        std::string m_name;
    };

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
    // The decoder's picture size cap for this region; 0 for none.
    int64_t MaxPixels() const { return m_maxPixels; }

private:
    static int Read(void* opaque, uint8_t* buf, int size);
    static int64_t Seek(void* opaque, int64_t offset, int whence);

    int m_fd = -1;
    const uint8_t* m_memory = nullptr; // a MemoryFile's bytes instead of m_fd
    int64_t m_memorySize = 0;
    int64_t m_maxPixels = 0;
    int64_t m_end = 0;
    int64_t m_pos = 0;
    int64_t m_bytesRead = 0;
    int64_t m_failures = 0;
};
