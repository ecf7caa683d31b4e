#include "AtomicFile.h"
#include "MainUnit.h"
#include "MergeRouterUnit.h"
#include "QtText.h"
#include "RouterFile.h"
#include "UiTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cerrno>
#include <cmath>
#include <memory>

using TMode = TMainEditor::TMode;

namespace {

const QString kStartCaption = QStringLiteral("Tarvelo Editor (Abfrage Weboberfläche) 1.14");

const char* const kEditingControls[] = {
    "RouterVendorEdit", "RouterVendorURLEdit", "CommentsEdit",     "BrowserAuthChkBox",
    "RHTTPPort",        "GoOnlineEdit",        "GoOfflineEdit",    "SignOffURLEdit",
    "StatusPageEdit",   "OfflineCodeEdit",     "BeforeIPAddressEdit", "AfterIPAddressEdit",
    "Status2PageEdit",  "Status3PageEdit",     "Status4PageEdit",  "UserDef1Edit",
    "UserDef2Edit",     "UserDef3Edit",        "VEditor0",         "VEditor1",
    "VEditor2",         "ValueAddBtn",         "ValueEditBtn",     "ValueDelBtn",
    "ValueAddBtn1",     "ValueEditBtn1",       "ValueDelBtn1",     "ValueAddBtn2",
    "ValueEditBtn2",    "ValueDelBtn2",        "DupBtn",           "DupBtn1",
    "DupBtn2"};

} // namespace

class MainEditorTest : public TEditorFixture {
    Q_OBJECT

private slots:
    void startUpShowsFirstRouterInBrowseMode();
    void everyLabelIsFullyVisible();
    void everyPageShowsItsTabInFull();
    void missingOrEmptyFileStartsEmptyAndTakesANewRouter_data();
    void missingOrEmptyFileStartsEmptyAndTakesANewRouter();
    void modesFollowTheStateTable();
    void saveWritesEveryFieldAndRenamesInPlace();
    void newRouterUnderAnExistingNameKeepsBoth();
    void cancelRestoresTheSavedValues();
    void browserLoginRule();
    void deleteAsksFirst_data();
    void deleteAsksFirst();
    void deletingTheLastRouterKeepsItsValuesShown();
    void enterMovesTheFocusInsteadOfBreakingLines();
    void leavingAFieldNormalizesIt_data();
    void leavingAFieldNormalizesIt();
    void portFieldStaysInRange();
    void textsSurviveShowAndSave();
    void damagedFileIsReportedOnce();
    void unreadableFileGoesToTheErrorHandler();
    void focusLandsWhereTheWorkGoesOn();
    void keysWorkWhileTheirButtonsDoAndLoseNoTyping();
    void longRouterListOpensAsAScrollingList();
    void disabledTextIsReadable();
    void closingAsksAboutUnsavedEdits_data();
    void closingAsksAboutUnsavedEdits();
    void closingAfterAFailedWriteAsksAgain();
    void questionsShowNamesWithTheirControlCharactersEscaped();

private:
    void WriteSample();
    void ExpectMode(TMode mode);
    void ExpectComboMatchesList();
};

void MainEditorTest::WriteSample()
{
    TRouterList routers = SampleRouters();
    QVERIFY(WriteRouters(routers));
}

void MainEditorTest::ExpectMode(TMode mode)
{
    const bool browsing = mode == TMode::Browse;
    QCOMPARE(m_window->Mode(), mode);
    for (const char* name : kEditingControls)
        QVERIFY2(W(name)->isEnabled() == !browsing, name);
    const bool authEditable = !browsing && !W<QCheckBox>("BrowserAuthChkBox")->isChecked();
    QCOMPARE(W("AuthStringEdit")->isEnabled(), authEditable);
    QCOMPARE(W("RoutersCB")->isEnabled(), browsing);
    QCOMPARE(W("NewBtn")->isEnabled(), browsing);
    const bool selected = m_window->Routers().HasSelection();
    QCOMPARE(W("EditBtn")->isEnabled(), browsing && selected);
    QCOMPARE(W("DeleteBtn")->isEnabled(), browsing && selected);
    QCOMPARE(W("SaveBtn")->isEnabled(), !browsing);
    QCOMPARE(W("CancelBtn")->isEnabled(), !browsing);
    QCOMPARE(W("TS5")->isEnabled(), browsing);
    QVERIFY(W("Button1")->isEnabled());
    QVERIFY(W("Button2")->isEnabled());
}

void MainEditorTest::ExpectComboMatchesList()
{
    auto* combo = W<QComboBox>("RoutersCB");
    const TRouterList& routers = m_window->Routers();
    QCOMPARE(combo->count(), routers.Count());
    for (int index = 0; index < routers.Count(); ++index)
        QCOMPARE(combo->itemText(index), ToQString(routers.Name(index)));
    QCOMPARE(combo->currentIndex(), routers.Selected());
}

