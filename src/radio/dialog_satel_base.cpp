#include "radio/dialog_satel_base.h"

#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>

#include "connection/model.h"
#include "radio/radio_timing.h"
#include "radio/satel_dialect.h"
#include "ui/string_table.h"
#include "ui_dialog_satel_base.h"

CSatelChannel::CSatelChannel(CRadioDialog& dialog, CModel* model, QSlider* slider, QLabel* channel,
                             QLabel* frequency, QString channelCaption, QString frequencyCaption)
    : QObject(&dialog), m_Model(model), m_Slider(slider), m_Channel(channel), m_Frequency(frequency),
      m_ChannelCaption(std::move(channelCaption)), m_FrequencyCaption(std::move(frequencyCaption))
{
    m_Slider->setRange(0, Satel::MaxChannel);
    Show(0, Satel::LowestMHz);
    // Every move, while dragging and from the keyboard alike.
    connect(m_Slider, &QSlider::valueChanged, this, &CSatelChannel::OnMoved);
}

void CSatelChannel::Show(int channel, double megahertz)
{
    const QSignalBlocker quiet(m_Slider);
    m_Slider->setValue(channel);
    const QString channelText = QStringLiteral("%1: %2").arg(m_ChannelCaption, QString::number(channel));
    const QString frequencyText = QStringLiteral("%1: %2MHZ").arg(
        m_FrequencyCaption, QString::fromStdString(Satel::FrequencyText(megahertz)));
    m_Channel->setText(channelText);
    m_Channel->setAccessibleName(channelText);
    m_Frequency->setText(frequencyText);
    m_Frequency->setAccessibleName(frequencyText);
}

void CSatelChannel::OnMoved(int channel)
{
    const double megahertz = Satel::FrequencyOfChannel(channel);
    Show(channel, megahertz);
    if (m_Model)
        m_Model->SetRadioFrequency(megahertz);
}

std::optional<SQueryResult> CSatelChannel::ReadFrequency(CRadioLink& link)
{
    SQueryResult result = RunQuery(link, Satel::QueryFrequency, Satel::MarkerRule(Satel::FrequencyMarker));
    std::optional<double> megahertz = result.Ok ? Satel::FrequencyFromValue(result.Value) : std::nullopt;
    std::optional<SQueryResult> failure;
    if (!megahertz) {
        failure = result;
        if (result.Ok)  // an answer, but no number in it: report what the radio said
            failure->Reply = PlainRadioText(result.Value, RadioTiming::ShownReplyLength);
        // Not a silent retune: the operator is told, and sees what the connection found.
        megahertz = m_Model ? m_Model->GetRadioFrequency() : Satel::LowestMHz;
    }
    if (const auto channel = Satel::ChannelOfFrequency(*megahertz)) {
        Show(*channel, *megahertz);
    } else {
        megahertz = Satel::LowestMHz;
        Show(0, *megahertz);
    }
    if (m_Model)
        m_Model->SetRadioFrequency(*megahertz);
    return failure;
}

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

void CDialogSatelBase::showEvent(QShowEvent* event)
{
    if (!m_Started) {
        m_Started = true;
        QTimer::singleShot(0, this, &CDialogSatelBase::ReadRadio);
    }
    CRadioDialog::showEvent(event);
}

void CDialogSatelBase::ReadRadio()
{
    std::optional<SQueryResult> failure;
    {
        CBusy busy(*this);
        failure = m_Channel->ReadFrequency(Link());
    }
    if (failure)
        ShowReadFailed(*failure);
    emit Ready();
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
    if (result.Ok)
        FinishCommitted();
    else
        ShowNotConfirmed(result);
}
