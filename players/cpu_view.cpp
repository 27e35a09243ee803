#include "players/cpu_view.h"

#include <cmath>

#include "characters/core/trace.h"
#include "players/cpu_reach.h"

namespace {

FighterView fighterView(const Character& c)
{
    return {int(c.kind()), c.x, c.z, c.facing, c.state, c.health};
}

void press(Character& c, unsigned controls)
{
    KeyState keys{};
    writeControls(c.player, controls, keys);
    c.update(keys.data());
}

// Starts the swing or block a fighter is seen in, by its own controls: of
// the rows with that swing's key, the one that lands most from here.
void showDoing(Character& c, int state, float apart)
{
    if (state == BLOCK) {
        press(c, CONTROL_BLOCK);
    } else if (state == ATTACK_H || state == ATTACK_V) {
        const unsigned key = state == ATTACK_H ? CONTROL_H : CONTROL_V;
        const CpuMove* row = nullptr;
        for (const CpuMove& m : cpuMoves(c.kind()))
            if ((m.controls & key) && (!row || m.hitsAt(apart) > row->hitsAt(apart)))
                row = &m;
        if (row && row->duringSwing)
            press(c, CONTROL_V);
        if (row)
            press(c, row->controls);
    }
    c.state = state;
}

// A swing seen in one picture may be anywhere in its course: it is taken at
// its worst, a moment before its first hit lands (or at once, if none would).
void playToItsFirstHit(Match& m, const MatchView& view, long second)
{
    for (int swinger = 1; swinger <= 2; ++swinger) {
        const int state = view.fighters[swinger - 1].state;
        if (state != ATTACK_H && state != ATTACK_V)
            continue;
        TickInput input;
        input.calendarSecond = second;
        const int other = 3 - swinger;
        writeControls(other, view.fighters[other - 1].state == BLOCK ? CONTROL_BLOCK : 0u, input.keyState);
        const Character& target = other == 1 ? *m.playerOne : *m.playerTwo;
        Match trial = m;
        const Character& trialTarget = other == 1 ? *trial.playerOne : *trial.playerTwo;
        int firstHit = 0;
        for (int t = 1; t <= 60 && trial.gameState == FIGHTING; ++t) {
            TickEvents events;
            step(trial, input, events);
            if (trialTarget.x != target.x || trialTarget.z != target.z || trialTarget.health != target.health) {
                firstHit = t;
                break;
            }
        }
        for (int t = 0; t < firstHit - 2; ++t) {
            TickEvents events;
            step(m, input, events);
        }
        return;
    }
}

}  // namespace

MatchView viewOf(const Match& m)
{
    MatchView view;
    view.fighting = m.gameState == FIGHTING && m.playerOne && m.playerTwo;
    view.secondsLeft = m.secondsLeft;
    if (m.playerOne && m.playerTwo) {
        view.fighters[0] = fighterView(*m.playerOne);
        view.fighters[1] = fighterView(*m.playerTwo);
    }
    if (view.fighting)
        view.scene = std::make_shared<const Match>(m);
    return view;
}

Match sceneFrom(const MatchView& view)
{
    TraceSilence quiet;
    constexpr long SECOND = 1000;
    Match m;
    m.playerOneChoice = view.fighters[0].kind;
    m.playerTwoChoice = view.fighters[1].kind;
    TickEvents events;
    startBout(m, SECOND, events);
    m.boutEndTime = int(SECOND + view.secondsLeft);
    m.secondsLeft = view.secondsLeft;
    m.gameState = view.fighting ? FIGHTING : MENU;
    Character* fighters[2] = {m.playerOne.get(), m.playerTwo.get()};
    for (int i = 0; i < 2; ++i) {
        fighters[i]->x = view.fighters[i].x;
        fighters[i]->z = view.fighters[i].z;
        fighters[i]->health = view.fighters[i].health;
    }
    const float apart = std::hypot(fighters[1]->x - fighters[0]->x, fighters[1]->z - fighters[0]->z);
    for (int i = 0; i < 2; ++i) {
        fighters[i]->updateFacing();
        showDoing(*fighters[i], view.fighters[i].state, apart);
    }
    playToItsFirstHit(m, view, SECOND);
    Character* shown[2] = {m.playerOne.get(), m.playerTwo.get()};
    for (int i = 0; i < 2; ++i)
        shown[i]->state = view.fighters[i].state;
    return m;
}

// The same indices a fighter takes from its player number.
PlayerKeys playerKeys(int player)
{
    const int p = player == 1 ? 1 : 2;
    return {keyIndex(p, Action::Up), keyIndex(p, Action::Down), keyIndex(p, Action::Right), keyIndex(p, Action::Left),
        keyIndex(p, Action::AttackH), keyIndex(p, Action::AttackV), keyIndex(p, Action::Block)};
}

void writeControls(int player, unsigned controls, KeyState& keys)
{
    const PlayerKeys k = playerKeys(player);
    keys[k.up] = (controls & CONTROL_UP) ? 1 : 0;
    keys[k.down] = (controls & CONTROL_DOWN) ? 1 : 0;
    keys[k.right] = (controls & CONTROL_RIGHT) ? 1 : 0;
    keys[k.left] = (controls & CONTROL_LEFT) ? 1 : 0;
    keys[k.attackH] = (controls & CONTROL_H) ? 1 : 0;
    keys[k.attackV] = (controls & CONTROL_V) ? 1 : 0;
    keys[k.block] = (controls & CONTROL_BLOCK) ? 1 : 0;
}
