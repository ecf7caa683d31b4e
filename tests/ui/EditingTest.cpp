#include "MainUnit.h"
#include "QtText.h"
#include "RouterFile.h"
#include "UiTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include <memory>

using namespace std::string_literals;

namespace {

constexpr int kLoginPage = 1;
constexpr int kTestPage = 8;

} // namespace

// What the user types reaches the file as meant, and editing leaves the
// window where the user is.
class EditingTest : public TEditorFixture {
    Q_OBJECT

private slots:
    void portFieldTakesAnyNumberAndClampsIt_data();
    void portFieldTakesAnyNumberAndClampsIt();
    void everyEnterBreaksALineOrMovesTheFocus();
    void offlineCodeReachesTheFileAsRead();
    void changeOnTheTestPageStaysThere();
    void backupOfADamagedFileIsNamedWhenKept();
    void enterPressesTheButtonInFocus();
    void saveAppliesTheExitOfTheFieldInFocus();

private:
    void OpenSample();
    void FocusAtEnd(QPlainTextEdit* memo);
};

void EditingTest::OpenSample()
{
    TRouterList routers = SampleRouters();
    QVERIFY(WriteRouters(routers));
    QVERIFY(Open());
}

void EditingTest::FocusAtEnd(QPlainTextEdit* memo)
{
    ShowPageOf(memo);
    memo->setFocus(Qt::MouseFocusReason);
    memo->moveCursor(QTextCursor::End);
}

void EditingTest::portFieldTakesAnyNumberAndClampsIt_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("pasted");
    QTest::addColumn<bool>("leaveBeforeSaving");
    QTest::addColumn<int>("port");
    const struct {
        const char* entry;
        int port;
    } cases[] = {{"70000", 65535}, {"65536", 65535}, {"-5", 1}, {"0", 1},
                 {"", 1},          {"+443", 443},    {"99999999999999999999", 65535}};
    for (const auto& [entry, port] : cases) {
        for (const bool leave : {true, false}) {
            const char* how = leave ? "typed, left" : "typed, saved in the field";
            QTest::addRow("%s %s", entry, how) << entry << entry << false << leave << port;
        }
    }
    QTest::addRow("70000 pasted, saved in the field")
        << "70000" << "70000" << true << false << 65535;
    QTest::addRow("letters refused") << "8x1" << "81" << false << true << 81;
}

// Nothing typed is refused while typing; leaving the field, or saving while
// still in it, brings the number into range.
void EditingTest::portFieldTakesAnyNumberAndClampsIt()
{
    QFETCH(QString, entry);
    QFETCH(QString, shown);
    QFETCH(bool, pasted);
    QFETCH(bool, leaveBeforeSaving);
    QFETCH(int, port);
    OpenSample();
    Click("EditBtn");
    W<QTabWidget>("PC")->setCurrentIndex(kLoginPage);
    auto* field = W<QSpinBox>("RHTTPPort");
    auto* text = field->findChild<QLineEdit*>();
    field->setFocus(Qt::MouseFocusReason);
    field->selectAll();
    if (pasted) {
        QApplication::clipboard()->setText(entry);
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    } else {
        QTest::keyClicks(field, entry);
        if (entry.isEmpty())
            QTest::keyClick(field, Qt::Key_Delete);
    }
    QCOMPARE(text->text(), shown);

    if (leaveBeforeSaving) {
        W("CancelBtn")->setFocus(Qt::TabFocusReason);
        QCOMPARE(field->value(), port);
        QCOMPARE(text->text(), QString::number(port));
    }
    W<QAbstractButton>("SaveBtn")->click(); // leaves the focus where it is
    QCOMPARE(ReadBack().Entry(0).HTTPPort, port);
    QCOMPARE(field->value(), port);
}

// Shift+Enter would put a line separator into a memo, which the file cannot
// hold. Every Enter, whatever the modifiers, is a plain line break where Enter
// breaks lines, and a focus move where it moves the focus.
void EditingTest::everyEnterBreaksALineOrMovesTheFocus()
{
    OpenSample();
    Click("EditBtn");
    auto* offlineCode = W<QPlainTextEdit>("OfflineCodeEdit");
    auto* beforeIP = W<QPlainTextEdit>("BeforeIPAddressEdit");
    const std::pair<Qt::Key, Qt::KeyboardModifiers> enters[] = {
        {Qt::Key_Return, Qt::ShiftModifier},  {Qt::Key_Return, Qt::ControlModifier},
        {Qt::Key_Return, Qt::AltModifier},    {Qt::Key_Enter, Qt::KeypadModifier},
        {Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier}};
    FocusAtEnd(offlineCode);
    for (const auto& [key, modifiers] : enters) {
        QTest::keyClick(offlineCode, key, modifiers);
        QTest::keyClicks(offlineCode, QStringLiteral("x"));
    }
    QCOMPARE(QApplication::focusWidget(), offlineCode);
    QCOMPARE(offlineCode->document()->toRawText(),
             QStringLiteral("<td>0.0.0.0</td>\u2029x\u2029x\u2029x\u2029x\u2029x"));
    Click("SaveBtn"); // leaving the memo joins its lines
    QCOMPARE(ReadBack().Entry(0).OfflineCode, "<td>0.0.0.0</td>xxxxx"s);

    Click("EditBtn");
    for (const auto& [key, modifiers] : enters) {
        FocusAtEnd(beforeIP);
        QTest::keyClick(beforeIP, key, modifiers);
        QTRY_COMPARE(QApplication::focusWidget(), W("AfterIPAddressEdit"));
        QCOMPARE(beforeIP->blockCount(), 1);
    }
}

