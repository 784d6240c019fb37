#pragma once

#include <map>
#include <set>
#include <string>

#include "chart/chart_view.h"
#include "drawing/recording_canvas.h"
#include "face/meter_face.h"
#include "face/meter_face_state.h"
#include "settings/settings.h"
#include "support/reading_builder.h"
#include "time/clock.h"

// Everything one face update and repaint read and write, fresh for each test.
struct FaceHarness {
    RecordingCanvas canvas;
    MeterReading stored;
    MeterFaceState face;
    ChartView view;
    Settings settings;
    FixedClock clock{LocalDateTime{2026, 1, 3, 15, 7, 9}};

    // Sets the stored reading; `sameFunction` makes the saved Switch and Mode
    // match it so that the repaint keeps MIN and MAX.
    void show(const ReadingSpec& s, bool sameFunction = true) {
        stored = makeReading(s);
        if (sameFunction) {
            settings.switch_ = static_cast<std::uint32_t>(s.function);
            settings.mode = static_cast<std::uint32_t>(s.subfunction);
        }
    }
    // The face's bookkeeping as the session runs it, then one paint.
    void paint() {
        if (updateMeterFace(stored, face, settings)) resetScale(view);
        canvas.reset();
        drawMeterFace(canvas, stored, face, settings, clock);
    }

    // The five big-digit slots as drawn: a digit, 'L', or ' ' when empty.
    std::string bigDigits() const {
        std::string out(5, ' ');
        for (const auto& s : canvas.sprites()) {
            if (s.dy != 72) continue;
            const int slot = (s.dx - 37) / 62;
            const int glyph = (s.sx - 2) / 57;
            out[static_cast<std::size_t>(slot)] =
                glyph == 10 ? 'L' : static_cast<char>('0' + glyph);
        }
        return out;
    }
    // Big-digit slot the decimal point follows, or -1.
    int bigPointSlot() const {
        for (const auto& s : canvas.sprites()) {
            if (s.dy == 152 && s.sx == 284) return (s.dx - 85) / 62;
        }
        return -1;
    }
    int litSegments() const {
        int n = 0;
        for (const auto& r : canvas.rectsF()) n += r.y == 192.0f ? 1 : 0;
        return n;
    }
    // Four small digits of a panel followed by the point's slot, e.g. "1235@0".
    std::string panel(int left) const {
        std::string out(4, ' ');
        for (const auto& s : canvas.sprites()) {
            if (s.dy != 3 || s.dx < left || s.dx > left + 3 * 26) continue;
            out[static_cast<std::size_t>((s.dx - left) / 26)] =
                static_cast<char>('0' + (s.sx - 1) / 25);
        }
        for (const auto& s : canvas.sprites()) {
            if (s.dy != 22) continue;
            const int slot = s.dx < 150 ? (s.dx - 66) / 26 : (s.dx - 158) / 26 - 3;
            if ((left < 150) == (s.dx < 150)) out += "@" + std::to_string(slot);
        }
        return out;
    }
    std::string maxPanel() const { return panel(49); }
    std::string minPanel() const { return panel(219); }
};
