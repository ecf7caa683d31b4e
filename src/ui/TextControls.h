#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QValidator>

// What the file can hold of one text: 65,535 Windows-1252 bytes, where a
// memo's line break is saved as CR LF.
constexpr int kMaxTextBytes = 65535;

// Drops characters that Windows-1252 cannot encode.
class TCp1252Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

// A single-line edit whose text always fits the file unchanged.
class TCp1252LineEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TCp1252LineEdit(QWidget* parent = nullptr);
};

// A plain-text memo whose text always fits the file unchanged: typing,
// pasting and dropping take only what Windows-1252 can encode and what fits
// into kMaxTextBytes.
class TCp1252Memo : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit TCp1252Memo(QWidget* parent = nullptr);

    // The whole text with lines separated by CR LF, exactly as it is saved.
    QString SavedText() const;
    // Bytes that SavedText would take.
    int SavedLength() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // The part of `text` that may be inserted in place of the selection.
    QString Admissible(const QString& text) const;
    int RoomLeft() const;
};
