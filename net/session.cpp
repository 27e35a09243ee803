#include "net/session.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "characters/core/trace.h"
#include "net/direct_link.h"
#include "replay/replay_store.h"

namespace {

constexpr auto SILENCE_LIMIT = std::chrono::seconds(3);
// From the start for --join; for a room's guest, from the meeting's connection.
constexpr auto CONNECT_LIMIT = std::chrono::seconds(5);

std::string versionText(const std::string& version, int protocol)
{
    return "version " + version + " (protocol " + std::to_string(protocol) + ")";
}

// The select screen with no doors, as both sides find it after a bout.
Match selectScreen(int choiceOne, int choiceTwo)
{
    Match m;
    m.titleShown = false;
    m.doorPhaseFlag = false;
    m.playerOneChoice = choiceOne;
    m.playerTwoChoice = choiceTwo;
    return m;
}

}  // namespace

NetSession::NetSession(const NetConfig& cfg) : config(cfg)
{
    config.delay = std::clamp(config.delay, 0, MAX_INPUT_DELAY);
    started = lastHeard = rateSince = Clock::now();
    if (config.online) {
        config.online->gameVersion = config.gameVersion;
        config.host = config.online->role == MeetingConfig::Role::OPEN;
        auto meeting = std::make_unique<Meeting>(*config.online);
        online = meeting.get();
        transport = std::move(meeting);
    } else if (config.host) {
        transport = std::make_unique<DirectLink>(DirectLink::host(config.port));
    } else {
        transport = std::make_unique<DirectLink>(DirectLink::join(config.address, config.port));
    }
    lobby = selectScreen(JACK, DARTH);
    // A transport that failed to start says why at once.
    service();
}

NetSession::~NetSession()
{
    if (currentPhase != Phase::ENDED) {
        send(Leave{Leave::QUIT, 0}, true);
        transport->close();
    }
}

const Match& NetSession::match() const
{
    if (currentPhase == Phase::BOUT && rollback)
        return rollback->current();
    return lobby;
}

void NetSession::end(const std::string& why)
{
    if (currentPhase == Phase::ENDED)
        return;
    const bool midBout = currentPhase == Phase::BOUT;
    currentPhase = Phase::ENDED;
    note = why;
    std::fprintf(stderr, "zandrel: %s\n", why.c_str());
    if (midBout)
        keepReplay("network-unfinished");
    transport->close();
}

void NetSession::send(const Message& m, bool reliable)
{
    transport->send(encode(m), reliable);
}

void NetSession::service()
{
    std::vector<Transport::Event> events;
    transport->service(events);
    for (Transport::Event& event : events) {
        switch (event.kind) {
        case Transport::Event::Kind::CONNECTED:
            connectedAt = lastHeard = Clock::now();
            if (!helloSent) {
                send(Hello{PROTOCOL_VERSION, config.gameVersion}, true);
                helloSent = true;
            }
            break;
        case Transport::Event::Kind::RECEIVED:
            if (currentPhase != Phase::ENDED) {
                lastHeard = Clock::now();
                if (std::optional<Message> m = reader.read(event.packet.data(), event.packet.size()))
                    handle(*m);
            }
            break;
        case Transport::Event::Kind::CLOSED: end(event.reason); break;
        }
    }
    const Clock::time_point now = Clock::now();
    // Any datagram counts, the transport's own pings too.
    if (connectedAt)
        lastHeard = std::max(lastHeard, now - std::chrono::milliseconds(transport->quietMs()));
    if (currentPhase != Phase::ENDED) {
        if (helloSent && now - lastHeard > SILENCE_LIMIT)
            end("The other player has been silent for 3 seconds.");
        else if (!config.host && !helloHeard && !online && now - started > CONNECT_LIMIT)
            end("Cannot reach " + config.address + ":" + std::to_string(config.port) + ".");
        else if (!config.host && !helloHeard && online && connectedAt && now - *connectedAt > CONNECT_LIMIT)
            end("The other player does not answer.");
    }
    transport->flush();
}

void NetSession::waitUntil(Clock::time_point until)
{
    while (currentPhase != Phase::ENDED) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
        if (left.count() <= 0)
            break;
        transport->waitForData(std::uint32_t(left.count()));
        service();
    }
    std::this_thread::sleep_until(until);
}

void NetSession::heard(const Hello& m)
{
    if (m.protocol != PROTOCOL_VERSION || m.gameVersion != config.gameVersion) {
        send(Leave{Leave::VERSION, 0}, true);
        end("The other player has " + versionText(m.gameVersion, m.protocol) + ", this is " +
            versionText(config.gameVersion, PROTOCOL_VERSION) + ": both need the same.");
        return;
    }
    helloHeard = true;
    if (currentPhase == Phase::CONNECTING) {
        currentPhase = Phase::SELECT;
        send(Choice{std::uint8_t(config.host ? lobby.playerOneChoice : lobby.playerTwoChoice), false}, true);
    }
}

