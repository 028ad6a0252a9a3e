// Start-up to first frame. The player is started as a user starts it, with one .video file on its
// command line, in a home, temporary folder and working folder of its own made fresh for each
// round (so the support cabinet is expanded every time and no settings carry over), under a
// private X server; ffplay is started the same way on the same file as the reference. The time
// runs from just before the program is started until the file's first frame is on screen, as
// read back from the X server: a grid of every 16th pixel of every 16th row is grabbed over and
// over (about every 10 ms), and the first frame is the first grab in which most of the points
// that show the picture at the end show the sample's picture (grey bands with grain, see
// ScreenWatch.h). The time is that grab's end, so a figure is late by at most one grab.
// Rounds alternate player and ffplay; the ratio is the player's time over the ffplay time of
// the round next to it.
//
//   build/bench/e2e/bench_e2e_startup [ROUNDS] [CAMERAS]   (7 rounds of each by default; starts
//                                                           its own Xvfb)
// CAMERAS (1 by default) makes the file one of that many cameras, as recorders export them; the
// player opens its first, ffplay shows its first video stream.
//   E2E_TRACE=1: every grab's count of picture-like points on standard error, to check the rule.
#include "ScreenWatch.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kStep = 16;
constexpr int64_t kGiveUpNanos = 20'000'000'000LL;
constexpr int64_t kWatchAfterNanos = 1'500'000'000LL;

struct Result {
    double seconds = -1;  // -1: no picture
    size_t points = 0;
    size_t grabs = 0;
    double grabMillis = 0;
};

std::string Run(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, p)) > 0)
            out.append(buffer, n);
        pclose(p);
    }
    return out;
}

// Grabs the screen from the program's start until its picture has been moving for a while.
Result Watch(E2e::ScreenGrid& screen, const std::vector<std::string>& argv, const E2e::Environment& env,
             const std::string& folder)
{
    std::vector<E2e::ScreenGrid::Grab> grabs;
    grabs.reserve(4096);
    grabs.push_back(screen.Take());
    const int64_t start = E2e::NowNanos();
    const pid_t pid = E2e::Spawn(argv, env, folder);
    if (pid <= 0)
        return {};
    int64_t seen = -1;
    bool ended = false;
    size_t back = 0;  // the grab about 200 ms before the newest
    while (E2e::NowNanos() - start < kGiveUpNanos) {
        grabs.push_back(screen.Take());
        const auto& now = grabs.back();
        while (back + 1 < grabs.size() && now.nanos - grabs[back + 1].nanos >= 200'000'000)
            ++back;
        if (seen < 0 && back > 0) {
            int moving = 0;
            for (size_t i = 0; i < now.pixels.size(); ++i) {
                moving += E2e::LooksLikeSamplePicture(now.pixels[i]) && E2e::LooksLikeSamplePicture(grabs[back].pixels[i])
                    && now.pixels[i] != grabs[back].pixels[i];
            }
            if (moving >= 50)
                seen = now.nanos;
        }
        if (seen >= 0 && now.nanos - seen >= kWatchAfterNanos)
            break;
        if (E2e::WaitEnd(pid, 0, nullptr)) {
            ended = true;  // by itself: a fault, seen as no picture
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(4));
    }
    if (!ended)
        E2e::Stop(pid);
    Result r;
    r.grabs = grabs.size();
    const int64_t first = E2e::FirstPictureNanos(grabs, &r.points);
    if (first >= 0)
        r.seconds = (first - start) / 1e9;
    std::vector<double> gaps;
    for (size_t i = 1; i < grabs.size(); ++i)
        gaps.push_back((grabs[i].nanos - grabs[i - 1].nanos) / 1e6);
    r.grabMillis = E2e::Median(gaps);
    if (std::getenv("E2E_TRACE")) {
        for (const auto& g : grabs) {
            int like = 0;
            for (uint32_t px : g.pixels) like += E2e::LooksLikeSamplePicture(px);
            std::fprintf(stderr, "  %.3f %d\n", (g.nanos - start) / 1e9, like);
        }
    }
    return r;
}

