#pragma once

// Where a click at window pixel (x, y) of a width by height window falls on
// the 800 by 600 layout of the menu, which the perspective view scales with
// the height and keeps centred.
struct MenuPoint {
    double x, y;
};
MenuPoint toMenuPoint(int x, int y, int width, int height);

// The part of a width by height window that the menu's picture fills, y from
// the top: a window at least 4:3 wide shows the picture as tall, centred,
// with more of its sides; a narrower one shows it whole across its width,
// in a band centred top to bottom, so every control stays on screen.
struct MenuViewport {
    int x, top, width, height;
};
MenuViewport menuViewport(int width, int height);
// A click at window pixel (x, y) on the menu's layout, through its viewport.
MenuPoint clickOnMenu(int x, int y, int width, int height);

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
// Beside each player's row: who plays that side.
// The label quads are 3.5 by 1.5 at x 3.0, y 4.5 and 2.0, z 10 under the menu
// view; each region is the largest rectangle inside its quad's picture.
constexpr Region PLAYER_ONE_CONTROL = {546, 258, 696, 319};
constexpr Region PLAYER_TWO_CONTROL = {532, 360, 669, 410};
