#include "FileDialog.h"
#include "MainUnit.h"
#include "MergeRouterUnit.h"
#include "NameCompare.h"
#include "QtText.h"
#include "RouterFile.h"
#include "RouterMerge.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <charconv>
#include <cstring>
#include <functional>
#include <memory>
#include <random>

using TMode = TMainEditor::TMode;

namespace {

// Runs `action` on the modal merge dialog as soon as it is shown.
class TMergeDialogAnswer {
public:
    explicit TMergeDialogAnswer(std::function<void(TMergeRouterDlg&)> action)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this, action] {
            auto* dialog = qobject_cast<TMergeRouterDlg*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            m_timer.stop();
            m_ran = true;
            action(*dialog);
            // A failed check inside the action must not leave the dialog open.
            if (dialog->isVisible())
                dialog->reject();
        });
        m_timer.start(5);
    }
    bool Ran() const { return m_ran; }

private:
    QTimer m_timer;
    bool m_ran = false;
};

// What the dialog offered when it was answered.
struct TOffer {
    QStringList names;
    int current = -2;
};

std::function<void(TMergeRouterDlg&)> PickAndPress(TOffer& offer, int pick, const char* button)
{
    return [&offer, pick, button](TMergeRouterDlg& dialog) {
        auto* combo = Child<QComboBox>(dialog, "ComboBox1");
        for (int i = 0; i < combo->count(); ++i)
            offer.names << combo->itemText(i);
        offer.current = combo->currentIndex();
        if (pick >= 0)
            combo->setCurrentIndex(pick);
        QTest::mouseClick(Child<QPushButton>(dialog, button), Qt::LeftButton);
    };
}

TRouterEntry Untidy(const std::string& name, std::mt19937& random)
{
    auto text = [&](const char* alphabet) {
        std::string s;
        const std::size_t size = std::strlen(alphabet);
        for (int i = 0, n = int(random() % 8); i < n; ++i)
            s += alphabet[random() % size];
        return s;
    };
    const char* const breaks = "ab\r\n \t/";
    TRouterEntry e = SampleRouter(name);
    const std::int32_t ports[] = {0, -1, 1, 80, 65535, 65536, INT32_MIN, INT32_MAX};
    e.HTTPPort = ports[random() % std::size(ports)];
    e.BrowserAuth = std::uint8_t(random() % 3);
    e.AuthString = text(breaks);
    e.SavedAt = random() % 50000;
    e.Comments = text(breaks) + std::string(1, '\0') + text(breaks);
    e.GoOnline = "/" + text(breaks);
    e.OfflineCode = text(breaks);
    e.BeforeIPAddress = text(breaks);
    e.AfterIPAddress = text(breaks);
    e.UserDef3 = text(breaks);
    e.Reserved2 = text(breaks);
    e.ReservedFlag = std::uint8_t(random());
    return e;
}

} // namespace

class MergeExportTest : public TEditorFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void dialogLooksAsDesigned();
    void mergeOffersTheRoutersInFileOrder_data();
    void mergeOffersTheRoutersInFileOrder();
    void mergeGoesThroughTheControls();
    void nameAlreadyPresentSavesTheFirstEntryOfThatName();
    void missingMergeFileOffersNothingAndOkIsAnIndexError();
    void unreadableMergeFileShowsNoDialog();
    void cancelAndEscapeTakeNothingOver_data();
    void cancelAndEscapeTakeNothingOver();
    void mergeEndsARunningEdit();
    void damagedMergeFileIsReported();
    void cutTextsOfTheMergeFileAreReported();
    void windowMergeWritesWhatTheCoreMergeWrites();
    void commandLineMergeWritesWhatTheWindowWrites();
    void exportWritesTheNamesInListOrder();
    void exportOfAnEmptyListIsAnEmptyFile();
    void exportDuringAnEditWritesTheList();
    void exportThatCannotBeWrittenIsReported();
    void exportOverTheDefinitionsFileIsRefused();

