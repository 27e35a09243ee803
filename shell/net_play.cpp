#include "shell/net_play.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr auto MESSAGE_SHOWN = std::chrono::seconds(6);

// Text in a window of width by height pixels, x centred, y from the top.
void drawText(const std::string& text, int width, int height, int centreX, int y, float r, float g, float b)
{
    void* font = GLUT_BITMAP_HELVETICA_18;
    const auto* chars = reinterpret_cast<const unsigned char*>(text.c_str());
    const int textWidth = glutBitmapLength(font, chars);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor3f(r, g, b);
    glRasterPos2i(std::max(0, centreX - textWidth / 2), height - y);
    glutBitmapString(font, chars);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
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
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    if (session) {
        switch (session->phase()) {
        case NetSession::Phase::CONNECTING:
            drawText(session->player() == 1 ? "waiting for a player" : "connecting", width, height, width / 2,
                height - 40, 1, 1, 1);
            break;
        case NetSession::Phase::SELECT:
            if (session->waiting())
                drawText("waiting", width, height, width / 2, height * 5 / 6, 1, 1, 0.3f);
            break;
        case NetSession::Phase::BOUT: {
            char line[64];
            std::snprintf(
                line, sizeof line, "%d ms  %.1f rollbacks/s", session->roundTripMs(), session->rollbacksPerSecond());
            drawText(line, width, height, width / 2, height / 5, 0.8f, 0.8f, 0.8f);
            break;
        }
        default: break;
        }
    }
    if (messageShown)
        drawText(lastMessage, width, height, width / 2, height - 70, 1, 0.4f, 0.4f);
    glPopAttrib();
}
