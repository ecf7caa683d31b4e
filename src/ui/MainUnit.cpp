#include "MainUnit.h"

#include "Cp1252LineEdit.h"
#include "Cp1252Memo.h"
#include "Cp1252Text.h"
#include "ErrorHandler.h"
#include "FileDialog.h"
#include "FileMessages.h"
#include "FormBuilder.h"
#include "MergeRouterUnit.h"
#include "MySpeedButton.h"
#include "NameExport.h"
#include "Normalize.h"
#include "PageControl.h"
#include "PropertyListEditor.h"
#include "PropertyPage.h"
#include "QtMessageBox.h"
#include "QtText.h"
#include "RouterMerge.h"
#include "RouterNamesModel.h"
#include "SpinEdit.h"
#include "StaticPageTab.h"
#include "WMsgBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QShortcut>
#include <QSpinBox>
#include <QTabWidget>

#include <algorithm>
#include <utility>

namespace {

const QString kDesignCaption = QStringLiteral("Tarvelo Editor (Abfrage Weboberfläche)");
const QString kVersion = QStringLiteral("1.14");

constexpr int kFirstPropertyPageIndex = 4;
constexpr int kTestPageIndex = 8;

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

// Whether `edited` is what leaving the field, once or more often, made of
// `shown`: then the user changed nothing. The normal forms never grow and
// soon stop changing.
bool IsNormalFormOf(const std::string& edited, std::string shown, std::string (*normalize)(std::string_view))
{
    while (edited != shown) {
        std::string next = normalize(shown);
        if (next == shown)
            return false;
        shown = std::move(next);
    }
    return true;
}

// The fields with a normalising exit operation, by the operation.
constexpr std::string TRouterEntry::* kRequestFields[] = {
    &TRouterEntry::AuthString,  &TRouterEntry::GoOnline,    &TRouterEntry::GoOffline,
    &TRouterEntry::SignOffURL,  &TRouterEntry::StatusPage,  &TRouterEntry::Status2Page,
    &TRouterEntry::Status3Page, &TRouterEntry::Status4Page, &TRouterEntry::UserDef1,
    &TRouterEntry::UserDef2,    &TRouterEntry::UserDef3};
constexpr std::string TRouterEntry::* kHtmlCodeFields[] = {
    &TRouterEntry::OfflineCode, &TRouterEntry::BeforeIPAddress, &TRouterEntry::AfterIPAddress};

// Text of disabled controls stays readable on their grey (contrast above
// 4.5:1), as browse mode shows a whole definition in disabled controls.
void SetReadableDisabledText(QWidget* window)
{
    QPalette colors = window->palette();
    const QColor text(0x50, 0x50, 0x50);
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        colors.setColor(QPalette::Disabled, role, text);
    window->setPalette(colors);
}

// The first control of the page that the keyboard can reach; none on a page
// whose controls are all disabled.
QWidget* FirstFieldOf(QWidget* page)
{
    for (QWidget* widget = page->nextInFocusChain(); widget != page; widget = widget->nextInFocusChain()) {
        if (page->isAncestorOf(widget) && widget->isEnabled() && widget->isVisible()
            && (widget->focusPolicy() & Qt::TabFocus))
            return widget;
    }
    return nullptr;
}

} // namespace

TMainEditor::TMainEditor(std::string routersPath, QWidget* parent)
    : QWidget(parent), m_file(std::move(routersPath))
{
    setObjectName(QStringLiteral("MainEditor"));
    setFont(EditorFont());
    setWindowTitle(kDesignCaption);
    setFixedSize(637, 511);
    SetReadableDisabledText(this);
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
    // The pages are made inside the tab control, so that their labels take
    // their sizes in the window's font.
    for (int number = 2; number <= 4; ++number) {
        m_propertyPages[std::size_t(number - 2)] = new TPropertyPage(number, PC);
        AddPage(m_propertyPages[std::size_t(number - 2)], QStringLiteral("Statusabfrage %1").arg(number));
    }
    CreateUserDefinedPage();
    TS5 = new TStaticPageTab(m_routers, this, PC);
    AddPage(TS5, QStringLiteral("Testen mit statischen Seiten"));
    CreateTopRow();
    CreateBottomRow();
    CreateFileDialogs();
    CreateShortcuts();
}

