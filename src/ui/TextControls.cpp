#include "TextControls.h"

#include "QtText.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextDocument>

namespace {

constexpr char16_t kParagraphSeparator = 0x2029;

// Text with every unencodable character removed; `removedBefore` counts
// the code units removed before position `pos`.
QString EncodableOnly(const QString& text, int pos, int* removedBefore)
{
    QString kept;
    kept.reserve(text.size());
    int removed = 0;
    ForEachCodePoint(text, [&](char32_t codePoint, qsizetype at, int units) {
        if (IsCp1252Char(codePoint))
            kept.append(QChar(static_cast<char16_t>(codePoint)));
        else if (at < pos)
            removed += units;
    });
    if (removedBefore)
        *removedBefore = removed;
    return kept;
}

int SavedLengthOfSelection(const QString& selected)
{
    return static_cast<int>(selected.size() + selected.count(QChar(kParagraphSeparator)));
}

bool InsertsText(const QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return true;
    const QString text = event->text();
    return !text.isEmpty() && text.front() >= QChar(0x20) && text.front() != QChar(0x7F);
}

} // namespace

QValidator::State TCp1252Validator::validate(QString& input, int& pos) const
{
    int removedBefore = 0;
    const QString kept = EncodableOnly(input, pos, &removedBefore);
    if (kept.size() != input.size()) {
        input = kept;
        pos -= removedBefore;
        QApplication::beep();
    }
    return Acceptable;
}

TCp1252LineEdit::TCp1252LineEdit(QWidget* parent) : QLineEdit(parent)
{
    setMaxLength(kMaxTextBytes);
    setValidator(new TCp1252Validator(this));
}

TCp1252Memo::TCp1252Memo(QWidget* parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
}

QString TCp1252Memo::SavedText() const
{
    // toRawText, unlike toPlainText, keeps no-break spaces as they are.
    QString text = document()->toRawText();
    text.replace(QChar(kParagraphSeparator), QStringLiteral("\r\n"));
    return text;
}

int TCp1252Memo::SavedLength() const
{
    // characterCount counts one separator per block, the last one included.
    return document()->characterCount() - 1 + document()->blockCount() - 1;
}

int TCp1252Memo::RoomLeft() const
{
    return kMaxTextBytes - SavedLength() + SavedLengthOfSelection(textCursor().selectedText());
}

QString TCp1252Memo::Admissible(const QString& text) const
{
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(QChar('\r'), QChar('\n'));
    const QString encodable = EncodableOnly(normalized, 0, nullptr);

    int room = RoomLeft();
    qsizetype length = 0;
    for (const QChar c : encodable) {
        const int cost = c == QChar('\n') ? 2 : 1;
        if (cost > room)
            break;
        room -= cost;
        ++length;
    }
    return encodable.left(length);
}

void TCp1252Memo::keyPressEvent(QKeyEvent* event)
{
    if (InsertsText(event)) {
        const bool lineBreak = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        const QString typed = lineBreak ? QStringLiteral("\n") : event->text();
        if (Admissible(typed) != typed) {
            QApplication::beep();
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TCp1252Memo::inputMethodEvent(QInputMethodEvent* event)
{
    const QString commit = event->commitString();
    const QString admissible = Admissible(commit);
    if (admissible == commit) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QApplication::beep();
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(admissible, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&filtered);
}

void TCp1252Memo::insertFromMimeData(const QMimeData* source)
{
    if (!source->hasText())
        return;
    const QString text = source->text();
    const QString admissible = Admissible(text);
    if (admissible != text)
        QApplication::beep();
    insertPlainText(admissible);
}
