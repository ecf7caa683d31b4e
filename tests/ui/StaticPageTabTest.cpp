#include "MainUnit.h"
#include "RouterFile.h"
#include "UiTestSupport.h"

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class StaticPageTabTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsWithStatus1AndEmptyDisplays();
    void status1ShowsStateAndAddress_data();
    void status1ShowsStateAndAddress();
    void propertiesFillTheGridAndShrinkIt();
    void testUsesTheSavedRecordNotTheControls();
    void quotesAreRemovedFromTheFileName();
    void missingPageGoesToTheErrorHandler();
    void emptyRouterListEndsWithTheIndexError();
    void pageIsDisabledWhileEditing();

private:
    void Open(bool withRouters = true);
    QString WritePage(const QByteArray& bytes);
    void RunTest(const char* statusButton, const QString& pageFile);
    template <typename T = QWidget>
    T* W(const char* name) const
    {
        return Child<T>(*m_window, name);
    }
    QString Cell(int row, int column) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TMsgBoxRecorder> m_boxes;
    std::unique_ptr<TMainEditor> m_window;
};

void StaticPageTabTest::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_boxes = std::make_unique<TMsgBoxRecorder>();
}

void StaticPageTabTest::cleanup()
{
    m_window.reset();
    m_boxes.reset();
    m_dir.reset();
}

void StaticPageTabTest::Open(bool withRouters)
{
    const std::string path = m_dir->filePath(QStringLiteral("Routers.dat")).toStdString();
    TRouterList routers = withRouters ? SampleRouters() : TRouterList();
    QVERIFY(SaveRouterList(routers, path));
    m_window = std::make_unique<TMainEditor>(path);
    m_window->show();
    W<QTabWidget>("PC")->setCurrentIndex(8);
}

