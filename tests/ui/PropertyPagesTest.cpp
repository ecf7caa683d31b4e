#include "HTMLCodeAddDlgUnit.h"
#include "MainUnit.h"
#include "PropertyListEditor.h"
#include "QtText.h"
#include "RouterFile.h"
#include "UiTestSupport.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using TLines = std::vector<std::string>;

namespace {

struct TPageNames {
    const char* list;
    const char* add;
    const char* change;
    const char* remove;
    const char* duplicate;
    const char* up;
    const char* down;
    const char* pageEdit;
};

const TPageNames kPages[] = {
    {"VEditor0", "ValueAddBtn", "ValueEditBtn", "ValueDelBtn", "DupBtn", "RowUpBtn", "RowDownBtn",
     "Status2PageEdit"},
    {"VEditor1", "ValueAddBtn1", "ValueEditBtn1", "ValueDelBtn1", "DupBtn1", "MySpeedButton1",
     "MySpeedButton2", "Status3PageEdit"},
    {"VEditor2", "ValueAddBtn2", "ValueEditBtn2", "ValueDelBtn2", "DupBtn2", "MySpeedButton3",
     "MySpeedButton4", "Status4PageEdit"},
};

const std::string kNameExists = "Ein Bezeichner mit diesem Namen existiert bereits.";

// Answers the HTML code dialogs in place of the user: types the given name and
// code over what the dialog shows, and presses OK or Abbrechen.
class TDialogUser {
public:
    struct TAnswer {
        QString name;
        QString code;
        bool ok = true;
    };
    struct TShown {
        QString name;
        QString code;
    };

    TDialogUser()
    {
        THTMLCodeAddDlg::SetRunHook([this](THTMLCodeAddDlg& dialog) { return Answer(dialog); });
    }
    ~TDialogUser() { THTMLCodeAddDlg::SetRunHook({}); }

    void Next(const QString& name, const QString& code, bool ok = true)
    {
        m_answers.push_back({name, code, ok});
    }
    const std::vector<TShown>& Shown() const { return m_shown; }

private:
    int Answer(THTMLCodeAddDlg& dialog)
    {
        auto* name = Child<QLineEdit>(dialog, "LabelEdit");
        auto* code = Child<QPlainTextEdit>(dialog, "HTMLCodeEdit");
        m_shown.push_back({name->text(), code->toPlainText()});
        if (m_answers.empty()) {
            qWarning("An HTML code dialog that the test did not expect");
            return THTMLCodeAddDlg::mrCancel;
        }
        const TAnswer answer = m_answers.front();
        m_answers.pop_front();
        dialog.show();
        dialog.activateWindow();
        if (!QTest::qWaitFor([&] { return QApplication::activeWindow() == &dialog; }))
            qWarning("The HTML code dialog did not become active");
        for (const auto& [field, text] : {std::pair<QWidget*, QString>{name, answer.name},
                                          std::pair<QWidget*, QString>{code, answer.code}}) {
            QTest::mouseClick(field, Qt::LeftButton);
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(field, Qt::Key_Delete);
            QTest::keyClicks(field, text);
        }
        QTest::mouseClick(Child<QWidget>(dialog, answer.ok ? "OKBtn" : "CancelBtn"), Qt::LeftButton);
        return dialog.result();
    }

    std::deque<TAnswer> m_answers;
    std::vector<TShown> m_shown;
};

TRouterList RoutersWithManyProperties()
{
    TRouterList routers = SampleRouters();
    TRouterEntry& alpha = routers.Entry(0);
    for (int number = 1; number <= 40; ++number)
        alpha.Status4Values.Add("P" + std::to_string(number) + "=<td>" + std::to_string(number));
    return routers;
}

} // namespace

class PropertyPagesTest : public TEditorFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void moveButtonsStayOffInBrowseMode();
    void emptyListShowsOneBlankRowThatTheButtonsIgnore();
    void addAppendsAndRefusesExistingNamesIgnoringCase();
    void addThroughTheModalDialog();
    void emptyNameIsTakenOnlyOnce();
    void blankRowIsFilledInPlaceAndDeletedWhenLeft();
    void deleteFollowsTheCurrentRowRule();
    void nameWithoutCodeCanBeChangedAndDeleted();
    void moveButtonsFollowTheRowButtonRule();
    void movesExchangeRowsAndKeepThemSelected();
    void duplicateAppendsACopy();
    void changeRewritesTheCurrentRow();
    void equalsSignEndsTheName();
    void cancelledDialogChangesNothing();
    void keysMoveTheCurrentRowAndTabLeavesTheList();
    void tabOrderOfThePropertyPages();
    void saveWritesTheListsAndCancelRestoresThem();

