#include "marks/dialog_base_marks.h"

#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTreeView>

#include <algorithm>

#include <iterator>

#include "base/dialog_advanced.h"
#include "ui/utf8_path.h"
#include "base/dialog_map.h"
#include "connection/model.h"
#include "gnss/dialog_average_position.h"
#include "gnss/dialog_gnss_status.h"
#include "gnss/gnss_texts.h"
#include "gnss/on_mark_check.h"
#include "marks/coordinate_panel.h"
#include "marks/dialog_writing_coordinates.h"
#include "marks/mark_list_model.h"
#include "marks/mark_exchange_actions.h"
#include "marks/voltage_log.h"
#include "serial/link_health.h"
#include "serial/serial_port.h"
#include "ui/app_icon.h"
#include "ui/dialog_about.h"
#include "ui/dialog_serial_console.h"
#include "ui/display_text.h"
#include "ui/elided_label.h"
#include "ui/message_template.h"
#include "ui/prompter.h"
#include "ui/string_table.h"
#include "ui_dialog_base_marks.h"

namespace {

// On Linux "*.*" would hide files without a dot, so "All Files" matches every name.
const QString MarkFileFilter = QStringLiteral("Mark Files(*.mrk);;All Files (*)");
const QString VoltageLogFilter = QStringLiteral("Voltage Log Files(*.csv);;All Files (*)");

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

CDialogBaseMarks::CDialogBaseMarks(QWidget* parent, CSerialPort* port, CModel* model)
    : QDialog(parent),
      m_Ui(new Ui::CDialogBaseMarks),
      m_Port(port),
      m_Model(model),
      m_Session(model, this),
      m_Texts(model ? model->GetLanguageModule() : nullptr),
      m_MarkModel(new CMarkListModel(m_Session.Marks(), m_Session.ReferencePosition(), this))
{
    m_Ui->setupUi(this);
    m_Ui->treeMarks->setModel(m_MarkModel);
    layout()->setMenuBar(m_Ui->menuBar);
    setWindowIcon(VarnelIcon());
    m_Ui->menuBar->setAccessibleName(QStringLiteral("Menu"));
    m_Ui->coordinatePanel->SetLanguageModule(model ? model->GetLanguageModule() : nullptr);
    m_Ui->treeMarks->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    m_Timer.setInterval(BaseTiming::TickMs);
    connect(&m_Timer, &QTimer::timeout, this, &CDialogBaseMarks::OnTimer);

    connect(m_Ui->coordinatePanel, &CCoordinatePanel::AddRequested, this, &CDialogBaseMarks::OnAdd);
    connect(m_Ui->buttonRead, &QPushButton::clicked, this, [this] { m_Session.ReadCoordinates(); });
    connect(m_Ui->buttonWrite, &QPushButton::clicked, this, &CDialogBaseMarks::OnWrite);
    connect(m_Ui->buttonDelete, &QPushButton::clicked, this, &CDialogBaseMarks::OnDelete);
    connect(m_Ui->buttonMapAll, &QPushButton::clicked, this, &CDialogBaseMarks::OnMapAll);
    connect(m_Ui->buttonMapSelected, &QPushButton::clicked, this, &CDialogBaseMarks::OnMapSelected);

    connect(m_Ui->actionNew, &QAction::triggered, this, &CDialogBaseMarks::OnNew);
    connect(m_Ui->actionOpenAppend, &QAction::triggered, this, [this] { OnOpen(CMarkFile::ELoadMode::Append); });
    connect(m_Ui->actionOpenReplace, &QAction::triggered, this, [this] { OnOpen(CMarkFile::ELoadMode::Replace); });
    connect(m_Ui->actionSaveAs, &QAction::triggered, this, &CDialogBaseMarks::OnSaveAs);
    connect(m_Ui->actionClose, &QAction::triggered, this, &QDialog::reject);
    connect(m_Ui->actionVoltageLogging, &QAction::toggled, this, &CDialogBaseMarks::OnVoltageLogging);
    connect(m_Ui->actionAdvancedSettings, &QAction::triggered, this, &CDialogBaseMarks::OpenAdvancedSettings);
    connect(m_Ui->actionAbout, &QAction::triggered, this, &CDialogBaseMarks::ShowAbout);
    CreateExchangeActions();

    AddConsoleActions();
    m_Link = std::make_unique<CLinkHealth>("COM" + std::to_string(model ? model->GetPortNumber() : 0),
                                           CBaseSession::Clock::now());
    m_LinkLabel = new CElidedLabel(this);
    m_LinkLabel->setObjectName(QStringLiteral("labelLink"));
    layout()->addWidget(m_LinkLabel);

    SetUpEditing();
    ApplyTexts();
    ShowPower();
    SetUpGnss();
    SetUpGridColumns();
    // The template's menus and items, after every text the code set.
    TranslateTemplateTexts(this, model ? model->GetLanguageModule() : nullptr);
}

void CDialogBaseMarks::SetUpGridColumns()
{
    auto* view = new QMenu(Text(StringIds::ViewMenu), m_Ui->menuBar);
    view->setObjectName(QStringLiteral("menuView"));
    m_Ui->menuBar->insertMenu(m_Ui->menuTools->menuAction(), view);
    m_ActionGridColumns = view->addAction(Text(StringIds::GridColumns));
    m_ActionGridColumns->setObjectName(QStringLiteral("actionGridColumns"));
    m_ActionGridColumns->setCheckable(true);
    m_MarkModel->SetGridHeaders(Text(StringIds::Easting), Text(StringIds::Northing), Text(StringIds::GridZone));
    CCoordinatePanel* panel = m_Ui->coordinatePanel;
    connect(m_ActionGridColumns, &QAction::toggled, this,
            [this, panel](bool on) { m_MarkModel->SetGrid(on ? &panel->Grid() : nullptr); });
    connect(panel, &CCoordinatePanel::SystemChanged, m_MarkModel, &CMarkListModel::GridSystemChanged);
    m_Exchange->SetGridColumns([this] { return m_MarkModel->Grid(); });
}

void CDialogBaseMarks::AddConsoleActions()
{
    CDialogSerialConsole* console = CDialogSerialConsole::Shared();
    if (!console)
        return;
    m_ActionConsole = m_Ui->menuTools->addAction(Text(StringIds::SerialConsole));
    m_ActionConsole->setObjectName(QStringLiteral("actionSerialConsole"));
    connect(m_ActionConsole, &QAction::triggered, this, [this] { CDialogSerialConsole::ShowShared(this); });
    m_ActionRecord = m_Ui->menuTools->addAction(Text(StringIds::RecordSession));
    m_ActionRecord->setObjectName(QStringLiteral("actionRecordSession"));
    m_ActionRecord->setCheckable(true);
    m_ActionRecord->setChecked(console->Recording());
    // The console owns the recording; the item follows it both ways.
    connect(console, &CDialogSerialConsole::RecordingChanged, m_ActionRecord, &QAction::setChecked);
    connect(m_ActionRecord, &QAction::toggled, this, [this](bool on) {
        if (CDialogSerialConsole* shared = CDialogSerialConsole::Shared())
            shared->SetRecording(on);
    });
}

CDialogBaseMarks::~CDialogBaseMarks()
{
    m_Timer.stop();
    delete m_Ui;
}

QTreeView* CDialogBaseMarks::MarkTree() const
{
    return m_Ui->treeMarks;
}

QString CDialogBaseMarks::Text(int id) const
{
    return UiText(m_Model, id);
}

int CDialogBaseMarks::Read(char* buffer, int maximum)
{
    const int n = m_Port ? m_Port->Read(buffer, maximum) : 0;
    if (n > 0)
        m_Link->Received(CBaseSession::Clock::now());
    return n;
}

void CDialogBaseMarks::WriteLine(std::string_view sentence)
{
    // Nothing goes out while the port is lost; the opening requests follow the reconnect.
    if (m_Port && !LinkLost())
        m_Port->WriteLine(std::string(sentence));
}

bool CDialogBaseMarks::LinkLost() const
{
    return m_Link->IsLost() || (m_Port && m_Port->Lost());
}

QString CDialogBaseMarks::LinkText() const
{
    return m_LinkLabel->text();
}

QString CDialogBaseMarks::Aged(const std::string& reading, bool reported) const
{
    if (!reported)
        return Q(reading);
    return Q(m_Link->Aged(reading, CBaseSession::Clock::now(), m_Model ? m_Model->GetLanguageModule() : nullptr));
}

void CDialogBaseMarks::CheckLink(CBaseSession::Clock::time_point now)
{
    if (!m_Port)
        return;
    bool changed = false;
    if (!m_Link->IsLost() && m_Port->Lost()) {
        m_Link->PortLost(now);
        changed = true;
    } else if (m_Link->IsLost() && m_Link->RetryDue(now) && m_Port->Reopen()) {
        m_Link->Reopened(now);
        // As on opening: status, settings and versions; the operator's list stays as it is.
        m_Session.Restart(now);
        changed = true;
    }
    const auto state = m_Link->State(now);
    const QString text = QString::fromUtf8(CLinkHealth::Symbol(state)) + QLatin1Char(' ') +
                         Q(m_Link->Text(now, m_Model ? m_Model->GetLanguageModule() : nullptr));
    if (text != m_LinkLabel->text()) {
        m_LinkLabel->SetShownText(text);
        changed = true;
    }
    if (changed)
        UpdateEnabled();
    if (const auto age = m_Link->ReadingAge(now); age != m_ShownAge) {
        m_ShownAge = age;
        ShowPower();
        ShowSettings();
    }
}

void CDialogBaseMarks::ApplyTexts()
{
    setWindowTitle(Text(StringIds::BaseConfigurationTitle));
    setAccessibleName(windowTitle());
    const struct {
        QPushButton* Button;
        int Id;
    } buttons[] = {
        {m_Ui->buttonRead, StringIds::ReadCoordinates},     {m_Ui->buttonWrite, StringIds::WriteCoordinates},
        {m_Ui->buttonDelete, StringIds::DeleteCoordinate},  {m_Ui->buttonMapAll, StringIds::MapAll},
        {m_Ui->buttonMapSelected, StringIds::MapSelected},
    };
    // Mnemonics beside the table's texts, which stay as they are: the letter given when the text has
    // it and no other button or menu took it, else the first free letter.
    QString taken;
    const CLanguageModule* language = m_Model ? m_Model->GetLanguageModule() : nullptr;
    for (QAction* menu : m_Ui->menuBar->actions()) {
        const QString title = TranslatedText(language, menu->text());
        if (const qsizetype amp = title.indexOf(QLatin1Char('&')); amp >= 0 && amp + 1 < title.size())
            taken += title[amp + 1].toLower();
    }
    const char* letters = "rwdms";
    int index = 0;
    for (const auto& b : buttons) {
        QString text = Text(b.Id);
        const QChar wanted = QLatin1Char(letters[index++]);
        qsizetype at = taken.contains(wanted) ? -1 : text.toLower().indexOf(wanted);
        for (qsizetype i = 0; at < 0 && i < text.size(); ++i)
            if (text[i].isLetter() && !taken.contains(text[i].toLower()))
                at = i;
        b.Button->setAccessibleName(text);
        if (at >= 0) {
            taken += text[at].toLower();
            text.insert(at, QLatin1Char('&'));
        }
        b.Button->setText(text);
    }
    m_Ui->groupList->setTitle(Text(StringIds::CoordinateList));
    m_Ui->treeMarks->setAccessibleName(m_Ui->groupList->title());
    m_Ui->groupPower->setTitle(Text(StringIds::PowerSummary));
    m_Ui->groupGps->setTitle(Text(StringIds::Gps));
    m_MarkModel->SetHeader(CMarkListModel::ColLatitude, Text(StringIds::Latitude));
    m_MarkModel->SetHeader(CMarkListModel::ColLongitude, Text(StringIds::Longitude));
    m_MarkModel->SetHeader(CMarkListModel::ColAltitude, Text(StringIds::Altitude));
    m_MarkModel->SetHeader(CMarkListModel::ColInUse, Text(StringIds::InUse));
}

void CDialogBaseMarks::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_Started)
        return;
    m_Started = true;
    m_Ui->actionAdvancedSettings->setEnabled(m_Model &&
                                              (m_Model->GetDirectConnectEnabled() || m_Model->GetWriteDefaultsFlags()));
    m_Ui->coordinatePanel->Clear();
    UpdateEnabled();
    m_Session.Start(CBaseSession::Clock::now());
    m_Timer.start();
}