void TMainEditor::CreateTopRow()
{
    const TFormBuilder form(this);
    RoutersCB = form.DropDownList("RoutersCB", {8, 16, 401, 21});
    m_routerNames = new TRouterNamesModel(m_routers, this);
    RoutersCB->setModel(m_routerNames);
    NewBtn = form.SpeedButton("NewBtn", QStringLiteral("Neu"), {416, 16, 65, 22});
    NewBtn->SetGlyph(QStringLiteral("new"));
    NewBtn->SetHint(QStringLiteral("Neuen Router anlegen (Strg+N)"));
    EditBtn = form.SpeedButton("EditBtn", QStringLiteral("Ändern"), {482, 16, 71, 22});
    EditBtn->SetGlyph(QStringLiteral("edit"));
    EditBtn->SetHint(QStringLiteral("Gewählten Router ändern (F2)"));
    EditBtn->setEnabled(false);
    DeleteBtn = form.SpeedButton("DeleteBtn", QStringLiteral("Löschen"), {554, 16, 71, 22});
    DeleteBtn->SetGlyph(QStringLiteral("delete"));
    DeleteBtn->SetHint(QStringLiteral("Gewählten Router löschen (Entf in der Routerliste)"));
    DeleteBtn->setEnabled(false);
}

void TMainEditor::CreateBottomRow()
{
    const TFormBuilder form(this);
    SaveBtn = form.Button("SaveBtn", QStringLiteral("Speichern"), {472, 475, 75, 25});
    SaveBtn->setEnabled(false);
    CancelBtn = form.Button("CancelBtn", QStringLiteral("Abbrechen"), {552, 475, 75, 25});
    CancelBtn->setEnabled(false);
    Button1 = form.Button("Button1", QStringLiteral("Routers.dat hinzumischen..."),
                        {8, 475, 153, 25});
    Button2 = form.Button("Button2", QStringLiteral("Routernamen als Textdatei speichern"),
                        {168, 475, 193, 25});
}

QWidget* TMainEditor::AddPage(const char* name, const QString& caption)
{
    auto* page = new QWidget;
    page->setObjectName(QLatin1String(name));
    AddPage(page, caption);
    return page;
}

void TMainEditor::AddPage(QWidget* page, const QString& caption)
{
    PC->addTab(page, caption);
}

void TMainEditor::CreateGeneralPage()
{
    QWidget* page = AddPage("TabSheet1", QStringLiteral("Allgemeines zum Router"));
    const TFormBuilder form(page);
    QLabel* label16 = form.WrappedLabel(
        "Label16",
        QStringLiteral("Vergessen Sie nicht uns die Datei Routers.dat unter Angabe des "
                       "Routernamens per Mail an routers@example.org zu senden. Damit stehen die "
                       "Daten allen Tarvelo Nutzern zur Verfügung."),
        {16, 8, 553, 41});
    SetBold(label16);
    RouterVendorEdit = form.LabelledEdit("RouterVendorEdit",
                                       QStringLiteral("Name oder Hersteller des Routers:"),
                                       {16, 72, 545, 21});
    RouterVendorURLEdit = form.LabelledEdit(
        "RouterVendorURLEdit", QStringLiteral("URL des Router-Herstellers:"), {16, 128, 545, 21});
    QLabel* label2 = form.Label("Label2",
                              QStringLiteral("Sonstige Kommentare (z.B. zur Firmware, eigene "
                                             "Kontakt-E-Mail-Adresse usw.):"),
                              {16, 168});
    CommentsEdit = form.Memo("CommentsEdit", {16, 184, 545, 89});
    label2->setBuddy(CommentsEdit);
    form.WrappedLabel("Label14",
                    QStringLiteral("Nach Änderung der Router-Einstellungen müssen Sie Tarvelo "
                                   "beenden und neu starten, damit die Änderungen wirksam "
                                   "werden.\n\nBei Fehlern aktivieren Sie den Debug-Modus im "
                                   "Konfigurationsmenü (ab Tarvelo 1.01 möglich)."),
                    {16, 304, 545, 65});
}

