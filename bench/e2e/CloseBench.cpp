// Closing with sixteen tiles open. The player binary is started with a file of sixteen cameras on
// its command line, in a home, temporary and working folder made fresh for each round and its log
// on, under a private X server; its window is sized to the screen (there is no window manager to
// maximise it) and a user's pointer input (xdotool) sets the 4x4 grid from the caption's layout
// pop-up and double-clicks the other fifteen cameras in the navigator. Where those are comes from
// bench_e2e_sixteen_tiles --places, the same window on the same file. Once the screen shows the
// picture moving in all sixteen cells and 2 s have passed, the window is asked to close as
// a window manager asks (WM_DELETE_WINDOW); the time runs from sending that until the process has
// ended and been reaped. The round's log is then read for error records.
// For comparison the same close is timed on sixteen files, one camera each, opened in the main
// window of bench_e2e_sixteen_tiles --hold.
//
//   build/bench/e2e/bench_e2e_close [ROUNDS]      (5 by default; starts its own Xvfb)
//   E2E_KEEP=1: the rounds' folders (homes, logs) are left in /tmp and named on standard error.
#include "PlayerLog.h"
#include "ScreenWatch.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Round {
    bool started = false;  // the window came up and was asked to close
    double seconds = -1;   // -1: did not end in time (killed)
    bool cleanExit = false;
    std::vector<std::string> errors;
    bool logged = false;  // the log was written at all
};

// One line of the child's standard output, or "" after millis.
std::string ReadLine(int fd, int millis)
{
    std::string line;
    const int64_t deadline = E2e::NowNanos() + static_cast<int64_t>(millis) * 1'000'000;
    struct pollfd p = {fd, POLLIN, 0};
    while (E2e::NowNanos() < deadline) {
        if (poll(&p, 1, 200) <= 0)
            continue;
        char c;
        if (read(fd, &c, 1) != 1)
            break;
        if (c == '\n')
            return line;
        line += c;
    }
    return {};
}

// A fresh home (log on, map tiles from nowhere), temporary, runtime and working folder.
E2e::Environment Prepare(const fs::path& folder, const std::string& display)
{
    for (const char* sub : {"home/.config/Quorvane", "home/.cache", "tmp", "run", "work"})
        fs::create_directories(folder / sub);
    fs::permissions(folder / "run", fs::perms::owner_all, fs::perm_options::replace);
    std::ofstream(folder / "home/.config/Quorvane/Plomera.conf")
        << "[General]\nLogFlags=1\nMapTileServer=http://127.0.0.1:1/\nMapAvailabilityCheckUrl=http://127.0.0.1:1/\n";
    return {
        {"DISPLAY", display},
        {"HOME", (folder / "home").string()},
        {"XDG_CONFIG_HOME", (folder / "home/.config").string()},
        {"XDG_CACHE_HOME", (folder / "home/.cache").string()},
        {"XDG_RUNTIME_DIR", (folder / "run").string()},
        {"QT_QPA_PLATFORM", ""},
    };
}

// Closes the window and times the process's end; reads the log it left in work/.
Round CloseAndTime(E2e::ScreenGrid& screen, pid_t pid, unsigned long window, const fs::path& folder)
{
    Round r;
    r.started = true;
    const int64_t start = E2e::NowNanos();
    screen.AskToClose(window);
    int status = 0;
    if (E2e::WaitEnd(pid, 30000, &status)) {
        r.seconds = (E2e::NowNanos() - start) / 1e9;
        r.cleanExit = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    } else {
        E2e::Stop(pid);
    }
    const E2e::PlayerLog log = E2e::ReadPlayerLog((folder / "work/OmbrixPlayer.log").string());
    r.logged = !log.texts.empty();
    r.errors = log.errors;
    return r;
}

Round SixteenFiles(E2e::ScreenGrid& screen, const std::string& display, const fs::path& folder)
{
    E2e::Environment env = Prepare(folder, display);
    env.push_back({"PLOMERA_E2E_TMP", (folder / "tmp").string()});
    int out = -1;
    const pid_t pid = E2e::Spawn({SIXTEEN_TILES, "--hold"}, env, (folder / "work").string(), &out);
    if (pid <= 0)
        return {};
    // The first round may make the sample files first.
    const std::string ready = ReadLine(out, 600000);
    close(out);
    if (ready.rfind("ready ", 0) != 0) {
        std::fprintf(stderr, "the sixteen tiles did not come up\n");
        E2e::Stop(pid);
        return {};
    }
    std::this_thread::sleep_for(std::chrono::seconds(2));
    return CloseAndTime(screen, pid, std::stoul(ready.substr(6)), folder);
}

