#include "FormBuilder.h"

#include "Cp1252LineEdit.h"
#include "Cp1252Memo.h"
#include "MySpeedButton.h"

#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>

namespace {

// Where the caption of a labelled edit sits above the edit.
constexpr int kLabelAboveEdit = 16;

} // namespace

TCp1252LineEdit* TFormBuilder::Edit(const char* name, const QRect& geometry) const
{
    auto* edit = new TCp1252LineEdit(m_page);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(geometry);
    return edit;
}

TCp1252LineEdit* TFormBuilder::LabelledEdit(const char* name, const QString& caption,
                                            const QRect& geometry) const
{
    const QByteArray labelName = QByteArray(name) + "Label";
    QLabel* label = Label(labelName.constData(), caption, {geometry.left(), geometry.top() - kLabelAboveEdit});
    TCp1252LineEdit* edit = Edit(name, geometry);
    label->setBuddy(edit);
    return edit;
}

TCp1252Memo* TFormBuilder::Memo(const char* name, const QRect& geometry) const
{
    auto* memo = new TCp1252Memo(m_page);
    memo->setObjectName(QLatin1String(name));
    memo->setGeometry(geometry);
    return memo;
}

QLabel* TFormBuilder::Label(const char* name, const QString& text, const QPoint& position) const
{
    auto* label = new QLabel(m_page);
    label->setObjectName(QLatin1String(name));
    // Several texts hold "<...>", which must not be taken for markup.
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->move(position);
    label->adjustSize();
    return label;
}

QLabel* TFormBuilder::WrappedLabel(const char* name, const QString& text, const QRect& geometry) const
{
    QLabel* label = Label(name, text, geometry.topLeft());
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(geometry);
    return label;
}

QPushButton* TFormBuilder::Button(const char* name, const QString& text, const QRect& geometry) const
{
    auto* button = new QPushButton(text, m_page);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    // Enter presses the button that has the focus, as Space does.
    button->setAutoDefault(true);
    return button;
}

TMySpeedButton* TFormBuilder::SpeedButton(const char* name, const QString& text, const QRect& geometry) const
{
    auto* button = new TMySpeedButton(m_page);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setGeometry(geometry);
    return button;
}

QComboBox* TFormBuilder::DropDownList(const char* name, const QRect& geometry) const
{
    auto* combo = new QComboBox(m_page);
    combo->setObjectName(QLatin1String(name));
    combo->setGeometry(geometry);
    // The list has a fixed size: measuring thousands of names for a size
    // hint would only slow it down.
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    combo->setMaxVisibleItems(30);
    if (auto* view = qobject_cast<QListView*>(combo->view()))
        view->setUniformItemSizes(true);
    combo->view()->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return combo;
}
