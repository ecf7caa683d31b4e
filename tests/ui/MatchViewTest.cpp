#include "MainUnit.h"
#include "MatchView.h"
#include "PageControl.h"
#include "PageView.h"
#include "PropertyListEditor.h"
#include "TraceModel.h"
#include "UiTestSupport.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QTabBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTreeView>
#include <QWindow>

#include <map>
#include <memory>

using K = TPageView::THighlightKind;

class MatchViewTest : public TEditorFixture {
    Q_OBJECT

private slots:
    void buttonOpensAViewBesideTheEditorAfterATest();
    void highlightsSitWhereTheRulesMatched();
    void bytesBehindTheFirstNulAreGrey();
    void choosingARuleOrAStepScrollsThePageThere();
    void clickingAGridRowScrollsTheOpenView();
    void failedRuleSaysWhichStepFailed();
    void pageCodeInTextsShowsAsItStands();
    void openViewFollowsTheNextTest();
    void tabUnderTheMouseIsLitUp();
    void longRangeLeavesTheTextReadable();
    void nothingIsCutAtTheSmallestSize();
    void savedRuleChangeMarksTheTraceOutdated();

private:
    void Open(const TRouterEntry& router);
    void RunTest(const char* statusButton, const QByteArray& page);
    TMatchView* OpenView();
};

namespace {

// Rules for the pages below; only one router, so it is the one selected.
TRouterEntry TestRouter()
{
    TRouterEntry entry = SampleRouter("Testrouter");
    entry.Status2Values.Clear();
    entry.Status2Values.Add("Downstream=<td>Down:</td><td>");
    entry.Status2Values.Add("Upstream=<td>Up:</td><td>");
    entry.Status2Values.Add("Fehlt={3}<th>");
    return entry;
}

// The text a tooltip or label shows for `text`, which Qt takes for rich
// text when it looks like markup.
QString Shown(const QString& text, Qt::TextFormat format = Qt::AutoText)
{
    if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(text)))
        return text;
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

// The colour that covers most of a byte's cell: the glyph takes less.
QRgb CellColor(TPageView& view, std::size_t offset)
{
    const QImage image = view.viewport()->grab().toImage();
    const QRect cell = view.ByteRect(offset);
    std::map<QRgb, int> counts;
    for (int y = cell.top() + 3; y < cell.bottom() - 2; ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            ++counts[image.pixel(x, y)];
    return std::max_element(counts.begin(), counts.end(),
                            [](const auto& a, const auto& b) { return a.second < b.second; })
        ->first;
}

// The darkest grey level of a byte's cell.
int DarkestIn(TPageView& view, std::size_t offset)
{
    const QImage image = view.viewport()->grab().toImage();
    const QRect cell = view.ByteRect(offset);
    int darkest = 255;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            darkest = std::min(darkest, qGray(image.pixel(x, y)));
    return darkest;
}

// How many pixels of a byte's cell are nearly black.
int InkIn(TPageView& view, std::size_t offset)
{
    const QImage image = view.viewport()->grab().toImage();
    const QRect cell = view.ByteRect(offset);
    int ink = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            ink += qGray(image.pixel(x, y)) < 96 ? 1 : 0;
    return ink;
}

bool Shows(TPageView& view, TPageSpan span)
{
    const TPageSpan visible = view.VisibleBytes();
    return span.offset >= visible.offset && span.End() <= visible.End();
}

QByteArray Filler(int rows)
{
    QByteArray filler;
    for (int i = 0; i < rows; ++i)
        filler += "<tr><td>Zeile " + QByteArray::number(i) + "</td></tr>\r\n";
    return filler;
}

} // namespace

void MatchViewTest::Open(const TRouterEntry& router)
{
    TRouterList routers;
    routers.Add(router.RouterVendor, std::make_unique<TRouterEntry>(router));
    QVERIFY(OpenOnTestPage(std::move(routers)));
}

void MatchViewTest::RunTest(const char* statusButton, const QByteArray& page)
{
    QVERIFY(RunStaticTest(statusButton, page));
}

TMatchView* MatchViewTest::OpenView()
{
    W<QAbstractButton>("MatchViewBtn")->click();
    return W<TMatchView>("MatchView");
}

