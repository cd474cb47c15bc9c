#include "ui/dialog_about2.h"

#include "ui/app_icon.h"
#include "ui_dialog_about2.h"

CDialogAbout2::CDialogAbout2(QWidget* parent, const QString& versionText)
    : QDialog(parent), m_Ui(new Ui::CDialogAbout2), m_Version(versionText)
{
    m_Ui->setupUi(this);
    setWindowIcon(VarnelIcon());
    m_Ui->labelVersion->setText(QString::asprintf("Varnel Link Manager - version %s", m_Version.toUtf8().constData()));
    m_Ui->labelCopyright->setText(QStringLiteral("Copyright (C) 2026 The Varnel Link Manager developers"));
    m_Ui->labelIcon->setPixmap(VarnelIcon().pixmap(48, 48));
    m_Ui->buttonOk->setFocus();
}

CDialogAbout2::~CDialogAbout2()
{
    delete m_Ui;
}

QString CDialogAbout2::VersionLine() const
{
    return m_Ui->labelVersion->text();
}

QString CDialogAbout2::CopyrightLine() const
{
    return m_Ui->labelCopyright->text();
}
