#include "app/tag_validator.h"

#include "history/windows1252.h"

namespace {

bool representable(QChar c) {
    const char16_t unit = c.unicode();
    return isWindows1252Representable(std::u16string_view(&unit, 1));
}

}  // namespace

QValidator::State TagValidator::validate(QString& input, int& pos) const {
    QString kept;
    kept.reserve(input.size());
    int keptBeforeCursor = 0;
    for (qsizetype i = 0; i < input.size(); ++i) {
        if (!representable(input[i])) continue;
        if (kept.size() == kMaxLength) break;
        kept.append(input[i]);
        if (i < pos) ++keptBeforeCursor;
    }
    input = kept;
    pos = keptBeforeCursor;
    return Acceptable;
}

void TagValidator::fixup(QString& input) const {
    int pos = static_cast<int>(input.size());
    validate(input, pos);
}
