#pragma once

// Menu layers, drawn under the fixed menu view.
void drawTitle();
void drawDoors(float doorOffset);
// Player rows with their choices (0 Jack, else Darth); the selected row pulses.
// Beside each row, who plays that side (a PlayerControl), unless !controlLabels.
void drawSelectScreen(int playerOneChoice, int playerTwoChoice, int selectedPlayer, float brightness,
    int playerOneControl = 0, int playerTwoControl = 0, bool controlLabels = true);
// The picture of a PlayerControl.
unsigned int controlTextureOf(int control);

// Drawing pieces shared by the menu and the HUD.
void setMaterial(float r, float g, float b);
// A textured quad w by h with its lower-left corner at (x, y, z), facing +z.
void drawPictureQuad(unsigned int texture, float x, float y, float z, float w, float h);
// The face picture and the name label of a character choice (0 Jack, else Darth).
unsigned int faceTextureOf(int choice);
unsigned int nameTextureOf(int choice);
