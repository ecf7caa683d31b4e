#include "Cp1252Memo.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextDocument>

#include <algorithm>

namespace {

int SavedLengthOfSelection(const QString& selected)
{
    return static_cast<int>(selected.size() + selected.count(QChar(QChar::ParagraphSeparator)));
}

bool InsertsText(const QKeyEvent* event)
{
    const QString text = event->text();
    return !text.isEmpty() && text.front() >= QChar(0x20) && text.front() != QChar(0x7F);
}

} // namespace

bool IsEnterKey(const QKeyEvent* event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

TCp1252Memo::TCp1252Memo(QWidget* parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChanged, this, [this] {
        if (!m_settingText)
            m_unchangedText.reset();
    });
}

void TCp1252Memo::SetSavedText(const QString& text)
{
    m_settingText = true;
    setPlainText(text);
    m_settingText = false;
    m_unchangedText = text;
}

QString TCp1252Memo::SavedText() const
{
    if (m_unchangedText)
        return *m_unchangedText;
    // toRawText, unlike toPlainText, keeps no-break spaces as they are.
    QString text = document()->toRawText();
    text.replace(QChar(QChar::ParagraphSeparator), QStringLiteral("\r\n"));
    return text;
}

int TCp1252Memo::SavedLength() const
{
    return m_unchangedText ? static_cast<int>(m_unchangedText->size()) : EditedLength();
}

// The length once the text is changed, when every line break is CR LF.
int TCp1252Memo::EditedLength() const
{
    // characterCount counts one separator per block, the last one included.
    return document()->characterCount() - 1 + document()->blockCount() - 1;
}

int TCp1252Memo::RoomLeft() const
{
    return kMaxTextBytes - EditedLength() + SavedLengthOfSelection(textCursor().selectedText());
}

QString TCp1252Memo::Admissible(const QString& text, bool* lost) const
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QChar('\r'), QChar('\n'));
    const TEncodableText encodable = Encodable(lines, QStringLiteral("\n"));

    int room = RoomLeft();
    qsizetype length = 0;
    for (const QChar c : encodable.text) {
        const int cost = c == QChar('\n') ? 2 : 1;
        if (cost > room)
            break;
        room -= cost;
        ++length;
    }
    *lost = encodable.dropped || length < encodable.text.size();
    return encodable.text.left(length);
}

void TCp1252Memo::keyPressEvent(QKeyEvent* event)
{
    bool lost = false;
    if (IsEnterKey(event) || event->matches(QKeySequence::InsertLineSeparator)) {
        // Shift+Enter would insert a line separator, which the file cannot
        // hold, and Ctrl or Alt+Enter nothing at all.
        if (Admissible(QStringLiteral("\n"), &lost).isEmpty()) {
            QApplication::beep();
            event->accept();
            return;
        }
        QKeyEvent plainEnter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"),
                             event->isAutoRepeat(), event->count());
        QPlainTextEdit::keyPressEvent(&plainEnter);
        event->setAccepted(plainEnter.isAccepted());
        return;
    }
    if (InsertsText(event)) {
        const QString typed = event->text();
        const QString admissible = Admissible(typed, &lost);
        if (lost)
            QApplication::beep();
        if (admissible != typed) {
            if (!admissible.isEmpty())
                insertPlainText(admissible);
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TCp1252Memo::inputMethodEvent(QInputMethodEvent* event)
{
    const QString commit = event->commitString();
    bool lost = false;
    const QString admissible = Admissible(commit, &lost);
    if (lost)
        QApplication::beep();
    if (admissible == commit) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(admissible, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&filtered);
}

// Only plain text: the memo would insert nothing of a rich-text-only drop.
bool TCp1252Memo::canInsertFromMimeData(const QMimeData* source) const
{
    return source->hasText();
}

void TCp1252Memo::insertFromMimeData(const QMimeData* source)
{
    if (!source->hasText())
        return;
    bool lost = false;
    const QString admissible = Admissible(source->text(), &lost);
    if (lost)
        QApplication::beep();
    // Nothing to insert must not remove the selection either.
    if (!admissible.isEmpty())
        insertPlainText(admissible);
}
