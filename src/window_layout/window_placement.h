#pragma once

#include <span>

#include "settings/settings.h"

// A screen's usable area in desktop coordinates.
struct ScreenArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Smallest outer size the window is given; below it no control has room.
inline constexpr int kMinWindowWidth = 200;
inline constexpr int kMinWindowHeight = 150;

// Makes a saved window rectangle usable: absurd sizes are bounded (none or a
// negative size takes the default, too large shrinks to the screen), and a
// rectangle whose caption lies off every screen is centred on the primary one.
// `screens` may be empty (nothing known): then only the sizes are bounded.
WindowRect placeOnScreen(WindowRect saved, std::span<const ScreenArea> screens,
                         const ScreenArea& primary);

// Windows keeps a window's normal rectangle in workspace coordinates: from the
// top-left corner of the work area of its monitor (`work`) rather than of the
// monitor itself (`monitor`). They differ when the taskbar is at the top or left.
WindowRect workspaceToScreen(WindowRect r, const ScreenArea& work, const ScreenArea& monitor);
WindowRect screenToWorkspace(WindowRect r, const ScreenArea& work, const ScreenArea& monitor);
