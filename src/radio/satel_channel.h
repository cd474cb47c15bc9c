#pragma once

#include <QObject>
#include <QString>

#include <optional>

#include "radio/radio_query.h"

class CModel;
class CRadioDialog;
class QLabel;
class QSlider;

// What the two Satel dialogs share: the channel slider with its two labels, kept in step with the
// model's frequency.
class CSatelChannel : public QObject {
    Q_OBJECT
public:
    CSatelChannel(CRadioDialog& dialog, CModel* model, QSlider* slider, QLabel* channel, QLabel* frequency,
                  QString channelCaption, QString frequencyCaption);

    // Reads the frequency, shows it and puts it into the model; a frequency outside the channels
    // becomes channel 0. After a failed read (returned, to be reported) the frequency the connection
    // found stands in.
    std::optional<SQueryResult> ReadFrequency(CRadioLink& link);

private:
    void Show(int channel, double megahertz);
    void OnMoved(int channel);

    CModel* m_Model;
    QSlider* m_Slider;
    QLabel* m_Channel;
    QLabel* m_Frequency;
    QString m_ChannelCaption;
    QString m_FrequencyCaption;
};