void TMainEditor::CreateLoginPage()
{
    QWidget* page = AddPage("TabSheet5", QStringLiteral("Anmeldung beim Router"));
    const TFormBuilder form(page);
    form.WrappedLabel("Label18",
                    QStringLiteral("In den meisten Fällen erfolgt die Anmeldung beim Router über "
                                   "denn Anmeldedialog des Browsers und nicht über eine "
                                   "HTML-Seite mit einem speziellen Formular."),
                    {24, 16, 569, 33});
    BrowserAuthChkBox =
        new QCheckBox(QStringLiteral(" Anmeldung über Anmeldedialog des Browsers."), page);
    BrowserAuthChkBox->setObjectName(QStringLiteral("BrowserAuthChkBox"));
    BrowserAuthChkBox->setGeometry(24, 56, 417, 17);
    Label19 = form.Label("Label19", QStringLiteral("Anmeldung über HTML-Formular"), {24, 96});
    QFont underlined = Label19->font();
    underlined.setUnderline(true);
    Label19->setFont(underlined);
    Label19->adjustSize();
    Label20 = form.Label("Label20", QStringLiteral("Anmeldestring (ohne http://<ip-adresse>/!):"),
                       {24, 120});
    AuthStringEdit = form.Edit("AuthStringEdit", {24, 136, 569, 21});
    Label20->setBuddy(AuthStringEdit);
    form.Label("Label22", QStringLiteral("Platzhalter für den Anmeldestring:"), {24, 168});
    form.Label("Label23", QStringLiteral("%USERNAME%"), {24, 192});
    form.Label("Label24", QStringLiteral("%PASSWORD%"), {24, 208});
    form.Label("Label29",
             QStringLiteral("Verwenden Sie MD5PasswordL() bzw. MD5PasswordU() für MD5 "
                            "verschlüsselte Anmeldungen (HILFE beachten!)."),
             {24, 240});
    form.WrappedLabel("Label21", kPostHint, {24, 264, 548, 33});
    auto* bevel1 = new QFrame(page);
    bevel1->setObjectName(QStringLiteral("Bevel1"));
    bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    bevel1->setGeometry(24, 304, 569, 9);
    QLabel* label25 = form.Label("Label25", QStringLiteral("HTTP-Port (meistens 80):"), {24, 328});
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
    const TFormBuilder form(page);
    GoOnlineEdit = form.LabelledEdit("GoOnlineEdit",
                                   QStringLiteral("Mit welchem Aufruf erzwingt man den Aufbau der "
                                                  "Verbindung? (%USERNAME% und %PASSWORD% zulässig)"),
                                   {16, 40, 545, 21});
    GoOfflineEdit = form.LabelledEdit("GoOfflineEdit",
                                    QStringLiteral("Mit welchen Aufruf erzwingt man das Trennen der "
                                                   "Verbindung? (%USERNAME% und %PASSWORD% zulässig)"),
                                    {16, 96, 545, 21});
    SignOffURLEdit = form.LabelledEdit("SignOffURLEdit",
                                     QStringLiteral("Aufruf für die Abmeldung vom Router (einige "
                                                    "wenige Router benötigen das):"),
                                     {16, 144, 545, 21});
    SetBold(form.Label("Label9", QStringLiteral("Beispiele für den Aufruf zum Verbindungsaufbau:"),
                     {16, 200}));
    form.Label("Label10",
             QStringLiteral("durch den Router z.B. mit cgi-bin/goinet.cgi (ohne http://<ip-adresse>!)"),
             {16, 224});
    form.Label("Label11",
             QStringLiteral("durch beliebige URL z.B. mit http://www.example.org/"), {16, 248});
    SetBold(form.Label("Label12", QStringLiteral("Beispiel für den Verbindungsabbau:"), {16, 288}));
    form.Label("Label13",
             QStringLiteral("durch Router selbst, keine andere Möglichkeit!! cgi-bin/online3.cgi "
                            "(Angabe ohne http://<ip-adresse>/)"),
             {16, 312});
    form.WrappedLabel("Label17", kPostHint, {16, 344, 548, 33});
}

