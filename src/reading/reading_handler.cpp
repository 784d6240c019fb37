#include "reading/reading_handler.h"

#include <utility>

#include "history/clear_history.h"
#include "reading/logged_reading.h"

void ReadingHandler::onMeterReading(MeterReading& stored, int linkActivity) {
    MeterFaceState& face = parts_.face;
    face.linkSpriteVisible = linkActivity != 0 && !face.linkSpriteVisible;

    if (std::optional<LoggedReading> logged = decideLogging(stored, face, parts_.clock)) {
        if (parts_.journal) parts_.journal->appendReading(logged->line);
        addReadingLine(std::move(logged->line));
        parts_.history.append(logged->value, logged->timeOfDay, false);
        parts_.hooks.updateScrollBar();
        saveAndClearWhenFull();
        shiftMarkers(parts_.view);
    }
    parts_.hooks.invalidatePanels();
}

void ReadingHandler::addReadingLine(std::string line) {
    const std::size_t row = parts_.list.appendRow({}, std::move(line));
    if (parts_.view.held) return;
    parts_.hooks.revealNewRow(row);
    parts_.view.firstMarker = 0;
    parts_.view.secondMarker = 0;
}

void ReadingHandler::saveAndClearWhenFull() {
    if (!parts_.history.isFull()) return;
    if (!parts_.logWriter.saveLog(parts_.list, parts_.settings)) {
        parts_.history.wrap();
        return;
    }
    parts_.hooks.logSaved();
    clearHistory(parts_.list, parts_.history, parts_.face, parts_.view);
    if (parts_.journal) parts_.journal->restart(0, parts_.settings.logFile);
}
