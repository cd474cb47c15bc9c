#pragma once

#include <QDialog>
#include <QString>
#include <QTimer>

#include "gnss/gnss_texts.h"
#include "gnss/nmea_requests.h"
#include "gnss/position_averager.h"

namespace Ui {
class CDialogAveragePosition;
}
class CBaseSession;
class CModel;

// Tools > Average Position: averages the receiver's fixes into a new mark. Borrows the marks editor's
// session (which reads the port) and hands the mark to the editor's own "Add" path.
class CDialogAveragePosition : public QDialog {
    Q_OBJECT
public:
    static constexpr int RefreshMs = 250;

    CDialogAveragePosition(QWidget* parent, CBaseSession* session, CModel* model);
    ~CDialogAveragePosition() override;

    void done(int result) override;
    void Refresh();
    const CPositionAverager& Averager() const { return m_Averager; }

signals:
    // The mean as the three texts of a typed mark, already checked as the coordinate entry checks them.
    void AddRequested(const QString& latitude, const QString& longitude, const QString& altitude);

private:
    void OnStart();
    void OnStop();
    void OnAdd();
    void UpdateEnabled();
    QString Text(int id) const { return QString::fromStdString(m_Texts.Text(id)); }

    Ui::CDialogAveragePosition* m_Ui;
    CBaseSession* m_Session;
    CGnssTexts m_Texts;
    CNmeaStreamRequest m_Request;
    CPositionAverager m_Averager;
    QTimer m_Timer;
};
