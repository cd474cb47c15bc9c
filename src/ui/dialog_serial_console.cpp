#include "ui/dialog_serial_console.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QScrollBar>
#include <QSortFilterProxyModel>

#include "ui/display_text.h"
#include "ui/elided_label.h"
#include "ui/prompter.h"
#include "ui/serial_console_model.h"
#include "ui/string_table.h"
#include "ui_dialog_serial_console.h"

namespace {

// At most 20 redraws a second, however fast the bytes come.
constexpr int kRefreshMs = 50;

CDialogSerialConsole* g_Shared = nullptr;

} // namespace

CDialogSerialConsole::CDialogSerialConsole(CWireTap* tap, QWidget* home)
    : QDialog(home, Qt::Window), m_Ui(new Ui::CDialogSerialConsole), m_Tap(tap), m_Home(home)
{
    m_Ui->setupUi(this);
    setModal(false);
    m_Rows = new CSerialConsoleModel(&m_Log, this);
    m_Shown = new QSortFilterProxyModel(this);
    m_Shown->setSourceModel(m_Rows);
    m_Shown->setFilterKeyColumn(CSerialConsoleModel::ColumnData);
    m_Shown->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_Ui->tableRows->setModel(m_Shown);
    m_Ui->tableRows->verticalHeader()->hide();
    m_Ui->tableRows->horizontalHeader()->setStretchLastSection(true);
    m_Ui->tableRows->horizontalHeader()->setSectionResizeMode(CSerialConsoleModel::ColumnTime, QHeaderView::ResizeToContents);
    m_Ui->tableRows->horizontalHeader()->setSectionResizeMode(CSerialConsoleModel::ColumnDirection, QHeaderView::ResizeToContents);
    m_Ui->tableRows->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);

    connect(m_Ui->buttonPause, &QPushButton::toggled, this, [this](bool paused) {
        if (!paused)
            Refresh();
    });
    connect(m_Ui->buttonClear, &QPushButton::clicked, this, [this] {
        m_Log.Clear();
        Refresh();
    });
    connect(m_Ui->checkHex, &QCheckBox::toggled, m_Rows, &CSerialConsoleModel::SetHex);
    connect(m_Ui->editFilter, &QLineEdit::textChanged, m_Shown, &QSortFilterProxyModel::setFilterFixedString);
    connect(m_Ui->buttonCopy, &QPushButton::clicked, this, &CDialogSerialConsole::OnCopy);
    connect(m_Ui->buttonSaveAs, &QPushButton::clicked, this, &CDialogSerialConsole::OnSaveAs);
    connect(m_Ui->buttonRecord, &QPushButton::toggled, this, [this](bool on) {
        if (!m_Updating)
            SetRecording(on);
    });

    m_Timer.setInterval(kRefreshMs);
    connect(&m_Timer, &QTimer::timeout, this, [this] {
        if (!m_RecordPath.isEmpty() && m_Recorder.Failed()) {
            const QString path = m_RecordPath;
            StopRecording();
            CPrompter::Current().Error(this, Text(StringIds::RecordingStopped).arg(path));
        }
        if (isVisible() && !m_Ui->buttonPause->isChecked())
            Refresh();
    });
    m_Timer.start();

    m_Tap->Add(&m_Log);
    if (!g_Shared)
        g_Shared = this;
    ApplyTexts();
}

CDialogSerialConsole::~CDialogSerialConsole()
{
    StopRecording();
    m_Tap->Remove(&m_Log);
    if (g_Shared == this)
        g_Shared = nullptr;
    if (m_Host)
        m_Host->removeEventFilter(this);
    delete m_Ui;
}

CDialogSerialConsole* CDialogSerialConsole::Shared()
{
    return g_Shared;
}

bool CDialogSerialConsole::ShowShared(QWidget* from)
{
    if (!g_Shared)
        return false;
    g_Shared->ShowFrom(from);
    return true;
}

void CDialogSerialConsole::ShowFrom(QWidget* from)
{
    QWidget* window = from ? from->window() : nullptr;
    if (window && window != this && window->isModal())
        MoveUnder(window);
    Refresh();
    show();
    raise();
    activateWindow();
}

void CDialogSerialConsole::MoveUnder(QWidget* window)
{
    // A modal window blocks every window but its own children: the console becomes one while the
    // modal window is up, and goes back home when it hides (before it could take the console with it).
    QWidget* target = window ? window : m_Home.data();
    if (!target || parentWidget() == target)
        return;
    const bool shown = isVisible();
    const QRect where = geometry();
    if (m_Host)
        m_Host->removeEventFilter(this);
    m_Host = window;
    if (m_Host)
        m_Host->installEventFilter(this);
    setParent(target, Qt::Window);
    setGeometry(where);
    if (shown)
        show();
}

bool CDialogSerialConsole::event(QEvent* e)
{
    if (e->type() == QEvent::WindowBlocked) {
        QTimer::singleShot(0, this, [this] {
            if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != this)
                MoveUnder(modal);
        });
    }
    return QDialog::event(e);
}

bool CDialogSerialConsole::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_Host && (e->type() == QEvent::Hide || e->type() == QEvent::Close)) {
        QWidget* outer = QApplication::activeModalWidget();
        MoveUnder(outer && outer != m_Host && outer != this ? outer : nullptr);
    }
    return QDialog::eventFilter(watched, e);
}

