#include "radio/dialog_maxstream_rover.h"

#include <QComboBox>

#include "connection/model.h"
#include "radio/maxstream_dialect.h"
#include "radio/maxstream_ui.h"
#include "radio/radio_timing.h"
#include "serial/pump_wait.h"
#include "ui_dialog_maxstream_rover.h"

CDialogMaxstreamRover::CDialogMaxstreamRover(QWidget* parent, CSerialPort* port, CModel* model)
    : CRadioDialog(parent, port, model), m_Ui(new Ui::CDialogMaxstreamRover), m_ThreadLink(port)
{
    m_Ui->setupUi(this);
    m_Ui->panelWait->hide();
    KeepEnabledWhileBusy(m_Ui->panelWait);
    // The connection probe's reading until the radio has been asked.
    MaxstreamUi::FillRadioIds(m_Ui->comboRadioId, model ? model->GetRadio2BValue() : -1);
    connect(&m_Timer, &QTimer::timeout, this, &CDialogMaxstreamRover::OnTimer);
    connect(m_Ui->comboRadioId, &QComboBox::currentIndexChanged, this, &CDialogMaxstreamRover::UpdateCommit);
    connect(m_Ui->buttonCommit, &QPushButton::clicked, this, &CDialogMaxstreamRover::OnCommit);
    connect(m_Ui->buttonCancel, &QPushButton::clicked, this, &CDialogMaxstreamRover::reject);
    UpdateCommit();
}

CDialogMaxstreamRover::~CDialogMaxstreamRover()
{
    m_Poller.Stop();
    delete m_Ui;
}

void CDialogMaxstreamRover::showEvent(QShowEvent* event)
{
    if (!m_Started) {
        m_Started = true;
        QTimer::singleShot(0, this, &CDialogMaxstreamRover::ReadRadio);
    }
    CRadioDialog::showEvent(event);
}

void CDialogMaxstreamRover::resizeEvent(QResizeEvent* event)
{
    m_Ui->panelWait->setGeometry(rect());
    CRadioDialog::resizeEvent(event);
}

void CDialogMaxstreamRover::ReadRadio()
{
    std::optional<SQueryResult> failure;
    {
        // The query finishes before the thread starts: the port has one user at a time.
        CBusy busy(*this);
        failure = MaxstreamUi::ShowReadRadioId(m_Ui->comboRadioId,
                                               RunQuery(Link(), Maxstream::QueryRadioId, Maxstream::ValueRule()));
        if (!failure)
            StartPoller();
    }
    UpdateCommit();
    // After a failed read no thread runs and the signal text stays as it is.
    if (failure)
        ShowReadFailed(*failure);
    emit Ready();
}

void CDialogMaxstreamRover::OnTimer()
{
    const int level = m_Poller.SignalLevel();
    if (level == m_ShownLevel)
        return;
    m_ShownLevel = level;
    if (auto text = Maxstream::SignalText(level))
        SetLiveText(m_Ui->labelSignal, m_Ui->labelSignalCaption->text(), QString::fromStdString(*text));
}

void CDialogMaxstreamRover::StartPoller()
{
    m_ShownLevel = 0;
    m_Poller.Start(
        m_ThreadLink,
        [](CRadioLink& link, std::atomic<int>& level) {
            Maxstream::SignalCycle(link, level, Maxstream::GoodPacketCount());
        },
        Maxstream::DataMode, -1);
    m_Timer.start(RadioTiming::DisplayTimerMs);
}

void CDialogMaxstreamRover::StopPoller()
{
    m_Poller.RequestStop();
    // The thread finishes its current step (at most one guard time); the window keeps painting.
    while (!m_Poller.Finished())
        PumpWait(RadioTiming::StopPollMs);
    m_Poller.Join();
    m_Timer.stop();
}

void CDialogMaxstreamRover::OnCancel()
{
    CBusy busy(*this);
    StopPoller();
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
    SCommitResult result;
    {
        CBusy busy(*this);
        m_Ui->panelWait->setGeometry(rect());
        m_Ui->panelWait->raise();
        m_Ui->panelWait->show();
        m_Ui->panelWait->repaint();
        const bool polling = m_Poller.Running();
        StopPoller();
        result = RunCommit(Link(), Maxstream::RoverCommit(m_Ui->comboRadioId->itemData(index).toInt()));
        if (!result.Ok) {
            // Back to data mode whatever the radio made of the failed line, then read on.
            Link().WriteLine(Maxstream::DataMode);
            if (polling)
                StartPoller();
        }
        m_Ui->panelWait->hide();
    }
    UpdateCommit();
    if (result.Ok)
        FinishCommitted();
    else
        ShowNotConfirmed(result);
}
