#include "StreamRegion.h"

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

namespace {

constexpr int kIoBufferSize = 64 * 1024;

struct Memory {
    const uint8_t* data = nullptr;
    int64_t size = 0;
    int64_t maxPixels = 0;
};

// The MemoryFiles alive in the process, by name.
std::mutex g_memoryMutex;
std::map<std::string, Memory>& MemoryFiles()
{
    static std::map<std::string, Memory> files;
    return files;
}

bool FindMemory(const std::string& path, Memory* memory)
{
    std::lock_guard<std::mutex> lock(g_memoryMutex);
    const auto found = MemoryFiles().find(path);
    if (found == MemoryFiles().end())
        return false;
    *memory = found->second;
    return true;
}

// Up to size bytes at offset from a file or from memory; like pread, 0 at the end.
ssize_t ReadSome(int fd, const Memory& memory, int64_t offset, void* buf, size_t size)
{
    if (fd >= 0)
        return pread(fd, buf, size, offset);
    if (offset < 0) {
        errno = EINVAL;
        return -1;
    }
    if (offset >= memory.size)
        return 0;
    const size_t n = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(size), memory.size - offset));
    std::memcpy(buf, memory.data + offset, n);
    return static_cast<ssize_t>(n);
}

// The bytes a path names: a MemoryFile's buffer, else the file opened read-only.
class Bytes {
public:
    explicit Bytes(const std::string& path)
    {
        m_inMemory = FindMemory(path, &m_memory);
        if (!m_inMemory)
            m_fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    }
    ~Bytes()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    Bytes(const Bytes&) = delete;
    Bytes& operator=(const Bytes&) = delete;

    bool Ok() const { return m_inMemory || m_fd >= 0; }
    int64_t Size() const
    {
        if (m_fd < 0)
            return m_memory.size;
        struct stat st = {};
        return fstat(m_fd, &st) == 0 ? st.st_size : -1;
    }
    bool ReadAt(int64_t offset, void* buf, size_t size) const
    {
        size_t done = 0;
        while (done < size) {
            const ssize_t n = ReadSome(m_fd, m_memory, offset + static_cast<int64_t>(done),
                                       static_cast<char*>(buf) + done, size - done);
            if (n <= 0)
                return false;
            done += static_cast<size_t>(n);
        }
        return true;
    }

private:
    bool m_inMemory = false;
    Memory m_memory;
    int m_fd = -1;
};

uint64_t Be(const uint8_t* p, int n)
{
    uint64_t v = 0;
    for (int i = 0; i < n; ++i)
        v = v << 8 | p[i];
    return v;
}

// EBML variable-size integer; returns its length, 0 when malformed. *unknown for all-ones sizes.
int ReadVint(const uint8_t* p, int avail, uint64_t* value, bool* unknown)
{
    if (avail < 1 || p[0] == 0)
        return 0;
    int length = 1;
    while (!(p[0] & (0x80 >> (length - 1))))
        ++length;
    if (length > avail || length > 8)
        return 0;
    uint64_t v = p[0] & (0xFF >> length);
    bool ones = v == (0xFFu >> length);
    for (int i = 1; i < length; ++i) {
        v = v << 8 | p[i];
        ones = ones && p[i] == 0xFF;
    }
    *value = v;
    *unknown = ones;
    return length;
}

int64_t MatroskaEnd(const Bytes& bytes, int64_t limit)
{
    uint8_t head[64];
    if (limit < 16 || !bytes.ReadAt(0, head, std::min<int64_t>(sizeof head, limit)))
        return -1;
    if (Be(head, 4) != 0x1A45DFA3)
        return -1;
    uint64_t size = 0;
    bool unknown = false;
    const int n = ReadVint(head + 4, 60, &size, &unknown);
    if (!n || unknown)
        return -1;
    const int64_t segmentAt = 4 + n + static_cast<int64_t>(size);
    uint8_t seg[12];
    if (segmentAt + 12 > limit || !bytes.ReadAt(segmentAt, seg, sizeof seg) || Be(seg, 4) != 0x18538067)
        return -1;
    const int m = ReadVint(seg + 4, 8, &size, &unknown);
    if (!m || unknown)
        return -1;
    return segmentAt + 4 + m + static_cast<int64_t>(size);
}

bool Mp4Type(const uint8_t* t)
{
    for (int i = 0; i < 4; ++i) {
        if (t[i] < 0x20 || t[i] > 0x7E)
            return false;
    }
    return true;
}

// Walks the top-level boxes from offset 0; returns the end of the last whole box, -1 when the
// region does not start like MP4. moovAt/moovSize receive the movie box.
int64_t Mp4End(const Bytes& bytes, int64_t limit, int64_t* moovAt = nullptr, int64_t* moovSize = nullptr)
{
    uint8_t head[16];
    if (limit < 16 || !bytes.ReadAt(0, head, 16) || std::memcmp(head + 4, "ftyp", 4) != 0)
        return -1;
    int64_t pos = 0;
    while (pos + 8 <= limit) {
        if (!bytes.ReadAt(pos, head, 16 <= limit - pos ? 16 : 8))
            break;
        int64_t size = static_cast<int64_t>(Be(head, 4));
        int header = 8;
        if (size == 1) {
            if (pos + 16 > limit)
                break;
            size = static_cast<int64_t>(Be(head + 8, 8));
            header = 16;
        } else if (size == 0) {
            size = limit - pos;
        }
        if (!Mp4Type(head + 4) || size < header || pos + size > limit)
            break;
        if (moovAt && std::memcmp(head + 4, "moov", 4) == 0) {
            *moovAt = pos;
            *moovSize = size;
        }
        pos += size;
    }
    return pos;
}

} // namespace