void CDialogBaseMarks::reject()
{
    if (MayDiscardEdits())
        QDialog::reject();
}

void CDialogBaseMarks::done(int result)
{
    // Stops the opening requests and polling at once; the main dialog then closes the connection.
    m_Closed = true;
    m_Timer.stop();
    if (m_LoggingActive) {
        m_Session.VoltageLog().Stop();
        SetLoggingChecked(false);
    }
    QDialog::done(result);
}

void CDialogBaseMarks::UpdateEnabled()
{
    // The requests and the menu wait until the opening requests are out.
    const bool ready = m_Session.OpeningDone();
    // While the port is lost nothing can be sent: the link line says why; files and editing stay.
    const bool lost = LinkLost();
    m_Ui->buttonRead->setEnabled(ready && !lost);
    m_Ui->buttonWrite->setEnabled(ready && !lost);
    for (QPushButton* sending : {m_Ui->buttonRead, m_Ui->buttonWrite})
        sending->setToolTip(lost ? m_LinkLabel->text() : QString());
    m_Ui->buttonDelete->setEnabled(ready);
    m_Ui->menuBar->setEnabled(ready || lost);
    if (lost)
        m_Ui->actionAdvancedSettings->setEnabled(false);
    else if (m_Started)
        m_Ui->actionAdvancedSettings->setEnabled(
            m_Model && (m_Model->GetDirectConnectEnabled() || m_Model->GetWriteDefaultsFlags()));
}

