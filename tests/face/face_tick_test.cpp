#include "face/face_tick.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "face/face_look.h"

namespace {

TEST(FaceTick, ArrowBlinksEveryFourthTickWhileRaised) {
    MeterFaceState face;  // overRangeArrow starts raised
    std::vector<bool> phases;
    for (int tick = 0; tick < 9; ++tick) {
        faceTick(face, 1, false);
        phases.push_back(face.arrowVisible);
    }
    EXPECT_EQ(phases,
              (std::vector<bool>{true, true, true, true, false, false, false, false, true}));

    // Lowered: nothing blinks and the countdown keeps its value for the next period.
    faceTick(face, 1, false);
    face.overRangeArrow = false;
    const std::uint32_t kept = face.blinkCountdown;
    const bool phase = face.arrowVisible;
    for (int tick = 0; tick < 5; ++tick) faceTick(face, 1, false);
    EXPECT_EQ(face.blinkCountdown, kept);
    EXPECT_EQ(face.arrowVisible, phase);

    // From any phase, the second turning at tick 7 of every 20 brings the toggles into step.
    for (std::uint32_t start = 0; start <= face::kBlinkTicks; ++start) {
        MeterFaceState stepped;
        stepped.blinkCountdown = start;
        std::string toggles;
        for (int tick = 1; tick <= 47; ++tick) {
            const bool before = stepped.arrowVisible;
            faceTick(stepped, 1, tick % 20 == 7);
            if (tick > 20) toggles += stepped.arrowVisible != before ? 'x' : '.';
        }
        EXPECT_EQ(toggles, "..x...x...x...x...x...x...x") << start;
    }
}

TEST(FaceTick, LinkSpriteHiddenOnlyWhenTheLinkIsQuiet) {
    for (std::uint32_t activity : {0u, 7u}) {
        MeterFaceState face;
        face.linkSpriteVisible = true;
        faceTick(face, activity, false);
        EXPECT_EQ(face.linkSpriteVisible, activity != 0);
    }
    EXPECT_EQ(clockLineRect(350, 237), (FaceRect{0, 223, 350, 235}));
}

// Only the parts of the face whose look changed are drawn again on screen.
TEST(FaceChanges, EachPartItsOwnBand) {
    const FaceLook base{};
    const auto with = [&base](auto change) {
        FaceLook look = base;
        change(look);
        return look;
    };
    const FaceRect minMax{0, 0, 350, 46}, display{0, 40, 350, 196}, digits{0, 72, 350, 172},
        bar{0, 188, 350, 224};
    const struct {
        const char* name;
        FaceLook after;
        std::vector<FaceRect> rects;
    } cases[] = {
        {"nothing", base, {}},
        {"the units digit", with([](FaceLook& l) { l.count = 7; }), {{283, 72, 344, 172}}},
        {"four digits", with([](FaceLook& l) { l.count = 1234; }), {{97, 72, 344, 172}}},
        {"HOLD", with([](FaceLook& l) { l.hold = true; }), {display}},
        {"the count and the range", with([](FaceLook& l) { l.count = 7, l.range = 2; }), {display}},
        {"the bar", with([](FaceLook& l) { l.barValue = 3; }), {bar}},
        {"the sign", with([](FaceLook& l) { l.negative = true; }), {digits, bar}},
        {"over range", with([](FaceLook& l) { l.inRange = false; }), {digits, bar}},
        {"MIN", with([](FaceLook& l) { l.minValue = -1.0f; }), {minMax}},
        {"the link sprite", with([](FaceLook& l) { l.linkShown = true; }), {face::kLinkSpriteRect}},
        {"the arrow", with([](FaceLook& l) { l.arrowShown = true; }), {face::kArrowRect}},
        {"a colour", with([](FaceLook& l) { l.ink = 0xFF102030; }), {{0, 0, 350, 237}}},
    };
    for (const auto& c : cases) {
        const FaceChanges changes = faceChanges(base, c.after, 350, 237);
        EXPECT_EQ(std::vector<FaceRect>(changes.rects.begin(),
                                        changes.rects.begin() + static_cast<long>(changes.count)),
                  c.rects)
            << c.name;
    }
}

}  // namespace
