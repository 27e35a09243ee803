#include <cstdio>
#include <cstring>

#include "players/controls.h"
#include "shell/game.h"

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--print-controls") == 0) {
        const ControlsReading reading = readControlsFile(controlsFilePath());
        for (const std::string& message : reading.messages)
            std::fprintf(stderr, "%s\n", message.c_str());
        std::fputs(formatControls(reading.controls).c_str(), stdout);
        return 0;
    }
    return runGame(argc, argv);
}
