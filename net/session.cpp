#include "net/session.h"

#include <enet/enet.h>
#include <enet/time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "characters/core/trace.h"
#include "net/enet_start.h"
#include "replay/replay_store.h"

namespace {

constexpr auto SILENCE_LIMIT = std::chrono::seconds(3);
constexpr auto CONNECT_LIMIT = std::chrono::seconds(5);
constexpr int MAX_PEERS = 4;
constexpr int CHANNELS = 2;

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

struct NetSession::EnetState {
    ENetHost* host = nullptr;
    ENetPeer* peer = nullptr;  // the other player, once connected
    ~EnetState()
    {
        if (host)
            enet_host_destroy(host);
    }
};

NetSession::NetSession(const NetConfig& cfg) : config(cfg), enet(std::make_unique<EnetState>())
{
    config.delay = std::clamp(config.delay, 0, MAX_INPUT_DELAY);
    started = lastHeard = rateSince = Clock::now();
    if (!enetStarted()) {
        end("The network could not be started.");
        return;
    }
    if (config.host) {
        ENetAddress address{};
        address.host = ENET_HOST_ANY;
        address.port = config.port;
        enet->host = enet_host_create(&address, MAX_PEERS, CHANNELS, 0, 0);
        if (!enet->host) {
            end("Cannot wait for a player on port " + std::to_string(config.port) + ": is it in use?");
            return;
        }
    } else {
        enet->host = enet_host_create(nullptr, 1, CHANNELS, 0, 0);
        ENetAddress address{};
        address.port = config.port;
        if (!enet->host || enet_address_set_host(&address, config.address.c_str()) != 0) {
            end("Cannot find the host " + config.address + ".");
            return;
        }
        enet->peer = enet_host_connect(enet->host, &address, CHANNELS, 0);
        if (!enet->peer) {
            end("Cannot connect to " + config.address + ".");
            return;
        }
    }
    lobby = selectScreen(JACK, DARTH);
}

NetSession::~NetSession()
{
    if (enet->host && enet->peer && currentPhase != Phase::ENDED) {
        send(Leave{Leave::QUIT, 0}, true);
        enet_peer_disconnect_later(enet->peer, 0);
        enet_host_flush(enet->host);
    }
}

std::uint16_t NetSession::localPort() const
{
    ENetAddress address{};
    if (!enet->host || enet_socket_get_address(enet->host->socket, &address) != 0)
        return 0;
    return address.port;
}

int NetSession::roundTripMs() const
{
    return enet->peer ? int(enet->peer->roundTripTime) : 0;
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
    if (enet->peer && enet->host) {
        enet_peer_disconnect_later(enet->peer, 0);
        enet_host_flush(enet->host);
    }
}

void NetSession::send(const Message& m, bool reliable)
{
    if (!enet->peer || !enet->host)
        return;
    const std::vector<std::uint8_t> bytes = encode(m);
    ENetPacket* packet = enet_packet_create(bytes.data(), bytes.size(), reliable ? ENET_PACKET_FLAG_RELIABLE : 0);
    if (enet_peer_send(enet->peer, reliable ? SESSION_CHANNEL : INPUT_CHANNEL, packet) != 0)
        enet_packet_destroy(packet);
}

void NetSession::service()
{
    if (!enet->host)
        return;
    ENetEvent event;
    while (enet_host_service(enet->host, &event, 0) > 0) {
        switch (event.type) {
        case ENET_EVENT_TYPE_CONNECT:
            if (enet->peer && enet->peer != event.peer) {
                // One guest at a time.
                enet_peer_disconnect_now(event.peer, 0);
                break;
            }
            enet->peer = event.peer;
            // Silence is ours to judge (3 s); ENet pings often and gives up later.
            enet_peer_ping_interval(event.peer, 250);
            enet_peer_timeout(event.peer, 0, 10000, 10000);
            lastHeard = Clock::now();
            if (!helloSent) {
                send(Hello{PROTOCOL_VERSION, config.gameVersion}, true);
                helloSent = true;
            }
            break;
        case ENET_EVENT_TYPE_RECEIVE:
            if (event.peer == enet->peer && currentPhase != Phase::ENDED) {
                lastHeard = Clock::now();
                if (std::optional<Message> m = reader.read(event.packet->data, event.packet->dataLength))
                    handle(*m);
            }
            enet_packet_destroy(event.packet);
            break;
        case ENET_EVENT_TYPE_DISCONNECT:
            if (event.peer == enet->peer) {
                enet->peer = nullptr;
                if (currentPhase == Phase::CONNECTING && !config.host)
                    end("Cannot reach " + config.address + ":" + std::to_string(config.port) + ".");
                else
                    end("The other player left.");
            }
            break;
        default: break;
        }
    }
    const Clock::time_point now = Clock::now();
    // Any datagram counts, ENet's own pings too.
    if (enet->peer && enet->peer->lastReceiveTime != 0) {
        const enet_uint32 quiet = ENET_TIME_DIFFERENCE(enet_time_get(), enet->peer->lastReceiveTime);
        lastHeard = std::max(lastHeard, now - std::chrono::milliseconds(quiet));
    }
    if (currentPhase != Phase::ENDED) {
        if (enet->peer && helloSent && now - lastHeard > SILENCE_LIMIT)
            end("The other player has been silent for 3 seconds.");
        else if (!config.host && !helloHeard && now - started > CONNECT_LIMIT)
            end("Cannot reach " + config.address + ":" + std::to_string(config.port) + ".");
    }
    enet_host_flush(enet->host);
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
