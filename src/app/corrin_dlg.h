#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

class CDialogSerialConsole;
class CModel;
class QPushButton;
class CSerialPort;
struct SPortListEntry;
namespace Ui {
class CorrinDlg;
}

// The start window: the operator picks a port, a language and what to do; Connect tests the port,
// runs the connection wizard, opens the working dialog for what was found, and afterwards puts
// the equipment back into normal operation. Owns the program's one serial port.
class CorrinDlg : public QDialog {
    Q_OBJECT
public:
    // Shows an error message with an OK button.
    using ErrorBox = std::function<void(QWidget* parent, const QString& caption, const QString& text)>;
    // Called with each modal dialog the main dialog runs (wizard, working dialog, about box) just
    // before it runs, so that it can be driven without a person.
    using DialogHook = std::function<void(QDialog* dialog)>;

    explicit CorrinDlg(QWidget* parent = nullptr);
    ~CorrinDlg() override;

    // Gives the model (with its language module) and initialises the dialog from it.
    void SetModel(CModel* model);
    void SetErrorBox(ErrorBox box) { m_ErrorBox = std::move(box); }
    void SetDialogHook(DialogHook hook) { m_DialogHook = std::move(hook); }

    CSerialPort* GetPort() const { return m_Port.get(); }
    // "Serial Console": the one window for the run.
    CDialogSerialConsole* Console() const { return m_Console; }
    QString ShortVersion() const { return m_ShortVersion; }
    QString LongVersion() const { return m_LongVersion; }

    // The Connect button's sequence.
    void Connect();
    // The Help menu's "About".
    void ShowAbout();
    // Loads the translated texts of the labels, the two main choices and Connect again.
    void ApplyTexts();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Caption, Port and Language lists: once, when the model is given or at the first show.
    void Initialise();
    void FillPortList();
    // Reads the ports again, keeping the chosen one when it is still there.
    void RefreshPortList();
    QString PortText(const SPortListEntry& entry) const;
    void FillLanguageList();
    void ApplyOptions();
    void OnLanguageChanged(int index);
    int ChosenModeCode() const;
    void RunDialog(QDialog* dialog);
    void CloseConnection();
    QString Text(int id) const;

    Ui::CorrinDlg* m_Ui;
    CModel* m_Model = nullptr;
    std::unique_ptr<CSerialPort> m_Port;
    QString m_Caption;
    QString m_ShortVersion;
    QString m_LongVersion;
    bool m_Initialised = false;
    ErrorBox m_ErrorBox;
    DialogHook m_DialogHook;
    QTimer m_PortWatch;        // adapters plugged in or pulled while the window is open
    QStringList m_ListedPorts; // what the list shows, to tell a change
    CDialogSerialConsole* m_Console = nullptr;
    QPushButton* m_ConsoleButton = nullptr;
};
