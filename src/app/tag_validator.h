#pragma once

#include <QValidator>

// Keeps a tag to what the log can hold: at most 200 characters, each one that
// Windows-1252 has a byte for. Other characters are dropped as they are typed
// or pasted, so the editor never holds text that the log would mangle.
class TagValidator : public QValidator {
    Q_OBJECT
  public:
    static constexpr int kMaxLength = 200;

    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
};
