#include "radio/dialog_maxstream_rover.h"

#include <QComboBox>

#include "connection/model.h"
#include "radio/maxstream_dialect.h"
#include "radio/maxstream_ui.h"
#include "radio/radio_timing.h"
#include "ui_dialog_maxstream_rover.h"

namespace {

void MaxstreamCycle(CRadioLink& link, std::atomic<int>& level)
{
    Maxstream::SignalCycle(link, level, Maxstream::GoodPacketCount());
}

}  // namespace

CDialogMaxstreamRover::CDialogMaxstreamRover(QWidget* parent, CSerialPort* port, CModel* model)
    : CPollingRoverDialog(parent, port, model, {&MaxstreamCycle, Maxstream::DataMode, -1, &Maxstream::SignalText}),
      m_Ui(new Ui::CDialogMaxstreamRover)
{
    m_Ui->setupUi(this);
    SetUpPolling(m_Ui->panelWait, m_Ui->labelSignal, m_Ui->labelSignalCaption);
    // The connection probe's reading until the radio has been asked.
    MaxstreamUi::FillRadioIds(m_Ui->comboRadioId, model ? model->GetRadio2BValue() : -1);
    connect(m_Ui->comboRadioId, &QComboBox::currentIndexChanged, this, &CDialogMaxstreamRover::UpdateCommit);
    connect(m_Ui->buttonCommit, &QPushButton::clicked, this, &CDialogMaxstreamRover::OnCommit);
    connect(m_Ui->buttonCancel, &QPushButton::clicked, this, &CDialogMaxstreamRover::reject);
    UpdateCommit();
}

CDialogMaxstreamRover::~CDialogMaxstreamRover()
{
    delete m_Ui;
}

void CDialogMaxstreamRover::OnFirstShow()
{
    QTimer::singleShot(0, this, &CDialogMaxstreamRover::ReadRadio);
}

void CDialogMaxstreamRover::ReadRadio()
{
    std::optional<SQueryResult> failure;
    {
        // The query finishes before the thread starts: the port has one user at a time.
        CBusy busy(*this);
        failure = MaxstreamUi::ReadRadioId(m_Ui->comboRadioId, Link());
        if (!failure)
            StartPoller();
    }
    UpdateCommit();
    // After a failed read no thread runs and the signal text stays as it is.
    FinishOpening(failure);
}

void CDialogMaxstreamRover::UpdateCommit()
{
    m_Ui->buttonCommit->setEnabled(!Busy() && m_Ui->comboRadioId->currentIndex() >= 0);
}

void CDialogMaxstreamRover::OnCommit()
{
    const int index = m_Ui->comboRadioId->currentIndex();
    if (Busy() || index < 0)
        return;
    // Reads on after a failure only when it read before: a failed opening read started no thread.
    const std::optional<SCommitResult> result =
        CommitWithPollerStopped(Maxstream::RoverCommit(m_Ui->comboRadioId->itemData(index).toInt()),
                                Poller().Running(), RadioTiming::StopWaitMs);
    if (!result) {
        reject();
        return;
    }
    UpdateCommit();
    FinishCommit(*result);
}
