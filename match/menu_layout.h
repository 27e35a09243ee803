#pragma once

// Where a click at window pixel (x, y) of a width by height window falls on
// the 800 by 600 layout of the menu, which the perspective view scales with
// the height and keeps centred.
struct MenuPoint {
    double x, y;
};
MenuPoint toMenuPoint(int x, int y, int width, int height);

// A click region of the menu, in pixels of the 800 by 600 layout.
struct Region {
    int left, top, right, bottom;
    bool contains(MenuPoint p) const { return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom; }
};

constexpr int MENU_WIDTH = 800;
constexpr int MENU_HEIGHT = 600;
constexpr Region PLAYER_ONE_ROW = {240, 258, 510, 317};
constexpr Region PLAYER_TWO_ROW = {249, 361, 501, 407};
constexpr Region START_LABEL = {320, 430, 475, 470};
