#include "MainUnit.h"

#include "Cp1252.h"
#include "ErrorHandler.h"
#include "FileDialog.h"
#include "FileMessages.h"
#include "MySpeedButton.h"
#include "Normalize.h"
#include "PageControl.h"
#include "PropertyListEditor.h"
#include "QtText.h"
#include "RouterNamesModel.h"
#include "SpinEdit.h"
#include "TextControls.h"
#include "WMsgBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include <algorithm>
#include <utility>

namespace {

const QString kDesignCaption = QStringLiteral("Tarvelo Editor (Abfrage Weboberfläche)");
const QString kVersion = QStringLiteral("1.14");

constexpr int kTestPageIndex = 8;

// Where the caption of a labelled edit sits above the edit.
constexpr int kLabelAboveEdit = 16;

const QString kPostHint = QStringLiteral(
    "Geben Sie <POST> vor dem Aufruf an, damit Tarvelo die Daten per POST und nicht mit GET "
    "(Standard) versendet.");

QFont EditorFont()
{
    // Narrow enough that the longest caption fits the width of a tab page.
    QFont font(QStringLiteral("DejaVu Sans Condensed"));
    font.setPixelSize(11);
    return font;
}

void SetBold(QLabel* label)
{
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    if (!label->wordWrap())
        label->adjustSize(); // bold text is wider
}

QPushButton* AddButton(QWidget* parent, const char* name, const QString& text, const QRect& geometry)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    // Enter presses the button that has the focus, as Space does.
    button->setAutoDefault(true);
    return button;
}

TMySpeedButton* AddSpeedButton(QWidget* parent, const char* name, const QString& text,
                               const QRect& geometry)
{
    auto* button = new TMySpeedButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setGeometry(geometry);
    return button;
}

void SetTextIfChanged(QLineEdit* edit, const QString& text)
{
    if (edit->text() != text)
        edit->setText(text);
}

// Whether the user changed the text since the program last set it.
bool IsTypedInto(const QWidget* field)
{
    if (const auto* edit = qobject_cast<const QLineEdit*>(field))
        return edit->isModified();
    if (const auto* memo = qobject_cast<const QPlainTextEdit*>(field))
        return memo->document()->isModified();
    return false;
}

void NormalizeRequestIn(QLineEdit* edit)
{
    SetTextIfChanged(edit, ToQString(NormalizeRequest(ToCp1252(edit->text()))));
}

} // namespace

TMainEditor::TMainEditor(std::string routersPath, QWidget* parent)
    : QWidget(parent), m_file(std::move(routersPath))
{
    setObjectName(QStringLiteral("MainEditor"));
    setFont(EditorFont());
    setWindowTitle(kDesignCaption);
    setFixedSize(637, 511);
    // Runs in the caller's thread at get() when no thread can be started.
    m_reading = std::async([this] { return m_file.Load(m_readRouters); });
    CreateControls();
    ConnectHandlers();
    FormCreate();
}

TMainEditor::~TMainEditor() = default;

// ---------------------------------------------------------------- controls

void TMainEditor::CreateControls()
{
    // Creation order is the keyboard tab order: the tab control with its
    // pages first, then the list and the buttons below.
    PC = new TPageControl(this);
    PC->setObjectName(QStringLiteral("PC"));
    PC->setGeometry(8, 56, 617, 409);
    CreateGeneralPage();
    CreateLoginPage();
    CreateConnectionPage();
    CreateStatus1Page();
    for (int number = 2; number <= 4; ++number)
        CreatePropertyPage(number);
    CreateUserDefinedPage();
    CreateTestPage();
    CreateTopRow();
    CreateBottomRow();
    CreateFileDialogs();
}

void TMainEditor::CreateTopRow()
{
    RoutersCB = new QComboBox(this);
    RoutersCB->setObjectName(QStringLiteral("RoutersCB"));
    RoutersCB->setGeometry(8, 16, 401, 21);
    // The list has a fixed size: measuring thousands of names for a size
    // hint would only slow the start.
    RoutersCB->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    if (auto* view = qobject_cast<QListView*>(RoutersCB->view()))
        view->setUniformItemSizes(true);
    m_routerNames = new TRouterNamesModel(m_routers, this);
    RoutersCB->setModel(m_routerNames);

    NewBtn = AddSpeedButton(this, "NewBtn", QStringLiteral("Neu"), {416, 16, 65, 22});
    NewBtn->SetGlyph(QStringLiteral("new"));
    NewBtn->SetHint(QStringLiteral("Neuen Router anlegen"));
    EditBtn = AddSpeedButton(this, "EditBtn", QStringLiteral("Ändern"), {482, 16, 71, 22});
    EditBtn->SetGlyph(QStringLiteral("edit"));
    EditBtn->SetHint(QStringLiteral("Gewählten Router ändern"));
    EditBtn->setEnabled(false);
    DeleteBtn = AddSpeedButton(this, "DeleteBtn", QStringLiteral("Löschen"), {554, 16, 71, 22});
    DeleteBtn->SetGlyph(QStringLiteral("delete"));
    DeleteBtn->SetHint(QStringLiteral("Gewählten Router löschen"));
    DeleteBtn->setEnabled(false);
}