private:
    void WriteMergeFile(const QString& path, const std::vector<TRouterEntry>& routers);
    void AnswerFileDialogs(std::optional<QString> answer);
    void Merge(const QString& path, std::function<void(TMergeRouterDlg&)> action);

    std::vector<const TFileDialog*> m_dialogsAsked;
    std::vector<QString> m_fileNamesOffered;
};

void MergeExportTest::init()
{
    TEditorFixture::init();
    m_dialogsAsked.clear();
    m_fileNamesOffered.clear();
    TRouterList sample = SampleRouters();
    QVERIFY(WriteRouters(sample));
}

void MergeExportTest::cleanup()
{
    TFileDialog::SetAnswerForTesting({});
    TEditorFixture::cleanup();
}

void MergeExportTest::WriteMergeFile(const QString& path, const std::vector<TRouterEntry>& routers)
{
    TRouterList list(TRouterList::TOrder::Unsorted);
    for (const TRouterEntry& entry : routers)
        list.Add(entry.RouterVendor, std::make_unique<TRouterEntry>(entry));
    QVERIFY(SaveRouterList(list, path.toStdString()));
}

void MergeExportTest::AnswerFileDialogs(std::optional<QString> answer)
{
    TFileDialog::SetAnswerForTesting([this, answer](const TFileDialog& dialog) {
        m_dialogsAsked.push_back(&dialog);
        m_fileNamesOffered.push_back(dialog.FileName());
        return answer;
    });
}

void MergeExportTest::Merge(const QString& path, std::function<void(TMergeRouterDlg&)> action)
{
    AnswerFileDialogs(path);
    TMergeDialogAnswer answer(std::move(action));
    Click("Button1");
    QVERIFY(answer.Ran());
}