void CDialogBaseMarks::OnTimer()
{
    if (m_PollingPauses > 0 || m_Closed)
        return;
    CheckLink(CBaseSession::Clock::now());
    const SBaseTickResult r = m_Session.Tick(CBaseSession::Clock::now());
    // What the base listed is the unedited list from now on.
    if (m_Session.BaseListVersion() != m_SeenBaseList) {
        m_SeenBaseList = m_Session.BaseListVersion();
        MarkUnedited();
    }
    if (r.ListChanged)
        RebuildList();
    if (r.SettingsChanged)
        ShowSettings();
    if (r.PowerChanged)
        ShowPower();
    if (r.OpeningDone)
        UpdateEnabled();
    if (r.Confirmation)
        ShowConfirmation(Q(ConfirmationText(m_Texts, *r.Confirmation)));
    if (r.MarksCapped)
        PostError(Q(m_Texts.Text(StringIds::MarksCapped))
                      .replace(QStringLiteral("%1"), QString::number(BaseTiming::MaxMarksPerRead)));
    if (!r.LogError.empty()) {
        SetLoggingChecked(false);
        PostError(QString::fromStdString(m_Texts.Text(StringIds::VoltageLogStopped)).replace("%1", Q(r.LogError)));
    }
    ShowGnss();
}

