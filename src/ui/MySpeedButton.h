#pragma once

#include <QToolButton>

// A flat button that shows its hint as a tooltip and carries a number that
// tells like buttons apart. It takes no keyboard focus, so clicking it leaves
// the focus where it was.
class TMySpeedButton : public QToolButton {
    Q_OBJECT
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)

public:
    explicit TMySpeedButton(QWidget* parent = nullptr);

    int Tag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }

    void SetHint(const QString& hint) { setToolTip(hint); }
    // A glyph from the resources, with its own picture for the disabled state.
    void SetGlyph(const QString& name);

private:
    int m_tag = 0;
};
