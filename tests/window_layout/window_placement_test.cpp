#include "window_layout/window_placement.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

const ScreenArea kPrimary{0, 0, 1920, 1080};
const ScreenArea kRight{1920, 0, 1280, 1024};

struct Case {
    const char* name;
    WindowRect saved;
    std::vector<ScreenArea> screens;
    WindowRect expected;
};

TEST(WindowPlacement, BoundsSizesAndBringsWindowsBackOnScreen) {
    const std::vector<ScreenArea> both{kPrimary, kRight};
    const std::vector<Case> cases{
        {"default stays", {100, 100, 658, 480}, both, {100, 100, 658, 480}},
        {"on second screen stays", {2000, 50, 658, 480}, both, {2000, 50, 658, 480}},
        {"partly off but caption visible", {-300, 500, 658, 480}, both, {-300, 500, 658, 480}},
        {"zero size takes default", {100, 100, 0, 0}, both, {100, 100, 658, 480}},
        {"negative size takes default", {100, 100, -5, -900}, both, {100, 100, 658, 480}},
        {"tiny size grows to minimum", {100, 100, 3, 4}, both, {100, 100, 200, 150}},
        {"huge size shrinks to largest screen", {0, 0, 100000, 100000}, both, {0, 0, 1920, 1080}},
        {"int max size", {0, 0, INT_MAX, INT_MAX}, both, {0, 0, 1920, 1080}},
        {"far right moves to primary", {5000, 100, 658, 480}, both, {631, 300, 658, 480}},
        {"above the screens moves", {100, -2000, 658, 480}, both, {631, 300, 658, 480}},
        {"caption just above top moves", {100, -10, 658, 480}, both, {631, 300, 658, 480}},
        {"unplugged second screen", {2000, 50, 658, 480}, {kPrimary}, {631, 300, 658, 480}},
        {"extreme position", {INT_MIN, INT_MIN, 658, 480}, both, {631, 300, 658, 480}},
        {"off screen and too big for primary",
         {9000, 0, 1280, 1024},
         {kPrimary, kRight},
         {320, 28, 1280, 1024}},
        {"nothing known bounds sizes only", {5000, 5000, -1, 99999}, {}, {5000, 5000, 658, 16384}},
    };
    for (const Case& c : cases) {
        const ScreenArea primary = c.screens.empty() ? ScreenArea{} : c.screens.front();
        EXPECT_EQ(placeOnScreen(c.saved, c.screens, primary), c.expected) << c.name;
    }
}

// Windows keeps the normal rectangle relative to the work area; converted
// both ways it must come back where it was, whichever side the taskbar is on.
TEST(WindowPlacement, WorkspaceCoordinatesFollowTheTaskbar) {
    struct Row {
        const char* name;
        ScreenArea work;
        ScreenArea monitor;
        WindowRect screen;
        WindowRect workspace;
    };
    const std::vector<Row> rows{
        {"taskbar at the bottom",
         {0, 0, 1920, 1040},
         kPrimary,
         {100, 100, 658, 480},
         {100, 100, 658, 480}},
        {"taskbar at the top",
         {0, 40, 1920, 1040},
         kPrimary,
         {100, 140, 658, 480},
         {100, 100, 658, 480}},
        {"taskbar at the left",
         {60, 0, 1860, 1080},
         kPrimary,
         {160, 100, 658, 480},
         {100, 100, 658, 480}},
        {"second monitor, taskbar at the top",
         {1920, 30, 1280, 994},
         kRight,
         {2000, 80, 658, 480},
         {2000, 50, 658, 480}},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(screenToWorkspace(r.screen, r.work, r.monitor), r.workspace) << r.name;
        EXPECT_EQ(workspaceToScreen(r.workspace, r.work, r.monitor), r.screen) << r.name;
    }
}

}  // namespace
