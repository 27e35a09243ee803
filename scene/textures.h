#pragma once

#include <string>

// The texture table: one GL texture name per art file, 0 until loaded.
extern unsigned int marbleTexture;
extern unsigned int backgroundTexture;
extern unsigned int ground2Texture;
extern unsigned int jackfaceTexture;
extern unsigned int darthfaceTexture;
extern unsigned int jackTexture;
extern unsigned int darthmaulTexture;
extern unsigned int digitTextures[10];
extern unsigned int playerTexture;
extern unsigned int selectTexture;
extern unsigned int startTexture;
extern unsigned int titleTexture;
extern unsigned int doorTexture;
// Who plays a side, by PlayerControl: HUMAN, CPU EASY, CPU NORMAL, CPU HARD.
extern unsigned int controlTextures[4];

// Loads every art file of the table from graphics/ under dataPrefix ("" for
// the working directory, else a folder ending in '/').
void loadTextureTable(const std::string& dataPrefix = "");
// The dataPrefix the table was loaded from; the fighters load their own
// textures from it at each bout start.
const std::string& textureTableFolder();
// 1 when a texture was created and its name stored in *slot; 0 leaves *slot alone.
int loadTexture(const char* fileName, unsigned int* slot);
