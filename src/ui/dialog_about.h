#pragma once

#include <QDialog>
#include <QString>

namespace Ui {
class CDialogAbout;
}
class CModel;

// The base's about box: the firmware and boot-loader versions the base reported (N/A until then).
class CDialogAbout : public QDialog {
    Q_OBJECT
public:
    CDialogAbout(QWidget* parent, CModel* model);
    ~CDialogAbout() override;

    QString FirmwareLine() const;
    QString BootloaderLine() const;

private:
    Ui::CDialogAbout* m_Ui;
    CModel* m_Model;
};
