// Two network players, each a process of its own (net_peer), through a relay
// on 127.0.0.1; each bout's replay is then verified by the game itself.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "replay/replay_file.h"
#include "tests/net/relay.h"
#include "tests/support/die_with_parent.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

bool startsWith(const std::string& line, const char* prefix)
{
    return line.rfind(prefix, 0) == 0;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string fileText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// One net_peer process, its output kept in files.
struct Peer {
    Peer(const fs::path& folder, const std::string& name, std::vector<std::string> args)
        : out(folder / (name + ".out")),
          err(folder / (name + ".err"))
    {
        args.insert(args.begin(), NET_PEER);
        args.insert(args.end(), {"--replays", (folder / "replays").string()});
        const pid_t parent = getpid();
        pid = fork();
        if (pid == 0) {
            dieWithParent(parent);
            const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(o, 1);
            dup2(e, 2);
            std::vector<char*> argv;
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
    }
    ~Peer()
    {
        if (running()) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    bool running()
    {
        if (pid <= 0 || exited)
            return false;
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            exited = true;
            code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        return !exited;
    }
    // The port a hosting peer printed first.
    std::uint16_t port()
    {
        const auto limit = Clock::now() + std::chrono::seconds(10);
        while (Clock::now() < limit && running()) {
            const std::string text = fileText(out);
            if (startsWith(text, "port ") && text.find('\n') != std::string::npos)
                return std::uint16_t(std::stoi(text.substr(5)));
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return 0;
    }
    // What the game would print: the trace and each bout's ending.
    std::vector<std::string> printed() const
    {
        std::vector<std::string> kept;
        for (const std::string& line : linesOf(fileText(out)))
            if (!startsWith(line, "port ") && !startsWith(line, "replay: "))
                kept.push_back(line);
        return kept;
    }
    std::string replay() const
    {
        for (const std::string& line : linesOf(fileText(out)))
            if (startsWith(line, "replay: "))
                return line.substr(8);
        return {};
    }
    std::string errors() const { return fileText(err); }

    fs::path out, err;
    pid_t pid = -1;
    bool exited = false;
    int code = -1;
};

// The relay between a hosting and a joining peer, pumped until both exit.
struct Game {
    Game(const std::string& name, Relay::Faults faults, std::vector<std::string> hostArgs,
        std::vector<std::string> guestArgs)
        : folder(fs::temp_directory_path() / ("zandrel-" + name + "-" + std::to_string(getpid())))
    {
        fs::remove_all(folder);
        fs::create_directories(folder);
        hostArgs.insert(hostArgs.begin(), {"--host", "0"});
        host = std::make_unique<Peer>(folder, "host", hostArgs);
        const std::uint16_t port = host->port();
        relay = std::make_unique<Relay>(port, faults, 9);
        guestArgs.insert(guestArgs.begin(), {"--join", std::to_string(relay->port())});
        guest = std::make_unique<Peer>(folder, "guest", guestArgs);
    }
    ~Game() { fs::remove_all(folder); }
    bool run(double seconds)
    {
        const auto limit = Clock::now() + std::chrono::duration<double>(seconds);
        while (Clock::now() < limit && (host->running() || guest->running())) {
            relay->pump();
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return !host->running() && !guest->running();
    }
    std::string why() const { return "host: " + host->errors() + "\nguest: " + guest->errors(); }

    fs::path folder;
    std::unique_ptr<Peer> host;
    std::unique_ptr<Relay> relay;
    std::unique_ptr<Peer> guest;
};

// The game's own check of a replay: its exit code and what it printed.
int verify(const std::string& replay, std::vector<std::string>& printed)
{
    const std::string command = std::string(ZANDREL_BINARY) + " --replay '" + replay + "' --verify 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        text.append(buffer, n);
    const int status = pclose(pipe);
    printed = linesOf(text);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// What a peer said of its bout on stderr.
struct BoutStats {
    long rollbacks = -1;
    int deepest = -1;
    unsigned ticks = 0;
    int roundTripMs = -1;
};
BoutStats statsOf(const Peer& peer)
{
    BoutStats s;
    for (const std::string& line : linesOf(peer.errors()))
        std::sscanf(line.c_str(), "rollbacks %ld, deepest %d, ticks %u, round trip %d ms", &s.rollbacks, &s.deepest,
            &s.ticks, &s.roundTripMs);
    return s;
}

void expectOneAgreedBout(Game& game)
{
    ASSERT_TRUE(game.run(150)) << game.why();
    EXPECT_EQ(game.host->code, 0) << game.why();
    EXPECT_EQ(game.guest->code, 0) << game.why();
    const std::vector<std::string> seen = game.host->printed();
    ASSERT_GE(seen.size(), 3u);
    EXPECT_TRUE(startsWith(seen[seen.size() - 2], "outcome: ")) << seen[seen.size() - 2];
    EXPECT_EQ(seen, game.guest->printed());

    // Each side's replay, checked by the game on this one machine, prints
    // the same trace and outcome, and ends on the same state.
    const std::string hash = seen.back().substr(std::string("final state: hash ").size());
    for (const Peer* peer : {game.host.get(), game.guest.get()}) {
        std::vector<std::string> verified;
        ASSERT_FALSE(peer->replay().empty()) << game.why();
        EXPECT_EQ(verify(peer->replay(), verified), 0);
        ASSERT_EQ(verified.size(), seen.size());
        EXPECT_TRUE(std::equal(seen.begin(), seen.end() - 1, verified.begin()));
        EXPECT_EQ(verified.back(), "final state: matches the recording (hash " + hash + ")");
    }
    for (const Peer* peer : {game.host.get(), game.guest.get()}) {
        const BoutStats stats = statsOf(*peer);
        EXPECT_GE(stats.deepest, 0) << peer->errors();
        EXPECT_LE(stats.deepest, 8) << peer->errors();
    }
}

std::vector<TickRecord> ticksOf(const std::string& path)
{
    const std::string bytes = fileText(path);
    Replay replay;
    std::string error;
    if (!decodeReplay(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), replay, error))
        return {};
    std::vector<TickRecord> ticks;
    for (const InputRun& run : replay.runs)
        ticks.insert(ticks.end(), run.ticks, run.input);
    return ticks;
}

}  // namespace

TEST(TwoProcesses, ABoutOverAPerfectLinkEndsTheSameOnBothAndInItsReplays)
{
    Game game("perfect", {0, 0, 0}, {"--seed", "101", "--delay", "0"}, {"--seed", "202", "--delay", "0"});
    expectOneAgreedBout(game);
}

TEST(TwoProcesses, ABoutAtAHundredMillisecondsWithJitterAndLossEndsTheSameWithRollbacks)
{
    // 40 + up to 20 ms each way: 100 ms round trip with 20 ms of jitter, and 5% lost.
    Game game("lossy", {40, 20, 0.05}, {"--seed", "303"}, {"--seed", "404"});
    expectOneAgreedBout(game);
    const BoutStats host = statsOf(*game.host);
    const BoutStats guest = statsOf(*game.guest);
    EXPECT_GT(host.rollbacks + guest.rollbacks, 0);
    EXPECT_GE(host.roundTripMs, 60);
    EXPECT_GT(game.relay->lost, 0);
}

TEST(TwoProcesses, ADesyncEndsTheBoutOnBothSidesAndEachSavesItsReplay)
{
    // The guest's game goes its own way at tick 100; the next hash check finds it.
    Game game("desync", {10, 5, 0}, {"--seed", "505"}, {"--seed", "606", "--tamper-at", "100"});
    ASSERT_TRUE(game.run(60)) << game.why();
    const std::vector<std::string> host = game.host->printed();
    const std::vector<std::string> guest = game.guest->printed();
    ASSERT_FALSE(host.empty());
    ASSERT_FALSE(guest.empty());
    EXPECT_EQ(host.back(), "ended: desync at tick 120") << game.why();
    EXPECT_EQ(guest.back(), host.back()) << game.why();

    // Both replays hold the same inputs; the host's plays back to its own
    // state and the guest's does not, which says which side went wrong.
    const std::vector<TickRecord> hostTicks = ticksOf(game.host->replay());
    const std::vector<TickRecord> guestTicks = ticksOf(game.guest->replay());
    ASSERT_GE(hostTicks.size(), 120u);
    ASSERT_GE(guestTicks.size(), 120u);
    const std::size_t common = std::min(hostTicks.size(), guestTicks.size());
    EXPECT_TRUE(std::equal(hostTicks.begin(), hostTicks.begin() + long(common), guestTicks.begin()));
    std::vector<std::string> printed;
    EXPECT_EQ(verify(game.host->replay(), printed), 0);
    EXPECT_EQ(verify(game.guest->replay(), printed), 1);
}
