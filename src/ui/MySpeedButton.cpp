#include "MySpeedButton.h"

#include <QIcon>

// The glyphs live in this static library, whose resources are registered
// only on request. Q_INIT_RESOURCE must stand outside any namespace.
static void RegisterGlyphs()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(ui);
        return true;
    }();
    (void)registered;
}

TMySpeedButton::TMySpeedButton(QWidget* parent) : QToolButton(parent)
{
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
}

void TMySpeedButton::SetGlyph(const QString& name)
{
    RegisterGlyphs();
    QIcon icon;
    icon.addFile(QStringLiteral(":/glyphs/%1.png").arg(name), {}, QIcon::Normal);
    icon.addFile(QStringLiteral(":/glyphs/%1-disabled.png").arg(name), {}, QIcon::Disabled);
    setIcon(icon);
    setIconSize(QSize(16, 16));
}
