#include "MainUnit.h"
#include "RouterFile.h"
#include "StringGrid.h"
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
#include <optional>

class StaticPageTabTest : public TEditorFixture {
    Q_OBJECT

private slots:
    void startsWithStatus1AndEmptyDisplays();
    void status1ShowsStateAndAddress_data();
    void status1ShowsStateAndAddress();
    void propertiesFillTheGridAndShrinkIt();
    void testUsesTheSavedRecordNotTheControls();
    void quotesAreRemovedFromTheFileName();
    void missingPageGoesToTheErrorHandler();
    void emptyRouterListEndsWithTheIndexError();
    void pageIsDisabledWhileEditing();
    void duplicateNamesGiveOneRowSpeltAsTheLastLine();
    void eachKindOfTestLeavesTheOtherDisplays();
    void fileIsReadAnewOnEveryTest();
    void gridDrawsItsCellsInLimeOnBlackFromTheTopLeft();
    void gridDrawsNoSelection();
    void gridKeepsAtLeastOneRow();
    void valueRunningToThePageEndIsShownWhole();
    void gridIsOneStopInTheTabOrderAndShowsItsFocus();
    void keysChooseTheQueryAndRunTheTest();

private:
    void OpenTab(bool withRouters = true);
    void OpenTab(TRouterList routers);
    QString WritePage(const QByteArray& bytes) const;
    void RunTest(const char* statusButton, const QString& pageFile);
    QString Cell(int row, int column) const;
};

void StaticPageTabTest::OpenTab(bool withRouters)
{
    OpenTab(withRouters ? SampleRouters() : TRouterList());
}

void StaticPageTabTest::OpenTab(TRouterList routers)
{
    QVERIFY(OpenOnTestPage(std::move(routers)));
}

QString StaticPageTabTest::WritePage(const QByteArray& bytes) const
{
    const QString path = WriteFile(QStringLiteral("status.htm"), bytes);
    if (path.isEmpty())
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
    OpenTab();
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
    QTest::newRow("NUL before the markers") << QByteArray("<a>\0<td>IP-Adresse:</td><td>10.0.0.1</td>", 41)
                                            << "ONLINE" << "";
    QTest::newRow("no file") << QByteArray() << "ONLINE" << "";
}

void StaticPageTabTest::status1ShowsStateAndAddress()
{
    QFETCH(QByteArray, page);
    QFETCH(QString, state);
    QFETCH(QString, address);
    OpenTab();
    RunTest("Status1Btn", page.isEmpty() ? QString() : WritePage(page));
    QCOMPARE(W<QLabel>("Label8")->text(), state);
    QCOMPARE(W<QLabel>("CurrIPLabel")->text(), address);
    QCOMPARE(W<QTableWidget>("Grid")->rowCount(), 1);
    QVERIFY(m_boxes->Calls().empty());
}

void StaticPageTabTest::propertiesFillTheGridAndShrinkIt()
{
    OpenTab();
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
    OpenTab();
    W<QAbstractButton>("EditBtn")->click();
    W<QPlainTextEdit>("BeforeIPAddressEdit")->setPlainText(QStringLiteral("anders"));
    W<QAbstractButton>("CancelBtn")->click();
    RunTest("Status1Btn", WritePage("<td>IP-Adresse:</td><td>1.2.3.4</td>"));
    QCOMPARE(W<QLabel>("CurrIPLabel")->text(), QStringLiteral("1.2.3.4"));
}

void StaticPageTabTest::quotesAreRemovedFromTheFileName()
{
    OpenTab();
    auto* fileName = W<QLineEdit>("StatFileName");
    fileName->setText(QStringLiteral("\"/tmp/a \"b\".htm\""));
    QCOMPARE(fileName->text(), QStringLiteral("/tmp/a b.htm"));
}

void StaticPageTabTest::missingPageGoesToTheErrorHandler()
{
    OpenTab();
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
    OpenTab(false);
    RunTest("Status1Btn", QString());
    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
    QCOMPARE(m_boxes->Calls().front().text,
             std::string("Listenindex \xFC" "berschreitet das Maximum (-1)"));
    QCOMPARE(W<QLabel>("Label8")->text(), QStringLiteral("OFFLINE"));
}

