#include "shell/game.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "audio/sound_bank.h"
#include "characters/core/character.h"
#include "scene/arena.h"
#include "scene/hud.h"
#include "scene/screens.h"
#include "scene/textures.h"
#include "shell/camera.h"
#include "shell/input.h"
#include "shell/match.h"

namespace {

constexpr int WINDOW_X = 100;
constexpr int WINDOW_Y = 100;
constexpr int WINDOW_WIDTH = 800;
constexpr int WINDOW_HEIGHT = 600;
constexpr int END_OF_BOUT_PAUSE_SECONDS = 2;
// One simulation tick per displayed frame, so frames are paced to keep the
// game at the same speed on every machine.
constexpr auto FRAME_PERIOD = std::chrono::nanoseconds(1'000'000'000 / 60);

// The HUD, the camera, the arena and the sky: the start of every bout frame.
void drawBoutScene()
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    // Placed under the view the previous frame left.
    placeHud();
    drawHealthBars();
    drawClock();
    glPopMatrix();
    setCamera();
    drawArena();
    drawSky();
}

void drawMenu()
{
    glLoadIdentity();
    gluLookAt(0.0, 10.0, 20.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    // Each test reads the flags as the door step left them.
    if (titleShown)
        drawTitle();
    if (titleShown && !doorPhaseFlag)
        drawDoors();
    if (!titleShown && doorPhaseFlag) {
        drawSelectScreen();
        drawDoors();
    }
    if (!titleShown && !doorPhaseFlag)
        drawSelectScreen();
}

}  // namespace

void startGame(int argc, char** argv)
{
    // Trace lines reach a pipe as they happen.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB | GLUT_DEPTH);
    glutInitWindowPosition(WINDOW_X, WINDOW_Y);
    glutInitWindowSize(WINDOW_WIDTH, WINDOW_HEIGHT);
    glutCreateWindow("Zandrel");
    // Held keys are a state table: the X server's auto-repeat adds nothing.
    glutIgnoreKeyRepeat(1);

    glutDisplayFunc(onDisplay);
    glutIdleFunc(onIdle);
    glutReshapeFunc(onReshape);
    glutMouseFunc(onMouse);
    glutKeyboardFunc(onKeyPress);
    glutKeyboardUpFunc(onKeyRelease);
    glutSpecialFunc(onSpecialPress);
    glutSpecialUpFunc(onSpecialRelease);

    glEnable(GL_DEPTH_TEST);
    loadTextureTable();
    setupLights();
    gameState = MENU;
    loadSoundBank();
    std::atexit(closeSoundBank);
    playOnce(startupSound);
}

int runGame(int argc, char** argv)
{
    startGame(argc, argv);
    glutMainLoop();
    return 0;
}

void onDisplay()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    switch (gameState) {
    case MENU:
        drawMenu();
        break;
    case FIGHTING:
        drawBoutScene();
        playerOne->update(keyState);
        playerTwo->update(keyState);
        playerOne->draw();
        playerTwo->draw();
        checkBoutEnd();
        break;
    case KNOCKOUT:
    case TIME_UP:
        drawBoutScene();
        playerOne->draw();
        playerTwo->draw();
        endBout(END_OF_BOUT_PAUSE_SECONDS);
        break;
    case RING_OUT: {
        drawBoutScene();
        playerOne->draw();
        playerTwo->draw();
        bool jackFalling = isPlayingOnce(jackRingoutSound);
        bool darthFalling = isPlayingOnce(darthRingoutSound);
        if (!jackFalling && !darthFalling)
            returnToTitle();
        break;
    }
    default:
        break;
    }
    glutSwapBuffers();
}

void onIdle()
{
    using Clock = std::chrono::steady_clock;
    static Clock::time_point nextFrame = Clock::now();
    std::this_thread::sleep_until(nextFrame);
    nextFrame += FRAME_PERIOD;
    // After a stall (the end-of-bout pause, a slow frame) start afresh
    // rather than rushing through the missed frames.
    Clock::time_point now = Clock::now();
    if (now > nextFrame)
        nextFrame = now;
    onDisplay();
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
