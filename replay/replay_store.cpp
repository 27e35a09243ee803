#include "replay/replay_store.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* fighterName(int choice)
{
    return choice == JACK ? "jack" : "darth";
}

bool writeFile(const fs::path& path, const std::vector<std::uint8_t>& bytes, std::string& error)
{
    std::FILE* file = std::fopen(path.c_str(), "wbx");
    if (!file) {
        error = path.string() + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
    const int writeErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        error = path.string() + ": " + std::strerror(written ? errno : writeErrno);
        std::remove(path.c_str());
        return false;
    }
    return true;
}

// Reads a name from left to right; each step takes what it expects or fails.
// (A regular expression here made g++ 12 warn inside <regex> when optimised.)
struct NameReader {
    std::string_view rest;

    bool take(std::string_view text)
    {
        if (rest.substr(0, text.size()) != text)
            return false;
        rest.remove_prefix(text.size());
        return true;
    }
    // Exactly `count` digits, or with count 0 one or more; `first` is the lowest first digit.
    bool digits(int count, char first = '0')
    {
        std::size_t n = 0;
        while (n < rest.size() && rest[n] >= '0' && rest[n] <= '9')
            ++n;
        if (n == 0 || rest[0] < first || (count && n != std::size_t(count)))
            return false;
        rest.remove_prefix(n);
        return true;
    }
    bool fighter() { return take("darth") || take("jack"); }
};

}  // namespace

bool isGameReplayName(const std::string& name)
{
    // replayFileName's stamp and fighters, a network tag, a number for a taken name.
    NameReader r{name};
    if (!(r.digits(4) && r.take("-") && r.digits(2) && r.take("-") && r.digits(2) && r.take("_") && r.digits(2) &&
          r.take("-") && r.digits(2) && r.take("-") && r.digits(2) && r.take("_") && r.fighter() && r.take("-vs-") &&
          r.fighter()))
        return false;
    if (r.take("_")) {
        const bool tag = r.take("network-unfinished") || r.take("network") || (r.take("desync-at-") && r.digits(0));
        if (!tag || !(r.take("-player1") || r.take("-player2")))
            return false;
    }
    if (r.take("-")) {
        // A taken name's number runs from 2 to 99.
        const bool one = r.digits(1, '2');
        if (!one && !r.digits(2, '1'))
            return false;
    }
    return r.rest == ".zrp";
}

fs::path replayFolder()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/')
        return fs::path(data) / "zandrel" / "replays";
    const char* home = std::getenv("HOME");
    return fs::path(home && home[0] ? home : ".") / ".local" / "share" / "zandrel" / "replays";
}

std::string replayFileName(const Replay& replay, std::time_t start, const std::string& tag)
{
    std::tm local{};
    localtime_r(&start, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", &local);
    return std::string(stamp) + "_" + fighterName(replay.start.playerOneChoice) + "-vs-" +
        fighterName(replay.start.playerTwoChoice) + (tag.empty() ? "" : "_" + tag) + ".zrp";
}

fs::path saveReplay(const Replay& replay, const fs::path& folder, std::string& error)
{
    return saveReplay(replay, folder, replayFileName(replay, std::time_t(replay.start.startSecond)), error);
}

fs::path saveReplay(const Replay& replay, const fs::path& folder, const std::string& name, std::string& error)
{
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        error = folder.string() + ": " + ec.message();
        return {};
    }
    const std::string stem = name.substr(0, name.size() - 4);
    fs::path path = folder / name;
    // Two bouts started in one second keep both.
    for (int n = 2; fs::exists(path, ec) && n < 100; ++n)
        path = folder / (stem + "-" + std::to_string(n) + ".zrp");
    if (!writeFile(path, encodeReplay(replay), error))
        return {};
    pruneReplays(folder, KEPT_REPLAYS);
    return path;
}

void pruneReplays(const fs::path& folder, int keep)
{
    std::error_code ec;
    std::vector<fs::path> replays;
    // Only the files the game saved itself: one the player renamed, linked or
    // put there is theirs to keep.
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (isGameReplayName(it->path().filename().string()) && it->symlink_status(ec).type() == fs::file_type::regular)
            replays.push_back(it->path());
    if (int(replays.size()) <= keep)
        return;
    // Names start with the date and time, so they sort oldest first.
    std::sort(replays.begin(), replays.end());
    for (std::size_t i = 0; i + keep < replays.size(); ++i)
        fs::remove(replays[i], ec);
}
