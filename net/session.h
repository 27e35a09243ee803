#pragma once

// A network game between two machines: the handshake, the select screen
// (each side chooses its own fighter), then rollback bouts, over a transport:
// straight to the other machine (--host, --join) or met through a meeting
// server (--online), whose watchers the room's opener feeds the bouts.
#include <chrono>
#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "characters/core/events.h"
#include "match/match.h"
#include "net/meeting.h"
#include "net/protocol.h"
#include "net/rollback.h"
#include "net/time_sync.h"
#include "net/transport.h"
#include "net/watch_feed.h"
#include "replay/recorder.h"

struct NetConfig {
    // Player 1: the host, or the room's opener.
    bool host = true;
    // The host to join (the guest only), and the port.
    std::string address = "127.0.0.1";
    std::uint16_t port = DEFAULT_PORT;
    // Through a meeting server instead: the room to open (player 1) or join
    // (player 2); the session fills in the game version.
    std::optional<MeetingConfig> online;
    int delay = 2;
    std::string gameVersion = ::gameVersion();
    // Where the bouts' replays are saved; empty: the game's replay folder.
    std::string replayFolder;
    // Keeps the confirmed trace lines (as well as printing them).
    bool keepTrace = false;
    // Tests only: see Rollback::Tamper.
    Rollback::Tamper tamper;
};

class NetSession {
public:
    using Clock = std::chrono::steady_clock;
    enum class Phase { CONNECTING, SELECT, BOUT, ENDED };

    explicit NetSession(const NetConfig& config);
    ~NetSession();
    NetSession(const NetSession&) = delete;
    NetSession& operator=(const NetSession&) = delete;

    // Sends and receives whatever is due; never blocks.
    void service();
    // Between frames: answers what arrives as it arrives, until `until`.
    void waitUntil(Clock::time_point until);
    // One frame: the machine's keys (either set), its menu clicks, and the
    // sounds to play or stop.
    void frame(PlayerInput keys, const std::vector<MenuPoint>& releases, const MenuPresses& pads,
        std::vector<SoundEvent>& sounds);

    Phase phase() const { return currentPhase; }
    // Why the session ended, or why the last bout was cut short.
    const std::string& message() const { return note; }
    // The picture of the frame: the select screen or the bout.
    const Match& match() const;
    // This machine has clicked START and the other has not.
    bool waiting() const { return currentPhase == Phase::SELECT && localReady && !remoteReady; }
    int player() const { return config.host ? 1 : 2; }
    int roundTripMs() const { return transport->roundTripMs(); }
    PathKind path() const { return transport->path(); }
    // The meeting, when the session is online: its stage and the room's code.
    const Meeting* meeting() const { return online; }
    double rollbacksPerSecond() const { return rollbackRate; }
    // The port the session listens on (the host) or sends from.
    std::uint16_t localPort() const { return transport->localPort(); }
    const PacketReader::Counts& dropped() const { return reader.counts(); }
    // The bout under way or the last one, if any.
    const Rollback* bout() const { return rollback.get(); }
    int boutsPlayed() const { return bouts; }
    const std::vector<std::string>& confirmedTrace() const { return traceKept; }
    // The file the last bout's replay was saved to, if it was.
    const std::string& savedReplay() const { return replaySaved; }

private:
    void end(const std::string& why);
    void send(const Message& m, bool reliable);
    void handle(const Message& m);
    void heard(const Hello& m);
    void selectFrame(const std::vector<MenuPoint>& releases, const MenuPresses& pads, std::vector<SoundEvent>& sounds);
    void boutFrame(PlayerInput keys, std::vector<SoundEvent>& sounds);
    void beginBout(const Start& s, std::vector<SoundEvent>* sounds);
    void backToSelect();
    void sendInputs();
    void desynchronised(std::uint32_t tick);
    void keepReplay(const std::string& tag);
    void feedConfirmed();
    void endFeed(std::uint64_t finalHash);

    NetConfig config;
    std::unique_ptr<Transport> transport;
    // The transport when it is a meeting; null for --host and --join.
    Meeting* online = nullptr;
    Phase currentPhase = Phase::CONNECTING;
    std::string note;
    PacketReader reader;
    Clock::time_point started;
    Clock::time_point lastHeard;
    // When the transport said the other player is there.
    std::optional<Clock::time_point> connectedAt;
    bool helloSent = false;
    bool helloHeard = false;

    Match lobby;
    bool localReady = false;
    bool remoteReady = false;
    int remoteChoice = -1;
    std::vector<Start> pendingStart;

    std::unique_ptr<Rollback> rollback;
    std::uint16_t boutId = 0;
    int bouts = 0;
    std::uint32_t sequence = 0;
    std::uint32_t acked = 0;
    std::uint32_t remotePresent = 0;
    TimeSync timeSync;
    bool overSent = false;
    bool remoteOver = false;
    std::uint32_t remoteOverTick = 0;
    std::uint64_t remoteOverHash = 0;
    long rollbacksThen = 0;
    Clock::time_point rateSince;
    double rollbackRate = 0;
    std::vector<std::string> traceKept;
    std::time_t boutStarted = 0;
    std::string replaySaved;

    // The opener's feed of each bout to the room's watchers: ticks fed so far.
    FeedWriter feed;
    std::uint32_t fed = 0;
    bool feeding = false;
};
