#include "marks/dialog_base_marks.h"

#include <QHeaderView>
#include <QMenu>
#include <QSet>
#include <QTreeWidget>

#include <iterator>

#include "base/dialog_advanced.h"
#include "app/utf8_path.h"
#include "base/dialog_map.h"
#include "connection/model.h"
#include "marks/coordinate_panel.h"
#include "marks/dialog_writing_coordinates.h"
#include "marks/voltage_log.h"
#include "serial/serial_port.h"
#include "ui/app_icon.h"
#include "ui/dialog_about.h"
#include "ui/display_text.h"
#include "ui/elided_label.h"
#include "ui/prompter.h"
#include "ui/string_table.h"
#include "ui_dialog_base_marks.h"

namespace {

// On Linux "*.*" would hide files without a dot, so "All Files" matches every name.
const QString MarkFileFilter = QStringLiteral("Mark Files(*.mrk);;All Files (*)");
const QString VoltageLogFilter = QStringLiteral("Voltage Log Files(*.csv);;All Files (*)");

enum EColumn { ColNumber, ColLatitude, ColLongitude, ColAltitude, ColInUse, ColEasting, ColNorthing, ColZone };

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Rows are matched by their mark's texts, never by pointer: the list may have dropped the mark.
QString RowKey(const QTreeWidgetItem* item)
{
    return item->text(ColLatitude) + QChar(0x1f) + item->text(ColLongitude) + QChar(0x1f) + item->text(ColAltitude);
}

}  // namespace

CDialogBaseMarks::CDialogBaseMarks(QWidget* parent, CSerialPort* port, CModel* model)
    : QDialog(parent),
      m_Ui(new Ui::CDialogBaseMarks),
      m_Port(port),
      m_Model(model),
      m_Session(model, this),
      m_Texts(model ? model->GetLanguageModule() : nullptr)
{
    m_Ui->setupUi(this);
    layout()->setMenuBar(m_Ui->menuBar);
    setWindowIcon(VarnelIcon());
    m_Ui->menuBar->setAccessibleName(QStringLiteral("Menu"));
    m_Ui->coordinatePanel->SetLanguageModule(model ? model->GetLanguageModule() : nullptr);
    m_Ui->treeMarks->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    m_Timer.setInterval(BaseTiming::TickMs);
    connect(&m_Timer, &QTimer::timeout, this, &CDialogBaseMarks::OnTimer);

    connect(m_Ui->coordinatePanel, &CCoordinatePanel::AddRequested, this, &CDialogBaseMarks::OnAdd);
    m_ViewMenu = new QMenu(this);
    m_Ui->menuBar->insertMenu(m_Ui->menuTools->menuAction(), m_ViewMenu);
    m_GridColumnsAction = m_ViewMenu->addAction(QString());
    m_GridColumnsAction->setObjectName(QStringLiteral("actionGridColumns"));
    m_GridColumnsAction->setCheckable(true);
    m_GridColumnsAction->setEnabled(m_Ui->coordinatePanel->Grid().State() == EGridError::None);
    connect(m_GridColumnsAction, &QAction::toggled, this, &CDialogBaseMarks::ApplyGridColumns);
    connect(m_Ui->coordinatePanel, &CCoordinatePanel::SystemChanged, this, [this] {
        if (m_GridColumnsAction->isChecked())
            RebuildList();
    });
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

    ApplyTexts();
    ShowPower();
}

CDialogBaseMarks::~CDialogBaseMarks()
{
    m_Timer.stop();
    delete m_Ui;
}

QTreeWidget* CDialogBaseMarks::MarkTree() const
{
    return m_Ui->treeMarks;
}

QString CDialogBaseMarks::Text(int id) const
{
    return UiText(m_Model, id);
}

int CDialogBaseMarks::Read(char* buffer, int maximum)
{
    return m_Port ? m_Port->Read(buffer, maximum) : 0;
}