void MatchViewTest::buttonOpensAViewBesideTheEditorAfterATest()
{
    Open(TestRouter());
    auto* button = W<QAbstractButton>("MatchViewBtn");
    QVERIFY(!button->isEnabled());
    // The button sits in free space: none of the tab's controls moves or is covered.
    for (const char* name : {"StatFileName", "Status1Btn", "Status2Btn", "Status3Btn", "Status4Btn", "TestBtn",
                             "Grid", "Label4", "CurrIPLabel", "Label8", "Label15"})
        QVERIFY2(!button->geometry().intersects(W(name)->geometry()), name);
    QCOMPARE(W("Label8")->geometry(), QRect(456, 120, 90, 13));

    RunTest("Status1Btn", "<td>IP-Adresse:</td><td>1.2.3.4</td>");
    QVERIFY(button->isEnabled());
    TMatchView* view = OpenView();
    QVERIFY(view->isVisible());
    QVERIFY(view->isWindow());
    QCOMPARE(view->windowModality(), Qt::NonModal);
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(view->windowTitle().contains(QStringLiteral("Testrouter")));
    // The editor goes on while the view is open.
    RunTest("Status1Btn", "<td>IP-Adresse:</td><td>5.6.7.8</td>");
    QCOMPARE(W<QLabel>("CurrIPLabel")->text(), QStringLiteral("5.6.7.8"));
    QVERIFY(m_boxes->Calls().empty());
}

void MatchViewTest::highlightsSitWhereTheRulesMatched()
{
    TRouterEntry router = TestRouter();
    router.OfflineCode = "getrennt";
    Open(router);
    //         0         1         2         3
    //         0123456789012345678901234567890123456789
    RunTest("Status1Btn", "<tr><td>IP-Adresse: </td>\r\n<td>84.1.2.3</td></tr>");
    TMatchView* view = OpenView();
    auto* page = Child<TPageView>(*view, "MatchPageView");
    const std::vector<TPageView::THighlight>& highlights = page->Highlights();
    QCOMPARE(highlights.size(), std::size_t(3));
    QCOMPARE(highlights[0].span, (TPageSpan{8, 20}));
    QCOMPARE(highlights[0].kind, K::Marker);
    QCOMPARE(highlights[1].span, (TPageSpan{28, 8}));
    QCOMPARE(highlights[1].kind, K::Value);
    QCOMPARE(highlights[2].span, (TPageSpan{36, 5}));
    QCOMPARE(highlights[2].kind, K::End);

    view->ShowRule(1);
    QCOMPARE(CellColor(*page, 10), TPageView::KindColor(K::Marker).rgb());
    QCOMPARE(CellColor(*page, 30), TPageView::KindColor(K::Value).rgb());
    QCOMPARE(CellColor(*page, 38), TPageView::KindColor(K::End).rgb());
    QCOMPARE(CellColor(*page, 2), page->palette().color(QPalette::Base).rgb());
    // Distinct colours for each kind of place.
    QSet<QRgb> colours;
    for (K kind : {K::Value, K::End, K::Occurrence, K::Marker, K::StartText, K::Checked, K::OfflineCode})
        colours.insert(TPageView::KindColor(kind).rgb());
    QCOMPARE(colours.size(), 7);

    RunTest("Status1Btn", "<b>getrennt</b><td>IP-Adresse:</td><td>84.1.2.3</td>");
    view->SetTest(nullptr, {});
    OpenView();
    QCOMPARE(page->Highlights().size(), std::size_t(1));
    QCOMPARE(page->Highlights()[0].span, (TPageSpan{3, 8}));
    QCOMPARE(page->Highlights()[0].kind, K::OfflineCode);
}

void MatchViewTest::bytesBehindTheFirstNulAreGrey()
{
    Open(TestRouter());
    RunTest("Status1Btn", QByteArray("<td>MMMM</td>\0MMMM", 18));
    auto* page = Child<TPageView>(*OpenView(), "MatchPageView");
    QVERIFY(DarkestIn(*page, 5) < 80);  // searched: black text
    QVERIFY(DarkestIn(*page, 15) > 120); // behind the NUL: grey
}

void MatchViewTest::choosingARuleOrAStepScrollsThePageThere()
{
    Open(TestRouter());
    const QByteArray down = "<td>Down:</td><td>1000</td>";
    const QByteArray page = Filler(2000) + down + Filler(2000) + "<td>Up:</td><td>128</td>";
    RunTest("Status2Btn", page);
    TMatchView* view = OpenView();
    auto* pageView = Child<TPageView>(*view, "MatchPageView");
    auto* steps = Child<QTreeView>(*view, "MatchSteps");
    const auto* model = static_cast<const TTraceModel*>(steps->model());
    const TPageSpan downValue = *model->SpanOf(model->RuleIndex(0));
    QCOMPARE(downValue.length, std::size_t(4));
    QVERIFY(Shows(*pageView, downValue)); // the button shows the first rule

    const QModelIndex up = model->RuleIndex(1);
    QTest::mouseClick(steps->viewport(), Qt::LeftButton, {}, steps->visualRect(up).center());
    const TPageSpan upValue = *model->SpanOf(up);
    QVERIFY(upValue.offset > downValue.offset + 50000);
    QVERIFY(Shows(*pageView, upValue));

    const QModelIndex downMarker = model->index(0, 0, model->RuleIndex(0));
    steps->expand(model->RuleIndex(0));
    steps->scrollTo(downMarker);
    QTest::mouseClick(steps->viewport(), Qt::LeftButton, {}, steps->visualRect(downMarker).center());
    QVERIFY(Shows(*pageView, *model->SpanOf(downMarker)));
    QVERIFY(!Shows(*pageView, upValue));
}

