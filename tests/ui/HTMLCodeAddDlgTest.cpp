#include "Cp1252LineEdit.h"
#include "Cp1252Memo.h"
#include "HTMLCodeAddDlgUnit.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <functional>

class HTMLCodeAddDlgTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup();

    void controlsStandWhereTheyBelong();
    void leavingTheNameTrimsItsEnds();
    void leavingTheCodeRemovesBlanksAndLineBreaks();
    void enterMovesTheFocusWhateverModifiersAreHeld();
    void okCancelAndEscapeGiveTheirResults_data();
    void okCancelAndEscapeGiveTheirResults();
    void untouchedCodeKeepsItsBytes();

private:
    // Runs the dialog modally, as the editor does, and lets `user` act on it
    // once it is on screen.
    int RunWith(THTMLCodeAddDlg& dialog, std::function<void()> user);
    void Type(QWidget* field, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    template <typename T = QWidget>
    static T* W(const THTMLCodeAddDlg& dialog, const char* name)
    {
        return Child<T>(dialog, name);
    }
};

void HTMLCodeAddDlgTest::cleanup()
{
    THTMLCodeAddDlg::SetRunHook({});
}

int HTMLCodeAddDlgTest::RunWith(THTMLCodeAddDlg& dialog, std::function<void()> user)
{
    QTimer::singleShot(0, &dialog, [&] {
        // A failed check leaves the dialog open; closing it keeps the test
        // from waiting for ever.
        const auto closeIfOpen = qScopeGuard([&] {
            if (dialog.isVisible())
                dialog.done(THTMLCodeAddDlg::mrCancel);
        });
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        user();
    });
    return dialog.Run();
}

void HTMLCodeAddDlgTest::Type(QWidget* field, int key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(field, static_cast<Qt::Key>(key), modifiers);
}

void HTMLCodeAddDlgTest::controlsStandWhereTheyBelong()
{
    QWidget owner;
    THTMLCodeAddDlg dialog(&owner);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("HTML-Code bearbeiten"));
    QCOMPARE(dialog.size(), QSize(572, 288));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QCOMPARE(W<QLabel>(dialog, "Label1")->text(),
             QStringLiteral("Bezeichnung der Option (z.B. WAN IP Abfrage):"));
    QCOMPARE(W<QLabel>(dialog, "Label1")->pos(), QPoint(16, 16));
    QCOMPARE(W<QLabel>(dialog, "Label8")->text(), QStringLiteral("HTML-Code:"));
    QCOMPARE(W<QLabel>(dialog, "Label8")->pos(), QPoint(16, 72));
    QCOMPARE(W<QLabel>(dialog, "Label2")->text(),
             QStringLiteral("Anleitung.htm zu dieser Option beachten!!!!!"));
    QCOMPARE(W<QLabel>(dialog, "Label2")->pos(), QPoint(16, 240));
    QCOMPARE(W(dialog, "LabelEdit")->geometry(), QRect(16, 32, 537, 21));
    QCOMPARE(W(dialog, "HTMLCodeEdit")->geometry(), QRect(16, 88, 545, 145));
    QCOMPARE(W(dialog, "OKBtn")->geometry(), QRect(400, 256, 75, 25));
    QCOMPARE(W(dialog, "CancelBtn")->geometry(), QRect(480, 256, 75, 25));
    QCOMPARE(W<QPushButton>(dialog, "OKBtn")->text(), QStringLiteral("OK"));
    QCOMPARE(W<QPushButton>(dialog, "CancelBtn")->text(), QStringLiteral("Abbrechen"));
    for (const char* button : {"OKBtn", "CancelBtn"}) {
        QVERIFY(!W<QPushButton>(dialog, button)->isDefault());
        QVERIFY(!W<QPushButton>(dialog, button)->autoDefault());
    }
    // The file's limits hold in both fields.
    QVERIFY(qobject_cast<TCp1252LineEdit*>(W(dialog, "LabelEdit")));
    QVERIFY(qobject_cast<TCp1252Memo*>(W(dialog, "HTMLCodeEdit")));

    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(QApplication::focusWidget(), W(dialog, "LabelEdit"));
    for (const char* next : {"HTMLCodeEdit", "OKBtn", "CancelBtn", "LabelEdit"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(next));
    }
}