void CDialogBaseMarks::WriteLine(std::string_view sentence)
{
    if (m_Port)
        m_Port->WriteLine(std::string(sentence));
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
    for (const auto& b : buttons) {
        b.Button->setText(Text(b.Id));
        b.Button->setAccessibleName(b.Button->text());
    }
    m_Ui->groupList->setTitle(Text(StringIds::CoordinateList));
    m_Ui->treeMarks->setAccessibleName(m_Ui->groupList->title());
    m_Ui->groupPower->setTitle(Text(StringIds::PowerSummary));
    m_Ui->groupGps->setTitle(Text(StringIds::Gps));
    QTreeWidgetItem* header = m_Ui->treeMarks->headerItem();
    header->setText(ColLatitude, Text(StringIds::Latitude));
    header->setText(ColLongitude, Text(StringIds::Longitude));
    header->setText(ColAltitude, Text(StringIds::Altitude));
    header->setText(ColInUse, Text(StringIds::InUse));
    m_ViewMenu->setTitle(Text(StringIds::ViewMenu));
    m_GridColumnsAction->setText(Text(StringIds::GridColumns));
    if (m_GridColumnsAction->isChecked())
        ApplyGridColumns();
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
    m_Ui->buttonRead->setEnabled(ready);
    m_Ui->buttonWrite->setEnabled(ready);
    m_Ui->buttonDelete->setEnabled(ready);
    m_Ui->menuBar->setEnabled(ready);
}

void CDialogBaseMarks::OnTimer()
{
    if (m_PollingPauses > 0 || m_Closed)
        return;
    const SBaseTickResult r = m_Session.Tick(CBaseSession::Clock::now());
    if (r.ListChanged)
        RebuildList();
    if (r.SettingsChanged)
        ShowSettings();
    if (r.PowerChanged)
        ShowPower();
    if (r.OpeningDone)
        UpdateEnabled();
    if (r.Confirmation)
        ShowConfirmation(Q(m_Texts.Confirmation(r.Confirmation->Returned, r.Confirmation->Total)));
    if (!r.LogError.empty()) {
        SetLoggingChecked(false);
        PostError(QString::fromStdString(m_Texts.Text(StringIds::VoltageLogStopped)).replace("%1", Q(r.LogError)));
    }
}

void CDialogBaseMarks::RebuildList()
{
    QTreeWidget* tree = m_Ui->treeMarks;
    QSet<QString> selected;
    for (const QTreeWidgetItem* item : tree->selectedItems())
        selected.insert(RowKey(item));
    QString current = tree->currentItem() ? RowKey(tree->currentItem()) : QString();

    const std::vector<SMarkRow> rows = CBaseTexts::MarkRows(m_Session.Marks(), m_Session.ReferencePosition());
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    const bool grid = m_GridColumnsAction && m_GridColumnsAction->isChecked();
    for (const SMarkRow& row : rows) {
        QStringList texts{Q(row.Number), Q(row.Latitude), Q(row.Longitude), Q(row.Altitude), Q(row.InUse)};
        if (grid) {
            // For display only: the marks keep their own texts.
            const SGridColumns c = GridColumns(m_Ui->coordinatePanel->Grid(), row.Latitude, row.Longitude);
            texts << Q(c.Easting) << Q(c.Northing) << Q(c.Zone);
        }
        items.append(new QTreeWidgetItem(texts));
    }

    const QSignalBlocker block(tree);
    tree->setUpdatesEnabled(false);
    tree->clear();
    tree->addTopLevelItems(items);
    for (QTreeWidgetItem* item : items) {
        const QString key = RowKey(item);
        if (selected.contains(key))
            item->setSelected(true);
        if (key == current)
            tree->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
    }
    tree->setUpdatesEnabled(true);
}

void CDialogBaseMarks::ApplyGridColumns()
{
    QTreeWidget* tree = m_Ui->treeMarks;
    const bool on = m_GridColumnsAction->isChecked();
    tree->setColumnCount(on ? ColZone + 1 : ColInUse + 1);
    if (on) {
        const QString unit = QString::fromStdString(m_Ui->coordinatePanel->Grid().System().Unit);
        tree->headerItem()->setText(ColEasting, QStringLiteral("%1 (%2)").arg(Text(StringIds::Easting), unit));
        tree->headerItem()->setText(ColNorthing, QStringLiteral("%1 (%2)").arg(Text(StringIds::Northing), unit));
        tree->headerItem()->setText(ColZone, Text(StringIds::GridZone));
    }
    RebuildList();
}

