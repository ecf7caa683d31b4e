#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

class QComboBox;
class QLabel;
class QPushButton;
class QWidget;
class TCp1252LineEdit;
class TCp1252Memo;
class TMySpeedButton;

// Puts controls on a tab page at fixed places, each with the object name by
// which the code and the tests find it again. Controls made one after the
// other follow each other in the keyboard tab order.
class TFormBuilder {
public:
    explicit TFormBuilder(QWidget* page) : m_page(page) {}

    QWidget* Page() const { return m_page; }

    TCp1252LineEdit* Edit(const char* name, const QRect& geometry) const;
    // A single-line edit with its caption label above it.
    TCp1252LineEdit* LabelledEdit(const char* name, const QString& caption, const QRect& geometry) const;
    TCp1252Memo* Memo(const char* name, const QRect& geometry) const;
    QLabel* Label(const char* name, const QString& text, const QPoint& position) const;
    QLabel* WrappedLabel(const char* name, const QString& text, const QRect& geometry) const;
    QPushButton* Button(const char* name, const QString& text, const QRect& geometry) const;
    TMySpeedButton* SpeedButton(const char* name, const QString& text, const QRect& geometry) const;
    // A drop-down list without free text input. However many entries it
    // holds, it opens as a list of at most 30 with a scroll bar, instead of a
    // menu as high as the screen.
    QComboBox* DropDownList(const char* name, const QRect& geometry) const;

private:
    QWidget* m_page;
};