void MainEditorTest::startUpShowsFirstRouterInBrowseMode()
{
    WriteSample();
    QVERIFY(Open());
    QCOMPARE(m_window->windowTitle(), kStartCaption);
    QCOMPARE(m_window->size(), QSize(637, 511));
    QCOMPARE(W<QTabWidget>("PC")->currentIndex(), 0);
    QCOMPARE(W<QTabWidget>("PC")->tabText(8), QStringLiteral("Testen mit statischen Seiten"));
    ExpectMode(TMode::Browse);
    ExpectComboMatchesList();
    QCOMPARE(W<QComboBox>("RoutersCB")->itemText(2), QStringLiteral("Gamma Gäste-Router"));
    QCOMPARE(m_window->Routers().Selected(), 0);
    QCOMPARE(Text("RouterVendorEdit"), QStringLiteral("Alpha 100"));
    QCOMPARE(Text("CommentsEdit"), QStringLiteral("Firmware 1.2\nKontakt: admin@example.org"));
    // The browser-login box is checked, yet browse mode shows the stored text.
    QVERIFY(W<QCheckBox>("BrowserAuthChkBox")->isChecked());
    QCOMPARE(Text("AuthStringEdit"), QStringLiteral("login.cgi?user=%USERNAME%&pass=%PASSWORD%"));
    QCOMPARE(W<QSpinBox>("RHTTPPort")->value(), 8080);
    QCOMPARE(W("RoutersCB")->geometry(), QRect(8, 16, 401, 21));
    QCOMPARE(W("SaveBtn")->geometry(), QRect(472, 475, 75, 25));
    QCOMPARE(W("GoOnlineEdit")->geometry(), QRect(16, 40, 545, 21));
    QCOMPARE(W("VEditor2")->geometry(), QRect(16, 96, 545, 241));
    QCOMPARE(W<QToolButton>("DeleteBtn")->text(), QStringLiteral("Löschen"));
    QVERIFY(!W<QToolButton>("NewBtn")->icon().isNull());
    QVERIFY(m_boxes->Calls().empty());
}

// Texts that the platform font renders wider than the layout's boxes would be
// cut off; every label must fit its box and its page.
void MainEditorTest::everyLabelIsFullyVisible()
{
    WriteSample();
    QVERIFY(Open());
    auto* pages = W<QTabWidget>("PC");
    for (int index = 0; index < pages->count(); ++index) {
        QWidget* page = pages->widget(index);
        QVERIFY(page->width() >= 601 && page->height() >= 377);
        for (QLabel* label : page->findChildren<QLabel*>()) {
            const QString name = label->objectName();
            QVERIFY2(label->geometry().right() < page->width(), qPrintable(name));
            QVERIFY2(label->geometry().bottom() < page->height(), qPrintable(name));
            if (label->wordWrap())
                QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(name));
            else
                QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(name));
        }
    }
}