void TMainEditor::CreateStatus1Page()
{
    QWidget* page = AddPage("TabSheet3", QStringLiteral("Statusabfrage 1"));
    const TFormBuilder form(page);
    StatusPageEdit = form.LabelledEdit(
        "StatusPageEdit",
        QStringLiteral("Wie erreicht man die Statusseite mit der Angabe zur zugewiesenen "
                       "IP-Adresse? (z.B. doc/m5.htm OHNE http://!)"),
        {16, 40, 545, 21});
    QLabel* label1 = form.WrappedLabel(
        "Label1",
        QStringLiteral("Anhand der zugewiesenen IP-Adresse kann man feststellen, ob man online "
                       "ist. Wie sieht der HTML-Code aus, wenn man OFFLINE ist?"),
        {16, 80, 545, 33});
    OfflineCodeEdit = form.Memo("OfflineCodeEdit", {16, 112, 545, 113});
    label1->setBuddy(OfflineCodeEdit);
    form.Label("Label5", QStringLiteral("Wie findet man die zugewiesene IP-Adresse heraus?"),
             {16, 240});
    QLabel* label6 =
        form.Label("Label6", QStringLiteral("HTML-Code vor der IP-Adresse (eindeutig!):"), {16, 264});
    QLabel* label7 = form.Label("Label7",
                              QStringLiteral("HTML-Code nach der IP-Adresse (eindeutig!):"), {296, 264});
    BeforeIPAddressEdit = form.Memo("BeforeIPAddressEdit", {16, 280, 265, 89});
    AfterIPAddressEdit = form.Memo("AfterIPAddressEdit", {296, 280, 265, 89});
    label6->setBuddy(BeforeIPAddressEdit);
    label7->setBuddy(AfterIPAddressEdit);
}

void TMainEditor::CreateUserDefinedPage()
{
    QWidget* page = AddPage("TabSheet8", QStringLiteral("Benutzerdefiniert"));
    const TFormBuilder form(page);
    auto* bevel2 = new QFrame(page);
    bevel2->setObjectName(QStringLiteral("Bevel2"));
    bevel2->setFrameStyle(QFrame::Box | QFrame::Sunken);
    bevel2->setGeometry(8, 8, 593, 361);
    form.WrappedLabel("Label28",
                    QStringLiteral("Es können 3 benutzerdefinierte Aktionen definiert werden, die "
                                   "über die Schaltflächen 1, 2, 3 im Hauptfenster von Tarvelo "
                                   "aufgerufen werden können.\nGeben Sie diese Aktionen ohne "
                                   "http://<ip-adresse>/ an. Die Angabe <POST> kann ebenfalls "
                                   "verwendet werden."),
                    {16, 24, 569, 57});
    UserDef1Edit = form.LabelledEdit("UserDef1Edit",
                                   QStringLiteral("Anweisung für benutzerdefinierte Aktion 1:"),
                                   {16, 112, 569, 21});
    UserDef2Edit = form.LabelledEdit("UserDef2Edit",
                                   QStringLiteral("Anweisung für benutzerdefinierte Aktion 2:"),
                                   {16, 168, 569, 21});
    UserDef3Edit = form.LabelledEdit("UserDef3Edit",
                                   QStringLiteral("Anweisung für benutzerdefinierte Aktion 3:"),
                                   {16, 224, 569, 21});
}

// Keys for the flat buttons, which take no focus, and for Speichern and
// Abbrechen. A button's key works only while the button is shown and
// enabled. No key throws typing away: Escape cancels at once only an edit
// without changes, else it asks first.
void TMainEditor::CreateShortcuts()
{
    NewBtn->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    EditBtn->setShortcut(QKeySequence(Qt::Key_F2));
    SaveBtn->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    SaveBtn->setToolTip(QStringLiteral("Speichern (Strg+S)"));
    auto* deleteKey = new QShortcut(QKeySequence::Delete, RoutersCB, nullptr, nullptr, Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, DeleteBtn, [this] {
        if (DeleteBtn->isEnabled())
            DeleteBtn->click();
    });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), CancelBtn);
    connect(escape, &QShortcut::activated, this, Guarded([this] {
                if (MayLeaveEditing() && m_mode != TMode::Browse)
                    CancelBtnClick();
            }));
    CancelBtn->setToolTip(QStringLiteral("Abbrechen (Esc, nach Änderungen mit Rückfrage)"));
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
    connect(this, &TMainEditor::editingChanged, TS5, &TStaticPageTab::EditingChanged);

    for (QWidget* control : std::initializer_list<QWidget*>{
             RouterVendorEdit, RouterVendorURLEdit, CommentsEdit, GoOnlineEdit, GoOfflineEdit,
             SignOffURLEdit, StatusPageEdit, BeforeIPAddressEdit, AfterIPAddressEdit,
             m_propertyPages[0]->PageEdit(), m_propertyPages[1]->PageEdit(),
             m_propertyPages[2]->PageEdit(), UserDef1Edit, UserDef2Edit, UserDef3Edit})
        BindEnterKey(control);

    BindExit(GoOnlineEdit, [this] { GoOnlineEditExit(); });
    BindExit(GoOfflineEdit, [this] { GoOfflineEditExit(); });
    BindExit(SignOffURLEdit, [this] { SignOffURLEditExit(); });
    BindExit(StatusPageEdit, [this] { StatusPageEditExit(); });
    for (const TPropertyPage* page : m_propertyPages)
        BindExit(page->PageEdit(), [this, edit = page->PageEdit()] { Status2PageEditExit(edit); });
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
    // Once the window is on screen, so that the message has an owner.
    if (!m_loadResult.interruptedCopy.empty()) {
        QMetaObject::invokeMethod(this, Guarded([this] { OfferInterruptedCopy(); }),
                                  Qt::QueuedConnection);
    } else if (!m_loadResult.complete) {
        QMetaObject::invokeMethod(this, Guarded([this] { WarnIfFileDamaged(); }),
                                  Qt::QueuedConnection);
    }
    if (!m_loadResult.cutTexts.empty())
        QMetaObject::invokeMethod(this, Guarded([this] { WarnAboutCutTexts(); }), Qt::QueuedConnection);
}

