#include "shell/net_play.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

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

std::optional<MeetingConfig> meetingConfigOf(const Options& options)
{
    if (options.online.empty())
        return std::nullopt;
    MeetingConfig config;
    config.server = options.online;
    if (options.onlinePort != 0)
        config.serverPort = std::uint16_t(options.onlinePort);
    config.role = options.room.empty() ? MeetingConfig::Role::OPEN : MeetingConfig::Role::JOIN;
    config.code = options.room;
    config.gameVersion = gameVersion();
    return config;
}

}  // namespace

std::optional<NetConfig> netConfigOf(const Options& options)
{
    if (!options.host && options.join.empty() && (options.online.empty() || !options.watch.empty()))
        return std::nullopt;
    NetConfig config;
    config.host = options.host;
    config.address = options.join;
    if (options.port != 0)
        config.port = std::uint16_t(options.port);
    config.delay = options.delay;
    config.online = meetingConfigOf(options);
    return config;
}

std::optional<MeetingConfig> watchConfigOf(const Options& options)
{
    std::optional<MeetingConfig> config = meetingConfigOf(options);
    if (!config || options.watch.empty())
        return std::nullopt;
    config->role = MeetingConfig::Role::WATCH;
    config->code = options.watch;
    return config;
}

void NetPlay::start(const NetConfig& config)
{
    session = std::make_unique<NetSession>(config);
    if (config.host && !config.online)
        std::printf("Waiting for a player on port %u\n", unsigned(session->localPort()));
}

void NetPlay::watch(const MeetingConfig& config)
{
    watched = std::make_unique<WatchSession>(config);
}

void NetPlay::show(const std::string& message)
{
    if (message.empty() || message == lastMessage)
        return;
    lastMessage = message;
    messageUntil = Clock::now() + MESSAGE_SHOWN;
}

void NetPlay::sayProgress()
{
    const Meeting* meeting = session->meeting();
    if (!meeting)
        return;
    if (!roomSaid && session->player() == 1 && !meeting->code().empty()) {
        roomSaid = true;
        std::printf("room: %s\n", meeting->code().c_str());
    }
    if (!pathSaid && session->path() != PathKind::NONE) {
        pathSaid = true;
        std::printf("path: %s\n", pathName(session->path()));
    }
}

bool NetPlay::frame(const TickInput& input, TickEvents& events)
{
    session->frame(eitherKeySet(input.keyState.data()), input.releases, input.padPresses, events.sounds);
    sayProgress();
    show(session->message());
    if (session->phase() != NetSession::Phase::ENDED)
        return false;
    session.reset();
    events.stop(SoundId::BACKGROUND);
    return true;
}

int NetPlay::watchFrame(TickEvents& events)
{
    const int due = watched->frame();
    if (!watched->ended())
        return due;
    std::fprintf(stderr, "zandrel: %s\n", watched->message().c_str());
    show(watched->message());
    watched.reset();
    events.stop(SoundId::BACKGROUND);
    return 0;
}

void NetPlay::waitUntil(Clock::time_point until)
{
    if (session)
        session->waitUntil(until);
    else
        std::this_thread::sleep_until(until);
}

std::string NetPlay::connectingText() const
{
    const Meeting* meeting = session->meeting();
    if (!meeting)
        return session->player() == 1 ? "waiting for a player" : "connecting";
    switch (meeting->currentStage()) {
    case Meeting::Stage::CONTACTING: return "connecting to the server";
    case Meeting::Stage::WAITING: return session->player() == 1 ? "waiting for a player" : "joining the room";
    case Meeting::Stage::PUNCHING: return "reaching the other player";
    default: return "connecting";
    }
}

void NetPlay::drawLabels() const
{
    const bool messageShown = !lastMessage.empty() && Clock::now() < messageUntil;
    if (!session && !watched && !messageShown)
        return;
    const int width = glutGet(GLUT_WINDOW_WIDTH);
    const int height = glutGet(GLUT_WINDOW_HEIGHT);
    if (session) {
        switch (session->phase()) {
        case NetSession::Phase::CONNECTING: {
            drawText(connectingText(), width, height, height - 40, 1, 1, 1);
            // The opener's code, to give the other player, until the guest arrives.
            const Meeting* meeting = session->meeting();
            if (meeting && session->player() == 1 && !meeting->code().empty())
                drawText("room code: " + meeting->code(), width, height, height - 70, 1, 1, 0.3f);
            break;
        }
        case NetSession::Phase::SELECT:
            if (session->waiting())
                drawText("waiting", width, height, height * 5 / 6, 1, 1, 0.3f);
            break;
        case NetSession::Phase::BOUT: {
            char line[64];
            std::snprintf(line, sizeof line, "%d ms %s  %.1f rollbacks/s", session->roundTripMs(),
                pathName(session->path()), session->rollbacksPerSecond());
            drawOverlayText(
                {line, width - BOUT_LINE_MARGIN, height - BOUT_LINE_MARGIN, OverlayText::RIGHT}, width, height);
            break;
        }
        default: break;
        }
    }
    if (watched) {
        const std::string room = "room " + watched->meeting().code();
        if (watched->meeting().currentStage() == Meeting::Stage::CONTACTING)
            drawText("connecting to the server", width, height, height - 40, 1, 1, 1);
        else if (watched->betweenBouts())
            drawText("watching " + room + ": waiting for a bout", width, height, height - 40, 1, 1, 1);
        else
            drawOverlayText({"watching " + room, width - BOUT_LINE_MARGIN, height - BOUT_LINE_MARGIN, OverlayText::RIGHT},
                width, height);
    }
    if (messageShown)
        drawText(lastMessage, width, height, height - 70, 1, 0.4f, 0.4f);
}
