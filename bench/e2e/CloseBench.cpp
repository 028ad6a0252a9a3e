// Closing with sixteen tiles open. The player's command line opens one camera of one file, so
// the sixteen come from bench_e2e_sixteen_tiles --hold: the real main window built as the player
// builds it, in a process of its own under a private X server, with a home, temporary and working
// folder made fresh for each round and its log on. Once its sixteen tiles have played for 2 s the
// window is asked to close as a window manager asks (WM_DELETE_WINDOW); the time runs from
// sending that until the process has ended and been reaped. The log of each round is then read
// for error records. For the record, the same is done with the player binary itself showing the
// one file of its command line.
//
//   build/bench/e2e/bench_e2e_close [ROUNDS]      (5 by default; starts its own Xvfb)
//   E2E_KEEP=1: the rounds' folders (homes, logs) are left in /tmp and named on standard error.
#include "ScreenWatch.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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
    std::ifstream log(folder / "work/OmbrixPlayer.log");
    std::string line;
    while (std::getline(log, line)) {
        r.logged = true;
        // "  HH:MM:SS.mmm<TAB>thread<TAB>level<TAB>text"
        std::vector<std::string> fields;
        std::stringstream in(line);
        for (std::string f; std::getline(in, f, '\t');)
            fields.push_back(f);
        if (fields.size() >= 4 && fields[2].rfind("Error", 0) == 0)
            r.errors.push_back(line);
    }
    return r;
}

Round SixteenTiles(E2e::ScreenGrid& screen, const std::string& display, const fs::path& folder)
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

Round PlayerOneFile(E2e::ScreenGrid& screen, const std::string& display, const fs::path& folder, const std::string& video)
{
    E2e::Environment env = Prepare(folder, display);
    env.push_back({"TMPDIR", (folder / "tmp").string()});
    const pid_t pid = E2e::Spawn({PLOMERA_PLAYER, video}, env, (folder / "work").string());
    if (pid <= 0)
        return {};
    unsigned long window = 0;
    const int64_t deadline = E2e::NowNanos() + 20'000'000'000LL;
    while (window == 0 && E2e::NowNanos() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        window = screen.WindowOfProcess(pid);
    }
    if (window == 0) {
        std::fprintf(stderr, "the player's window did not come up\n");
        E2e::Stop(pid);
        return {};
    }
    std::this_thread::sleep_for(std::chrono::seconds(4));  // playing
    return CloseAndTime(screen, pid, window, folder);
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
    E2e::ScreenGrid screen(x.Name(), 64);
    if (!screen.Ok())
        return 1;

    std::vector<Round> sixteen;
    for (int round = 0; round < rounds; ++round) {
        const fs::path folder = root / ("sixteen-" + std::to_string(round));
        sixteen.push_back(SixteenTiles(screen, x.Name(), folder));
        for (const std::string& e : sixteen.back().errors)
            std::fprintf(stderr, "round %d log: %s\n", round + 1, e.c_str());
        std::fprintf(stderr, "round %d: sixteen tiles closed in %.3f s\n", round + 1, sixteen.back().seconds);
        if (!keep)
            fs::remove_all(folder);
    }

    fs::create_directories(root / "evidence");
    const std::string command = std::string(PLOMERA_EVIDENCE) + " make-sample '" + (root / "evidence").string()
        + "' --cameras 1 --duration 60 --size 640x360 --quiet";
    std::vector<Round> one;
    if (FILE* p = popen(command.c_str(), "r")) {
        char path[4096] = {};
        const bool made = std::fgets(path, sizeof path, p) != nullptr;
        pclose(p);
        std::string video = path;
        video.erase(video.find_last_not_of("\r\n") + 1);
        for (int round = 0; made && round < rounds; ++round) {
            const fs::path folder = root / ("one-" + std::to_string(round));
            one.push_back(PlayerOneFile(screen, x.Name(), folder, video));
            for (const std::string& e : one.back().errors)
                std::fprintf(stderr, "player round %d log: %s\n", round + 1, e.c_str());
            if (!keep)
                fs::remove_all(folder);
        }
    }
    if (keep)
        std::fprintf(stderr, "rounds kept in %s\n", root.c_str());
    else
        fs::remove_all(root);

    Print("close_sixteen_tiles", sixteen, " (goal <= 1 s)");
    Print("close_player_one_file", one, " (the player binary with the one file of its command line, for the record)");
    return 0;
}
