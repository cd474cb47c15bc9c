#pragma once

#include <QDialog>
#include <QTimer>

#include "gnss/gnss_texts.h"
#include "gnss/nmea_requests.h"

namespace Ui {
class CDialogGnssStatus;
}
class CBaseSession;
class CModel;
class CSatelliteTableModel;

// Tools > GNSS Status: the receiver's fix, sky and signal levels. Borrows the marks editor's session,
// which reads the port; asks for the streams it needs while open and stops those it asked for.
class CDialogGnssStatus : public QDialog {
    Q_OBJECT
public:
    static constexpr int RefreshMs = 250;

    CDialogGnssStatus(QWidget* parent, CBaseSession* session, CModel* model);
    ~CDialogGnssStatus() override;

    void done(int result) override;
    // Redraws from the session's state (the timer calls it; tests may too).
    void Refresh();

private:
    Ui::CDialogGnssStatus* m_Ui;
    CBaseSession* m_Session;
    CGnssTexts m_Texts;
    CNmeaStreamRequest m_Request;
    CSatelliteTableModel* m_Table;
    QTimer m_Timer;
};
