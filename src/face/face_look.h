#pragma once

#include <array>
#include <cstddef>

#include "drawing/canvas.h"
#include "face/face_tick.h"
#include "face/meter_face_state.h"
#include "link/meter_reading.h"
#include "settings/settings.h"

// Everything the face draws except its clock, so that two looks can be
// compared and only the parts of the panel that changed are redrawn on screen.
struct FaceLook {
    std::uint16_t count = 0;
    std::uint8_t range = 0;
    std::uint8_t function = 0;
    std::uint8_t subfunction = 0;
    bool manualRange = false;
    int decimalPosition = 0;
    int barValue = 0;
    bool inRange = true;
    bool negative = false;
    bool relative = false;
    bool hold = false;
    bool arrowShown = false;
    bool linkShown = false;
    float minValue = 0.0f;
    float maxValue = 0.0f;
    Argb ink = 0;
    Argb background = 0;
    friend bool operator==(const FaceLook&, const FaceLook&) = default;
};

FaceLook faceLook(const MeterReading& stored, const MeterFaceState& face, const Settings& settings);

// The parts of the face that differ between two looks, at most one rectangle
// per part: the MIN/MAX panel, the display (legends, digits, annunciators) or
// only its digits, the bar graph, the link sprite and the over-range arrow.
struct FaceChanges {
    std::array<FaceRect, 5> rects{};
    std::size_t count = 0;
};
FaceChanges faceChanges(const FaceLook& before, const FaceLook& after, int panelWidth,
                        int panelHeight);