void NetSession::handle(const Message& m)
{
    if (const Hello* hello = std::get_if<Hello>(&m)) {
        heard(*hello);
        return;
    }
    if (const Leave* leave = std::get_if<Leave>(&m)) {
        if (leave->reason == Leave::DESYNC && rollback) {
            remoteReady = false;
            if (currentPhase == Phase::BOUT)
                desynchronised(leave->tick);
        } else if (leave->reason == Leave::VERSION) {
            end("The other player has another version of the game: both need the same.");
        } else {
            end("The other player left.");
        }
        return;
    }
    if (!helloHeard)
        return;
    if (const Choice* choice = std::get_if<Choice>(&m)) {
        // The other side may be choosing again while this one sees its bout out.
        (config.host ? lobby.playerTwoChoice : lobby.playerOneChoice) = choice->choice;
        remoteReady = choice->ready;
    } else if (const Start* start = std::get_if<Start>(&m)) {
        if (!config.host && currentPhase == Phase::SELECT)
            pendingStart.push_back(*start);
    } else if (const Inputs* in = std::get_if<Inputs>(&m)) {
        if (currentPhase != Phase::BOUT || !rollback || in->bout != boutId)
            return;
        rollback->receive(in->firstTick, in->bits);
        acked = std::max(acked, std::min(in->ack, rollback->localKnown()));
        remotePresent = std::max(remotePresent, in->present);
        timeSync.heard(in->advantage);
    } else if (const Hash* hash = std::get_if<Hash>(&m)) {
        if (rollback && hash->bout == boutId)
            rollback->remoteHash(hash->tick, hash->hash);
    } else if (const BoutOver* over = std::get_if<BoutOver>(&m)) {
        if (rollback && over->bout == boutId) {
            // What the other side says next is about the next bout.
            remoteReady = false;
            remoteOver = true;
            remoteOverTick = over->tick;
            remoteOverHash = over->hash;
        }
    }
}

void NetSession::frame(
    PlayerInput keys, const std::vector<MenuPoint>& releases, const MenuPresses& pads, std::vector<SoundEvent>& sounds)
{
    if (currentPhase == Phase::SELECT)
        selectFrame(releases, pads, sounds);
    else if (currentPhase == Phase::BOUT)
        boutFrame(keys, sounds);
    service();
}

void NetSession::selectFrame(
    const std::vector<MenuPoint>& releases, const MenuPresses& pads, std::vector<SoundEvent>& sounds)
{
    const Region& own = config.host ? PLAYER_ONE_ROW : PLAYER_TWO_ROW;
    int& ownChoice = config.host ? lobby.playerOneChoice : lobby.playerTwoChoice;
    const int before = ownChoice;
    const bool wasReady = localReady;
    TickInput input;
    for (const MenuPoint& p : releases) {
        if (own.contains(p) && !localReady)
            input.releases.push_back(p);
        else if (START_LABEL.contains(p))
            localReady = true;
    }
    TickEvents events;
    // A pad switches this side's fighter whichever row it points at.
    for (int i = 0; !localReady && i < pads.switches + (pads.confirm ? 1 : 0); ++i)
        menuSwitchFighter(lobby, config.host ? 0 : 1, events);
    localReady = localReady || pads.start;
    step(lobby, input, events);
    sounds.insert(sounds.end(), events.sounds.begin(), events.sounds.end());
    if (ownChoice != before || localReady != wasReady)
        send(Choice{std::uint8_t(ownChoice), localReady}, true);

    if (config.host && localReady && remoteReady) {
        Start s{std::uint16_t(boutId + 1), std::uint8_t(lobby.playerOneChoice), std::uint8_t(lobby.playerTwoChoice)};
        send(s, true);
        beginBout(s, &sounds);
    } else if (!config.host && localReady && !pendingStart.empty()) {
        beginBout(pendingStart.back(), &sounds);
    }
}

void NetSession::beginBout(const Start& s, std::vector<SoundEvent>* sounds)
{
    pendingStart.clear();
    boutId = s.bout;
    ++bouts;
    TickEvents opening;
    {
        // Only for its sounds: the bout's own start below prints its lines.
        TraceSilence quiet;
        networkBoutStart(s.choiceOne, s.choiceTwo, &opening);
    }
    if (sounds)
        sounds->insert(sounds->end(), opening.sounds.begin(), opening.sounds.end());
    lobby.playerOneChoice = s.choiceOne;
    lobby.playerTwoChoice = s.choiceTwo;
    rollback = std::make_unique<Rollback>(player(), config.delay, s.choiceOne, s.choiceTwo, config.tamper);
    boutStarted = std::time(nullptr);
    localReady = remoteReady = false;
    acked = 0;
    remotePresent = 0;
    timeSync = TimeSync{};
    overSent = remoteOver = false;
    rollbacksThen = 0;
    rateSince = Clock::now();
    currentPhase = Phase::BOUT;
    feeding = online && player() == 1;
    fed = 0;
    if (feeding)
        online->sendFeed(feed.start(boutId, s.choiceOne, s.choiceTwo));
}

