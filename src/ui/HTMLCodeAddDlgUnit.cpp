#include "HTMLCodeAddDlgUnit.h"

#include "Cp1252LineEdit.h"
#include "Cp1252Memo.h"
#include "ErrorHandler.h"
#include "Normalize.h"
#include "QtText.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <utility>

namespace {

THTMLCodeAddDlg::TRunHook& RunHook()
{
    static THTMLCodeAddDlg::TRunHook hook;
    return hook;
}

bool IsEnterPress(const QEvent* event)
{
    return event->type() == QEvent::KeyPress && IsEnterKey(static_cast<const QKeyEvent*>(event));
}

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, const QPoint& position)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->move(position);
    label->adjustSize();
    return label;
}

QPushButton* AddButton(QWidget* parent, const char* name, const QString& text, const QRect& geometry)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    // Neither button is pressed by Enter from elsewhere in the dialog.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

// Without the characters of code 32 or lower at either end.
QString TrimmedName(const QString& name)
{
    qsizetype first = 0;
    qsizetype end = name.size();
    while (first < end && name.at(first).unicode() <= 32)
        ++first;
    while (end > first && name.at(end - 1).unicode() <= 32)
        --end;
    return name.mid(first, end - first);
}

} // namespace

THTMLCodeAddDlg::THTMLCodeAddDlg(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("HTMLCodeAddDlg"));
    setWindowTitle(QStringLiteral("HTML-Code bearbeiten"));
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    if (owner)
        setFont(owner->font());
    setFixedSize(572, 288);
    CreateControls();
}

void THTMLCodeAddDlg::CreateControls()
{
    // Creation order is the tab order: name, code, OK, Abbrechen.
    QLabel* label1 = AddLabel(this, "Label1",
                              QStringLiteral("Bezeichnung der Option (z.B. WAN IP Abfrage):"), {16, 16});
    LabelEdit = new TCp1252LineEdit(this);
    LabelEdit->setObjectName(QStringLiteral("LabelEdit"));
    LabelEdit->setGeometry(16, 32, 537, 21);
    label1->setBuddy(LabelEdit);

    QLabel* label8 = AddLabel(this, "Label8", QStringLiteral("HTML-Code:"), {16, 72});
    HTMLCodeEdit = new TCp1252Memo(this);
    HTMLCodeEdit->setObjectName(QStringLiteral("HTMLCodeEdit"));
    HTMLCodeEdit->setGeometry(16, 88, 545, 145);
    label8->setBuddy(HTMLCodeEdit);

    AddLabel(this, "Label2", QStringLiteral("Anleitung.htm zu dieser Option beachten!!!!!"),
             {16, 240});
    OKBtn = AddButton(this, "OKBtn", QStringLiteral("OK"), {400, 256, 75, 25});
    CancelBtn = AddButton(this, "CancelBtn", QStringLiteral("Abbrechen"), {480, 256, 75, 25});
    connect(OKBtn, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(CancelBtn, &QPushButton::clicked, this, [this] { done(mrCancel); });

    for (QWidget* control : std::initializer_list<QWidget*>{LabelEdit, HTMLCodeEdit, OKBtn, CancelBtn})
        control->installEventFilter(this);
    LabelEdit->setFocus();
}

void THTMLCodeAddDlg::SetName(std::string_view name)
{
    LabelEdit->setText(ToQString(name));
}

std::string THTMLCodeAddDlg::Name() const
{
    return ToCp1252(LabelEdit->text());
}

void THTMLCodeAddDlg::SetCode(std::string_view code)
{
    HTMLCodeEdit->setPlainText(ToQString(code));
    m_setCode = code;
    m_shownCode = HTMLCodeEdit->SavedText();
}

std::string THTMLCodeAddDlg::Code() const
{
    const QString shown = HTMLCodeEdit->SavedText();
    return shown == m_shownCode ? m_setCode : ToCp1252(shown);
}

int THTMLCodeAddDlg::Run()
{
    if (RunHook())
        return RunHook()(*this);
    const QRect screenArea = screen()->availableGeometry();
    move(screenArea.center() - rect().center());
    return exec();
}

void THTMLCodeAddDlg::SetRunHook(TRunHook hook)
{
    RunHook() = std::move(hook);
}

void THTMLCodeAddDlg::done(int result)
{
    if (result == mrOk)
        ExitFocusedField();
    QDialog::done(result);
}

void THTMLCodeAddDlg::reject()
{
    done(mrCancel);
}

bool THTMLCodeAddDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (IsEnterPress(event)) {
        if (watched == LabelEdit || watched == HTMLCodeEdit)
            return EnterKeyPress();
        // A button that has the focus is pressed by Enter, as by Space.
        static_cast<QPushButton*>(watched)->click();
        return true;
    }
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Switching to another window or opening a context menu does not
        // leave the field.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == LabelEdit)
                Guarded([this] { LabelEditExit(); })();
            else if (watched == HTMLCodeEdit)
                Guarded([this] { TrimtextEdit(); })();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void THTMLCodeAddDlg::ExitFocusedField()
{
    if (focusWidget() == LabelEdit)
        LabelEditExit();
    else if (focusWidget() == HTMLCodeEdit)
        TrimtextEdit();
}

void THTMLCodeAddDlg::LabelEditExit()
{
    const QString trimmed = TrimmedName(LabelEdit->text());
    if (trimmed != LabelEdit->text())
        LabelEdit->setText(trimmed);
}

void THTMLCodeAddDlg::TrimtextEdit()
{
    const QString code = HTMLCodeEdit->SavedText();
    const QString normalized = ToQString(NormalizeHtmlCode(ToCp1252(code)));
    if (normalized != code)
        HTMLCodeEdit->setPlainText(normalized);
}

bool THTMLCodeAddDlg::EnterKeyPress()
{
    // Queued, so that the focus moves once the key event is finished.
    QMetaObject::invokeMethod(this, [this] { focusNextChild(); }, Qt::QueuedConnection);
    return true;
}
