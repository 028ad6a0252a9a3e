#include "evidence/CustodyDigest.h"

#include <QFile>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <openssl/evp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kBackgroundNice = 10;

// Lowers the calling thread alone (Linux: a thread id names one thread for setpriority).
void LowerThisThread()
{
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kBackgroundNice);
}

struct DigestContext {
    explicit DigestContext(const EVP_MD* md) : ctx(EVP_MD_CTX_new()) { EVP_DigestInit_ex(ctx, md, nullptr); }
    ~DigestContext() { EVP_MD_CTX_free(ctx); }
    DigestContext(const DigestContext&) = delete;
    DigestContext& operator=(const DigestContext&) = delete;
    void Update(const uint8_t* data, size_t size) { EVP_DigestUpdate(ctx, data, size); }
    QString Final()
    {
        unsigned char out[EVP_MAX_MD_SIZE];
        unsigned int n = 0;
        EVP_DigestFinal_ex(ctx, out, &n);
        return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(out), static_cast<int>(n)).toHex());
    }
    // The digest of what was hashed so far; this context goes on.
    QString FinalOfCopy() const
    {
        DigestContext copy(EVP_MD_CTX_get0_md(ctx));
        EVP_MD_CTX_copy_ex(copy.ctx, ctx);
        return copy.Final();
    }
    EVP_MD_CTX* ctx;
};

// MD5 of the blocks handed over, on a thread of its own: one block in hand at a time.
class Md5Worker {
public:
    explicit Md5Worker(bool background)
        : digest_(EVP_md5()), thread_([this, background] {
              if (background) {
                  LowerThisThread();
              }
              Run();
          })
    {
    }
    ~Md5Worker()
    {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    void Post(const uint8_t* data, size_t size)
    {
        std::lock_guard lock(mutex_);
        data_ = data;
        size_ = size;
        busy_ = true;
        wake_.notify_all();
    }
    void WaitIdle()
    {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return !busy_; });
    }
    QString Final()
    {
        WaitIdle();
        return digest_.Final();
    }

private:
    void Run()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return busy_ || stop_; });
            if (busy_) {
                const uint8_t* data = data_;
                const size_t size = size_;
                lock.unlock();
                digest_.Update(data, size);
                lock.lock();
                busy_ = false;
                idle_.notify_all();
                continue;
            }
            if (stop_) {
                return;
            }
        }
    }

    DigestContext digest_;
    std::mutex mutex_;  // guards the block in hand and the flags
    std::condition_variable wake_;
    std::condition_variable idle_;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    bool busy_ = false;
    bool stop_ = false;
    std::thread thread_;
};

QString ErrorText(const QString& path)
{
    return QStringLiteral("Cannot read %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

CustodyDigest::Stamp CustodyDigest::StampOf(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        return {};
    }
    return {static_cast<qint64>(st.st_size),
            static_cast<qint64>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

CustodyDigest::Result CustodyDigest::Compute(const QString& path, qint64 regionEnd,
                                             const std::atomic<bool>* cancel, const Progress& progress,
                                             bool background)
{
    if (background) {
        LowerThisThread();
    }
    Result result;
    result.before = StampOf(path);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.error = ErrorText(path);
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0) {
        result.before = {static_cast<qint64>(st.st_size),
                         static_cast<qint64>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
    }
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    const qint64 total = result.before.size;
    result.regionEnd = regionEnd >= 0 ? std::min(regionEnd, total) : -1;

    std::vector<uint8_t> buffers[2] = {std::vector<uint8_t>(kBlockSize), std::vector<uint8_t>(kBlockSize)};
    DigestContext sha(EVP_sha256());
    auto md5 = std::make_unique<Md5Worker>(background);
    qint64 done = 0;
    int which = 0;
    if (result.regionEnd == 0) {
        result.sha256Region = sha.FinalOfCopy();
    }
    for (;;) {
        if (cancel && cancel->load(std::memory_order_relaxed)) {
            result.cancelled = true;
            break;
        }
        uint8_t* block = buffers[which].data();
        ssize_t got = 0;
        do {
            got = ::read(fd, block, kBlockSize);
        } while (got < 0 && errno == EINTR);
        if (got < 0) {
            result.error = ErrorText(path);
            break;
        }
        if (got == 0) {
            result.complete = true;
            break;
        }
        // The stream region's digest is the file's digest taken at the region's end.
        qint64 inRegion = 0;
        if (result.regionEnd > done && result.regionEnd <= done + got) {
            inRegion = result.regionEnd - done;
            sha.Update(block, static_cast<size_t>(inRegion));
            result.sha256Region = sha.FinalOfCopy();
        }
        sha.Update(block + inRegion, static_cast<size_t>(got - inRegion));
        md5->WaitIdle();
        md5->Post(block, static_cast<size_t>(got));
        done += got;
        which ^= 1;
        if (progress) {
            progress(done, total);
        }
    }
    ::close(fd);
    const QString md5Text = md5->Final();
    md5.reset();
    if (result.complete) {
        result.sha256File = sha.Final();
        result.md5File = md5Text;
        result.after = StampOf(path);
        if (done != total) {
            result.after.size = done;  // read more or less than the size said: it changed
        }
    } else {
        result.sha256Region.clear();
    }
    return result;
}