// A router that goes through Ändern and Speichern untouched keeps its
// offline code byte for byte; the writer only drops its TABs before the
// first NUL. Comments get CR LF line breaks, as Show router gives them.
void EditingTest::offlineCodeReachesTheFileAsRead()
{
    TRouterEntry entry = SampleRouter("Roh");
    entry.OfflineCode = "a\rb\nc\r\n\td  \0e\r\x85\tf\n"s;
    entry.Comments = "eins\nzwei\rdrei"s;
    TRouterList routers;
    routers.Add("Roh", std::make_unique<TRouterEntry>(entry));
    routers.Add("Zweiter", std::make_unique<TRouterEntry>(SampleRouter("Zweiter")));
    QVERIFY(WriteRouters(routers));
    const std::string asRead = ReadBack().Entry(0).OfflineCode;
    QCOMPARE(asRead, "a\rb\nc\r\nd  \0e\r\x85\tf\n"s);
    QVERIFY(Open());
    // With the memo in view and the focus in the list, which Ändern disables.
    ShowPageOf(W("OfflineCodeEdit"));
    W("RoutersCB")->setFocus(Qt::MouseFocusReason);

    Click("EditBtn");
    Click("SaveBtn");
    QCOMPARE(ReadBack().Entry(0).OfflineCode, asRead);
    QCOMPARE(ReadBack().Entry(0).Comments, "eins\r\nzwei\r\ndrei"s);

    // Cancelled edits and another router in between change nothing either.
    Click("EditBtn");
    W<QPlainTextEdit>("OfflineCodeEdit")->appendPlainText(QStringLiteral("neu"));
    Click("CancelBtn");
    auto* combo = W<QComboBox>("RoutersCB");
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    combo->setCurrentIndex(0);
    emit combo->activated(0);
    Click("EditBtn");
    Click("SaveBtn");
    QCOMPARE(ReadBack().Entry(0).OfflineCode, asRead);

    // Typing makes it the memo's text: lines joined by CR LF.
    Click("EditBtn");
    auto* memo = W<QPlainTextEdit>("OfflineCodeEdit");
    memo->moveCursor(QTextCursor::End);
    memo->insertPlainText(QStringLiteral("g"));
    W<QAbstractButton>("SaveBtn")->click(); // the memo was never focused
    QCOMPARE(ReadBack().Entry(0).OfflineCode, "a\r\nb\r\nc\r\nd  \0e\r\n\x85\tf\r\ng"s);

    // Leaving the memo normalises the code; behind the NUL its line breaks
    // stay as they are.
    Click("EditBtn");
    FocusAtEnd(memo);
    Click("SaveBtn");
    QCOMPARE(ReadBack().Entry(0).OfflineCode, "abcd\0e\r\n\x85\tf\r\ng"s);
}

void EditingTest::changeOnTheTestPageStaysThere()
{
    OpenSample();
    auto* pages = W<QTabWidget>("PC");
    pages->setCurrentIndex(kTestPage);
    for (const char* finish : {"CancelBtn", "SaveBtn"}) {
        Click("EditBtn");
        QCOMPARE(pages->currentIndex(), kTestPage);
        QVERIFY(!pages->isTabEnabled(kTestPage));
        QVERIFY(!W("StatFileName")->isEnabled());
        QVERIFY(!W("TestBtn")->isEnabled());
        Click(finish);
        QCOMPARE(pages->currentIndex(), kTestPage);
        QVERIFY(pages->isTabEnabled(kTestPage));
        QVERIFY(W("TestBtn")->isEnabled());
    }

    // Neu opens the first page; from another page the test page cannot be
    // reached while editing.
    Click("NewBtn");
    QCOMPARE(pages->currentIndex(), 0);
    pages->setCurrentIndex(kLoginPage);
    Click("CancelBtn");
    QCOMPARE(pages->currentIndex(), kLoginPage);
}

