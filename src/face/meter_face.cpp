#include "face/meter_face.h"

#include <cstdio>
#include <string_view>

#include "drawing/lcd_glyphs.h"
#include "reading/reading_interpretation.h"
#include "settings/settings.h"

namespace {

constexpr std::uint8_t kNoReadingFunction = 10;
constexpr std::u16string_view kAcTrms = u"AC        TRMS";

// Draws the legends of one function and says whether it may show AUTO.
// Functions whose legend is large leave `size` at the large size.
class LegendPainter {
  public:
    LegendPainter(Canvas& canvas, Argb ink, float& size)
        : canvas_(canvas), ink_(ink), size_(size) {}

    bool draw(std::uint8_t function, std::uint8_t subfunction, std::uint8_t range) {
        switch (function) {
            case 0:
                if (subfunction == 0) {
                    text(44, 50, kAcTrms);
                    text(234, 50, u"V");
                } else if (subfunction == 1) {
                    frequency(range);
                } else if (subfunction == 2) {
                    percent();
                }
                return true;
            case 1:
                text(74, 50, u"DC");
                text(234, 50, u"V");
                return true;
            case 2:
                if (subfunction == 0) {
                    frequency(range);
                } else if (subfunction == 1) {
                    percent();
                }
                return true;
            case 3:
                return resistanceGroup(subfunction, range);
            case 4:
                size_ = face::kLargeTextSize;
                if (subfunction == 0) {
                    text(280, 48, u"\u00B0C");
                } else if (subfunction == 1) {
                    text(300, 48, u"\u00B0F");
                }
                return false;
            case 5:
                dcAc(subfunction);
                text(255, 50, u"A");
                return false;
            case 6:
                dcAc(subfunction);
                text(245, 50, u"mA");
                return true;
            case 7:
                percent();
                return false;
            case 8:
                dcAc(subfunction);
                text(248, 50, u"\u00B5A");
                return true;
            case 9:
                dcAc(subfunction);
                text(221, 50, u"mV");
                return false;
            default:
                return false;
        }
    }

  private:
    void text(float x, float y, std::u16string_view t) { canvas_.drawText(x, y, t, size_, ink_); }

    void percent() {
        size_ = face::kLargeTextSize;
        text(324, 48, u"%");
    }

    void dcAc(std::uint8_t subfunction) {
        if (subfunction == 0) {
            text(74, 50, u"DC");
        } else if (subfunction == 1) {
            text(44, 50, kAcTrms);
        }
    }

    void frequency(std::uint8_t range) {
        if (range <= 1) {
            text(200, 50, u"Hz");
        } else if (range <= 4) {
            text(189, 50, u"KHz");
        } else {
            text(189, 50, u"MHz");
        }
    }

    bool resistanceGroup(std::uint8_t subfunction, std::uint8_t range) {
        switch (subfunction) {
            case 0:
                if (range == 0) {
                    text(188, 50, u"\u2126");
                } else if (range <= 3) {
                    text(176, 50, u"K\u2126");
                } else if (range <= 5) {
                    text(176, 50, u"M\u2126");
                }
                return true;
            case 1:
                text(234, 50, u"V");
                drawSpriteCell(canvas_, 228, 173, lcd::kDiode);
                return false;
            case 2:
                text(188, 50, u"\u2126");
                drawSpriteCell(canvas_, 250, 173, lcd::kContinuity);
                return false;
            case 3:
                if (range <= 2) {
                    text(276, 50, u"nF");
                } else if (range <= 5) {
                    text(276, 50, u"\u00B5F");
                } else {
                    text(276, 50, u"mF");
                }
                return true;
            default:
                return false;
        }
    }

    Canvas& canvas_;
    Argb ink_;
    float& size_;
};

void drawPanelValue(Canvas& canvas, double v, MinMaxPanel panel) {
    const PanelDigits digits = panelDigits(v);
    const std::array<int, 4> split = splitFourDigits(digits.n);
    for (int slot = 0; slot < 4; ++slot) {
        drawSmallDigit(canvas, split[static_cast<std::size_t>(slot)], slot, panel);
    }
    if (digits.pointSlot >= 0) {
        drawSmallPoint(canvas, digits.pointSlot + (panel == MinMaxPanel::min ? 3 : 0));
    }
}

void drawBarGraph(Canvas& canvas, int c, bool inRange, Argb ink) {
    for (int i = 0; i < face::kBarSegments; ++i) {
        const float x = barSegmentX(i);
        if (i <= c || !inRange) canvas.fillRectF(x, 192.0f, 3.0f, barSegmentHeight(i), ink);
        if (i % 10 == 5) canvas.fillRectF(x, 213.0f, 2.0f, 4.0f, ink);
    }
}

}  // namespace

int barValue(std::uint16_t count, int decimalPosition, std::uint8_t function) {
    const bool volts = function == 0 || function == 1 || function == 3;
    const int n = count;
    switch (decimalPosition) {
        case 0:
            return volts ? n / 100 : n;
        case 1:
            return volts ? n / 1000 : n / 10;
        case 2:
            return volts ? n / 1000 : n / 100;
        case 3:
            return n / 1000;
        case 4:
            return volts ? n / 100000 : n / 10000;
        default:
            return n;
    }
}

PanelDigits panelDigits(double v) {
    // 0.56 rather than 0.5 so that float values just under a half round up.
    constexpr double kRound = 0.56;
    if (v < 10.0) return {static_cast<std::uint32_t>(v * 1000.0 + kRound), 0};
    if (v < 100.0) return {static_cast<std::uint32_t>(v * 100.0 + kRound), 1};
    if (v < 1000.0) return {static_cast<std::uint32_t>(v * 10.0 + kRound), 2};
    return {static_cast<std::uint32_t>(v + kRound), -1};
}