void HTMLCodeAddDlgTest::leavingTheNameTrimsItsEnds()
{
    THTMLCodeAddDlg dialog(nullptr);
    dialog.SetName("\t \x01 WAN  IP\x1F \r\n");
    const int result = RunWith(dialog, [&] {
        QTest::keyClick(W(dialog, "LabelEdit"), Qt::Key_Tab);
        QCOMPARE(W<QLineEdit>(dialog, "LabelEdit")->text(), QStringLiteral("WAN  IP"));
        W<QPushButton>(dialog, "OKBtn")->click();
    });
    QCOMPARE(result, THTMLCodeAddDlg::mrOk);
    QCOMPARE(dialog.Name(), std::string("WAN  IP"));

    // OK while the name still has the focus leaves it just the same.
    THTMLCodeAddDlg direct(nullptr);
    direct.SetName("  x  ");
    RunWith(direct, [&] { W<QPushButton>(direct, "OKBtn")->click(); });
    QCOMPARE(direct.Name(), std::string("x"));
}

void HTMLCodeAddDlgTest::leavingTheCodeRemovesBlanksAndLineBreaks()
{
    THTMLCodeAddDlg dialog(nullptr);
    dialog.SetCode("<td>\r\n  IP: \t</td>");
    RunWith(dialog, [&] {
        W(dialog, "HTMLCodeEdit")->setFocus(Qt::TabFocusReason);
        QTest::mouseClick(W(dialog, "OKBtn"), Qt::LeftButton);
    });
    QCOMPARE(dialog.Code(), std::string("<td>IP:</td>"));
}

void HTMLCodeAddDlgTest::enterMovesTheFocusWhateverModifiersAreHeld()
{
    const Qt::KeyboardModifiers modifierSets[] = {
        Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier,
        Qt::KeypadModifier, Qt::ShiftModifier | Qt::ControlModifier};
    THTMLCodeAddDlg dialog(nullptr);
    dialog.SetName("n");
    dialog.SetCode("c");
    const int result = RunWith(dialog, [&] {
        auto* name = W(dialog, "LabelEdit");
        auto* code = W<TCp1252Memo>(dialog, "HTMLCodeEdit");
        for (const Qt::KeyboardModifiers modifiers : modifierSets) {
            for (const int key : {Qt::Key_Return, Qt::Key_Enter}) {
                name->setFocus(Qt::TabFocusReason);
                Type(name, key, modifiers);
                QTRY_COMPARE(QApplication::focusWidget(), code);
                code->moveCursor(QTextCursor::End);
                Type(code, key, modifiers);
                QTRY_COMPARE(QApplication::focusWidget(), W(dialog, "OKBtn"));
                QVERIFY(dialog.isVisible());
            }
        }
        QCOMPARE(code->SavedText(), QStringLiteral("c"));
        QTest::keyClick(W(dialog, "OKBtn"), Qt::Key_Return);
    });
    QCOMPARE(result, THTMLCodeAddDlg::mrOk);
    QCOMPARE(dialog.Name(), std::string("n"));
    QCOMPARE(dialog.Code(), std::string("c"));
}

void HTMLCodeAddDlgTest::okCancelAndEscapeGiveTheirResults_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("result");
    QTest::newRow("OK") << "OKBtn" << THTMLCodeAddDlg::mrOk;
    QTest::newRow("Abbrechen") << "CancelBtn" << THTMLCodeAddDlg::mrCancel;
    QTest::newRow("Escape in the name") << "LabelEdit" << THTMLCodeAddDlg::mrCancel;
    QTest::newRow("Escape in the code") << "HTMLCodeEdit" << THTMLCodeAddDlg::mrCancel;
    QTest::newRow("close box") << "close" << THTMLCodeAddDlg::mrCancel;
}

void HTMLCodeAddDlgTest::okCancelAndEscapeGiveTheirResults()
{
    QFETCH(QString, action);
    QFETCH(int, result);
    THTMLCodeAddDlg dialog(nullptr);
    const int got = RunWith(dialog, [&] {
        if (action == QLatin1String("close"))
            dialog.close();
        else if (action.endsWith(QLatin1String("Btn")))
            QTest::mouseClick(Child<QWidget>(dialog, action.toLatin1().constData()), Qt::LeftButton);
        else
            QTest::keyClick(Child<QWidget>(dialog, action.toLatin1().constData()), Qt::Key_Escape);
    });
    QCOMPARE(got, result);
    QVERIFY(!dialog.isVisible());
}

void HTMLCodeAddDlgTest::untouchedCodeKeepsItsBytes()
{
    THTMLCodeAddDlg dialog(nullptr);
    dialog.SetName("a\x81");
    dialog.SetCode("x\ny\rz\r\n");
    QCOMPARE(dialog.Name(), std::string("a\x81"));
    QCOMPARE(dialog.Code(), std::string("x\ny\rz\r\n"));
    W<TCp1252Memo>(dialog, "HTMLCodeEdit")->appendPlainText(QStringLiteral("w"));
    QCOMPARE(dialog.Code(), std::string("x\r\ny\r\nz\r\n\r\nw"));
}

QTEST_MAIN(HTMLCodeAddDlgTest)
#include "HTMLCodeAddDlgTest.moc"