void MergeExportTest::dialogLooksAsDesigned()
{
    QVERIFY(Open());
    const QString path = m_dir->filePath(QStringLiteral("leer.dat"));
    Merge(path, [](TMergeRouterDlg& dialog) {
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Router hinzumischen"));
        QCOMPARE(dialog.size(), QSize(460, 129));
        QCOMPARE(Child<QComboBox>(dialog, "ComboBox1")->geometry(), QRect(8, 64, 449, 21));
        QVERIFY(!Child<QComboBox>(dialog, "ComboBox1")->isEditable());
        QCOMPARE(Child<QPushButton>(dialog, "OKBtn")->geometry(), QRect(296, 96, 75, 25));
        QCOMPARE(Child<QPushButton>(dialog, "Button2")->text(), QStringLiteral("Abbrechen"));
        auto* label = Child<QLabel>(dialog, "Label1");
        QCOMPARE(label->geometry(), QRect(8, 8, 441, 49));
        QVERIFY(label->text().startsWith(QStringLiteral("Diese Funktion ist nur für den Autor")));
        QVERIFY(label->heightForWidth(label->width()) <= label->height());
        QCOMPARE(dialog.focusWidget(), Child<QComboBox>(dialog, "ComboBox1"));
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    QCOMPARE(m_dialogsAsked.size(), std::size_t(1));
    QCOMPARE(m_dialogsAsked[0]->Kind(), TFileDialog::TKind::Open);
    QCOMPARE(m_dialogsAsked[0]->FilterPattern(), QString());
    QCOMPARE(m_fileNamesOffered[0], QString());
}

void MergeExportTest::mergeOffersTheRoutersInFileOrder_data()
{
    QTest::addColumn<int>("pick");
    QTest::addColumn<QString>("taken");
    QTest::newRow("first unless another is picked") << -1 << QStringLiteral("Zulu");
    QTest::newRow("the one picked") << 2 << QStringLiteral("Mike");
}

void MergeExportTest::mergeOffersTheRoutersInFileOrder()
{
    QFETCH(int, pick);
    QFETCH(QString, taken);
    const QString mergePath = m_dir->filePath(QStringLiteral("zugeschickt.dat"));
    WriteMergeFile(mergePath, {SampleRouter("Zulu"), SampleRouter("Echo"), SampleRouter("Mike")});
    const QByteArray mergeBytes = ReadFileBytes(mergePath);
    QVERIFY(Open());

    TOffer offer;
    const double before = CurrentDateTime();
    Merge(mergePath, PickAndPress(offer, pick, "OKBtn"));
    const double after = CurrentDateTime();
    QCOMPARE(offer.names, QStringList({"Zulu", "Echo", "Mike"}));
    QCOMPARE(offer.current, 0);

    QCOMPARE(m_window->Mode(), TMode::Browse);
    const TRouterList& routers = m_window->Routers();
    QCOMPARE(routers.Count(), 4);
    const int index = routers.FindByName(ToCp1252(taken));
    QCOMPARE(routers.Selected(), index);
    QCOMPARE(W<QComboBox>("RoutersCB")->currentText(), taken);
    QCOMPARE(W<QLineEdit>("RouterVendorEdit")->text(), taken);
    for (int i = 1; i < routers.Count(); ++i)
        QVERIFY(CompareNamesNoCase(routers.Name(i - 1), routers.Name(i)) <= 0);

    TRouterList saved = ReadBack();
    QCOMPARE(saved.Count(), 4);
    const TRouterEntry& merged = saved.Entry(saved.FindByName(ToCp1252(taken)));
    QVERIFY(merged.SavedAt >= before - 1e-6 && merged.SavedAt <= after + 1e-6);
    QCOMPARE(merged.ReservedFlag, 1);
    QCOMPARE(merged.Reserved1, std::string());
    QCOMPARE(ReadFileBytes(mergePath), mergeBytes); // the merge file is only read
    QVERIFY(m_boxes->Calls().empty());
}

// The copy reaches the file as the controls hold it; nothing is normalised
// on exit from a field, since no focus moves.
void MergeExportTest::mergeGoesThroughTheControls()
{
    TRouterEntry source = SampleRouter("Neu");
    source.HTTPPort = 70000;
    source.BrowserAuth = 2;
    source.AuthString = "login.cgi";
    source.Comments = "eins\nzwei\rdrei";
    source.GoOnline = "/<post>/cgi-bin/goinet.cgi";
    source.OfflineCode = "<td>\n0.0.0.0\r";
    source.BeforeIPAddress = "IP: \n<td>";
    source.Status4Values.Add("Name=Wert");
    const QString mergePath = m_dir->filePath(QStringLiteral("neu.dat"));
    WriteMergeFile(mergePath, {source});
    QVERIFY(Open());
    TOffer offer;
    Merge(mergePath, PickAndPress(offer, -1, "OKBtn"));

    TRouterList saved = ReadBack();
    const TRouterEntry& merged = saved.Entry(saved.FindByName("Neu"));
    QCOMPARE(merged.HTTPPort, 65535);
    QCOMPARE(merged.BrowserAuth, 1);
    QCOMPARE(merged.AuthString, std::string());
    QCOMPARE(merged.Comments, std::string("eins\r\nzwei\r\ndrei"));
    QCOMPARE(merged.BeforeIPAddress, std::string("IP: \r\n<td>"));
    QCOMPARE(merged.GoOnline, source.GoOnline);
    QCOMPARE(merged.OfflineCode, source.OfflineCode);
    QCOMPARE(merged.Status2Values, source.Status2Values);
    QCOMPARE(merged.Status4Values, source.Status4Values);
    QCOMPARE(merged.ReservedFlag, 1);
}

void MergeExportTest::nameAlreadyPresentSavesTheFirstEntryOfThatName()
{
    TRouterEntry source = SampleRouter("alpha 100");
    source.RouterVendorURL = "www.example.org/zugeschickt";
    const QString mergePath = m_dir->filePath(QStringLiteral("doppelt.dat"));
    WriteMergeFile(mergePath, {source});
    const TRouterList before = ReadBack();
    const TRouterEntry& existing = before.Entry(0);
    QVERIFY(Open());
    TOffer offer;
    Merge(mergePath, PickAndPress(offer, -1, "OKBtn"));

    TRouterList saved = ReadBack();
    QCOMPARE(saved.Count(), 4);
    QCOMPARE(saved.Name(0), std::string("Alpha 100"));
    QCOMPARE(saved.Name(1), std::string("alpha 100"));
    // The entry that was there is saved again with its own values ...
    QCOMPARE(saved.Entry(0).RouterVendorURL, existing.RouterVendorURL);
    QVERIFY(saved.Entry(0).SavedAt != existing.SavedAt);
    QCOMPARE(saved.Entry(0).ReservedFlag, 1);
    QCOMPARE(saved.Entry(0).AuthString, std::string()); // it logs in through the browser
    // ... and the copy stays as it was read.
    QVERIFY(saved.Entry(1) == source);
    QCOMPARE(m_window->Routers().Selected(), 0);
    QCOMPARE(W<QLineEdit>("RouterVendorURLEdit")->text(), ToQString(existing.RouterVendorURL));
}

void MergeExportTest::missingMergeFileOffersNothingAndOkIsAnIndexError()
{
    QVERIFY(Open());
    const QByteArray fileBefore = ReadFileBytes(m_path);
    const QString missing = m_dir->filePath(QStringLiteral("gibt-es-nicht.dat"));
    TOffer offer;
    Merge(missing, PickAndPress(offer, -1, "OKBtn"));
    QVERIFY(offer.names.isEmpty());
    QCOMPARE(offer.current, -1);
    QVERIFY(QFile::exists(missing));
    QCOMPARE(QFileInfo(missing).size(), 0);

    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
    const TMsgBoxRecorder::TCall& error = m_boxes->Calls().front();
    QCOMPARE(error.text, std::string("Listenindex \xFC" "berschreitet das Maximum (-1)"));
    QCOMPARE(error.style, MsgBox::MB_ICONHAND | MsgBox::MB_OK);
    QCOMPARE(m_window->Routers().Count(), 3);
    QCOMPARE(ReadFileBytes(m_path), fileBefore);
    QCOMPARE(m_window->Mode(), TMode::Browse);
}

void MergeExportTest::unreadableMergeFileShowsNoDialog()
{
    QVERIFY(Open());
    const QByteArray fileBefore = ReadFileBytes(m_path);
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("ordner.dat")));
    AnswerFileDialogs(m_dir->filePath(QStringLiteral("ordner.dat")));
    TMergeDialogAnswer answer([](TMergeRouterDlg& dialog) { dialog.reject(); });
    Click("Button1");
    QVERIFY(!answer.Ran());
    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
    const std::string& text = m_boxes->Calls().front().text;
    QVERIFY2(text.find("ordner.dat\" kann nicht ge\xF6" "ffnet werden.") != std::string::npos, text.c_str());
    QCOMPARE(m_window->Routers().Count(), 3);
    QCOMPARE(ReadFileBytes(m_path), fileBefore);
}

