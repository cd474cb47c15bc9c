#include "radio/dialog_satel_rover.h"

#include "connection/model.h"
#include "radio/radio_timing.h"
#include "radio/satel_channel.h"
#include "ui/string_table.h"
#include "ui_dialog_satel_rover.h"

CDialogSatelRover::CDialogSatelRover(QWidget* parent, CSerialPort* port, CModel* model)
    : CRadioDialog(parent, port, model), m_Ui(new Ui::CDialogSatelRover), m_Poll(Link())
{
    m_Ui->setupUi(this);
    m_Channel = new CSatelChannel(*this, model, m_Ui->sliderChannel, m_Ui->labelChannel, m_Ui->labelFrequency,
                                  Text(StringIds::Channel), Text(StringIds::Frequency));
    m_PollTimer.setSingleShot(true);
    connect(&m_PollTimer, &QTimer::timeout, this, &CDialogSatelRover::OnPollTimer);
    connect(m_Ui->buttonCommit, &QPushButton::clicked, this, &CDialogSatelRover::OnCommit);
    connect(m_Ui->buttonCancel, &QPushButton::clicked, this, &CDialogSatelRover::reject);
}

CDialogSatelRover::~CDialogSatelRover()
{
    StopPoll();
    delete m_Ui;
}

void CDialogSatelRover::OnFirstShow()
{
    ShowLinkLine();
    QTimer::singleShot(0, this, &CDialogSatelRover::ReadRadio);
}

void CDialogSatelRover::ReadRadio()
{
    std::optional<SQueryResult> failure;
    {
        CBusy busy(*this);
        failure = m_Channel->ReadFrequency(Link());
    }
    RememberFields();
    StartPoll();
    FinishOpening(failure);
}

void CDialogSatelRover::OnLinkBack()
{
    // The poll starts afresh after the read, as at opening.
    StopPoll();
    RereadKeepingEdits([this] { ReadRadio(); });
}

void CDialogSatelRover::StartPoll()
{
    m_Poll.Start(RadioTiming::SatelFirstPollMs);
    m_PollTimer.start(RadioTiming::SatelFirstPollMs);
}

void CDialogSatelRover::StopPoll()
{
    m_PollTimer.stop();
    m_Poll.Stop();
}

void CDialogSatelRover::OnPollTimer()
{
    // A commit owns the port while it runs; the poll waits for it.
    if (Busy() || LinkLost()) {
        m_PollTimer.start(RadioTiming::SatelCollectStepMs);
        return;
    }
    const int next = m_Poll.Advance();
    if (auto text = m_Poll.TakeSignalText())
        SetLiveText(m_Ui->labelSignal, m_Ui->labelSignalCaption->text(), QString::fromStdString(*text));
    if (next >= 0)
        m_PollTimer.start(next);
}

void CDialogSatelRover::OnCancel()
{
    StopPoll();
}

void CDialogSatelRover::OnCommit()
{
    if (Busy())
        return;
    SCommitResult result;
    {
        CBusy busy(*this);
        StopPoll();
        result = RunCommit(Link(), Satel::RoverCommit(Model()->GetRadioFrequency()));
        if (!result.Ok)
            StartPoll();
    }
    FinishCommit(result);
}