void StaticPageTabTest::pageIsDisabledWhileEditing()
{
    OpenTab();
    W<QAbstractButton>("EditBtn")->click();
    for (const char* name : {"StatFileName", "Status1Btn", "TestBtn", "Grid"})
        QVERIFY2(!W(name)->isEnabled(), name);
    W<QAbstractButton>("SaveBtn")->click();
    for (const char* name : {"StatFileName", "Status1Btn", "TestBtn", "Grid"})
        QVERIFY2(W(name)->isEnabled(), name);
}

void StaticPageTabTest::duplicateNamesGiveOneRowSpeltAsTheLastLine()
{
    TRouterList routers;
    TRouterEntry entry = SampleRouter("Doppelt");
    entry.Status2Values.Clear();
    entry.Status2Values.Add("wan=WAN:");
    entry.Status2Values.Add("Other=x:");
    entry.Status2Values.Add("WAN=LAN:");
    routers.Add("Doppelt", std::make_unique<TRouterEntry>(entry));
    OpenTab(std::move(routers));
    RunTest("Status2Btn", WritePage("WAN:1<LAN:2<x:3<"));
    QCOMPARE(W<QTableWidget>("Grid")->rowCount(), 2);
    QCOMPARE(Cell(0, 0), QStringLiteral("WAN:"));
    QCOMPARE(Cell(0, 1), QStringLiteral("1"));
    QCOMPARE(Cell(1, 0), QStringLiteral("Other:"));
    QCOMPARE(Cell(1, 1), QStringLiteral("3"));
}

void StaticPageTabTest::eachKindOfTestLeavesTheOtherDisplays()
{
    OpenTab();
    const QString page = WritePage("<td>IP-Adresse:</td><td>1.2.3.4</td><td>Down:</td><td>99</td>");
    RunTest("Status2Btn", page);
    RunTest("Status1Btn", page);
    QCOMPARE(W<QLabel>("CurrIPLabel")->text(), QStringLiteral("1.2.3.4"));
    QCOMPARE(Cell(0, 1), QStringLiteral("99"));
    RunTest("Status3Btn", WritePage("Kanal:11<"));
    QCOMPARE(Cell(0, 1), QStringLiteral("11"));
    QCOMPARE(W<QLabel>("Label8")->text(), QStringLiteral("ONLINE"));
    QCOMPARE(W<QLabel>("CurrIPLabel")->text(), QStringLiteral("1.2.3.4"));
}

void StaticPageTabTest::fileIsReadAnewOnEveryTest()
{
    OpenTab();
    RunTest("Status3Btn", WritePage("Kanal:1<"));
    QCOMPARE(Cell(0, 1), QStringLiteral("1"));
    WritePage("Kanal:13<");
    W<QAbstractButton>("TestBtn")->click();
    QCOMPARE(Cell(0, 1), QStringLiteral("13"));
}

namespace {

bool IsBlack(QRgb pixel)
{
    return qRed(pixel) < 16 && qGreen(pixel) < 16 && qBlue(pixel) < 16;
}

// The first pixel of the rectangle that is not black, row by row or
// column by column.
std::optional<int> FirstLit(const QImage& image, const QRect& rect, bool byColumn)
{
    const int outer = byColumn ? rect.width() : rect.height();
    const int inner = byColumn ? rect.height() : rect.width();
    for (int i = 0; i < outer; ++i)
        for (int j = 0; j < inner; ++j) {
            const QPoint at = byColumn ? rect.topLeft() + QPoint(i, j) : rect.topLeft() + QPoint(j, i);
            if (!IsBlack(image.pixel(at)))
                return i;
        }
    return std::nullopt;
}

} // namespace

