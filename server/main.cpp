// zandrel-server: where players meet by a room code, punch through their
// routers to each other or play through it, and others watch.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "server/server.h"

namespace {

volatile std::sig_atomic_t stopping = 0;

void onSignal(int)
{
    stopping = 1;
}

const char* const USAGE = "Usage: zandrel-server [OPTION]...\n"
                          "Meets players of zandrel by a room code, relays their bouts when their\n"
                          "routers keep them apart, and forwards each bout to its watchers.\n"
                          "\n"
                          "  --port PORT          listen on this UDP port (default 7446)\n"
                          "  --bind ADDRESS       listen on this IPv4 address only (default: all)\n"
                          "  --max-rooms N        rooms kept at once (default 2000)\n"
                          "  --max-clients N      connections at once, players and watchers (default 4000)\n"
                          "  --room-expiry SECONDS  how long a room with no player in it is kept (default 60)\n"
                          "  --address-clients N  connections at once from one IPv4 address (default 32)\n"
                          "  --address-packets N  datagrams a second taken from one address (default 500)\n"
                          "  --address-rooms N    rooms one address may open a minute, and twice as many\n"
                          "                       joins and watches it may try (default 10)\n"
                          "  --version            show the version and quit\n"
                          "  --help               show this and quit\n";

bool number(const char* text, long low, long high, long& out)
{
    char* end = nullptr;
    out = std::strtol(text, &end, 10);
    return *text && !*end && out >= low && out <= high;
}

int usageError(const std::string& what)
{
    std::fprintf(stderr, "zandrel-server: %s\n%s", what.c_str(), USAGE);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    ServerConfig config;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            std::fputs(USAGE, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("zandrel-server %s\n", ZANDREL_VERSION);
            return 0;
        }
        if (i + 1 >= argc)
            return usageError(arg.rfind("--", 0) == 0 ? arg + " wants a value" : "unknown argument " + arg);
        const char* value = argv[++i];
        long n = 0;
        if (arg == "--port" && number(value, 1, 65535, n))
            config.port = std::uint16_t(n);
        else if (arg == "--bind")
            config.bind = value;
        else if (arg == "--max-rooms" && number(value, 1, 1000000, n))
            config.rooms.maxRooms = int(n);
        else if (arg == "--max-clients" && number(value, 2, 4095, n))
            config.maxClients = int(n);
        else if (arg == "--room-expiry" && number(value, 1, 86400, n))
            config.rooms.expirySeconds = double(n);
        // Players behind one carrier's shared address may need more.
        else if (arg == "--address-clients" && number(value, 1, 4095, n))
            config.clientsPerAddress = int(n);
        else if (arg == "--address-packets" && number(value, 10, 10000000, n))
            config.packets = {double(n), 2.0 * double(n)};
        else if (arg == "--address-rooms" && number(value, 1, 1000000, n)) {
            config.rooms.opens = {double(n) / 60.0, double(n)};
            config.rooms.attempts = {2.0 * double(n) / 60.0, 2.0 * double(n)};
        } else {
            return usageError("bad option or value: " + arg + " " + value);
        }
    }

    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    MeetingServer server(config);
    if (!server.error().empty()) {
        std::fprintf(stderr, "zandrel-server: %s\n", server.error().c_str());
        return 1;
    }
    std::fprintf(stderr, "zandrel-server %s: listening on UDP port %u\n", ZANDREL_VERSION, unsigned(server.port()));
    while (!stopping)
        server.serve(100);
    server.stop();
    return 0;
}
