#pragma once

#include "MainUnit.h"
#include "RouterEntry.h"
#include "RouterList.h"
#include "WMsgBox.h"

#include <QByteArray>
#include <QStringList>
#include <QWidget>

#include <deque>
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
