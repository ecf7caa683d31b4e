#include "EditorApplication.h"
#include "ErrorHandler.h"
#include "QtMessageBox.h"
#include "UiTestSupport.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <stdexcept>

namespace {

// An object whose every event fails, as a faulty event handler would.
class TFailingObject : public QObject {
public:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User)
            throw std::runtime_error("Datei \"x\" kann nicht ge\xF6" "ffnet werden");
        return QObject::event(event);
    }
};

QMessageBox* ActiveBox()
{
    return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
}

} // namespace

class MessageBoxTest : public QObject {
    Q_OBJECT

private slots:
    void boxShowsIconAndGermanButtonsOfTheStyle_data();
    void boxShowsIconAndGermanButtonsOfTheStyle();
    void boxWithoutActiveWindowHasNoOwner();
    void escapeAnswersOnlyWhereTheBoxCanBeCancelled_data();
    void escapeAnswersOnlyWhereTheBoxCanBeCancelled();
    void errorTextGetsAFinalPeriod_data();
    void errorTextGetsAFinalPeriod();
    void errorInAnEventHandlerIsShownAndTheApplicationGoesOn();
    void guardedHandlerShowsItsError();
    void closedDialogGivesTheKeyboardBackToItsWindow();
};

void MessageBoxTest::boxShowsIconAndGermanButtonsOfTheStyle_data()
{
    QTest::addColumn<unsigned>("style");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("press");
    QTest::addColumn<int>("result");
    QTest::newRow("Frage Ja/Nein") << 0x10024u << int(QMessageBox::Question)
                                   << QStringList{"Ja", "Nein"} << "Nein" << 7;
    QTest::newRow("Fehler OK") << 0x10030u << int(QMessageBox::Warning) << QStringList{"OK"}
                               << "OK" << 1;
    QTest::newRow("Stopp OK") << 0x10u << int(QMessageBox::Critical) << QStringList{"OK"} << "OK" << 1;
    QTest::newRow("Info OK/Abbrechen") << 0x41u << int(QMessageBox::Information)
                                       << QStringList{"OK", "Abbrechen"} << "Abbrechen" << 2;
    QTest::newRow("Abbrechen/Wiederholen/Ignorieren")
        << 0x2u << int(QMessageBox::NoIcon) << QStringList{"Abbrechen", "Wiederholen", "Ignorieren"}
        << "Ignorieren" << 5;
    QTest::newRow("Ja/Nein/Abbrechen") << 0x23u << int(QMessageBox::Question)
                                       << QStringList{"Ja", "Nein", "Abbrechen"} << "Ja" << 6;
    QTest::newRow("Wiederholen/Abbrechen") << 0x35u << int(QMessageBox::Warning)
                                           << QStringList{"Wiederholen", "Abbrechen"}
                                           << "Wiederholen" << 4;
}

void MessageBoxTest::boxShowsIconAndGermanButtonsOfTheStyle()
{
    QFETCH(unsigned, style);
    QFETCH(int, icon);
    QFETCH(QStringList, buttons);
    QFETCH(QString, press);
    QFETCH(int, result);

    QStringList shown;
    int shownIcon = -1;
    QString shownTitle;
    QString shownText;
    QTimer::singleShot(0, this, [&] {
        QTRY_VERIFY(ActiveBox());
        QMessageBox* box = ActiveBox();
        shownIcon = box->icon();
        shownTitle = box->windowTitle();
        shownText = box->text();
        for (QAbstractButton* button : box->buttons())
            shown << button->text();
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == press)
                button->click();
        }
    });
    QCOMPARE(QtMessageBoxA(TCp1252Text("L\xF6schen?"), TCp1252Text("Best\xE4tigung"), style), result);
    QCOMPARE(shownIcon, icon);
    QCOMPARE(shownTitle, QStringLiteral("Bestätigung"));
    QCOMPARE(shownText, QStringLiteral("Löschen?"));
    shown.sort();
    buttons.sort();
    QCOMPARE(shown, buttons);
}

void MessageBoxTest::boxWithoutActiveWindowHasNoOwner()
{
    QWidget* owner = reinterpret_cast<QWidget*>(1);
    QTimer::singleShot(0, this, [&] {
        QTRY_VERIFY(ActiveBox());
        owner = ActiveBox()->parentWidget();
        ActiveBox()->buttons().front()->click();
    });
    QCOMPARE(QtMessageBoxA(TCp1252Text("x"), TCp1252Text("y"), 0), 1);
    QCOMPARE(owner, nullptr);
}