void Summary(const char* name, const std::vector<double>& s, const char* goal)
{
    std::vector<double> sorted = s;
    std::sort(sorted.begin(), sorted.end());
    std::printf("startup_first_frame_%s: %s s (min %s, max %s, %zu rounds)%s\n", name, E2e::Fixed(E2e::Median(s), 3).c_str(),
                sorted.empty() ? "-" : E2e::Fixed(sorted.front(), 3).c_str(),
                sorted.empty() ? "-" : E2e::Fixed(sorted.back(), 3).c_str(), s.size(), goal);
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const int cameras = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, 32) : 1;
    char base[] = "/tmp/plomera-e2e-startup-XXXXXX";
    if (mkdtemp(base) == nullptr)
        return 1;
    const fs::path root(base);
    const fs::path evidence = root / "evidence";
    fs::create_directories(evidence);
    const std::string file =
        Run(std::string(PLOMERA_EVIDENCE) + " make-sample '" + evidence.string() + "' --cameras " + std::to_string(cameras)
            + " --channels-per-file " + std::to_string(cameras) + " --duration 60 --size 640x360 --quiet");
    const std::string video = file.substr(0, file.find('\n'));
    if (video.empty() || !fs::exists(video)) {
        std::fprintf(stderr, "the sample could not be made\n");
        return 1;
    }
    E2e::PrivateX x;
    if (!x.Start(1600, 900)) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    E2e::ScreenGrid screen(x.Name(), kStep);
    if (!screen.Ok()) {
        std::fprintf(stderr, "cannot open %s\n", x.Name().c_str());
        return 1;
    }
    std::fprintf(stderr, "%s on %s, %d rounds each\n", video.c_str(), x.Name().c_str(), rounds);

    std::vector<double> player, reference, ratios;
    double grabMillis = 0;
    for (int round = 0; round < rounds; ++round) {
        // The player: everything of its own made fresh.
        const fs::path folder = root / ("round-" + std::to_string(round));
        for (const char* sub : {"home/.config/Quorvane", "home/.cache", "tmp", "run", "work"})
            fs::create_directories(folder / sub);
        fs::permissions(folder / "run", fs::perms::owner_all, fs::perm_options::replace);
        // Map tiles from nowhere: the start must not wait on the network.
        std::ofstream(folder / "home/.config/Quorvane/Plomera.conf")
            << "[General]\nMapTileServer=http://127.0.0.1:1/\nMapAvailabilityCheckUrl=http://127.0.0.1:1/\n";
        const E2e::Environment playerEnv = {
            {"DISPLAY", x.Name()},
            {"HOME", (folder / "home").string()},
            {"XDG_CONFIG_HOME", (folder / "home/.config").string()},
            {"XDG_CACHE_HOME", (folder / "home/.cache").string()},
            {"XDG_RUNTIME_DIR", (folder / "run").string()},
            {"TMPDIR", (folder / "tmp").string()},
            {"QT_QPA_PLATFORM", ""},
        };
        const Result a = Watch(screen, {PLOMERA_PLAYER, video}, playerEnv, (folder / "work").string());
        const Result b = Watch(screen, {"ffplay", "-hide_banner", "-loglevel", "quiet", "-nostats", "-an", video},
                               {{"DISPLAY", x.Name()}, {"SDL_AUDIODRIVER", "dummy"}}, root.string());
        std::fprintf(stderr, "round %d: player %.3f s (%zu points, %zu grabs), ffplay %.3f s (%zu points)\n", round + 1,
                     a.seconds, a.points, a.grabs, b.seconds, b.points);
        grabMillis = std::max(grabMillis, std::max(a.grabMillis, b.grabMillis));
        if (a.seconds > 0)
            player.push_back(a.seconds);
        if (b.seconds > 0)
            reference.push_back(b.seconds);
        if (a.seconds > 0 && b.seconds > 0)
            ratios.push_back(a.seconds / b.seconds);
        fs::remove_all(folder);
    }
    fs::remove_all(root);

    if (cameras > 1)
        std::printf("startup_file: one file of %d cameras (the goal is for a file of one)\n", cameras);
    Summary("plomera", player, cameras == 1 ? " (goal <= 1.0 s)" : "");
    Summary("ffplay", reference, " (reference, same file)");
    std::vector<double> sorted = ratios;
    std::sort(sorted.begin(), sorted.end());
    std::printf("startup_first_frame_ratio: %s (min %s, max %s) (player against ffplay, alternating rounds)\n",
                E2e::Fixed(E2e::Median(ratios), 2).c_str(), sorted.empty() ? "-" : E2e::Fixed(sorted.front(), 2).c_str(),
                sorted.empty() ? "-" : E2e::Fixed(sorted.back(), 2).c_str());
    std::printf("startup_grab_interval: %s ms (median of the worst round; the figures' resolution)\n",
                E2e::Fixed(grabMillis, 1).c_str());
    return player.size() == static_cast<size_t>(rounds) ? 0 : 1;
}
