#include "shell/game.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <utility>

#include "audio/sound_ids.h"
#include "scene/camera.h"
#include "scene/textures.h"
#include "shell/quit_signals.h"
#include "shell/shell.h"
#include "shell/window_identity.h"

namespace {

constexpr int WINDOW_X = 100;
constexpr int WINDOW_Y = 100;
constexpr int WINDOW_WIDTH = 800;
constexpr int WINDOW_HEIGHT = 600;

// While a replay is watched the keys are its own: Space, + and -.
void keyPressed(unsigned char key, int x, int y)
{
    Shell& s = shell();
    if (s.playback) {
        s.playback->key(key);
        s.markWindow();
        return;
    }
    if (s.computer.demoRunning())
        s.endDemo();
    onKeyPress(key, x, y);
}

void specialPressed(int key, int x, int y)
{
    Shell& s = shell();
    if (s.playback) {
        if (!s.playback->stepKey(key))
            return;
        const bool more = s.stepPlayback();
        const ReplayPlayer& player = s.playback->player;
        std::fprintf(stderr, "replay: stepped to tick %u of %u\n", player.ticksPlayed(), player.tickCount());
        if (more)
            s.markWindow();
        return;
    }
    if (s.computer.demoRunning())
        s.endDemo();
    onSpecialPress(key, x, y);
}

}  // namespace

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

Match& liveMatch()
{
    return shell().match;
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

void setWindowCallbacks()
{
    glutDisplayFunc(onDisplay);
    glutIdleFunc(onIdle);
    glutMouseFunc(onMouse);
    glutKeyboardFunc(keyPressed);
    glutKeyboardUpFunc(onKeyRelease);
    glutSpecialFunc(specialPressed);
    glutSpecialUpFunc(onSpecialRelease);
}

void startGame(int argc, char** argv, const Options& options, const std::string& dataPrefix)
{
    openGameWindow(argc, argv, options, dataPrefix);
    setWindowCallbacks();
    Shell& s = shell();
    s.match = Match{};
    s.releases.clear();
    s.recording.start();
    playOnce(soundTable[SoundId::STARTUP]);
    s.keys.start();
}

int runGame(int argc, char** argv, const Options& options, const std::string& dataPrefix)
{
    startGame(argc, argv, options, dataPrefix);
    if (options.demo)
        shell().computer.startDemo();
    glutMainLoop();
    return 0;
}

void advanceFrame()
{
    shell().frame();
}

void onDisplay()
{
    shell().markWindow();
}

void waitForNextFrame()
{
    shell().waitForNextFrame();
}

void onIdle()
{
    waitForNextFrame();
    if (const int signal = quitSignal())
        shell().quit(signal);
    advanceFrame();
}

void onReshape(int width, int height)
{
    glViewport(0, 0, width, height);
    // A minimised window has no height: keep the last projection.
    if (height > 0)
        setPerspective(width * 1.0f / height);
    std::printf("Resized to %d %d\n", width, height);
    shell().markWindow();
}

void onMouse(int, int state, int x, int y)
{
    Shell& s = shell();
    if (s.playback)
        return;
    if (s.computer.demoRunning()) {
        s.endDemo();
        s.swallowRelease = state != GLUT_UP;
        return;
    }
    // The menu acts on button releases only.
    if (state != GLUT_UP)
        return;
    if (std::exchange(s.swallowRelease, false))
        return;
    int width, height;
    windowSize(width, height);
    s.releases.push_back(clickOnMenu(x, y, width, height));
}
