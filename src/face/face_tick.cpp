#include "face/face_tick.h"

void faceTick(MeterFaceState& face, std::uint32_t linkActivity, bool secondTurned) {
    if (linkActivity == 0) face.linkSpriteVisible = false;
    if (!face.overRangeArrow) return;
    if (face.blinkCountdown != 0) {
        face.blinkCountdown = secondTurned ? face::kBlinkTicks : face.blinkCountdown - 1;
    } else {
        face.blinkCountdown = face::kBlinkTicks;
        face.arrowVisible = !face.arrowVisible;
    }
}
