#pragma once

#include "match/match.h"

// 1 while the bound key is held. Only the callbacks below write it.
extern int keyState[KEY_STATE_SIZE];

void onKeyPress(unsigned char key, int x, int y);
void onKeyRelease(unsigned char key, int x, int y);
void onSpecialPress(int key, int x, int y);
void onSpecialRelease(int key, int x, int y);
