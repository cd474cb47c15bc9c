#pragma once

// What the six radio dialogs share on the Qt side. A radio dialog derives from CRadioDialog and
// gets: the port and model it borrows, a CRadioLink over the port whose pauses dispatch events
// (PumpWait), the busy state, and the radio dialogs' message boxes.
//
// Busy state: wrap every query and commit in a CRadioDialog::CBusy scope. While one exists the
// dialog's inputs are disabled, and Cancel, Escape and the close box are held back; a cancel asked
// for meanwhile runs once the scope ends. So a Commit can never interleave with a half-done read.
//
//     void CDialogFoo::OnCommit() {
//         SCommitResult r;
//         { CBusy busy(*this); r = RunCommit(Link(), FooCommit(...)); }
//         FinishCommit(r);               // accept() and "Changes have been sent.", or what failed
//     }
//
// The opening reads start from OnFirstShow (once, as the window first shows) and end with
// FinishOpening, which reports a failed read and emits Ready.
//
// A rover with a polling thread overrides OnCancel to stop it; reject() calls OnCancel first.
// Message boxes go through CPrompter, which tests replace.
//
// Link line: a dialog that calls ShowLinkLine gets the link line under its controls. Replies are
// expected only while busy (reads, commits); a port found lost by a failing read or write, or by
// a probe while idle, disables the sending buttons (tooltip: the link line) and is opened again
// once a second; then OnLinkBack runs, where the dialog repeats its opening reads through
// RereadKeepingEdits. RememberFields marks the fields as the radio has them; a field that differs
// since is an unwritten edit, kept across a re-read and asked about before closing while lost.

#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QString>

#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "radio/radio_commit.h"
#include "radio/radio_link.h"
#include "radio/radio_query.h"

class CElidedLabel;
class CLinkHealth;
class CModel;
class CSerialPort;
class QLabel;
class QWidget;

class CRadioDialog : public QDialog {
    Q_OBJECT
public:
    CRadioDialog(QWidget* parent, CSerialPort* port, CModel* model);
    ~CRadioDialog() override;

    bool Busy() const { return m_BusyDepth > 0; }

    // Holds the dialog busy for its lifetime (nestable).
    class CBusy {
    public:
        explicit CBusy(CRadioDialog& dialog);
        ~CBusy();
        CBusy(const CBusy&) = delete;
        CBusy& operator=(const CBusy&) = delete;

    private:
        CRadioDialog& m_Dialog;
    };

    // Cancel, Escape and the close box: held back while busy; while the link is lost, unwritten
    // edits are asked about first.
    void reject() override;

    // The port was found gone and is not back yet.
    bool LinkLost() const;

signals:
    // The dialog has read the radio at opening and is ready for the operator.
    void Ready();

protected:
    CSerialPort* Port() const { return m_Port; }
    CModel* Model() const { return m_Model; }
    // The radio over the port; its pauses dispatch events.
    CRadioLink& Link() { return *m_Link; }
    QString Text(int id) const;

    void showEvent(QShowEvent* event) override;
    // Runs once, as the window shows for the first time (start the opening reads here).
    virtual void OnFirstShow() {}

    // The opening reads are done: emits Ready the first time.
    void OpeningDone();
    // Reports a failed opening read, if any, then OpeningDone.
    void FinishOpening(const std::optional<SQueryResult>& failure);

    // Run before the dialog closes with Cancel (stop a polling thread here).
    virtual void OnCancel() {}

    // Ends the dialog with OK, then "Changes have been sent.".
    void FinishCommitted();
    // FinishCommitted after a confirmed commit, ShowNotConfirmed after any other.
    void FinishCommit(const SCommitResult& result);
    // "Read configuration failed - <reply>".
    void ShowReadFailed(const SQueryResult& result);
    // "Changes not confirmed: <command> - <answer>"; the dialog stays open.
    void ShowNotConfirmed(const SCommitResult& result);
    // text in the operator's language where the string table knows it.
    void ShowMessage(QMessageBox::Icon icon, const QString& text);
    QString Translated(const QString& english) const;
    // With "Write defaults" ticked, a commit first says what it replaces and asks; true to go on
    // (always, when the box is not ticked). newId: the ID as the radio will show it.
    bool ConfirmWriteDefaults(const QString& newId);
    // The ID the opening read found, for that question; nothing when it could not be read.
    void SetReadRadioId(std::optional<QString> id) { m_ReadRadioId = std::move(id); }

    // A text that changes while the dialog is open: the label and its accessible name follow it.
    static void SetLiveText(QLabel* label, const QString& caption, const QString& text);
    // A text from the radio, fit to be shown.
    static QString RadioText(const std::string& text);

    // Controls that stay enabled while busy (the wait panel).
    void KeepEnabledWhileBusy(QWidget* widget) { m_KeepEnabled.push_back(widget); }

    // Adds the link line and starts watching the port (see the top of this file).
    void ShowLinkLine();
    // The link line as shown ("Link: receiving", "Connection lost - waiting for COM5..."); empty
    // without one.
    QString LinkText() const;
    // The link line's own state, for a dialog that also hears the radio elsewhere (a polling
    // thread); only with the link line.
    CLinkHealth& Health() { return *m_Health; }
    // The link timer's hooks, for a dialog whose own thread reads the radio. Whether the port is
    // gone; by default a failed read or write, or a probe while idle.
    virtual bool PortGone() const;
    // The port was just found gone; false when the dialog had to close.
    virtual bool OnPortLost() { return true; }
    // Each tick, first and last.
    virtual void BeforeLinkCheck() {}
    virtual void AfterLinkCheck() {}
    // Replies expected while not busy (from a polling thread, say).
    virtual bool ExpectingWhenIdle() const { return false; }
    // The port is open again after a loss: repeat the opening reads here.
    virtual void OnLinkBack() {}
    // The combo boxes, sliders and check or radio buttons as the radio has them now.
    void RememberFields();
    // Some field differs from what RememberFields saw.
    bool HasUnwrittenEdits() const;
    // Runs read (the opening reads) and puts back the fields the operator changed before it.
    void RereadKeepingEdits(const std::function<void()>& read);

private:
    // The link timer: tells the link line, notices a gone port, opens a lost one again.
    void CheckLink();
    // The sending buttons follow the link: disabled while it is lost, the line as their tooltip.
    void ApplyLinkState(const QString& text);
    struct SField {
        QPointer<QWidget> Widget;
        QString Value;
    };
    static QString FieldValue(QWidget* widget);
    static void SetFieldValue(QWidget* widget, const QString& value);
    std::vector<SField> CurrentFields() const;

    // "Serial Console", when the run has one.
    void AddConsoleButton();
    void EnterBusy();
    void LeaveBusy();

    CSerialPort* m_Port;
    CModel* m_Model;
    std::unique_ptr<CRadioLink> m_Link;
    int m_BusyDepth = 0;
    bool m_CancelPending = false;
    bool m_Ready = false;
    bool m_Shown = false;
    std::vector<QWidget*> m_Disabled;  // inputs this dialog disabled while busy
    QPointer<QWidget> m_FocusBeforeBusy;  // disabling it dropped the focus; it gets it back
    std::vector<QWidget*> m_KeepEnabled;
    std::optional<QString> m_ReadRadioId;
    std::unique_ptr<CLinkHealth> m_Health;  // with the link line only
    CElidedLabel* m_LinkLabel = nullptr;
    QTimer m_LinkTimer;
    std::vector<SField> m_Remembered;
    bool m_LostWhileBusy = false;  // the last busy scope ended on a lost port
};
