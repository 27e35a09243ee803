#include "shell/computer_sides.h"

int ComputerSides::randomLevel()
{
    return CPU_EASY + int(random() % 3);
}

void ComputerSides::play(const Match& match, KeyState& keys)
{
    if (match.gameState == MENU || !match.playerOne || !match.playerTwo) {
        sidesBout = -1;
        return;
    }
    // A bout of a match put in place of the last (a new game counts its bouts
    // afresh) is known by who plays it too.
    const int controls[2] = {match.playerOneControl, match.playerTwoControl};
    if (match.boutNumber != sidesBout || controls[0] != sidesControls[0] || controls[1] != sidesControls[1]) {
        sidesBout = match.boutNumber;
        for (int side = 0; side < 2; ++side) {
            sidesControls[side] = controls[side];
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

void ComputerSides::demoInput(const Match& match, TickInput& input)
{
    if (!demo || match.gameState != MENU)
        return;
    if (chooseNow) {
        chooseNow = false;
        input.sides = SideChoices{{match.playerOneChoice, match.playerTwoChoice}, {randomLevel(), randomLevel()}};
    }
    if (match.titleShown && match.doorPhaseFlag) {
        input.releases.push_back({MENU_WIDTH / 2.0, MENU_HEIGHT / 2.0});
    } else if (!match.titleShown && !match.doorPhaseFlag) {
        const int one = int(random() % 2);
        const int two = int(random() % 2);
        input.sides = SideChoices{{one, two}, {randomLevel(), randomLevel()}};
        input.releases.push_back(
            {(START_LABEL.left + START_LABEL.right) / 2.0, (START_LABEL.top + START_LABEL.bottom) / 2.0});
    }
}

void ComputerSides::leaveDemo(Match& match, TickEvents& events)
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