void TMainEditor::WarnAboutCutTexts()
{
    ShowMsgBox(ToCp1252Text(CutTextsMessage(m_file.Path(), m_loadResult.cutTexts) +
                            "\n\nBeim ersten Speichern wird das Original zuvor als Sicherungskopie "
                            "aufbewahrt; ihr Name wird dann angezeigt."),
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
    ShowMsgBox(ToCp1252Text(text), {}, mkWarning, btnOK);
}

// A save that was killed half way left the file incomplete, and a copy of
// its previous bytes.
void TMainEditor::OfferInterruptedCopy()
{
    const std::string& copy = m_loadResult.interruptedCopy;
    if (ShowMsgBox(ToCp1252Text(InterruptedSaveMessage(m_file.Path(), copy) +
                                "\n\nSoll die Datei aus dieser Kopie wiederhergestellt werden? Sonst bleibt die "
                                "Kopie bis zum nächsten Speichern erhalten."),
                   {}, mkConfirmation, btnYesNo) != MsgBox::IDYES)
        return;
    const std::string refused = m_file.RestoreInterruptedSave(copy);
    if (!refused.empty())
        throw TFileError(refused);
    m_routerNames->Replace([this] { m_loadResult = m_file.Load(m_routers); });
    RoutersCB->setCurrentIndex(m_routers.Selected());
    RoutersCBChange();
}

// Writes the whole list, brought up to date first when another program
// changed the file. The first save after a load that did not read the file
// completely keeps the original, under a name the user must learn.
void TMainEditor::WriteRouters()
{
    const bool saved = m_file.Save(m_routers, [this](const std::function<void()>& replace) {
        m_routerNames->Replace(replace);
    });
    if (!saved || m_file.LastBackupPath().empty())
        return;
    const QString text = QStringLiteral("Die Datei \"%1\" konnte beim Start nicht vollständig "
                                        "gelesen werden. Ihr Original wurde vor dem Speichern als "
                                        "\"%2\" aufbewahrt.")
                             .arg(EscapedControls(QString::fromStdString(m_file.Path())),
                                  EscapedControls(QString::fromStdString(m_file.LastBackupPath())));
    ShowMsgBox(ToCp1252Text(text), {}, mkInformation, btnOK);
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
    m_propertyPages[0]->PageEdit()->setText(ToQString(record.Status2Page));
    m_propertyPages[1]->PageEdit()->setText(ToQString(record.Status3Page));
    m_propertyPages[2]->PageEdit()->setText(ToQString(record.Status4Page));
    m_propertyPages[0]->Editor()->SetStrings(record.Status2Values);
    m_propertyPages[1]->Editor()->SetStrings(record.Status3Values);
    m_propertyPages[2]->Editor()->SetStrings(record.Status4Values);
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
             m_propertyPages[0]->PageEdit(), m_propertyPages[1]->PageEdit(),
             m_propertyPages[2]->PageEdit(), UserDef1Edit, UserDef2Edit, UserDef3Edit})
        control->setEnabled(enable);
    // The pages not on view too, so that browse mode leaves no move button
    // enabled anywhere.
    for (TPropertyPage* page : m_propertyPages)
        page->SetListEnabled(enable);
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
             SignOffURLEdit, StatusPageEdit, m_propertyPages[0]->PageEdit(),
             m_propertyPages[1]->PageEdit(), m_propertyPages[2]->PageEdit(), UserDef1Edit,
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
    for (TPropertyPage* page : m_propertyPages)
        page->Editor()->Clear();
    SetEditMode(true);
    BrowserAuthChkBoxClick();
    SetEditingButtons();
    PCChange();
    RememberShownRecord();
    RouterVendorEdit->setFocus(Qt::OtherFocusReason);
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
    RememberShownRecord();
    // A field of the page that has the focus already keeps it.
    const QWidget* focused = QApplication::focusWidget();
    if (!(focused && focused->isEnabled() && PC->currentWidget()->isAncestorOf(focused)))
        FocusFirstFieldOf(PC->currentWidget());
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
    record.Status2Page = ToCp1252(m_propertyPages[0]->PageEdit()->text());
    record.Status3Page = ToCp1252(m_propertyPages[1]->PageEdit()->text());
    record.Status4Page = ToCp1252(m_propertyPages[2]->PageEdit()->text());
    record.Status2Values = m_propertyPages[0]->Editor()->Strings();
    record.Status3Values = m_propertyPages[1]->Editor()->Strings();
    record.Status4Values = m_propertyPages[2]->Editor()->Strings();
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
        ShowMsgBox(ToCp1252Text(std::string(tooLong.what()) + " Es wurde nichts gespeichert."), {}, mkError, btnOK);
        return false;
    }
}

