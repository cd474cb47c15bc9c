#pragma once

#include <QDialog>
#include <QTimer>

#include <functional>

#include "marks/base_session.h"

namespace Ui {
class CDialogWritingCoordinates;
}
class CModel;

// The modal box "Writing Coordinates to Base." that paces a write run: its timer calls the step
// after 100 ms, then 3000 ms, then every 1000 ms, and the box closes when the step reports the end.
// Neither Escape nor the close box ends it while the run goes on.
class CDialogWritingCoordinates : public QDialog {
    Q_OBJECT
public:
    // step: one write step; true while writing goes on.
    CDialogWritingCoordinates(QWidget* parent, std::function<bool()> step, CModel* model);
    ~CDialogWritingCoordinates() override;

    bool Done() const { return m_Done; }
    QString Message() const;

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OnTimer();

    Ui::CDialogWritingCoordinates* m_Ui;
    std::function<bool()> m_Step;
    CWritePacer m_Pacer;
    QTimer m_Timer;
    bool m_Done = false;
    bool m_Started = false;
};
