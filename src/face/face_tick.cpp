#include "face/face_tick.h"

FaceTickRects faceTick(MeterFaceState& face, std::uint32_t linkActivity, int panelWidth,
                       int panelHeight) {
    FaceTickRects out{{}, {}, clockLineRect(panelWidth, panelHeight)};
    if (linkActivity == 0 && face.linkSpriteVisible) {
        face.linkSpriteVisible = false;
        out.linkSprite = face::kLinkSpriteRect;
    }
    if (face.overRangeArrow) {
        if (face.blinkCountdown != 0) {
            --face.blinkCountdown;
        } else {
            face.blinkCountdown = face::kBlinkTicks;
            face.arrowVisible = !face.arrowVisible;
            out.arrow = face::kArrowRect;
        }
    }
    return out;
}