void CDialogBaseMarks::RebuildList()
{
    // Only the rows that changed; the selection model follows them.
    m_MarkModel->Sync();
}

std::vector<CMark> CDialogBaseMarks::SelectedMarks() const
{
    QModelIndexList rows = m_Ui->treeMarks->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    std::vector<CMark> marks;
    marks.reserve(static_cast<std::size_t>(rows.size()));
    for (const QModelIndex& row : rows)
        marks.push_back(m_MarkModel->MarkAt(row.row()));
    return marks;
}

void CDialogBaseMarks::ShowSettings()
{
    const CBaseSettings& s = m_Session.Settings();
    const unsigned reported = m_Session.ReportedMask();
    m_Ui->labelPowerSource->SetShownText(Aged(m_Texts.PowerSource(s, reported), reported & Reported::PowerSource));
    m_Ui->labelSatellites->SetShownText(Aged(m_Texts.Satellites(s, reported), reported & Reported::Sats));
    m_Ui->labelStdDev->SetShownText(Aged(m_Texts.StandardDeviation(s, reported), reported & Reported::StDev));
    m_Ui->labelPeakSnr->SetShownText(Aged(m_Texts.PeakSnr(s, reported), reported & Reported::PeakSnr));
    m_Ui->labelWarning->SetShownText(Q(m_Texts.WarningLevel(s)));
    m_Ui->labelCritical->SetShownText(Q(m_Texts.CriticalLevel(s)));
    m_Ui->labelDischarge->SetShownText(Q(m_Texts.Discharge(s)));
}