// Nine captions are wider than the bar: it shows whole tabs around the
// current one, and the arrows and Ctrl+Tab reach the others.
void MainEditorTest::everyPageShowsItsTabInFull()
{
    WriteSample();
    QVERIFY(Open());
    auto* pages = W<QTabWidget>("PC");
    QTabBar* bar = pages->tabBar();
    // Whole tabs only; an arrow works while tabs are hidden on its side.
    const auto expectWholeTabs = [&] {
        QCoreApplication::processEvents(); // the bar is laid out anew
        QCOMPARE(W("PreviousPageBtn")->isEnabled(), !bar->isTabVisible(0));
        QCOMPARE(W("NextPageBtn")->isEnabled(), !bar->isTabVisible(pages->count() - 1));
        for (int tab = 0; tab < pages->count(); ++tab) {
            if (bar->isTabVisible(tab))
                QVERIFY2(bar->rect().contains(bar->tabRect(tab)), qPrintable(pages->tabText(tab)));
        }
        QVERIFY(bar->geometry().right() < W("PreviousPageBtn")->mapTo(pages, QPoint(0, 0)).x());
    };
    for (int index = 0; index < pages->count(); ++index) {
        pages->setCurrentIndex(index);
        QVERIFY(bar->isTabVisible(index));
        expectWholeTabs();
    }
    QTest::keyClick(pages, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(pages->currentIndex(), 7);
    // From anywhere in the window, and on from the last page to the first.
    for (const int next : {8, 0}) {
        QTest::keyClick(W("RoutersCB"), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(pages->currentIndex(), next);
    }

    // The arrows scroll the bar and leave the page; in edit mode they bring
    // the disabled test tab into view.
    pages->setCurrentIndex(0);
    Click("EditBtn");
    for (int tabs = 0; W("NextPageBtn")->isEnabled() && tabs < pages->count(); ++tabs) {
        Click("NextPageBtn");
        expectWholeTabs();
    }
    QVERIFY(bar->isTabVisible(8));
    QVERIFY(!bar->isTabVisible(0));
    QCOMPARE(pages->currentIndex(), 0);
    QVERIFY(W("RouterVendorEdit")->isVisible());
    while (W("PreviousPageBtn")->isEnabled())
        Click("PreviousPageBtn");
    expectWholeTabs();
    QVERIFY(bar->isTabVisible(0));
    QCOMPARE(pages->currentIndex(), 0);
}

void MainEditorTest::missingOrEmptyFileStartsEmptyAndTakesANewRouter_data()
{
    QTest::addColumn<bool>("exists");
    QTest::newRow("missing") << false;
    QTest::newRow("empty") << true;
}

void MainEditorTest::missingOrEmptyFileStartsEmptyAndTakesANewRouter()
{
    QFETCH(bool, exists);
    if (exists) {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(Open());
    QVERIFY(QFile::exists(m_path));
    QCOMPARE(QFileInfo(m_path).size(), 0);
    QCOMPARE(m_window->windowTitle(), kStartCaption);
    QVERIFY(m_window->Routers().Empty());
    ExpectMode(TMode::Browse);
    QCOMPARE(Text("RouterVendorEdit"), QString());
    QCOMPARE(W<QSpinBox>("RHTTPPort")->value(), 80);
    QVERIFY(!W<QCheckBox>("BrowserAuthChkBox")->isChecked());

    const double before = CurrentDateTime();
    Click("NewBtn");
    Click("SaveBtn");
    const double after = CurrentDateTime();
    ExpectMode(TMode::Browse);
    ExpectComboMatchesList();

    TRouterList saved = ReadBack();
    QCOMPARE(saved.Count(), 1);
    TRouterEntry expected = NewRouterEntry();
    expected.HTTPPort = 80;
    expected.BrowserAuth = 1;
    expected.SavedAt = saved.Entry(0).SavedAt;
    QVERIFY(saved.Entry(0) == expected);
    QVERIFY(expected.SavedAt >= before - 1e-6 && expected.SavedAt <= after + 1e-6);
}

void MainEditorTest::modesFollowTheStateTable()
{
    WriteSample();
    QVERIFY(Open());
    PickRouter(1);
    ExpectMode(TMode::Browse);
    QCOMPARE(Text("RouterVendorEdit"), QStringLiteral("Beta 300"));

    W<QTabWidget>("PC")->setCurrentIndex(3);
    Click("NewBtn");
    ExpectMode(TMode::New);
    QCOMPARE(W<QTabWidget>("PC")->currentIndex(), 0);
    QCOMPARE(Text("RouterVendorEdit"), QString());
    QCOMPARE(Text("OfflineCodeEdit"), QString());
    QCOMPARE(W<QSpinBox>("RHTTPPort")->value(), 80);
    QVERIFY(W<QCheckBox>("BrowserAuthChkBox")->isChecked());
    QVERIFY(!W("Label19")->isEnabled());
    QVERIFY(!W("Label20")->isEnabled());
    QCOMPARE(W<QTableView>("VEditor0")->model()->rowCount(), 1);
    QCOMPARE(W<QTableView>("VEditor0")->model()->index(0, 0).data().toString(), QString());

    Click("CancelBtn");
    ExpectMode(TMode::Browse);
    QCOMPARE(Text("RouterVendorEdit"), QStringLiteral("Beta 300"));

    Click("EditBtn");
    ExpectMode(TMode::Edit);
    Click("SaveBtn");
    ExpectMode(TMode::Browse);
    Click("EditBtn");
    Click("CancelBtn");
    ExpectMode(TMode::Browse);
    QCOMPARE(m_window->Routers().Selected(), 1);
    ExpectComboMatchesList();
}

void MainEditorTest::saveWritesEveryFieldAndRenamesInPlace()
{
    WriteSample();
    QVERIFY(Open());
    PickRouter(1);
    Click("EditBtn");
    W<QLineEdit>("RouterVendorEdit")->setText(QStringLiteral("Zeta 900"));
    W<QPlainTextEdit>("CommentsEdit")->setPlainText(QStringLiteral("eins\nzwei"));
    W<QSpinBox>("RHTTPPort")->setValue(81);
    W<QCheckBox>("BrowserAuthChkBox")->setChecked(false);
    W<QLineEdit>("UserDef3Edit")->setText(QStringLiteral("neu.cgi"));
    ShowPageOf(W("GoOnlineEdit"));
    W("GoOnlineEdit")->setFocus(Qt::MouseFocusReason);
    W<QLineEdit>("GoOnlineEdit")->setText(QStringLiteral("/<post>/go.cgi"));
    const double before = CurrentDateTime();
    Click("SaveBtn"); // takes the focus, so the request is normalised first

    ExpectMode(TMode::Browse);
    ExpectComboMatchesList();
    QCOMPARE(W<QComboBox>("RoutersCB")->itemText(1), QStringLiteral("Zeta 900"));
    QCOMPARE(Text("GoOnlineEdit"), QStringLiteral("<POST>go.cgi"));

    TRouterList saved = ReadBack();
    QCOMPARE(saved.Count(), 3);
    QCOMPARE(saved.Name(2), std::string("Zeta 900")); // sorted again on reading
    const TRouterEntry& record = saved.Entry(2);
    TRouterEntry expected = SampleRouter("Beta 300");
    expected.RouterVendor = "Zeta 900";
    expected.Comments = "eins\r\nzwei";
    expected.HTTPPort = 81;
    expected.GoOnline = "<POST>go.cgi";
    expected.UserDef3 = "neu.cgi";
    expected.Reserved1.clear();
    expected.ReservedFlag = 1;
    expected.SavedAt = record.SavedAt;
    QVERIFY(record == expected);
    QVERIFY(record.SavedAt >= before - 1e-6 && record.SavedAt <= CurrentDateTime() + 1e-6);
    // The other routers were written as they were read.
    QCOMPARE(saved.Entry(0).Reserved1, std::string("alt"));
    QCOMPARE(saved.Entry(1).ReservedFlag, 7);

    // In the file the records stand in list order: renamed in place.
    TRouterList unsorted(TRouterList::TOrder::Unsorted);
    ParseRouterFile(ReadFileBytes(m_path).toStdString(), unsorted);
    QCOMPARE(unsorted.Name(1), std::string("Zeta 900"));
}

void MainEditorTest::newRouterUnderAnExistingNameKeepsBoth()
{
    WriteSample();
    QVERIFY(Open());
    Click("NewBtn");
    W<QLineEdit>("RouterVendorEdit")->setText(QStringLiteral("alpha 100"));
    W<QLineEdit>("GoOfflineEdit")->setText(QStringLiteral("off.cgi"));
    Click("SaveBtn");

    ExpectComboMatchesList();
    QCOMPARE(m_window->Routers().Count(), 4);
    QCOMPARE(W<QComboBox>("RoutersCB")->itemText(0), QStringLiteral("Alpha 100"));
    QCOMPARE(W<QComboBox>("RoutersCB")->itemText(1), QStringLiteral("alpha 100"));
    QCOMPARE(m_window->Routers().Selected(), 0);
    QCOMPARE(Text("RouterVendorEdit"), QStringLiteral("Alpha 100"));

    TRouterList unsorted(TRouterList::TOrder::Unsorted);
    ParseRouterFile(ReadFileBytes(m_path).toStdString(), unsorted);
    QCOMPARE(unsorted.Count(), 4);
    QCOMPARE(unsorted.Entry(0).GoOffline, std::string("cgi-bin/online3.cgi"));
    QCOMPARE(unsorted.Entry(1).RouterVendor, std::string("alpha 100"));
    QCOMPARE(unsorted.Entry(1).GoOffline, std::string("off.cgi"));
}

void MainEditorTest::cancelRestoresTheSavedValues()
{
    WriteSample();
    QVERIFY(Open());
    const QByteArray fileBefore = ReadFileBytes(m_path);
    Click("EditBtn");
    W<QLineEdit>("RouterVendorEdit")->setText(QStringLiteral("anders"));
    W<QPlainTextEdit>("BeforeIPAddressEdit")->setPlainText(QStringLiteral("x"));
    W<QSpinBox>("RHTTPPort")->setValue(1);
    Click("CancelBtn");
    QCOMPARE(Text("RouterVendorEdit"), QStringLiteral("Alpha 100"));
    QCOMPARE(Text("BeforeIPAddressEdit"), QStringLiteral("IP-Adresse:</td><td>"));
    QCOMPARE(W<QSpinBox>("RHTTPPort")->value(), 8080);
    QCOMPARE(ReadFileBytes(m_path), fileBefore);
    ExpectComboMatchesList();
}

void MainEditorTest::browserLoginRule()
{
    WriteSample();
    QVERIFY(Open());
    auto* box = W<QCheckBox>("BrowserAuthChkBox");
    auto* authEdit = W<QLineEdit>("AuthStringEdit");

    // Alpha logs in through the browser: Ändern empties the stored text.
    Click("EditBtn");
    QCOMPARE(authEdit->text(), QString());
    QVERIFY(!authEdit->isEnabled());
    box->setChecked(false);
    QVERIFY(authEdit->isEnabled());
    QVERIFY(W("Label19")->isEnabled() && W("Label20")->isEnabled());
    QCOMPARE(authEdit->text(), QString());
    authEdit->setText(QStringLiteral("form.cgi"));
    box->setChecked(true);
    QCOMPARE(authEdit->text(), QString());
    QVERIFY(!authEdit->isEnabled());
    Click("SaveBtn");
    QCOMPARE(ReadBack().Entry(0).AuthString, std::string());
    QCOMPARE(ReadBack().Entry(0).BrowserAuth, 1);

    // Beta logs in through a form: its text stays and can be edited.
    PickRouter(1);
    QVERIFY(!authEdit->isEnabled());
    QVERIFY(W("Label19")->isEnabled());
    Click("EditBtn");
    QVERIFY(authEdit->isEnabled());
    QCOMPARE(authEdit->text(), QStringLiteral("login.cgi?user=%USERNAME%&pass=%PASSWORD%"));
}

void MainEditorTest::deleteAsksFirst_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("Ja") << int(MsgBox::IDYES);
    QTest::newRow("Nein") << int(MsgBox::IDNO);
}

void MainEditorTest::deleteAsksFirst()
{
    QFETCH(int, answer);
    WriteSample();
    QVERIFY(Open());
    PickRouter(2);
    const QByteArray fileBefore = ReadFileBytes(m_path);
    m_boxes->AnswerNext(answer);
    Click("DeleteBtn");

    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
    const TMsgBoxRecorder::TCall& question = m_boxes->Calls().front();
    QCOMPARE(question.text, std::string("M\xF6" "chten Sie den Router \"Gamma G\xE4" "ste-Router\" wirklich l\xF6schen?"));
    QCOMPARE(question.caption, std::string("Best\xE4tigung"));
    QCOMPARE(question.style, 0x10024u);
    ExpectMode(TMode::Browse);
    ExpectComboMatchesList();
    if (answer == MsgBox::IDNO) {
        QCOMPARE(m_window->Routers().Count(), 3);
        QCOMPARE(ReadFileBytes(m_path), fileBefore);
        return;
    }
    QCOMPARE(m_window->Routers().Count(), 2);
    QCOMPARE(m_window->Routers().Selected(), 0);
    QCOMPARE(Text("RouterVendorEdit"), QStringLiteral("Alpha 100"));
    TRouterList saved = ReadBack();
    QCOMPARE(saved.Count(), 2);
    QCOMPARE(saved.FindByName("Gamma G\xE4ste-Router"), -1);
}

void MainEditorTest::deletingTheLastRouterKeepsItsValuesShown()
{
    TRouterList one;
    one.Add("Solo", std::make_unique<TRouterEntry>(SampleRouter("Solo")));
    QVERIFY(WriteRouters(one));
    QVERIFY(Open());
    m_boxes->AnswerNext(MsgBox::IDYES);
    Click("DeleteBtn");
    QVERIFY(m_window->Routers().Empty());
    QVERIFY(!m_window->Routers().HasSelection());
    ExpectMode(TMode::Browse);
    ExpectComboMatchesList();
    QCOMPARE(Text("RouterVendorEdit"), QStringLiteral("Solo"));
    QCOMPARE(ReadBack().Count(), 0);
}

void MainEditorTest::enterMovesTheFocusInsteadOfBreakingLines()
{
    WriteSample();
    QVERIFY(Open());
    Click("EditBtn");
    auto* name = W<QLineEdit>("RouterVendorEdit");
    name->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(name, Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), W("RouterVendorURLEdit"));
    QCOMPARE(name->text(), QStringLiteral("Alpha 100"));

    auto* comments = W<QPlainTextEdit>("CommentsEdit");
    comments->setFocus(Qt::MouseFocusReason);
    comments->moveCursor(QTextCursor::End);
    QTest::keyClick(comments, Qt::Key_Enter);
    QTRY_COMPARE(QApplication::focusWidget(), W("SaveBtn")); // RoutersCB is disabled
    QCOMPARE(comments->blockCount(), 2);

    ShowPageOf(W("OfflineCodeEdit"));
    auto* offline = W<QPlainTextEdit>("OfflineCodeEdit");
    offline->setFocus(Qt::MouseFocusReason);
    offline->moveCursor(QTextCursor::End);
    QTest::keyClick(offline, Qt::Key_Return);
    QTest::keyClicks(offline, QStringLiteral("x"));
    QCOMPARE(QApplication::focusWidget(), offline);
    QCOMPARE(offline->toPlainText(), QStringLiteral("<td>0.0.0.0</td>\nx"));
}

void MainEditorTest::leavingAFieldNormalizesIt_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("afterFirstExit");
    QTest::addColumn<QString>("afterSecondExit");
    for (const char* request : {"GoOnlineEdit", "GoOfflineEdit", "SignOffURLEdit", "StatusPageEdit",
                                "Status2PageEdit", "Status3PageEdit", "Status4PageEdit",
                                "AuthStringEdit", "UserDef1Edit", "UserDef2Edit", "UserDef3Edit"})
        QTest::newRow(request) << request << "//<post>/x" << "/<post>/x" << "<POST>x";
    for (const char* code : {"OfflineCodeEdit", "BeforeIPAddressEdit", "AfterIPAddressEdit"})
        QTest::newRow(code) << code << "<td> a\tb\nc</td>" << "<td>ab\r\nc</td>" << "<td>abc</td>";
    for (const char* asTyped : {"RouterVendorEdit", "RouterVendorURLEdit"})
        QTest::newRow(asTyped) << asTyped << " /x " << " /x " << " /x ";
}

