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
        FinishOpening(ReadRadio(true));
        return;
    }
    ShowSignal();
}

void CDialogMicrohardRover::OnReconnected()
{
    // Lost before the first tick (whose timer stopped with the thread): the opening reads still
    // come first.
    if (m_FirstTick) {
        m_FirstTick = false;
        FinishOpening(ReadRadio(true));
        return;
    }
    CPollingRoverDialog::OnReconnected();
}

std::optional<SQueryResult> CDialogMicrohardRover::ReadRadio(bool startPoller)
{
    using namespace Microhard;
    // The opening queries finish before the thread starts: the port has one user at a time.
    std::optional<SQueryResult> failure;
    CBusy busy(*this);
    // An ID the operator typed before the first tick is kept; filling the list would replace it.
    const QString typed = m_Ui->comboRadioId->currentText();
    for (int id = 0; id <= MaxRadioId; ++id)
        m_Ui->comboRadioId->addItem(QString::fromStdString(RadioIdText(id)), id);
    const SQueryResult r = RunQuery(Link(), QueryRadioId, SettingRule(QueryRadioId, EOverflow::FirstCharacters));
    if (r.Ok) {
        const QString read = QString::fromStdString(RadioIdText(RadioIdFromRegister(r.Value)));
        SetReadRadioId(read);
        m_Ui->comboRadioId->setCurrentText(typed.isEmpty() ? read : typed);
    } else {
        m_Ui->comboRadioId->setCurrentText(typed);  // never an ID that was not read
        failure = r;
    }
    const SQueryResult firmware = QueryFirmwareVersion(Link());
    if (firmware.Ok)
        SetLiveText(m_Ui->labelFirmware, m_Ui->labelFirmwareCaption->text(), RadioText(firmware.Value));
    if (startPoller)
        StartPoller();
    return failure;
}

void CDialogMicrohardRover::OnCommit()
{
    using namespace Microhard;
    if (Busy())
        return;
    // Pressed before the first tick: the opening reads come first and the thread starts only
    // after them (below, unless a confirmed commit closes the port).
    const bool opened = m_FirstTick;
    if (opened) {
        m_FirstTick = false;
        FinishOpening(ReadRadio(false));
        if (!isVisible())
            return;
    }
    const auto readOn = [&] {
        if (opened)
            StartPoller();
    };
    const std::optional<int> id = ParseRadioId(m_Ui->comboRadioId->currentText().toStdString());
    if (!id) {
        readOn();
        ShowMessage(QMessageBox::Warning, Text(StringIds::RadioIdOutOfRange));
        return;
    }
    SRoverChoices choices;
    choices.RadioId = *id;
    choices.WriteDefaults = (Model()->GetWriteDefaultsFlags() & WriteDefaults::BoxTicked) != 0;
    if (choices.WriteDefaults && !ConfirmWriteDefaults(QString::fromStdString(RadioIdText(*id)))) {
        readOn();
        return;
    }
    const std::optional<SCommitResult> result =
        CommitWithPollerStopped(RoverCommit(choices), true, RadioTiming::StopWaitCommitMs);
    if (!result) {
        reject();
        return;
    }
    if (result->Ok)
        Port()->Close();
    FinishCommit(*result);
}
