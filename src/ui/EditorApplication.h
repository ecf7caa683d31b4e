#pragma once

#include <QApplication>

// Catches whatever escapes an event handler, so that the window goes on.
class TEditorApplication : public QApplication {
    Q_OBJECT

public:
    TEditorApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
