#include "radio/dialog_microhard_rover.h"

#include "connection/model.h"
#include "radio/microhard_dialect.h"
#include "radio/radio_timing.h"
#include "serial/pump_wait.h"
#include "serial/serial_port.h"
#include "ui/string_table.h"
#include "ui_dialog_microhard_rover.h"

CDialogMicrohardRover::CDialogMicrohardRover(QWidget* parent, CSerialPort* port, CModel* model)
    : CRadioDialog(parent, port, model), m_Ui(new Ui::CDialogMicrohardRover), m_ThreadLink(port)
{
    m_Ui->setupUi(this);
    m_Ui->panelWait->hide();
    KeepEnabledWhileBusy(m_Ui->panelWait);
    connect(&m_Timer, &QTimer::timeout, this, &CDialogMicrohardRover::OnTimer);
    connect(m_Ui->buttonCommit, &QPushButton::clicked, this, &CDialogMicrohardRover::OnCommit);
    connect(m_Ui->buttonCancel, &QPushButton::clicked, this, &CDialogMicrohardRover::reject);
}

CDialogMicrohardRover::~CDialogMicrohardRover()
{
    m_Poller.Stop();
    delete m_Ui;
}

void CDialogMicrohardRover::showEvent(QShowEvent* event)
{
    if (!m_Started) {
        m_Started = true;
        m_Timer.start(RadioTiming::DisplayTimerMs);
    }
    CRadioDialog::showEvent(event);
}

void CDialogMicrohardRover::resizeEvent(QResizeEvent* event)
{
    m_Ui->panelWait->setGeometry(rect());
    CRadioDialog::resizeEvent(event);
}

void CDialogMicrohardRover::OnTimer()
{
    if (m_FirstTick) {
        m_FirstTick = false;
        FirstTick();
        return;
    }
    const int level = m_Poller.SignalLevel();
    if (level == m_ShownLevel)
        return;
    m_ShownLevel = level;
    if (auto text = Microhard::SignalText(level))
        SetLiveText(m_Ui->labelSignal, m_Ui->labelSignalCaption->text(), QString::fromStdString(*text));
}

void CDialogMicrohardRover::FirstTick()
{
    using namespace Microhard;
    // The opening queries finish before the thread starts: the port has one user at a time.
    std::optional<SQueryResult> failure;
    {
        CBusy busy(*this);
        for (int id = 0; id <= MaxRadioId; ++id)
            m_Ui->comboRadioId->addItem(QString::fromStdString(RadioIdText(id)), id);
        const SQueryResult r = RunQuery(Link(), QueryRadioId, SettingRule(QueryRadioId, EOverflow::FirstCharacters));
        if (r.Ok) {
            m_Ui->comboRadioId->setCurrentText(QString::fromStdString(RadioIdText(RadioIdFromRegister(r.Value))));
        } else {
            m_Ui->comboRadioId->setCurrentText(QString());  // never an ID that was not read
            failure = r;
        }
        const SQueryResult firmware = QueryFirmwareVersion(Link());
        if (firmware.Ok)
            SetLiveText(m_Ui->labelFirmware, m_Ui->labelFirmwareCaption->text(), RadioText(firmware.Value));
        StartPoller();
    }
    if (failure)
        ShowReadFailed(*failure);
    OpeningDone();
}

void CDialogMicrohardRover::StartPoller()
{
    m_ShownLevel = -1;
    m_Poller.Start(m_ThreadLink, &Microhard::SignalCycle, Microhard::DataMode, 0);
    if (!m_Timer.isActive())
        m_Timer.start(RadioTiming::DisplayTimerMs);
}

void CDialogMicrohardRover::StopPoller()
{
    m_Poller.RequestStop();
    // The thread finishes its current step (at most one guard time); the window keeps painting.
    while (!m_Poller.Finished())
        PumpWait(RadioTiming::StopPollMs);
    m_Poller.Join();
    m_Timer.stop();
}

void CDialogMicrohardRover::OnCancel()
{
    CBusy busy(*this);
    StopPoller();
}

void CDialogMicrohardRover::OnCommit()
{
    using namespace Microhard;
    if (Busy())
        return;
    const std::optional<int> id = ParseRadioId(m_Ui->comboRadioId->currentText().toStdString());
    if (!id) {
        ShowMessage(QMessageBox::Warning, Text(StringIds::RadioIdOutOfRange));
        return;
    }
    SRoverChoices choices;
    choices.RadioId = *id;
    choices.WriteDefaults = (Model()->GetWriteDefaultsFlags() & WriteDefaults::BoxTicked) != 0;
    SCommitResult result;
    {
        CBusy busy(*this);
        m_Ui->panelWait->setGeometry(rect());
        m_Ui->panelWait->raise();
        m_Ui->panelWait->show();
        m_Ui->panelWait->repaint();
        StopPoller();
        result = RunCommit(Link(), RoverCommit(choices));
        if (result.Ok) {
            Port()->Close();
        } else {
            // Back to data mode whatever the radio made of the failed line, then read on.
            Link().WriteLine(DataMode);
            StartPoller();
        }
        m_Ui->panelWait->hide();
    }
    if (result.Ok)
        FinishCommitted();
    else
        ShowNotConfirmed(result);
}
