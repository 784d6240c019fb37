#include "history/logged_reading.h"

#include "history/reading_line.h"
#include "history/sample_history.h"
#include "reading/reading_interpretation.h"

std::optional<LoggedReading> decideLogging(MeterReading& stored, const Clock& clock) {
    const CountDigits digits = countDigits(stored.count());
    const ReadingInterpretation interpretation = interpretReading(stored);
    if (stored.hold() || !interpretation.inRange) return std::nullopt;

    const LocalDateTime now = clock.now();
    LoggedReading logged;
    logged.unit = unitName(stored.function(), stored.subfunction(), stored.range());
    logged.line = formatReadingLine(now, digits, stored.negative(), interpretation.decimalPosition,
                                    logged.unit);
    logged.value = interpretation.value;
    logged.timeOfDay = packTimeOfDay(now.hour, now.minute, now.second);
    logged.when = now;
    logged.valueField = formatValueField(digits, stored.negative(), interpretation.decimalPosition);
    return logged;
}
