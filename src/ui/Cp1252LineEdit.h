#pragma once

#include <QLineEdit>

// A single-line edit whose text always fits the file unchanged.
class TCp1252LineEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TCp1252LineEdit(QWidget* parent = nullptr);
};
