#include "history/tag_edit.h"

#include <algorithm>

#include "history/log_format.h"
#include "history/windows1252.h"

bool keptInTag(char16_t unit) {
    const std::optional<std::string> byte = utf16ToWindows1252(std::u16string_view(&unit, 1));
    return byte && !isControlByte(byte->front());
}

KeptTag keptTagText(std::u16string_view text, std::size_t cursor) {
    KeptTag kept;
    kept.text.reserve(std::min(text.size(), kTagEditLimit));
    for (std::size_t i = 0; i < text.size() && kept.text.size() < kTagEditLimit; ++i) {
        if (!keptInTag(text[i])) continue;
        kept.text.push_back(text[i]);
        if (i < cursor) ++kept.cursor;
    }
    return kept;
}

TagEditOutcome onTagEditEnd(ReadingList& list, SampleHistory& history, std::size_t row,
                            std::optional<std::u16string_view> text) {
    if (!text || row >= list.rowCount()) return TagEditOutcome::Unchanged;
    if (text->size() > kTagEditLimit) return TagEditOutcome::Refused;
    std::optional<std::string> tag = utf16ToWindows1252(*text);
    // Line breaks and other control characters (a paste can bring any) have
    // no place in a log line. The saved line "text,tag" must stay one log
    // line, or the reader would cut it into two rows (a very long row can
    // come from a damaged log).
    if (!tag || hasControlByte(*tag) ||
        (!tag->empty() && list.row(row).text.size() + 1 + tag->size() > kLogLineLimit))
        return TagEditOutcome::Refused;

    setRowTag(list, history, row, std::move(*tag));
    return TagEditOutcome::Changed;
}

void setRowTag(ReadingList& list, SampleHistory& history, std::size_t row, std::string tag) {
    const bool tagged = !tag.empty();
    list.setTag(row, std::move(tag));
    if (row < history.capacity()) history.slot(static_cast<std::uint32_t>(row)).setTagged(tagged);
}