void MergeExportTest::cancelAndEscapeTakeNothingOver_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("Abbrechen") << false;
    QTest::newRow("Escape") << true;
}

// Cancelled in either dialog, a merge leaves a running edit as it was.
void MergeExportTest::cancelAndEscapeTakeNothingOver()
{
    QFETCH(bool, escape);
    const QString mergePath = m_dir->filePath(QStringLiteral("zugeschickt.dat"));
    WriteMergeFile(mergePath, {SampleRouter("Zulu")});
    QVERIFY(Open());
    const QByteArray fileBefore = ReadFileBytes(m_path);
    Click("EditBtn");
    W<QLineEdit>("RouterVendorURLEdit")->setText(QStringLiteral("in Arbeit"));

    AnswerFileDialogs(std::nullopt);
    Click("Button1");
    QCOMPARE(m_dialogsAsked.size(), std::size_t(1));

    Merge(mergePath, [escape](TMergeRouterDlg& dialog) {
        if (escape)
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            QTest::mouseClick(Child<QPushButton>(dialog, "Button2"), Qt::LeftButton);
    });
    QCOMPARE(m_window->Mode(), TMode::Edit);
    QCOMPARE(W<QLineEdit>("RouterVendorURLEdit")->text(), QStringLiteral("in Arbeit"));
    QVERIFY(W("SaveBtn")->isEnabled());
    QCOMPARE(m_window->Routers().Count(), 3);
    QCOMPARE(ReadFileBytes(m_path), fileBefore);
    QVERIFY(m_boxes->Calls().empty());
    // The open dialog offers the file chosen last.
    QCOMPARE(m_fileNamesOffered.back(), QString());
    AnswerFileDialogs(std::nullopt);
    Click("Button1");
    QCOMPARE(m_fileNamesOffered.back(), mergePath);
}