QString StaticPageTabTest::WritePage(const QByteArray& bytes)
{
    const QString path = m_dir->filePath(QStringLiteral("status.htm"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write the page");
    return path;
}

void StaticPageTabTest::RunTest(const char* statusButton, const QString& pageFile)
{
    W<QAbstractButton>(statusButton)->click();
    W<QLineEdit>("StatFileName")->setText(pageFile);
    W<QAbstractButton>("TestBtn")->click();
}

QString StaticPageTabTest::Cell(int row, int column) const
{
    const QTableWidgetItem* item = W<QTableWidget>("Grid")->item(row, column);
    return item ? item->text() : QString();
}

void StaticPageTabTest::startsWithStatus1AndEmptyDisplays()
{
    Open();
    QVERIFY(W<QAbstractButton>("Status1Btn")->isChecked());
    QCOMPARE(W<QLabel>("Label8")->text(), QStringLiteral("OFFLINE"));
    QCOMPARE(W<QLabel>("CurrIPLabel")->text(), QStringLiteral("????"));
    QCOMPARE(W<QTableWidget>("Grid")->rowCount(), 1);
    QCOMPARE(W<QLineEdit>("StatFileName")->text(), QString());
    QCOMPARE(W("Grid")->geometry(), QRect(8, 40, 436, 337));
    QCOMPARE(W("TestBtn")->geometry(), QRect(544, 40, 65, 22));
}

void StaticPageTabTest::status1ShowsStateAndAddress_data()
{
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("address");
    QTest::newRow("online") << QByteArray("<tr><td>IP-Adresse:</td><td> 84.1.2.3 </td></tr>")
                            << "ONLINE" << "84.1.2.3";
    QTest::newRow("offline wins over the address")
        << QByteArray("<td>0.0.0.0</td><td>IP-Adresse:</td><td>84.1.2.3</td>") << "OFFLINE" << "";
    QTest::newRow("neither") << QByteArray("<html></html>") << "ONLINE" << "";
    QTest::newRow("leading NUL") << QByteArray("\0<td>IP-Adresse:</td><td>10.0.0.1</td>", 38)
                                 << "ONLINE" << "10.0.0.1";
    QTest::newRow("no file") << QByteArray() << "ONLINE" << "";
}

void StaticPageTabTest::status1ShowsStateAndAddress()
{
    QFETCH(QByteArray, page);
    QFETCH(QString, state);
    QFETCH(QString, address);
    Open();
    RunTest("Status1Btn", page.isEmpty() ? QString() : WritePage(page));
    QCOMPARE(W<QLabel>("Label8")->text(), state);
    QCOMPARE(W<QLabel>("CurrIPLabel")->text(), address);
    QCOMPARE(W<QTableWidget>("Grid")->rowCount(), 1);
    QVERIFY(m_boxes->Calls().empty());
}

void StaticPageTabTest::propertiesFillTheGridAndShrinkIt()
{
    Open();
    RunTest("Status2Btn", WritePage("<td>Down:</td><td>1000 kbit</td><td>Up:</td><td>128</td>"));
    QCOMPARE(W<QTableWidget>("Grid")->rowCount(), 2);
    QCOMPARE(Cell(0, 0), QStringLiteral("Downstream:"));
    QCOMPARE(Cell(0, 1), QStringLiteral("1000kbit"));
    QCOMPARE(Cell(1, 0), QStringLiteral("Upstream:"));
    QCOMPARE(Cell(1, 1), QStringLiteral("128"));
    QCOMPARE(W<QLabel>("Label8")->text(), QStringLiteral("OFFLINE")); // status 1 display untouched

    RunTest("Status2Btn", WritePage("<td>Up:</td><td>64</td>"));
    QCOMPARE(W<QTableWidget>("Grid")->rowCount(), 1);
    QCOMPARE(Cell(0, 0), QStringLiteral("Upstream:"));

    RunTest("Status4Btn", WritePage("nichts"));
    QCOMPARE(W<QTableWidget>("Grid")->rowCount(), 1);
    QCOMPARE(Cell(0, 0), QString());
}

void StaticPageTabTest::testUsesTheSavedRecordNotTheControls()
{
    Open();
    W<QAbstractButton>("EditBtn")->click();
    W<QPlainTextEdit>("BeforeIPAddressEdit")->setPlainText(QStringLiteral("anders"));
    W<QAbstractButton>("CancelBtn")->click();
    RunTest("Status1Btn", WritePage("<td>IP-Adresse:</td><td>1.2.3.4</td>"));
    QCOMPARE(W<QLabel>("CurrIPLabel")->text(), QStringLiteral("1.2.3.4"));
}

void StaticPageTabTest::quotesAreRemovedFromTheFileName()
{
    Open();
    auto* fileName = W<QLineEdit>("StatFileName");
    fileName->setText(QStringLiteral("\"/tmp/a \"b\".htm\""));
    QCOMPARE(fileName->text(), QStringLiteral("/tmp/a b.htm"));
}

void StaticPageTabTest::missingPageGoesToTheErrorHandler()
{
    Open();
    const QString missing = m_dir->filePath(QStringLiteral("fehlt.htm"));
    RunTest("Status1Btn", missing);
    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
    const TMsgBoxRecorder::TCall& error = m_boxes->Calls().front();
    QCOMPARE(error.style, MsgBox::MB_ICONHAND | MsgBox::MB_OK);
    const std::string start = "Datei " + missing.toStdString() + " kann nicht ge\xF6" "ffnet werden. ";
    QCOMPARE(error.text.substr(0, start.size()), start);
    QCOMPARE(W<QLabel>("Label8")->text(), QStringLiteral("OFFLINE"));
    QCOMPARE(W<QLabel>("CurrIPLabel")->text(), QStringLiteral("????"));
}

void StaticPageTabTest::emptyRouterListEndsWithTheIndexError()
{
    Open(false);
    RunTest("Status1Btn", QString());
    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
    QCOMPARE(m_boxes->Calls().front().text,
             std::string("Listenindex \xFC" "berschreitet das Maximum (-1)"));
    QCOMPARE(W<QLabel>("Label8")->text(), QStringLiteral("OFFLINE"));
}

void StaticPageTabTest::pageIsDisabledWhileEditing()
{
    Open();
    W<QAbstractButton>("EditBtn")->click();
    for (const char* name : {"StatFileName", "Status1Btn", "TestBtn", "Grid"})
        QVERIFY2(!W(name)->isEnabled(), name);
    W<QAbstractButton>("SaveBtn")->click();
    for (const char* name : {"StatFileName", "Status1Btn", "TestBtn", "Grid"})
        QVERIFY2(W(name)->isEnabled(), name);
}

QTEST_MAIN(StaticPageTabTest)
#include "StaticPageTabTest.moc"