void CDialogBaseMarks::ShowPower()
{
    const CBaseStatus& s = m_Session.Status();
    const unsigned reported = m_Session.ReportedMask();
    m_Ui->labelVoltage->SetShownText(Aged(m_Texts.BatteryVoltage(s, reported), reported & Reported::Voltage));
    m_Ui->labelRemaining->SetShownText(Aged(m_Texts.BatteryRemaining(s, reported), reported & Reported::BatteryTime));
    m_Ui->labelState->SetShownText(Aged(m_Texts.BatteryState(s, reported), reported & Reported::Voltage));
}

void CDialogBaseMarks::ShowConfirmation(const QString& text)
{
    m_Ui->labelConfirmation->SetShownText(text);
}

void CDialogBaseMarks::OnAdd(const QString& latitude, const QString& longitude, const QString& altitude)
{
    m_Session.Marks().AddMark(latitude.toStdString(), longitude.toStdString(), altitude.toStdString());
}

void CDialogBaseMarks::OnWrite()
{
    if (const auto bad = m_Session.FindUnsendableMark()) {
        const CMark& mark = *std::next(m_Session.Marks().begin(), static_cast<std::ptrdiff_t>(*bad));
        CPrompter::Current().Error(this, Q(m_Texts.UnsendableMark(*bad, mark)));
        return;
    }
    const SWriteLoss loss = FindWriteLoss(m_Session.BaseList(), m_Session.Marks(), m_Session.ReportedReference());
    if (const std::string question = WriteLossQuestion(m_Texts, loss);
        !question.empty() && !CPrompter::Current().Question(this, Q(question), Text(StringIds::WriteCoordinates)))
        return;
    ShowConfirmation(QString());
    // The base gets the list as it stands: deletes before it can no longer be undone.
    m_Undo.Clear();
    m_ActionUndo->setEnabled(false);
    MarkUnedited();
    CDialogWritingCoordinates box(this, [this] { return WriteStep(); }, m_Model);
    box.exec();
    // Ended early all the same (the window system closed it): the base's list is incomplete, but
    // polling must go on and the next run must start afresh.
    if (m_Session.WriteRunning())
        m_Session.AbortWrite();
    if (m_WritePaused) {
        m_WritePaused = false;
        ResumePolling();
    }
    if (m_WriteCut) {
        const auto [sent, total] = *m_WriteCut;
        m_WriteCut.reset();
        CPrompter::Current().Error(this, Text(StringIds::WriteCutByLostLink)
                                             .replace(QStringLiteral("%1"), QString::number(sent))
                                             .replace(QStringLiteral("%2"), QString::number(total)));
    }
}