void CDialogSerialConsole::SetModel(const CModel* model)
{
    m_Model = model;
    ApplyTexts();
}

QString CDialogSerialConsole::Text(int id) const
{
    return UiText(m_Model, id);
}

void CDialogSerialConsole::ApplyTexts()
{
    setWindowTitle(Text(StringIds::SerialConsole));
    const struct {
        QAbstractButton* Button;
        int Id;
    } buttons[] = {
        {m_Ui->buttonPause, StringIds::ConsolePause},   {m_Ui->buttonClear, StringIds::ConsoleClear},
        {m_Ui->checkHex, StringIds::ConsoleHex},        {m_Ui->buttonCopy, StringIds::ConsoleCopy},
        {m_Ui->buttonSaveAs, StringIds::ConsoleSaveAs}, {m_Ui->buttonRecord, StringIds::ConsoleRecord},
    };
    for (const auto& b : buttons) {
        b.Button->setText(Text(b.Id));
        b.Button->setAccessibleName(Text(b.Id).remove(QStringLiteral("...")));
    }
    m_Ui->labelFilter->setText(Text(StringIds::ConsoleFilter));
    m_Ui->editFilter->setAccessibleName(Text(StringIds::ConsoleFilter).remove(QLatin1Char(':')));
    m_Ui->tableRows->setAccessibleName(Text(StringIds::SerialConsole));
    // The table's corner button selects every row.
    for (QAbstractButton* inner : m_Ui->tableRows->findChildren<QAbstractButton*>())
        inner->setAccessibleName(Text(StringIds::ConsoleSelectAll));
    m_Rows->SetHeaders({Text(StringIds::ConsoleTime), Text(StringIds::ConsoleDirection), Text(StringIds::ConsoleData)});
    ShowDropped();
    ShowLabelText(m_Ui->labelRecording, m_Recorder.Active() ? Text(StringIds::RecordingTo).arg(m_RecordPath) : QString());
}

void CDialogSerialConsole::ShowDropped()
{
    const unsigned long long dropped = m_Rows->Dropped();
    const QString text = dropped ? Text(StringIds::ConsoleDropped).arg(dropped) : QString();
    if (m_Ui->labelDropped->text() != text)
        ShowLabelText(m_Ui->labelDropped, text);
}

void CDialogSerialConsole::Refresh()
{
    QScrollBar* bar = m_Ui->tableRows->verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    m_Rows->Refresh();
    ShowDropped();
    if (atEnd)
        m_Ui->tableRows->scrollToBottom();
}

QString CDialogSerialConsole::ShownText() const
{
    QString text;
    for (int row = 0; row < m_Shown->rowCount(); ++row)
        text += m_Rows->RowLine(m_Shown->mapToSource(m_Shown->index(row, 0)).row()) + QLatin1Char('\n');
    return text;
}

void CDialogSerialConsole::OnCopy()
{
    QList<int> rows;
    for (const QModelIndex& index : m_Ui->tableRows->selectionModel()->selectedRows())
        rows.push_back(m_Shown->mapToSource(index).row());
    std::sort(rows.begin(), rows.end());
    QString text;
    for (int row : rows)
        text += m_Rows->RowLine(row) + QLatin1Char('\n');
    if (rows.isEmpty())
        text = ShownText();
    QApplication::clipboard()->setText(text);
}

void CDialogSerialConsole::OnSaveAs()
{
    const QString path = CPrompter::Current().SaveFileName(this, QString(), Text(StringIds::ConsoleTextFiles), QStringLiteral("txt"));
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(ShownText().toUtf8()) < 0 || !file.flush())
        CPrompter::Current().Error(this, Text(StringIds::ConsoleNotSaved).arg(path));
}

void CDialogSerialConsole::SetRecording(bool on)
{
    if (on == m_Recorder.Active())
        return;
    if (!on) {
        StopRecording();
        return;
    }
    const QString path = CPrompter::Current().SaveFileName(this, QString(), Text(StringIds::SessionLogFiles), QStringLiteral("log"));
    if (path.isEmpty() || !StartRecording(path)) {
        if (!path.isEmpty())
            CPrompter::Current().Error(this, Text(StringIds::RecordingNotWritten).arg(path));
        m_Updating = true;
        m_Ui->buttonRecord->setChecked(false);
        m_Updating = false;
        emit RecordingChanged(false);
    }
}

bool CDialogSerialConsole::StartRecording(const QString& path)
{
    StopRecording();
    if (!m_Recorder.Start(path.toStdString())) {
        m_Recorder.Stop();
        return false;
    }
    m_RecordPath = path;
    m_Tap->Add(&m_Recorder);
    m_Updating = true;
    m_Ui->buttonRecord->setChecked(true);
    m_Updating = false;
    ShowLabelText(m_Ui->labelRecording, Text(StringIds::RecordingTo).arg(path));
    emit RecordingChanged(true);
    return true;
}

void CDialogSerialConsole::StopRecording()
{
    if (!m_Recorder.Active() && m_RecordPath.isEmpty())
        return;
    m_Tap->Remove(&m_Recorder);
    m_Recorder.Stop();
    m_RecordPath.clear();
    m_Updating = true;
    m_Ui->buttonRecord->setChecked(false);
    m_Updating = false;
    ShowLabelText(m_Ui->labelRecording, QString());
    emit RecordingChanged(false);
}
