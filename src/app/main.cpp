#include "ErrorHandler.h"
#include "MainUnit.h"
#include "QtMessageBox.h"

#include <QScreen>
#include <QStyleFactory>

int main(int argc, char** argv)
{
    TEditorApplication app(argc, argv);
#ifndef Q_OS_WIN
    // Windows has a message box of its own, which ShowMsgBox shows there.
    InstallQtMessageBox();
#endif
    try {
        // One style everywhere, so that the window looks the same on every
        // desktop.
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        TMainEditor window(ExeDirectory() + "Routers.dat");
        const QRect screen = window.screen()->availableGeometry();
        window.move(screen.center() - window.rect().center());
        window.show();
        return app.exec();
    } catch (...) {
        ShowCurrentException();
        return 1;
    }
}