void MainEditorTest::leavingAFieldNormalizesIt()
{
    QFETCH(QString, control);
    QFETCH(QString, typed);
    QFETCH(QString, afterSecondExit);
    WriteSample();
    QVERIFY(Open());
    PickRouter(1); // Beta: the login text field is open for editing
    Click("EditBtn");
    QWidget* field = W(control.toLatin1().constData());
    ShowPageOf(field);
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->setText(typed);
    else
        static_cast<QPlainTextEdit*>(field)->setPlainText(typed);

    // A memo's lines are joined before the code is normalised, so one exit
    // leaves nothing of the line break; a request loses one slash per exit.
    const auto leave = [&] {
        field->setFocus(Qt::MouseFocusReason);
        W("CancelBtn")->setFocus(Qt::TabFocusReason);
    };
    leave();
    if (qobject_cast<QLineEdit*>(field)) {
        QFETCH(QString, afterFirstExit);
        QCOMPARE(Text(control.toLatin1().constData()), afterFirstExit);
        leave();
    }
    QString shown = Text(control.toLatin1().constData());
    QCOMPARE(shown, afterSecondExit);
}

void MainEditorTest::portFieldStaysInRange()
{
    TRouterList routers;
    for (const auto& [name, port] : {std::pair{"Null", 0}, std::pair{"Riesig", 70000}}) {
        TRouterEntry entry = SampleRouter(name);
        entry.HTTPPort = port;
        routers.Add(name, std::make_unique<TRouterEntry>(entry));
    }
    QVERIFY(WriteRouters(routers));
    QVERIFY(Open());
    auto* port = W<QSpinBox>("RHTTPPort");
    QCOMPARE(port->value(), 1);
    PickRouter(1);
    QCOMPARE(port->value(), 65535);

    Click("EditBtn");
    port->findChild<QLineEdit*>()->clear();
    W<QPushButton>("SaveBtn")->click(); // no focus move: the field is still empty
    QCOMPARE(ReadBack().Entry(1).HTTPPort, 1);
}

