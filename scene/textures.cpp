#include "scene/textures.h"

#include <GL/gl.h>

#include "scene/bmp.h"

unsigned int marbleTexture = 0;
unsigned int backgroundTexture = 0;
unsigned int ground2Texture = 0;
unsigned int jackfaceTexture = 0;
unsigned int darthfaceTexture = 0;
unsigned int jackTexture = 0;
unsigned int darthmaulTexture = 0;
unsigned int digitTextures[10] = {};
unsigned int playerTexture = 0;
unsigned int selectTexture = 0;
unsigned int startTexture = 0;
unsigned int titleTexture = 0;
unsigned int doorTexture = 0;

void loadTextureTable()
{
    loadTexture("graphics/marble.bmp", &marbleTexture);
    loadTexture("graphics/background.bmp", &backgroundTexture);
    loadTexture("graphics/ground2.bmp", &ground2Texture);
    loadTexture("graphics/jackface.bmp", &jackfaceTexture);
    loadTexture("graphics/darthface.bmp", &darthfaceTexture);
    loadTexture("graphics/jack.bmp", &jackTexture);
    loadTexture("graphics/darthmaul.bmp", &darthmaulTexture);
    const char* digitFiles[10] = {
        "graphics/0.bmp", "graphics/1.bmp", "graphics/2.bmp", "graphics/3.bmp", "graphics/4.bmp",
        "graphics/5.bmp", "graphics/6.bmp", "graphics/7.bmp", "graphics/8.bmp", "graphics/9.bmp",
    };
    for (int digit = 0; digit < 10; ++digit)
        loadTexture(digitFiles[digit], &digitTextures[digit]);
    loadTexture("graphics/player.bmp", &playerTexture);
    loadTexture("graphics/select.bmp", &selectTexture);
    loadTexture("graphics/start.bmp", &startTexture);
    loadTexture("graphics/title.bmp", &titleTexture);
    loadTexture("graphics/door.bmp", &doorTexture);
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
    glTexImage2D(GL_TEXTURE_2D, 0, 3, image->width, image->height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 image->pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);

    freeBitmapImage(image);
    return 1;
}
