#pragma once

#include <QDialog>
#include <QPointer>
#include <QTimer>

#include "serial/wire_tap.h"

class CModel;
class CSerialConsoleModel;
class QSortFilterProxyModel;
namespace Ui {
class CDialogSerialConsole;
}

// "Serial Console": every byte the program's one port sent and received, kept from the moment the
// port opens whether the window is shown or not, and the session recording. One window for the
// whole run (the main dialog owns it); the other dialogs open it with ShowShared. It stays usable
// while a modal dialog runs: it moves under whichever modal window blocks it.
class CDialogSerialConsole : public QDialog {
    Q_OBJECT
public:
    // Attaches the history to the port's tap; the port must outlive the window.
    CDialogSerialConsole(CWireTap* tap, QWidget* home);
    ~CDialogSerialConsole() override;

    void SetModel(const CModel* model);
    void ApplyTexts();

    // The run's console, or nullptr (dialogs shown on their own in tests).
    static CDialogSerialConsole* Shared();
    // Shows the run's console above from's window; false when there is none.
    static bool ShowShared(QWidget* from);
    void ShowFrom(QWidget* from);

    // Recording: asks for a file when started; says so when it cannot write.
    bool Recording() const { return m_Recorder.Active(); }
    void SetRecording(bool on);
    // Starts recording to path without asking (true when it could).
    bool StartRecording(const QString& path);
    void StopRecording();

    const CWireLog& Log() const { return m_Log; }
    CSerialConsoleModel* RowModel() const { return m_Rows; }
    QSortFilterProxyModel* ShownRows() const { return m_Shown; }
    // The shown rows as text, one a line (what Save As writes).
    QString ShownText() const;
    // Brings the rows up to date now (the timer does so at most 20 times a second).
    void Refresh();

signals:
    void RecordingChanged(bool on);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString Text(int id) const;
    void OnCopy();
    void OnSaveAs();
    void ShowDropped();
    void MoveUnder(QWidget* window);

    Ui::CDialogSerialConsole* m_Ui;
    CWireTap* m_Tap;
    const CModel* m_Model = nullptr;
    CWireLog m_Log;
    CWireRecorder m_Recorder;
    QString m_RecordPath;
    CSerialConsoleModel* m_Rows;
    QSortFilterProxyModel* m_Shown;
    QTimer m_Timer;
    QPointer<QWidget> m_Home;
    QPointer<QWidget> m_Host;   // the modal window it was moved under
    bool m_Updating = false;
};