void TMainEditor::SaveBtnClick()
{
    ExitFocusedField();
    if (!EditedRecordFits())
        return;
    int recordIndex = m_routers.Selected();
    std::string formerName; // none for a new entry
    if (m_newRouter) {
        auto entry = std::make_unique<TRouterEntry>(NewRouterEntry());
        entry->RouterVendor = ToCp1252(RouterVendorEdit->text());
        const std::string name = entry->RouterVendor;
        recordIndex = AddRouter(std::move(entry));
        SelectRouter(m_routers.FindByName(name));
    } else {
        formerName = m_routers.Name(recordIndex);
    }
    TRouterEntry& record = m_routers.Entry(recordIndex);
    CopyControlsInto(record);
    record.Reserved1.clear();
    record.Reserved2.clear();
    record.ReservedFlag = 1;
    // The record's own item takes the new name in place; the list is sorted
    // again only at the next start.
    m_routerNames->Rename(recordIndex, record.RouterVendor);
    const std::string name = record.RouterVendor;
    m_file.Note({std::move(formerName), record});
    // Before the write, which may read the list anew and so free the record.
    TS5->RecordSaved(record);
    WriteRouters();
    RoutersCB->setEnabled(true);
    SelectRouter(m_routers.FindByName(name));
    RoutersCBChange();
    SetEditMode(false);
    SetTestPageEnabled(true);
    RoutersCB->setFocus(Qt::OtherFocusReason);
}

void TMainEditor::CancelBtnClick()
{
    SetEditMode(false);
    RoutersCBChange();
    SetTestPageEnabled(true);
    RoutersCB->setFocus(Qt::OtherFocusReason);
}

