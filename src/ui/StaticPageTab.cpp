// The last tab page: tests the status-page rules of the selected router's
// saved definition against a page that the user saved to disk.
#include "MainUnit.h"

#include "ErrorHandler.h"
#include "MySpeedButton.h"
#include "QtText.h"
#include "PageEvaluation.h"
#include "UserFile.h"

#include <QAction>
#include <QButtonGroup>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>

#include <algorithm>
#include <stdexcept>

namespace {

std::string ReadWholeFile(const QString& fileName)
{
    return ReadUserFile(QFile::encodeName(fileName).toStdString(), MaxPageFileSize(), TFileNaming::FullPath);
}

} // namespace

void TMainEditor::CreateTestPage()
{
    TS5 = AddPage("TS5", QStringLiteral("Testen mit statischen Seiten"));
    StatFileName = new QLineEdit(TS5);
    StatFileName->setObjectName(QStringLiteral("StatFileName"));
    StatFileName->setGeometry(8, 8, 401, 21);
    QAction* browse = StatFileName->addAction(style()->standardIcon(QStyle::SP_DirOpenIcon),
                                              QLineEdit::TrailingPosition);
    browse->setObjectName(QStringLiteral("StatFileNameBrowse"));
    browse->setToolTip(QStringLiteral("Datei auswählen"));
    connect(browse, &QAction::triggered, this, Guarded([this] {
                const QString path = QFileDialog::getOpenFileName(this, QString(), StatFileName->text(),
                                                                  QStringLiteral("Alle Dateien (*)"));
                if (!path.isEmpty())
                    StatFileName->setText(path);
            }));
    connect(StatFileName, &QLineEdit::textChanged, this, Guarded([this] { StatFileNameChange(); }));

    auto* group = new QButtonGroup(TS5);
    const char* const names[] = {"Status1Btn", "Status2Btn", "Status3Btn", "Status4Btn"};
    const QString texts[] = {QStringLiteral("Status1"), QStringLiteral("Status 2"),
                             QStringLiteral("Status 3"), QStringLiteral("Status 4")};
    const QRect places[] = {{416, 8, 57, 22}, {483, 8, 57, 22}, {547, 8, 57, 22}, {483, 40, 57, 22}};
    for (int index = 0; index < 4; ++index) {
        TMySpeedButton* button = new TMySpeedButton(TS5);
        button->setObjectName(QLatin1String(names[index]));
        button->setText(texts[index]);
        button->setGeometry(places[index]);
        button->setCheckable(true);
        group->addButton(button);
        m_statusButtons[index] = button;
    }
    m_statusButtons[0]->setChecked(true);
    TestBtn = new TMySpeedButton(TS5);
    TestBtn->setObjectName(QStringLiteral("TestBtn"));
    TestBtn->setText(QStringLiteral("Testen"));
    TestBtn->setGeometry(544, 40, 65, 22);
    connect(TestBtn, &QAbstractButton::clicked, this, Guarded([this] { TestBtnClick(); }));

    Grid = new QTableWidget(1, 2, TS5);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->setGeometry(8, 40, 436, 337);
    Grid->horizontalHeader()->hide();
    Grid->verticalHeader()->hide();
    Grid->verticalHeader()->setDefaultSectionSize(18);
    Grid->setColumnWidth(0, 128);
    Grid->setColumnWidth(1, 200);
    Grid->setShowGrid(false);
    Grid->setWordWrap(false);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Rows are selected whole, but a selection is not drawn.
    Grid->setStyleSheet(QStringLiteral(
        "QTableWidget { background: black; color: rgb(0, 255, 0); }"
        "QTableWidget::item { padding: 2px; }"
        "QTableWidget::item:selected { background: black; color: rgb(0, 255, 0); }"));

    AddLabel(TS5, "Label4", QStringLiteral("IP-Adresse:"), {456, 72});
    const auto addStateLabel = [this](const char* name, const QString& text, const QRect& geometry) {
        QLabel* label = AddLabel(TS5, name, text, geometry.topLeft());
        label->setGeometry(geometry);
        label->setAlignment(Qt::AlignCenter);
        label->setStyleSheet(QStringLiteral("QLabel { background: navy; color: white; }"));
        return label;
    };
    CurrIPLabel = addStateLabel("CurrIPLabel", QStringLiteral("????"), {456, 89, 90, 16});
    Label8 = addStateLabel("Label8", QStringLiteral("OFFLINE"), {456, 120, 90, 13});
    AddWrappedLabel(TS5, "Label15",
                    QStringLiteral("Speichern Sie die Statusseiten des Routers auf die Festplatte "
                                   "und wählen Sie die Datei dann aus. Sie können Status1, "
                                   "Status2-4 testen.\nDas Testen ist nur möglich, wenn man die "
                                   "Daten gespeichert hat!"),
                    {456, 248, 145, 129});
}

void TMainEditor::StatFileNameChange()
{
    QString text = StatFileName->text();
    if (text.contains(QLatin1Char('"')))
        StatFileName->setText(text.remove(QLatin1Char('"')));
}

int TMainEditor::SelectedStatusQuery() const
{
    const auto down = std::find_if(m_statusButtons.begin(), m_statusButtons.end(),
                                   [](const TMySpeedButton* button) { return button->isChecked(); });
    return static_cast<int>(down - m_statusButtons.begin()) + 1;
}

// The test reads the record as it was last saved, never the controls.
void TMainEditor::TestBtnClick()
{
    std::string page;
    const QString fileName = StatFileName->text();
    if (!fileName.isEmpty())
        page = ReadWholeFile(fileName);
    const TRouterEntry entry = m_routers.SelectedEntry();
    const int statusQuery = SelectedStatusQuery();
    const TStaticTestResult result = RunPageTest(entry, std::move(page), statusQuery);
    if (statusQuery == 1) {
        Label8->setText(result.offline ? QStringLiteral("OFFLINE") : QStringLiteral("ONLINE"));
        CurrIPLabel->setText(ToQString(result.ipAddress));
    } else {
        FillResultGrid(result.values);
    }
}

void TMainEditor::FillResultGrid(const TPropertyList& results)
{
    // The grid keeps one row; after a test without values it stands empty
    // rather than showing the values of an earlier test.
    Grid->clearContents();
    Grid->setRowCount(std::max(1, results.Count()));
    for (int row = 0; row < results.Count(); ++row) {
        Grid->setItem(row, 0, new QTableWidgetItem(ToQString(results.Name(row)) + QLatin1Char(':')));
        Grid->setItem(row, 1, new QTableWidgetItem(ToQString(results.ValueAt(row))));
    }
}
