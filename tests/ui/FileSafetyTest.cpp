// The window keeps memory and file alike: a text too long for the file
// changes nothing, texts that the file could not hold again are reported at
// start and never block a save, and running out of memory is told in German.

#include "ErrorHandler.h"
#include "KilledSave.h"
#include "MainUnit.h"
#include "QtText.h"
#include "RouterFile.h"
#include "UiTestSupport.h"
#include "PropertyListEditor.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <memory>
#include <new>

using TMode = TMainEditor::TMode;

class FileSafetyTest : public TEditorFixture {
    Q_OBJECT

private slots:
    void tooLongTextChangesNothing_data();
    void tooLongTextChangesNothing();
    void cutTextsAreReportedAndNeverBlockASave();
    void saveKeepsWhatAnotherProgramWrote();
    void interruptedSaveIsOfferedBack();
    void outOfMemoryIsToldInGerman();
};

void FileSafetyTest::tooLongTextChangesNothing_data()
{
    QTest::addColumn<bool>("newRouter");
    QTest::newRow("changed router") << false;
    QTest::newRow("new router") << true;
}

void FileSafetyTest::tooLongTextChangesNothing()
{
    QFETCH(bool, newRouter);
    TRouterList routers = SampleRouters();
    QVERIFY(SaveRouterList(routers, m_path.toStdString()));
    QVERIFY(Open());
    const QByteArray fileBefore = ReadFileBytes(m_path);
    const int selected = m_window->Routers().Selected();
    const TRouterEntry recordBefore = m_window->Routers().Entry(selected);
    auto* routersCB = Child<QComboBox>(*m_window, "RoutersCB");
    const int items = routersCB->count();

    newRouter ? m_window->NewBtnClick() : m_window->EditBtnClick();
    Child<QLineEdit>(*m_window, "RouterVendorEdit")->setText(QStringLiteral("Lang"));
    TPropertyList values;
    values.Add("Wert=" + std::string(70000, 'v'));
    Child<TPropertyListEditor>(*m_window, "VEditor0")->SetStrings(values);
    m_window->SaveBtnClick();

    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
    const std::string& text = m_boxes->Calls().front().text;
    QVERIFY2(text.find("Eigenschaft \"Wert\" der Statusabfrage 2") != std::string::npos, text.c_str());
    QVERIFY2(text.find("\"Lang\"") != std::string::npos, text.c_str());
    QCOMPARE(m_boxes->Calls().front().caption, std::string("Fehler"));
    QVERIFY(m_window->Mode() != TMode::Browse);
    QCOMPARE(m_window->Routers().Count(), routers.Count());
    QCOMPARE(routersCB->count(), items);
    QVERIFY(m_window->Routers().Entry(selected) == recordBefore);
    QCOMPARE(ReadFileBytes(m_path), fileBefore);
}

void FileSafetyTest::cutTextsAreReportedAndNeverBlockASave()
{
    // Two routers; the pair of the second has a name with "=" that joins
    // into a value of 66,001 bytes.
    TRouterList routers;
    routers.Add("Alpha", std::make_unique<TRouterEntry>(NewRouterEntry()));
    routers.Entry(0).RouterVendor = "Alpha";
    std::string bytes = SerializeRouterList(routers);
    bytes += std::string(4 + 1 + 2 + 8, '\0') + std::string("\x04\0Lang", 6) + std::string(2 * 9, '\0') +
             std::string("\x01\0\0\0", 4);
    const std::string name = "a=" + std::string(65000, 'x');
    const std::string value(1000, 'y');
    for (const std::string* text : {&name, &value})
        bytes += std::string{char(text->size() & 0xFF), char(text->size() >> 8)} + *text;
    bytes += std::string(2 * 5 + 1 + 2 + 2 + 4 + 2 + 4, '\0');
    QFile file(m_path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), qint64(bytes.size()));
    file.close();

    QVERIFY(Open());
    QTRY_COMPARE(m_boxes->Calls().size(), std::size_t(1));
    const TMsgBoxRecorder::TCall& warning = m_boxes->Calls().front();
    QCOMPARE(warning.caption, std::string("Warnung"));
    QVERIFY2(warning.text.find("Eigenschaft \"a\" der Statusabfrage 2 des Routers \"Lang\"") != std::string::npos,
             warning.text.c_str());

    // Deleting the other router saves the whole list, after keeping the
    // file as it was read.
    m_boxes->AnswerNext(MsgBox::IDYES);
    m_window->DeleteBtnClick();
    QCOMPARE(m_boxes->Calls().size(), std::size_t(3));
    const std::string& kept = m_boxes->Calls().back().text;
    QVERIFY2(kept.find("Routers.dat.bak") != std::string::npos, kept.c_str());
    QCOMPARE(m_window->Routers().Count(), 1);
    QCOMPARE(ReadFileBytes(m_path + QStringLiteral(".bak")), QByteArray(bytes.data(), qsizetype(bytes.size())));
    TRouterList saved;
    LoadRouterList(m_path.toStdString(), saved, TMissingFile::Fail);
    QCOMPARE(saved.Count(), 1);
    QCOMPARE(saved.Entry(0).Status2Values.ValueAt(0).size(), std::size_t(65535));
}

