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

#include "audio/sound_ids.h"
#include "replay/player.h"
#include "replay/recorder.h"
#include "scene/match_drawing.h"
#include "shell/game.h"

namespace {

constexpr double SPEEDS[] = {0.25, 0.5, 1.0, 2.0, 4.0, 8.0};
constexpr int NORMAL_SPEED = 2;
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

// The window's playback: its player, speed and pause.
struct Playback {
    std::unique_ptr<ReplayPlayer> player;
    int speed = NORMAL_SPEED;
    bool paused = false;
    // Ticks owed to the speed, carried from frame to frame.
    double owed = 0.0;
    int exitCode = REPLAY_MATCHES;
};
Playback playback;

void drawPlayback()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawMatch(playback.player->match());
    glutSwapBuffers();
}

// Plays one tick; at the end reports and leaves the main loop.
void playTick()
{
    ReplayPlayer& player = *playback.player;
    TickEvents events;
    if (player.step(events))
        playSoundEvents(events.sounds);
    if (player.finished()) {
        playback.exitCode = reportEnd(player);
        glutIdleFunc(nullptr);
        glutLeaveMainLoop();
    }
}

void onPlaybackIdle()
{
    waitForNextFrame();
    if (!playback.paused) {
        playback.owed += SPEEDS[playback.speed];
        while (playback.owed >= 1.0 && !playback.player->finished()) {
            playback.owed -= 1.0;
            playTick();
        }
    }
    if (!playback.player->finished())
        drawPlayback();
}

void onPlaybackDisplay()
{
    if (!playback.player->finished())
        drawPlayback();
}

void changeSpeed(int by)
{
    const int speed = playback.speed + by;
    if (speed < 0 || speed >= SPEED_COUNT)
        return;
    playback.speed = speed;
    playback.owed = 0.0;
    std::fprintf(stderr, "replay: speed x%g\n", SPEEDS[speed]);
}

void onPlaybackKey(unsigned char key, int, int)
{
    const ReplayPlayer& player = *playback.player;
    switch (key) {
    case ' ':
        playback.paused = !playback.paused;
        std::fprintf(stderr, "replay: %s at tick %u of %u\n", playback.paused ? "paused" : "playing",
            player.ticksPlayed(), player.tickCount());
        break;
    case '+':
    case '=': changeSpeed(1); break;
    case '-':
    case '_': changeSpeed(-1); break;
    default: break;
    }
}

void onPlaybackSpecial(int key, int, int)
{
    if (key != GLUT_KEY_RIGHT || !playback.paused)
        return;
    playTick();
    std::fprintf(
        stderr, "replay: stepped to tick %u of %u\n", playback.player->ticksPlayed(), playback.player->tickCount());
    if (!playback.player->finished())
        glutPostRedisplay();
}

}  // namespace

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
    playback.player = std::make_unique<ReplayPlayer>(replay);
    // The bout's first picture is the one after its first tick.
    playTick();
    if (playback.player->finished())
        return playback.exitCode;
    glutDisplayFunc(onPlaybackDisplay);
    glutIdleFunc(onPlaybackIdle);
    glutKeyboardFunc(onPlaybackKey);
    glutSpecialFunc(onPlaybackSpecial);
    glutMainLoop();
    return playback.exitCode;
}
