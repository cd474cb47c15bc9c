#include "connection/dialog_connect.h"

#include <string>

#include "connection/model.h"
#include "serial/pump_wait.h"
#include "serial/serial_port.h"
#include "ui/app_icon.h"
#include "ui/language_module.h"
#include "ui/string_table.h"
#include "ui/display_text.h"
#include "ui/elided_label.h"
#include "ui_dialog_connect.h"

namespace {
// The progress bar's own step, as the control moves by default.
constexpr int ProgressStep = 10;
}  // namespace

CDialogConnect::CDialogConnect(QWidget* parent, CSerialPort* port, CModel* model)
    : QDialog(parent), m_Ui(new Ui::CDialogConnect), m_Port(port), m_Model(model), m_Wizard(model, this)
{
    m_Ui->setupUi(this);
    setWindowIcon(VarnelIcon());
    m_Timer.setSingleShot(false);
    connect(&m_Timer, &QTimer::timeout, this, &CDialogConnect::OnTimer);
    connect(m_Ui->buttonNext, &QPushButton::clicked, this, [this] { done(ResultNext); });
    connect(m_Ui->buttonBack, &QPushButton::clicked, this, [this] { done(ResultBack); });
    TranslateTemplateTexts(this, m_Model ? m_Model->GetLanguageModule() : nullptr);
}

CDialogConnect::~CDialogConnect()
{
    delete m_Ui;
}

QString CDialogConnect::StatusText() const
{
    return m_Ui->labelStatus->text();
}

void CDialogConnect::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_TimerStarted) {
        m_TimerStarted = true;
        m_Timer.start(WizardTiming::FirstTickMs);
    }
}

void CDialogConnect::OnTimer()
{
    m_Timer.stop();
    const bool again = m_Wizard.Tick();
    // Closed during the tick's pauses: the run ends with this tick.
    if (again && isVisible())
        m_Timer.start(WizardTiming::TickPeriodMs);
}

QString CDialogConnect::Text(int id) const
{
    return UiText(m_Model, id);
}

bool CDialogConnect::OpenPort(int portNumber, int baudRate)
{
    return m_Port->Open(portNumber, baudRate);
}

bool CDialogConnect::IsPortOpen() const
{
    return m_Port->IsOpen();
}

bool CDialogConnect::IsPortLost() const
{
    return m_Port->Lost();
}

void CDialogConnect::WriteLine(std::string_view sentence)
{
    m_Port->WriteLine(std::string(sentence));
}

void CDialogConnect::WriteRaw(std::string_view bytes)
{
    m_Port->Write(bytes.data(), static_cast<int>(bytes.size()));
}

void CDialogConnect::Pause(int milliseconds)
{
    PumpWait(milliseconds);
}

int CDialogConnect::Read(char* buffer, int maximum)
{
    return m_Port->Read(buffer, maximum);
}

void CDialogConnect::StepProgress()
{
    // Past the top the bar starts over from the bottom.
    QProgressBar* bar = m_Ui->progressBar;
    int value = bar->value() + ProgressStep;
    if (value > bar->maximum())
        value = bar->minimum() + (value - bar->maximum());
    bar->setValue(value);
}

void CDialogConnect::ShowStarted()
{
    setWindowTitle(Text(StringIds::ConnectionEstablishment));
    m_Ui->buttonBack->setText(Text(StringIds::Back));
    m_Ui->buttonBack->setAccessibleName(m_Ui->buttonBack->text());
    m_Ui->buttonNext->setText(Text(StringIds::Next));
    m_Ui->buttonNext->setAccessibleName(m_Ui->buttonNext->text());
    ShowLabelText(m_Ui->labelStatus, Text(StringIds::Connecting));
}

void CDialogConnect::ShowResult(const SConnectResult& result)
{
    m_Ui->progressBar->setValue(m_Ui->progressBar->maximum());
    if (result.TextId != 0) {
        const std::string text = Text(result.TextId).toStdString();
        ShowLabelText(m_Ui->labelStatus,
                      QString::fromStdString(FormatConnectStatus(result, text, m_Model->GetPortNumber())));
    }
    if (result.Success)
        m_Ui->buttonNext->setEnabled(true);
    m_Ui->buttonBack->setEnabled(true);
    (result.Success ? m_Ui->buttonNext : m_Ui->buttonBack)->setFocus();
    emit Finished();
}
