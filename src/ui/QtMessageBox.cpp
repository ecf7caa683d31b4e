#include "QtMessageBox.h"

#include "QtText.h"
#include "WMsgBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

#include <utility>
#include <vector>

using namespace MsgBox;

namespace {

QStringList g_buttonTexts;

QMessageBox::Icon IconOfStyle(unsigned style)
{
    switch (style & MB_ICONMASK) {
    case MB_ICONHAND:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

struct TButtonSpec {
    int id;
    const char16_t* text;
    QMessageBox::ButtonRole role;
};

std::vector<TButtonSpec> ButtonsOfStyle(unsigned style)
{
    const TButtonSpec ok{IDOK, u"OK", QMessageBox::AcceptRole};
    const TButtonSpec cancel{IDCANCEL, u"Abbrechen", QMessageBox::RejectRole};
    const TButtonSpec abort{IDABORT, u"Abbrechen", QMessageBox::RejectRole};
    const TButtonSpec retry{IDRETRY, u"Wiederholen", QMessageBox::AcceptRole};
    const TButtonSpec ignore{IDIGNORE, u"Ignorieren", QMessageBox::AcceptRole};
    const TButtonSpec yes{IDYES, u"Ja", QMessageBox::YesRole};
    const TButtonSpec no{IDNO, u"Nein", QMessageBox::NoRole};
    switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {ok, cancel};
    case MB_ABORTRETRYIGNORE:
        return {abort, retry, ignore};
    case MB_YESNOCANCEL:
        return {yes, no, cancel};
    case MB_YESNO:
        return {yes, no};
    case MB_RETRYCANCEL:
        return {retry, cancel};
    default:
        return {ok};
    }
}

// Escape and the close box answer a box that has a Cancel button, or OK
// alone. Yes and No, or Abort, Retry and Ignore, must be answered with one of
// them: the system's box then ignores both.
bool Cancellable(unsigned style)
{
    const unsigned type = style & MB_TYPEMASK;
    return type != MB_YESNO && type != MB_ABORTRETRYIGNORE;
}

// The answer of a box that ended without any button pressed, as when the
// application quits: the button that declines, if there is one.
int DecliningAnswer(const std::vector<TButtonSpec>& buttons)
{
    for (auto button = buttons.rbegin(); button != buttons.rend(); ++button) {
        if (button->role == QMessageBox::RejectRole || button->role == QMessageBox::NoRole)
            return button->id;
    }
    return buttons.front().id;
}

class TMessageBox : public QMessageBox {
public:
    TMessageBox(unsigned style, const QString& caption, const QString& text)
        : QMessageBox(IconOfStyle(style), caption, text, QMessageBox::NoButton,
                      QApplication::activeWindow()),
          m_cancellable(Cancellable(style))
    {
        if (!m_cancellable) // a title bar without the close box
            setWindowFlags(windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (!m_cancellable && event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }

    void closeEvent(QCloseEvent* event) override
    {
        if (!m_cancellable) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }

private:
    bool m_cancellable;
};

} // namespace

int QtMessageBoxA(const TCp1252Text& text, const TCp1252Text& caption, unsigned style)
{
    TMessageBox box(style, ToQString(caption.Bytes()), ToQString(text.Bytes()));
    box.setTextFormat(Qt::PlainText);
    const std::vector<TButtonSpec> buttons = ButtonsOfStyle(style);
    std::vector<std::pair<QPushButton*, int>> ids;
    for (const TButtonSpec& button : buttons) {
        const qsizetype index = qsizetype(ids.size());
        const QString text = index < g_buttonTexts.size() ? g_buttonTexts[index] : QString::fromUtf16(button.text);
        QPushButton* shown = box.addButton(text, button.role);
        ids.emplace_back(shown, button.id);
    }
    box.setDefaultButton(ids.front().first);
    if (style & MB_SETFOREGROUND) {
        box.raise();
        box.activateWindow();
    }
    box.exec();
    for (const auto& [button, id] : ids) {
        if (box.clickedButton() == button)
            return id;
    }
    return DecliningAnswer(buttons);
}

void InstallQtMessageBox()
{
    SetMessageBoxFunction(QtMessageBoxA);
}

void SetMsgBoxButtonTexts(QStringList texts)
{
    g_buttonTexts = std::move(texts);
}
