#pragma once

void drawArena();
void drawSky();
