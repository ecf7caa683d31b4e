#pragma once

#include "QtText.h"

#include <QPlainTextEdit>

#include <optional>

class QKeyEvent;

// Enter or Return, from the main keyboard or the keypad, whatever the
// modifiers: every one of them either breaks a line or moves the focus on.
bool IsEnterKey(const QKeyEvent* event);

// A plain-text memo whose text always fits the file unchanged: typing,
// pasting, dropping and input methods take only what Windows-1252 can encode
// and what fits into kMaxTextBytes. Every Enter that reaches it, whatever the
// modifiers, is a plain line break, and so are the Unicode line and paragraph
// separators of an inserted text.
class TCp1252Memo : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit TCp1252Memo(QWidget* parent = nullptr);

    // Shows `text` and gives it back from SavedText byte for byte, lone CR
    // and LF included, for as long as the text is not changed.
    void SetSavedText(const QString& text);
    // The whole text as it is saved: what SetSavedText gave while nothing
    // changed it, otherwise the lines separated by CR LF.
    QString SavedText() const;
    // Characters (bytes in the file) that SavedText takes.
    int SavedLength() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    // The part of `text` that may be inserted in place of the selection, its
    // line breaks as "\n"; `lost` tells whether anything had to be left out.
    QString Admissible(const QString& text, bool* lost) const;
    int RoomLeft() const;
    int EditedLength() const;

    std::optional<QString> m_unchangedText;
    bool m_settingText = false;
};
