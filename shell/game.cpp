#include "shell/game.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <utility>

#include "audio/sound_ids.h"
#include "scene/camera.h"
#include "scene/match_drawing.h"
#include "scene/textures.h"
#include "shell/clock.h"
#include "shell/computer_sides.h"
#include "shell/input.h"
#include "shell/net_play.h"
#include "shell/replay_recording.h"
#include "shell/window_identity.h"

namespace {

constexpr int WINDOW_X = 100;
constexpr int WINDOW_Y = 100;
constexpr int WINDOW_WIDTH = 800;
constexpr int WINDOW_HEIGHT = 600;
// One simulation tick per displayed frame, so frames are paced to keep the
// game at the same speed on every machine.
constexpr auto FRAME_PERIOD = std::chrono::nanoseconds(1'000'000'000 / TICK_RATE);

Match match;
std::vector<MenuPoint> pendingReleases;

// The window's current size; 800 by 600 when there is no window to ask.
void windowSize(int& width, int& height)
{
    width = 0;
    height = 0;
    if (glutGet(GLUT_INIT_STATE) && glutGetWindow() != 0) {
        width = glutGet(GLUT_WINDOW_WIDTH);
        height = glutGet(GLUT_WINDOW_HEIGHT);
    }
    if (width <= 0 || height <= 0) {
        width = MENU_WIDTH;
        height = MENU_HEIGHT;
    }
}

TickInput gatherInput()
{
    TickInput input;
    input.padPresses = pollInput();
    std::copy(std::begin(keyState), std::end(keyState), input.keyState.begin());
    input.releases = std::exchange(pendingReleases, {});
    input.calendarSecond = calendarSeconds();
    input.winSoundPlaying =
        isPlayingOnce(soundTable[SoundId::JACK_WIN]) || isPlayingOnce(soundTable[SoundId::DARTH_WIN]);
    input.ringoutSoundPlaying =
        isPlayingOnce(soundTable[SoundId::JACK_RINGOUT]) || isPlayingOnce(soundTable[SoundId::DARTH_RINGOUT]);
    demoTick(match, input.releases);
    playComputerSides(match, input.keyState);
    return input;
}

// A key or a click during the demo ends it; that key or click does nothing else.
bool swallowRelease = false;
void endDemoByUser()
{
    TickEvents events;
    leaveDemo(match, events);
    playSoundEvents(events.sounds);
    pendingReleases.clear();
}

void keyPressed(unsigned char key, int x, int y)
{
    if (demoRunning())
        endDemoByUser();
    onKeyPress(key, x, y);
}

void specialPressed(int key, int x, int y)
{
    if (demoRunning())
        endDemoByUser();
    onSpecialPress(key, x, y);
}

void drawFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const Match* network = netPlayMatch();
    drawMatch(network ? *network : match);
    drawNetLabels();
    glutSwapBuffers();
}

}  // namespace

Match& liveMatch()
{
    return match;
}

void openGameWindow(int argc, char** argv, const Options& options, const std::string& dataPrefix)
{
    // Trace lines reach a pipe as they happen.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB | GLUT_DEPTH);
    // GLUT's -geometry, when given, places and sizes the window instead.
    if (!options.glutGeometry) {
        glutInitWindowPosition(WINDOW_X, WINDOW_Y);
        glutInitWindowSize(WINDOW_WIDTH, WINDOW_HEIGHT);
    }
    if (options.windowWidth > 0)
        glutInitWindowSize(options.windowWidth, options.windowHeight);
    glutCreateWindow("Zandrel");
    nameWindowToDesktop(dataPrefix);
    if (options.fullscreen)
        glutFullScreen();
    // Held keys are a state table: the X server's auto-repeat adds nothing.
    glutIgnoreKeyRepeat(1);
    glutReshapeFunc(onReshape);

    glEnable(GL_DEPTH_TEST);
    loadTextureTable(dataPrefix);
    setupLights();
    loadSoundBank(dataPrefix);
    std::atexit(closeSoundBank);
}

void startGame(int argc, char** argv, const Options& options, const std::string& dataPrefix)
{
    openGameWindow(argc, argv, options, dataPrefix);
    glutDisplayFunc(onDisplay);
    glutIdleFunc(onIdle);
    glutMouseFunc(onMouse);
    glutKeyboardFunc(keyPressed);
    glutKeyboardUpFunc(onKeyRelease);
    glutSpecialFunc(specialPressed);
    glutSpecialUpFunc(onSpecialRelease);

    match = Match{};
    pendingReleases.clear();
    startReplayRecording();
    playOnce(soundTable[SoundId::STARTUP]);
    startInput();
}

int runGame(int argc, char** argv, const Options& options, const std::string& dataPrefix)
{
    startGame(argc, argv, options, dataPrefix);
    if (options.demo)
        startDemo(match);
    glutMainLoop();
    return 0;
}

void advanceFrame()
{
    if (netPlayActive()) {
        // Pads hold keys in the table too; their menu presses choose this side's fighter.
        const MenuPresses pads = pollInput();
        netPlayFrame(std::exchange(pendingReleases, {}), pads);
        drawFrame();
        return;
    }
    TickEvents events;
    const TickInput input = gatherInput();
    recordBeforeTick(match);
    step(match, input, events);
    recordAfterTick(match, input);
    playSoundEvents(events.sounds);
    drawFrame();
}

void onDisplay()
{
    drawFrame();
}

void waitForNextFrame()
{
    using Clock = std::chrono::steady_clock;
    static Clock::time_point nextFrame = Clock::now();
    std::this_thread::sleep_until(nextFrame);
    nextFrame += FRAME_PERIOD;
    // After a stall (a slow frame) start afresh rather than rushing through
    // the missed frames.
    Clock::time_point now = Clock::now();
    if (now > nextFrame)
        nextFrame = now;
}

void onIdle()
{
    waitForNextFrame();
    advanceFrame();
}

void onReshape(int width, int height)
{
    glViewport(0, 0, width, height);
    // A minimised window has no height: keep the last projection.
    if (height > 0) {
        float aspect = width * 1.0f / height;
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(60.0, aspect, 1.5, 300.0);
        glMatrixMode(GL_MODELVIEW);
    }
    std::printf("Resized to %d %d\n", width, height);
}

void onMouse(int, int state, int x, int y)
{
    if (demoRunning()) {
        endDemoByUser();
        swallowRelease = state != GLUT_UP;
        return;
    }
    // The menu acts on button releases only.
    if (state != GLUT_UP)
        return;
    if (std::exchange(swallowRelease, false))
        return;
    int width, height;
    windowSize(width, height);
    pendingReleases.push_back(toMenuPoint(x, y, width, height));
}
