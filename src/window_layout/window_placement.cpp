#include "window_layout/window_placement.h"

#include <algorithm>

namespace {

// Largest size taken on trust when no screen is known.
constexpr int kMaxUnknownScreenSide = 16384;
// The caption band that must show on some screen for the window to be reachable.
constexpr int kCaptionBand = 23;
constexpr int kMinVisibleCaption = 40;

long long overlap(long long a0, long long a1, long long b0, long long b1) {
    return std::max(0LL, std::min(a1, b1) - std::max(a0, b0));
}

bool captionVisible(const WindowRect& r, std::span<const ScreenArea> screens) {
    const long long band = std::min<long long>(kCaptionBand, r.height);
    const long long needWidth = std::min<long long>(kMinVisibleCaption, r.width);
    return std::any_of(screens.begin(), screens.end(), [&](const ScreenArea& s) {
        const long long w = overlap(r.x, static_cast<long long>(r.x) + r.width, s.x,
                                    static_cast<long long>(s.x) + s.width);
        const long long h = overlap(r.y, r.y + band, s.y, static_cast<long long>(s.y) + s.height);
        return w >= needWidth && h >= band;
    });
}

int boundSide(int side, int fallback, int minimum, int maximum) {
    if (side <= 0) side = fallback;
    return std::clamp(side, minimum, std::max(minimum, maximum));
}

}  // namespace

WindowRect placeOnScreen(WindowRect saved, std::span<const ScreenArea> screens,
                         const ScreenArea& primary) {
    const WindowRect defaults;
    const bool known = !screens.empty() && primary.width > 0 && primary.height > 0;
    int maxWidth = kMaxUnknownScreenSide;
    int maxHeight = kMaxUnknownScreenSide;
    if (known) {
        maxWidth = 0;
        maxHeight = 0;
        for (const ScreenArea& s : screens) {
            maxWidth = std::max(maxWidth, s.width);
            maxHeight = std::max(maxHeight, s.height);
        }
    }
    WindowRect r = saved;
    r.width = boundSide(saved.width, defaults.width, kMinWindowWidth, maxWidth);
    r.height = boundSide(saved.height, defaults.height, kMinWindowHeight, maxHeight);
    if (!known || captionVisible(r, screens)) return r;

    r.width = std::min(r.width, std::max(kMinWindowWidth, primary.width));
    r.height = std::min(r.height, std::max(kMinWindowHeight, primary.height));
    r.x = primary.x + std::max(0, (primary.width - r.width) / 2);
    r.y = primary.y + std::max(0, (primary.height - r.height) / 2);
    return r;
}

WindowRect workspaceToScreen(WindowRect r, const ScreenArea& work, const ScreenArea& monitor) {
    r.x += work.x - monitor.x;
    r.y += work.y - monitor.y;
    return r;
}

WindowRect screenToWorkspace(WindowRect r, const ScreenArea& work, const ScreenArea& monitor) {
    r.x -= work.x - monitor.x;
    r.y -= work.y - monitor.y;
    return r;
}