void FileSafetyTest::saveKeepsWhatAnotherProgramWrote()
{
    TRouterList routers = SampleRouters();
    QVERIFY(SaveRouterList(routers, m_path.toStdString()));
    Open();
    // Another program adds a router while the window is open.
    TRouterList theirs;
    LoadRouterList(m_path.toStdString(), theirs);
    theirs.Add("Fremd", std::make_unique<TRouterEntry>(SampleRouter("Fremd")));
    QVERIFY(SaveRouterList(theirs, m_path.toStdString()));

    m_window->NewBtnClick();
    Child<QLineEdit>(*m_window, "RouterVendorEdit")->setText(QStringLiteral("Neu"));
    m_window->SaveBtnClick();

    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
    QVERIFY2(m_boxes->Calls().front().text.find("auf ihren Stand gebracht") != std::string::npos,
             m_boxes->Calls().front().text.c_str());
    TRouterList saved;
    LoadRouterList(m_path.toStdString(), saved, TMissingFile::Fail);
    QCOMPARE(saved.Count(), routers.Count() + 2);
    QVERIFY(saved.FindByName("Fremd") >= 0 && saved.FindByName("Neu") >= 0);
    auto* routersCB = Child<QComboBox>(*m_window, "RoutersCB");
    QCOMPARE(routersCB->count(), saved.Count());
    QCOMPARE(routersCB->currentText(), QStringLiteral("Neu"));
    QCOMPARE(m_window->Mode(), TMode::Browse);
}

void FileSafetyTest::interruptedSaveIsOfferedBack()
{
    TRouterList routers = SampleRouters();
    QVERIFY(SaveRouterList(routers, m_path.toStdString()));
    const QByteArray before = ReadFileBytes(m_path);
    std::filesystem::create_hard_link(m_path.toStdString(), m_path.toStdString() + ".link");
    QVERIFY(KillSaveInPlaceMidway(m_path.toStdString(), std::string(5000, 'x')));

    m_boxes->AnswerNext(MsgBox::IDYES);
    Open();
    QTRY_COMPARE(m_boxes->Calls().size(), std::size_t(1));
    const TMsgBoxRecorder::TCall& question = m_boxes->Calls().front();
    QCOMPARE(question.style, MsgBoxStyle(mkConfirmation, btnYesNo));
    QVERIFY2(question.text.find("Routers.dat.bak-") != std::string::npos, question.text.c_str());
    QCOMPARE(ReadFileBytes(m_path), before);
    QCOMPARE(Child<QComboBox>(*m_window, "RoutersCB")->count(), routers.Count());
}

void FileSafetyTest::outOfMemoryIsToldInGerman()
{
    try {
        throw std::bad_alloc();
    } catch (...) {
        ShowCurrentException();
    }
    QCOMPARE(m_boxes->Calls().size(), std::size_t(1));
    QCOMPARE(ToQString(m_boxes->Calls().front().text),
             QStringLiteral("Nicht genug Arbeitsspeicher, um die Aktion auszuführen."));
}

QTEST_MAIN(FileSafetyTest)
#include "FileSafetyTest.moc"