void MessageBoxTest::escapeAnswersOnlyWhereTheBoxCanBeCancelled_data()
{
    QTest::addColumn<unsigned>("style");
    QTest::addColumn<int>("escapeAnswer"); // 0: Escape and the close box are ignored
    QTest::newRow("OK") << 0x30u << int(MsgBox::IDOK);
    QTest::newRow("OK/Abbrechen") << 0x1u << int(MsgBox::IDCANCEL);
    QTest::newRow("Abbrechen/Wiederholen/Ignorieren") << 0x2u << 0;
    QTest::newRow("Ja/Nein/Abbrechen") << 0x23u << int(MsgBox::IDCANCEL);
    QTest::newRow("Ja/Nein") << 0x10024u << 0;
    QTest::newRow("Wiederholen/Abbrechen") << 0x5u << int(MsgBox::IDCANCEL);
}

// A box with Yes and No, or with Abort, Retry and Ignore, must be answered
// with one of its buttons.
void MessageBoxTest::escapeAnswersOnlyWhereTheBoxCanBeCancelled()
{
    QFETCH(unsigned, style);
    QFETCH(int, escapeAnswer);
    bool stillOpen = false;
    QTimer::singleShot(0, this, [&] {
        QTRY_VERIFY(ActiveBox());
        QMessageBox* box = ActiveBox();
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus && box->isAncestorOf(focus) ? focus : box, Qt::Key_Escape);
        if (!box->isVisible())
            return;
        box->close();
        stillOpen = box->isVisible();
        box->buttons().front()->click();
    });
    const int answer = QtMessageBoxA(TCp1252Text("Weiter?"), {}, style);
    if (escapeAnswer != 0) {
        QCOMPARE(answer, escapeAnswer);
    } else {
        QVERIFY(stillOpen);
        QVERIFY(answer == MsgBox::IDYES || answer == MsgBox::IDNO || answer == MsgBox::IDABORT
                || answer == MsgBox::IDRETRY || answer == MsgBox::IDIGNORE);
    }
}

void MessageBoxTest::errorTextGetsAFinalPeriod_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("letter") << QByteArray("Fehler") << QByteArray("Fehler.");
    QTest::newRow("period") << QByteArray("Fehler.") << QByteArray("Fehler.");
    QTest::newRow("bracket below the period") << QByteArray("Maximum (-1)") << QByteArray("Maximum (-1)");
    QTest::newRow("slash above it") << QByteArray("a/") << QByteArray("a/.");
    QTest::newRow("umlaut") << QByteArray("gr\xF6\xDF") << QByteArray("gr\xF6\xDF.");
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void MessageBoxTest::errorTextGetsAFinalPeriod()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, shown);
    QCOMPARE(QByteArray::fromStdString(ErrorMessageText(TCp1252Text(text.toStdString())).Bytes()), shown);
}

void MessageBoxTest::errorInAnEventHandlerIsShownAndTheApplicationGoesOn()
{
    TMsgBoxRecorder boxes;
    TFailingObject failing;
    QCoreApplication::postEvent(&failing, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&failing, new QEvent(QEvent::User));
    QTRY_COMPARE(boxes.Calls().size(), std::size_t(2));
    const TMsgBoxRecorder::TCall& call = boxes.Calls().front();
    QCOMPARE(call.text, std::string("Datei \"x\" kann nicht ge\xF6" "ffnet werden."));
    QCOMPARE(call.caption, std::string("Messageboxtest"));
    QCOMPARE(call.style, MsgBox::MB_ICONHAND | MsgBox::MB_OK);
}

void MessageBoxTest::guardedHandlerShowsItsError()
{
    TMsgBoxRecorder boxes;
    bool after = false;
    Guarded([] { throw std::out_of_range("Listenindex \xFC" "berschreitet das Maximum (-1)"); })();
    after = true;
    QVERIFY(after);
    QCOMPARE(boxes.Calls().size(), std::size_t(1));
    QCOMPARE(boxes.Calls().front().text, std::string("Listenindex \xFC" "berschreitet das Maximum (-1)"));
}

// Without a window manager, as on the VNC display, nobody else does this.
void MessageBoxTest::closedDialogGivesTheKeyboardBackToItsWindow()
{
    QWidget window;
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTimer::singleShot(0, [] {
        QTRY_VERIFY(ActiveBox() && ActiveBox()->isActiveWindow());
        ActiveBox()->buttons().front()->click();
    });
    QtMessageBoxA(TCp1252Text("Gespeichert."), TCp1252Text(""), 0);
    QTRY_COMPARE(QApplication::activeWindow(), &window);
}

int main(int argc, char** argv)
{
    TEditorApplication app(argc, argv);
    MessageBoxTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MessageBoxTest.moc"
