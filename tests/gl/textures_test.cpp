#include "scene/textures.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "match/match.h"
#include "scene/match_drawing.h"
#include "tests/gl/scene_test_helpers.h"

namespace {

const char* const ODD_WIDTH_PICTURE = "tests/data/bmp/many_bmp3_24.bmp";  // 13 by 7
const char* const ODD_WIDTH_DUMP = "tests/data/bmp/many.rgb";             // top row first

std::vector<unsigned char> readFile(const char* path)
{
    std::vector<unsigned char> bytes;
    if (std::FILE* file = std::fopen(path, "rb")) {
        int c;
        while ((c = std::fgetc(file)) != EOF)
            bytes.push_back(static_cast<unsigned char>(c));
        std::fclose(file);
    }
    return bytes;
}

TEST(Textures, OddWidthPictureUploadsAtItsSizeWithoutSkew)
{
    // GL's own default, which the load must leave as it found it.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    unsigned int name = 0;
    ASSERT_EQ(loadTexture(ODD_WIDTH_PICTURE, &name), 1);
    ASSERT_NE(name, 0u);
    EXPECT_TRUE(glIsTexture(name));

    glBindTexture(GL_TEXTURE_2D, name);
    GLint width = 0, height = 0, magFilter = 0, minFilter = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(width, 13);
    EXPECT_EQ(height, 7);
    EXPECT_EQ(magFilter, GL_NEAREST);
    EXPECT_EQ(minFilter, GL_NEAREST);

    std::vector<unsigned char> texels(13 * 7 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);

    std::vector<unsigned char> topFirst = readFile(ODD_WIDTH_DUMP);
    ASSERT_EQ(topFirst.size(), texels.size());
    for (int row = 0; row < 7; ++row) {
        const unsigned char* expected = topFirst.data() + (6 - row) * 39;
        EXPECT_EQ(std::vector<unsigned char>(texels.begin() + row * 39, texels.begin() + row * 39 + 39),
            std::vector<unsigned char>(expected, expected + 39))
            << "row " << row;
    }

    GLint alignment = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    EXPECT_EQ(alignment, 4);
    glBindTexture(GL_TEXTURE_2D, 0);
}

TEST(Textures, EveryLoadCreatesANewName)
{
    unsigned int slot = 0;
    ASSERT_EQ(loadTexture(ODD_WIDTH_PICTURE, &slot), 1);
    unsigned int first = slot;
    ASSERT_EQ(loadTexture("tests\\data\\bmp\\many_bmp3_24.bmp", &slot), 1);
    EXPECT_NE(slot, first);
    EXPECT_TRUE(glIsTexture(first));
    EXPECT_TRUE(glIsTexture(slot));
}

TEST(Textures, UnreadableFileLeavesTheSlotAlone)
{
    unsigned int slot = 12345;
    testing::internal::CaptureStderr();
    EXPECT_EQ(loadTexture("tests/data/bmp/no-such-file.bmp", &slot), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(slot, 12345u);

    testing::internal::CaptureStderr();
    EXPECT_EQ(loadTexture("tests/data/bmp/make.sh", &slot), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: Unknown DIB file format.\n");
    EXPECT_EQ(slot, 12345u);
}

TEST(Textures, TableWithoutGraphicsFolderStaysEmptyAndQuiet)
{
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    // The slots as a fresh game has them.
    const TextureTable saved = std::exchange(textureTable, TextureTable{});

    char empty[] = "/tmp/zandrel-textures-XXXXXX";
    ASSERT_NE(mkdtemp(empty), nullptr);
    ASSERT_EQ(chdir(empty), 0);

    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    loadTextureTable();
    std::string out = testing::internal::GetCapturedStdout();
    std::string err = testing::internal::GetCapturedStderr();

    ASSERT_EQ(chdir(here), 0);
    rmdir(empty);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
    EXPECT_TRUE(textureTable == TextureTable{}) << "every slot stays 0";
    textureTable = saved;
}

}  // namespace

namespace {

TEST(Textures, ShippedArtFillsEveryTableSlotAndModelTexture)
{
    testing::internal::CaptureStderr();
    loadTextureTable();
    unsigned int models[5] = {};
    const char* modelFiles[5] = {"graphics\\maulface.bmp", "graphics\\maultop.bmp", "graphics\\maulbot.bmp",
        "graphics\\jacksuit.bmp", "graphics\\blade.bmp"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(loadTexture(modelFiles[i], &models[i]), 1) << modelFiles[i];
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    const TextureTable& t = textureTable;
    const unsigned int singles[] = {t.marbleTexture, t.backgroundTexture, t.ground2Texture, t.jackfaceTexture,
        t.darthfaceTexture, t.jackTexture, t.darthmaulTexture, t.playerTexture, t.selectTexture, t.startTexture,
        t.titleTexture, t.doorTexture};
    for (unsigned int slot : singles)
        EXPECT_TRUE(glIsTexture(slot));
    for (unsigned int slot : t.digitTextures)
        EXPECT_TRUE(glIsTexture(slot));
    textureTable = TextureTable{};
}

// The sky, the one large picture, is held only while a bout shows.
TEST(Textures, TheMenuLetsGoOfTheSkyAndTheNextBoutDrawsTheSameFrame)
{
    const TextureTable saved = textureTable;
    loadTextureTable();
    Match bout;
    TickEvents events;
    startBout(bout, 1000, events);
    TickInput input;
    input.calendarSecond = 1000;
    step(bout, input, events);
    boutProjection();
    litScene();
    const auto frame = [](const Match& m) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawMatch(m);
        std::vector<unsigned char> pixels(800 * 600 * 3);
        glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    };
    const std::vector<unsigned char> first = frame(bout);
    EXPECT_NE(textureTable.backgroundTexture, 0u);
    frame(Match{});
    EXPECT_EQ(textureTable.backgroundTexture, 0u);
    EXPECT_TRUE(frame(bout) == first);
    EXPECT_NE(textureTable.backgroundTexture, 0u);

    frame(Match{});
    glDisable(GL_LIGHTING);
    textureTable = saved;
}

TEST(Textures, FolderNamedLikeAnArtFileIsTakenAsMissing)
{
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    char root[] = "/tmp/zandrel-textures-XXXXXX";
    ASSERT_NE(mkdtemp(root), nullptr);
    const std::string graphics = std::string(root) + "/graphics";
    ASSERT_EQ(mkdir(graphics.c_str(), 0700), 0);
    ASSERT_EQ(mkdir((graphics + "/title.bmp").c_str(), 0700), 0);
    ASSERT_EQ(chdir(root), 0);

    const unsigned int saved = std::exchange(textureTable.titleTexture, 0u);
    testing::internal::CaptureStderr();
    loadTextureTable();
    std::string err = testing::internal::GetCapturedStderr();
    const unsigned int loaded = std::exchange(textureTable.titleTexture, saved);

    ASSERT_EQ(chdir(here), 0);
    rmdir((graphics + "/title.bmp").c_str());
    rmdir(graphics.c_str());
    rmdir(root);
    EXPECT_EQ(err, "");
    EXPECT_EQ(loaded, 0u);
}

}  // namespace
