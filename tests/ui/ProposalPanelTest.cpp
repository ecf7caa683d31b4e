#include "Cp1252Memo.h"
#include "FileDialog.h"
#include "MainUnit.h"
#include "MatchView.h"
#include "PageEvaluation.h"
#include "PageView.h"
#include "PropertyListEditor.h"
#include "ProposalPanel.h"
#include "QtText.h"
#include "RouterFile.h"
#include "StringGrid.h"
#include "UiTestSupport.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class ProposalPanelTest : public TEditorFixture {
    Q_OBJECT

private slots:
    void cleanup();

    void markedAddressGivesRuleAndWhatItReads();
    void markedPropertyValueGivesCode();
    void typedValueIsFoundAndMarked();
    void valueThatOccursTwice();
    void noRuleShowsWhy();
    void takenOverAddressRuleIsSavedAndReadsTheValue();
    void takenOverPropertyRuleFillsOrAddsTheRow();
    void copiedInBrowseMode();
    void offlineCodeFromASecondPage();
    void secondSaveOfThePageMustBeReadToo();
    void anotherRoutersPageAsksBeforeTakingOver();

private:
    void Open(TRouterList routers);
    void RunTest(const char* statusButton, const QByteArray& page);
    TMatchView* OpenView();
    TProposalPanel* Panel() const { return Child<TProposalPanel>(*m_view, "ProposalPanel"); }
    TPageView* PageView() const { return Child<TPageView>(*m_view, "MatchPageView"); }
    std::string_view Page() const { return m_view->Test()->Page(); }
    std::size_t Find(std::string_view text, std::size_t from = 0) const;
    void Mark(std::size_t begin, std::size_t end);
    void DoubleClick(std::size_t offset);
    void Propose(const QString& typed);
    void ChooseTarget(int statusQuery, const QString& name = {});
    void Click(const char* name) const;
    std::string Field(const char* name) const;
    QString Text(const char* name) const;
    // The router at `index` as the file holds it.
    TRouterEntry Saved(int index = 0) const;
    template <typename T = QWidget>
    T* V(const char* name) const
    {
        return Child<T>(*m_view, name);
    }
    TMatchView* m_view = nullptr;
};