void TMainEditor::CreateBottomRow()
{
    SaveBtn = AddButton(this, "SaveBtn", QStringLiteral("Speichern"), {472, 475, 75, 25});
    SaveBtn->setEnabled(false);
    CancelBtn = AddButton(this, "CancelBtn", QStringLiteral("Abbrechen"), {552, 475, 75, 25});
    CancelBtn->setEnabled(false);
    Button1 = AddButton(this, "Button1", QStringLiteral("Routers.dat hinzumischen..."),
                        {8, 475, 153, 25});
    Button2 = AddButton(this, "Button2", QStringLiteral("Routernamen als Textdatei speichern"),
                        {168, 475, 193, 25});
}

QWidget* TMainEditor::AddPage(const char* name, const QString& caption)
{
    auto* page = new QWidget;
    page->setObjectName(QLatin1String(name));
    PC->addTab(page, caption);
    return page;
}

TCp1252LineEdit* TMainEditor::AddEdit(QWidget* page, const char* name, const QRect& geometry)
{
    auto* edit = new TCp1252LineEdit(page);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(geometry);
    return edit;
}

TCp1252LineEdit* TMainEditor::AddLabelledEdit(QWidget* page, const char* name,
                                              const QString& caption, const QRect& geometry)
{
    const QByteArray labelName = QByteArray(name) + "Label";
    QLabel* label = AddLabel(page, labelName.constData(), caption,
                             {geometry.left(), geometry.top() - kLabelAboveEdit});
    TCp1252LineEdit* edit = AddEdit(page, name, geometry);
    label->setBuddy(edit);
    return edit;
}

TCp1252Memo* TMainEditor::AddMemo(QWidget* page, const char* name, const QRect& geometry)
{
    auto* memo = new TCp1252Memo(page);
    memo->setObjectName(QLatin1String(name));
    memo->setGeometry(geometry);
    return memo;
}

QLabel* TMainEditor::AddLabel(QWidget* page, const char* name, const QString& text,
                              const QPoint& position)
{
    auto* label = new QLabel(page);
    label->setObjectName(QLatin1String(name));
    // Several texts hold "<...>", which must not be taken for markup.
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->move(position);
    label->adjustSize();
    return label;
}

QLabel* TMainEditor::AddWrappedLabel(QWidget* page, const char* name, const QString& text,
                                     const QRect& geometry)
{
    QLabel* label = AddLabel(page, name, text, geometry.topLeft());
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(geometry);
    return label;
}

void TMainEditor::CreateGeneralPage()
{
    QWidget* page = AddPage("TabSheet1", QStringLiteral("Allgemeines zum Router"));
    QLabel* label16 = AddWrappedLabel(
        page, "Label16",
        QStringLiteral("Vergessen Sie nicht uns die Datei Routers.dat unter Angabe des "
                       "Routernamens per Mail an routers@example.org zu senden. Damit stehen die "
                       "Daten allen Tarvelo Nutzern zur Verfügung."),
        {16, 8, 553, 41});
    SetBold(label16);
    RouterVendorEdit = AddLabelledEdit(page, "RouterVendorEdit",
                                       QStringLiteral("Name oder Hersteller des Routers:"),
                                       {16, 72, 545, 21});
    RouterVendorURLEdit = AddLabelledEdit(
        page, "RouterVendorURLEdit", QStringLiteral("URL des Router-Herstellers:"), {16, 128, 545, 21});
    QLabel* label2 = AddLabel(page, "Label2",
                              QStringLiteral("Sonstige Kommentare (z.B. zur Firmware, eigene "
                                             "Kontakt-E-Mail-Adresse usw.):"),
                              {16, 168});
    CommentsEdit = AddMemo(page, "CommentsEdit", {16, 184, 545, 89});
    label2->setBuddy(CommentsEdit);
    AddWrappedLabel(page, "Label14",
                    QStringLiteral("Nach Änderung der Router-Einstellungen müssen Sie Tarvelo "
                                   "beenden und neu starten, damit die Änderungen wirksam "
                                   "werden.\n\nBei Fehlern aktivieren Sie den Debug-Modus im "
                                   "Konfigurationsmenü (ab Tarvelo 1.01 möglich)."),
                    {16, 304, 545, 65});
}

