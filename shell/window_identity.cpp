#include "shell/window_identity.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <vector>

#include "scene/bmp.h"
#include "shell/window_icon.h"

namespace {

// The sizes offered to the desktop; it picks and scales the nearest.
constexpr int ICON_SIZES[] = {48, 64, 128};

// _NET_WM_ICON: for each size its width, height, then ARGB pixels, each in
// a long, as Xlib wants for 32-bit properties.
std::vector<unsigned long> netWmIcon(const std::string& dataPrefix)
{
    std::vector<unsigned long> data;
    BitmapImage* face = loadBmp((dataPrefix + ICON_SOURCE).c_str());
    if (face == nullptr)
        return data;
    for (int size : ICON_SIZES) {
        std::vector<unsigned char> rgba = iconPixels(*face, size);
        if (rgba.empty())
            continue;
        data.push_back(static_cast<unsigned long>(size));
        data.push_back(static_cast<unsigned long>(size));
        for (std::size_t i = 0; i < rgba.size(); i += 4)
            data.push_back(static_cast<unsigned long>(rgba[i + 3]) << 24 | static_cast<unsigned long>(rgba[i]) << 16 |
                static_cast<unsigned long>(rgba[i + 1]) << 8 | rgba[i + 2]);
    }
    freeBitmapImage(face);
    return data;
}

}  // namespace

void nameWindowToDesktop(const std::string& dataPrefix)
{
    Display* display = glXGetCurrentDisplay();
    // freeglut makes its X window the GLX drawable itself.
    Window window = glXGetCurrentDrawable();
    if (display == nullptr || window == 0)
        return;

    char name[] = "zandrel";
    char className[] = "Zandrel";
    XClassHint classHint{name, className};
    XSetClassHint(display, window, &classHint);

    unsigned long pid = static_cast<unsigned long>(getpid());
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
        reinterpret_cast<unsigned char*>(&pid), 1);

    std::vector<unsigned long> icon = netWmIcon(dataPrefix);
    if (!icon.empty())
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), XA_CARDINAL, 32, PropModeReplace,
            reinterpret_cast<unsigned char*>(icon.data()), static_cast<int>(icon.size()));
    XFlush(display);
}

void toggleFullscreen()
{
    if (glutGet(GLUT_INIT_STATE) && glutGetWindow() != 0)
        glutFullScreenToggle();
}
