#include "UiTestSupport.h"

#include "RouterFile.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
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
    SetMessageBoxFunction([this](const TCp1252Text& text, const TCp1252Text& caption, unsigned style) {
        m_calls.push_back({text.Bytes(), caption.Bytes(), style});
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

void TEditorFixture::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("Routers.dat"));
    m_boxes = std::make_unique<TMsgBoxRecorder>();
}

void TEditorFixture::cleanup()
{
    m_window.reset();
    m_boxes.reset();
    m_dir.reset();
}

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

bool TEditorFixture::Open(TRouterList routers)
{
    return WriteRouters(routers) && Open();
}

bool TEditorFixture::OpenOnTestPage(TRouterList routers)
{
    if (!Open(std::move(routers)))
        return false;
    W<QTabWidget>("PC")->setCurrentIndex(8);
    return true;
}

TRouterList TEditorFixture::ReadBack() const
{
    TRouterList routers;
    LoadRouterList(m_path.toStdString(), routers, TMissingFile::Fail);
    return routers;
}

QString TEditorFixture::WriteFile(const QString& name, const QByteArray& bytes) const
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

bool TEditorFixture::RunStaticTest(const char* statusButton, const QByteArray& page)
{
    const QString path = WriteFile(QStringLiteral("status.htm"), page);
    if (path.isEmpty())
        return false;
    W<QAbstractButton>(statusButton)->click();
    W<QLineEdit>("StatFileName")->setText(path);
    W<QAbstractButton>("TestBtn")->click();
    return true;
}

void TEditorFixture::Click(const char* name) const
{
    QTest::mouseClick(W(name), Qt::LeftButton);
}

QString TEditorFixture::Text(const char* name) const
{
    QWidget* widget = W(name);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit->text();
    return Child<QPlainTextEdit>(*m_window, name)->toPlainText();
}

void TEditorFixture::PickRouter(int index) const
{
    auto* combo = W<QComboBox>("RoutersCB");
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

void TEditorFixture::ShowPageOf(QWidget* control) const
{
    auto* pages = W<QTabWidget>("PC");
    for (int index = 0; index < pages->count(); ++index) {
        if (pages->widget(index)->isAncestorOf(control))
            pages->setCurrentIndex(index);
    }
}