void TMainEditor::CreateLoginPage()
{
    QWidget* page = AddPage("TabSheet5", QStringLiteral("Anmeldung beim Router"));
    AddWrappedLabel(page, "Label18",
                    QStringLiteral("In den meisten Fällen erfolgt die Anmeldung beim Router über "
                                   "denn Anmeldedialog des Browsers und nicht über eine "
                                   "HTML-Seite mit einem speziellen Formular."),
                    {24, 16, 569, 33});
    BrowserAuthChkBox =
        new QCheckBox(QStringLiteral(" Anmeldung über Anmeldedialog des Browsers."), page);
    BrowserAuthChkBox->setObjectName(QStringLiteral("BrowserAuthChkBox"));
    BrowserAuthChkBox->setGeometry(24, 56, 417, 17);
    Label19 = AddLabel(page, "Label19", QStringLiteral("Anmeldung über HTML-Formular"), {24, 96});
    QFont underlined = Label19->font();
    underlined.setUnderline(true);
    Label19->setFont(underlined);
    Label19->adjustSize();
    Label20 = AddLabel(page, "Label20", QStringLiteral("Anmeldestring (ohne http://<ip-adresse>/!):"),
                       {24, 120});
    AuthStringEdit = AddEdit(page, "AuthStringEdit", {24, 136, 569, 21});
    Label20->setBuddy(AuthStringEdit);
    AddLabel(page, "Label22", QStringLiteral("Platzhalter für den Anmeldestring:"), {24, 168});
    AddLabel(page, "Label23", QStringLiteral("%USERNAME%"), {24, 192});
    AddLabel(page, "Label24", QStringLiteral("%PASSWORD%"), {24, 208});
    AddLabel(page, "Label29",
             QStringLiteral("Verwenden Sie MD5PasswordL() bzw. MD5PasswordU() für MD5 "
                            "verschlüsselte Anmeldungen (HILFE beachten!)."),
             {24, 240});
    AddWrappedLabel(page, "Label21", kPostHint, {24, 264, 548, 33});
    auto* bevel1 = new QFrame(page);
    bevel1->setObjectName(QStringLiteral("Bevel1"));
    bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    bevel1->setGeometry(24, 304, 569, 9);
    QLabel* label25 = AddLabel(page, "Label25", QStringLiteral("HTTP-Port (meistens 80):"), {24, 328});
    RHTTPPort = new TSpinEdit(page);
    RHTTPPort->setObjectName(QStringLiteral("RHTTPPort"));
    RHTTPPort->setGeometry(24, 344, 121, 21);
    RHTTPPort->setRange(1, 65535);
    RHTTPPort->setValue(80);
    label25->setBuddy(RHTTPPort);
}

void TMainEditor::CreateConnectionPage()
{
    QWidget* page = AddPage("TabSheet2", QStringLiteral("Verbindungsaufbau/abbau"));
    GoOnlineEdit = AddLabelledEdit(page, "GoOnlineEdit",
                                   QStringLiteral("Mit welchem Aufruf erzwingt man den Aufbau der "
                                                  "Verbindung? (%USERNAME% und %PASSWORD% zulässig)"),
                                   {16, 40, 545, 21});
    GoOfflineEdit = AddLabelledEdit(page, "GoOfflineEdit",
                                    QStringLiteral("Mit welchen Aufruf erzwingt man das Trennen der "
                                                   "Verbindung? (%USERNAME% und %PASSWORD% zulässig)"),
                                    {16, 96, 545, 21});
    SignOffURLEdit = AddLabelledEdit(page, "SignOffURLEdit",
                                     QStringLiteral("Aufruf für die Abmeldung vom Router (einige "
                                                    "wenige Router benötigen das):"),
                                     {16, 144, 545, 21});
    SetBold(AddLabel(page, "Label9", QStringLiteral("Beispiele für den Aufruf zum Verbindungsaufbau:"),
                     {16, 200}));
    AddLabel(page, "Label10",
             QStringLiteral("durch den Router z.B. mit cgi-bin/goinet.cgi (ohne http://<ip-adresse>!)"),
             {16, 224});
    AddLabel(page, "Label11",
             QStringLiteral("durch beliebige URL z.B. mit http://www.example.org/"), {16, 248});
    SetBold(AddLabel(page, "Label12", QStringLiteral("Beispiel für den Verbindungsabbau:"), {16, 288}));
    AddLabel(page, "Label13",
             QStringLiteral("durch Router selbst, keine andere Möglichkeit!! cgi-bin/online3.cgi "
                            "(Angabe ohne http://<ip-adresse>/)"),
             {16, 312});
    AddWrappedLabel(page, "Label17", kPostHint, {16, 344, 548, 33});
}

void TMainEditor::CreateStatus1Page()
{
    QWidget* page = AddPage("TabSheet3", QStringLiteral("Statusabfrage 1"));
    StatusPageEdit = AddLabelledEdit(
        page, "StatusPageEdit",
        QStringLiteral("Wie erreicht man die Statusseite mit der Angabe zur zugewiesenen "
                       "IP-Adresse? (z.B. doc/m5.htm OHNE http://!)"),
        {16, 40, 545, 21});
    QLabel* label1 = AddWrappedLabel(
        page, "Label1",
        QStringLiteral("Anhand der zugewiesenen IP-Adresse kann man feststellen, ob man online "
                       "ist. Wie sieht der HTML-Code aus, wenn man OFFLINE ist?"),
        {16, 80, 545, 33});
    OfflineCodeEdit = AddMemo(page, "OfflineCodeEdit", {16, 112, 545, 113});
    label1->setBuddy(OfflineCodeEdit);
    AddLabel(page, "Label5", QStringLiteral("Wie findet man die zugewiesene IP-Adresse heraus?"),
             {16, 240});
    QLabel* label6 =
        AddLabel(page, "Label6", QStringLiteral("HTML-Code vor der IP-Adresse (eindeutig!):"), {16, 264});
    QLabel* label7 = AddLabel(page, "Label7",
                              QStringLiteral("HTML-Code nach der IP-Adresse (eindeutig!):"), {296, 264});
    BeforeIPAddressEdit = AddMemo(page, "BeforeIPAddressEdit", {16, 280, 265, 89});
    AfterIPAddressEdit = AddMemo(page, "AfterIPAddressEdit", {296, 280, 265, 89});
    label6->setBuddy(BeforeIPAddressEdit);
    label7->setBuddy(AfterIPAddressEdit);
}

