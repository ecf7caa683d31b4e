#include "FakeRouter.h"
#include "FileDialog.h"
#include "LiveTestDlg.h"
#include "MainUnit.h"
#include "MatchView.h"
#include "PageEvaluation.h"
#include "UiTestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace fakerouter;

class LiveTestDlgTest : public TEditorFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void testFromTheWindowLogsRequestsAndShowsResults();
    void cancelStopsTheTestAtOnce();
    void anUntrustedCertificateIsTakenOnlyWhenTheUserSaysSo();
    void keyboardReachesTheDialogAndItsFields();

private:
    // Opens the dialog from the test page on the router of that name and
    // runs a test to its end.
    TLiveTestDlg* Open(const std::string& router);
    void Run(const QString& address);
    template <typename T = QWidget>
    T* D(const char* name) const
    {
        return Child<T>(*m_dialog, name);
    }

    TLiveTestDlg* m_dialog = nullptr;
};

void LiveTestDlgTest::init()
{
    TEditorFixture::init();
    TRouterList routers;
    routers.Add("Fake Formular", std::make_unique<TRouterEntry>(FormRouter()));
    routers.Add("Langsam", std::make_unique<TRouterEntry>(Router("Langsam", true, "slow?s=20")));
    routers.Add("TLS", std::make_unique<TRouterEntry>(Router("TLS", true, "basic/status.htm")));
    QVERIFY(OpenOnTestPage(std::move(routers)));
}

void LiveTestDlgTest::cleanup()
{
    m_dialog = nullptr;
    TEditorFixture::cleanup();
    TFileDialog::SetAnswerForTesting({});
}

TLiveTestDlg* LiveTestDlgTest::Open(const std::string& router)
{
    m_window->SelectRouter(m_window->Routers().FindByName(router));
    Child<QPushButton>(*m_window, "LiveTestBtn")->click();
    m_dialog = m_window->findChild<TLiveTestDlg*>();
    return m_dialog;
}

void LiveTestDlgTest::Run(const QString& address)
{
    D<QLineEdit>("AddressEdit")->setText(address);
    D<QLineEdit>("UserEdit")->setText(QString::fromStdString(kUser));
    D<QLineEdit>("PasswordEdit")->setText(QString::fromUtf8(kPasswordUtf8));
    D<QPushButton>("TestBtn")->click();
    QVERIFY(m_dialog->Running());
    QTRY_VERIFY_WITH_TIMEOUT(!m_dialog->Running(), 20000);
}

void LiveTestDlgTest::testFromTheWindowLogsRequestsAndShowsResults()
{
    QVERIFY(Open("Fake Formular"));
    Run(QString::fromStdString(Address()));
    QTreeWidget* log = D<QTreeWidget>("LogView");
    QCOMPARE(log->topLevelItemCount(), 6);
    QCOMPARE(log->topLevelItem(0)->text(1), QStringLiteral("POST"));
    QCOMPARE(log->topLevelItem(0)->childCount(), 1); // the redirect to the status page
    QCOMPARE(log->topLevelItem(5)->text(3), QStringLiteral("200"));
    QTreeWidget* results = D<QTreeWidget>("ResultView");
    QCOMPARE(results->topLevelItemCount(), 4);
    QCOMPARE(results->topLevelItem(0)->text(1), QStringLiteral("ONLINE"));
    QCOMPARE(results->topLevelItem(0)->child(0)->text(1), QStringLiteral("192.0.2.7"));
    QCOMPARE(results->topLevelItem(3)->child(0)->text(1), QStringLiteral("aktiv"));
    QVERIFY(!D<QLabel>("StateLabel")->text().contains(QStringLiteral("w\u00f6rt")));

    // Any response opens in the match view, or is saved for offline tests.
    D<QTreeWidget>("ResultView")->setCurrentItem(results->topLevelItem(1));
    D<QPushButton>("MatchViewBtn")->click();
    const TMatchView* view = m_window->findChild<TMatchView*>();
    QVERIFY(view && view->isVisible());
    QCOMPARE(view->Test()->StatusQuery(), 2);
    QVERIFY(view->Test()->Page().find("DNS1:<b>192.0.2.53") != std::string_view::npos);

    const QString saved = m_dir->filePath(QStringLiteral("login.htm"));
    TFileDialog::SetAnswerForTesting([&](const TFileDialog& dialog) {
        return dialog.FileName() == QStringLiteral("01-login.htm") ? std::optional(saved) : std::nullopt;
    });
    D<QTreeWidget>("LogView")->setCurrentItem(log->topLevelItem(0));
    D<QPushButton>("SavePageBtn")->click();
    QCOMPARE(ReadFileBytes(saved), QByteArray("<html><body><table><tr><td>Verbindung:</td><td>Online</td></tr>\n"
                                              "<tr><td>WAN-IP:</td><td> 192.0.2.7 </td></tr></table></body></html>"));
}

void LiveTestDlgTest::cancelStopsTheTestAtOnce()
{
    QVERIFY(Open("Langsam"));
    D<QLineEdit>("AddressEdit")->setText(QString::fromStdString(Address()));
    D<QPushButton>("TestBtn")->click();
    QTest::qWait(200);
    QVERIFY(m_dialog->Running());
    // Changing a router in the editor meanwhile leaves the dialog working.
    Click("EditBtn");
    QVERIFY(D("CancelBtn")->isEnabled());
    D<QPushButton>("CancelBtn")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!m_dialog->Running(), 3000);
    QVERIFY(D<QLabel>("StateLabel")->text().contains(QStringLiteral("abgebrochen")));
}

void LiveTestDlgTest::anUntrustedCertificateIsTakenOnlyWhenTheUserSaysSo()
{
    QVERIFY(Open("TLS"));
    m_boxes->AnswerNext(MsgBox::IDNO);
    Run(QStringLiteral("https://") + QString::fromStdString(Address("tls")));
    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
    QCOMPARE(D<QTreeWidget>("ResultView")->topLevelItemCount(), 0);

    m_boxes->AnswerNext(MsgBox::IDYES);
    D<QPushButton>("TestBtn")->click();
    QTRY_VERIFY2_WITH_TIMEOUT(D<QTreeWidget>("ResultView")->topLevelItemCount() == 4,
                              qPrintable(D<QLabel>("StateLabel")->text()), 20000);
    QTRY_VERIFY(!m_dialog->Running());
    QVERIFY(!D<QCheckBox>("InsecureChkBox")->isChecked()); // for that test only
}

void LiveTestDlgTest::keyboardReachesTheDialogAndItsFields()
{
    QWidget* button = Child<QWidget>(*m_window, "LiveTestBtn");
    QWidget* field = Child<QWidget>(*m_window, "StatFileName");
    field->setFocus();
    for (int step = 0; step < 20 && QApplication::focusWidget() != button; ++step)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), button);
    QTest::keyClick(button, Qt::Key_Space);
    m_dialog = m_window->findChild<TLiveTestDlg*>();
    QVERIFY(m_dialog && m_dialog->isVisible());
    QTRY_COMPARE(QApplication::focusWidget(), D("AddressEdit"));
    QTest::keyClick(D("AddressEdit"), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), D("UserEdit"));
    QTest::keyClick(D("UserEdit"), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), D("PasswordEdit"));
    QTest::keyClick(m_dialog, Qt::Key_Escape);
    QTRY_VERIFY(!m_window->findChild<TLiveTestDlg*>());
}

QTEST_MAIN(LiveTestDlgTest)
#include "LiveTestDlgTest.moc"
