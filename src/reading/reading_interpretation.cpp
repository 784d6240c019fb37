#include "reading/reading_interpretation.h"

namespace {

constexpr std::uint8_t kNoReadingFunction = 10;
constexpr std::uint16_t kNoReadingCount = 0x5B38;

// Decimal position and over-range limit of a function; limit 0 means none.
struct Rule {
    int decimalPosition;
    std::uint32_t limit;
};

Rule ruleFor(std::uint8_t function, std::uint8_t subfunction, std::uint8_t range) {
    const auto r = static_cast<std::size_t>(range & 0x07);
    const int pos = static_cast<int>(r);
    switch (function) {
        case 0:
            return {subfunction == 1 ? frequencyPoints[r] : pos, 0};
        case 2:
            if (subfunction == 0) return {frequencyPoints[r], 0};
            if (subfunction == 1) return {3, 0};
            return {pos, 0};
        case 3:
            switch (subfunction) {
                case 0:
                    return {resistancePoints[r], 42000};
                case 1:
                    return {1, 20000};
                case 2:
                    return {3, 42000};
                case 3:
                    return {capacitancePoints[r], 42000};
                default:
                    return {pos, 0};
            }
        case 4:
            return {4, 2400};
        case 5:
            return {pos + 1, 42000};
        case 6:
            return {pos + 2, 0};
        case 7:
        case 8:
            return {pos + 3, 0};
        case 9:
            return {3, 42000};
        default:
            return {pos, 0};  // 1, 10 and the codes without a rule
    }
}

std::string_view frequencyUnit(std::uint8_t range) {
    if (range <= 1) return "Hz";
    if (range <= 4) return "KHz";
    return "MHz";
}

}  // namespace

CountDigits countDigits(std::uint16_t count) {
    CountDigits digits{};
    unsigned rest = count;
    for (auto& d : digits) {
        d = static_cast<std::uint8_t>(rest % 10);
        rest /= 10;
    }
    return digits;
}

ReadingInterpretation interpretFields(std::uint8_t function, std::uint8_t subfunction,
                                      std::uint8_t range, std::uint16_t count, bool negative) {
    const Rule rule = ruleFor(function, subfunction, range);
    ReadingInterpretation result;
    result.decimalPosition = rule.decimalPosition;
    result.inRange = rule.limit == 0 || count < rule.limit;
    result.value = scaleCount(count, result.decimalPosition, result.inRange, negative);
    return result;
}

void applyNoReadingPattern(MeterReading& stored) {
    stored.setCount(kNoReadingCount);
    stored.setRange(0);
    stored.setNegative(true);
    stored.setHold(true);
    stored.setManualRange(false);
    stored.setRelative(true);
}

ReadingInterpretation interpretReading(MeterReading& stored) {
    const ReadingInterpretation result = interpretFields(
        stored.function(), stored.subfunction(), stored.range(), stored.count(), stored.negative());
    if (stored.function() == kNoReadingFunction) applyNoReadingPattern(stored);
    return result;
}

// Octal escapes: \265 is the Windows-1252 micro sign (0xB5), \260 the degree sign (0xB0).
std::string_view unitName(std::uint8_t function, std::uint8_t subfunction, std::uint8_t range) {
    const bool dc = subfunction == 0;
    switch (function) {
        case 0:
            if (subfunction == 0) return "Vac";
            if (subfunction == 1) return frequencyUnit(range);
            if (subfunction == 2) return "%";
            return "NC";
        case 1:
            return "VDC";
        case 2:
            if (subfunction == 0) return frequencyUnit(range);
            if (subfunction == 1) return "%";
            return "NC";
        case 3:
            switch (subfunction) {
                case 0:
                    if (range == 0) return "Ohms";
                    if (range <= 3) return "KOhms";
                    if (range <= 5) return "MOhms";
                    return "NC";
                case 1:
                    return "V.Diode";
                case 2:
                    return "Ohms.Cont.";
                case 3:
                    if (range <= 2) return "nF";
                    if (range <= 5) return "\265F";
                    return "mF";
                default:
                    return "NC";
            }
        case 4:
            return dc ? "\260C" : "\260F";
        case 5:
            return dc ? "A DC" : "A AC";
        case 6:
            return dc ? "mA DC" : "mA AC";
        case 7:
            return "%";
        case 8:
            return dc ? "\265A DC" : "\265A AC";
        case 9:
            return dc ? "mV DC" : "mV AC";
        default:
            return "NC";
    }
}

float scaleCount(std::uint16_t count, int decimalPosition, bool inRange, bool negative) {
    static constexpr float kScale[] = {1.0f, 0.0001f, 0.001f, 0.01f, 0.1f};
    float value = 0.0f;
    if (inRange) {
        value = static_cast<float>(count);
        if (decimalPosition >= 1 && decimalPosition <= 4) value *= kScale[decimalPosition];
    }
    return negative ? -value : value;
}