void TMainEditor::CreatePropertyPage(int number)
{
    static const char* const pageNames[] = {"TabSheet4", "TabSheet6", "TabSheet7"};
    static const char* const labelNames[] = {"Label3", "Label26", "Label27"};
    static const char* const upNames[] = {"RowUpBtn", "MySpeedButton1", "MySpeedButton3"};
    static const char* const downNames[] = {"RowDownBtn", "MySpeedButton2", "MySpeedButton4"};
    const int slot = number - 2;
    const QByteArray suffix = slot == 0 ? QByteArray() : QByteArray::number(slot);
    const auto name = [&suffix](const char* base) { return QByteArray(base) + suffix; };

    QWidget* page = AddPage(pageNames[slot], QStringLiteral("Statusabfrage %1").arg(number));
    TPropertyPage& controls = m_propertyPages[slot];
    controls.pageEdit = AddLabelledEdit(
        page, QByteArray("Status" + QByteArray::number(number) + "PageEdit").constData(),
        QStringLiteral("Muss eine Extra Seite aufgerufen werden, um die Statusabfrage %1 "
                       "auszuführen? Dann bitte angeben! (ohne http://!)")
            .arg(number),
        {16, 40, 545, 21});
    QLabel* label = AddLabel(page, labelNames[slot], QStringLiteral("Abfragbare Eigenschaften:"),
                             {16, 80});
    controls.editor = new TPropertyListEditor(page);
    controls.editor->setObjectName(QString::fromLatin1("VEditor%1").arg(slot));
    controls.editor->setGeometry(16, 96, 545, 241);
    label->setBuddy(controls.editor);
    controls.addBtn = AddButton(page, name("ValueAddBtn").constData(), QStringLiteral("Hinzufügen"),
                                {16, 344, 75, 25});
    controls.editBtn = AddButton(page, name("ValueEditBtn").constData(), QStringLiteral("Ändern"),
                                 {96, 344, 75, 25});
    controls.delBtn = AddButton(page, name("ValueDelBtn").constData(), QStringLiteral("Löschen"),
                                {176, 344, 75, 25});
    controls.dupBtn = AddButton(page, name("DupBtn").constData(), QStringLiteral("Duplizieren"),
                                {264, 344, 75, 25});
    controls.upBtn = AddSpeedButton(page, upNames[slot], QString(), {568, 144, 23, 22});
    controls.upBtn->SetTag(0);
    controls.upBtn->SetGlyph(QStringLiteral("up"));
    controls.upBtn->SetHint(QStringLiteral("Zeile nach oben"));
    controls.upBtn->setToolButtonStyle(Qt::ToolButtonIconOnly);
    controls.upBtn->setEnabled(false);
    controls.downBtn = AddSpeedButton(page, downNames[slot], QString(), {568, 176, 23, 22});
    controls.downBtn->SetTag(1);
    controls.downBtn->SetGlyph(QStringLiteral("down"));
    controls.downBtn->SetHint(QStringLiteral("Zeile nach unten"));
    controls.downBtn->setToolButtonStyle(Qt::ToolButtonIconOnly);
    controls.downBtn->setEnabled(false);
}

void TMainEditor::CreateUserDefinedPage()
{
    QWidget* page = AddPage("TabSheet8", QStringLiteral("Benutzerdefiniert"));
    auto* bevel2 = new QFrame(page);
    bevel2->setObjectName(QStringLiteral("Bevel2"));
    bevel2->setFrameStyle(QFrame::Box | QFrame::Sunken);
    bevel2->setGeometry(8, 8, 593, 361);
    AddWrappedLabel(page, "Label28",
                    QStringLiteral("Es können 3 benutzerdefinierte Aktionen definiert werden, die "
                                   "über die Schaltflächen 1, 2, 3 im Hauptfenster von Tarvelo "
                                   "aufgerufen werden können.\nGeben Sie diese Aktionen ohne "
                                   "http://<ip-adresse>/ an. Die Angabe <POST> kann ebenfalls "
                                   "verwendet werden."),
                    {16, 24, 569, 57});
    UserDef1Edit = AddLabelledEdit(page, "UserDef1Edit",
                                   QStringLiteral("Anweisung für benutzerdefinierte Aktion 1:"),
                                   {16, 112, 569, 21});
    UserDef2Edit = AddLabelledEdit(page, "UserDef2Edit",
                                   QStringLiteral("Anweisung für benutzerdefinierte Aktion 2:"),
                                   {16, 168, 569, 21});
    UserDef3Edit = AddLabelledEdit(page, "UserDef3Edit",
                                   QStringLiteral("Anweisung für benutzerdefinierte Aktion 3:"),
                                   {16, 224, 569, 21});
}