bool CDialogBaseMarks::WriteStep()
{
    // Reception, redraw, logging and status requests pause for the run.
    if (!m_WritePaused) {
        m_WritePaused = true;
        PausePolling();
    }
    // A lost port ends the run at once: the step that found it gone sent nothing.
    const std::size_t sentBefore = m_Session.WriteSent();
    const bool lostBefore = LinkLost();
    const bool more = !lostBefore && m_Session.WriteStep(CBaseSession::Clock::now());
    if (LinkLost()) {
        const std::size_t total = m_Session.WriteRunning() ? m_Session.WriteTotal() : m_Session.Marks().Size();
        m_WriteCut = std::make_pair(lostBefore ? m_Session.WriteSent() : sentBefore, total);
        m_Session.AbortWrite();
        m_Session.CancelConfirmation();
        m_WritePaused = false;
        ResumePolling();
        // The link line says why before the failure is reported.
        CheckLink(CBaseSession::Clock::now());
        return false;
    }
    if (more)
        return true;
    m_WritePaused = false;
    ResumePolling();
    ShowConfirmation(Text(StringIds::CheckingMarks));
    return false;
}

void CDialogBaseMarks::OnDelete()
{
    m_Undo.Delete(m_Session.Marks(), SelectedMarks());
    m_ActionUndo->setEnabled(m_Undo.CanUndo());
    // The rows go at once, so a delete straight after works on the rows shown.
    m_MarkModel->Sync();
}

void CDialogBaseMarks::OnMapAll()
{
    if (!m_Session.Marks().IsEmpty())
        OpenMap(m_Session.Marks());
}

void CDialogBaseMarks::OnMapSelected()
{
    CMarkList selected;
    for (const CMark& mark : SelectedMarks())
        selected.AddMark(mark.GetLatitude(), mark.GetLongitude(), mark.GetAltitude());
    if (!selected.IsEmpty())
        OpenMap(selected);
}

void CDialogBaseMarks::OpenMap(const CMarkList& marks)
{
    ShowMarksMap(this, marks, m_Model);
}

void CDialogBaseMarks::OpenAdvancedSettings()
{
    // This dialog's timer goes on reading and dispatching for both windows.
    CDialogAdvanced advanced(this, &m_Session, m_Model);
    advanced.SetLostReason([this] { return LinkLost() ? LinkText() : QString(); });
    advanced.exec();
}

void CDialogBaseMarks::ShowAbout()
{
    CDialogAbout about(this, m_Model);
    about.exec();
}

void CDialogBaseMarks::PausePolling()
{
    ++m_PollingPauses;
    m_Timer.stop();
}

void CDialogBaseMarks::ResumePolling()
{
    if (m_PollingPauses > 0 && --m_PollingPauses == 0 && !m_Closed)
        m_Timer.start();
}

void CDialogBaseMarks::PostError(const QString& text)
{
    QTimer::singleShot(0, this, [this, text] { CPrompter::Current().Error(this, text); });
}

void CDialogBaseMarks::OnNew()
{
    if (!MayDiscardEdits())
        return;
    m_Session.New();
    MarkUnedited();
}

void CDialogBaseMarks::OnOpen(CMarkFile::ELoadMode mode)
{
    // Replace empties the list only once the chosen file was read in full, so a cancelled or
    // failed Replace keeps the marks.
    const QString path = CPrompter::Current().OpenFileName(this, QString::fromStdString(m_LastPath), MarkFileFilter,
                                                           QStringLiteral("mrk"));
    if (path.isEmpty())
        return;
    m_LastPath = path.toStdString();
    std::string error;
    if (!CMarkFile::Load(PathFromUtf8(m_LastPath), mode, m_Session.Marks(), m_Session.Settings(), error))
        CPrompter::Current().Error(this, Q(TranslateMessage(error, [this](int id) { return Text(id).toStdString(); })));
    else
        MarkUnedited();
}

