#include <cstdio>
#include <cstdlib>

#include "players/controls.h"
#include "shell/data_folder.h"
#include "shell/game.h"
#include "shell/options.h"
#include "shell/quit_signals.h"
#include "shell/shell.h"
#include "zandrel_build.h"

int main(int argc, char** argv)
{
    ParsedOptions parsed = parseOptions(argc, argv);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "zandrel: %s\n%s", parsed.error.c_str(), usageText().c_str());
        return 2;
    }
    Options& options = parsed.options;
    if (options.help) {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("zandrel %s\n", ZANDREL_VERSION);
        return 0;
    }
    if (options.printControls) {
        const ControlsReading reading = readControlsFile(controlsFilePath());
        for (const std::string& message : reading.messages)
            std::fprintf(stderr, "%s\n", message.c_str());
        std::fputs(formatControls(reading.controls).c_str(), stdout);
        return 0;
    }

    if (options.verify && options.replayFile.empty()) {
        std::fprintf(stderr, "zandrel: --verify needs --replay FILE\n%s", usageText().c_str());
        return REPLAY_UNREADABLE;
    }
    if (options.verify)
        return verifyReplay(options.replayFile);

    DataFolder data = findDataFolder(std::getenv("ZANDREL_DATA"), installedDataFolder(), sourceDataFolder());
    for (const std::string& message : data.messages)
        std::printf("%s\n", message.c_str());
    if (!data.notFound.empty())
        std::fprintf(stderr, "zandrel: %s\n", data.notFound.c_str());

    catchQuitSignals();
    // The game: everything the window's callbacks act on, for as long as it runs.
    Shell shell;
    useShell(&shell);
    if (std::optional<NetConfig> net = netConfigOf(options))
        shell.net.start(*net);
    else if (std::optional<MeetingConfig> room = watchConfigOf(options))
        shell.net.watch(*room);

    int glutArgc = static_cast<int>(options.glutArguments.size());
    options.glutArguments.push_back(nullptr);
    if (!options.replayFile.empty())
        return watchReplay(options.replayFile, glutArgc, options.glutArguments.data(), options, data.prefix);
    return runGame(glutArgc, options.glutArguments.data(), options, data.prefix);
}