// ----------------------------------------------------------------- binding

void TMainEditor::BindEnterKey(QWidget* control)
{
    m_enterMovesFocus.insert(control);
    control->installEventFilter(this);
}

void TMainEditor::BindExit(QWidget* control, std::function<void()> operation)
{
    m_exitOperations.insert(control, std::move(operation));
    control->installEventFilter(this);
}

void TMainEditor::ConnectHandlers()
{
    connect(RoutersCB, &QComboBox::activated, this, Guarded([this] {
                SelectRouter(RoutersCB->currentIndex());
                RoutersCBChange();
            }));
    connect(NewBtn, &QAbstractButton::clicked, this, Guarded([this] { NewBtnClick(); }));
    connect(EditBtn, &QAbstractButton::clicked, this, Guarded([this] { EditBtnClick(); }));
    connect(DeleteBtn, &QAbstractButton::clicked, this, Guarded([this] { DeleteBtnClick(); }));
    connect(SaveBtn, &QAbstractButton::clicked, this, Guarded([this] { SaveBtnClick(); }));
    connect(CancelBtn, &QAbstractButton::clicked, this, Guarded([this] { CancelBtnClick(); }));
    connect(Button1, &QAbstractButton::clicked, this, Guarded([this] { Button1Click(); }));
    connect(Button2, &QAbstractButton::clicked, this, Guarded([this] { Button2Click(); }));
    connect(BrowserAuthChkBox, &QCheckBox::toggled, this,
            Guarded([this] { BrowserAuthChkBoxClick(); }));
    connect(PC, &QTabWidget::currentChanged, this, Guarded([this] { PCChange(); }));
    ConnectPropertyPages();

    for (QWidget* control : std::initializer_list<QWidget*>{
             RouterVendorEdit, RouterVendorURLEdit, CommentsEdit, GoOnlineEdit, GoOfflineEdit,
             SignOffURLEdit, StatusPageEdit, BeforeIPAddressEdit, AfterIPAddressEdit,
             m_propertyPages[0].pageEdit, m_propertyPages[1].pageEdit,
             m_propertyPages[2].pageEdit, UserDef1Edit, UserDef2Edit, UserDef3Edit})
        BindEnterKey(control);

    BindExit(GoOnlineEdit, [this] { GoOnlineEditExit(); });
    BindExit(GoOfflineEdit, [this] { GoOfflineEditExit(); });
    BindExit(SignOffURLEdit, [this] { SignOffURLEditExit(); });
    BindExit(StatusPageEdit, [this] { StatusPageEditExit(); });
    for (const TPropertyPage& page : m_propertyPages)
        BindExit(page.pageEdit, [this, edit = page.pageEdit] { Status2PageEditExit(edit); });
    BindExit(AuthStringEdit, [this] { AuthStringEditExit(); });
    for (QLineEdit* edit : {UserDef1Edit, UserDef2Edit, UserDef3Edit})
        BindExit(edit, [this, edit] { UserDefEditExit(edit); });
    for (TCp1252Memo* memo : {OfflineCodeEdit, BeforeIPAddressEdit, AfterIPAddressEdit})
        BindExit(memo, [this, memo] { TrimTextExit(memo); });
}

bool TMainEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && m_enterMovesFocus.contains(watched))
        return EnterKeyPress(watched, static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Switching to another window or opening a context menu does not
        // leave the field.
        const bool leftField = reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
        const auto operation = m_exitOperations.constFind(watched);
        if (leftField && operation != m_exitOperations.cend()
            && static_cast<QWidget*>(watched)->isEnabled())
            Guarded(operation.value())();
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------- start-up

void TMainEditor::FormCreate()
{
    PC->setCurrentIndex(0);
    SetEditMode(false);
    try {
        LoadRouters();
    } catch (...) {
        ShowCurrentException();
        return;
    }
    setWindowTitle(kDesignCaption + QLatin1Char(' ') + kVersion);
    PCChange();
}

void TMainEditor::LoadRouters()
{
    m_routerNames->Replace([this] {
        m_loadResult = m_reading.get(); // throws what the reading threw
        m_routers = std::move(m_readRouters);
    });
    RoutersCB->setCurrentIndex(m_routers.Selected());
}

void TMainEditor::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        Guarded([this] { FormShow(); })();
    }
}