// A record's texts go through Show router and Save unchanged, as far as the
// controls hold them: a memo that shows its text with CR LF line breaks
// knows no lone CR or LF.
void MainEditorTest::textsSurviveShowAndSave()
{
    using namespace std::string_literals;
    TRouterEntry entry = SampleRouter("Roh");
    entry.GoOnline = "a\0b\r\nc\xA0"s;
    entry.RouterVendorURL = "\x80\x81\xFF"s;
    entry.Comments = "x\0y\r\n\r\nz\xA0 "s;
    entry.BeforeIPAddress = "\t<b>\r\n"s;
    entry.OfflineCode = "u\nv"s;
    entry.Status2Values.Add("a=b=c");
    TRouterList routers;
    routers.Add("Roh", std::make_unique<TRouterEntry>(entry));
    QVERIFY(WriteRouters(routers));
    QVERIFY(Open());
    const std::vector<std::string> linesAsLoaded = m_window->Routers().Entry(0).Status2Values.Lines();
    Click("EditBtn");
    W<QPushButton>("SaveBtn")->click();

    TRouterEntry saved = ReadBack().Entry(0);
    QCOMPARE(saved.GoOnline, entry.GoOnline);
    QCOMPARE(saved.RouterVendorURL, entry.RouterVendorURL);
    QCOMPARE(saved.Comments, entry.Comments);
    QCOMPARE(saved.BeforeIPAddress, std::string("<b>\r\n")); // the writer drops TABs
    QCOMPARE(saved.OfflineCode, std::string("u\nv"));
    QCOMPARE(m_window->Routers().Entry(0).Status2Values.Lines(), linesAsLoaded);
    QCOMPARE(saved.Status2Values.Value("a"), std::string("b=c"));
}

