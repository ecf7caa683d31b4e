#pragma once

#include "MainUnit.h"
#include "RouterEntry.h"
#include "RouterList.h"
#include "WMsgBox.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <QWidget>

#include <deque>
#include <memory>
#include <string>
#include <vector>

// A few routers that use every field.
TRouterList SampleRouters();
TRouterEntry SampleRouter(const std::string& name);

// Answers every message box in place of the user and keeps what was asked.
class TMsgBoxRecorder {
public:
    struct TCall {
        std::string text;
        std::string caption;
        unsigned style;
    };

    TMsgBoxRecorder();
    ~TMsgBoxRecorder();

    void AnswerNext(int answer) { m_answers.push_back(answer); }
    const std::vector<TCall>& Calls() const { return m_calls; }
    void Clear() { m_calls.clear(); }

private:
    std::vector<TCall> m_calls;
    std::deque<int> m_answers;
};

// The child of that name; a missing child ends the test run with the names
// that do exist.
template <typename T>
T* Child(const QWidget& parent, const char* name)
{
    T* child = parent.findChild<T*>(QLatin1String(name));
    if (!child) {
        QStringList names;
        for (const QObject* object : parent.findChildren<QObject*>())
            if (!object->objectName().isEmpty())
                names << object->objectName();
        qFatal("No child %s of type %s; children: %s", name, T::staticMetaObject.className(),
               qPrintable(names.join(QLatin1Char(' '))));
    }
    return child;
}

QByteArray ReadFileBytes(const QString& path);

// The editor on a routers file in `dir` that holds `routers`, shown, with the
// test tab page in front; null when the window was never shown.
std::unique_ptr<TMainEditor> OpenOnTestPage(const QTemporaryDir& dir, TRouterList routers);
// Saves `page` in `dir` and runs the test tab's test of the status query of
// `statusButton` on it; false when the page could not be saved.
bool RunStaticTest(TMainEditor& window, const QTemporaryDir& dir, const char* statusButton,
                   const QByteArray& page);

// The editor window on a routers file in a folder of its own, which goes
// away with the fixture.
class TEditorFixture {
public:
    TEditorFixture();

    const QString& Path() const { return m_path; }
    bool WriteRouters(TRouterList& routers);
    // Shows the window and makes it the active one; false when it never got
    // active.
    bool Open();
    TRouterList ReadBack() const;
    TMainEditor& Window() const { return *m_window; }

    template <typename T = QWidget>
    T* W(const char* name) const
    {
        return Child<T>(*m_window, name);
    }
    void Click(const char* name) const;
    void ShowPageOf(QWidget* control) const;

private:
    QTemporaryDir m_dir;
    QString m_path;
    std::unique_ptr<TMainEditor> m_window;
};