void TMainEditor::FormShow()
{
    RoutersCBChange();
    if (!m_loadResult.complete) {
        // Once the window is on screen, so that the warning has an owner.
        QMetaObject::invokeMethod(this, Guarded([this] { WarnIfFileDamaged(); }),
                                  Qt::QueuedConnection);
    }
    if (!m_loadResult.cutTexts.empty())
        QMetaObject::invokeMethod(this, Guarded([this] { WarnAboutCutTexts(); }), Qt::QueuedConnection);
}

void TMainEditor::WarnAboutCutTexts()
{
    ShowMsgBox(CutTextsMessage(m_file.Path(), m_loadResult.cutTexts) +
                   "\n\nBeim ersten Speichern wird das Original zuvor als Sicherungskopie "
                   "aufbewahrt; ihr Name wird dann angezeigt.",
               {}, mkWarning, btnOK);
}

void TMainEditor::WarnIfFileDamaged()
{
    const QString path = QString::fromStdString(m_file.Path());
    const QString text =
        QStringLiteral("Die Datei \"%1\" ist beschädigt und konnte ab Byte %2 nicht gelesen "
                       "werden. Angezeigt wird, was davor lesbar war.\n\nBeim ersten Speichern "
                       "wird das Original zuvor als Sicherungskopie aufbewahrt; ihr Name wird "
                       "dann angezeigt.")
            .arg(EscapedControls(path))
            .arg(m_loadResult.damagedOffset);
    ShowMsgBox(ToCp1252(text), {}, mkWarning, btnOK);
}

// Writes the whole list. The first save after a load that did not read the
// file completely keeps the original, under a name the user must learn.
void TMainEditor::WriteRouters()
{
    if (!m_file.Save(m_routers) || m_file.LastBackupPath().empty())
        return;
    const QString text = QStringLiteral("Die Datei \"%1\" konnte beim Start nicht vollständig "
                                        "gelesen werden. Ihr Original wurde vor dem Speichern als "
                                        "\"%2\" aufbewahrt.")
                             .arg(EscapedControls(QString::fromStdString(m_file.Path())),
                                  EscapedControls(QString::fromStdString(m_file.LastBackupPath())));
    ShowMsgBox(ToCp1252(text), {}, mkInformation, btnOK);
}

// ------------------------------------------------------------ router list

int TMainEditor::AddRouter(std::unique_ptr<TRouterEntry> entry)
{
    std::string name = entry->RouterVendor;
    const int index = m_routerNames->Add(std::move(name), std::move(entry));
    RoutersCB->setCurrentIndex(m_routers.Selected());
    return index;
}

void TMainEditor::SelectRouter(int index)
{
    m_routers.Select(index);
    RoutersCB->setCurrentIndex(index);
}

// ------------------------------------------------------------ show router

void TMainEditor::RoutersCBChange()
{
    if (!m_routers.HasSelection() && !m_routers.Empty())
        SelectRouter(0);
    try {
        if (!m_routers.Empty())
            ShowRecord(m_routers.SelectedEntry());
    } catch (...) {
        SetBrowseButtons();
        throw;
    }
    SetBrowseButtons();
}

void TMainEditor::ShowRecord(const TRouterEntry& record)
{
    RouterVendorEdit->setText(ToQString(record.RouterVendor));
    RouterVendorURLEdit->setText(ToQString(record.RouterVendorURL));
    CommentsEdit->setPlainText(ToQString(record.Comments));
    BrowserAuthChkBox->setChecked(record.BrowserAuth != 0);
    AuthStringEdit->setText(ToQString(record.AuthString));
    RHTTPPort->setValue(record.HTTPPort);
    GoOnlineEdit->setText(ToQString(record.GoOnline));
    GoOfflineEdit->setText(ToQString(record.GoOffline));
    SignOffURLEdit->setText(ToQString(record.SignOffURL));
    StatusPageEdit->setText(ToQString(record.StatusPage));
    OfflineCodeEdit->SetSavedText(ToQString(record.OfflineCode));
    BeforeIPAddressEdit->setPlainText(ToQString(record.BeforeIPAddress));
    AfterIPAddressEdit->setPlainText(ToQString(record.AfterIPAddress));
    m_propertyPages[0].pageEdit->setText(ToQString(record.Status2Page));
    m_propertyPages[1].pageEdit->setText(ToQString(record.Status3Page));
    m_propertyPages[2].pageEdit->setText(ToQString(record.Status4Page));
    m_propertyPages[0].editor->SetStrings(record.Status2Values);
    m_propertyPages[1].editor->SetStrings(record.Status3Values);
    m_propertyPages[2].editor->SetStrings(record.Status4Values);
    UserDef1Edit->setText(ToQString(record.UserDef1));
    UserDef2Edit->setText(ToQString(record.UserDef2));
    UserDef3Edit->setText(ToQString(record.UserDef3));
}

void TMainEditor::SetBrowseButtons()
{
    RoutersCB->setEnabled(true);
    NewBtn->setEnabled(true);
    EditBtn->setEnabled(m_routers.HasSelection());
    DeleteBtn->setEnabled(m_routers.HasSelection());
    SaveBtn->setEnabled(false);
    CancelBtn->setEnabled(false);
}

