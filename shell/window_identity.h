#pragma once

#include <string>

// Names the current GLUT window to the desktop, which freeglut leaves
// unnamed: WM_CLASS "zandrel"/"Zandrel" (the desktop entry's StartupWMClass),
// _NET_WM_PID, and _NET_WM_ICON made from the art under dataPrefix.
void nameWindowToDesktop(const std::string& dataPrefix);

// F11: fullscreen on and off. Does nothing before the window exists.
void toggleFullscreen();
