// The pose pass walks each body on the CPU to find where hits are measured;
// the models walk the same body in GL. For every keyframe of every move, from
// both sides, both must land on the same body and weapon matrices.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "characters/core/trace.h"
#include "characters/darth.h"
#include "characters/darth_body.h"
#include "characters/jack.h"
#include "characters/jack_body.h"
#include "characters/pose_rig.h"
#include "match/side_view.h"
#include "scene/camera.h"
#include "scene/darth_model.h"
#include "scene/jack_model.h"

namespace {

// The rest pose and every keyframe target of a move set, named for the report.
std::vector<std::pair<std::string, Frame>> everyTarget(const MoveSet& moves)
{
    std::vector<std::pair<std::string, Frame>> targets{{"rest", moves.rest}};
    const std::pair<const char*, Keyframes> lists[] = {{"block", moves.block}, {"breathing", moves.breathing},
        {"circleStep", moves.circleStep}, {"walkStep", moves.walkStep}, {"hitReaction", moves.hitReaction},
        {"ringOut", moves.ringOut}, {"lose", moves.lose}, {"win", moves.win}};
    for (const auto& [name, keyframes] : lists)
        for (std::size_t i = 0; i < keyframes.size(); ++i)
            targets.push_back({std::string(name) + " " + std::to_string(i), keyframes[i].target});
    for (std::size_t row = 0; row < moves.attackRows.size(); ++row)
        for (std::size_t i = 0; i < moves.attackRows[row].keyframes.size(); ++i)
            targets.push_back({"attack row " + std::to_string(row) + " keyframe " + std::to_string(i),
                moves.attackRows[row].keyframes[i].target});
    return targets;
}

void expectSame(const float* cpu, const float* gl, const std::string& what)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(cpu[i], gl[i], 1e-4) << what << " element " << i;
}

// `Fighter` as player 1 and as player 2, off the axes from an opponent so
// that the heading and the camera are both oblique.
template <class Fighter, class Opponent, class Walk>
void checkEveryPose(const MoveSet& moves, const FighterModel& model, Walk walk)
{
    const auto targets = everyTarget(moves);
    ASSERT_GT(targets.size(), 20u);
    for (int player : {1, 2}) {
        TraceSilence quiet;
        Opponent opponent(player == 1 ? 4.0f : -3.0f, player == 1 ? 5.0f : -4.5f, 3 - player, nullptr);
        Fighter fighter(player == 1 ? 1.5f : 2.5f, player == 1 ? -3.0f : 6.0f, player, &opponent);
        ASSERT_FALSE(fighter.isAttacking());
        const Character& one = player == 1 ? static_cast<Character&>(fighter) : opponent;
        const Character& two = player == 1 ? static_cast<Character&>(opponent) : fighter;
        float lastX = -1.0f, lastZ = 0.0f;
        const SideView view = sideView(one.x, one.z, two.x, two.z, lastX, lastZ);

        for (const auto& [name, target] : targets) {
            const std::string what = "player " + std::to_string(player) + ", " + name;
            fighter.pose = target;
            fighter.updateFacing();
            walk(cameraMatrix(view), fighter);

            glMatrixMode(GL_MODELVIEW);
            glLoadIdentity();
            setCamera(view);
            DrawnPoints drawn;
            model.draw(fighter, &drawn);

            expectSame(fighter.bodyMatrix, drawn.body, what + ", body");
            for (int slot = 0; slot < 4; ++slot)
                expectSame(fighter.weaponPointMatrix[slot], drawn.weapon[slot],
                    what + ", weapon point " + std::to_string(slot));
        }
    }
    glLoadIdentity();
}

}  // namespace

TEST(PoseCheck, DarthsPosePassAgreesWithHisDrawingInEveryKeyframe)
{
    const DarthModel model(0, 0, 0);
    checkEveryPose<Darth, Jack>(darthMoves, model, [](const glm::mat4& camera, Darth& darth) {
        PoseRig<Darth> rig(camera, darth);
        walkDarth(rig, darth);
    });
}

TEST(PoseCheck, JacksPosePassAgreesWithHisDrawingInEveryKeyframe)
{
    const JackModel model(0, 0);
    checkEveryPose<Jack, Darth>(jackMoves, model, [](const glm::mat4& camera, Jack& jack) {
        PoseRig<Jack> rig(camera, jack);
        walkJack(rig, jack);
    });
}
