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

void menuRelease(Match& m, MenuPoint p, long calendarSecond, TickEvents& events)
{
    if (m.gameState != MENU)
        return;
    if (m.titleShown) {
        m.doorPhaseFlag = false;
        return;
    }
    if (PLAYER_ONE_ROW.contains(p)) {
        m.selectedPlayer = 0;
        events.playOnce(SoundId::CLICK);
        flip(m.playerOneChoice);
    }
    if (PLAYER_TWO_ROW.contains(p)) {
        m.selectedPlayer = 1;
        events.playOnce(SoundId::CLICK);
        flip(m.playerTwoChoice);
    }
    if (PLAYER_ONE_CONTROL.contains(p)) {
        events.playOnce(SoundId::CLICK);
        m.playerOneControl = nextControl(m.playerOneControl);
    }
    if (PLAYER_TWO_CONTROL.contains(p)) {
        events.playOnce(SoundId::CLICK);
        m.playerTwoControl = nextControl(m.playerTwoControl);
    }
    if (START_LABEL.contains(p))
        startBout(m, calendarSecond, events);
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
    m.selectBrightness = static_cast<float>(m.selectBrightening ? m.selectBrightness + PULSE_STEP
                                                                : m.selectBrightness - PULSE_STEP);
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
