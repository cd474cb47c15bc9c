#pragma once

#include <QDialog>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "marks/base_session.h"
#include "marks/base_texts.h"
#include "marks/mark_edits.h"
#include "marks/mark_file.h"

namespace Ui {
class CDialogBaseMarks;
}
class CElidedLabel;
class CLinkHealth;
class CMarkExchangeActions;
class CModel;
class CSerialPort;
class CMarkListModel;
class QTreeView;
class QAction;
class QTreeWidget;

// The working dialog while connected to a base: the marks editor with the base's power and GPS
// status. Owns the connection while open: polls the port from its 10 ms timer through CBaseSession,
// which holds the records, and redraws only what a tick changed.
class CDialogBaseMarks : public QDialog, private CBaseSessionHost {
    Q_OBJECT
public:
    CDialogBaseMarks(QWidget* parent, CSerialPort* port, CModel* model);
    ~CDialogBaseMarks() override;

    CBaseSession& Session() { return m_Session; }
    QTreeView* MarkTree() const;
    CMarkListModel* MarkModel() const { return m_MarkModel; }
    // False while a write run has the port.
    bool PollingActive() const { return m_Timer.isActive(); }
    const std::string& LastPath() const { return m_LastPath; }
    // The link line as shown ("Link: receiving", "Connection lost - waiting for COM5...").
    QString LinkText() const;

    void done(int result) override;
    // Escape, File > Close and the window's close button: asks first when the marks were edited.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    // Tools > Advanced Settings; that dialog borrows the session, so polling goes on.
    void OpenAdvancedSettings();

private:
    void OnTimer();
    void ApplyTexts();
    void UpdateEnabled();
    void RebuildList();
    // The marks of the selected rows, in list order.
    std::vector<CMark> SelectedMarks() const;
    void ShowSettings();
    void ShowPower();
    void ShowConfirmation(const QString& text);

    void OnAdd(const QString& latitude, const QString& longitude, const QString& altitude);
    void OnWrite();
    bool WriteStep();
    void OnDelete();
    void OnMapAll();
    void OnMapSelected();
    // The map of these marks (never called with an empty list).
    void OpenMap(const CMarkList& marks);
    void ShowAbout();

    // File menu and Tools > Voltage Logging.
    void OnNew();
    void OnOpen(CMarkFile::ELoadMode mode);
    void OnSaveAs();
    void OnVoltageLogging(bool on);
    void SetLoggingChecked(bool on);

    // Stops polling for a write run; nests.
    void PausePolling();
    void ResumePolling();
    // Shown after the current tick, never inside one.
    void PostError(const QString& text);

    // Each tick: notices a lost port, tries it again once a second, and redraws the link line and
    // the age of the readings.
    void CheckLink(CBaseSession::Clock::time_point now);
    bool LinkLost() const;
    // A reading with its age appended while the link is silent or lost.
    QString Aged(const std::string& reading, bool reported) const;

    int Read(char* buffer, int maximum) override;
    void WriteLine(std::string_view sentence) override;
    QString Text(int id) const;

    Ui::CDialogBaseMarks* m_Ui;
    CSerialPort* m_Port;
    // Tools > Serial Console and Record Session, when the run has a console.
    void AddConsoleActions();
    QAction* m_ActionConsole = nullptr;
    QAction* m_ActionRecord = nullptr;
    CModel* m_Model;
    CBaseSession m_Session;
    CBaseTexts m_Texts;
    CMarkListModel* m_MarkModel;
    QTimer m_Timer;
    bool m_Started = false;
    bool m_Closed = false;
    int m_PollingPauses = 0;
    bool m_WritePaused = false;
    // This dialog started the voltage log, so closing it stops the log.
    bool m_LoggingActive = false;
    // Last path chosen in any of this dialog's file dialogs (mark files and the voltage log).
    std::string m_LastPath;
    std::unique_ptr<CLinkHealth> m_Link;
    CElidedLabel* m_LinkLabel = nullptr;
    std::optional<int> m_ShownAge;
    // A write run the lost port cut short: marks sent, marks in the run.
    std::optional<std::pair<std::size_t, std::size_t>> m_WriteCut;

    // File > Export..., Export Selected... and Import... (point files of other programs).
    void CreateExchangeActions();
    CMarkExchangeActions* m_Exchange = nullptr;

public:
    CMarkExchangeActions* Exchange() const { return m_Exchange; }

public:
    // The GPS group's live position and its distance from the reference position (empty when hidden).
    QString GnssPositionText() const;
    QString FromReferenceText() const;

private:
    void SetUpGnss();
    void ShowGnss();
    // Tools > GNSS Status and Tools > Average Position: they borrow this dialog's session, which goes
    // on reading the port while they are open.
    void OpenGnssStatus();
    void OpenAveragePosition();

    GnssClock::time_point m_GnssShownAt{};

    // View > Grid Columns: the list (and a CSV export) adds the grid coordinates of the panel's system.
    void SetUpGridColumns();
    QAction* m_ActionGridColumns = nullptr;
    // Editing: Edit > Undo of a delete, the keyboard's ways in, and the question before edits are lost.
    void SetUpEditing();
    void OnUndo();
    // The list as last read, written, opened or saved is the unedited one.
    void MarkUnedited();
    bool Edited() const;
    // True when there are no edits or the operator lets them go.
    bool MayDiscardEdits();
    CMarkDeleteUndo m_Undo;
    QAction* m_ActionUndo = nullptr;
    std::vector<CMark> m_Unedited;
    std::size_t m_SeenBaseList = 0;
};
