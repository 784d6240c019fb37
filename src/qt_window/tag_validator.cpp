#include "qt_window/tag_validator.h"

#include <algorithm>

#include "history/tag_edit.h"

QValidator::State TagValidator::validate(QString& input, int& pos) const {
    const std::u16string_view typed(reinterpret_cast<const char16_t*>(input.utf16()),
                                    static_cast<std::size_t>(input.size()));
    const KeptTag kept = keptTagText(typed, static_cast<std::size_t>(std::max(pos, 0)));
    input = QString(reinterpret_cast<const QChar*>(kept.text.data()),
                    static_cast<qsizetype>(kept.text.size()));
    pos = static_cast<int>(kept.cursor);
    return Acceptable;
}

void TagValidator::fixup(QString& input) const {
    int pos = static_cast<int>(input.size());
    validate(input, pos);
}