void MainEditorTest::damagedFileIsReportedOnce()
{
    WriteSample();
    QFile file(m_path);
    QVERIFY(file.resize(file.size() - 10));
    TRouterList expected;
    const TLoadResult result = ParseRouterFile(ReadFileBytes(m_path).toStdString(), expected);
    QVERIFY(!result.complete);
    QVERIFY(Open());
    QTRY_COMPARE(m_boxes->Calls().size(), std::size_t(1));
    QTest::qWait(20);
    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
    const TMsgBoxRecorder::TCall& warning = m_boxes->Calls().front();
    QCOMPARE(warning.caption, std::string("Warnung"));
    QCOMPARE(warning.style, MsgBox::MB_SETFOREGROUND | MsgBox::MB_ICONHAND);
    const QString text = ToQString(warning.text);
    QVERIFY2(text.contains(QStringLiteral("ab Byte %1 ").arg(result.damagedOffset)), qPrintable(text));
    QCOMPARE(m_window->Routers().Count(), expected.Count());
    QCOMPARE(m_window->windowTitle(), kStartCaption);
}

void MainEditorTest::unreadableFileGoesToTheErrorHandler()
{
    m_path = m_dir->filePath(QStringLiteral("fehlt/Routers.dat"));
    QVERIFY(Open());
    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
    const TMsgBoxRecorder::TCall& error = m_boxes->Calls().front();
    QCOMPARE(error.caption, std::string("Maineditortest"));
    QCOMPARE(error.style, MsgBox::MB_ICONHAND | MsgBox::MB_OK);
    QVERIFY2(error.text.find("kann nicht erstellt werden") != std::string::npos, error.text.c_str());
    QCOMPARE(error.text.back(), '.');
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Tarvelo Editor (Abfrage Weboberfläche)"));
    QVERIFY(m_window->Routers().Empty());
    ExpectMode(TMode::Browse);
}

