// Writes one PNG per tab page of the editor window, for the documentation:
//   ui-screenshots <routers file> <output directory>
#include "EditorApplication.h"
#include "MainUnit.h"
#include "QtMessageBox.h"

#include <QDir>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTest>

#include <cstdio>

int main(int argc, char** argv)
{
    TEditorApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <routers file> <output directory>\n", argv[0]);
        return 2;
    }
    InstallQtMessageBox();
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    TMainEditor window(argv[1]);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    const QDir output(QString::fromLocal8Bit(argv[2]));
    auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PC"));
    for (int index = 0; index < pages->count(); ++index) {
        pages->setCurrentIndex(index);
        QTest::qWait(50);
        const QString file = output.filePath(QStringLiteral("page-%1.png").arg(index));
        if (!window.grab().save(file))
            return 1;
    }
    return 0;
}
