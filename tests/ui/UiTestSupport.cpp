#include "UiTestSupport.h"

#include "RouterFile.h"

#include <QAbstractButton>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

#include <memory>

TRouterEntry SampleRouter(const std::string& name)
{
    TRouterEntry entry = NewRouterEntry();
    entry.RouterVendor = name;
    entry.HTTPPort = 8080;
    entry.BrowserAuth = 0;
    entry.AuthString = "login.cgi?user=%USERNAME%&pass=%PASSWORD%";
    entry.SavedAt = 45000.5;
    entry.RouterVendorURL = "www.example.org/" + name;
    entry.Comments = "Firmware 1.2\r\nKontakt: admin@example.org";
    entry.GoOnline = "<POST>cgi-bin/goinet.cgi";
    entry.GoOffline = "cgi-bin/online3.cgi";
    entry.SignOffURL = "logout.htm";
    entry.StatusPage = "doc/m5.htm";
    entry.OfflineCode = "<td>0.0.0.0</td>";
    entry.BeforeIPAddress = "IP-Adresse:</td><td>";
    entry.AfterIPAddress = "</td>";
    entry.Status2Page = "doc/dsl.htm";
    entry.Status2Values.Add("Downstream=<td>Down:</td><td>");
    entry.Status2Values.Add("Upstream=<td>Up:</td><td>");
    entry.Status3Page = "doc/wlan.htm";
    entry.Status3Values.Add("Kanal=Kanal:");
    entry.UserDef1 = "cgi-bin/reboot.cgi";
    entry.UserDef2 = "<POST>cgi-bin/wlan.cgi?on=1";
    entry.Reserved1 = "alt";
    entry.ReservedFlag = 7;
    return entry;
}

TRouterList SampleRouters()
{
    TRouterList list;
    for (const char* name : {"Beta 300", "Alpha 100", "Gamma G\xE4ste-Router"})
        list.Add(name, std::make_unique<TRouterEntry>(SampleRouter(name)));
    list.Entry(0).BrowserAuth = 1; // Alpha logs in through the browser
    return list;
}

TMsgBoxRecorder::TMsgBoxRecorder()
{
    SetMessageBoxFunction([this](const std::string& text, const std::string& caption, unsigned style) {
        m_calls.push_back({text, caption, style});
        if (m_answers.empty())
            return MsgBox::IDOK;
        const int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    });
}

TMsgBoxRecorder::~TMsgBoxRecorder()
{
    SetMessageBoxFunction({});
}

QByteArray ReadFileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::unique_ptr<TMainEditor> OpenOnTestPage(const QTemporaryDir& dir, TRouterList routers)
{
    const std::string path = dir.filePath(QStringLiteral("Routers.dat")).toStdString();
    if (!SaveRouterList(routers, path))
        return nullptr;
    auto window = std::make_unique<TMainEditor>(path);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return nullptr;
    Child<QTabWidget>(*window, "PC")->setCurrentIndex(8);
    return window;
}

bool RunStaticTest(TMainEditor& window, const QTemporaryDir& dir, const char* statusButton,
                   const QByteArray& page)
{
    const QString path = dir.filePath(QStringLiteral("status.htm"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(page) != page.size())
        return false;
    file.close();
    Child<QAbstractButton>(window, statusButton)->click();
    Child<QLineEdit>(window, "StatFileName")->setText(path);
    Child<QAbstractButton>(window, "TestBtn")->click();
    return true;
}

TEditorFixture::TEditorFixture() : m_path(m_dir.filePath(QStringLiteral("Routers.dat"))) {}

bool TEditorFixture::WriteRouters(TRouterList& routers)
{
    return SaveRouterList(routers, m_path.toStdString());
}

bool TEditorFixture::Open()
{
    m_window = std::make_unique<TMainEditor>(m_path.toStdString());
    m_window->show();
    m_window->activateWindow();
    return QTest::qWaitForWindowActive(m_window.get());
}

TRouterList TEditorFixture::ReadBack() const
{
    TRouterList routers;
    LoadRouterList(m_path.toStdString(), routers, TMissingFile::Fail);
    return routers;
}

void TEditorFixture::Click(const char* name) const
{
    QTest::mouseClick(W(name), Qt::LeftButton);
}

void TEditorFixture::ShowPageOf(QWidget* control) const
{
    auto* pages = W<QTabWidget>("PC");
    for (int index = 0; index < pages->count(); ++index) {
        if (pages->widget(index)->isAncestorOf(control))
            pages->setCurrentIndex(index);
    }
}
