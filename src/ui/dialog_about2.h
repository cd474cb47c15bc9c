#pragma once

#include <QDialog>
#include <QString>

namespace Ui {
class CDialogAbout2;
}

// The program's about box: its name, version and copyright.
class CDialogAbout2 : public QDialog {
    Q_OBJECT
public:
    CDialogAbout2(QWidget* parent, const QString& versionText);
    ~CDialogAbout2() override;

    QString VersionLine() const;
    QString CopyrightLine() const;

private:
    Ui::CDialogAbout2* m_Ui;
    QString m_Version;
};