void CDialogBaseMarks::OnSaveAs()
{
    const QString path = CPrompter::Current().SaveFileName(this, QString::fromStdString(m_LastPath), MarkFileFilter,
                                                           QStringLiteral("mrk"));
    if (path.isEmpty())
        return;
    m_LastPath = path.toStdString();
    std::string error;
    if (!CMarkFile::Save(PathFromUtf8(m_LastPath), m_Session.Marks(), m_Session.Settings(), error))
        CPrompter::Current().Error(this, Q(TranslateMessage(error, [this](int id) { return Text(id).toStdString(); })));
    else
        MarkUnedited();
}

void CDialogBaseMarks::SetLoggingChecked(bool on)
{
    m_LoggingActive = on;
    const QSignalBlocker block(m_Ui->actionVoltageLogging);
    m_Ui->actionVoltageLogging->setChecked(on);
}

void CDialogBaseMarks::OnVoltageLogging(bool on)
{
    CVoltageLog& log = m_Session.VoltageLog();
    if (!on) {
        log.Stop();
        SetLoggingChecked(false);
        return;
    }
    // Checked only once the file is open.
    SetLoggingChecked(false);
    const QString path = CPrompter::Current().SaveFileName(this, QString::fromStdString(m_LastPath), VoltageLogFilter,
                                                           QStringLiteral("csv"));
    if (path.isEmpty())
        return;
    m_LastPath = path.toStdString();
    if (!log.Start(PathFromUtf8(m_LastPath))) {
        CPrompter::Current().Error(
            this, Text(StringIds::VoltageLogNotStarted).replace(QStringLiteral("%1"), Q(log.LastError())));
        return;
    }
    SetLoggingChecked(true);
}

void CDialogBaseMarks::CreateExchangeActions()
{
    m_Exchange = new CMarkExchangeActions(
        this, m_Ui->menuFile, m_Ui->actionClose, m_Session.Marks(), m_LastPath, [this](int id) { return Text(id); },
        [this] { return SelectedMarks(); });
}

void CDialogBaseMarks::SetUpGnss()
{
    m_Ui->actionGnssStatus->setText(Text(StringIds::GnssStatusTitle));
    m_Ui->actionAveragePosition->setText(Text(StringIds::AveragePositionMenu));
    connect(m_Ui->actionGnssStatus, &QAction::triggered, this, &CDialogBaseMarks::OpenGnssStatus);
    connect(m_Ui->actionAveragePosition, &QAction::triggered, this, &CDialogBaseMarks::OpenAveragePosition);
    m_Ui->labelGnssPosition->hide();
    m_Ui->labelFromReference->hide();
}

void CDialogBaseMarks::ShowGnss()
{
    // Four times a second is enough for a 1 Hz receiver and for a fix that stops being current.
    const auto now = GnssClock::now();
    if (now - m_GnssShownAt < std::chrono::milliseconds(250))
        return;
    m_GnssShownAt = now;
    const CGnssTexts texts(m_Model ? m_Model->GetLanguageModule() : nullptr);
    const CNmeaParser& gnss = m_Session.Gnss();
    const SOnMarkResult check = CheckOnMark(gnss, m_Session.ReportedReference(), now);
    const QString position = Q(texts.LivePosition(gnss, now));
    const QString distance = Q(texts.OnMarkLine(check));
    if (position != m_Ui->labelGnssPosition->text())
        m_Ui->labelGnssPosition->SetShownText(position);
    m_Ui->labelGnssPosition->setVisible(!position.isEmpty());
    if (distance != m_Ui->labelFromReference->text()) {
        // A warning in words, and bold besides: never by colour alone.
        QFont font = m_Ui->labelFromReference->font();
        font.setBold(check.State == EOnMarkState::OffMark);
        m_Ui->labelFromReference->setFont(font);
        ShowLabelText(m_Ui->labelFromReference, distance);
    }
    m_Ui->labelFromReference->setVisible(!distance.isEmpty());
}

