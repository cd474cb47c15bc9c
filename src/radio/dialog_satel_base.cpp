#include "radio/dialog_satel_base.h"

#include <QTimer>

#include "connection/model.h"
#include "radio/satel_channel.h"
#include "radio/satel_dialect.h"
#include "ui/string_table.h"
#include "ui_dialog_satel_base.h"

CDialogSatelBase::CDialogSatelBase(QWidget* parent, CSerialPort* port, CModel* model)
    : CRadioDialog(parent, port, model), m_Ui(new Ui::CDialogSatelBase)
{
    m_Ui->setupUi(this);
    m_Channel = new CSatelChannel(*this, model, m_Ui->sliderChannel, m_Ui->labelChannel, m_Ui->labelFrequency,
                                  Text(StringIds::Channel), Text(StringIds::Frequency));
    m_Ui->buttonCommit->setText(Text(StringIds::CommitChanges));
    m_Ui->buttonCommit->setAccessibleName(m_Ui->buttonCommit->text());
    const bool half = model && model->GetRadioPower() == Satel::LowPowerMw;
    m_Ui->radioHalfWatt->setChecked(half);
    m_Ui->radioOneWatt->setChecked(!half);
    connect(m_Ui->buttonCommit, &QPushButton::clicked, this, &CDialogSatelBase::OnCommit);
    connect(m_Ui->buttonCancel, &QPushButton::clicked, this, &CDialogSatelBase::reject);
}

CDialogSatelBase::~CDialogSatelBase()
{
    delete m_Ui;
}

void CDialogSatelBase::OnFirstShow()
{
    ShowLinkLine();
    QTimer::singleShot(0, this, &CDialogSatelBase::ReadRadio);
}

void CDialogSatelBase::ReadRadio()
{
    std::optional<SQueryResult> failure;
    {
        CBusy busy(*this);
        failure = m_Channel->ReadFrequency(Link());
    }
    RememberFields();
    FinishOpening(failure);
}

void CDialogSatelBase::OnLinkBack()
{
    RereadKeepingEdits([this] { ReadRadio(); });
}

void CDialogSatelBase::OnCommit()
{
    if (Busy())
        return;
    const int power = m_Ui->radioHalfWatt->isChecked() ? Satel::LowPowerMw : Satel::FullPowerMw;
    SCommitResult result;
    {
        CBusy busy(*this);
        Model()->SetRadioPower(power);
        result = RunCommit(Link(), Satel::BaseCommit(Model()->GetRadioFrequency(), power));
    }
    FinishCommit(result);
}
