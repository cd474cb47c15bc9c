#include "gnss/dialog_gnss_status.h"

#include <QHeaderView>
#include <QPushButton>

#include "connection/model.h"
#include "gnss/gnss_widgets.h"
#include "marks/base_session.h"
#include "ui/app_icon.h"
#include "ui/display_text.h"
#include "ui/string_table.h"
#include "ui_dialog_gnss_status.h"

CDialogGnssStatus::CDialogGnssStatus(QWidget* parent, CBaseSession* session, CModel* model)
    : QDialog(parent),
      m_Ui(new Ui::CDialogGnssStatus),
      m_Session(session),
      m_Texts(model ? model->GetLanguageModule() : nullptr),
      m_Request(CNmeaStreamRequest::Gga | CNmeaStreamRequest::Gst | CNmeaStreamRequest::Gsv,
                [session](std::string_view s) { session->SendSentence(s); }),
      m_Table(new CSatelliteTableModel(&m_Texts, this))
{
    m_Ui->setupUi(this);
    setWindowIcon(VarnelIcon());
    const auto text = [this](int id) { return QString::fromStdString(m_Texts.Text(id)); };
    setWindowTitle(text(StringIds::GnssStatusTitle));
    setAccessibleName(windowTitle());
    m_Ui->skyPlot->setAccessibleName(text(StringIds::SkyPlot));
    m_Ui->signalBars->setAccessibleName(text(StringIds::SignalLevels));
    m_Ui->tableSatellites->setModel(m_Table);
    m_Ui->tableSatellites->setAccessibleName(text(StringIds::SatelliteTable));
    m_Ui->tableSatellites->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_Ui->tableSatellites->verticalHeader()->hide();
    m_Ui->tableSatellites->setTabKeyNavigation(false);
    connect(m_Ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

    m_Request.Open(m_Session->Gnss(), GnssClock::now());
    m_Timer.setInterval(RefreshMs);
    connect(&m_Timer, &QTimer::timeout, this, &CDialogGnssStatus::Refresh);
    m_Timer.start();
    Refresh();
}

CDialogGnssStatus::~CDialogGnssStatus()
{
    delete m_Ui;
}

void CDialogGnssStatus::done(int result)
{
    m_Timer.stop();
    m_Request.Close();
    QDialog::done(result);
}

void CDialogGnssStatus::Refresh()
{
    const CNmeaParser& gnss = m_Session->Gnss();
    const auto now = GnssClock::now();
    std::vector<SSatellite> sky = gnss.SkyView(now);
    const auto show = [](CElidedLabel* label, const std::string& text) {
        const QString t = QString::fromStdString(text);
        if (label->text() != t)
            label->SetShownText(t);
    };
    show(m_Ui->labelQuality, m_Texts.QualityLine(gnss));
    show(m_Ui->labelSatellites, m_Texts.SatellitesLine(gnss, sky));
    show(m_Ui->labelDop, m_Texts.DopLine(gnss));
    show(m_Ui->labelPosition, m_Texts.PositionLine(gnss));
    show(m_Ui->labelHeights, m_Texts.HeightsLine(gnss));
    show(m_Ui->labelErrors, m_Texts.ErrorsLine(gnss));
    show(m_Ui->labelAge, m_Texts.AgeLine(gnss, now));
    show(m_Ui->labelDropped, m_Texts.DroppedLine(gnss));
    m_Ui->skyPlot->SetSatellites(sky, &m_Texts);
    m_Ui->signalBars->SetSatellites(sky);
    m_Table->SetSatellites(std::move(sky));
}