int64_t StreamRegion::FindEnd(const std::string& path)
{
    const Bytes bytes(path);
    if (!bytes.Ok())
        return -1;
    const int64_t fileSize = bytes.Size();
    if (fileSize < 0)
        return -1;
    int64_t end = fileSize;
    uint8_t trailer[17];
    if (fileSize >= 17 && bytes.ReadAt(fileSize - 17, trailer, 17) && std::memcmp(trailer + 14, "TAG", 3) == 0) {
        const int major = static_cast<int8_t>(trailer[12]);
        const int minor = static_cast<int8_t>(trailer[13]);
        const int64_t length = static_cast<int64_t>(Be(trailer + 8, 4));
        const int64_t tagStart = static_cast<int64_t>(Be(trailer, 8));
        if ((major == 6 && minor == 2) || (major == 7 && minor == 1)) {
            if (tagStart > 0 && tagStart <= fileSize - 17)
                end = tagStart;
        } else if (length > 0 && length <= fileSize) {
            end = fileSize - length;
        }
    }
    // Sections (bookmarks) sit between the stream and the tag; the container's own end excludes
    // them.
    int64_t containerEnd = MatroskaEnd(bytes, end);
    if (containerEnd < 0)
        containerEnd = Mp4End(bytes, end);
    if (containerEnd > 0 && containerEnd < end)
        end = containerEnd;
    return end;
}

bool StreamRegion::FindMp4KeyId(const std::string& path, int64_t end, uint8_t keyId[16])
{
    const Bytes bytes(path);
    if (!bytes.Ok())
        return false;
    int64_t moovAt = -1;
    int64_t moovSize = 0;
    bool found = false;
    if (Mp4End(bytes, end, &moovAt, &moovSize) > 0 && moovAt >= 0 && moovSize < (64 << 20)) {
        std::vector<uint8_t> moov(static_cast<size_t>(moovSize));
        if (bytes.ReadAt(moovAt, moov.data(), moov.size())) {
            // tenc: size, type, version, flags(3), reserved, reserved or pattern, isProtected,
            // per-sample IV size, default key id (16).
            for (size_t i = 4; i + 28 <= moov.size(); ++i) {
                if (std::memcmp(&moov[i], "tenc", 4) == 0) {
                    std::memcpy(keyId, &moov[i + 12], 16);
                    found = true;
                    break;
                }
            }
        }
    }
    return found;
}

StreamRegion::MemoryFile::MemoryFile(const uint8_t* data, size_t size, int64_t maxPixels)
{
    static std::atomic<uint64_t> serial{0};
    // Not a path a caller hands in: the player opens absolute paths only.
    m_name = "memory:" + std::to_string(++serial);
    std::lock_guard<std::mutex> lock(g_memoryMutex);
    MemoryFiles()[m_name] = Memory{data, static_cast<int64_t>(size), maxPixels};
}

StreamRegion::MemoryFile::~MemoryFile()
{
    std::lock_guard<std::mutex> lock(g_memoryMutex);
    MemoryFiles().erase(m_name);
}

StreamRegion::~StreamRegion()
{
    if (m_fd >= 0)
        close(m_fd);
}

bool StreamRegion::Open(const std::string& path, int64_t end)
{
    Memory memory;
    if (FindMemory(path, &memory)) {
        m_memory = memory.data;
        m_memorySize = memory.size;
        m_maxPixels = memory.maxPixels;
        m_end = std::min<int64_t>(end, static_cast<int64_t>(memory.size));
        return true;
    }
    m_fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        return false;
    // A region given beyond the file ends with the file: only a file that shrinks later fails.
    struct stat st = {};
    m_end = fstat(m_fd, &st) == 0 ? std::min<int64_t>(end, st.st_size) : end;
    return true;
}

AVIOContext* StreamRegion::MakeIo()
{
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
    if (!buffer)
        return nullptr;
    AVIOContext* io = avio_alloc_context(buffer, kIoBufferSize, 0, this, &StreamRegion::Read, nullptr,
                                         &StreamRegion::Seek);
    if (!io)
        av_free(buffer);
    return io;
}

void StreamRegion::Close(AVIOContext** io)
{
    if (*io) {
        av_freep(&(*io)->buffer);
        avio_context_free(io);
    }
}

int StreamRegion::Read(void* opaque, uint8_t* buf, int size)
{
    auto* self = static_cast<StreamRegion*>(opaque);
    const int64_t left = self->m_end - self->m_pos;
    if (left <= 0)
        return AVERROR_EOF;
    const Memory memory{self->m_memory, self->m_memorySize, 0};
    const ssize_t n = ReadSome(self->m_fd, memory, self->m_pos, buf, static_cast<size_t>(std::min<int64_t>(size, left)));
    if (n <= 0) {
        ++self->m_failures;
        return n < 0 ? AVERROR(errno) : AVERROR(EIO);
    }
    self->m_pos += n;
    self->m_bytesRead += n;
    return static_cast<int>(n);
}

int64_t StreamRegion::Seek(void* opaque, int64_t offset, int whence)
{
    auto* self = static_cast<StreamRegion*>(opaque);
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE:
        return self->m_end;
    case SEEK_SET:
        break;
    case SEEK_CUR:
        offset += self->m_pos;
        break;
    case SEEK_END:
        offset += self->m_end;
        break;
    default:
        return AVERROR(EINVAL);
    }
    if (offset < 0 || offset > self->m_end)
        return AVERROR(EINVAL);
    self->m_pos = offset;
    return offset;
}