void CDialogBaseMarks::ShowSettings()
{
    const CBaseSettings& s = m_Session.Settings();
    const unsigned reported = m_Session.ReportedMask();
    m_Ui->labelPowerSource->SetShownText(Q(m_Texts.PowerSource(s, reported)));
    m_Ui->labelSatellites->SetShownText(Q(m_Texts.Satellites(s, reported)));
    m_Ui->labelStdDev->SetShownText(Q(m_Texts.StandardDeviation(s, reported)));
    m_Ui->labelPeakSnr->SetShownText(Q(m_Texts.PeakSnr(s, reported)));
    m_Ui->labelWarning->SetShownText(Q(m_Texts.WarningLevel(s)));
    m_Ui->labelCritical->SetShownText(Q(m_Texts.CriticalLevel(s)));
    m_Ui->labelDischarge->SetShownText(Q(m_Texts.Discharge(s)));
}

void CDialogBaseMarks::ShowPower()
{
    const CBaseStatus& s = m_Session.Status();
    const unsigned reported = m_Session.ReportedMask();
    m_Ui->labelVoltage->SetShownText(Q(m_Texts.BatteryVoltage(s, reported)));
    m_Ui->labelRemaining->SetShownText(Q(m_Texts.BatteryRemaining(s, reported)));
    m_Ui->labelState->SetShownText(Q(m_Texts.BatteryState(s, reported)));
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
    ShowConfirmation(QString());
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
}

bool CDialogBaseMarks::WriteStep()
{
    // Reception, redraw, logging and status requests pause for the run.
    if (!m_WritePaused) {
        m_WritePaused = true;
        PausePolling();
    }
    if (m_Session.WriteStep(CBaseSession::Clock::now()))
        return true;
    m_WritePaused = false;
    ResumePolling();
    ShowConfirmation(Text(StringIds::CheckingMarks));
    return false;
}

void CDialogBaseMarks::OnDelete()
{
    const QTreeWidget* tree = m_Ui->treeMarks;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = tree->topLevelItem(i);
        if (item->isSelected())
            m_Session.Marks().RemoveMark(item->text(ColLatitude).toStdString(),
                                         item->text(ColLongitude).toStdString(),
                                         item->text(ColAltitude).toStdString());
    }
}

void CDialogBaseMarks::OnMapAll()
{
    if (!m_Session.Marks().IsEmpty())
        OpenMap(m_Session.Marks());
}

void CDialogBaseMarks::OnMapSelected()
{
    CMarkList selected;
    const QTreeWidget* tree = m_Ui->treeMarks;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = tree->topLevelItem(i);
        if (item->isSelected())
            selected.AddMark(item->text(ColLatitude).toStdString(), item->text(ColLongitude).toStdString(),
                             item->text(ColAltitude).toStdString());
    }
    if (!selected.IsEmpty())
        OpenMap(selected);
}

void CDialogBaseMarks::OpenMap(const CMarkList& marks)
{
    ShowMarksMap(this, marks, m_Model);
}

void CDialogBaseMarks::OpenAdvancedSettings()
{
    CDialogAdvanced advanced(this, m_Port, m_Model, &m_Session.Settings(), &m_Session.Splitter(),
                             &m_Session.Status());
    RunPollingDialog(advanced);
}

void CDialogBaseMarks::ShowAbout()
{
    CDialogAbout about(this, m_Model);
    about.exec();
}

void CDialogBaseMarks::RunPollingDialog(QDialog& dialog)
{
    PausePolling();
    dialog.exec();
    ResumePolling();
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
    m_Session.New();
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
        CPrompter::Current().Error(this, Q(error));
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
        CPrompter::Current().Error(this, Q(error));
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
