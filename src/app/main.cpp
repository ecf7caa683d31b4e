#include "EditorApplication.h"
#include "ErrorHandler.h"
#include "MainUnit.h"
#include "QtMessageBox.h"

#include <QLibraryInfo>
#include <QScreen>
#include <QStyleFactory>
#include <QTranslator>

#include <csignal>

int main(int argc, char** argv)
{
    TEditorApplication app(argc, argv);
#ifndef Q_OS_WIN
    // Windows has a message box of its own, which ShowMsgBox shows there.
    InstallQtMessageBox();
    // A file size limit then fails the save with its reason, instead of
    // ending the editor with every unsaved edit.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    // The toolkit's own dialogs (file selection) speak German too.
    QTranslator toolkitTexts;
    if (toolkitTexts.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&toolkitTexts);
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
