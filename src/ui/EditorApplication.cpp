#include "EditorApplication.h"

#include "ErrorHandler.h"

TEditorApplication::TEditorApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TEditorApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowCurrentException();
        return false;
    }
}