// The lines a program writes on standard output until it ends (at most millis).
std::vector<std::string> Lines(const std::vector<std::string>& argv, const E2e::Environment& env,
                               const std::string& folder, int millis)
{
    int out = -1;
    const pid_t pid = E2e::Spawn(argv, env, folder, &out);
    if (pid <= 0)
        return {};
    std::vector<std::string> lines;
    std::string all;
    const int64_t deadline = E2e::NowNanos() + static_cast<int64_t>(millis) * 1'000'000;
    struct pollfd p = {out, POLLIN, 0};
    char buffer[4096];
    while (E2e::NowNanos() < deadline) {
        if (poll(&p, 1, 200) <= 0)
            continue;
        const ssize_t n = read(out, buffer, sizeof buffer);
        if (n <= 0)
            break;
        all.append(buffer, static_cast<size_t>(n));
    }
    close(out);
    if (!E2e::WaitEnd(pid, 5000, nullptr))
        E2e::Stop(pid);
    std::stringstream in(all);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

struct Places {
    std::pair<int, int> layout, fourByFour;
    std::vector<std::pair<int, int>> cameras;
    std::vector<std::array<int, 4>> cells;  // x, y, width, height
    bool Ok() const { return layout.first > 0 && fourByFour.first > 0 && cameras.size() == 15 && cells.size() == 16; }
};

Places ReadPlaces(const std::string& display, const fs::path& folder, const std::string& video)
{
    Places places;
    for (const std::string& line : Lines({SIXTEEN_TILES, "--places", video}, Prepare(folder, display),
                                         (folder / "work").string(), 120000)) {
        std::stringstream in(line);
        std::string what;
        in >> what;
        int a = 0, b = 0, c = 0, d = 0;
        if (what == "layout" && in >> a >> b)
            places.layout = {a, b};
        else if (what == "layout4x4" && in >> a >> b)
            places.fourByFour = {a, b};
        else if (what == "camera" && in >> c >> a >> b)
            places.cameras.push_back({a, b});
        else if (what == "cell" && in >> a >> b >> c >> d)
            places.cells.push_back({a, b, c, d});
    }
    return places;
}

unsigned long WaitForWindow(E2e::ScreenGrid& screen, pid_t pid)
{
    const int64_t deadline = E2e::NowNanos() + 20'000'000'000LL;
    unsigned long window = 0;
    while (window == 0 && E2e::NowNanos() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        window = screen.WindowOfProcess(pid);
    }
    return window;
}

// How many of the cells show a moving picture: points that differ between two grabs 200 ms apart
// (the cameras after the first carry colour, so the grey rule of the start-up does not apply).
int CellsPlaying(E2e::ScreenGrid& screen, const Places& places)
{
    const E2e::ScreenGrid::Grab a = screen.Take();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const E2e::ScreenGrid::Grab b = screen.Take();
    const int step = screen.Step();
    int playing = 0;
    for (const auto& [x, y, w, h] : places.cells) {
        int moving = 0;
        for (int row = 0; row < screen.Rows(); ++row) {
            for (int column = 0; column < screen.Columns(); ++column) {
                const int px = column * step + step / 2, py = row * step + step / 2;
                if (px < x || px >= x + w || py < y || py >= y + h)
                    continue;
                const size_t i = screen.PointAt(column, row);
                moving += a.pixels[i] != b.pixels[i];
            }
        }
        playing += moving >= 20;
    }
    return playing;
}

// How many cameras the player's log says it opened.
int OpenedInLog(const fs::path& folder)
{
    return E2e::CountRecords(E2e::ReadPlayerLog((folder / "work/OmbrixPlayer.log").string()),
                             "Video File Opened Successfully");
}

Round PlayerSixteen(E2e::ScreenGrid& screen, const std::string& display, const fs::path& folder,
                    const std::string& video, const Places& places)
{
    E2e::Environment env = Prepare(folder, display);
    env.push_back({"TMPDIR", (folder / "tmp").string()});
    const pid_t pid = E2e::Spawn({PLOMERA_PLAYER, video}, env, (folder / "work").string());
    if (pid <= 0)
        return {};
    const unsigned long window = WaitForWindow(screen, pid);
    if (window == 0) {
        std::fprintf(stderr, "the player's window did not come up\n");
        E2e::Stop(pid);
        return {};
    }
    screen.MoveResize(window, 0, 0, 1600, 900);
    // The pointer goes where the X server finds a window when it moves, not when the player gets
    // round to it: nothing is clicked until the player has opened its file and is idle.
    const int64_t deadline = E2e::NowNanos() + 30'000'000'000LL;
    while (OpenedInLog(folder) < 1 && E2e::NowNanos() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::seconds(1));
    // Each step waits as a user would: the pointer rests before a click, and the next camera is
    // asked for once the log says the last one opened.
    auto point = [&display, &folder](const std::pair<int, int>& p, const std::vector<std::string>& click) {
        std::vector<std::string> input = {"xdotool", "mousemove", std::to_string(p.first), std::to_string(p.second),
                                          "sleep", "0.2"};
        input.insert(input.end(), click.begin(), click.end());
        const pid_t xdotool = E2e::Spawn(input, {{"DISPLAY", display}}, folder.string());
        if (xdotool > 0 && !E2e::WaitEnd(xdotool, 10000, nullptr))
            E2e::Stop(xdotool);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    };
    point(places.layout, {"click", "1"});
    point(places.fourByFour, {"click", "1"});
    for (size_t i = 0; i < places.cameras.size(); ++i) {
        point(places.cameras[i], {"click", "--repeat", "2", "--delay", "80", "1"});
        const int64_t opened = E2e::NowNanos() + 20'000'000'000LL;
        while (OpenedInLog(folder) < static_cast<int>(i) + 2 && E2e::NowNanos() < opened)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const int playing = CellsPlaying(screen, places);
    if (playing != 16) {
        std::fprintf(stderr, "%d of 16 cells show a playing picture\n", playing);
        if (std::getenv("E2E_KEEP") != nullptr) {
            const pid_t shot = E2e::Spawn({"import", "-window", "root", (folder / "screen.png").string()},
                                          {{"DISPLAY", display}}, folder.string());
            E2e::WaitEnd(shot, 20000, nullptr);
        }
        E2e::Stop(pid);
        return {};
    }
    return CloseAndTime(screen, pid, window, folder);
}

std::string MakeSample(const fs::path& folder, const std::string& options)
{
    fs::create_directories(folder);
    const std::string command =
        std::string(PLOMERA_EVIDENCE) + " make-sample '" + folder.string() + "' " + options + " --quiet";
    std::string video;
    if (FILE* p = popen(command.c_str(), "r")) {
        char path[4096] = {};
        if (std::fgets(path, sizeof path, p) != nullptr)
            video = path;
        pclose(p);
    }
    video.erase(video.find_last_not_of("\r\n") + 1);
    return video;
}

void Print(const char* name, const std::vector<Round>& rounds, const char* note)
{
    std::vector<double> times;
    size_t errors = 0, unclean = 0, killed = 0, silent = 0, failed = 0;
    for (const Round& r : rounds) {
        if (!r.started) {
            ++failed;
            continue;
        }
        if (r.seconds >= 0)
            times.push_back(r.seconds);
        else
            ++killed;
        errors += r.errors.size();
        unclean += r.seconds >= 0 && !r.cleanExit;
        silent += !r.logged;
    }
    std::sort(times.begin(), times.end());
    std::printf("%s: %s s (min %s, max %s, %zu of %zu rounds)%s\n", name, E2e::Fixed(E2e::Median(times), 3).c_str(),
                times.empty() ? "-" : E2e::Fixed(times.front(), 3).c_str(),
                times.empty() ? "-" : E2e::Fixed(times.back(), 3).c_str(), times.size(), rounds.size(), note);
    std::printf("%s_log_errors: %zu in all rounds (goal 0); %zu rounds with no log, %zu not ended within 30 s, "
                "%zu with a non-zero exit, %zu did not come up\n",
                name, errors, silent, killed, unclean, failed);
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const bool keep = std::getenv("E2E_KEEP") != nullptr;  // the rounds' folders and logs, to read
    char base[] = "/tmp/plomera-e2e-close-XXXXXX";
    if (mkdtemp(base) == nullptr)
        return 1;
    const fs::path root(base);
    E2e::PrivateX x;
    if (!x.Start(1600, 900)) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    E2e::ScreenGrid screen(x.Name(), 16);
    if (!screen.Ok())
        return 1;
    std::fprintf(stderr, "making a file of sixteen cameras ...\n");
    const std::string video =
        MakeSample(root / "evidence", "--cameras 16 --channels-per-file 16 --duration 60 --size 640x360");
    const Places places = ReadPlaces(x.Name(), root / "places", video);
    if (!places.Ok())
        std::fprintf(stderr, "no places to point at: the player binary's rounds are left out\n");

    std::vector<Round> player, files;
    for (int round = 0; round < rounds; ++round) {
        const fs::path a = root / ("player-" + std::to_string(round));
        const fs::path b = root / ("files-" + std::to_string(round));
        if (places.Ok())
            player.push_back(PlayerSixteen(screen, x.Name(), a, video, places));
        files.push_back(SixteenFiles(screen, x.Name(), b));
        for (const std::string& e : player.empty() ? std::vector<std::string>() : player.back().errors)
            std::fprintf(stderr, "round %d player log: %s\n", round + 1, e.c_str());
        for (const std::string& e : files.back().errors)
            std::fprintf(stderr, "round %d sixteen files log: %s\n", round + 1, e.c_str());
        std::fprintf(stderr, "round %d: player closed in %.3f s, sixteen files in %.3f s\n", round + 1,
                     player.empty() ? -1.0 : player.back().seconds, files.back().seconds);
        if (!keep) {
            fs::remove_all(a);
            fs::remove_all(b);
        }
    }
    if (keep)
        std::fprintf(stderr, "rounds kept in %s\n", root.c_str());
    else
        fs::remove_all(root);

    Print("close_sixteen_tiles", player, " (goal <= 1 s; the player binary, sixteen cameras of one file)");
    Print("close_sixteen_files", files, " (the main window with sixteen files of one camera each, for comparison)");
    return 0;
}
