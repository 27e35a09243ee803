// The title, its doors and the select screen: clicks and the door and pulse steps.
#include "match/match.h"

namespace {

constexpr double DOOR_SHUT = 6.7;
constexpr double DOOR_STEP = 0.1;
constexpr float PULSE_LOW = 0.2f;
constexpr float PULSE_HIGH = 1.0f;
constexpr double PULSE_STEP = 0.02;

void flip(int& choice)
{
    choice = choice == JACK ? DARTH : JACK;
}

void addLayer(Match& m, MenuLayer::Kind kind)
{
    if (m.menuLayerCount < int(m.menuLayers.size()))
        m.menuLayers[m.menuLayerCount++] = {kind, m.doorOffset, m.selectBrightness};
}

}  // namespace

MenuPoint toMenuPoint(int x, int y, int width, int height)
{
    if (width <= 0 || height <= 0)
        return {double(x), double(y)};
    const double scale = double(MENU_HEIGHT) / height;
    return {MENU_WIDTH / 2.0 + (x - width / 2.0) * scale, y * scale};
}

MenuViewport menuViewport(int width, int height)
{
    if (width <= 0 || height <= 0 || width * MENU_HEIGHT >= height * MENU_WIDTH)
        return {0, 0, width, height};
    const int band = (width * MENU_HEIGHT + MENU_WIDTH / 2) / MENU_WIDTH;
    return {0, (height - band) / 2, width, band};
}

MenuPoint clickOnMenu(int x, int y, int width, int height)
{
    const MenuViewport v = menuViewport(width, height);
    return toMenuPoint(x - v.x, y - v.top, v.width, v.height);
}

void menuRelease(Match& m, MenuPoint p, long calendarSecond, TickEvents& events)
{
    if (m.gameState != MENU)
        return;
    if (m.titleShown) {
        menuOpenDoors(m);
        return;
    }
    if (PLAYER_ONE_ROW.contains(p))
        menuSwitchFighter(m, 0, events);
    if (PLAYER_TWO_ROW.contains(p))
        menuSwitchFighter(m, 1, events);
    if (PLAYER_ONE_CONTROL.contains(p)) {
        events.playOnce(SoundId::CLICK);
        m.playerOneControl = nextControl(m.playerOneControl);
    }
    if (PLAYER_TWO_CONTROL.contains(p)) {
        events.playOnce(SoundId::CLICK);
        m.playerTwoControl = nextControl(m.playerTwoControl);
    }
    if (START_LABEL.contains(p))
        menuStart(m, calendarSecond, events);
}

// A pad's confirm or start opens the doors on the title; on the select
// screen up and down choose a row, left, right and confirm switch that row's
// fighter, and start begins the bout.
void menuPadPresses(Match& m, const MenuPresses& presses, long calendarSecond, TickEvents& events)
{
    if (presses.confirm || presses.start)
        menuOpenDoors(m);
    if (presses.row >= 0)
        menuChooseRow(m, presses.row);
    for (int i = 0; i < presses.switches + (presses.confirm ? 1 : 0); ++i)
        menuSwitchFighter(m, m.selectedPlayer, events);
    if (presses.start)
        menuStart(m, calendarSecond, events);
}

void menuOpenDoors(Match& m)
{
    if (m.gameState == MENU && m.titleShown)
        m.doorPhaseFlag = false;
}

void menuChooseRow(Match& m, int row)
{
    if (m.gameState == MENU && !m.titleShown)
        m.selectedPlayer = row;
}

void menuSwitchFighter(Match& m, int row, TickEvents& events)
{
    if (m.gameState != MENU || m.titleShown)
        return;
    m.selectedPlayer = row;
    events.playOnce(SoundId::CLICK);
    flip(row == 0 ? m.playerOneChoice : m.playerTwoChoice);
}

void menuStart(Match& m, long calendarSecond, TickEvents& events)
{
    if (m.gameState == MENU && !m.titleShown)
        startBout(m, calendarSecond, events);
}

void menuChooseSides(Match& m, const SideChoices& sides)
{
    if (m.gameState != MENU)
        return;
    m.playerOneChoice = sides.choice[0];
    m.playerTwoChoice = sides.choice[1];
    m.playerOneControl = sides.control[0];
    m.playerTwoControl = sides.control[1];
}

int nextControl(int control)
{
    return control >= HUMAN && control < CPU_HARD ? control + 1 : HUMAN;
}

void doorStep(Match& m, TickEvents& events)
{
    if (m.doorOffset >= DOOR_SHUT) {
        m.doorClosing = false;
        m.titleShown = false;
        m.doorPhaseFlag = true;
        events.playOnce(SoundId::CLOSE);
    }
    if (m.doorOffset <= 0.0f) {
        m.doorClosing = true;
        m.doorPhaseFlag = false;
        events.playOnce(SoundId::SELECTCHARACTER);
    }
    m.doorOffset = m.doorClosing ? m.doorOffset + DOOR_STEP : m.doorOffset - DOOR_STEP;
}

void selectPulseStep(Match& m)
{
    if (m.selectBrightness <= PULSE_LOW)
        m.selectBrightening = true;
    if (m.selectBrightness >= PULSE_HIGH)
        m.selectBrightening = false;
    m.selectBrightness =
        static_cast<float>(m.selectBrightening ? m.selectBrightness + PULSE_STEP : m.selectBrightness - PULSE_STEP);
}

// Each test reads the flags as the door step before it left them, so the
// frame the doors shut shows the title, the doors, the select screen and the
// doors again.
void menuTick(Match& m, TickEvents& events)
{
    m.menuLayerCount = 0;
    if (m.titleShown)
        addLayer(m, MenuLayer::TITLE);
    if (m.titleShown && !m.doorPhaseFlag) {
        doorStep(m, events);
        addLayer(m, MenuLayer::DOORS);
    }
    if (!m.titleShown && m.doorPhaseFlag) {
        selectPulseStep(m);
        addLayer(m, MenuLayer::SELECT);
        doorStep(m, events);
        addLayer(m, MenuLayer::DOORS);
    }
    if (!m.titleShown && !m.doorPhaseFlag) {
        selectPulseStep(m);
        addLayer(m, MenuLayer::SELECT);
    }
}

void returnToTitle(Match& m)
{
    m.gameState = MENU;
    m.titleShown = true;
    m.doorPhaseFlag = false;
    m.pauseEnd = 0;
    m.menuLayerCount = 0;
}
