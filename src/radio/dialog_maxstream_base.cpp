#include "radio/dialog_maxstream_base.h"

#include <QComboBox>
#include <QTimer>

#include "radio/command_mode.h"
#include "radio/maxstream_dialect.h"
#include "radio/maxstream_ui.h"
#include "ui_dialog_maxstream_base.h"

CDialogMaxstreamBase::CDialogMaxstreamBase(QWidget* parent, CSerialPort* port, CModel* model)
    : CRadioDialog(parent, port, model), m_Ui(new Ui::CDialogMaxstreamBase)
{
    m_Ui->setupUi(this);
    MaxstreamUi::FillRadioIds(m_Ui->comboRadioId, -1);
    connect(m_Ui->comboRadioId, &QComboBox::currentIndexChanged, this, &CDialogMaxstreamBase::UpdateCommit);
    connect(m_Ui->buttonCommit, &QPushButton::clicked, this, &CDialogMaxstreamBase::OnCommit);
    connect(m_Ui->buttonCancel, &QPushButton::clicked, this, &CDialogMaxstreamBase::reject);
    UpdateCommit();
}

CDialogMaxstreamBase::~CDialogMaxstreamBase()
{
    delete m_Ui;
}

void CDialogMaxstreamBase::OnFirstShow()
{
    ShowLinkLine();
    // Once the window is on screen; the query's pauses keep it painting.
    QTimer::singleShot(0, this, &CDialogMaxstreamBase::ReadRadio);
}

void CDialogMaxstreamBase::ReadRadio()
{
    std::optional<SQueryResult> failure;
    {
        CBusy busy(*this);
        failure = MaxstreamUi::ReadRadioId(m_Ui->comboRadioId, Link());
    }
    RememberFields();
    UpdateCommit();
    FinishOpening(failure);
}

void CDialogMaxstreamBase::OnLinkBack()
{
    {
        // The radio may have left command mode while the cable was out.
        CBusy busy(*this);
        EnterCommandMode(Link(), Maxstream::Escape);
    }
    RereadKeepingEdits([this] { ReadRadio(); });
    UpdateCommit();
}

void CDialogMaxstreamBase::UpdateCommit()
{
    m_Ui->buttonCommit->setEnabled(!Busy() && !LinkLost() && m_Ui->comboRadioId->currentIndex() >= 0);
}

void CDialogMaxstreamBase::OnCommit()
{
    const int index = m_Ui->comboRadioId->currentIndex();
    if (Busy() || index < 0)
        return;
    SCommitResult result;
    {
        CBusy busy(*this);
        result = RunCommit(Link(), Maxstream::BaseCommit(m_Ui->comboRadioId->itemData(index).toInt()));
    }
    UpdateCommit();
    FinishCommit(result);
}