void TMainEditor::SetEditingButtons()
{
    NewBtn->setEnabled(false);
    EditBtn->setEnabled(false);
    DeleteBtn->setEnabled(false);
    RoutersCB->setEnabled(false);
    SaveBtn->setEnabled(true);
    CancelBtn->setEnabled(true);
}

// ------------------------------------------------------------------ modes

void TMainEditor::SetEditMode(bool enable)
{
    if (!enable)
        m_mode = TMode::Browse;
    for (QWidget* control : std::initializer_list<QWidget*>{
             RouterVendorEdit, RouterVendorURLEdit, CommentsEdit, BrowserAuthChkBox,
             AuthStringEdit, RHTTPPort, GoOnlineEdit, GoOfflineEdit, SignOffURLEdit,
             StatusPageEdit, OfflineCodeEdit, BeforeIPAddressEdit, AfterIPAddressEdit,
             m_propertyPages[0].pageEdit, m_propertyPages[1].pageEdit,
             m_propertyPages[2].pageEdit, UserDef1Edit, UserDef2Edit, UserDef3Edit})
        control->setEnabled(enable);
    for (const TPropertyPage& page : m_propertyPages) {
        for (QWidget* control : std::initializer_list<QWidget*>{
                 page.editor, page.addBtn, page.editBtn, page.delBtn, page.dupBtn})
            control->setEnabled(enable);
    }
    ApplyRowButtonRuleOnEveryPage();
    PCChange();
    emit editingChanged();
}

void TMainEditor::BrowserAuthChkBoxClick()
{
    const bool unchecked = !BrowserAuthChkBox->isChecked();
    Label19->setEnabled(unchecked);
    Label20->setEnabled(unchecked);
    AuthStringEdit->setEnabled(unchecked && m_mode != TMode::Browse);
    if (!unchecked)
        AuthStringEdit->clear();
}

void TMainEditor::SetTestPageEnabled(bool enable)
{
    // The tab bar leaves a tab that is disabled while its page is shown; the
    // page stays in view instead, with its controls disabled.
    const int shown = PC->currentIndex();
    const QSignalBlocker quiet(PC);
    PC->setTabEnabled(kTestPageIndex, enable);
    PC->setCurrentIndex(shown);
}

void TMainEditor::ClearEditingTexts()
{
    for (QLineEdit* edit : std::initializer_list<QLineEdit*>{
             RouterVendorEdit, RouterVendorURLEdit, AuthStringEdit, GoOnlineEdit, GoOfflineEdit,
             SignOffURLEdit, StatusPageEdit, m_propertyPages[0].pageEdit,
             m_propertyPages[1].pageEdit, m_propertyPages[2].pageEdit, UserDef1Edit,
             UserDef2Edit, UserDef3Edit})
        edit->clear();
    for (TCp1252Memo* memo : {CommentsEdit, OfflineCodeEdit, BeforeIPAddressEdit, AfterIPAddressEdit})
        memo->clear();
}

void TMainEditor::NewBtnClick()
{
    m_mode = TMode::New;
    SetTestPageEnabled(false);
    m_newRouter = true;
    PC->setCurrentIndex(0);
    ClearEditingTexts();
    RHTTPPort->setValue(80);
    BrowserAuthChkBox->setChecked(true);
    for (const TPropertyPage& page : m_propertyPages)
        page.editor->Clear();
    SetEditMode(true);
    BrowserAuthChkBoxClick();
    SetEditingButtons();
    PCChange();
}

void TMainEditor::EditBtnClick()
{
    m_mode = TMode::Edit;
    SetTestPageEnabled(false);
    m_newRouter = false;
    SetEditMode(true);
    SetEditingButtons();
    BrowserAuthChkBoxClick();
    PCChange();
}

// ------------------------------------------------------------ save, cancel

void TMainEditor::CopyControlsInto(TRouterEntry& record) const
{
    record.SavedAt = CurrentDateTime();
    record.BrowserAuth = BrowserAuthChkBox->isChecked() ? 1 : 0;
    record.AuthString = ToCp1252(AuthStringEdit->text());
    record.HTTPPort = RHTTPPort->EnteredValue();
    record.RouterVendor = ToCp1252(RouterVendorEdit->text());
    record.RouterVendorURL = ToCp1252(RouterVendorURLEdit->text());
    record.Comments = ToCp1252(CommentsEdit->SavedText());
    record.GoOnline = ToCp1252(GoOnlineEdit->text());
    record.GoOffline = ToCp1252(GoOfflineEdit->text());
    record.SignOffURL = ToCp1252(SignOffURLEdit->text());
    record.StatusPage = ToCp1252(StatusPageEdit->text());
    record.OfflineCode = ToCp1252(OfflineCodeEdit->SavedText());
    record.BeforeIPAddress = ToCp1252(BeforeIPAddressEdit->SavedText());
    record.AfterIPAddress = ToCp1252(AfterIPAddressEdit->SavedText());
    record.Status2Page = ToCp1252(m_propertyPages[0].pageEdit->text());
    record.Status3Page = ToCp1252(m_propertyPages[1].pageEdit->text());
    record.Status4Page = ToCp1252(m_propertyPages[2].pageEdit->text());
    record.Status2Values = m_propertyPages[0].editor->Strings();
    record.Status3Values = m_propertyPages[1].editor->Strings();
    record.Status4Values = m_propertyPages[2].editor->Strings();
    record.UserDef1 = ToCp1252(UserDef1Edit->text());
    record.UserDef2 = ToCp1252(UserDef2Edit->text());
    record.UserDef3 = ToCp1252(UserDef3Edit->text());
}