namespace {

QByteArray Fixture(const char* name)
{
    QFile file(QStringLiteral(PAGES_DIR "/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing page fixture %s", name);
    return file.readAll();
}

std::string Prepared(const QByteArray& page)
{
    return PreparePage(page.toStdString());
}

std::string IPAddressIn(const std::string& page, const std::string& before, const std::string& after)
{
    TRouterEntry entry = NewRouterEntry();
    entry.BeforeIPAddress = before;
    entry.AfterIPAddress = after;
    return std::string(TestPreparedPage(entry, page, 1).ipAddress);
}

std::string PropertyIn(const std::string& page, const std::string& code)
{
    TRouterEntry entry = NewRouterEntry();
    entry.Status2Values.Add("Wert=" + code);
    const TFoundValues values = TestPreparedPage(entry, page, 2).values;
    return values.Empty() ? std::string() : std::string(values.ValueAt(0));
}

TRouterList OneRouter(const TRouterEntry& entry)
{
    TRouterList routers;
    routers.Add(entry.RouterVendor, std::make_unique<TRouterEntry>(entry));
    return routers;
}

// Rules that do not fit the DSL page, so that the test shows nothing yet.
TRouterEntry DslRouter()
{
    TRouterEntry entry = SampleRouter("DSL-Router 2412");
    entry.OfflineCode.clear();
    return entry;
}

void Send(QWidget* widget, QEvent::Type type, const QPoint& at, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

} // namespace

void ProposalPanelTest::cleanup()
{
    TFileDialog::SetAnswerForTesting({});
    m_view = nullptr;
    TEditorFixture::cleanup();
}

void ProposalPanelTest::Open(TRouterList routers)
{
    QVERIFY(OpenOnTestPage(std::move(routers)));
}

void ProposalPanelTest::RunTest(const char* statusButton, const QByteArray& page)
{
    QVERIFY(RunStaticTest(statusButton, page));
}

TMatchView* ProposalPanelTest::OpenView()
{
    W<QAbstractButton>("MatchViewBtn")->click();
    m_view = W<TMatchView>("MatchView");
    return m_view;
}

std::size_t ProposalPanelTest::Find(std::string_view text, std::size_t from) const
{
    const std::size_t found = Page().find(text, from);
    if (found == std::string_view::npos)
        qFatal("%s is not in the page", std::string(text).c_str());
    return found;
}

// Drags the mouse over the bytes [begin, end), as the user marks a value.
void ProposalPanelTest::Mark(std::size_t begin, std::size_t end)
{
    TPageView* view = PageView();
    view->ShowSpan({begin, end - begin});
    QWidget* viewport = view->viewport();
    const QPoint from = view->ByteRect(begin).topLeft() + QPoint(1, 3);
    const QPoint to = view->ByteRect(end - 1).topRight() + QPoint(-1, 3);
    Send(viewport, QEvent::MouseButtonPress, from, Qt::LeftButton);
    Send(viewport, QEvent::MouseMove, to, Qt::LeftButton);
    Send(viewport, QEvent::MouseButtonRelease, to, Qt::NoButton);
    QCOMPARE(view->Selection(), (TPageSpan{begin, end - begin}));
    QTRY_VERIFY(!Panel()->Busy());
}

void ProposalPanelTest::DoubleClick(std::size_t offset)
{
    TPageView* view = PageView();
    view->ShowSpan({offset, 1});
    const QPoint at = view->ByteRect(offset).center();
    Send(view->viewport(), QEvent::MouseButtonDblClick, at, Qt::LeftButton);
    Send(view->viewport(), QEvent::MouseButtonRelease, at, Qt::NoButton);
    QTRY_VERIFY(!Panel()->Busy());
}

void ProposalPanelTest::Propose(const QString& typed)
{
    auto* edit = V<QLineEdit>("ProposalValueEdit");
    edit->selectAll();
    QTest::keyClicks(edit, typed);
    QTest::keyClick(edit, Qt::Key_Return);
    QTRY_VERIFY(!Panel()->Busy());
}

void ProposalPanelTest::ChooseTarget(int statusQuery, const QString& name)
{
    V<QComboBox>("ProposalTargetCB")->setCurrentIndex(statusQuery - 1);
    V<QComboBox>("ProposalNameCB")->setEditText(name);
    QTRY_VERIFY(!Panel()->Busy());
}

void ProposalPanelTest::Click(const char* name) const
{
    auto* button = V<QAbstractButton>(name);
    QVERIFY2(button->isEnabled(), name);
    button->click();
}

std::string ProposalPanelTest::Field(const char* name) const
{
    return ToCp1252(V<QLineEdit>(name)->text());
}

QString ProposalPanelTest::Text(const char* name) const
{
    return V<QLabel>(name)->text();
}

TRouterEntry ProposalPanelTest::Saved(int index) const
{
    return ReadBack().Entry(index);
}

// ---------------------------------------------------------------- proposals

void ProposalPanelTest::markedAddressGivesRuleAndWhatItReads()
{
    Open(OneRouter(DslRouter()));
    RunTest("Status1Btn", Fixture("dsl-status-a.htm"));
    OpenView();
    QCOMPARE(V<QComboBox>("ProposalTargetCB")->currentIndex(), 0); // status 1 test: the address

    const std::size_t address = Find("84.151.23.7");
    Mark(address, address + 11);
    QCOMPARE(V<QLineEdit>("ProposalValueEdit")->text(), QStringLiteral("84.151.23.7"));
    const std::string before = Field("BeforeIPAddressProposal");
    const std::string after = Field("AfterIPAddressProposal");
    QVERIFY(!before.empty() && !after.empty());
    QVERIFY(V("BeforeIPAddressProposal")->isVisible() && !V("CodeProposal")->isVisible());
    QCOMPARE(Text("ProposalResult"),
             QStringLiteral("Mit dieser Regel liest die Seitenprüfung die IP-Adresse „84.151.23.7“."));
    QVERIFY(Text("ProposalNote").contains(QString::number(address)));
    // What the window shows is what the page test reads, here and on the
    // same page saved at another visit.
    QCOMPARE(IPAddressIn(std::string(Page()), before, after), "84.151.23.7");
    QCOMPARE(IPAddressIn(Prepared(Fixture("dsl-status-b.htm")), before, after), "91.62.140.211");
    QVERIFY(m_boxes->Calls().empty());
}

void ProposalPanelTest::markedPropertyValueGivesCode()
{
    Open(OneRouter(DslRouter()));
    RunTest("Status2Btn", Fixture("dsl-status-a.htm"));
    OpenView();
    auto* names = V<QComboBox>("ProposalNameCB");
    QCOMPARE(V<QComboBox>("ProposalTargetCB")->currentIndex(), 1);
    QVERIFY(names->isEnabled());
    QCOMPARE(names->count(), 2);
    QCOMPARE(names->itemText(0), QStringLiteral("Downstream"));

    // A double click takes the number with its unit, as spaces are gone.
    DoubleClick(Find("16000") + 2);
    QCOMPARE(V<QLineEdit>("ProposalValueEdit")->text(), QStringLiteral("16000kbit/s"));
    const std::string code = Field("CodeProposal");
    QVERIFY(!code.empty());
    QVERIFY(V("CodeProposal")->isVisible() && !V("BeforeIPAddressProposal")->isVisible());
    QCOMPARE(Text("ProposalResult"),
             QStringLiteral("Mit diesem HTML-Code liest die Seitenprüfung den Wert „16000kbit/s“."));
    QCOMPARE(PropertyIn(std::string(Page()), code), "16000kbit/s");
    QCOMPARE(PropertyIn(Prepared(Fixture("dsl-status-b.htm")), code), "15488kbit/s");

    // The same value as an address: the rule follows the choice.
    ChooseTarget(1);
    QCOMPARE(IPAddressIn(std::string(Page()), Field("BeforeIPAddressProposal"), Field("AfterIPAddressProposal")),
             "16000kbit/s");
    QVERIFY(!names->isEnabled());
}

void ProposalPanelTest::typedValueIsFoundAndMarked()
{
    Open(OneRouter(DslRouter()));
    RunTest("Status1Btn", Fixture("dsl-status-a.htm"));
    OpenView();
    // As the page shows it, spaces included; the rules see it without.
    Propose(QStringLiteral(" 217.237.150.51 "));
    const std::size_t place = Find("217.237.150.51");
    QCOMPARE(PageView()->Selection(), (TPageSpan{place, 14}));
    QVERIFY(Text("ProposalNote").contains(QString::number(place)));
    QCOMPARE(IPAddressIn(std::string(Page()), Field("BeforeIPAddressProposal"), Field("AfterIPAddressProposal")),
             "217.237.150.51");

    Propose(QStringLiteral("3 Tage 04:17:09"));
    QCOMPARE(Text("ProposalResult"),
             QStringLiteral("Mit dieser Regel liest die Seitenprüfung die IP-Adresse „3Tage04:17:09“."));

    // A new test is another page: the proposal goes, the typed value stays.
    RunTest("Status1Btn", Fixture("dsl-status-b.htm"));
    QVERIFY(Field("BeforeIPAddressProposal").empty());
    QVERIFY(Text("ProposalResult").isEmpty());
    QCOMPARE(V<QLineEdit>("ProposalValueEdit")->text(), QStringLiteral("3 Tage 04:17:09"));
    QVERIFY(!V<QAbstractButton>("CopyBeforeIPAddressBtn")->isEnabled());
}

void ProposalPanelTest::valueThatOccursTwice()
{
    Open(OneRouter(DslRouter()));
    const QByteArray row = "<tr><td>IP:</td><td>10.0.0.1</td></tr>\r\n";
    RunTest("Status1Btn", "<table>" + row + row + row + "</table>");
    OpenView();

    Propose(QStringLiteral("10.0.0.1"));
    const std::size_t first = Find("10.0.0.1");
    const std::size_t second = Find("10.0.0.1", first + 1);
    QCOMPARE(PageView()->Selection(), (TPageSpan{first, 8}));
    QVERIFY(Text("ProposalNote").contains(QStringLiteral("3-mal")));
    QVERIFY(Text("ProposalNote").contains(QStringLiteral("1. Vorkommen")));

    // The last place has the same text before it as the second.
    const std::size_t third = Find("10.0.0.1", second + 1);
    Mark(third, third + 8);
    QVERIFY(Text("ProposalNote").contains(QStringLiteral("3. Vorkommen")));
    const std::string before = Field("BeforeIPAddressProposal");
    const std::string after = Field("AfterIPAddressProposal");
    QVERIFY(before.find('{') != std::string::npos); // a count or a start text
    // The rule reads that place, whatever stands at the others.
    const std::string changed = Prepared("<table><tr><td>IP:</td><td>10.0.0.7</td></tr><tr><td>IP:</td>"
                                         "<td>10.0.0.9</td></tr><tr><td>IP:</td><td>10.0.0.8</td></tr></table>");
    QCOMPARE(IPAddressIn(changed, before, after), "10.0.0.8");
}

void ProposalPanelTest::noRuleShowsWhy()
{
    Open(OneRouter(DslRouter()));
    RunTest("Status2Btn", Fixture("dsl-status-a.htm"));
    OpenView();
    // A property value ends only at "<", ";", "')" or a quote: part of a
    // cell cannot be read alone.
    const std::size_t number = Find("16000");
    Mark(number, number + 5);
    QVERIFY(Text("ProposalResult").startsWith(QStringLiteral("Ein Eigenschaftswert endet erst vor")));
    QVERIFY(Text("ProposalResult").contains(QStringLiteral("„16000kbit/s“")));
    QVERIFY(Field("CodeProposal").empty());
    QVERIFY(!V<QAbstractButton>("CopyCodeBtn")->isEnabled());

    Propose(QStringLiteral("99.99.99.99"));
    QVERIFY(Text("ProposalResult").startsWith(QStringLiteral("Der Wert „99.99.99.99“ kommt in der Seite nicht vor")));

    // Behind the first NUL, where the view shows the page grey, no rule reads.
    RunTest("Status1Btn", QByteArray("<td>IP:</td><td>1.2.3.4</td>") + '\0' + "<td>IP:</td><td>5.6.7.8</td>");
    const std::size_t hidden = Find("5.6.7.8");
    Mark(hidden, hidden + 7);
    QVERIFY(Text("ProposalResult").contains(QStringLiteral("hinter dem ersten NUL-Byte")));
    QVERIFY(!V<QAbstractButton>("CopyBeforeIPAddressBtn")->isEnabled());
    QVERIFY(m_boxes->Calls().empty());
}

// ---------------------------------------------------------------- take-over

void ProposalPanelTest::takenOverAddressRuleIsSavedAndReadsTheValue()
{
    Open(OneRouter(DslRouter()));
    RunTest("Status1Btn", Fixture("dsl-status-a.htm"));
    QCOMPARE(W<QLabel>("CurrIPLabel")->text(), QString());
    OpenView();
    const std::size_t address = Find("84.151.23.7");
    Mark(address, address + 11);
    QVERIFY(!V<QAbstractButton>("TakeOverBtn")->isEnabled()); // browse mode
    QVERIFY(Text("TakeOverNote").contains(QStringLiteral("„Ändern“")));

    W<QAbstractButton>("EditBtn")->click();
    QVERIFY(Text("TakeOverNote").contains(QStringLiteral("„DSL-Router 2412“")));
    Click("TakeOverBtn");
    auto* beforeEdit = W<TCp1252Memo>("BeforeIPAddressEdit");
    QCOMPARE(ToCp1252(beforeEdit->SavedText()), Field("BeforeIPAddressProposal"));
    QCOMPARE(ToCp1252(W<TCp1252Memo>("AfterIPAddressEdit")->SavedText()), Field("AfterIPAddressProposal"));
    QCOMPARE(W<QTabWidget>("PC")->currentIndex(), 3); // the page with the rule is shown
    QCOMPARE(Saved().BeforeIPAddress, DslRouter().BeforeIPAddress); // saved only by Speichern

    W<QAbstractButton>("SaveBtn")->click();
    QCOMPARE(Saved().BeforeIPAddress, Field("BeforeIPAddressProposal"));
    QCOMPARE(Saved().AfterIPAddress, Field("AfterIPAddressProposal"));

    W<QTabWidget>("PC")->setCurrentIndex(8);
    W<QAbstractButton>("TestBtn")->click();
    QCOMPARE(W<QLabel>("CurrIPLabel")->text(), QStringLiteral("84.151.23.7"));
    RunTest("Status1Btn", Fixture("dsl-status-b.htm"));
    QCOMPARE(W<QLabel>("CurrIPLabel")->text(), QStringLiteral("91.62.140.211"));
}

void ProposalPanelTest::takenOverPropertyRuleFillsOrAddsTheRow()
{
    Open(OneRouter(DslRouter()));
    RunTest("Status2Btn", Fixture("dsl-status-a.htm"));
    OpenView();
    W<QAbstractButton>("EditBtn")->click();

    // An existing name, in other letter case: that row gets the new code.
    DoubleClick(Find("16000") + 1);
    ChooseTarget(2, QStringLiteral("  downstream "));
    const std::string downCode = Field("CodeProposal");
    Click("TakeOverBtn");
    auto* list = W<TPropertyListEditor>("VEditor0");
    QCOMPARE(W<QTabWidget>("PC")->currentIndex(), 4);
    QCOMPARE(list->Rows().LineCount(), 2);
    QCOMPARE(list->Rows().Code(1), downCode);
    QCOMPARE(list->Rows().Name(1), "Downstream");
    QCOMPARE(list->Rows().CurrentRow(), 1);

    // A new name: a row is appended and made current.
    const std::size_t damping = Find("18.5dB");
    Mark(damping, damping + 6);
    ChooseTarget(2, QStringLiteral("Dämpfung"));
    const std::string dampingCode = Field("CodeProposal");
    Click("TakeOverBtn");
    QCOMPARE(list->Rows().LineCount(), 3);
    QCOMPARE(list->Rows().Name(3), "D\xE4mpfung");
    QCOMPARE(list->Rows().Code(3), dampingCode);
    QCOMPARE(list->Rows().CurrentRow(), 3);
    QCOMPARE(V<QComboBox>("ProposalNameCB")->count(), 3); // the list's names follow

    // A name is needed, and it cannot hold "=".
    for (const QString& name : {QStringLiteral(" "), QStringLiteral("a=b")}) {
        ChooseTarget(2, name);
        Click("TakeOverBtn");
        QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
        QVERIFY(m_boxes->Calls()[0].text.find("Name") != std::string::npos);
        m_boxes->Clear();
    }
    QCOMPARE(list->Rows().LineCount(), 3);

    W<QAbstractButton>("SaveBtn")->click();
    const TRouterEntry saved = Saved();
    QCOMPARE(saved.Status2Values.Value("Downstream"), downCode);
    QCOMPARE(saved.Status2Values.Value("D\xE4mpfung"), dampingCode);
    // The test run again reads the values.
    W<QTabWidget>("PC")->setCurrentIndex(8);
    RunTest("Status2Btn", Fixture("dsl-status-b.htm"));
    auto* grid = W<TStringGrid>("Grid");
    QCOMPARE(grid->DrawnText(1, 0), QStringLiteral("15488kbit/s"));
    QCOMPARE(grid->DrawnText(1, 1), QStringLiteral("18.0dB"));
}

void ProposalPanelTest::copiedInBrowseMode()
{
    Open(OneRouter(DslRouter()));
    RunTest("Status1Btn", Fixture("dsl-status-a.htm"));
    OpenView();
    QVERIFY(!V<QAbstractButton>("CopyBeforeIPAddressBtn")->isEnabled());
    const std::size_t address = Find("84.151.23.7");
    Mark(address, address + 11);
    QVERIFY(!V<QAbstractButton>("TakeOverBtn")->isEnabled());
    Click("CopyBeforeIPAddressBtn");
    QCOMPARE(ToCp1252(QGuiApplication::clipboard()->text()), Field("BeforeIPAddressProposal"));
    Click("CopyAfterIPAddressBtn");
    QCOMPARE(ToCp1252(QGuiApplication::clipboard()->text()), Field("AfterIPAddressProposal"));

    ChooseTarget(3, QStringLiteral("WAN-IP"));
    Click("CopyCodeBtn");
    QCOMPARE(ToCp1252(QGuiApplication::clipboard()->text()), Field("CodeProposal"));
    // Ctrl+C in the page copies what is marked.
    QTest::keyClick(PageView(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("84.151.23.7"));
    QCOMPARE(Saved().BeforeIPAddress, DslRouter().BeforeIPAddress);
}

void ProposalPanelTest::offlineCodeFromASecondPage()
{
    Open(OneRouter(DslRouter()));
    RunTest("Status1Btn", Fixture("dsl-status-a.htm"));
    OpenView();
    const std::size_t address = Find("84.151.23.7");
    Mark(address, address + 11);

    const QString offlinePath = m_dir->filePath(QStringLiteral("offline.htm"));
    QFile::copy(QStringLiteral(PAGES_DIR "/dsl-status-offline.htm"), offlinePath);
    QString offeredFolder;
    TFileDialog::SetAnswerForTesting([&](const TFileDialog& dialog) {
        offeredFolder = dialog.Directory();
        return dialog.Kind() == TFileDialog::TKind::Open ? std::optional<QString>(offlinePath) : std::nullopt;
    });
    Click("OfflinePageBtn");
    QCOMPARE(offeredFolder, QDir(m_dir->path()).absolutePath()); // where the tested page lies
    QTRY_VERIFY(!Panel()->Busy());
    const std::string code = Field("OfflineCodeProposal");
    QVERIFY(!code.empty());
    QCOMPARE(Text("OfflineResult"),
             QStringLiteral("Status1 mit diesem Offline-Code – Offline-Seite „offline.htm“: OFFLINE; diese Seite: "
                            "ONLINE, IP-Adresse „84.151.23.7“ (IP-Regeln des Vorschlags oben)."));
    TRouterEntry rules = NewRouterEntry();
    rules.OfflineCode = code;
    QVERIFY(TestPreparedPage(rules, Prepared(Fixture("dsl-status-offline.htm")), 1).offline);
    QVERIFY(!TestPreparedPage(rules, Page(), 1).offline);
    QVERIFY(!TestPreparedPage(rules, Prepared(Fixture("dsl-status-b.htm")), 1).offline);

    Click("CopyOfflineCodeBtn");
    QCOMPARE(ToCp1252(QGuiApplication::clipboard()->text()), code);
    QVERIFY(!V<QAbstractButton>("TakeOverOfflineCodeBtn")->isEnabled());
    W<QAbstractButton>("EditBtn")->click();
    Click("TakeOverOfflineCodeBtn");
    QCOMPARE(ToCp1252(W<TCp1252Memo>("OfflineCodeEdit")->SavedText()), code);
    W<QAbstractButton>("SaveBtn")->click();
    QCOMPARE(Saved().OfflineCode, code);

    // A page that cannot be read is reported, and nothing is proposed.
    QVERIFY(QFile::remove(offlinePath));
    Click("OfflinePageBtn");
    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
    QVERIFY(m_boxes->Calls()[0].text.find("offline.htm") != std::string::npos);
    QVERIFY(Field("OfflineCodeProposal").empty());
}

void ProposalPanelTest::secondSaveOfThePageMustBeReadToo()
{
    Open(OneRouter(DslRouter()));
    RunTest("Status1Btn", Fixture("dsl-status-a.htm"));
    OpenView();
    const std::size_t address = Find("84.151.23.7");
    Mark(address, address + 11);
    TFileDialog::SetAnswerForTesting([](const TFileDialog&) {
        return std::optional<QString>(QStringLiteral(PAGES_DIR "/dsl-status-b.htm"));
    });
    Click("SecondPageBtn");
    QTRY_VERIFY(!Panel()->Busy());
    // What the rule reads there is offered as the value there.
    QCOMPARE(V<QLineEdit>("SecondValueEdit")->text(), QStringLiteral("91.62.140.211"));
    QVERIFY(Text("ProposalResult").contains(QStringLiteral("zweiten Seite liest sie „91.62.140.211“; steht")));

    // A value typed there is read too, or the panel says that no rule reads both.
    auto* second = V<QLineEdit>("SecondValueEdit");
    second->selectAll();
    QTest::keyClicks(second, QStringLiteral("91.62.140.211"));
    QTest::keyClick(second, Qt::Key_Return);
    QTRY_VERIFY(!Panel()->Busy());
    QVERIFY(Text("ProposalResult").endsWith(QStringLiteral("Auf der zweiten Seite liest sie „91.62.140.211“.")));
    const std::string rules[] = {Field("BeforeIPAddressProposal"), Field("AfterIPAddressProposal")};
    QCOMPARE(IPAddressIn(Prepared(Fixture("dsl-status-b.htm")), rules[0], rules[1]), "91.62.140.211");
    second->selectAll();
    QTest::keyClicks(second, QStringLiteral("62.155.246.33")); // the gateway
    QTest::keyClick(second, Qt::Key_Return);
    QTRY_VERIFY(!Panel()->Busy());
    QVERIFY(Text("ProposalResult").contains(QStringLiteral("auf allen Seiten")));

    Click("ClearSecondPageBtn");
    QVERIFY(!second->isEnabled());
}

void ProposalPanelTest::anotherRoutersPageAsksBeforeTakingOver()
{
    Open(SampleRouters()); // "Alpha 100" is selected and tested
    RunTest("Status1Btn", Fixture("dsl-status-a.htm"));
    OpenView();
    const std::size_t address = Find("84.151.23.7");
    Mark(address, address + 11);
    m_window->SelectRouter(1);
    m_window->RoutersCBChange();
    W<QAbstractButton>("EditBtn")->click();
    QVERIFY(Text("TakeOverNote").startsWith(QStringLiteral("Achtung")));
    auto* before = W<TCp1252Memo>("BeforeIPAddressEdit");
    const QString kept = before->SavedText();

    m_boxes->AnswerNext(MsgBox::IDNO);
    Click("TakeOverBtn");
    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
    const std::string& question = m_boxes->Calls()[0].text;
    QVERIFY(question.find("\x84" "Alpha 100\x93") != std::string::npos);
    QVERIFY(question.find("\x84" "Beta 300\x93") != std::string::npos);
    QCOMPARE(m_boxes->Calls()[0].style & MsgBox::MB_TYPEMASK, MsgBox::MB_YESNO);
    QCOMPARE(before->SavedText(), kept);

    m_boxes->AnswerNext(MsgBox::IDYES);
    Click("TakeOverBtn");
    QCOMPARE(ToCp1252(before->SavedText()), Field("BeforeIPAddressProposal"));

    // A new router has no rules of its own yet: no question.
    W<QAbstractButton>("CancelBtn")->click();
    QVERIFY(!V<QAbstractButton>("TakeOverBtn")->isEnabled());
    W<QAbstractButton>("NewBtn")->click();
    Click("TakeOverBtn");
    QCOMPARE(m_boxes->Calls().size(), std::size_t(2));
    QCOMPARE(ToCp1252(before->SavedText()), Field("BeforeIPAddressProposal"));
}

QTEST_MAIN(ProposalPanelTest)
#include "ProposalPanelTest.moc"
