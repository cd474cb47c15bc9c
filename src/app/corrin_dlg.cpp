#include "app/corrin_dlg.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "app/working_dialogs.h"
#include "connection/connect_wizard.h"
#include "connection/dialog_connect.h"
#include "connection/model.h"
#include "serial/open_failure.h"
#include "serial/serial_enum.h"
#include "serial/serial_port.h"
#include "ui/app_icon.h"
#include "ui/dialog_about2.h"
#include "ui/dialog_serial_console.h"
#include "ui/language_module.h"
#include "ui/string_table.h"
#include "ui/display_text.h"
#include "ui/qt_translations.h"
#include "ui/refreshing_combo_box.h"
#include "ui_corrin_dlg.h"
#include "version.h"

namespace {

constexpr int TestBaudRate = 19200;

// Each language named in itself, so that whoever cannot read the current one still finds their own.
struct SLanguageChoice {
    const char* Name;  // UTF-8
    int Id;
    const char* FileName;
};
constexpr SLanguageChoice Languages[] = {
    {"English", 1033, "english"}, {"Espa\xC3\xB1ol", 1034, "spanish"}, {"Deutsch", 1031, "german"}};

// How often the port list looks for adapters plugged in or pulled.
constexpr int PortWatchMs = 2000;

QStringList PortTexts(const std::vector<SPortListEntry>& ports)
{
    QStringList texts;
    for (const SPortListEntry& entry : ports)
        texts << QString::fromStdString(entry.text);
    return texts;
}

}  // namespace

CorrinDlg::CorrinDlg(QWidget* parent)
    : QDialog(parent), m_Ui(new Ui::CorrinDlg), m_Port(std::make_unique<CSerialPort>())
{
    m_Ui->setupUi(this);
    layout()->setMenuBar(m_Ui->menuBar);
    m_Caption = windowTitle();
    setWindowIcon(VarnelIcon());
    if (QApplication::windowIcon().isNull())
        QApplication::setWindowIcon(VarnelIcon());
    m_Ui->menuBar->setAccessibleName(QStringLiteral("Menu"));

    m_ErrorBox = [](QWidget* parent, const QString& caption, const QString& text) {
        QMessageBox::critical(parent, caption, text, QMessageBox::Ok);
    };

    // Any of the choices makes Connect possible; the check box is not a choice.
    for (QRadioButton* choice : {m_Ui->radioBase, m_Ui->radioRadio, m_Ui->radioDirectRover, m_Ui->radioDirectBase})
        connect(choice, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                m_Ui->buttonConnect->setEnabled(true);
        });
    connect(m_Ui->buttonConnect, &QPushButton::clicked, this, &CorrinDlg::Connect);
    connect(m_Ui->buttonCancel, &QPushButton::clicked, this, [this] { done(0); });
    connect(m_Ui->actionAbout, &QAction::triggered, this, &CorrinDlg::ShowAbout);
    connect(m_Ui->comboPort, &CRefreshingComboBox::PopupAboutToShow, this, &CorrinDlg::RefreshPortList);
    connect(&m_PortWatch, &QTimer::timeout, this, [this] {
        // Only while the window is in use: a working dialog owns the port meanwhile.
        if (isActiveWindow() || QApplication::activeModalWidget() == this)
            RefreshPortList();
    });

    // The console keeps the port's history for the whole run, shown or not.
    m_Console = new CDialogSerialConsole(&m_Port->Tap(), this);
    m_ConsoleButton = new QPushButton(this);
    m_ConsoleButton->setObjectName(QStringLiteral("buttonSerialConsole"));
    m_ConsoleButton->setAutoDefault(false);
    m_Ui->layoutButtons->insertWidget(1, m_ConsoleButton);
    connect(m_ConsoleButton, &QPushButton::clicked, this, [this] { m_Console->ShowFrom(this); });
}

CorrinDlg::~CorrinDlg()
{
    if (m_Port->IsOpen())
        m_Port->Close();
    // Before the port it watches goes.
    delete m_Console;
    delete m_Ui;
}

void CorrinDlg::SetModel(CModel* model)
{
    m_Model = model;
    Initialise();
    ApplyTexts();
    ApplyOptions();
}

void CorrinDlg::showEvent(QShowEvent* event)
{
    if (!m_Initialised) {
        Initialise();
        ApplyTexts();
    }
    QDialog::showEvent(event);
}