// New mode: the merge asks first; let go, the unsaved router is discarded
// and no extra one is saved.
void MergeExportTest::mergeEndsARunningEdit()
{
    const QString mergePath = m_dir->filePath(QStringLiteral("zugeschickt.dat"));
    WriteMergeFile(mergePath, {SampleRouter("Zulu")});
    QVERIFY(Open());
    Click("NewBtn");
    W<QLineEdit>("RouterVendorEdit")->setText(QStringLiteral("Ungespeichert"));
    TOffer offer;
    m_boxes->AnswerNext(MsgBox::IDNO);
    Merge(mergePath, PickAndPress(offer, -1, "OKBtn"));
    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));

    QCOMPARE(m_window->Mode(), TMode::Browse);
    QVERIFY(W("TS5")->isEnabled());
    QVERIFY(W("NewBtn")->isEnabled());
    QVERIFY(!W("SaveBtn")->isEnabled());
    TRouterList saved = ReadBack();
    QCOMPARE(saved.Count(), 4);
    QCOMPARE(saved.FindByName("Ungespeichert"), -1);
    QCOMPARE(W<QLineEdit>("RouterVendorEdit")->text(), QStringLiteral("Zulu"));
}

void MergeExportTest::damagedMergeFileIsReported()
{
    const QString mergePath = m_dir->filePath(QStringLiteral("kaputt.dat"));
    WriteMergeFile(mergePath, {SampleRouter("Zulu"), SampleRouter("Echo")});
    QFile file(mergePath);
    QVERIFY(file.resize(file.size() - 3));
    QVERIFY(Open());
    TOffer offer;
    Merge(mergePath, PickAndPress(offer, -1, "Button2"));
    QCOMPARE(offer.names, QStringList({"Zulu", "Echo"}));
    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
    QVERIFY(m_boxes->Calls().front().text.find("kaputt.dat\" ist besch\xE4" "digt") != std::string::npos);
    QCOMPARE(m_boxes->Calls().front().caption, std::string("Warnung"));
}

void MergeExportTest::cutTextsOfTheMergeFileAreReported()
{
    const QString mergePath = m_dir->filePath(QStringLiteral("lang.dat"));
    TRouterEntry router = SampleRouter("Lang");
    router.Status2Values.Add("ab=" + std::string(65535, 'x'));
    WriteMergeFile(mergePath, {router});
    // The name "a=" joins with the value into a line one byte too long.
    QFile file(mergePath);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const QByteArray bytes = file.readAll().replace(QByteArray("\x02\0ab", 4), QByteArray("\x02\0a=", 4));
    QVERIFY(file.seek(0) && file.write(bytes) == bytes.size());
    file.close();
    QVERIFY(Open());
    TOffer offer;
    Merge(mergePath, PickAndPress(offer, -1, "Button2"));
    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
    const std::string& text = m_boxes->Calls().front().text;
    QVERIFY2(text.find("Eigenschaft \"a\" der Statusabfrage 2 des Routers \"Lang\"") != std::string::npos,
             text.c_str());
}

