#pragma once

// The foot wedge both fighters stand on, in the ankle's frame.
void drawFoot();