void CorrinDlg::Initialise()
{
    if (!m_Initialised) {
        m_Initialised = true;
        m_ShortVersion = QString::asprintf("%2d.%d", VARNEL_VERSION_MAJOR, VARNEL_VERSION_MINOR);
        m_LongVersion = QString::asprintf("%2d.%d.%d.%d", VARNEL_VERSION_MAJOR, VARNEL_VERSION_MINOR,
                                          VARNEL_VERSION_PATCH, VARNEL_VERSION_TWEAK);
        setWindowTitle(m_Caption + QStringLiteral(" - v") + m_ShortVersion);
        FillPortList();
        FillLanguageList();
        // Connected only now: selecting the first entry above is not a change of language.
        connect(m_Ui->comboLanguage, &QComboBox::currentIndexChanged, this, &CorrinDlg::OnLanguageChanged);
    }
}

void CorrinDlg::FillPortList()
{
    m_Ui->comboPort->clear();
    if (m_Model && m_Model->GetPresetPort() != -1) {
        const int port = m_Model->GetPresetPort();
        m_Ui->comboPort->addItem(QStringLiteral("COM%1").arg(port), port);
    } else {
        const std::vector<SPortListEntry> ports = ListSerialPorts();
        for (const SPortListEntry& entry : ports)
            m_Ui->comboPort->addItem(PortText(entry), entry.portNumber);
        m_ListedPorts = PortTexts(ports);
        m_PortWatch.start(PortWatchMs);
    }
    if (m_Ui->comboPort->count() > 0)
        m_Ui->comboPort->setCurrentIndex(0);
}

QString CorrinDlg::PortText(const SPortListEntry& entry) const
{
    // The system's own names stay as they are; only the program's plain description is translated.
    static const QString plain = QStringLiteral("Communications Port");
    QString text = QString::fromStdString(entry.text);
    return text.replace(plain, TranslatedText(m_Model ? m_Model->GetLanguageModule() : nullptr, plain));
}

void CorrinDlg::RefreshPortList()
{
    if (m_Model && m_Model->GetPresetPort() != -1)
        return;
    const std::vector<SPortListEntry> ports = ListSerialPorts();
    const QStringList texts = PortTexts(ports);
    if (texts == m_ListedPorts)
        return;
    m_ListedPorts = texts;
    QComboBox* combo = m_Ui->comboPort;
    const QVariant chosen = combo->currentData();
    const QSignalBlocker quiet(combo);
    combo->clear();
    for (const SPortListEntry& entry : ports)
        combo->addItem(PortText(entry), entry.portNumber);
    const int keep = chosen.isValid() ? combo->findData(chosen) : -1;
    combo->setCurrentIndex(keep >= 0 ? keep : (combo->count() > 0 ? 0 : -1));
}

void CorrinDlg::FillLanguageList()
{
    m_Ui->comboLanguage->clear();
    int started = 0;
    const CLanguageModule* module = m_Model ? m_Model->GetLanguageModule() : nullptr;
    for (const auto& language : Languages) {
        if (module && module->IsLibraryLoaded() && module->GetCurrentLanguage() == language.FileName)
            started = m_Ui->comboLanguage->count();
        m_Ui->comboLanguage->addItem(QString::fromUtf8(language.Name), language.Id);
    }
    m_Ui->comboLanguage->setCurrentIndex(started);
}

QString CorrinDlg::Text(int id) const
{
    return UiText(m_Model, id);
}

void CorrinDlg::ApplyTexts()
{
    const struct {
        QWidget* Widget;
        int Id;
    } texts[] = {
        {m_Ui->labelPort, StringIds::Port},
        {m_Ui->labelLanguage, StringIds::Language},
        {m_Ui->radioBase, StringIds::BaseConfiguration},
        {m_Ui->radioRadio, StringIds::RadioConfiguration},
        {m_Ui->buttonConnect, StringIds::Connect},
    };
    for (const auto& t : texts) {
        const QString text = Text(t.Id);
        if (auto* label = qobject_cast<QLabel*>(t.Widget))
            label->setText(text);
        else if (auto* button = qobject_cast<QAbstractButton*>(t.Widget))
            button->setText(text);
        t.Widget->setAccessibleName(text);
    }
    m_ConsoleButton->setText(Text(StringIds::SerialConsole));
    m_ConsoleButton->setAccessibleName(m_ConsoleButton->text());
    m_Console->SetModel(m_Model);
    // The lists are named by their labels.
    m_Ui->comboPort->setAccessibleName(m_Ui->labelPort->text());
    m_Ui->comboLanguage->setAccessibleName(m_Ui->labelLanguage->text());
    TranslateTemplateTexts(this, m_Model ? m_Model->GetLanguageModule() : nullptr);
}

