#pragma once

#include "MainUnit.h"
#include "RouterEntry.h"
#include "RouterList.h"
#include "WMsgBox.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <QObject>
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

// The base of the window's test classes: each test gets a folder of its own
// for the routers file and the pages it writes, a recorder that answers every
// message box, and the editor window once it is opened. All goes away after
// the test; a test class with more to set up calls init and cleanup from its
// own.
class TEditorFixture : public QObject {
    Q_OBJECT

protected slots:
    void init();
    void cleanup();

protected:
    const QString& Path() const { return m_path; }
    TMainEditor& Window() const { return *m_window; }
    TMsgBoxRecorder& Boxes() const { return *m_boxes; }

    bool WriteRouters(TRouterList& routers);
    // Shows the window on the routers file and makes it the active one;
    // false when it never got active.
    bool Open();
    bool Open(TRouterList routers);
    // Opened with the test page in front.
    bool OpenOnTestPage(TRouterList routers);
    TRouterList ReadBack() const;
    // Writes a file of that name in the test's folder and returns its path.
    QString WriteFile(const QString& name, const QByteArray& bytes) const;
    // Runs the test page's test of the status query of `statusButton` on a
    // page with those bytes; false when the page could not be written.
    bool RunStaticTest(const char* statusButton, const QByteArray& page);

    template <typename T = QWidget>
    T* W(const char* name) const
    {
        return Child<T>(*m_window, name);
    }
    void Click(const char* name) const;
    // The text of an edit or a memo.
    QString Text(const char* name) const;
    void PickRouter(int index) const;
    void ShowPageOf(QWidget* control) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    std::unique_ptr<TMsgBoxRecorder> m_boxes;
    std::unique_ptr<TMainEditor> m_window;
};
