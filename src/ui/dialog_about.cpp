#include "ui/dialog_about.h"

#include "connection/model.h"
#include "marks/base_texts.h"
#include "ui/display_text.h"
#include "ui/elided_label.h"
#include "ui_dialog_about.h"

CDialogAbout::CDialogAbout(QWidget* parent, CModel* model) : QDialog(parent), m_Ui(new Ui::CDialogAbout), m_Model(model)
{
    m_Ui->setupUi(this);
    connect(m_Ui->buttonOk, &QPushButton::clicked, this, &QDialog::accept);
    CModel empty;
    const CModel& m = model ? *model : empty;
    m_Ui->labelBlank->SetShownText(QString());
    m_Ui->labelFirmware->SetShownText(QString::fromStdString(CBaseTexts::FirmwareLine(m)));
    m_Ui->labelBootloader->SetShownText(QString::fromStdString(CBaseTexts::BootloaderLine(m)));
    // Set but never shown, as the base has always had it.
    m_Ui->labelGpsEngine->SetShownText(QString::fromStdString(CBaseTexts::GpsEngineLine(m)));
    m_Ui->labelSubscription->SetShownText(QString::fromStdString(CBaseTexts::SubscriptionLine(m)));
    TranslateTemplateTexts(this, m.GetLanguageModule());
}

CDialogAbout::~CDialogAbout()
{
    delete m_Ui;
}

QString CDialogAbout::FirmwareLine() const { return m_Ui->labelFirmware->text(); }
QString CDialogAbout::BootloaderLine() const { return m_Ui->labelBootloader->text(); }
