#include "gnss/dialog_average_position.h"

#include <chrono>

#include "connection/model.h"
#include "gnss/gnss_widgets.h"
#include "marks/base_session.h"
#include "marks/coordinate_conversion.h"
#include "marks/text_number.h"
#include "ui/app_icon.h"
#include "ui/string_table.h"
#include "ui_dialog_average_position.h"

namespace S = StringIds;

CDialogAveragePosition::CDialogAveragePosition(QWidget* parent, CBaseSession* session, CModel* model)
    : QDialog(parent),
      m_Ui(new Ui::CDialogAveragePosition),
      m_Session(session),
      m_Texts(model ? model->GetLanguageModule() : nullptr),
      m_Request(CNmeaStreamRequest::Gga | CNmeaStreamRequest::Gst,
                [session](std::string_view s) { session->SendSentence(s); })
{
    m_Ui->setupUi(this);
    setWindowIcon(VarnelIcon());
    setWindowTitle(Text(S::AveragePositionTitle));
    setAccessibleName(windowTitle());
    m_Ui->labelDuration->setText(Text(S::DurationMinutes));
    m_Ui->spinDuration->setAccessibleName(Text(S::DurationMinutes));
    const struct {
        QAbstractButton* Button;
        int Id;
    } buttons[] = {{m_Ui->checkUntilStopped, S::UntilStopped}, {m_Ui->buttonStart, S::Start},
                   {m_Ui->buttonStop, S::Stop}, {m_Ui->radioEllipsoidal, S::HeightEllipsoidal},
                   {m_Ui->radioSeaLevel, S::HeightAboveSeaLevel}, {m_Ui->buttonAdd, S::AddAsMark},
                   {m_Ui->buttonCancel, S::Cancel}};
    for (const auto& b : buttons) {
        b.Button->setText(Text(b.Id));
        b.Button->setAccessibleName(b.Button->text());
    }
    m_Ui->groupHeight->setTitle(Text(S::HeightChoice));
    m_Ui->scatterPlot->setAccessibleName(Text(S::ScatterPlot));
    m_Ui->scatterPlot->SetAverager(&m_Averager);

    connect(m_Ui->buttonStart, &QPushButton::clicked, this, &CDialogAveragePosition::OnStart);
    connect(m_Ui->buttonStop, &QPushButton::clicked, this, &CDialogAveragePosition::OnStop);
    connect(m_Ui->buttonAdd, &QPushButton::clicked, this, &CDialogAveragePosition::OnAdd);
    connect(m_Ui->buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_Ui->checkUntilStopped, &QCheckBox::toggled, this, &CDialogAveragePosition::UpdateEnabled);

    m_Session->Gnss().AddListener(&m_Averager);
    m_Request.Open(m_Session->Gnss(), GnssClock::now());
    m_Timer.setInterval(RefreshMs);
    connect(&m_Timer, &QTimer::timeout, this, &CDialogAveragePosition::Refresh);
    m_Timer.start();
    Refresh();
}

CDialogAveragePosition::~CDialogAveragePosition()
{
    m_Session->Gnss().RemoveListener(&m_Averager);
    delete m_Ui;
}

void CDialogAveragePosition::done(int result)
{
    m_Timer.stop();
    m_Averager.Stop();
    m_Session->Gnss().RemoveListener(&m_Averager);
    m_Request.Close();
    QDialog::done(result);
}

void CDialogAveragePosition::OnStart()
{
    m_Averager.Start(GnssClock::now());
    m_Ui->labelResult->SetShownText(QString());
    Refresh();
}

void CDialogAveragePosition::OnStop()
{
    m_Averager.Stop();
    Refresh();
}

void CDialogAveragePosition::UpdateEnabled()
{
    const bool running = m_Averager.Running();
    m_Ui->buttonStart->setEnabled(!running);
    m_Ui->buttonStop->setEnabled(running);
    m_Ui->spinDuration->setEnabled(!running && !m_Ui->checkUntilStopped->isChecked());
    m_Ui->checkUntilStopped->setEnabled(!running);
    const auto mean = m_Averager.Mean();
    m_Ui->buttonAdd->setEnabled(mean.has_value());
    m_Ui->radioEllipsoidal->setEnabled(mean && mean->EllipsoidalHeight);
    if (mean && !mean->EllipsoidalHeight)
        m_Ui->radioSeaLevel->setChecked(true);
}

void CDialogAveragePosition::Refresh()
{
    const auto now = GnssClock::now();
    if (m_Averager.Running() && !m_Ui->checkUntilStopped->isChecked() &&
        now - m_Averager.Started() >= std::chrono::minutes(m_Ui->spinDuration->value()))
        m_Averager.Stop();
    const auto set = [](CElidedLabel* label, const std::string& text) {
        const QString t = QString::fromStdString(text);
        if (label->text() != t)
            label->SetShownText(t);
    };
    set(m_Ui->labelFixes, m_Texts.Format(S::FixesUsedSkipped, {std::to_string(m_Averager.Used()),
                                                               std::to_string(m_Averager.Skipped())}));
    long long seconds = 0;
    if (m_Averager.Used() + m_Averager.Skipped() > 0 || m_Averager.Running())
        seconds = std::chrono::duration_cast<std::chrono::seconds>(now - m_Averager.Started()).count();
    char elapsed[32];
    std::snprintf(elapsed, sizeof elapsed, "%lld:%02lld:%02lld", seconds / 3600, (seconds / 60) % 60, seconds % 60);
    set(m_Ui->labelElapsed, m_Texts.Format(S::Elapsed, {elapsed}));
    const auto mean = m_Averager.Mean();
    if (mean) {
        set(m_Ui->labelMean, m_Texts.Format(S::MeanLine, {FixedText(mean->Latitude, 8), FixedText(mean->Longitude, 8),
                                                          m_Texts.Number(mean->EllipsoidalHeight, 3),
                                                          m_Texts.Number(mean->HeightMsl, 3)}));
        set(m_Ui->labelSigma, m_Texts.Format(S::SigmaLine, {m_Texts.Number(mean->SigmaNorth, 3),
                                                            m_Texts.Number(mean->SigmaEast, 3),
                                                            m_Texts.Number(mean->SigmaUp, 3)}));
    }
    m_Ui->scatterPlot->update();
    UpdateEnabled();
}

void CDialogAveragePosition::OnAdd()
{
    const auto mean = m_Averager.Mean();
    if (!mean)
        return;
    const bool ellipsoidal = m_Ui->radioEllipsoidal->isChecked() && mean->EllipsoidalHeight;
    const double height = ellipsoidal ? *mean->EllipsoidalHeight : mean->HeightMsl.value_or(0.0);
    const SMarkTexts t = MarkTextsFor(mean->Latitude, mean->Longitude, height);
    // The same check as a typed mark's "Add".
    if (t.Altitude.empty() || !CanAddMark(t.Latitude, t.Longitude, t.Altitude)) {
        m_Ui->labelResult->SetShownText(Text(S::CannotAddMean));
        return;
    }
    const std::string shown = t.Latitude + ", " + t.Longitude + ", " + t.Altitude;
    const bool listed = m_Session->Marks().Contains(t.Latitude, t.Longitude, t.Altitude);
    emit AddRequested(QString::fromStdString(t.Latitude), QString::fromStdString(t.Longitude),
                      QString::fromStdString(t.Altitude));
    m_Ui->labelResult->SetShownText(
        QString::fromStdString(m_Texts.Format(listed ? S::MeanAlreadyListed : S::MeanAdded, {shown})));
}