void StaticPageTabTest::gridDrawsItsCellsInLimeOnBlackFromTheTopLeft()
{
    OpenTab();
    RunTest("Status2Btn", WritePage("<td>Down:</td><td>1000 kbit</td>"));
    auto* grid = W<QTableWidget>("Grid");
    const QImage image = grid->viewport()->grab().toImage();
    const QRect cell = grid->visualItemRect(grid->item(0, 1));
    QCOMPARE(cell.height(), 18);
    QCOMPARE(cell.width(), 200);
    const QRect inner = cell.adjusted(2, 2, -2, -2);
    bool lime = false;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            QVERIFY2(IsBlack(pixel) || (qGreen(pixel) > 2 * qRed(pixel) && qGreen(pixel) > 2 * qBlue(pixel)),
                     "only lime text on black");
            QVERIFY2(inner.contains(x, y) || IsBlack(pixel), "nothing drawn in the 2-pixel margin");
            lime = lime || (qRed(pixel) == 0 && qGreen(pixel) > 150 && qBlue(pixel) == 0);
        }
    QVERIFY(lime);
    // Left and top aligned: the text starts right at the shrunk rectangle.
    QVERIFY(FirstLit(image, inner, true).value_or(99) <= 2);
    QVERIFY(FirstLit(image, inner, false).value_or(99) <= 4);
    QVERIFY(!FirstLit(image, QRect(inner.left() + 80, inner.top(), 20, inner.height()), true)); // no wrap, short text
}

void StaticPageTabTest::gridDrawsNoSelection()
{
    OpenTab();
    RunTest("Status2Btn", WritePage("<td>Down:</td><td>1000</td><td>Up:</td><td>64</td>"));
    auto* grid = W<QTableWidget>("Grid");
    grid->setFocus(Qt::TabFocusReason);
    const QImage before = grid->viewport()->grab().toImage();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualItemRect(grid->item(1, 0)).center());
    QCOMPARE(grid->selectionModel()->selectedRows().size(), 1); // the whole row is selected ...
    QCOMPARE(grid->viewport()->grab().toImage(), before);        // ... and nothing shows it
}

void StaticPageTabTest::gridKeepsAtLeastOneRow()
{
    OpenTab();
    auto* grid = W<TStringGrid>("Grid");
    grid->SetRowCount(0);
    QCOMPARE(grid->rowCount(), 1);
    grid->SetRowCount(5);
    grid->setRowCount(0);
    QCOMPARE(grid->rowCount(), 1);
    grid->removeRow(0);
    QCOMPARE(grid->rowCount(), 1);
}

void StaticPageTabTest::valueRunningToThePageEndIsShownWhole()
{
    OpenTab();
    const QByteArray rest = QByteArray(200000, 'x') + QByteArray("\0<\xE4", 3);
    RunTest("Status3Btn", WritePage("Kanal:" + rest));
    auto* grid = W<TStringGrid>("Grid");
    QCOMPARE(grid->Cell(1, 0), QString::fromLatin1(rest)); // the whole value, behind the NUL too
    QVERIFY(grid->DrawnText(1, 0).size() < 1000);          // drawing converts only what fits
}

void StaticPageTabTest::gridIsOneStopInTheTabOrderAndShowsItsFocus()
{
    OpenTab();
    auto* grid = W<QTableWidget>("Grid");
    const QImage unfocused = grid->viewport()->grab().toImage();
    for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
        grid->setFocus(Qt::TabFocusReason);
        QVERIFY(grid->viewport()->grab().toImage() != unfocused);
        QTest::keyClick(grid, key);
        QVERIFY(!grid->hasFocus());
    }
    grid->setFocus(Qt::TabFocusReason);
    QTest::keyClick(grid, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(W<QTabWidget>("PC")->currentIndex(), 7);
}

// Strg+1 to 4 choose the status query, F5 tests, Strg+F opens the match view.
void StaticPageTabTest::keysChooseTheQueryAndRunTheTest()
{
    OpenTab();
    W<QLineEdit>("StatFileName")->setText(WritePage("<td>Down:</td><td>1000</td>"));
    QTest::keyClick(&Window(), Qt::Key_2, Qt::ControlModifier);
    QTRY_VERIFY(W<QAbstractButton>("Status2Btn")->isChecked());
    QTest::keyClick(&Window(), Qt::Key_F5);
    QTRY_COMPARE(Cell(0, 1), QStringLiteral("1000"));
    QTest::keyClick(&Window(), Qt::Key_F, Qt::ControlModifier);
    QTRY_VERIFY(Window().findChild<QWidget*>(QStringLiteral("MatchView")));
}

QTEST_MAIN(StaticPageTabTest)
#include "StaticPageTabTest.moc"
