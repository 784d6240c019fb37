#include "face/face_tick.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(FaceTick, ArrowBlinksEveryFourthTickWhileRaised) {
    MeterFaceState face;  // overRangeArrow starts raised
    std::vector<bool> phases;
    std::vector<bool> invalidated;
    for (int tick = 0; tick < 9; ++tick) {
        const FaceTickRects r = faceTick(face, 1, 350, 237);
        phases.push_back(face.arrowVisible);
        invalidated.push_back(r.arrow.has_value());
        if (r.arrow) {
            EXPECT_EQ(*r.arrow, (FaceRect{334, 188, 346, 212}));
        }
    }
    EXPECT_EQ(phases,
              (std::vector<bool>{true, true, true, true, false, false, false, false, true}));
    EXPECT_EQ(invalidated,
              (std::vector<bool>{true, false, false, false, true, false, false, false, true}));

    // Lowered: nothing blinks and the countdown keeps its value for the next period.
    faceTick(face, 1, 350, 237);
    face.overRangeArrow = false;
    const std::uint32_t kept = face.blinkCountdown;
    for (int tick = 0; tick < 5; ++tick) EXPECT_FALSE(faceTick(face, 1, 350, 237).arrow);
    EXPECT_EQ(face.blinkCountdown, kept);
}

TEST(FaceTick, LinkSpriteHiddenOnlyWhenTheLinkIsQuiet) {
    struct Case {
        std::uint32_t linkActivity;
        bool visibleBefore;
        bool visibleAfter;
        bool invalidated;
    };
    const std::vector<Case> cases = {{0, true, false, true},
                                     {0, false, false, false},
                                     {7, true, true, false},
                                     {7, false, false, false}};
    for (const Case& c : cases) {
        MeterFaceState face;
        face.overRangeArrow = false;
        face.linkSpriteVisible = c.visibleBefore;
        const FaceTickRects r = faceTick(face, c.linkActivity, 350, 237);
        EXPECT_EQ(face.linkSpriteVisible, c.visibleAfter);
        EXPECT_EQ(r.linkSprite.has_value(), c.invalidated);
        if (r.linkSprite) {
            EXPECT_EQ(*r.linkSprite, (FaceRect{12, 28, 38, 46}));
        }
        EXPECT_FALSE(r.arrow);
    }
}

TEST(FaceTick, ClockLineSpansThePanelNearItsBottom) {
    MeterFaceState face;
    EXPECT_EQ(faceTick(face, 0, 350, 237).clockLine, (FaceRect{0, 223, 350, 235}));
    EXPECT_EQ(clockLineRect(400, 300), (FaceRect{0, 286, 400, 298}));
}

}  // namespace