// The command-line tool merges with the core functions; the window's merge
// through its controls must write the same bytes, but for SavedAt.
void MergeExportTest::windowMergeWritesWhatTheCoreMergeWrites()
{
    std::mt19937 random(11);
    std::vector<TRouterEntry> sources;
    for (const char* name : {"Zulu", "alpha 100", "Echo", "", "BETA 300", "Zulu"})
        sources.push_back(Untidy(name, random));
    for (int i = 0; i < 20; ++i)
        sources.push_back(Untidy("Zufall " + std::to_string(i % 7), random));
    const QString mergePath = m_dir->filePath(QStringLiteral("zugeschickt.dat"));
    WriteMergeFile(mergePath, sources);
    TRouterList sourceList(TRouterList::TOrder::Unsorted);
    LoadRouterList(mergePath.toStdString(), sourceList);

    TRouterList expected;
    LoadRouterList(m_path.toStdString(), expected);
    QVERIFY(Open());
    for (int pick = 0; pick < sourceList.Count(); ++pick) {
        TOffer offer;
        Merge(mergePath, PickAndPress(offer, pick, "OKBtn"));
        const double savedAt = m_window->Routers().SelectedEntry().SavedAt;
        MergeRouters(expected, sourceList, {pick}, {false, savedAt});
        const std::string expectedBytes = SerializeRouterList(expected);
        const QByteArray written = ReadFileBytes(m_path);
        QVERIFY2(written == QByteArray::fromStdString(expectedBytes), qPrintable(QString::number(pick)));
    }
    QVERIFY(m_boxes->Calls().empty());
}

void MergeExportTest::commandLineMergeWritesWhatTheWindowWrites()
{
    std::mt19937 random(5);
    std::vector<TRouterEntry> sources;
    for (const char* name : {"Zulu", "alpha 100", "", "Echo \xC4"})
        sources.push_back(Untidy(name, random));
    const QString mergePath = m_dir->filePath(QStringLiteral("zugeschickt.dat"));
    WriteMergeFile(mergePath, sources);
    const QString before = m_dir->filePath(QStringLiteral("vorher.dat"));
    QVERIFY(Open());
    for (int pick = 0; pick < int(sources.size()); ++pick) {
        QFile::remove(before);
        QVERIFY(QFile::copy(m_path, before));
        TOffer offer;
        Merge(mergePath, PickAndPress(offer, pick, "OKBtn"));
        char savedAt[32];
        const double windowSavedAt = m_window->Routers().SelectedEntry().SavedAt;
        *std::to_chars(savedAt, savedAt + sizeof savedAt - 1, windowSavedAt).ptr = '\0';
        QProcess tool;
        tool.start(QStringLiteral(ROUTERSDAT),
                   {"merge", before, mergePath, "--router", ToQString(sources[pick].RouterVendor),
                    "--saved-at", QString::fromLatin1(savedAt)});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 0);
        QVERIFY2(ReadFileBytes(before) == ReadFileBytes(m_path), qPrintable(QString::number(pick)));
    }
}

void MergeExportTest::exportWritesTheNamesInListOrder()
{
    QVERIFY(Open());
    const QString target = m_dir->filePath(QStringLiteral("namen.txt"));
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("alter, l\xE4ngerer Inhalt der Datei\r\n");
    old.close();
    AnswerFileDialogs(target);
    Click("Button2");
    QCOMPARE(ReadFileBytes(target), QByteArray("Alpha 100\r\nBeta 300\r\nGamma G\xE4ste-Router\r\n"));
    QCOMPARE(m_dialogsAsked.size(), std::size_t(1));
    QCOMPARE(m_dialogsAsked[0]->Kind(), TFileDialog::TKind::Save);
    QCOMPARE(m_dialogsAsked[0]->FilterDescription(), QStringLiteral("Textdateien"));
    QCOMPARE(m_dialogsAsked[0]->FilterPattern(), QStringLiteral("*.txt"));
    QCOMPARE(m_fileNamesOffered[0], QStringLiteral("Routers.txt"));
    QVERIFY(m_boxes->Calls().empty());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 2); // no temporary file left

    // No extension is appended; Cancel writes nothing.
    const QString bare = m_dir->filePath(QStringLiteral("ohne-endung"));
    AnswerFileDialogs(bare);
    Click("Button2");
    QVERIFY(QFile::exists(bare));
    QVERIFY(QFile::remove(bare));
    AnswerFileDialogs(std::nullopt);
    Click("Button2");
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 2);
}

