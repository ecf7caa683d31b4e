#pragma once

#include <QValidator>

// Keeps a single-line text within what the file can hold: the Unicode line
// and paragraph separators become CR LF, other characters that Windows-1252
// cannot encode are dropped.
class TCp1252Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};
