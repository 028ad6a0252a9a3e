// Step backward at 1280x720 GOP 50: one step at random positions, and 30 steps in a row.
#include "BenchSupport.h"

#include <cstdio>
#include <random>
#include <vector>

int main()
{
    const int32_t port = OpenBenchPort(Hd720Stream());
    CopySurface surface;
    VDL_SetSurface(port, surface.Handle());
    WaitForIndex(port);
    VDL_StreamInfo info = {};
    VDL_GetStreamInfo(port, &info);
    std::mt19937 random(4711);
    std::uniform_int_distribution<int> frame(1, static_cast<int>(info.frameCount - 1));
    std::vector<double> single;
    int wrong = 0;
    for (int i = 0; i < 100; ++i) {
        const int target = frame(random);
        VDL_SeekPlayedTime(port, target * 40);
        const double start = NowMs();
        VDL_StepBackward(port);
        single.push_back(NowMs() - start);
        if (surface.lastIndex.load() != target - 1)
            ++wrong;
    }
    std::vector<double> inRow;
    std::vector<double> rowFirst;
    for (int run = 0; run < 10; ++run) {
        const int target = 40 + frame(random) % static_cast<int>(info.frameCount - 40);
        VDL_SeekPlayedTime(port, target * 40);
        for (int i = 0; i < 30; ++i) {
            const double start = NowMs();
            VDL_StepBackward(port);
            (i == 0 ? rowFirst : inRow).push_back(NowMs() - start);
            if (surface.lastIndex.load() != target - 1 - i)
                ++wrong;
        }
    }
    std::vector<double> all(inRow);
    all.insert(all.end(), rowFirst.begin(), rowFirst.end());
    std::printf("step_back_random_median: %s ms (goal <= 60 ms; general player 58 ms)\n", Fixed(Percentile(single, 50), 1).c_str());
    std::printf("step_back_random_p95: %s ms\n", Fixed(Percentile(single, 95), 1).c_str());
    std::printf("step_back_in_row_median: %s ms per step over 30 steps (goal <= 25 ms; general player 67 ms)\n",
                Fixed(Percentile(all, 50), 2).c_str());
    std::printf("step_back_in_row_p95: %s ms\n", Fixed(Percentile(all, 95), 2).c_str());
    std::printf("step_back_wrong_frames: %d (goal 0)\n", wrong);
    VDL_SetSurface(port, nullptr);
    VDL_ReleasePort(port);
    return 0;
}
