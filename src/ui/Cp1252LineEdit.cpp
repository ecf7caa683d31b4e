#include "Cp1252LineEdit.h"

#include "Cp1252Validator.h"
#include "QtText.h"

TCp1252LineEdit::TCp1252LineEdit(QWidget* parent) : QLineEdit(parent)
{
    setMaxLength(kMaxTextBytes);
    setValidator(new TCp1252Validator(this));
}