void MainEditorTest::focusLandsWhereTheWorkGoesOn()
{
    WriteSample();
    QVERIFY(Open());
    auto* pages = W<QTabWidget>("PC");
    Click("NewBtn");
    QCOMPARE(QApplication::focusWidget(), W("RouterVendorEdit"));
    Click("CancelBtn");
    QCOMPARE(QApplication::focusWidget(), W("RoutersCB"));
    pages->setCurrentIndex(2);
    Click("EditBtn");
    QCOMPARE(QApplication::focusWidget(), W("GoOnlineEdit"));
    Click("SaveBtn");
    QCOMPARE(QApplication::focusWidget(), W("RoutersCB"));
    pages->setCurrentIndex(8); // no field to edit: the tab bar, to go on from there
    Click("EditBtn");
    QCOMPARE(QApplication::focusWidget(), pages->tabBar());
}

void MainEditorTest::keysWorkWhileTheirButtonsDoAndLoseNoTyping()
{
    WriteSample();
    QVERIFY(Open());
    const auto press = [](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    };
    W("Button1")->setFocus();
    press(Qt::Key_Delete);
    W("RoutersCB")->setFocus();
    press(Qt::Key_Delete); // answered with OK, which is no Yes
    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
    QCOMPARE(ReadBack().Count(), 3);

    press(Qt::Key_F2);
    QTRY_COMPARE(m_window->Mode(), TMode::Edit);
    press(Qt::Key_N, Qt::ControlModifier); // Neu is disabled
    QTest::qWait(200);
    QCOMPARE(m_window->Mode(), TMode::Edit);
    press(Qt::Key_Escape); // nothing changed: no question
    QCOMPARE(m_window->Mode(), TMode::Browse);

    press(Qt::Key_N, Qt::ControlModifier);
    QTRY_COMPARE(m_window->Mode(), TMode::New);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Delta"));
    m_boxes->AnswerNext(MsgBox::IDCANCEL);
    press(Qt::Key_Escape);
    QCOMPARE(m_boxes->Calls().size(), std::size_t(2));
    QCOMPARE(m_window->Mode(), TMode::New);
    press(Qt::Key_S, Qt::ControlModifier);
    QTRY_COMPARE(m_window->Mode(), TMode::Browse);
    QVERIFY(ReadBack().FindByName("Delta") >= 0);
}

void MainEditorTest::longRouterListOpensAsAScrollingList()
{
    TRouterList routers;
    for (int index = 0; index < 5000; ++index)
        routers.Add("Router " + std::to_string(index), std::make_unique<TRouterEntry>(NewRouterEntry()));
    QVERIFY(WriteRouters(routers));
    QVERIFY(Open());
    const auto expectScrollingList = [](QComboBox* combo) {
        combo->showPopup();
        QWidget* popup = combo->view()->window();
        QTRY_VERIFY(popup->isVisible());
        QVERIFY(combo->view()->verticalScrollBar()->isVisible());
        QVERIFY(popup->height() < 32 * combo->view()->sizeHintForRow(0));
        combo->hidePopup();
    };
    expectScrollingList(W<QComboBox>("RoutersCB"));
    // The same file offered for merging.
    TMergeRouterDlg dialog(m_window.get());
    dialog.LoadRouters(m_path);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    expectScrollingList(Child<QComboBox>(dialog, "ComboBox1"));
}

