#pragma once

#include <QDialog>
#include <QTimer>

#include "connection/connect_wizard.h"

namespace Ui {
class CDialogConnect;
}
class CModel;
class CSerialPort;

// The connection wizard's window: runs CConnectWizard from its timer, with the port and the
// event-pumping pause, and shows the status line, the progress bar, "Next" and "Back".
// Leaves the port open; the main dialog closes it.
class CDialogConnect : public QDialog, private CWizardHost {
    Q_OBJECT
public:
    static constexpr int ResultNext = 2000;
    static constexpr int ResultBack = 2001;

    CDialogConnect(QWidget* parent, CSerialPort* port, CModel* model);
    ~CDialogConnect() override;

    const CConnectWizard& Wizard() const { return m_Wizard; }
    QString StatusText() const;

signals:
    // The run has finished and its result is on screen.
    void Finished();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnTimer();
    QString Text(int id) const;

    bool OpenPort(int portNumber, int baudRate) override;
    bool IsPortOpen() const override;
    bool IsPortLost() const override;
    void WriteLine(std::string_view sentence) override;
    void WriteRaw(std::string_view bytes) override;
    void Pause(int milliseconds) override;
    int Read(char* buffer, int maximum) override;
    void StepProgress() override;
    void ShowStarted() override;
    void ShowResult(const SConnectResult& result) override;

    Ui::CDialogConnect* m_Ui;
    CSerialPort* m_Port;
    CModel* m_Model;
    CConnectWizard m_Wizard;
    QTimer m_Timer;
    bool m_TimerStarted = false;
};
