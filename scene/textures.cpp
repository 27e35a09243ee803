#include "scene/textures.h"

#include <GL/gl.h>
#include <malloc.h>

#include <string>

#include "scene/bmp.h"

TextureTable textureTable;

namespace {

std::string tableFolder;
// The sky as the table loaded it: its file, and the texture while it is held.
std::string skyFile;
unsigned int heldSky = 0;

}  // namespace

void loadTextureTable(const std::string& dataPrefix)
{
    tableFolder = dataPrefix;
    TextureTable& t = textureTable;
    auto load = [&](const char* fileName, unsigned int* slot) { loadTexture((dataPrefix + fileName).c_str(), slot); };
    load("graphics/marble.bmp", &t.marbleTexture);
    load("graphics/background.bmp", &t.backgroundTexture);
    heldSky = t.backgroundTexture;
    skyFile = heldSky ? dataPrefix + "graphics/background.bmp" : "";
    load("graphics/ground2.bmp", &t.ground2Texture);
    load("graphics/jackface.bmp", &t.jackfaceTexture);
    load("graphics/darthface.bmp", &t.darthfaceTexture);
    load("graphics/jack.bmp", &t.jackTexture);
    load("graphics/darthmaul.bmp", &t.darthmaulTexture);
    const char* digitFiles[10] = {
        "graphics/0.bmp",
        "graphics/1.bmp",
        "graphics/2.bmp",
        "graphics/3.bmp",
        "graphics/4.bmp",
        "graphics/5.bmp",
        "graphics/6.bmp",
        "graphics/7.bmp",
        "graphics/8.bmp",
        "graphics/9.bmp",
    };
    for (int digit = 0; digit < 10; ++digit)
        load(digitFiles[digit], &t.digitTextures[digit]);
    load("graphics/player.bmp", &t.playerTexture);
    load("graphics/select.bmp", &t.selectTexture);
    load("graphics/start.bmp", &t.startTexture);
    load("graphics/title.bmp", &t.titleTexture);
    load("graphics/door.bmp", &t.doorTexture);
    const char* controlFiles[4] = {
        "graphics/human.bmp",
        "graphics/cpueasy.bmp",
        "graphics/cpunormal.bmp",
        "graphics/cpuhard.bmp",
    };
    for (int control = 0; control < 4; ++control)
        load(controlFiles[control], &t.controlTextures[control]);
    // Decoded pictures were let go once uploaded; give their pages back.
    malloc_trim(0);
}

void releaseSky()
{
    if (heldSky == 0 || textureTable.backgroundTexture != heldSky)
        return;
    glDeleteTextures(1, &heldSky);
    heldSky = 0;
    textureTable.backgroundTexture = 0;
    malloc_trim(0);
}

void holdSky()
{
    if (skyFile.empty() || textureTable.backgroundTexture != 0)
        return;
    if (!loadTexture(skyFile.c_str(), &textureTable.backgroundTexture)) {
        // Said once; the bouts go on without it.
        skyFile.clear();
        return;
    }
    heldSky = textureTable.backgroundTexture;
    malloc_trim(0);
}

const std::string& textureTableFolder()
{
    return tableFolder;
}

int loadTexture(const char* fileName, unsigned int* slot)
{
    BitmapImage* image = loadBmp(fileName);
    if (image == nullptr)
        return 0;

    glGenTextures(1, slot);
    glBindTexture(GL_TEXTURE_2D, *slot);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);

    // The decoder's rows are tightly packed, whatever the width.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, image->width, image->height, 0, GL_RGB, GL_UNSIGNED_BYTE, image->pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);

    freeBitmapImage(image);
    return 1;
}
