#include "shell/net_play.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "scene/overlay_text.h"

namespace {

constexpr auto MESSAGE_SHOWN = std::chrono::seconds(6);
// The bout's line sits small in the lower right corner, over the floor, away
// from the fighters' heads and the HUD (a watched replay's line takes the left).
constexpr int BOUT_LINE_MARGIN = 8;

// A large line in a width by height window, centred, its baseline y from the top.
void drawText(const std::string& text, int width, int height, int y, float r, float g, float b)
{
    drawOverlayText({text, width / 2, y, OverlayText::MIDDLE, true, r, g, b}, width, height);
}

}  // namespace

std::optional<NetConfig> netConfigOf(const Options& options)
{
    if (!options.host && options.join.empty())
        return std::nullopt;
    NetConfig config;
    config.host = options.host;
    config.address = options.join;
    if (options.port != 0)
        config.port = std::uint16_t(options.port);
    config.delay = options.delay;
    return config;
}

void NetPlay::start(const NetConfig& config)
{
    session = std::make_unique<NetSession>(config);
    if (config.host)
        std::printf("Waiting for a player on port %u\n", unsigned(session->localPort()));
}

bool NetPlay::frame(const TickInput& input, TickEvents& events)
{
    session->frame(eitherKeySet(input.keyState.data()), input.releases, input.padPresses, events.sounds);
    if (!session->message().empty() && session->message() != lastMessage) {
        lastMessage = session->message();
        messageUntil = Clock::now() + MESSAGE_SHOWN;
    }
    if (session->phase() != NetSession::Phase::ENDED)
        return false;
    session.reset();
    events.stop(SoundId::BACKGROUND);
    return true;
}

void NetPlay::drawLabels() const
{
    const bool messageShown = !lastMessage.empty() && Clock::now() < messageUntil;
    if (!session && !messageShown)
        return;
    const int width = glutGet(GLUT_WINDOW_WIDTH);
    const int height = glutGet(GLUT_WINDOW_HEIGHT);
    if (session) {
        switch (session->phase()) {
        case NetSession::Phase::CONNECTING:
            drawText(
                session->player() == 1 ? "waiting for a player" : "connecting", width, height, height - 40, 1, 1, 1);
            break;
        case NetSession::Phase::SELECT:
            if (session->waiting())
                drawText("waiting", width, height, height * 5 / 6, 1, 1, 0.3f);
            break;
        case NetSession::Phase::BOUT: {
            char line[64];
            std::snprintf(
                line, sizeof line, "%d ms  %.1f rollbacks/s", session->roundTripMs(), session->rollbacksPerSecond());
            drawOverlayText(
                {line, width - BOUT_LINE_MARGIN, height - BOUT_LINE_MARGIN, OverlayText::RIGHT}, width, height);
            break;
        }
        default: break;
        }
    }
    if (messageShown)
        drawText(lastMessage, width, height, height - 70, 1, 0.4f, 0.4f);
}