void EditingTest::backupOfADamagedFileIsNamedWhenKept()
{
    TRouterList routers = SampleRouters();
    QVERIFY(WriteRouters(routers));
    QFile damaged(Path());
    QVERIFY(damaged.resize(damaged.size() - 10));
    const QByteArray original = ReadFileBytes(Path());
    // A file of that name is there already, so the original goes elsewhere.
    QFile taken(Path() + QStringLiteral(".bak"));
    QVERIFY(taken.open(QIODevice::WriteOnly));
    taken.close();
    QVERIFY(Open());

    QTRY_COMPARE(m_boxes->Calls().size(), std::size_t(1));
    const QString warning = ToQString(m_boxes->Calls().front().text);
    QVERIFY2(!warning.contains(QStringLiteral(".bak")), qPrintable(warning));
    m_boxes->Clear();

    Click("EditBtn");
    Click("SaveBtn");
    const QString kept = Path() + QStringLiteral(".bak2");
    QCOMPARE(ReadFileBytes(kept), original);
    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
    const TMsgBoxRecorder::TCall& note = m_boxes->Calls().front();
    QCOMPARE(note.caption, std::string("Information"));
    QVERIFY2(ToQString(note.text).contains(QStringLiteral("\"%1\"").arg(kept)), note.text.c_str());

    // Only the first save keeps the original.
    m_boxes->Clear();
    Click("EditBtn");
    Click("SaveBtn");
    QCOMPARE(m_boxes->Calls().size(), std::size_t(0));
}

// A keyboard user who reaches a button with Enter or Tab presses it with
// Enter, as with Space.
void EditingTest::enterPressesTheButtonInFocus()
{
    OpenSample();
    Click("EditBtn");
    auto* name = W<QLineEdit>("RouterVendorEdit");
    name->setText(QStringLiteral("Alpha 200"));
    W("SaveBtn")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(W("SaveBtn"), Qt::Key_Return);
    QCOMPARE(Window().Mode(), TMainEditor::TMode::Browse);
    QCOMPARE(ReadBack().Entry(0).RouterVendor, "Alpha 200"s);

    Click("EditBtn");
    name->setText(QStringLiteral("verworfen"));
    W("CancelBtn")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(W("CancelBtn"), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(Window().Mode(), TMainEditor::TMode::Browse);
    QCOMPARE(name->text(), QStringLiteral("Alpha 200"));
}

// However Speichern is pressed, the field that has the focus is left first,
// once.
void EditingTest::saveAppliesTheExitOfTheFieldInFocus()
{
    OpenSample();
    Click("EditBtn");
    auto* goOnline = W<QLineEdit>("GoOnlineEdit");
    ShowPageOf(goOnline);
    goOnline->setFocus(Qt::MouseFocusReason);
    goOnline->selectAll();
    QTest::keyClicks(goOnline, QStringLiteral("//<post>/goinet.cgi"));
    W<QAbstractButton>("SaveBtn")->click(); // the focus stays in the field
    QCOMPARE(ReadBack().Entry(0).GoOnline, "/<post>/goinet.cgi"s);
    QCOMPARE(goOnline->text(), QStringLiteral("/<post>/goinet.cgi"));

    Click("EditBtn");
    auto* beforeIP = W<QPlainTextEdit>("BeforeIPAddressEdit");
    FocusAtEnd(beforeIP);
    QTest::keyClicks(beforeIP, QStringLiteral(" <b>\t"));
    W<QAbstractButton>("SaveBtn")->click();
    QCOMPARE(ReadBack().Entry(0).BeforeIPAddress, "IP-Adresse:</td><td><b>"s);

    // A field whose text the program set, as for a router taken over from
    // another file, is saved as it was shown.
    TRouterList routers = ReadBack();
    routers.Entry(0).GoOnline = "/goinet.cgi";
    routers.Entry(0).BeforeIPAddress = "IP: ";
    QVERIFY(WriteRouters(routers));
    QVERIFY(Open());
    Click("EditBtn");
    for (QWidget* field : std::initializer_list<QWidget*>{W("GoOnlineEdit"),
                                                          W("BeforeIPAddressEdit")}) {
        ShowPageOf(field);
        field->setFocus(Qt::MouseFocusReason);
        Window().RoutersCBChange();
        W<QAbstractButton>("EditBtn")->click();
        W<QAbstractButton>("SaveBtn")->click();
        QCOMPARE(ReadBack().Entry(0).GoOnline, "/goinet.cgi"s);
        QCOMPARE(ReadBack().Entry(0).BeforeIPAddress, "IP: "s);
        Click("EditBtn");
    }
}

QTEST_MAIN(EditingTest)
#include "EditingTest.moc"
