#pragma once

#include <QDialog>
#include <QString>
#include <QTimer>

#include <string>

#include "marks/base_session.h"
#include "marks/base_texts.h"
#include "marks/mark_file.h"

namespace Ui {
class CDialogBaseMarks;
}
class CModel;
class CSerialPort;
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
    QTreeWidget* MarkTree() const;
    // False while a sub-dialog that reads the port itself (or a write run) has the port.
    bool PollingActive() const { return m_Timer.isActive(); }
    const std::string& LastPath() const { return m_LastPath; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    // Tools > Advanced Settings, run through RunPollingDialog since that dialog polls the port itself.
    void OpenAdvancedSettings();

private:
    void OnTimer();
    void ApplyTexts();
    void UpdateEnabled();
    void RebuildList();
    // View > Grid Columns: easting, northing and zone of each mark in the entry's coordinate system.
    void ApplyGridColumns();
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

    // Stops polling while a sub-dialog that reads the port runs; nests.
    void RunPollingDialog(QDialog& dialog);
    void PausePolling();
    void ResumePolling();
    // Shown after the current tick, never inside one.
    void PostError(const QString& text);

    int Read(char* buffer, int maximum) override;
    void WriteLine(std::string_view sentence) override;
    QString Text(int id) const;

    Ui::CDialogBaseMarks* m_Ui;
    class QAction* m_GridColumnsAction = nullptr;
    class QMenu* m_ViewMenu = nullptr;
    CSerialPort* m_Port;
    CModel* m_Model;
    CBaseSession m_Session;
    CBaseTexts m_Texts;
    QTimer m_Timer;
    bool m_Started = false;
    bool m_Closed = false;
    int m_PollingPauses = 0;
    bool m_WritePaused = false;
    // This dialog started the voltage log, so closing it stops the log.
    bool m_LoggingActive = false;
    // Last path chosen in any of this dialog's file dialogs (mark files and the voltage log).
    std::string m_LastPath;
};
