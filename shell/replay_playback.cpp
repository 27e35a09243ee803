#include "shell/replay_playback.h"

#include <GL/freeglut.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "replay/recorder.h"
#include "shell/game.h"
#include "shell/shell.h"

namespace {

constexpr double SPEEDS[] = {0.25, 0.5, 1.0, 2.0, 4.0, 8.0};
constexpr int SPEED_COUNT = int(sizeof SPEEDS / sizeof SPEEDS[0]);

// The outcome and whether the game ended on the recorded state; the exit code.
int reportEnd(const ReplayPlayer& player)
{
    std::printf("outcome: %s\n", describeOutcome(player.outcome()).c_str());
    const std::uint64_t reached = stateHash(player.match());
    if (player.hashMatches()) {
        std::printf("final state: matches the recording (hash %016" PRIx64 ")\n", reached);
        return REPLAY_MATCHES;
    }
    std::printf("final state: differs from the recording (hash %016" PRIx64 ", recorded %016" PRIx64 ")\n", reached,
        player.recordedHash());
    return REPLAY_DIFFERS;
}

bool openReplay(const std::string& path, Replay& replay)
{
    std::string message;
    if (!readReplayFile(path, replay, message)) {
        std::fprintf(stderr, "zandrel: %s\n", message.c_str());
        return false;
    }
    if (replay.gameVersion != gameVersion())
        std::fprintf(stderr, "zandrel: %s was recorded by Zandrel %s; this is %s\n", path.c_str(),
            replay.gameVersion.c_str(), gameVersion());
    return true;
}

}  // namespace

int Playback::ticksDue()
{
    if (paused)
        return 0;
    owed += SPEEDS[speed];
    const int due = int(owed);
    owed -= due;
    return due;
}

void Playback::key(unsigned char key)
{
    int by = 0;
    switch (key) {
    case ' ':
        paused = !paused;
        std::fprintf(stderr, "replay: %s at tick %u of %u\n", paused ? "paused" : "playing", player.ticksPlayed(),
            player.tickCount());
        return;
    case '+':
    case '=': by = 1; break;
    case '-':
    case '_': by = -1; break;
    default: return;
    }
    if (speed + by < 0 || speed + by >= SPEED_COUNT)
        return;
    speed += by;
    owed = 0.0;
    std::fprintf(stderr, "replay: speed x%g\n", SPEEDS[speed]);
}

std::string Playback::status() const
{
    char line[80];
    std::snprintf(line, sizeof line, "x%g  %stick %u of %u", SPEEDS[speed], paused ? "paused at " : "",
        player.ticksPlayed(), player.tickCount());
    return line;
}

bool Playback::stepKey(int specialKey) const
{
    return specialKey == GLUT_KEY_RIGHT && paused;
}

int Playback::report() const
{
    return reportEnd(player);
}

bool readReplayFile(const std::string& path, Replay& replay, std::string& message)
{
    // Checked before reading, and opened without blocking: a pipe named like
    // a replay must not hang the game.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        message = path + ": cannot open it: " + std::strerror(errno);
        return false;
    }
    struct stat status;
    std::string fault;
    if (fstat(fd, &status) != 0)
        fault = std::string(": cannot tell its size: ") + std::strerror(errno);
    else if (S_ISDIR(status.st_mode))
        fault = ": is a folder, not a replay";
    else if (!S_ISREG(status.st_mode))
        fault = ": not a regular file";
    else if (std::uintmax_t(status.st_size) > maxReplayFileSize())
        fault = ": too large to be a replay";
    std::vector<std::uint8_t> bytes(fault.empty() ? std::size_t(status.st_size) : 0);
    std::size_t got = 0;
    while (fault.empty() && got < bytes.size()) {
        const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fault = ": cannot read it whole";
        else
            got += std::size_t(n);
    }
    close(fd);
    if (!fault.empty()) {
        message = path + fault;
        return false;
    }
    std::string error;
    if (!decodeReplay(bytes.data(), bytes.size(), replay, error)) {
        message = path + ": " + error;
        return false;
    }
    return true;
}

int verifyReplay(const std::string& path)
{
    Replay replay;
    if (!openReplay(path, replay))
        return REPLAY_UNREADABLE;
    ReplayPlayer player(replay);
    TickEvents events;
    while (player.step(events))
        events = TickEvents{};
    return reportEnd(player);
}

int watchReplay(const std::string& path, int argc, char** argv, const Options& options, const std::string& dataPrefix)
{
    Replay replay;
    if (!openReplay(path, replay))
        return REPLAY_UNREADABLE;
    openGameWindow(argc, argv, options, dataPrefix);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    Shell& game = shell();
    game.playback = std::make_unique<Playback>(replay);
    // The bout's first picture is the one after its first tick.
    game.stepPlayback();
    if (!game.playback->player.finished()) {
        setWindowCallbacks();
        glutMainLoop();
    }
    return game.exitCode;
}