std::array<int, 4> splitFourDigits(std::uint32_t n) {
    return {static_cast<int>(n / 1000 % 10), static_cast<int>(n / 100 % 10),
            static_cast<int>(n / 10 % 10), static_cast<int>(n % 10)};
}

std::u16string formatDateLine(const LocalDateTime& t) {
    const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
    const char half = t.hour < 12 ? 'A' : 'P';
    char buf[64];
    const int len = std::snprintf(buf, sizeof buf, "%2d/%02d/%d %2d:%02d:%02d%cM", t.month, t.day,
                                  t.year, hour12, t.minute, t.second, half);
    std::u16string out;
    for (int i = 0; i < len && i < static_cast<int>(sizeof buf) - 1; ++i) {
        out.push_back(static_cast<char16_t>(buf[i]));
    }
    return out;
}

void drawMinMaxPanel(Canvas& canvas, const MeterFaceState& face, Argb colour, float textSize) {
    canvas.drawText(13, 3, u"MAX", textSize, colour);
    drawPanelValue(canvas, static_cast<double>(face.maxValue), MinMaxPanel::max);
    double v = face.minValue;
    if (v < 0.0) {
        canvas.fillRect(208, 19, 10, 4, colour);
        v = -v;
    }
    canvas.drawText(186, 29, u"MIN", textSize, colour);
    drawPanelValue(canvas, v, MinMaxPanel::min);
}

bool updateMeterFace(MeterReading& stored, MeterFaceState& face, Settings& settings) {
    // Digits, point and bar follow the fields as they are now, even when the
    // no-reading pattern replaces them below; sign, delta and HOLD are read
    // from the record when the face is drawn.
    face.shownCount = stored.count();
    face.shownRange = stored.range();
    face.shownFunction = stored.function();
    face.shownSubfunction = stored.subfunction();
    face.shownManualRange = stored.manualRange();
    if (face.shownFunction == kNoReadingFunction) applyNoReadingPattern(stored);

    const ReadingInterpretation shown =
        interpretFields(face.shownFunction, face.shownSubfunction, face.shownRange, face.shownCount,
                        stored.negative());
    face.inRange = shown.inRange;
    face.decimalPosition = shown.decimalPosition;
    face.barValue = barValue(face.shownCount, face.decimalPosition, stored.function());
    if (face.barValue <= 40 && face.inRange) {
        face.overRangeArrow = false;
        face.arrowVisible = false;
    } else {
        face.overRangeArrow = true;
    }

    const float scaledValue = shown.value;
    if (scaledValue < face.minValue) face.minValue = scaledValue;
    if (face.maxValue < scaledValue) face.maxValue = scaledValue;
    // MIN starts at 0 like MAX; the first non-zero MAX tells that no reading
    // has pulled MIN below 0, so MIN takes the reading instead of staying at 0.
    if (!face.minLatched && face.minValue == 0.0f && face.maxValue != 0.0f) {
        face.minLatched = true;
        face.minValue = scaledValue;
    }
    const bool functionChanged =
        face.shownFunction != settings.switch_ || face.shownSubfunction != settings.mode;
    if (functionChanged) resetMinMax(face);
    settings.switch_ = face.shownFunction;
    settings.mode = face.shownSubfunction;
    return functionChanged;
}

void drawMeterFace(Canvas& canvas, const MeterReading& stored, const MeterFaceState& face,
                   const Settings& settings, const Clock& clock) {
    const Argb ink = settings.colorMeterText;
    canvas.clear(settings.colorMeterBG);
    float textSize = face::kTextSize;

    const bool autoAllowed = LegendPainter(canvas, ink, textSize)
                                 .draw(face.shownFunction, face.shownSubfunction, face.shownRange);
    const int d = face.decimalPosition;
    if (face.inRange) {
        const CountDigits digits = countDigits(face.shownCount);
        for (int k = 0; k < lcd::kBigDigitSlots; ++k)
            drawBigDigit(canvas, digits[static_cast<std::size_t>(k)], 4 - k);
        if (stored.negative()) canvas.fillRect(12, 113, 20, 8, ink);
    } else {
        drawBigDigit(canvas, 0, 2);
        drawBigDigit(canvas, lcd::kBigL, 3);
    }
    if (d >= 1) drawBigPoint(canvas, d - 1);

    if (stored.relative()) drawSpriteCell(canvas, 14, 92, lcd::kDelta);
    if (autoAllowed && !face.shownManualRange) canvas.drawText(44, 171, u"AUTO", textSize, ink);
    if (stored.hold()) canvas.drawText(184, 171, u"HOLD", textSize, ink);

    textSize = face::kSmallTextSize;
    canvas.drawText(26, 210, u"0", textSize, ink);
    canvas.drawText(98, 210, u"10", textSize, ink);
    canvas.drawText(174, 210, u"20", textSize, ink);
    canvas.drawText(248, 210, u"30", textSize, ink);
    canvas.drawText(322, 210, u"40", textSize, ink);

    const int c = face.barValue;
    drawBarGraph(canvas, c, face.inRange, ink);
    if (stored.negative() && c != 0) canvas.fillRect(14, 201, 10, 4, ink);
    if (face.overRangeArrow && face.arrowVisible) drawSpriteCell(canvas, 334, 190, lcd::kArrow);

    canvas.drawText(220, 223, formatDateLine(clock.now()), textSize, ink);
    drawMinMaxPanel(canvas, face, ink, textSize);
    if (face.linkSpriteVisible) drawSpriteCell(canvas, 14, 28, lcd::kLink);
}
