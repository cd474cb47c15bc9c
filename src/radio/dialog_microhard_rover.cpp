#include "radio/dialog_microhard_rover.h"

#include "connection/model.h"
#include "radio/microhard_dialect.h"
#include "radio/radio_timing.h"
#include "serial/serial_port.h"
#include "ui/string_table.h"
#include "ui_dialog_microhard_rover.h"

CDialogMicrohardRover::CDialogMicrohardRover(QWidget* parent, CSerialPort* port, CModel* model)
    : CPollingRoverDialog(parent, port, model,
                          {&Microhard::SignalCycle, Microhard::DataMode, 0, &Microhard::SignalText}),
      m_Ui(new Ui::CDialogMicrohardRover)
{
    m_Ui->setupUi(this);
    SetUpPolling(m_Ui->panelWait, m_Ui->labelSignal, m_Ui->labelSignalCaption);
    connect(m_Ui->buttonCommit, &QPushButton::clicked, this, &CDialogMicrohardRover::OnCommit);
    connect(m_Ui->buttonCancel, &QPushButton::clicked, this, &CDialogMicrohardRover::reject);
}

CDialogMicrohardRover::~CDialogMicrohardRover()
{
    delete m_Ui;
}

void CDialogMicrohardRover::OnFirstShow()
{
    DisplayTimer().start(RadioTiming::DisplayTimerMs);
}

void CDialogMicrohardRover::OnDisplayTimer()
{
    if (m_FirstTick) {
        m_FirstTick = false;
        FirstTick();
        return;
    }
    ShowSignal();
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
            SetReadRadioId(m_Ui->comboRadioId->currentText());
        } else {
            m_Ui->comboRadioId->setCurrentText(QString());  // never an ID that was not read
            failure = r;
        }
        const SQueryResult firmware = QueryFirmwareVersion(Link());
        if (firmware.Ok)
            SetLiveText(m_Ui->labelFirmware, m_Ui->labelFirmwareCaption->text(), RadioText(firmware.Value));
        StartPoller();
    }
    FinishOpening(failure);
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
    if (choices.WriteDefaults && !ConfirmWriteDefaults(QString::fromStdString(RadioIdText(*id))))
        return;
    // Reads on after a failure even when the opening reads have not started the thread yet: the
    // display timer they wait for was stopped with it.
    const SCommitResult result = CommitWithPollerStopped(RoverCommit(choices), true);
    if (result.Ok)
        Port()->Close();
    FinishCommit(result);
}
