// Loading a tag and saving bookmarks must cost the same on a 4 GiB file as on a 4 MiB one:
// both touch only the tail of the file. Prints medians for both sizes and their ratio.
#include "evidence/FileTag.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

QString MakeSparse(const QString& dir, const char* name, qint64 streamBytes)
{
    const QString path = dir + "/" + name;
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::ftruncate(fd, streamBytes) != 0) {
        std::perror("sparse file");
        std::exit(1);
    }
    ::close(fd);
    FileTag tag;
    tag.SetDeviceType(1);
    tag.SetDeviceName("Bench");
    tag.SetCameraNames({"A", "B"});
    tag.SetChannelMask(3);
    tag.SetStartTime(1678860000);
    tag.SetEndTime(1678881600);
    for (int i = 0; i < 20; ++i) {
        tag.AddBookmark(QString("M%1").arg(i), 1678860000 + i * 60, "bench");
    }
    tag.AppendTag(path, "6.2");
    return path;
}

template <typename F>
double MedianMicros(int rounds, F f)
{
    std::vector<double> t;
    for (int i = 0; i < rounds; ++i) {
        const auto a = std::chrono::steady_clock::now();
        f();
        const auto b = std::chrono::steady_clock::now();
        t.push_back(std::chrono::duration<double, std::micro>(b - a).count());
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

} // namespace

int main()
{
    QTemporaryDir dir(QDir::currentPath() + "/bench-tag-XXXXXX");
    const QString small = MakeSparse(dir.path(), "small.video", 4LL << 20);
    const QString large = MakeSparse(dir.path(), "large.video", 4LL << 30);
    double load[2] = {}, save[2] = {};
    // Alternate the two sizes so that machine drift hits both alike.
    std::vector<double> loadRatio, saveRatio;
    for (int round = 0; round < 7; ++round) {
        for (int which = 0; which < 2; ++which) {
            const QString& path = which == 0 ? small : large;
            FileTag tag;
            load[which] = MedianMicros(51, [&] { tag.LoadFromFile(path); });
            save[which] = MedianMicros(11, [&] { tag.SaveBookmarks(); });
        }
        loadRatio.push_back(load[1] / load[0]);
        saveRatio.push_back(save[1] / save[0]);
    }
    std::sort(loadRatio.begin(), loadRatio.end());
    std::sort(saveRatio.begin(), saveRatio.end());
    std::printf("load_4MiB: %.1f us\n", load[0]);
    std::printf("load_4GiB: %.1f us\n", load[1]);
    std::printf("load_ratio_4GiB_over_4MiB: %.2f (min %.2f, max %.2f) (goal ~1)\n", loadRatio[3], loadRatio.front(), loadRatio.back());
    std::printf("save_20_bookmarks_4MiB: %.1f us\n", save[0]);
    std::printf("save_20_bookmarks_4GiB: %.1f us\n", save[1]);
    std::printf("save_ratio_4GiB_over_4MiB: %.2f (min %.2f, max %.2f) (goal ~1)\n", saveRatio[3], saveRatio.front(), saveRatio.back());
    return 0;
}
