#include "marks/dialog_writing_coordinates.h"

#include <QCloseEvent>

#include "ui/display_text.h"
#include "ui/elided_label.h"
#include "ui/string_table.h"
#include "ui_dialog_writing_coordinates.h"

CDialogWritingCoordinates::CDialogWritingCoordinates(QWidget* parent, std::function<bool()> step, CModel* model)
    : QDialog(parent), m_Ui(new Ui::CDialogWritingCoordinates), m_Step(std::move(step))
{
    m_Ui->setupUi(this);
    // A caption without a close box: the run cannot be stopped half way.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    ShowLabelText(m_Ui->labelMessage, UiText(model, StringIds::WritingCoordinates));
    setAccessibleName(m_Ui->labelMessage->text());
    m_Timer.setSingleShot(true);
    connect(&m_Timer, &QTimer::timeout, this, &CDialogWritingCoordinates::OnTimer);
}

CDialogWritingCoordinates::~CDialogWritingCoordinates()
{
    delete m_Ui;
}

QString CDialogWritingCoordinates::Message() const
{
    return m_Ui->labelMessage->text();
}

void CDialogWritingCoordinates::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_Started) {
        m_Started = true;
        m_Timer.start(m_Pacer.NextDelayMs());
    }
}

void CDialogWritingCoordinates::OnTimer()
{
    m_Timer.start(m_Pacer.NextDelayMs());
    if (m_Step && m_Step())
        return;
    m_Timer.stop();
    m_Done = true;
    accept();
}

void CDialogWritingCoordinates::reject()
{
    if (m_Done)
        QDialog::reject();
}

void CDialogWritingCoordinates::closeEvent(QCloseEvent* event)
{
    if (!m_Done)
        event->ignore();
    else
        QDialog::closeEvent(event);
}
