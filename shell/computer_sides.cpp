#include "shell/computer_sides.h"

#include <memory>
#include <random>

#include "players/cpu_player.h"

namespace {

std::unique_ptr<CpuPlayer> sides[2];
int sidesBout = -1;
bool demo = false;
std::mt19937 demoRandom{std::random_device{}()};

int randomLevel()
{
    return CPU_EASY + int(demoRandom() % 3);
}

}  // namespace

void playComputerSides(const Match& match, KeyState& keys)
{
    if (match.gameState == MENU || !match.playerOne || !match.playerTwo)
        return;
    if (match.boutNumber != sidesBout) {
        sidesBout = match.boutNumber;
        const int controls[2] = {match.playerOneControl, match.playerTwoControl};
        for (int side = 0; side < 2; ++side) {
            sides[side].reset();
            if (controls[side] != HUMAN)
                sides[side] = std::make_unique<CpuPlayer>(side + 1, controls[side], std::random_device{}());
        }
    }
    const MatchView view = viewOf(match);
    for (auto& side : sides)
        if (side)
            side->play(view, keys);
}

void startDemo(Match& match)
{
    demo = true;
    match.playerOneControl = randomLevel();
    match.playerTwoControl = randomLevel();
}

bool demoRunning()
{
    return demo;
}

void demoTick(Match& match, std::vector<MenuPoint>& releases)
{
    if (!demo || match.gameState != MENU)
        return;
    if (match.titleShown && match.doorPhaseFlag) {
        releases.push_back({MENU_WIDTH / 2.0, MENU_HEIGHT / 2.0});
    } else if (!match.titleShown && !match.doorPhaseFlag) {
        match.playerOneChoice = int(demoRandom() % 2);
        match.playerTwoChoice = int(demoRandom() % 2);
        match.playerOneControl = randomLevel();
        match.playerTwoControl = randomLevel();
        releases.push_back(
            {(START_LABEL.left + START_LABEL.right) / 2.0, (START_LABEL.top + START_LABEL.bottom) / 2.0});
    }
}

void leaveDemo(Match& match, TickEvents& events)
{
    demo = false;
    Match title;
    // Drawing knows a new bout by its number: keep counting.
    title.boutNumber = match.boutNumber;
    title.playerOneChoice = match.playerOneChoice;
    title.playerTwoChoice = match.playerTwoChoice;
    match = std::move(title);
    events.stop(SoundId::BACKGROUND);
}