void TMainEditor::DeleteBtnClick()
{
    const int index = m_routers.Selected();
    const std::string question =
        "Möchten Sie den Router \"" + Shown(TCp1252Text(m_routers.Name(index))) + "\" wirklich löschen?";
    if (ShowMsgBox(ToCp1252Text(question), {}, mkConfirmation, btnYesNo) != MsgBox::IDYES)
        return;
    m_file.Note({m_routers.Name(index), std::nullopt});
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

void TMainEditor::ValueAddBtnClick()
{
    OnActivePropertyPage(&TPropertyPage::ValueAddBtnClick);
}

void TMainEditor::ValueEditBtnDblClick()
{
    OnActivePropertyPage(&TPropertyPage::ValueEditBtnDblClick);
}

void TMainEditor::ValueDelBtnClick()
{
    OnActivePropertyPage(&TPropertyPage::ValueDelBtnClick);
}

void TMainEditor::DupBtnClick()
{
    OnActivePropertyPage(&TPropertyPage::DupBtnClick);
}

void TMainEditor::RowUpBtnClick()
{
    OnActivePropertyPage(&TPropertyPage::RowUpBtnClick);
}

void TMainEditor::RowDownBtnClick()
{
    OnActivePropertyPage(&TPropertyPage::RowDownBtnClick);
}

void TMainEditor::ValueEditClick()
{
    OnActivePropertyPage(&TPropertyPage::ValueEditClick);
}

void TMainEditor::OnActivePropertyPage(void (TPropertyPage::*handler)())
{
    if (TPropertyPage* page = ActivePropertyPage())
        (page->*handler)();
}

TPropertyPage* TMainEditor::ActivePropertyPage() const
{
    const int slot = PC->currentIndex() - kFirstPropertyPageIndex;
    if (slot < 0 || slot >= static_cast<int>(m_propertyPages.size()))
        return nullptr;
    return m_propertyPages[std::size_t(slot)];
}

// ------------------------------------------------------ unsaved edits

void TMainEditor::RememberShownRecord()
{
    m_shownRecord = NewRouterEntry();
    CopyControlsInto(m_shownRecord);
}

bool TMainEditor::HasUnsavedEdits() const
{
    if (m_mode == TMode::Browse)
        return false;
    TRouterEntry edited = NewRouterEntry();
    CopyControlsInto(edited);
    edited.SavedAt = m_shownRecord.SavedAt;
    const auto undoNormalizing = [&](const auto& fields, auto normalize) {
        for (std::string TRouterEntry::* field : fields)
            if (IsNormalFormOf(edited.*field, m_shownRecord.*field, normalize))
                edited.*field = m_shownRecord.*field;
    };
    undoNormalizing(kRequestFields, &NormalizeRequest);
    undoNormalizing(kHtmlCodeFields, &NormalizeHtmlCode);
    return !(edited == m_shownRecord);
}

// Asks what becomes of unsaved edits before they would be lost. True when
// the caller may go on: the edits reached the file, or the user lets them go.
bool TMainEditor::MayLeaveEditing()
{
    if (!HasUnsavedEdits())
        return true;
    const QString name = RouterVendorEdit->text();
    const QString question =
        m_mode == TMode::New
            ? QStringLiteral("Der neue Router \"%1\" ist noch nicht gespeichert.\n\nMöchten Sie ihn speichern?")
            : QStringLiteral("Die Änderungen am Router \"%1\" sind noch nicht gespeichert.\n\nMöchten Sie sie "
                             "speichern?");
    switch (AskSaveOrDiscard(question.arg(EscapedControls(name)))) {
    case MsgBox::IDYES:
        SaveBtnClick();
        // A save that refused the texts keeps the edit; one whose write
        // failed keeps what the file lacks.
        return m_mode == TMode::Browse && !m_file.HasUnwrittenChanges();
    case MsgBox::IDNO:
        return true;
    default:
        return false;
    }
}

// After a write that failed, the list holds changes that the file lacks;
// closing would lose them. True when the caller may go on.
bool TMainEditor::MayDropUnwrittenChanges()
{
    if (!m_file.HasUnwrittenChanges())
        return true;
    const QString question = QStringLiteral("Die Datei \"%1\" enthält die letzten Änderungen nicht, weil sie nicht "
                                            "geschrieben werden konnte.\n\nMöchten Sie erneut speichern?")
                                 .arg(QString::fromStdString(m_file.Path()));
    switch (AskSaveOrDiscard(question)) {
    case MsgBox::IDYES:
        WriteRouters();
        return !m_file.HasUnwrittenChanges();
    case MsgBox::IDNO:
        return true;
    default:
        return false;
    }
}

int TMainEditor::AskSaveOrDiscard(const QString& question)
{
    SetMsgBoxButtonTexts({QStringLiteral("Speichern"), QStringLiteral("Verwerfen"), QStringLiteral("Abbrechen")});
    const auto usualButtons = qScopeGuard([] { SetMsgBoxButtonTexts({}); });
    return ShowMsgBox(ToCp1252Text(question), {}, mkConfirmation, btnYesNoCancel);
}

void TMainEditor::closeEvent(QCloseEvent* event)
{
    bool mayClose = false;
    Guarded([&] { mayClose = MayLeaveEditing() && MayDropUnwrittenChanges(); })();
    if (mayClose)
        QWidget::closeEvent(event);
    else
        event->ignore();
}

void TMainEditor::FocusFirstFieldOf(QWidget* page)
{
    if (QWidget* field = FirstFieldOf(page))
        field->setFocus(Qt::OtherFocusReason);
    else
        PC->setFocus(Qt::OtherFocusReason); // the tab bar, to go to another page
}

// ------------------------------------------------------ merge and export

void TMainEditor::CreateFileDialogs()
{
    OpenDialog = std::make_unique<TFileDialog>(TFileDialog::TKind::Open, this);
    SaveDialog = std::make_unique<TFileDialog>(TFileDialog::TKind::Save, this);
    SaveDialog->SetFileName(QStringLiteral("Routers.txt"));
    SaveDialog->SetFilter(QStringLiteral("Textdateien"), QStringLiteral("*.txt"));
}

// The copy goes through Show router, Ändern and Speichern as if the user had
// clicked, so it reaches the file exactly as the controls hold it.
void TMainEditor::Button1Click()
{
    if (!OpenDialog->Execute())
        return;
    TMergeRouterDlg dialog(this);
    dialog.LoadRouters(OpenDialog->FileName());
    if (dialog.exec() != MsgBox::IDOK || !MayLeaveEditing())
        return;
    const TRouterEntry& source = dialog.SelectedRouter();
    m_routerNames->AddWith(source.RouterVendor, [&] { return AddRouterCopy(m_routers, source); });
    m_file.Note({{}, source});
    SelectRouter(m_routers.Selected());
    RoutersCBChange();
    EditBtn->click();
    SaveBtn->click();
}

void TMainEditor::Button2Click()
{
    if (!SaveDialog->Execute())
        return;
    ExportRouterNames(SaveDialog->FileName(), m_routers, m_file.Path());
}

// ------------------------------------------------- rules from the match view

// Rules proposed in the match view are taken over into the controls of the
// router being changed or made. The record changes only when the user saves.

TRuleReceiver::TEditing TMainEditor::Editing() const
{
    switch (m_mode) {
    case TMode::Edit: return TEditing::Existing;
    case TMode::New: return TEditing::New;
    case TMode::Browse: break;
    }
    return TEditing::None;
}

std::string TMainEditor::EditedRouterName() const
{
    if (m_mode != TMode::Edit || !m_routers.HasSelection())
        return {};
    return m_routers.SelectedEntry().RouterVendor;
}

std::vector<std::string> TMainEditor::PropertyNames(int statusQuery) const
{
    return m_propertyPages.at(std::size_t(statusQuery - 2))->PropertyNames();
}

std::string TMainEditor::BeforeIPAddress() const
{
    return ToCp1252(BeforeIPAddressEdit->SavedText());
}

std::string TMainEditor::AfterIPAddress() const
{
    return ToCp1252(AfterIPAddressEdit->SavedText());
}

void TMainEditor::TakeOverAddressRule(const std::string& before, const std::string& after)
{
    if (m_mode == TMode::Browse)
        return;
    BeforeIPAddressEdit->SetSavedText(ToQString(before));
    AfterIPAddressEdit->SetSavedText(ToQString(after));
    ShowControl(BeforeIPAddressEdit);
}

void TMainEditor::TakeOverPropertyRule(int statusQuery, const std::string& name, const std::string& code)
{
    if (m_mode == TMode::Browse)
        return;
    TPropertyPage* page = m_propertyPages.at(std::size_t(statusQuery - 2));
    ShowControl(page);
    page->TakeOverRule(name, code);
}

void TMainEditor::TakeOverOfflineCode(const std::string& code)
{
    if (m_mode == TMode::Browse)
        return;
    OfflineCodeEdit->SetSavedText(ToQString(code));
    ShowControl(OfflineCodeEdit);
}

// Brings the tab page of the control to the front, so that the user sees
// what changed.
void TMainEditor::ShowControl(QWidget* control)
{
    for (int index = 0; index < PC->count(); ++index) {
        if (PC->widget(index) == control || PC->widget(index)->isAncestorOf(control))
            PC->setCurrentIndex(index);
    }
}
