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

void drawLayer(const Match& m, const MenuLayer& layer, bool controlLabels)
{
    switch (layer.kind) {
    case MenuLayer::TITLE: drawTitle(); break;
    case MenuLayer::DOORS: drawDoors(layer.doorOffset); break;
    case MenuLayer::SELECT:
        drawSelectScreen(m.playerOneChoice, m.playerTwoChoice, m.selectedPlayer, layer.selectBrightness,
            m.playerOneControl, m.playerTwoControl, controlLabels);
        break;
    }
}

void drawMenu(const Match& m, bool controlLabels)
{
    glLoadIdentity();
    gluLookAt(0.0, 10.0, 20.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    for (int i = 0; i < m.menuLayerCount; ++i)
        drawLayer(m, m.menuLayers[i], controlLabels);
    if (m.menuLayerCount > 0)
        return;
    // Before the menu's first tick: what the flags show, without stepping.
    if (m.titleShown)
        drawLayer(m, {MenuLayer::TITLE, m.doorOffset, m.selectBrightness}, controlLabels);
    if (!m.titleShown)
        drawLayer(m, {MenuLayer::SELECT, m.doorOffset, m.selectBrightness}, controlLabels);
    if (m.titleShown != m.doorPhaseFlag)
        drawLayer(m, {MenuLayer::DOORS, m.doorOffset, m.selectBrightness}, controlLabels);
}

bool showsMenu(const Match& m)
{
    return m.gameState == MENU || !m.playerOne || !m.playerTwo;
}

}  // namespace

void viewMatch(const Match& m, int width, int height)
{
    const MenuViewport v = showsMenu(m) ? menuViewport(width, height) : MenuViewport{0, 0, width, height};
    // GL counts the viewport's rows from the bottom.
    glViewport(v.x, height - v.top - v.height, v.width, v.height);
    // A minimised window has no height: keep the last projection.
    if (v.width > 0 && v.height > 0)
        setPerspective(float(v.width) / float(v.height));
}

void drawMatch(const Match& m, bool controlLabels)
{
    if (showsMenu(m)) {
        // What only a bout shows is let go while the menu shows.
        releaseFighterModels();
        releaseSky();
        drawMenu(m, controlLabels);
    } else {
        holdSky();
        drawBout(m);
    }
}

void releaseFighterModels()
{
    models = FighterModels{};
}
