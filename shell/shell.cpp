#include "shell/shell.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "audio/sound_ids.h"
#include "scene/match_drawing.h"
#include "scene/overlay_text.h"
#include "shell/game.h"
#include "shell/quit_signals.h"

namespace {

// One simulation tick per displayed frame, so frames are paced to keep the
// game at the same speed on every machine.
constexpr auto FRAME_PERIOD = std::chrono::nanoseconds(1'000'000'000 / TICK_RATE);

// The watched replay's state sits in the lower left corner, over the floor.
constexpr int REPLAY_STATUS_MARGIN = 8;

Shell* inUse = nullptr;

// The window closes, or the game exits, with a bout under way.
void saveAtExit()
{
    if (inUse)
        inUse->recording.saveUnfinished();
}

}  // namespace

Shell& shell()
{
    if (!inUse) {
        std::fputs("zandrel: no shell in use\n", stderr);
        std::abort();
    }
    return *inUse;
}

void useShell(Shell* s)
{
    static const bool registered = std::atexit(saveAtExit) == 0;
    (void)registered;
    inUse = s;
}

Shell::~Shell()
{
    recording.saveUnfinished();
    if (inUse == this)
        inUse = nullptr;
}

TickInput Shell::gatherInput()
{
    TickInput input;
    input.padPresses = keys.poll();
    std::copy(std::begin(keys.keyState), std::end(keys.keyState), input.keyState.begin());
    input.releases = std::exchange(releases, {});
    input.calendarSecond = calendar();
    input.winSoundPlaying =
        isPlayingOnce(soundTable[SoundId::JACK_WIN]) || isPlayingOnce(soundTable[SoundId::DARTH_WIN]);
    input.ringoutSoundPlaying =
        isPlayingOnce(soundTable[SoundId::JACK_RINGOUT]) || isPlayingOnce(soundTable[SoundId::DARTH_RINGOUT]);
    computer.demoInput(match, input);
    return input;
}

ReplayPlayer* Shell::recorded()
{
    return playback ? &playback->player : net.watchedBout();
}

int Shell::ticksDue()
{
    if (playback)
        return playback->ticksDue();
    if (!net.watching())
        return 1;
    // Clicks and keys play no part in a watched room.
    releases.clear();
    TickEvents events;
    const int due = net.watchFrame(events);
    playSoundEvents(events.sounds);
    if (!net.watching())
        match = Match{};
    return due;
}

bool Shell::nextInput(TickInput& input, TickEvents& events)
{
    if (ReplayPlayer* player = recorded())
        return player->next(input, events);
    input = gatherInput();
    return true;
}

void Shell::tick(TickInput input, TickEvents& events)
{
    ReplayPlayer* player = recorded();
    Match& game = player ? player->playing() : match;
    // A watched bout is someone else's: not recorded again.
    const bool unrecorded = computer.demoRunning() || player;
    recording.beforeTick(game, unrecorded);
    // A watched replay's keys are the ones its computer sides pressed then.
    if (!player)
        computer.play(game, input.keyState);
    if (!net.active()) {
        step(game, input, events);
    } else if (net.frame(input, events)) {
        // The session is over: back to this machine's own game, at its title.
        match = Match{};
    }
    recording.afterTick(game, input, unrecorded);
    if (player)
        player->played();
    playSoundEvents(events.sounds);
}

void Shell::frame()
{
    bool ticked = false;
    for (int due = ticksDue(); due > 0 && !playbackOver(); --due) {
        TickInput input;
        TickEvents events;
        if (nextInput(input, events))
            tick(std::move(input), events);
        ticked = true;
    }
    // A paused replay's picture stays until something marks the window; a
    // watched room's labels change while it waits for its feed.
    if ((ticked || windowMarked || net.watching()) && !playbackOver())
        draw();
}

bool Shell::stepPlayback()
{
    TickInput input;
    TickEvents events;
    if (playback && nextInput(input, events))
        tick(std::move(input), events);
    return !playbackOver();
}

bool Shell::playbackOver()
{
    if (!playback || !playback->player.finished())
        return false;
    if (!playbackReported) {
        playbackReported = true;
        exitCode = playback->report();
        glutIdleFunc(nullptr);
        glutLeaveMainLoop();
    }
    return true;
}

void Shell::draw()
{
    if (playback && playback->player.finished())
        return;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const Match* network = net.match();
    const Match& shown = network ? *network : playback ? playback->player.match() : match;
    int width, height;
    windowSize(width, height);
    viewMatch(shown, width, height);
    drawMatch(shown, !network);
    net.drawLabels();
    if (playback)
        drawOverlayText({playback->status(), REPLAY_STATUS_MARGIN, height - REPLAY_STATUS_MARGIN}, width, height);
    glutSwapBuffers();
    windowMarked = false;
    ++framesDrawn;
}

void Shell::endDemo()
{
    TickEvents events;
    computer.leaveDemo(match, events);
    playSoundEvents(events.sounds);
    releases.clear();
}

void Shell::waitForNextFrame()
{
    net.waitUntil(nextFrame);
    nextFrame += FRAME_PERIOD;
    // After a stall (a slow frame) start afresh rather than rushing through
    // the missed frames.
    const auto now = std::chrono::steady_clock::now();
    if (now > nextFrame)
        nextFrame = now;
}

void Shell::quit(int signal)
{
    std::fprintf(stderr, "zandrel: %s: the game ends\n", signalName(signal));
    const std::filesystem::path saved = recording.saveUnfinished();
    if (!saved.empty())
        std::fprintf(stderr, "zandrel: the bout in play is kept as %s\n", saved.c_str());
    std::exit(128 + signal);
}