void MatchViewTest::clickingAGridRowScrollsTheOpenView()
{
    Open(TestRouter());
    RunTest("Status2Btn", Filler(3000) + "<td>Down:</td><td>1000</td>" + Filler(3000) + "<td>Up:</td><td>128</td>");
    auto* grid = W<QTableWidget>("Grid");
    // A single click with no view open opens none.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualItemRect(grid->item(1, 0)).center());
    QVERIFY(!m_window->findChild<TMatchView*>());

    TMatchView* view = OpenView();
    auto* pageView = Child<TPageView>(*view, "MatchPageView");
    const std::size_t upOffset = std::size_t(view->Test()->Page().rfind("128"));
    QVERIFY(!Shows(*pageView, {upOffset, 3}));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualItemRect(grid->item(1, 1)).center());
    QVERIFY(Shows(*pageView, {upOffset, 3}));
    QCOMPARE(Child<QTreeView>(*view, "MatchSteps")->currentIndex().row(), 1);

    view->close();
    const QPoint first = grid->visualItemRect(grid->item(0, 0)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, first);
    QVERIFY(!view->isVisible());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, first);
    QVERIFY(view->isVisible());
    QCOMPARE(Child<QTreeView>(*view, "MatchSteps")->currentIndex().row(), 0);
}

void MatchViewTest::failedRuleSaysWhichStepFailed()
{
    Open(TestRouter());
    RunTest("Status2Btn", "<th>a</th><th>b</th><td>Down:</td><td>1<");
    auto* steps = Child<QTreeView>(*OpenView(), "MatchSteps");
    const QAbstractItemModel* model = steps->model();
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(model->index(2, 0).data().toString(), QStringLiteral("Fehlt: nur 2 von 3 Vorkommen von „<th>“"));
    QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("Upstream: „<td>Up:</td><td>“ nicht gefunden"));
    const QModelIndex lastStep = model->index(2, 0, model->index(2, 0));
    QCOMPARE(lastStep.data().toString(), QStringLiteral("nur 2 von 3 Vorkommen von „<th>“"));
    QVERIFY(lastStep.data(Qt::FontRole).value<QFont>().bold());
}

// Steps quote the page's code, and names may hold "<" or "&lt;": hovering a
// step or reading the title line shows them as they stand, not as markup.
void MatchViewTest::pageCodeInTextsShowsAsItStands()
{
    TRouterEntry router = TestRouter();
    router.RouterVendor = "Router &lt;b&gt; <b>Fett</b>";
    Open(router);
    RunTest("Status2Btn", "<td>Down:</td><td>1000</td>");
    TMatchView* view = OpenView();
    auto* info = Child<QLabel>(*view, "MatchInfoLabel");
    QVERIFY(Shown(info->text(), info->textFormat()).startsWith(QStringLiteral("Router &lt;b&gt; <b>Fett</b> – ")));

    const QAbstractItemModel* model = Child<QTreeView>(*view, "MatchSteps")->model();
    const QModelIndex down = model->index(0, 0);
    const QModelIndex marker = model->index(0, 0, down);
    QVERIFY(marker.data().toString().contains(QStringLiteral("„<td>Down:</td><td>“")));
    for (const QModelIndex& index :
         {down, marker, marker.siblingAtColumn(TTraceModel::ExcerptColumn), model->index(1, 0)}) {
        const QString text = index.data().toString();
        QVERIFY(!text.isEmpty());
        QCOMPARE(Shown(index.data(Qt::ToolTipRole).toString()).simplified(), text.simplified());
    }
}

void MatchViewTest::openViewFollowsTheNextTest()
{
    Open(TestRouter());
    RunTest("Status1Btn", "<td>IP-Adresse:</td><td>1.2.3.4</td>");
    TMatchView* view = OpenView();
    const TPageTest* first = view->Test();
    RunTest("Status2Btn", "<td>Down:</td><td>1000</td>");
    QVERIFY(view->Test() != first);
    QCOMPARE(view->Test()->StatusQuery(), 2);
    QVERIFY(view->windowTitle().contains(QStringLiteral("Status 2")));
    // The address label still leads to the status 1 test it shows.
    QTest::mouseDClick(W("CurrIPLabel"), Qt::LeftButton);
    QCOMPARE(view->Test(), first);
}

