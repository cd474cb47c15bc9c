#pragma once

#include <QString>

#include <optional>

#include "radio/radio_dialog_support.h"

class CModel;
class QLabel;
class QSlider;
class CSatelChannel;

namespace Ui {
class CDialogSatelBase;
}

// The base's Satel radio: its channel (frequency, 433.000 to 435.000 MHz in 25 kHz steps) on a
// slider, read when the dialog opens, and its RF power (1 W or 500 mW).
class CDialogSatelBase : public CRadioDialog {
    Q_OBJECT
public:
    CDialogSatelBase(QWidget* parent, CSerialPort* port, CModel* model);
    ~CDialogSatelBase() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ReadRadio();
    void OnCommit();

    Ui::CDialogSatelBase* m_Ui;
    CSatelChannel* m_Channel;  // owned by the dialog
    bool m_Started = false;
};

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