private:
    void Open(TRouterList routers);
    void StartEditing(int slot);
    void ClickRow(int slot, int row);
    TPropertyListEditor* List(int slot) const;
    TLines Lines(int slot) const;
    int CurrentRow(int slot) const;
    void ExpectMoveButtons(int slot, bool up, bool down);

    std::unique_ptr<TDialogUser> m_user;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> m_modelTesters;
};

void PropertyPagesTest::init()
{
    TEditorFixture::init();
    m_user = std::make_unique<TDialogUser>();
}

void PropertyPagesTest::cleanup()
{
    m_modelTesters.clear();
    TEditorFixture::cleanup();
    m_user.reset();
}

void PropertyPagesTest::Open(TRouterList routers)
{
    QVERIFY(TEditorFixture::Open(std::move(routers)));
    for (int slot = 0; slot < 3; ++slot)
        m_modelTesters.push_back(std::make_unique<QAbstractItemModelTester>(
            List(slot)->model(), QAbstractItemModelTester::FailureReportingMode::QtTest));
}

// Alpha 100 in edit mode, on the page of the property list `slot`.
void PropertyPagesTest::StartEditing(int slot)
{
    if (!m_window)
        Open(SampleRouters());
    Click("EditBtn");
    W<QTabWidget>("PC")->setCurrentIndex(4 + slot);
}

void PropertyPagesTest::ClickRow(int slot, int row)
{
    TPropertyListEditor* list = List(slot);
    const QRect cell = list->visualRect(list->model()->index(row - 1, 1));
    QVERIFY(cell.isValid());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
}

TPropertyListEditor* PropertyPagesTest::List(int slot) const
{
    return W<TPropertyListEditor>(kPages[slot].list);
}

TLines PropertyPagesTest::Lines(int slot) const
{
    return List(slot)->Strings().Lines();
}

int PropertyPagesTest::CurrentRow(int slot) const
{
    TPropertyListEditor* list = List(slot);
    // What the grid shows as current must be what the rows hold.
    if (list->currentIndex().row() + 1 != list->Rows().CurrentRow()
        || !list->selectionModel()->isRowSelected(list->currentIndex().row(), {}))
        return -1;
    return list->Rows().CurrentRow();
}

void PropertyPagesTest::ExpectMoveButtons(int slot, bool up, bool down)
{
    QCOMPARE(W(kPages[slot].up)->isEnabled(), up);
    QCOMPARE(W(kPages[slot].down)->isEnabled(), down);
}

void PropertyPagesTest::moveButtonsStayOffInBrowseMode()
{
    Open(SampleRouters());
    for (int slot = 0; slot < 3; ++slot)
        ExpectMoveButtons(slot, false, false);
    StartEditing(0);
    ClickRow(0, 2);
    ExpectMoveButtons(0, true, false);
    Click("SaveBtn");
    for (int slot = 0; slot < 3; ++slot) {
        W<QTabWidget>("PC")->setCurrentIndex(4 + slot);
        ExpectMoveButtons(slot, false, false);
    }
    StartEditing(0);
    ClickRow(0, 2);
    Click("CancelBtn");
    ExpectMoveButtons(0, false, false);
}

