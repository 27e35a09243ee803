#include "scene/match_drawing.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <memory>

#include "match/match.h"
#include "scene/arena.h"
#include "scene/camera.h"
#include "scene/darth_model.h"
#include "scene/hud.h"
#include "scene/jack_model.h"
#include "scene/screens.h"
#include "scene/textures.h"

namespace {

// The two fighters' models, made anew for each bout (with their own textures),
// in the order the fighters were created.
struct FighterModels {
    std::unique_ptr<FighterModel> one;
    std::unique_ptr<FighterModel> two;
    int bout = 0;
};
FighterModels models;

// From the folder the texture table came from.
void loadFighterTexture(const char* fileName, unsigned int* slot)
{
    loadTexture((textureTableFolder() + fileName).c_str(), slot);
}

std::unique_ptr<FighterModel> makeModel(FighterKind kind)
{
    if (kind == DARTH) {
        unsigned int face = 0, top = 0, bottom = 0;
        loadFighterTexture("graphics/maulface.bmp", &face);
        loadFighterTexture("graphics/maultop.bmp", &top);
        loadFighterTexture("graphics/maulbot.bmp", &bottom);
        return std::make_unique<DarthModel>(face, top, bottom);
    }
    unsigned int suit = 0, blade = 0;
    loadFighterTexture("graphics/jacksuit.bmp", &suit);
    loadFighterTexture("graphics/blade.bmp", &blade);
    return std::make_unique<JackModel>(suit, blade);
}

void drawFighters(const Match& m)
{
    if (models.bout != m.boutNumber || !models.one) {
        models.one.reset();
        models.two.reset();
        models.one = makeModel(m.playerOne->kind());
        models.two = makeModel(m.playerTwo->kind());
        models.bout = m.boutNumber;
    }
    models.one->draw(*m.playerOne);
    models.two->draw(*m.playerTwo);
}

// The HUD, the camera, the arena and the sky, then the fighters.
void drawBout(const Match& m)
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    // Placed under the view the previous frame left.
    placeHud(m.view);
    drawHealthBars(m.shownHealthOne, m.shownHealthTwo, m.playerOneChoice, m.playerTwoChoice);
    drawClock(m.shownClockBrightness, m.secondsLeft);
    glPopMatrix();
    setCamera(m.view);
    drawArena();
    drawSky();
    drawFighters(m);
}

void drawLayer(const Match& m, const MenuLayer& layer)
{
    switch (layer.kind) {
    case MenuLayer::TITLE: drawTitle(); break;
    case MenuLayer::DOORS: drawDoors(layer.doorOffset); break;
    case MenuLayer::SELECT:
        drawSelectScreen(m.playerOneChoice, m.playerTwoChoice, m.selectedPlayer, layer.selectBrightness,
            m.playerOneControl, m.playerTwoControl);
        break;
    }
}

void drawMenu(const Match& m)
{
    glLoadIdentity();
    gluLookAt(0.0, 10.0, 20.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    for (int i = 0; i < m.menuLayerCount; ++i)
        drawLayer(m, m.menuLayers[i]);
    if (m.menuLayerCount > 0)
        return;
    // Before the menu's first tick: what the flags show, without stepping.
    if (m.titleShown)
        drawLayer(m, {MenuLayer::TITLE, m.doorOffset, m.selectBrightness});
    if (!m.titleShown)
        drawLayer(m, {MenuLayer::SELECT, m.doorOffset, m.selectBrightness});
    if (m.titleShown != m.doorPhaseFlag)
        drawLayer(m, {MenuLayer::DOORS, m.doorOffset, m.selectBrightness});
}

}  // namespace

void drawMatch(const Match& m)
{
    if (m.gameState == MENU || !m.playerOne || !m.playerTwo) {
        // What only a bout shows is let go while the menu shows.
        releaseFighterModels();
        releaseSky();
        drawMenu(m);
    } else {
        holdSky();
        drawBout(m);
    }
}

void releaseFighterModels()
{
    models = FighterModels{};
}
