// What the meeting server costs when it relays: the real zandrel-server, 200
// rooms, both players of each sending 60 input-sized packets a second
// through it. Reports the server's share of a core and its memory (target:
// under half a core, under 64 MB).
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "net/meeting.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int ROOMS = 200;
constexpr int PACKETS_A_SECOND = 60;
// An input packet as the session sends it: a few ticks of both players' keys.
constexpr std::size_t INPUT_PACKET = 40;
constexpr auto WARM_UP = 2s;
constexpr auto MEASURED = 10s;

std::uint16_t freePort()
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t n = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
    close(fd);
    return ntohs(a.sin_port);
}

// The server's CPU seconds so far (user and system), from /proc.
double cpuSeconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), {});
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string skip;
    for (int i = 0; i < 11; ++i)
        fields >> skip;
    double user = 0, system = 0;
    fields >> user >> system;
    return (user + system) / double(sysconf(_SC_CLK_TCK));
}

// A field of /proc/PID/status in MB ("VmRSS", "VmHWM").
double memoryMb(pid_t pid, const std::string& field)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(field + ":", 0) == 0)
            return std::stod(line.substr(field.size() + 1)) / 1024.0;
    return 0;
}

struct Player {
    std::unique_ptr<Meeting> meeting;
    bool connected = false;
    long received = 0;
};

void BM_ServerRelays200Rooms(benchmark::State& state)
{
    const std::uint16_t port = freePort();
    const pid_t server = fork();
    if (server == 0) {
        const std::string p = std::to_string(port);
        execl(ZANDREL_SERVER, ZANDREL_SERVER, "--bind", "127.0.0.1", "--port", p.c_str(), "--address-clients", "1000",
            "--address-packets", "1000000", "--address-rooms", "100000", static_cast<char*>(nullptr));
        _exit(127);
    }
    std::this_thread::sleep_for(300ms);

    MeetingConfig config;
    config.serverPort = port;
    config.gameVersion = "bench";
    config.relayOnly = true;
    std::vector<Player> players(2 * ROOMS);
    std::vector<Transport::Event> events;
    auto serviceAll = [&] {
        for (Player& p : players) {
            if (!p.meeting)
                continue;
            events.clear();
            p.meeting->service(events);
            for (const Transport::Event& e : events) {
                p.connected = p.connected || e.kind == Transport::Event::Kind::CONNECTED;
                p.received += e.kind == Transport::Event::Kind::RECEIVED;
                if (e.kind == Transport::Event::Kind::CLOSED)
                    state.SkipWithError(("a player was sent away: " + e.reason).c_str());
            }
        }
    };
    for (int room = 0; room < ROOMS; ++room) {
        config.role = MeetingConfig::Role::OPEN;
        players[std::size_t(2 * room)].meeting = std::make_unique<Meeting>(config);
    }
    const Clock::time_point meetBy = Clock::now() + 30s;
    for (int room = 0; room < ROOMS && Clock::now() < meetBy;) {
        serviceAll();
        const std::string& code = players[std::size_t(2 * room)].meeting->code();
        if (!code.empty()) {
            config.role = MeetingConfig::Role::JOIN;
            config.code = code;
            players[std::size_t(2 * room + 1)].meeting = std::make_unique<Meeting>(config);
            ++room;
        }
        std::this_thread::sleep_for(1ms);
    }
    while (Clock::now() < meetBy &&
        !std::all_of(players.begin(), players.end(), [](const Player& p) { return p.connected; }))
        serviceAll();
    if (!std::all_of(players.begin(), players.end(), [](const Player& p) { return p.connected; }))
        state.SkipWithError("the players did not all meet");

    const std::vector<std::uint8_t> input(INPUT_PACKET, 0x41);
    double cpuBefore = 0;
    long receivedBefore = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        Clock::time_point measureFrom{};
        for (long frame = 0;; ++frame) {
            const Clock::time_point due = start + frame * std::chrono::microseconds(1000000 / PACKETS_A_SECOND);
            std::this_thread::sleep_until(due);
            for (Player& p : players)
                p.meeting->send(input, false);
            serviceAll();
            if (measureFrom == Clock::time_point{} && Clock::now() - start >= WARM_UP) {
                measureFrom = Clock::now();
                cpuBefore = cpuSeconds(server);
                receivedBefore = 0;
                for (const Player& p : players)
                    receivedBefore += p.received;
            }
            if (measureFrom != Clock::time_point{} && Clock::now() - measureFrom >= MEASURED)
                break;
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - measureFrom).count();
        long received = -receivedBefore;
        for (const Player& p : players)
            received += p.received;
        state.counters["server_cores"] = (cpuSeconds(server) - cpuBefore) / seconds;
        state.counters["server_rss_MB"] = memoryMb(server, "VmRSS");
        state.counters["server_peak_MB"] = memoryMb(server, "VmHWM");
        state.counters["relayed_per_s"] = double(received) / seconds;
        state.counters["delivered"] = double(received) / (seconds * 2 * ROOMS * PACKETS_A_SECOND);
    }
    players.clear();
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
}
BENCHMARK(BM_ServerRelays200Rooms)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
