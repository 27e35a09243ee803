// Replays: the file round trip, bad files, and bouts that play again exactly.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

#include "characters/core/trace.h"
#include "replay/player.h"
#include "replay/recorder.h"
#include "shell/replay_playback.h"
#include "shell/replay_recording.h"
#include "tests/support/random_bout.h"

namespace fs = std::filesystem;

namespace {

constexpr MenuPoint TITLE_CLICK = {400, 300};
constexpr MenuPoint PLAYER_ONE_CLICK = {375, 290};
constexpr MenuPoint START_CLICK = {400, 450};

// A live session as the shell runs it: menu ticks, a click on a row and
// START in one tick, a random bout, then the menu again, all recorded.
struct Session {
    Match match;
    ReplayRecorder recorder;
    std::vector<Replay> replays;
    std::vector<std::vector<std::string>> traces;
    std::vector<int> playerOneChoices;
    long second = 1'000'000;

    void tick(TickInput input)
    {
        TickEvents events;
        recorder.beforeTick(match);
        step(match, input, events);
        if (recorder.afterTick(match, input))
            replays.push_back(recorder.takeFinished());
    }
    void menuTicks(int n, std::vector<MenuPoint> releases = {})
    {
        for (int i = 0; i < n; ++i) {
            TickInput input;
            input.calendarSecond = second;
            input.releases = i == 0 ? releases : std::vector<MenuPoint>{};
            tick(input);
        }
    }
    // Until the menu is back, or `maxTicks`. The first tick clicks player
    // 1's row and START, or with padStart a pad chooses player 2's row and starts.
    void bout(std::uint32_t seed, int maxTicks = 10000, bool padStart = false)
    {
        TraceCapture capture;
        RandomPlayers players(seed);
        players.startSecond = second;
        TickInput first = players.next();
        first.releases = {PLAYER_ONE_CLICK, START_CLICK};
        if (padStart) {
            first.releases.clear();
            first.padPresses = {false, true, 1, 0};
        }
        tick(first);
        playerOneChoices.push_back(match.playerOneChoice);
        // Pad presses reach only the menu: a replay leaves them out.
        for (int i = 1; i < maxTicks && match.gameState != MENU; ++i) {
            TickInput input = players.next();
            if (i % 7 == 0)
                input.padPresses = {true, true, i % 2, 2};
            tick(input);
        }
        traces.push_back(capture.lines());
        second += 100;
    }
};

struct Playback {
    std::vector<std::string> trace;
    ReplayPlayer player;
};

Playback play(const Replay& replay)
{
    TraceCapture capture;
    ReplayPlayer player(replay);
    TickEvents events;
    while (player.step(events)) {}
    return {capture.lines(), player};
}

Replay sampleReplay(std::int64_t startSecond = 2'000'000'000)
{
    Replay r;
    r.gameVersion = "9.8.7";
    r.start.playerOneChoice = DARTH;
    r.start.playerTwoChoice = JACK;
    r.start.playerTwoControl = CPU_HARD;
    r.start.startSecond = startSecond;
    r.start.tick = 1234567;
    r.start.boutNumber = 3;
    r.start.secondsLeft = 7;
    r.start.doorOffset = 0.3f;
    r.start.selectBrightness = 0.62f;
    r.start.lastSideX = -0.5f;
    r.start.lastSideZ = 0.25f;
    r.start.selectedPlayer = 1;
    r.start.doorClosing = true;
    r.start.clockBrightening = true;
    TickRecord t{0, r.start.startSecond, false, false};
    r.append(t);
    t.keys = 1u << 4 | std::uint64_t(1) << 35;
    for (int i = 0; i < 40; ++i)
        r.append(t);
    t.calendarSecond -= 5;  // the calendar went back
    t.winSoundPlaying = true;
    for (int i = 0; i < 100000; ++i)
        r.append(t);
    t.keys = 0;
    t.ringoutSoundPlaying = true;
    r.append(t);
    r.finalHash = 0x0123456789abcdefull;
    return r;
}

// A body and header of one's choosing under a valid checksum: only the
// reader's own checks stand in the way.
std::vector<std::uint8_t> resealed(std::vector<std::uint8_t> bytes)
{
    const std::uint32_t crc = crc32(bytes.data(), bytes.size() - 4);
    for (int i = 0; i < 4; ++i)
        bytes[bytes.size() - 4 + i] = std::uint8_t(crc >> (8 * i));
    return bytes;
}

class TempFolder {
public:
    TempFolder() : path(fs::temp_directory_path() / ("zandrel-replay-test-" + std::to_string(getpid())))
    {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempFolder()
    {
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(path);
    }
    fs::path path;
};

TEST(ReplayFile, WritesAndReadsBackTheSame)
{
    const Replay original = sampleReplay();
    const std::vector<std::uint8_t> bytes = encodeReplay(original);
    Replay read;
    std::string error;
    ASSERT_TRUE(decodeReplay(bytes.data(), bytes.size(), read, error)) << error;
    EXPECT_EQ(read, original);
    EXPECT_EQ(read.tickCount, 100042u);
    EXPECT_EQ(encodeReplay(read), bytes);
}

TEST(ReplayFile, ASixtySecondBoutOfRestlessKeysFitsInSixteenKilobytes)
{
    Replay r;
    r.gameVersion = gameVersion();
    RandomPlayers players(3);
    // Keys change on nearly every tick: the worst a bout can be.
    for (int tick = 0; tick < 62 * 60; ++tick) {
        TickRecord t = recordOf(players.next());
        t.keys ^= std::uint64_t(1) << (tick % 14);
        r.append(t);
    }
    const std::size_t size = encodeReplay(r).size();
    EXPECT_LE(size, 16u * 1024) << size;
    RecordProperty("bytes", int(size));
}

TEST(ReplayFile, RefusesEveryTruncationEveryChangedByteAndOtherVersions)
{
    Session session;
    session.menuTicks(200, {TITLE_CLICK});
    session.bout(5);
    ASSERT_EQ(session.replays.size(), 1u);
    const std::vector<std::uint8_t> bytes = encodeReplay(session.replays[0]);
    Replay read;
    std::string error;
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        EXPECT_FALSE(decodeReplay(bytes.data(), n, read, error)) << n;
        EXPECT_TRUE(error.find("cut short") != std::string::npos || error.find("empty") != std::string::npos)
            << n << ": " << error;
        EXPECT_EQ(read, Replay{});
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::vector<std::uint8_t> changed = bytes;
        changed[i] ^= 0x10;
        EXPECT_FALSE(decodeReplay(changed.data(), changed.size(), read, error)) << "byte " << i;
    }
    std::vector<std::uint8_t> longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(decodeReplay(longer.data(), longer.size(), read, error));
    EXPECT_NE(error.find("bytes past its end"), std::string::npos) << error;

    std::vector<std::uint8_t> newer = bytes;
    newer[4] = 2;
    EXPECT_FALSE(decodeReplay(newer.data(), newer.size(), read, error));
    EXPECT_EQ(error, "replay format version 2; this game reads version 1");
    EXPECT_FALSE(decodeReplay(bytes.data() + 1, bytes.size() - 1, read, error));
    EXPECT_NE(error.find("not a Zandrel replay"), std::string::npos);
}

TEST(ReplayFile, RefusesHostileCountsEvenUnderAValidChecksum)
{
    Replay r;
    r.gameVersion = "1";
    r.start.startSecond = 100;
    r.append({0, 100, false, false});
    const std::vector<std::uint8_t> bytes = encodeReplay(r);
    const std::size_t header = 7 + 1 + 61;
    const std::size_t tickCountAt = header - 16;
    Replay read;
    std::string error;

    // Four billion ticks claimed, one present.
    std::vector<std::uint8_t> claims = bytes;
    claims[tickCountAt + 3] = 0xff;
    claims = resealed(claims);
    EXPECT_FALSE(decodeReplay(claims.data(), claims.size(), read, error));
    EXPECT_NE(error.find("tick count"), std::string::npos) << error;

    // A run of 2^60 ticks in a few bytes.
    std::vector<std::uint8_t> run(bytes.begin(), bytes.begin() + header);
    run[tickCountAt] = 100;
    const std::uint8_t body[] = {0xf0, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x10};
    run[header - 4] = sizeof body;
    run.insert(run.end(), std::begin(body), std::end(body));
    run.resize(run.size() + 4);
    run = resealed(run);
    EXPECT_FALSE(decodeReplay(run.data(), run.size(), read, error));
    EXPECT_NE(error.find("more ticks than the header says"), std::string::npos) << error;

    // A fighter that does not exist, a start before the calendar began.
    std::vector<std::uint8_t> fighter = bytes;
    fighter[8] = 7;
    fighter = resealed(fighter);
    EXPECT_FALSE(decodeReplay(fighter.data(), fighter.size(), read, error));
    EXPECT_NE(error.find("neither Jack nor Darth"), std::string::npos) << error;
    std::vector<std::uint8_t> start = bytes;
    start[12 + 7] = 0x80;
    start = resealed(start);
    EXPECT_FALSE(decodeReplay(start.data(), start.size(), read, error));
    EXPECT_NE(error.find("start second"), std::string::npos) << error;
}

// Each row one byte from a file the game writes, under a valid checksum: only
// the reader's own check stands in the way. The rows that pass show the
// files are otherwise sound.
TEST(ReplayFile, RefusesWhatTheGameNeverWrites)
{
    Replay r;
    r.gameVersion = "1";
    r.start.startSecond = 100;
    r.append({0, 100, false, false});
    const std::vector<std::uint8_t> bytes = encodeReplay(r);
    const std::size_t header = 7 + 1 + 61;
    const std::size_t startAt = 8;
    struct Row {
        std::size_t startByte;  // of the start block, or header for none
        std::uint8_t value;
        std::uint32_t ticks;
        std::vector<std::uint8_t> body;
        const char* error;  // nullptr: read
    };
    const std::vector<std::uint8_t> plain = {0x00};
    const Row rows[] = {
        {1, 1, 1, plain, nullptr},
        {1, 2, 1, plain, "neither Jack nor Darth"},
        {0, 2, 1, plain, "neither Jack nor Darth"},
        {3, 3, 1, plain, nullptr},
        {3, 4, 1, plain, "neither a person nor the computer"},
        {2, 4, 1, plain, "neither a person nor the computer"},
        // A run of 16 ticks: 15 in its first byte, the rest as a number.
        {header, 0, 16, {0xf0, 0x00}, nullptr},
        {header, 0, 16, {0xf0, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x02}, "too large"},
        {header, 0, 2, {0x00, 0x01, 0x01}, nullptr},
        {header, 0, 2, {0x00, 0x00}, "repeats the one before it"},
    };
    for (const Row& row : rows) {
        std::vector<std::uint8_t> file(bytes.begin(), bytes.begin() + header);
        if (row.startByte != header)
            file[startAt + row.startByte] = row.value;
        for (int i = 0; i < 4; ++i) {
            file[header - 16 + i] = std::uint8_t(row.ticks >> (8 * i));
            file[header - 4 + i] = std::uint8_t(row.body.size() >> (8 * i));
        }
        file.insert(file.end(), row.body.begin(), row.body.end());
        file.resize(file.size() + 4);
        file = resealed(file);
        Replay read;
        std::string error;
        const bool ok = decodeReplay(file.data(), file.size(), read, error);
        EXPECT_EQ(ok, row.error == nullptr) << error;
        EXPECT_TRUE(!row.error || error.find(row.error) != std::string::npos) << error;
    }
}

TEST(Replay, RecordedBoutsPlayAgainExactly)
{
    Session session;
    session.menuTicks(200, {TITLE_CLICK});
    session.bout(7);
    // The second bout starts where the first left the menu and the clock,
    // with the computer on one side (its keys are recorded like a person's).
    session.menuTicks(300);
    session.match.playerTwoControl = CPU_NORMAL;
    session.bout(8, 10000, true);
    session.menuTicks(200);
    session.bout(9, 500);
    ASSERT_EQ(session.replays.size(), 2u);
    ASSERT_TRUE(session.recorder.recording());
    session.replays.push_back(*session.recorder.takeUnfinished());
    // A bout sent back to the title between ticks (a key ends the demo) ends at its last tick.
    session.match = Match{};
    session.menuTicks(200, {TITLE_CLICK});
    session.bout(10, 300);
    session.match = Match{};
    ASSERT_TRUE(session.recorder.beforeTick(session.match));
    session.replays.push_back(session.recorder.takeFinished());

    std::vector<BoutOutcome> outcomes;
    for (std::size_t i = 0; i < session.replays.size(); ++i) {
        const std::vector<std::uint8_t> bytes = encodeReplay(session.replays[i]);
        Replay read;
        std::string error;
        ASSERT_TRUE(decodeReplay(bytes.data(), bytes.size(), read, error)) << error;
        const Playback again = play(read);
        EXPECT_TRUE(again.player.finished());
        EXPECT_TRUE(again.player.hashMatches()) << "bout " << i;
        EXPECT_EQ(again.trace, session.traces[i]) << "bout " << i;
        EXPECT_GT(again.trace.size(), 100u);
        // Each bout's first tick chose a row before START.
        const bool darth = session.playerOneChoices[i] == DARTH;
        EXPECT_EQ(read.start.playerOneChoice, session.playerOneChoices[i]);
        const std::string line = darth ? "initializing Darth as player 1" : "initializing Jack as player 1";
        EXPECT_NE(std::find(again.trace.begin(), again.trace.end(), line), again.trace.end()) << "bout " << i;
        outcomes.push_back(again.player.outcome());
    }
    EXPECT_NE(outcomes[0].ending, FIGHTING);
    EXPECT_EQ(describeOutcome(outcomes[2]), "none, the recording stops mid-bout");

    // Other keys make another bout.
    Replay changed = session.replays[0];
    for (std::size_t i = 0; i < changed.runs.size() / 3; ++i)
        changed.runs[i].input.keys ^= 1u;
    TraceSilence quiet;
    EXPECT_FALSE(play(changed).player.hashMatches());
}

TEST(Replay, OutcomesNameTheEndingAndTheWinner)
{
    EXPECT_EQ(describeOutcome({KNOCKOUT, 1, DARTH}), "knock-out, player 1 (Darth) wins");
    EXPECT_EQ(describeOutcome({TIME_UP, 2, JACK}), "time, player 2 (Jack) wins");
    EXPECT_EQ(describeOutcome({RING_OUT, 0, JACK}), "ring-out, a draw");
    TraceSilence quiet;
    Session session;
    session.menuTicks(200, {TITLE_CLICK});
    for (std::uint32_t seed = 20; seed < 23; ++seed) {
        session.bout(seed);
        session.menuTicks(200);
    }
    int decided = 0;
    for (const Replay& replay : session.replays) {
        const Playback again = play(replay);
        const Match& m = again.player.match();
        const BoutOutcome& outcome = again.player.outcome();
        const Character& winner = outcome.winner == 1 ? *m.playerOne : *m.playerTwo;
        const Character& loser = outcome.winner == 1 ? *m.playerTwo : *m.playerOne;
        if (outcome.winner == 0) {
            EXPECT_EQ(outcome.ending, TIME_UP);
            EXPECT_EQ(m.playerOne->health, m.playerTwo->health);
            continue;
        }
        ++decided;
        EXPECT_EQ(int(winner.kind()), outcome.winnerChoice);
        if (outcome.ending == RING_OUT)
            EXPECT_TRUE(winner.inArena() && !loser.inArena());
        else
            EXPECT_GT(winner.health, loser.health);
    }
    EXPECT_GT(decided, 0);
}

TEST(ReplayFolder, SavesKeepsTheNewestHundredAndSaysWhyItCannot)
{
    TempFolder temp;
    Replay r = sampleReplay(1'700'000'000);
    const std::string name = replayFileName(r, std::time_t(r.start.startSecond));
    EXPECT_TRUE(name.ends_with("_darth-vs-jack.zrp")) << name;
    EXPECT_EQ(name.size(), std::string("2023-11-14_22-13-20_darth-vs-jack.zrp").size());

    const fs::path folder = temp.path / "zandrel" / "replays";
    std::string error;
    const fs::path saved = saveReplay(r, folder, error);
    ASSERT_FALSE(saved.empty()) << error;
    Replay read;
    ASSERT_TRUE(readReplayFile(saved, read, error)) << error;
    EXPECT_EQ(read, r);
    // The same second again keeps both.
    EXPECT_NE(saveReplay(r, folder, error), saved);

    for (int i = 0; i < KEPT_REPLAYS + 3; ++i) {
        r.start.startSecond += 60;
        ASSERT_FALSE(saveReplay(r, folder, error).empty()) << error;
    }
    std::vector<fs::path> left;
    for (const auto& entry : fs::directory_iterator(folder))
        left.push_back(entry.path());
    EXPECT_EQ(left.size(), std::size_t(KEPT_REPLAYS));
    EXPECT_FALSE(fs::exists(saved)) << "the oldest is gone";
    EXPECT_TRUE(fs::exists(folder / replayFileName(r, std::time_t(r.start.startSecond)))) << "the newest stays";

    if (geteuid() != 0) {  // root writes anywhere
        fs::permissions(folder, fs::perms::owner_write, fs::perm_options::remove);
        r.start.startSecond += 60;
        EXPECT_TRUE(saveReplay(r, folder, error).empty());
        EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
    }
    EXPECT_TRUE(saveReplay(r, "/proc/zandrel", error).empty());
    EXPECT_NE(error.find("/proc/zandrel"), std::string::npos) << error;
}

TEST(ReplayFolder, PruningTakesOnlyTheFilesTheGameNamed)
{
    const std::pair<const char*, bool> names[] = {
        {"2026-12-08_22-41-07_darth-vs-jack.zrp", true},
        {"2026-12-08_22-41-07_jack-vs-jack-2.zrp", true},
        {"2026-12-08_22-41-07_darth-vs-darth-99.zrp", true},
        {"2026-12-08_22-41-07_darth-vs-jack_network-player1.zrp", true},
        {"2026-12-08_22-41-07_jack-vs-darth_network-unfinished-player2-3.zrp", true},
        {"2026-12-08_22-41-07_darth-vs-jack_desync-at-1290-player2.zrp", true},
        {"000-my-first-ko.zrp", false},
        {"2026-12-08_22-41-07_darth-vs-jack-mine.zrp", false},
        {"2026-12-08_22-41-07_darth-vs-jack.zrp.bak", false},
        {"2026-12-08_22-41-07_darth-vs-jack-1.zrp", false},
        {"2026-12-08_22-41-07_darth-vs-jack-100.zrp", false},
        {"2026-12-08_22-41-07_darth-vs-jack_network-player3.zrp", false},
        {"2026-12-08_22-41-07_darth-vs-jack_desync-at--player1.zrp", false},
        {"copy of 2026-12-08_22-41-07_darth-vs-jack.zrp", false},
    };
    for (auto [name, made] : names)
        EXPECT_EQ(isGameReplayName(name), made) << name;

    // The player's own files sort first, as the oldest would; a link named
    // like the game's points at one of them.
    TempFolder temp;
    const fs::path folder = temp.path / "replays";
    fs::create_directories(folder);
    const std::vector<std::string> kept = {
        "000-my-first-ko.zrp", "2000-01-01_00-00-00_darth-vs-jack-mine.zrp", "2000-01-01_00-00-00_darth-vs-jack.zrp"};
    std::ofstream(folder / kept[0]) << "mine";
    std::ofstream(folder / kept[1]) << "mine too";
    fs::create_symlink(kept[0], folder / kept[2]);
    Replay r = sampleReplay(1'700'000'000);
    std::string error;
    for (int i = 0; i < KEPT_REPLAYS + 2; ++i) {
        r.start.startSecond += 60;
        const std::string tag = i % 2 ? "network-player1" : "";
        ASSERT_FALSE(saveReplay(r, folder, replayFileName(r, std::time_t(r.start.startSecond), tag), error).empty());
    }
    long made = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        made += isGameReplayName(entry.path().filename().string()) && !entry.is_symlink();
    EXPECT_EQ(made, KEPT_REPLAYS);
    for (const std::string& name : kept)
        EXPECT_TRUE(fs::exists(fs::symlink_status(folder / name))) << name;
}

}  // namespace