// A text too long for the file refuses the save before the list or any
// record changes, so that memory and file stay alike.
bool TMainEditor::EditedRecordFits() const
{
    TRouterEntry edited = NewRouterEntry();
    CopyControlsInto(edited);
    try {
        CheckTextLengths(edited);
        return true;
    } catch (const TTextTooLong& tooLong) {
        ShowMsgBox(std::string(tooLong.what()) + " Es wurde nichts gespeichert.", "", mkError, btnOK);
        return false;
    }
}

void TMainEditor::SaveBtnClick()
{
    ExitFocusedField();
    if (!EditedRecordFits())
        return;
    int recordIndex = m_routers.Selected();
    if (m_newRouter) {
        auto entry = std::make_unique<TRouterEntry>(NewRouterEntry());
        entry->RouterVendor = ToCp1252(RouterVendorEdit->text());
        const std::string name = entry->RouterVendor;
        recordIndex = AddRouter(std::move(entry));
        SelectRouter(m_routers.FindByName(name));
    }
    TRouterEntry& record = m_routers.Entry(recordIndex);
    CopyControlsInto(record);
    record.Reserved1.clear();
    record.Reserved2.clear();
    record.ReservedFlag = 1;
    // The record's own item takes the new name in place; the list is sorted
    // again only at the next start.
    m_routerNames->Rename(recordIndex, record.RouterVendor);
    WriteRouters();
    RoutersCB->setEnabled(true);
    SelectRouter(m_routers.FindByName(record.RouterVendor));
    RoutersCBChange();
    SetEditMode(false);
    SetTestPageEnabled(true);
}

void TMainEditor::CancelBtnClick()
{
    SetEditMode(false);
    RoutersCBChange();
    SetTestPageEnabled(true);
}

void TMainEditor::DeleteBtnClick()
{
    const int index = m_routers.Selected();
    const std::string question = ToCp1252(QStringLiteral("Möchten Sie den Router \""))
                                 + EscapeControls(m_routers.Name(index))
                                 + ToCp1252(QStringLiteral("\" wirklich löschen?"));
    if (ShowMsgBox(question, {}, mkConfirmation, btnYesNo) != MsgBox::IDYES)
        return;
    m_routerNames->Delete(index);
    WriteRouters();
    if (m_routers.Empty())
        SelectRouter(-1);
    RoutersCBChange();
}

// ------------------------------------------------------ keys and exits

// A click on Speichern takes the focus and so leaves the field; pressed by
// the program, it leaves here a field that the user typed into. A field that
// shows what the program put there (a router taken over from another file)
// stays as it is. Once saved, the field is disabled, and losing the focus
// then changes nothing.
void TMainEditor::ExitFocusedField()
{
    QWidget* focused = QApplication::focusWidget();
    const auto operation = m_exitOperations.constFind(focused);
    if (operation != m_exitOperations.cend() && focused->isEnabled() && IsTypedInto(focused))
        operation.value()();
}

bool TMainEditor::EnterKeyPress(QObject*, QKeyEvent* event)
{
    if (!IsEnterKey(event))
        return false;
    // Queued, so that the focus moves once the key event is finished.
    QMetaObject::invokeMethod(this, [this] { focusNextChild(); }, Qt::QueuedConnection);
    return true;
}

void TMainEditor::GoOnlineEditExit()
{
    NormalizeRequestIn(GoOnlineEdit);
}

void TMainEditor::GoOfflineEditExit()
{
    NormalizeRequestIn(GoOfflineEdit);
}

void TMainEditor::SignOffURLEditExit()
{
    NormalizeRequestIn(SignOffURLEdit);
}

void TMainEditor::StatusPageEditExit()
{
    NormalizeRequestIn(StatusPageEdit);
}

void TMainEditor::Status2PageEditExit(QLineEdit* sender)
{
    NormalizeRequestIn(sender);
}

void TMainEditor::AuthStringEditExit()
{
    NormalizeRequestIn(AuthStringEdit);
}

void TMainEditor::UserDefEditExit(QLineEdit* sender)
{
    NormalizeRequestIn(sender);
}

void TMainEditor::TrimTextExit(TCp1252Memo* sender)
{
    const QString normalized = ToQString(NormalizeHtmlCode(ToCp1252(sender->SavedText())));
    if (normalized != sender->SavedText())
        sender->SetSavedText(normalized);
}

// ------------------------------------------------------ property lists

void TMainEditor::PCChange()
{
    ValueEditClick();
}