void MergeExportTest::exportOfAnEmptyListIsAnEmptyFile()
{
    m_path = m_dir->filePath(QStringLiteral("leer/Routers.dat"));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("leer")));
    QVERIFY(Open());
    const QString target = m_dir->filePath(QStringLiteral("namen.txt"));
    AnswerFileDialogs(target);
    Click("Button2");
    QVERIFY(QFile::exists(target));
    QCOMPARE(QFileInfo(target).size(), 0);
}

void MergeExportTest::exportDuringAnEditWritesTheList()
{
    QVERIFY(Open());
    const QString target = m_dir->filePath(QStringLiteral("namen.txt"));
    Click("EditBtn");
    W<QLineEdit>("RouterVendorEdit")->setText(QStringLiteral("Umbenannt"));
    AnswerFileDialogs(target);
    Click("Button2");
    QCOMPARE(ReadFileBytes(target), QByteArray("Alpha 100\r\nBeta 300\r\nGamma G\xE4ste-Router\r\n"));
    QCOMPARE(m_window->Mode(), TMode::Edit);
    QCOMPARE(W<QLineEdit>("RouterVendorEdit")->text(), QStringLiteral("Umbenannt"));

    Click("CancelBtn");
    Click("NewBtn");
    W<QLineEdit>("RouterVendorEdit")->setText(QStringLiteral("Neu"));
    Click("Button2");
    QCOMPARE(ReadFileBytes(target), QByteArray("Alpha 100\r\nBeta 300\r\nGamma G\xE4ste-Router\r\n"));
    QCOMPARE(m_window->Mode(), TMode::New);
    // Save offers the file chosen last.
    QCOMPARE(m_fileNamesOffered.back(), target);
}

void MergeExportTest::exportThatCannotBeWrittenIsReported()
{
    QVERIFY(Open());
    const QString target = m_dir->filePath(QStringLiteral("fehlt/namen.txt"));
    AnswerFileDialogs(target);
    Click("Button2");
    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
    const TMsgBoxRecorder::TCall& error = m_boxes->Calls().front();
    QCOMPARE(error.caption, std::string("Mergeexporttest"));
    QCOMPARE(error.style, MsgBox::MB_ICONHAND | MsgBox::MB_OK);
    const std::string prefix = "Datei \"" + target.toStdString() + "\" kann nicht erstellt werden. ";
    QVERIFY2(error.text.rfind(prefix, 0) == 0, error.text.c_str());
    QCOMPARE(m_window->Mode(), TMode::Browse);
}

void MergeExportTest::exportOverTheDefinitionsFileIsRefused()
{
    const QByteArray definitions = ReadFileBytes(m_path);
    const QString link = m_dir->filePath(QStringLiteral("verweis.txt"));
    QVERIFY(QFile::link(m_path, link));
    QVERIFY(Open());
    for (const QString& target : {m_path, link}) {
        m_boxes->Clear();
        AnswerFileDialogs(target);
        Click("Button2");
        QCOMPARE(ReadFileBytes(m_path), definitions);
        QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
        const TMsgBoxRecorder::TCall& error = m_boxes->Calls().front();
        QCOMPARE(error.style, MsgBox::MB_ICONHAND | MsgBox::MB_OK);
        QVERIFY2(ToQString(error.text).contains(QStringLiteral("Datei der Routerdefinitionen")),
                 error.text.c_str());
    }
    QCOMPARE(m_window->Routers().Count(), SampleRouters().Count());
}

QTEST_MAIN(MergeExportTest)
#include "MergeExportTest.moc"
