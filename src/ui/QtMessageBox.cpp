#include "QtMessageBox.h"

#include "QtText.h"
#include "WMsgBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <utility>
#include <vector>

using namespace MsgBox;

namespace {

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

} // namespace

int QtMessageBoxA(const std::string& text, const std::string& caption, unsigned style)
{
    QMessageBox box(IconOfStyle(style), ToQString(caption), ToQString(text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    std::vector<std::pair<QPushButton*, int>> ids;
    for (const TButtonSpec& button : ButtonsOfStyle(style)) {
        QPushButton* shown = box.addButton(QString::fromUtf16(button.text), button.role);
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
    // Closed without a button (Escape or the frame's close box): the box's
    // safe choice, as the system box answers.
    return ids.size() == 1 ? ids.front().second : IDCANCEL;
}

void InstallQtMessageBox()
{
    SetMessageBoxFunction(QtMessageBoxA);
}
