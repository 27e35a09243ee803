#include "net/rollback.h"

#include <algorithm>

#include "characters/core/trace.h"
#include "replay/recorder.h"

PlayerInput playerInput(const int* keys, int player)
{
    PlayerInput bits = 0;
    for (int i = 0; i < PLAYER_KEYS; ++i)
        if (keys[keyIndex(player, Action(i))])
            bits |= PlayerInput(1u << i);
    return bits;
}

PlayerInput eitherKeySet(const int* keys)
{
    return playerInput(keys, 1) | playerInput(keys, 2);
}

KeyState keyStateOf(PlayerInput one, PlayerInput two)
{
    KeyState keys{};
    for (int i = 0; i < PLAYER_KEYS; ++i) {
        keys[keyIndex(1, Action(i))] = (one >> i) & 1;
        keys[keyIndex(2, Action(i))] = (two >> i) & 1;
    }
    return keys;
}

Match networkMatch(int choiceOne, int choiceTwo)
{
    Match m;
    m.countTicks = true;
    m.playerOneChoice = choiceOne;
    m.playerTwoChoice = choiceTwo;
    return m;
}

Match networkBoutStart(int choiceOne, int choiceTwo, TickEvents* events)
{
    Match m = networkMatch(choiceOne, choiceTwo);
    TickEvents ignored;
    startBout(m, 0, events ? *events : ignored);
    return m;
}

void correctSounds(const std::vector<SoundEvent>& was, const std::vector<SoundEvent>& is, std::vector<SoundEvent>& out)
{
    std::vector<SoundEvent> fresh = is;
    for (const SoundEvent& e : was) {
        auto again = std::find(fresh.begin(), fresh.end(), e);
        if (again != fresh.end()) {
            fresh.erase(again);
        } else if (e.action != SoundAction::STOP) {
            out.push_back({SoundAction::STOP, e.id});
        } else if (e.id == SoundId::BACKGROUND) {
            // The music a wrongly predicted win stopped plays again.
            out.push_back({SoundAction::PLAY_LOOPING, e.id});
        }
    }
    out.insert(out.end(), fresh.begin(), fresh.end());
}

Rollback::Rollback(int localPlayer, int delay, int choiceOne, int choiceTwo, Tamper tamper)
    : localPlayer(localPlayer),
      choiceOne(choiceOne),
      choiceTwo(choiceTwo),
      tamper(std::move(tamper)),
      localInputs(std::size_t(std::clamp(delay, 0, MAX_INPUT_DELAY)), PlayerInput(0))
{
    // The bout's first lines are confirmed: both sides start alike.
    TraceCapture capture;
    now = networkBoutStart(choiceOne, choiceTwo);
    confirmedTrace = capture.lines();
}

bool Rollback::canAdvance() const
{
    return !over && !desync && present() < remoteKnown() + MAX_AHEAD;
}

PlayerInput Rollback::remoteFor(std::uint32_t tick) const
{
    if (tick < remoteInputs.size())
        return remoteInputs[tick];
    return remoteInputs.empty() ? PlayerInput(0) : remoteInputs.back();
}

void Rollback::simulate(std::uint32_t tick, Played& p)
{
    TickInput in;
    const PlayerInput local = localInputs[tick];
    in.keyState = localPlayer == 1 ? keyStateOf(local, p.remoteUsed) : keyStateOf(p.remoteUsed, local);
    TickEvents events;
    TraceCapture capture;
    step(now, in, events);
    if (tamper)
        tamper(now);
    p.trace = capture.lines();
    p.sounds = std::move(events.sounds);
}

void Rollback::advance(PlayerInput local, std::vector<SoundEvent>& sounds)
{
    if (!canAdvance())
        return;
    localInputs.push_back(local);
    const std::uint32_t tick = present();
    Played& p = slot(tick);
    p.before = now;
    p.remoteUsed = remoteFor(tick);
    simulate(tick, p);
    sounds.insert(sounds.end(), p.sounds.begin(), p.sounds.end());
    confirm();
}

void Rollback::receive(std::uint32_t first, const std::vector<PlayerInput>& inputs)
{
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const std::uint64_t tick = std::uint64_t(first) + i;
        if (tick < remoteInputs.size())
            continue;
        if (tick > remoteInputs.size())
            break;
        remoteInputs.push_back(inputs[i]);
        if (tick < present() && slot(std::uint32_t(tick)).remoteUsed != inputs[i] && !firstWrong)
            firstWrong = std::uint32_t(tick);
    }
}

void Rollback::settle(std::vector<SoundEvent>& sounds)
{
    if (firstWrong && !over) {
        const std::uint32_t from = *firstWrong;
        const std::uint32_t to = present();
        const int depth = int(to - from);
        ++counts.rollbacks;
        counts.resimulated += depth;
        counts.deepest = std::max(counts.deepest, depth);
        now = slot(from).before;
        for (std::uint32_t tick = from; tick < to; ++tick) {
            Played& p = slot(tick);
            if (tick != from)
                p.before = now;
            std::vector<SoundEvent> was = std::move(p.sounds);
            p.remoteUsed = remoteFor(tick);
            simulate(tick, p);
            correctSounds(was, p.sounds, sounds);
        }
    }
    firstWrong.reset();
    confirm();
}

const Match& Rollback::stateAt(std::uint32_t tick) const
{
    return tick == present() ? now : played[tick % SAVED].before;
}

void Rollback::confirm()
{
    const std::uint32_t target = std::min(present(), remoteKnown());
    while (!over && confirmedTicks < target) {
        Played& p = slot(confirmedTicks);
        for (std::string& line : p.trace)
            confirmedTrace.push_back(std::move(line));
        p.trace.clear();
        ++confirmedTicks;
        const Match& state = stateAt(confirmedTicks);
        if (confirmedTicks % HASH_INTERVAL == 0) {
            const std::uint64_t hash = stateHash(state);
            checkpoints.emplace_back(confirmedTicks, hash);
            localHashes.emplace_back(confirmedTicks, hash);
            for (const auto& [tick, theirs] : remoteHashes)
                if (tick == confirmedTicks && theirs != hash && !desync)
                    desync = tick;
        }
        if (!ending)
            ending = boutEnding(state);
        if (state.gameState == MENU) {
            over = confirmedTicks;
            finalHash = stateHash(state);
        }
    }
}

void Rollback::remoteHash(std::uint32_t tick, std::uint64_t hash)
{
    remoteHashes.emplace_back(tick, hash);
    for (const auto& [mine, ours] : localHashes)
        if (mine == tick && ours != hash && !desync)
            desync = tick;
}

BoutRecord Rollback::record() const
{
    BoutRecord r;
    r.choiceOne = choiceOne;
    r.choiceTwo = choiceTwo;
    for (std::uint32_t tick = 0; tick < confirmedTicks; ++tick)
        r.ticks.push_back(confirmedInput(tick));
    return r;
}

TickInput Rollback::confirmedInput(std::uint32_t tick) const
{
    TickInput in;
    in.keyState = localPlayer == 1 ? keyStateOf(localInputs[tick], remoteInputs[tick])
                                   : keyStateOf(remoteInputs[tick], localInputs[tick]);
    return in;
}

Replay Rollback::replay() const
{
    Replay r;
    r.gameVersion = gameVersion();
    r.start = boutStartOf(networkMatch(choiceOne, choiceTwo));
    for (const TickInput& in : record().ticks)
        r.append(recordOf(in));
    r.finalHash = over ? finalHash : confirmedHash();
    return r;
}
