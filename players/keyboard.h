#pragma once

#include <vector>

#include "players/controls.h"

// Key-table entry a character or a GLUT special key holds, or UNBOUND.
int characterEntry(const Controls& controls, unsigned char key);
int specialEntry(const Controls& controls, int key);

// Entries a character's release lets go: its own, and those of the characters
// the same key gives with or without Shift on common layouts (US, UK, German,
// French), since Shift may have come or gone while the key was held.
std::vector<int> releasedEntries(const Controls& controls, unsigned char key);