void NetSession::feedConfirmed()
{
    for (; feeding && fed < rollback->confirmed(); ++fed)
        if (std::optional<FeedTicks> ticks = feed.add(recordOf(rollback->confirmedInput(fed))))
            online->sendFeed(*ticks);
}

void NetSession::endFeed(std::uint64_t finalHash)
{
    feedConfirmed();
    if (!feeding)
        return;
    if (std::optional<FeedTicks> ticks = feed.flush())
        online->sendFeed(*ticks);
    online->sendFeed(feed.end(finalHash));
    feeding = false;
}

void NetSession::backToSelect()
{
    lobby = selectScreen(lobby.playerOneChoice, lobby.playerTwoChoice);
    localReady = false;
    currentPhase = Phase::SELECT;
    send(Choice{std::uint8_t(config.host ? lobby.playerOneChoice : lobby.playerTwoChoice), false}, true);
}

void NetSession::sendInputs()
{
    const std::uint32_t known = rollback->localKnown();
    const std::uint32_t first =
        std::max(acked, known > std::uint32_t(MAX_INPUTS_PER_PACKET) ? known - MAX_INPUTS_PER_PACKET : 0u);
    if (first >= known)
        return;
    Inputs in;
    in.sequence = ++sequence;
    in.bout = boutId;
    in.present = rollback->present();
    in.advantage = timeSync.advantage();
    in.ack = rollback->remoteKnown();
    in.firstTick = first;
    in.bits.assign(rollback->localHistory().begin() + first, rollback->localHistory().end());
    send(in, false);
}

void NetSession::boutFrame(PlayerInput keys, std::vector<SoundEvent>& sounds)
{
    Rollback& r = *rollback;
    r.settle(sounds);
    const bool wait = timeSync.frame(r.present(), remotePresent, roundTripMs());
    if (r.canAdvance() && !wait)
        r.advance(keys, sounds);

    for (const std::string& line : r.takeConfirmedTrace()) {
        trace("%s\n", line.c_str());
        if (config.keepTrace)
            traceKept.push_back(line);
    }
    for (auto [tick, hash] : r.takeCheckpoints())
        send(Hash{boutId, tick, hash}, true);
    feedConfirmed();

    const Clock::time_point now = Clock::now();
    if (now - rateSince >= std::chrono::seconds(1)) {
        const double seconds = std::chrono::duration<double>(now - rateSince).count();
        rollbackRate = (r.stats().rollbacks - rollbacksThen) / seconds;
        rollbacksThen = r.stats().rollbacks;
        rateSince = now;
    }

    if (std::optional<std::uint32_t> tick = r.desyncTick()) {
        send(Leave{Leave::DESYNC, *tick}, true);
        desynchronised(*tick);
        return;
    }
    if (r.overTick() && !overSent) {
        send(BoutOver{boutId, *r.overTick(), r.overHash()}, true);
        overSent = true;
    }
    if (r.overTick() && remoteOver) {
        if (remoteOverTick != *r.overTick() || remoteOverHash != r.overHash()) {
            const std::uint32_t tick = std::min(remoteOverTick, *r.overTick());
            send(Leave{Leave::DESYNC, tick}, true);
            desynchronised(tick);
            return;
        }
        note.clear();
        endFeed(r.overHash());
        keepReplay("network");
        backToSelect();
        return;
    }
    // Until the other side has seen the bout out too, it may still need our inputs.
    sendInputs();
}

void NetSession::desynchronised(std::uint32_t tick)
{
    note = "desync at tick " + std::to_string(tick);
    std::fprintf(stderr, "zandrel: %s\n", note.c_str());
    // The watchers see the bout to where both sides agreed.
    endFeed(rollback->confirmedHash());
    keepReplay("desync-at-" + std::to_string(tick));
    backToSelect();
}

void NetSession::keepReplay(const std::string& tag)
{
    replaySaved.clear();
    if (!rollback || rollback->confirmed() == 0)
        return;
    const Replay replay = rollback->replay();
    const std::filesystem::path folder =
        config.replayFolder.empty() ? replayFolder() : std::filesystem::path(config.replayFolder);
    const std::string name = replayFileName(replay, boutStarted, tag + "-player" + std::to_string(player()));
    std::string error;
    replaySaved = saveReplay(replay, folder, name, error).string();
    if (replaySaved.empty())
        std::fprintf(stderr, "zandrel: replay not saved: %s\n", error.c_str());
    else if (tag != "network")
        std::fprintf(stderr, "zandrel: the bout's replay is in %s\n", replaySaved.c_str());
}