// Browse mode shows a definition in disabled controls: WCAG's 4.5:1 at least.
void MainEditorTest::disabledTextIsReadable()
{
    const auto luminance = [](const QColor& color) {
        const auto linear = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) + 0.0722 * linear(color.blueF());
    };
    WriteSample();
    QVERIFY(Open());
    for (const char* name : {"RouterVendorEdit", "CommentsEdit", "RHTTPPort", "BrowserAuthChkBox", "Label19"}) {
        QWidget* control = W(name);
        QVERIFY2(!control->isEnabled(), name);
        const bool field = qobject_cast<QLineEdit*>(control) || qobject_cast<QPlainTextEdit*>(control)
                           || qobject_cast<QSpinBox*>(control);
        const QPalette& colors = control->palette();
        const double text = luminance(colors.color(QPalette::Disabled, field ? QPalette::Text : QPalette::WindowText));
        const double ground = luminance(colors.color(QPalette::Disabled, field ? QPalette::Base : QPalette::Window));
        QVERIFY2((std::max(text, ground) + 0.05) / (std::min(text, ground) + 0.05) >= 4.5, name);
    }
}

void MainEditorTest::closingAsksAboutUnsavedEdits_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("saved");
    QTest::newRow("Speichern") << int(MsgBox::IDYES) << true << true;
    QTest::newRow("Verwerfen") << int(MsgBox::IDNO) << true << false;
    QTest::newRow("Abbrechen") << int(MsgBox::IDCANCEL) << false << false;
}

void MainEditorTest::closingAsksAboutUnsavedEdits()
{
    QFETCH(int, answer);
    QFETCH(bool, closes);
    QFETCH(bool, saved);
    TRouterList routers = SampleRouters();
    routers.Entry(0).GoOnline = "//cgi-bin/goinet.cgi";
    routers.Entry(0).BeforeIPAddress = "IP-Adresse: </td>\r\n<td>";
    QVERIFY(Open(std::move(routers)));
    const QByteArray fileBefore = ReadFileBytes(m_path);
    // Nothing changed, nothing asked, also when leaving fields normalised them.
    Click("EditBtn");
    for (const char* name : {"GoOnlineEdit", "BeforeIPAddressEdit", "GoOnlineEdit", "RouterVendorEdit"}) {
        ShowPageOf(W(name));
        W(name)->setFocus();
    }
    QCOMPARE(Text("GoOnlineEdit"), QStringLiteral("cgi-bin/goinet.cgi"));
    QVERIFY(m_window->close());
    QVERIFY(m_boxes->Calls().empty());

    m_window->show();
    Click("CancelBtn");
    Click("NewBtn");
    W<QLineEdit>("RouterVendorEdit")->setText(QStringLiteral("Ungespeichert"));
    m_boxes->AnswerNext(answer);
    QCOMPARE(m_window->close(), closes);
    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
    QCOMPARE(m_boxes->Calls().front().style & MsgBox::MB_TYPEMASK, MsgBox::MB_YESNOCANCEL);
    QCOMPARE(ReadBack().FindByName("Ungespeichert") >= 0, saved);
    if (!saved)
        QCOMPARE(ReadFileBytes(m_path), fileBefore);
    QCOMPARE(m_window->isVisible(), !closes);
}

// "Speichern" whose write fails keeps the window open, and closing asks
// again as long as the file lacks what the list holds.
void MainEditorTest::closingAfterAFailedWriteAsksAgain()
{
    WriteSample();
    QVERIFY(Open());
    Click("NewBtn");
    W<QLineEdit>("RouterVendorEdit")->setText(QStringLiteral("Ungespeichert"));
    m_boxes->AnswerNext(MsgBox::IDYES);
    SetWriteFaultForTesting(TWriteStep::Create, ENOSPC);
    QVERIFY(!m_window->close());
    QCOMPARE(m_boxes->Calls().size(), std::size_t(2)); // the question, the failure
    m_boxes->AnswerNext(MsgBox::IDYES);
    QVERIFY(m_window->close());
    QVERIFY(ReadBack().FindByName("Ungespeichert") >= 0);
}

void MainEditorTest::questionsShowNamesWithTheirControlCharactersEscaped()
{
    // A name that would start a line of its own in the question.
    const std::string evil = "Evil\nFAKE\x1b[2J";
    TRouterList routers;
    routers.Add(evil, std::make_unique<TRouterEntry>(SampleRouter(evil)));
    QVERIFY(Open(std::move(routers)));
    m_boxes->AnswerNext(MsgBox::IDNO);
    Click("DeleteBtn");
    Click("EditBtn");
    W<QLineEdit>("GoOnlineEdit")->setText(QStringLiteral("ge\u00e4ndert"));
    m_boxes->AnswerNext(MsgBox::IDCANCEL);
    QVERIFY(!m_window->close());
    QCOMPARE(m_boxes->Calls().size(), std::size_t(2));
    for (const TMsgBoxRecorder::TCall& call : m_boxes->Calls())
        QVERIFY2(call.text.find("Evil\\x0aFAKE\\x1b[2J") != std::string::npos, call.text.c_str());
}

QTEST_MAIN(MainEditorTest)
#include "MainEditorTest.moc"
