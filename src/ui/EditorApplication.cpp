#include "EditorApplication.h"

#include "ErrorHandler.h"

#include <QWidget>

namespace {

// A dialog, message box or window of the editor's that closes hands the
// keyboard back to the window it was shown over. Window managers do that;
// without one, as on the VNC display, the keyboard would go nowhere until
// the user clicks a window.
void ReturnActivation(QObject* receiver, const QEvent* event)
{
    if (event->type() != QEvent::Hide || !receiver->isWidgetType())
        return;
    const auto* closing = static_cast<QWidget*>(receiver);
    const Qt::WindowType type = closing->windowType();
    if ((type != Qt::Dialog && type != Qt::Window) || !closing->parentWidget())
        return;
    const QWidget* active = QApplication::activeWindow();
    if (active && active != closing) // another window has the keyboard already
        return;
    QWidget* owner = closing->parentWidget()->window();
    if (owner->isVisible())
        owner->activateWindow();
}

} // namespace

TEditorApplication::TEditorApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TEditorApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        ReturnActivation(receiver, event);
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowCurrentException();
        return false;
    }
}
