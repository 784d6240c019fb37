#include "face/face_tick.h"

void faceTick(MeterFaceState& face, std::uint32_t linkActivity) {
    if (linkActivity == 0) face.linkSpriteVisible = false;
    if (!face.overRangeArrow) return;
    if (face.blinkCountdown != 0) {
        --face.blinkCountdown;
    } else {
        face.blinkCountdown = face::kBlinkTicks;
        face.arrowVisible = !face.arrowVisible;
    }
}