void MatchViewTest::tabUnderTheMouseIsLitUp()
{
    Open(TestRouter());
    auto* pages = W<TPageControl>("PC");
    QTabBar* bar = pages->tabBar();
    pages->setCurrentIndex(0);
    // Moves sent to the bar itself: earlier tests' clicks leave the
    // offscreen platform's mouse grab behind.
    const auto moveTo = [bar](const QPoint& at) {
        QMouseEvent move(QEvent::MouseMove, at, bar->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(bar, &move);
    };
    const QRect tab = bar->tabRect(1);
    const QImage before = bar->grab(tab).toImage();
    moveTo(tab.center());
    QCOMPARE(pages->HotTab(), 1);
    QVERIFY(bar->grab(tab).toImage() != before);
    moveTo(bar->tabRect(0).center());
    QCOMPARE(pages->HotTab(), 0);
    QCOMPARE(bar->grab(tab).toImage(), before);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(bar, &leave);
    QCOMPARE(pages->HotTab(), -1);
}

// A failing step's range may be the whole page: its rows keep their text.
void MatchViewTest::longRangeLeavesTheTextReadable()
{
    Open(TestRouter());
    RunTest("Status2Btn", Filler(100));
    auto* page = Child<TPageView>(*OpenView(), "MatchPageView");
    const std::size_t rowEnd = page->BytesPerRow() - 1;
    const int inkAlone = InkIn(*page, rowEnd);
    page->ShowSpan({0, 4000});
    QVERIFY(InkIn(*page, rowEnd) - inkAlone < page->ByteRect(rowEnd).height() / 2);
}

void MatchViewTest::nothingIsCutAtTheSmallestSize()
{
    Open(TestRouter());
    RunTest("Status2Btn", "<th>a</th><th>b</th><td>Down:</td><td>1<");
    TMatchView* view = OpenView();
    auto* steps = Child<QTreeView>(*view, "MatchSteps");
    QHeaderView* header = steps->header();
    const int offsetEnd = header->sectionPosition(TTraceModel::OffsetColumn) + header->sectionSize(TTraceModel::OffsetColumn);
    QVERIFY(offsetEnd <= steps->viewport()->width());
    QVERIFY(header->sectionSize(TTraceModel::OffsetColumn) >= header->sectionSizeHint(TTraceModel::OffsetColumn));

    view->resize(1, 1);
    QTRY_COMPARE(view->size(), view->minimumSize().expandedTo(view->minimumSizeHint()));
    for (const QLabel* label : view->findChildren<QLabel*>()) {
        if (!label->isVisible())
            continue;
        const QString name = label->objectName();
        if (label->wordWrap())
            QVERIFY2(label->heightForWidth(label->width()) <= label->height(), qPrintable(name));
        else
            QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(name));
    }
}

// After Speichern the view says that the rules it traced are no longer
// those saved; the next test shows the new ones. Escape closes it.
void MatchViewTest::savedRuleChangeMarksTheTraceOutdated()
{
    Open(TestRouter());
    RunTest("Status2Btn", "<td>Down:</td><td>1<");
    TMatchView* view = OpenView();
    auto* outdated = Child<QLabel>(*view, "MatchOutdatedLabel");
    Click("EditBtn");
    Click("SaveBtn");
    QVERIFY(!outdated->isVisible()); // saved, but the same rules
    Click("EditBtn");
    W<TPropertyListEditor>("VEditor0")->Rows().SetCode(1, "<td>Down:</td>");
    Click("SaveBtn");
    QVERIFY(outdated->isVisible());
    RunTest("Status2Btn", "<td>Down:</td><td>1<");
    QVERIFY(!outdated->isVisible());
    // Another program changed the file meanwhile: the save reads the list anew.
    Click("EditBtn");
    W<TPropertyListEditor>("VEditor0")->Rows().SetCode(1, "<td>Up:</td>");
    TRouterList changedElsewhere;
    changedElsewhere.Add("Testrouter", std::make_unique<TRouterEntry>(TestRouter()));
    changedElsewhere.Add("Zweiter", std::make_unique<TRouterEntry>(SampleRouter("Zweiter")));
    QVERIFY(WriteRouters(changedElsewhere));
    Click("SaveBtn");
    QCOMPARE(m_window->Routers().Count(), 2);
    QVERIFY(outdated->isVisible());

    view->windowHandle()->requestActivate();
    QTRY_COMPARE(QApplication::activeWindow(), view);
    QTest::keyClick(view, Qt::Key_Escape);
    QVERIFY(!view->isVisible());
}

QTEST_MAIN(MatchViewTest)
#include "MatchViewTest.moc"
