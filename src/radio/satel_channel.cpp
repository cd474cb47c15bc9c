#include "radio/satel_channel.h"

#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>

#include "connection/model.h"
#include "radio/radio_dialog_support.h"
#include "radio/radio_timing.h"
#include "radio/satel_dialect.h"
#include "ui/elided_label.h"

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
    ShowLabelText(m_Channel, channelText);
    ShowLabelText(m_Frequency, frequencyText);
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
