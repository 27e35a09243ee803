#pragma once

#include <string>

// The texture table: one GL texture name per art file, 0 until loaded.
struct TextureTable {
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
    // Who plays a side, by PlayerControl: HUMAN, CPU EASY, CPU NORMAL, CPU HARD.
    unsigned int controlTextures[4] = {};

    bool operator==(const TextureTable&) const = default;
};

// The game's one table, which drawing reads.
extern TextureTable textureTable;

// Loads every art file of textureTable from graphics/ under dataPrefix ("" for
// the working directory, else a folder ending in '/').
void loadTextureTable(const std::string& dataPrefix = "");
// The sky is the one large picture, and only a bout shows it: the menu lets
// go of the texture the table loaded, and the next bout uploads it again.
void releaseSky();
void holdSky();
// The dataPrefix the table was loaded from; the fighters load their own
// textures from it at each bout start.
const std::string& textureTableFolder();
// 1 when a texture was created and its name stored in *slot; 0 leaves *slot alone.
int loadTexture(const char* fileName, unsigned int* slot);
