#pragma once

#include <QValidator>

// The tag editor's filter: what the history's tag rule keeps of a typed or
// pasted text, so that the editor never holds text that the log would mangle.
class TagValidator : public QValidator {
    Q_OBJECT
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
};