void PropertyPagesTest::emptyListShowsOneBlankRowThatTheButtonsIgnore()
{
    StartEditing(2);
    QCOMPARE(List(2)->model()->rowCount(), 1);
    QCOMPARE(List(2)->model()->index(0, 0).data().toString(), QString());
    QCOMPARE(List(2)->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Eigenschaft"));
    QCOMPARE(List(2)->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Wert"));
    QCOMPARE(List(2)->columnWidth(0), 150);
    QCOMPARE(List(2)->columnWidth(1), 389);
    ClickRow(2, 1);
    ExpectMoveButtons(2, false, false);
    for (const char* button : {kPages[2].change, kPages[2].remove, kPages[2].duplicate})
        Click(button);
    QTest::mouseDClick(List(2)->viewport(), Qt::LeftButton, {},
                       List(2)->visualRect(List(2)->model()->index(0, 0)).center());
    m_window->RowUpBtnClick();
    m_window->RowDownBtnClick();
    QVERIFY(m_user->Shown().empty());
    QVERIFY(Lines(2).empty());
    QCOMPARE(List(2)->model()->rowCount(), 1);
}

void PropertyPagesTest::addAppendsAndRefusesExistingNamesIgnoringCase()
{
    StartEditing(0);
    m_user->Next(QStringLiteral("DOWNSTREAM"), QStringLiteral("x"));
    Click(kPages[0].add);
    QCOMPARE(m_user->Shown().front().name, QString());
    QCOMPARE(m_user->Shown().front().code, QString());
    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
    QCOMPARE(m_boxes->Calls()[0].text, kNameExists);
    QCOMPARE(m_boxes->Calls()[0].caption, std::string("Fehler"));
    QCOMPARE(m_boxes->Calls()[0].style, 0x10030u);
    QCOMPARE(Lines(0), (TLines{"Downstream=<td>Down:</td><td>", "Upstream=<td>Up:</td><td>"}));

    // Whatever row is current, a new property goes to the end and the
    // current row stays.
    ClickRow(0, 1);
    m_user->Next(QStringLiteral("Ping"), QStringLiteral("<b> ms </b>"));
    Click(kPages[0].add);
    QCOMPARE(Lines(0).back(), std::string("Ping=<b>ms</b>"));
    QCOMPARE(CurrentRow(0), 1);
    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
}

void PropertyPagesTest::addThroughTheModalDialog()
{
    m_user.reset(); // the real dialog, run modally
    StartEditing(2);
    bool typed = false;
    QTimer::singleShot(0, m_window.get(), [&] {
        const auto closeIfOpen = qScopeGuard([] {
            if (QWidget* dialog = QApplication::activeModalWidget())
                dialog->close();
        });
        QTRY_VERIFY(qobject_cast<THTMLCodeAddDlg*>(QApplication::activeModalWidget()));
        QWidget* dialog = QApplication::activeModalWidget();
        QCOMPARE(dialog->parentWidget(), m_window.get());
        QTRY_COMPARE(QApplication::focusWidget(), Child<QWidget>(*dialog, "LabelEdit"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral(" WAN IP "));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), Child<QWidget>(*dialog, "HTMLCodeEdit"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("<td> IP </td>"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), Child<QWidget>(*dialog, "OKBtn"));
        typed = true;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    Click(kPages[2].add);
    QVERIFY(typed);
    QCOMPARE(Lines(2), (TLines{"WAN IP=<td>IP</td>"}));
    QVERIFY(!QApplication::activeModalWidget());
}

void PropertyPagesTest::emptyNameIsTakenOnlyOnce()
{
    StartEditing(0);
    m_user->Next(QString(), QStringLiteral("<i>"));
    Click(kPages[0].add);
    QCOMPARE(Lines(0).back(), std::string("=<i>"));
    m_user->Next(QString(), QStringLiteral("<u>"));
    Click(kPages[0].add);
    QCOMPARE(Lines(0).size(), std::size_t(3));
    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
    QCOMPARE(m_boxes->Calls()[0].text, kNameExists);
}

void PropertyPagesTest::blankRowIsFilledInPlaceAndDeletedWhenLeft()
{
    StartEditing(1);
    m_user->Next(QString(), QString());
    Click(kPages[1].add);
    QCOMPARE(Lines(1), (TLines{"Kanal=Kanal:", "="}));
    QCOMPARE(CurrentRow(1), 1);

    ClickRow(1, 2);
    for (const char* button : {kPages[1].change, kPages[1].remove, kPages[1].duplicate})
        Click(button);
    QCOMPARE(m_user->Shown().size(), std::size_t(1));
    QCOMPARE(Lines(1), (TLines{"Kanal=Kanal:", "="}));

    m_user->Next(QStringLiteral("SSID"), QStringLiteral("<td>"));
    Click(kPages[1].add);
    QCOMPARE(Lines(1), (TLines{"Kanal=Kanal:", "SSID=<td>"}));
    QCOMPARE(CurrentRow(1), 2);

    m_user->Next(QString(), QString());
    Click(kPages[1].add);
    ClickRow(1, 3);
    QTest::keyClick(List(1), Qt::Key_Up);
    QCOMPARE(Lines(1), (TLines{"Kanal=Kanal:", "SSID=<td>"}));
    QCOMPARE(CurrentRow(1), 2);
    // The click event came with the move: the last row may only go up.
    ExpectMoveButtons(1, true, false);

    // A move by the program leaves the blank line just the same.
    m_user->Next(QString(), QString());
    Click(kPages[1].add);
    ClickRow(1, 3);
    List(1)->selectRow(0);
    QCOMPARE(Lines(1), (TLines{"Kanal=Kanal:", "SSID=<td>"}));
    QCOMPARE(CurrentRow(1), 1);
    ExpectMoveButtons(1, false, true);
}

void PropertyPagesTest::deleteFollowsTheCurrentRowRule()
{
    StartEditing(0);
    m_user->Next(QStringLiteral("Ping"), QStringLiteral("ms"));
    Click(kPages[0].add);
    ClickRow(0, 3);
    Click(kPages[0].remove);
    QCOMPARE(Lines(0), (TLines{"Downstream=<td>Down:</td><td>", "Upstream=<td>Up:</td><td>"}));
    QCOMPARE(CurrentRow(0), 2);
    // The buttons were set while the deleted row still counted.
    ExpectMoveButtons(0, true, true);

    ClickRow(0, 1);
    Click(kPages[0].remove);
    QCOMPARE(Lines(0), (TLines{"Upstream=<td>Up:</td><td>"}));
    QCOMPARE(CurrentRow(0), 1);
    Click(kPages[0].remove);
    QVERIFY(Lines(0).empty());
    QCOMPARE(List(0)->model()->rowCount(), 1);
    QVERIFY(m_boxes->Calls().empty());
}

void PropertyPagesTest::nameWithoutCodeCanBeChangedAndDeleted()
{
    // A property added without a name is no blank row: it can be named
    // again or removed, or it could never leave the list.
    StartEditing(1);
    m_user->Next(QString(), QStringLiteral("<td>"));
    Click(kPages[1].add);
    ClickRow(1, 2);
    m_user->Next(QStringLiteral("Name"), QStringLiteral("<td>"));
    Click(kPages[1].change);
    QCOMPARE(m_user->Shown().back().code, QStringLiteral("<td>"));
    QCOMPARE(Lines(1), (TLines{"Kanal=Kanal:", "Name=<td>"}));

    m_user->Next(QString(), QStringLiteral("<tr>"));
    Click(kPages[1].add);
    ClickRow(1, 3);
    Click(kPages[1].duplicate);
    QCOMPARE(Lines(1).size(), std::size_t(3));
    Click(kPages[1].remove);
    QCOMPARE(Lines(1), (TLines{"Kanal=Kanal:", "Name=<td>"}));
}

void PropertyPagesTest::moveButtonsFollowTheRowButtonRule()
{
    StartEditing(1);
    ClickRow(1, 1);
    ExpectMoveButtons(1, false, false); // a single property

    W<QTabWidget>("PC")->setCurrentIndex(4);
    ExpectMoveButtons(0, false, true);
    ClickRow(0, 2);
    ExpectMoveButtons(0, true, false);
    m_user->Next(QStringLiteral("Ping"), QStringLiteral("ms"));
    Click(kPages[0].add);
    // Adding does not apply the rule; the next click does.
    ExpectMoveButtons(0, true, false);
    ClickRow(0, 2);
    ExpectMoveButtons(0, true, true);
    QTest::keyClick(List(0), Qt::Key_End);
    ExpectMoveButtons(0, true, false);
    QTest::keyClick(List(0), Qt::Key_Home);
    ExpectMoveButtons(0, false, true);

    // Row 1 blank: nothing moves.
    W<QTabWidget>("PC")->setCurrentIndex(6);
    m_user->Next(QString(), QString());
    Click(kPages[2].add);
    ClickRow(2, 1);
    ExpectMoveButtons(2, false, false);
}

void PropertyPagesTest::movesExchangeRowsAndKeepThemSelected()
{
    StartEditing(0);
    ClickRow(0, 2);
    Click(kPages[0].up);
    QCOMPARE(Lines(0), (TLines{"Upstream=<td>Up:</td><td>", "Downstream=<td>Down:</td><td>"}));
    QCOMPARE(CurrentRow(0), 1);
    ExpectMoveButtons(0, false, true);
    Click(kPages[0].down);
    QCOMPARE(Lines(0), (TLines{"Downstream=<td>Down:</td><td>", "Upstream=<td>Up:</td><td>"}));
    QCOMPARE(CurrentRow(0), 2);
    ExpectMoveButtons(0, true, false);

    // With no neighbour row in that direction a move does nothing.
    m_window->RowDownBtnClick();
    ClickRow(0, 1);
    m_window->RowUpBtnClick();
    QCOMPARE(Lines(0), (TLines{"Downstream=<td>Down:</td><td>", "Upstream=<td>Up:</td><td>"}));
    QCOMPARE(CurrentRow(0), 1);

    // The flat buttons take no focus; their keys move rows from the keyboard.
    List(0)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(List(0), Qt::Key_Down, Qt::ControlModifier);
    QTRY_COMPARE(Lines(0), (TLines{"Upstream=<td>Up:</td><td>", "Downstream=<td>Down:</td><td>"}));
    QCOMPARE(CurrentRow(0), 2);
}

void PropertyPagesTest::duplicateAppendsACopy()
{
    StartEditing(0);
    m_user->Next(QStringLiteral("Ping"), QStringLiteral("ms"));
    Click(kPages[0].add);
    ClickRow(0, 2);
    Click(kPages[0].duplicate);
    QCOMPARE(Lines(0), (TLines{"Downstream=<td>Down:</td><td>", "Upstream=<td>Up:</td><td>",
                               "Ping=ms", "Upstream=<td>Up:</td><td>"}));
    QCOMPARE(CurrentRow(0), 2);
    QVERIFY(m_boxes->Calls().empty());
}

void PropertyPagesTest::changeRewritesTheCurrentRow()
{
    StartEditing(0);
    // A double-click opens the same dialog as Ändern.
    const QRect row2 = List(0)->visualRect(List(0)->model()->index(1, 0));
    m_user->Next(QStringLiteral("Downstream"), QStringLiteral("<td>Up</td>"));
    QTest::mouseDClick(List(0)->viewport(), Qt::LeftButton, {}, row2.center());
    QCOMPARE(m_user->Shown().size(), std::size_t(1));
    QCOMPARE(m_user->Shown()[0].name, QStringLiteral("Upstream"));
    QCOMPARE(m_user->Shown()[0].code, QStringLiteral("<td>Up:</td><td>"));
    // A name that another row bears is taken as it is.
    QCOMPARE(Lines(0), (TLines{"Downstream=<td>Down:</td><td>", "Downstream=<td>Up</td>"}));
    QCOMPARE(List(0)->model()->index(1, 1).data().toString(), QStringLiteral("<td>Up</td>"));
    QCOMPARE(CurrentRow(0), 2);
    QVERIFY(m_boxes->Calls().empty());

    m_user->Next(QStringLiteral("Up"), QStringLiteral("<td>Up</td>"));
    Click(kPages[0].change);
    QCOMPARE(m_user->Shown()[1].name, QStringLiteral("Downstream"));
    QCOMPARE(Lines(0)[1], std::string("Up=<td>Up</td>"));

    // Anywhere in the list, below the rows too, a double-click changes the
    // current row.
    const QPoint belowTheRows(row2.center().x(), row2.bottom() + 60);
    QCOMPARE(List(0)->rowAt(belowTheRows.y()), -1);
    m_user->Next(QStringLiteral("Up"), QStringLiteral("<td>Up:</td>"));
    QTest::mouseDClick(List(0)->viewport(), Qt::LeftButton, {}, belowTheRows);
    QCOMPARE(m_user->Shown().size(), std::size_t(3));
    QCOMPARE(m_user->Shown()[2].name, QStringLiteral("Up"));
    QCOMPARE(Lines(0)[1], std::string("Up=<td>Up:</td>"));
    QCOMPARE(CurrentRow(0), 2);
}

void PropertyPagesTest::equalsSignEndsTheName()
{
    StartEditing(2);
    m_user->Next(QStringLiteral("a=b"), QStringLiteral("c"));
    Click(kPages[2].add);
    QCOMPARE(Lines(2), (TLines{"a=b=c"}));
    QCOMPARE(List(2)->model()->index(0, 0).data().toString(), QStringLiteral("a"));
    QCOMPARE(List(2)->model()->index(0, 1).data().toString(), QStringLiteral("b=c"));

    m_user->Next(QStringLiteral("x=y"), QStringLiteral("z"));
    Click(kPages[2].change);
    QCOMPARE(Lines(2), (TLines{"x=z"}));
}

void PropertyPagesTest::cancelledDialogChangesNothing()
{
    StartEditing(0);
    const TLines before = Lines(0);
    m_user->Next(QStringLiteral("Neu"), QStringLiteral("x"), false);
    Click(kPages[0].add);
    m_user->Next(QStringLiteral("Neu"), QStringLiteral("x"), false);
    Click(kPages[0].change);
    QCOMPARE(m_user->Shown().size(), std::size_t(2));
    QCOMPARE(Lines(0), before);
    QVERIFY(m_boxes->Calls().empty());
}

void PropertyPagesTest::keysMoveTheCurrentRowAndTabLeavesTheList()
{
    Open(RoutersWithManyProperties());
    StartEditing(2);
    TPropertyListEditor* list = List(2);
    list->setFocus(Qt::TabFocusReason);
    const int page = list->viewport()->height() / list->rowHeight(0);
    QVERIFY(page > 2 && page < 40);

    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(CurrentRow(2), 2);
    QTest::keyClick(list, Qt::Key_PageDown);
    QCOMPARE(CurrentRow(2), 2 + page);
    QTest::keyClick(list, Qt::Key_End);
    QCOMPARE(CurrentRow(2), 40);
    QVERIFY(list->viewport()->rect().contains(list->visualRect(list->currentIndex())));
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(CurrentRow(2), 40);
    QTest::keyClick(list, Qt::Key_PageUp);
    QCOMPARE(CurrentRow(2), 40 - page);
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(CurrentRow(2), 39 - page);
    QTest::keyClick(list, Qt::Key_Home);
    QCOMPARE(CurrentRow(2), 1);
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(CurrentRow(2), 1);
    QTest::keyClick(list, Qt::Key_PageUp);
    QCOMPARE(CurrentRow(2), 1);

    // Letters neither search nor move.
    QTest::keyClicks(list, QStringLiteral("p4"));
    QCOMPARE(CurrentRow(2), 1);
    QCOMPARE(Lines(2).size(), std::size_t(40));
}

void PropertyPagesTest::tabOrderOfThePropertyPages()
{
    StartEditing(0);
    for (int slot = 0; slot < 3; ++slot) {
        W<QTabWidget>("PC")->setCurrentIndex(4 + slot);
        const TPageNames& names = kPages[slot];
        W(names.pageEdit)->setFocus(Qt::TabFocusReason);
        for (const char* next : {names.list, names.add, names.change, names.remove, names.duplicate}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(next));
        }
        W(names.list)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(W(names.list), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(names.pageEdit));
    }
}

void PropertyPagesTest::saveWritesTheListsAndCancelRestoresThem()
{
    StartEditing(0);
    ClickRow(0, 2);
    Click(kPages[0].up);
    W<QTabWidget>("PC")->setCurrentIndex(5);
    Click(kPages[1].remove);
    W<QTabWidget>("PC")->setCurrentIndex(6);
    m_user->Next(QStringLiteral("Neu"), QStringLiteral("<td>neu</td>"));
    Click(kPages[2].add);
    Click("SaveBtn");

    const TRouterList saved = ReadBack();
    const TRouterEntry& alpha = saved.Entry(0);
    QCOMPARE(alpha.Status2Values.Lines(),
             (TLines{"Upstream=<td>Up:</td><td>", "Downstream=<td>Down:</td><td>"}));
    QVERIFY(alpha.Status3Values.Empty());
    QCOMPARE(alpha.Status4Values.Lines(), (TLines{"Neu=<td>neu</td>"}));
    QCOMPARE(saved.Entry(1).Status2Values, SampleRouters().Entry(1).Status2Values);

    Click("EditBtn");
    W<QTabWidget>("PC")->setCurrentIndex(6);
    Click(kPages[2].remove);
    Click("CancelBtn");
    QCOMPARE(Lines(2), (TLines{"Neu=<td>neu</td>"}));
}

QTEST_MAIN(PropertyPagesTest)
#include "PropertyPagesTest.moc"
