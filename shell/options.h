#pragma once

#include <string>
#include <vector>

// What the command line asked for. Our options all start with "--"; every
// word of one dash (GLUT's -display, -geometry, -iconic, ...) is kept, in
// order, for glutInit, with the word after it when it may be its value. Any
// other word is a mistake.
struct Options {
    bool help = false;
    bool version = false;
    bool fullscreen = false;
    bool printControls = false;
    // Two computers fight bout after bout until a key or a click.
    bool demo = false;
    int windowWidth = 0;  // 0: the game's own 800 by 600
    int windowHeight = 0;
    // GLUT's -geometry was given: its size and place stand.
    bool glutGeometry = false;
    // Network play: --host [PORT] or --join HOST[:PORT], and --delay N.
    bool host = false;
    std::string join;  // the host's name or address
    int port = 0;      // 0: the default port
    int delay = 2;
    // Through a meeting server: --online SERVER[:PORT] opens a room, with
    // --room CODE joins one, with --watch CODE watches one.
    std::string online;  // the server's name or address
    int onlinePort = 0;  // 0: the server's default port
    std::string room;    // as typed, normalised: six capitals
    std::string watch;
    // A replay to watch, or with verify to check headless.
    std::string replayFile;
    bool verify = false;
    // argv[0] and GLUT's words, for glutInit.
    std::vector<char*> glutArguments;
};

struct ParsedOptions {
    Options options;
    std::string error;  // empty when the command line was good
};

ParsedOptions parseOptions(int argc, char** argv);
// The one usage text, listing every option.
std::string usageText();
