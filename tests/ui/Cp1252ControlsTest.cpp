#include "Cp1252LineEdit.h"
#include "Cp1252Memo.h"
#include "QtText.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTest>

namespace {

// Types each character as a key press; QTest::keyClicks knows only ASCII.
void Type(QWidget* widget, const QString& text)
{
    for (int i = 0; i < text.size(); ++i) {
        const int units = text.at(i).isHighSurrogate() ? 2 : 1;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text.mid(i, units));
        QApplication::sendEvent(widget, &press);
        i += units - 1;
    }
}

void CommitInput(QWidget* widget, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(widget, &event);
}

} // namespace

class Cp1252ControlsTest : public QObject {
    Q_OBJECT

private slots:
    void everyByteSurvivesTheRoundTrip();
    void lineEditTakesOnlyWhatTheFileCanHold();
    void memoRefusesUnencodableCharacters();
    void memoCountsLineBreaksAsSaved();
    void memoSavesLinesWithCrLf();
    void lineAndParagraphSeparatorsBecomeLineBreaks();
};

void Cp1252ControlsTest::everyByteSurvivesTheRoundTrip()
{
    std::string bytes;
    for (int byte = 0; byte < 256; ++byte)
        bytes.push_back(static_cast<char>(byte));
    QCOMPARE(ToQString(bytes).size(), 256);
    QCOMPARE(ToCp1252(ToQString(bytes)), bytes);
    QCOMPARE(ToCp1252(QStringLiteral("€ä☺😀")), std::string("\x80\xE4??"));
}

void Cp1252ControlsTest::lineEditTakesOnlyWhatTheFileCanHold()
{
    TCp1252LineEdit edit;
    edit.show();
    Type(&edit, QStringLiteral("a€☺😀b"));
    QCOMPARE(edit.text(), QStringLiteral("a€b"));

    edit.clear();
    edit.insert(QStringLiteral("x😀y\u0394z"));
    QCOMPARE(edit.text(), QStringLiteral("xyz"));
    QCOMPARE(edit.cursorPosition(), 3);

    edit.setText(QString(kMaxTextBytes, QLatin1Char('a')));
    QTest::keyClicks(&edit, QStringLiteral("b"));
    QCOMPARE(edit.text().size(), kMaxTextBytes);
    QVERIFY(!edit.text().contains(QLatin1Char('b')));
}

void Cp1252ControlsTest::memoRefusesUnencodableCharacters()
{
    TCp1252Memo memo;
    memo.show();
    Type(&memo, QStringLiteral("Grüße ☺😀"));
    QCOMPARE(memo.toPlainText(), QStringLiteral("Grüße "));

    QApplication::clipboard()->setText(QStringLiteral("Ω1\r\n2\r3😀"));
    memo.paste();
    QCOMPARE(memo.SavedText(), QStringLiteral("Grüße 1\r\n2\r\n3"));
}

void Cp1252ControlsTest::memoCountsLineBreaksAsSaved()
{
    TCp1252Memo memo;
    memo.show();
    memo.setPlainText(QString(kMaxTextBytes - 3, QLatin1Char('a')) + QStringLiteral("\n"));
    QCOMPARE(memo.SavedLength(), kMaxTextBytes - 1);
    memo.moveCursor(QTextCursor::End);

    QTest::keyClick(&memo, Qt::Key_Return); // needs two bytes, one is left
    QCOMPARE(memo.blockCount(), 2);
    QTest::keyClicks(&memo, QStringLiteral("bc"));
    QCOMPARE(memo.SavedLength(), kMaxTextBytes);
    QVERIFY(memo.toPlainText().endsWith(QStringLiteral("\nb")));

    // Replacing a selection frees its bytes first; a paste is cut to fit.
    memo.selectAll();
    QApplication::clipboard()->setText(QString(kMaxTextBytes + 10, QLatin1Char('z')));
    memo.paste();
    QCOMPARE(memo.SavedLength(), kMaxTextBytes);
    QCOMPARE(memo.SavedText(), QString(kMaxTextBytes, QLatin1Char('z')));
}

void Cp1252ControlsTest::memoSavesLinesWithCrLf()
{
    TCp1252Memo memo;
    memo.setPlainText(QStringLiteral("a\u00A0b\r\nc\nd\re"));
    QCOMPARE(memo.SavedText(), QStringLiteral("a\u00A0b\r\nc\r\nd\r\ne"));
    QCOMPARE(memo.SavedLength(), memo.SavedText().size());
}

// Shift+Enter elsewhere and rich text carry U+2028 and U+2029; the file
// knows neither, and a "?" in their place would corrupt HTML code.
void Cp1252ControlsTest::lineAndParagraphSeparatorsBecomeLineBreaks()
{
    TCp1252Memo memo;
    memo.show();
    memo.setFocus();
    QApplication::clipboard()->setText(QStringLiteral("a\u2028b\u2029c"));
    memo.paste();
    CommitInput(&memo, QStringLiteral("\u2028d\u263Ae"));
    QCOMPARE(memo.SavedText(), QStringLiteral("a\r\nb\r\nc\r\nde"));

    TCp1252LineEdit edit;
    edit.show();
    edit.setFocus();
    edit.insert(QStringLiteral("x\u2028y"));
    QCOMPARE(edit.text(), QStringLiteral("x\r\ny"));
    QCOMPARE(edit.cursorPosition(), 4);
    CommitInput(&edit, QStringLiteral("\u263A\u2029z"));
    QCOMPARE(edit.text(), QStringLiteral("x\r\ny\r\nz"));
    QCOMPARE(ToCp1252(edit.text()).find('?'), std::string::npos);
}

QTEST_MAIN(Cp1252ControlsTest)
#include "Cp1252ControlsTest.moc"