void CorrinDlg::ApplyOptions()
{
    if (!m_Model)
        return;
    // Hidden options leave no gap: the layout closes up around them.
    if (m_Model->GetDirectConnectEnabled()) {
        m_Ui->radioDirectRover->show();
        m_Ui->radioDirectBase->show();
        m_Ui->checkWriteDefaults->show();
        m_Ui->checkWriteDefaults->setChecked(m_Model->GetWriteDefaultsFlags() != 0);
    } else if (m_Model->GetWriteDefaultsFlags() != 0) {
        m_Ui->checkWriteDefaults->show();
        m_Ui->checkWriteDefaults->setChecked(true);
    }
}

void CorrinDlg::OnLanguageChanged(int index)
{
    if (!m_Model || !m_Model->GetLanguageModule() || index < 0)
        return;
    CLanguageModule* language = m_Model->GetLanguageModule();
    language->Unload();
    language->SelectLanguage(m_Ui->comboLanguage->itemData(index).toInt());
    InstallQtTranslations(language->IsLibraryLoaded() ? language->GetCurrentLanguage() : std::string());
    ApplyTexts();
}

int CorrinDlg::ChosenModeCode() const
{
    if (m_Ui->radioRadio->isChecked())
        return ModeCodes::RadioConfiguration;
    if (m_Ui->radioBase->isChecked())
        return ModeCodes::BaseConfiguration;
    if (m_Ui->radioDirectRover->isChecked())
        return ModeCodes::DirectRover;
    if (m_Ui->radioDirectBase->isChecked())
        return ModeCodes::DirectBase;
    return ModeCodes::Idle;
}

void CorrinDlg::RunDialog(QDialog* dialog)
{
    if (m_DialogHook)
        m_DialogHook(dialog);
    dialog->exec();
}

void CorrinDlg::Connect()
{
    if (!m_Model)
        return;
    const int port = m_Ui->comboPort->currentIndex() >= 0 ? m_Ui->comboPort->currentData().toInt() : -1;
    m_Model->SetPortNumber(port);
    m_Model->SetBaudRate(TestBaudRate);

    // Test the port before anything else; the wizard opens it itself.
    if (!m_Port->Open(port, TestBaudRate)) {
        QString text = QString::asprintf("Could not open com port %d  ", port);
        if (port >= 0) {
            int reason = 0;
            switch (DiagnoseOpenFailureOfPort(port)) {
            case EOpenFailure::InUse: reason = StringIds::PortInUse; break;
            case EOpenFailure::NoPermission: reason = StringIds::PortNoPermission; break;
            case EOpenFailure::Gone: reason = StringIds::PortGone; break;
            case EOpenFailure::Unknown: break;
            }
            if (reason != 0)
                text += QLatin1Char('\n') + Text(reason);
        }
        m_ErrorBox(this, QStringLiteral("Varnel Link Manager"), text);
        return;
    }
    m_Port->Close();

    m_Model->SetModeCode(ChosenModeCode());
    if (m_Ui->checkWriteDefaults->isChecked())
        m_Model->SetWriteDefaultsFlags(m_Model->GetWriteDefaultsFlags() | WriteDefaults::BoxTicked);

    int wizardResult = 0;
    {
        CDialogConnect wizard(this, m_Port.get(), m_Model);
        RunDialog(&wizard);
        wizardResult = wizard.result();
    }

    if (wizardResult == CDialogConnect::ResultNext) {
        if (WorkingDialogFactory create = FindWorkingDialog(m_Model->GetModeCode())) {
            std::unique_ptr<QDialog> working(create(this, m_Port.get(), m_Model));
            if (working)
                RunDialog(working.get());
        }
    }
    CloseConnection();
}

void CorrinDlg::CloseConnection()
{
    // A port closed already (the wizard could not open it, or a radio dialog closed it after its
    // commit) gets nothing, and the mode code stays.
    if (!m_Port->IsOpen())
        return;
    for (std::string_view sentence : ClosingSentences(m_Model->GetModeCode()))
        m_Port->WriteLine(std::string(sentence));
    m_Port->Close();
    m_Model->SetModeCode(ModeCodes::Idle);
}

void CorrinDlg::ShowAbout()
{
    CDialogAbout2 about(this, m_LongVersion);
    TranslateTemplateTexts(&about, m_Model ? m_Model->GetLanguageModule() : nullptr);
    RunDialog(&about);
}
