// Plays headless bouts between computer players, a button masher and
// scripted habits, and prints who won and how. ./tournament [--bouts N]
// [--seed S] [--jobs N] [A B ...] plays each pair A B given, or the standard
// table without pairs; ./tournament --reach prints where each attack row
// lands on a standing opponent, the measure the computer's distances come from.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "characters/core/trace.h"
#include "characters/darth.h"
#include "characters/jack.h"
#include "match/match.h"
#include "players/tournament.h"

namespace {

std::string rowName(unsigned keys)
{
    std::string name;
    const std::pair<unsigned, const char*> parts[] = {{CONTROL_RIGHT, "right+"}, {CONTROL_LEFT, "left+"},
        {CONTROL_UP, "up+"}, {CONTROL_DOWN, "down+"}, {CONTROL_H, "H"}, {CONTROL_V, "V"}};
    for (const auto& [bit, text] : parts)
        if (keys & bit)
            name += text;
    return name;
}

// Attacker player 1 presses the row's keys for one tick (Jack's spin: during
// a vertical swing) at each distance; the hits it lands on a standing player 2.
void printReach()
{
    TraceSilence quiet;
    for (int kind : {JACK, DARTH}) {
        const MoveSet& moves = kind == DARTH ? darthMoves : jackMoves;
        std::printf("%s\n", kind == DARTH ? "Darth" : "Jack");
        for (const AttackRow& row : moves.attackRows) {
            const bool duringSwing = !row.gated;
            std::printf("  %-8s", rowName(row.keys).c_str());
            for (int tenths = 10; tenths <= 160; tenths += 5) {
                const float d = tenths / 10.0f;
                Match m;
                m.playerOneChoice = kind;
                m.playerTwoChoice = kind;
                TickEvents events;
                startBout(m, 1000, events);
                m.playerOne->z = -d / 2;
                m.playerTwo->z = d / 2;
                for (int t = 0; t < 150 && m.gameState == FIGHTING; ++t) {
                    TickInput in;
                    in.calendarSecond = 1000;
                    // Jack's spin takes effect during a vertical swing.
                    if (duringSwing && t == 0)
                        writeControls(1, CONTROL_V, in.keyState);
                    if (t == (duringSwing ? 3 : 0))
                        writeControls(1, row.keys, in.keyState);
                    TickEvents e;
                    step(m, in, e);
                }
                const int hits = int((100.0f - m.playerTwo->health) / HIT_DAMAGE + 0.5f);
                if (hits > 0)
                    std::printf(" %.1f:%d", d, hits);
            }
            std::printf("\n");
        }
    }
}

void printTally(int a, int b, const Tally& t)
{
    std::printf("| %s vs %s | %d | %d | %d | %d | %d/%d/%d | %d/%d/%d | %d/%d | %d |\n", contenderName(a),
        contenderName(b), t.bouts, t.wins[0], t.wins[1], t.draws, t.winsBy[0][0], t.winsBy[0][1], t.winsBy[0][2],
        t.winsBy[1][0], t.winsBy[1][1], t.winsBy[1][2], t.selfRingOuts[0], t.selfRingOuts[1], t.neverEnded);
    std::fflush(stdout);
}

void printRows(int a, int b, const Tally& t)
{
    for (int side = 0; side < 2; ++side) {
        const int who = side == 0 ? a : b;
        if (who >= MASHER)
            continue;
        for (int kind : {JACK, DARTH}) {
            const MoveSet& moves = kind == DARTH ? darthMoves : jackMoves;
            std::printf("  %s as %s used:", contenderName(who), kind == DARTH ? "Darth" : "Jack");
            for (std::size_t i = 0; i < moves.attackRows.size(); ++i)
                std::printf(" %s%s", rowName(moves.attackRows[i].keys).c_str(),
                    (t.rowsUsed[side][kind] >> i) & 1 ? "" : "(never)");
            std::printf("\n");
        }
    }
}

constexpr const char* USAGE = "usage: tournament [--bouts N] [--seed S] [--jobs N] [--rows] [A B ...] | --reach\n"
                              "players: easy, normal, hard, masher, walkin, blocker, circler, turtle\n";

// Bouts over so far, on one line of standard error, so the tables stay clean.
class Progress {
public:
    Progress(int a, int b, int bouts) : a(a), b(b), bouts(bouts), start(std::chrono::steady_clock::now()) {}
    void operator()(int over) const
    {
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::fprintf(
            stderr, "\r%s vs %s: %d of %d bouts, %.0f s", contenderName(a), contenderName(b), over, bouts, seconds);
        if (over == bouts)
            std::fprintf(stderr, "\n");
        std::fflush(stderr);
    }

private:
    int a, b, bouts;
    std::chrono::steady_clock::time_point start;
};

}  // namespace

int main(int argc, char** argv)
{
    int bouts = 100;
    std::uint32_t seed = 1;
    int jobs = int(std::thread::hardware_concurrency());
    bool rows = false;
    std::vector<int> names;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("%s", USAGE);
            return 0;
        } else if (std::strcmp(argv[i], "--reach") == 0) {
            printReach();
            return 0;
        } else if (std::strcmp(argv[i], "--bouts") == 0 && i + 1 < argc) {
            bouts = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc) {
            seed = std::uint32_t(std::strtoul(argv[++i], nullptr, 10));
        } else if (std::strcmp(argv[i], "--jobs") == 0 && i + 1 < argc) {
            jobs = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--rows") == 0) {
            rows = true;
        } else if (contenderNamed(argv[i]) >= 0) {
            names.push_back(contenderNamed(argv[i]));
        } else {
            std::fprintf(stderr, "tournament: unknown argument \"%s\"\n%s", argv[i], USAGE);
            return 2;
        }
    }
    if (bouts <= 0 || jobs <= 0 || names.size() % 2 != 0) {
        std::fprintf(stderr, "tournament: give a positive number of bouts and of jobs, and players in pairs\n");
        return 2;
    }
    if (names.empty()) {
        for (int level : {int(CPU_HARD), int(CPU_NORMAL), int(CPU_EASY)})
            for (int habit : {MASHER, WALK_IN, BLOCKER, CIRCLER, TURTLE})
                names.insert(names.end(), {level, habit});
        names.insert(names.end(), {CPU_HARD, CPU_NORMAL, CPU_NORMAL, CPU_EASY, CPU_HARD, CPU_EASY, CPU_HARD, CPU_HARD});
    }

    std::printf("| A vs B | bouts | A wins | B wins | draws by time | A wins by KO/time/ring-out "
                "| B wins by KO/time/ring-out | self ring-outs A/B | never ended |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    std::fflush(stdout);
    for (std::size_t i = 0; i < names.size(); i += 2) {
        const Tally t = playPairing(names[i], names[i + 1], bouts, seed, jobs, Progress(names[i], names[i + 1], bouts));
        printTally(names[i], names[i + 1], t);
        if (rows)
            printRows(names[i], names[i + 1], t);
    }
    return 0;
}
