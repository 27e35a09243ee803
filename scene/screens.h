#pragma once

// Menu layers, drawn under the fixed menu view.
void drawTitle();
void drawDoors();
void drawSelectScreen();