QString CDialogBaseMarks::GnssPositionText() const
{
    return m_Ui->labelGnssPosition->text();
}

QString CDialogBaseMarks::FromReferenceText() const
{
    return m_Ui->labelFromReference->text();
}

void CDialogBaseMarks::OpenGnssStatus()
{
    CDialogGnssStatus status(this, &m_Session, m_Model);
    status.exec();
}

void CDialogBaseMarks::OpenAveragePosition()
{
    CDialogAveragePosition average(this, &m_Session, m_Model);
    connect(&average, &CDialogAveragePosition::AddRequested, this, &CDialogBaseMarks::OnAdd);
    average.exec();
}

void CDialogBaseMarks::SetUpEditing()
{
    QTreeView* tree = m_Ui->treeMarks;
    // The current row reads across all columns, and the selection stays as plain when the list
    // has lost the focus to a button.
    tree->setAllColumnsShowFocus(true);
    QPalette palette = tree->palette();
    for (const auto role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    tree->setPalette(palette);

    m_Ui->actionOpenAppend->setShortcut(QKeySequence::Open);
    m_Ui->actionSaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    auto* remove = new QAction(tree);
    remove->setObjectName(QStringLiteral("actionDeleteMarks"));
    remove->setShortcut(QKeySequence::Delete);
    remove->setShortcutContext(Qt::WidgetShortcut);
    connect(remove, &QAction::triggered, this, [this] {
        if (m_Ui->buttonDelete->isEnabled())
            OnDelete();
    });
    tree->addAction(remove);

    // Created here rather than in the template, so that the File menu's neighbours stay as they are.
    auto* edit = new QMenu(QStringLiteral("&Edit"), m_Ui->menuBar);
    edit->setObjectName(QStringLiteral("menuEdit"));
    m_Ui->menuBar->insertMenu(m_Ui->menuTools->menuAction(), edit);
    m_ActionUndo = edit->addAction(QStringLiteral("&Undo"));
    m_ActionUndo->setObjectName(QStringLiteral("actionUndo"));
    m_ActionUndo->setShortcut(QKeySequence::Undo);
    m_ActionUndo->setEnabled(false);
    connect(m_ActionUndo, &QAction::triggered, this, &CDialogBaseMarks::OnUndo);
}

void CDialogBaseMarks::OnUndo()
{
    const std::vector<std::size_t> rows = m_Undo.Undo(m_Session.Marks());
    m_ActionUndo->setEnabled(m_Undo.CanUndo());
    // The marks come back selected, so a second Delete takes them again.
    m_MarkModel->Sync();
    QItemSelectionModel* selection = m_Ui->treeMarks->selectionModel();
    selection->clearSelection();
    for (const std::size_t row : rows)
        selection->select(m_MarkModel->index(static_cast<int>(row), 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (!rows.empty())
        selection->setCurrentIndex(m_MarkModel->index(static_cast<int>(rows.front()), 0), QItemSelectionModel::NoUpdate);
}

void CDialogBaseMarks::MarkUnedited()
{
    m_Unedited.assign(m_Session.Marks().begin(), m_Session.Marks().end());
}

bool CDialogBaseMarks::Edited() const
{
    return !std::equal(m_Unedited.begin(), m_Unedited.end(), m_Session.Marks().begin(), m_Session.Marks().end());
}

bool CDialogBaseMarks::MayDiscardEdits()
{
    return !Edited() || CPrompter::Current().Question(this, Text(StringIds::DiscardMarkChanges), Text(StringIds::Yes),
                                                       Text(StringIds::No));
}
