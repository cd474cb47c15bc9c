#include "radio/radio_dialog_support.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QGridLayout>
#include <QPushButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLabel>
#include <QTimer>

#include <algorithm>

#include "connection/model.h"
#include "radio/radio_timing.h"
#include "serial/pump_wait.h"
#include "ui/dialog_serial_console.h"
#include "serial/link_health.h"
#include "serial/serial_port.h"
#include "ui/display_text.h"
#include "ui/elided_label.h"
#include "ui/prompter.h"
#include "ui/string_table.h"

namespace {

// The dialog's link over the port: a lost port ends the query or commit on it at once rather than
// at its deadline, and what arrives tells the link line.
class CDialogRadioLink : public CSerialRadioLink {
public:
    CDialogRadioLink(CSerialPort* port, std::function<void()> received)
        : CSerialRadioLink(port, [](int ms) { PumpWait(ms); }, [port] { return port && port->Lost(); }),
          m_Received(std::move(received))
    {
    }
    std::string Read(std::size_t maximum) override
    {
        std::string got = CSerialRadioLink::Read(maximum);
        if (!got.empty())
            m_Received();
        return got;
    }

private:
    std::function<void()> m_Received;
};

// The buttons that send to the radio.
bool SendsToRadio(const QWidget* w)
{
    return w->objectName() == QLatin1String("buttonCommit") || w->objectName().startsWith(QLatin1String("buttonRead"));
}

}  // namespace

CRadioDialog::CRadioDialog(QWidget* parent, CSerialPort* port, CModel* model)
    : QDialog(parent), m_Port(port), m_Model(model),
      m_Link(std::make_unique<CDialogRadioLink>(port, [this] {
          if (m_Health)
              m_Health->Received(CLinkHealth::Clock::now());
      }))
{
    m_LinkTimer.setInterval(250);
    connect(&m_LinkTimer, &QTimer::timeout, this, &CRadioDialog::CheckLink);
}

CRadioDialog::~CRadioDialog() = default;

CRadioDialog::CBusy::CBusy(CRadioDialog& dialog) : m_Dialog(dialog)
{
    m_Dialog.EnterBusy();
}

CRadioDialog::CBusy::~CBusy()
{
    m_Dialog.LeaveBusy();
}

void CRadioDialog::EnterBusy()
{
    if (m_BusyDepth++ > 0)
        return;
    m_LostWhileBusy = false;
    if (m_Health)
        m_Health->SetExpecting(true, CLinkHealth::Clock::now());
    m_FocusBeforeBusy = focusWidget();
    for (QWidget* w : findChildren<QWidget*>()) {
        const bool input = qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
                           qobject_cast<QAbstractSlider*>(w);
        if (input && w->isEnabled() && std::find(m_KeepEnabled.begin(), m_KeepEnabled.end(), w) == m_KeepEnabled.end()) {
            w->setEnabled(false);
            m_Disabled.push_back(w);
        }
    }
}

void CRadioDialog::LeaveBusy()
{
    if (--m_BusyDepth > 0)
        return;
    for (QWidget* w : m_Disabled)
        w->setEnabled(true);
    m_Disabled.clear();
    // The port may be open again before the failure is reported; the report still names the loss.
    m_LostWhileBusy = m_Port && m_Port->Lost();
    if (m_Health) {
        m_Health->SetExpecting(ExpectingWhenIdle(), CLinkHealth::Clock::now());
        // A read or write that failed on a gone port shows it now, before the operator can send.
        CheckLink();
    }
    // Keyboard users carry on where they were; after the opening read, at the first control.
    if (m_FocusBeforeBusy && m_FocusBeforeBusy->isEnabled() && m_FocusBeforeBusy->isVisible())
        m_FocusBeforeBusy->setFocus();
    else if (!focusWidget() || !focusWidget()->isEnabled())
        focusNextChild();
    m_FocusBeforeBusy = nullptr;
    if (m_CancelPending) {
        m_CancelPending = false;
        // Not from inside the handler that is still unwinding.
        QTimer::singleShot(0, this, [this] {
            if (isVisible())
                reject();
        });
    }
}

void CRadioDialog::reject()
{
    if (Busy()) {
        m_CancelPending = true;
        return;
    }
    if (LinkLost() && HasUnwrittenEdits() &&
        !CPrompter::Current().Question(isVisible() ? this : nullptr, Text(StringIds::DiscardUnwrittenRadio),
                                       Text(StringIds::DiscardChanges)))
        return;
    OnCancel();
    QDialog::reject();
}

void CRadioDialog::showEvent(QShowEvent* event)
{
    if (!m_Shown) {
        m_Shown = true;
        TranslateTemplateTexts(this, m_Model ? m_Model->GetLanguageModule() : nullptr);
        AddConsoleButton();
        OnFirstShow();
    }
    QDialog::showEvent(event);
}

void CRadioDialog::AddConsoleButton()
{
    if (!CDialogSerialConsole::Shared())
        return;
    auto* button = new QPushButton(Text(StringIds::SerialConsole), this);
    button->setObjectName(QStringLiteral("buttonSerialConsole"));
    button->setAccessibleName(button->text());
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, [this] { CDialogSerialConsole::ShowShared(this); });
    // Watching the line is most useful while the dialog waits on the radio.
    KeepEnabledWhileBusy(button);
    if (auto* box = qobject_cast<QBoxLayout*>(layout()))
        box->addWidget(button, 0, Qt::AlignRight);
    else if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(button, grid->rowCount(), 0, 1, grid->columnCount(), Qt::AlignRight);
}

void CRadioDialog::OpeningDone()
{
    if (!m_Ready) {
        m_Ready = true;
        emit Ready();
    }
}

void CRadioDialog::FinishOpening(const std::optional<SQueryResult>& failure)
{
    if (failure)
        ShowReadFailed(*failure);
    OpeningDone();
}

QString CRadioDialog::Text(int id) const
{
    return UiText(m_Model, id);
}

void CRadioDialog::FinishCommitted()
{
    accept();
    ShowMessage(QMessageBox::Information, QStringLiteral("Changes have been sent."));
}

void CRadioDialog::FinishCommit(const SCommitResult& result)
{
    if (result.Ok)
        FinishCommitted();
    else
        ShowNotConfirmed(result);
}

void CRadioDialog::ShowReadFailed(const SQueryResult& result)
{
    const QString reply = result.Reply.empty() ? Text(StringIds::NoAnswer) : RadioText(result.Reply);
    ShowMessage(QMessageBox::Warning, Translated(QStringLiteral("Read configuration failed - %1")).arg(reply));
}

void CRadioDialog::ShowNotConfirmed(const SCommitResult& result)
{
    // A pulled cable is the reason, not the radio's silence.
    const bool lost = (m_Port && m_Port->Lost()) || m_LostWhileBusy;
    const QString answer = lost ? Text(StringIds::ConnectionLost)
                                : result.Answer.empty() ? Text(StringIds::NoAnswer) : RadioText(result.Answer);
    QString text = Text(StringIds::ChangesNotConfirmed);
    // The translation keeps the two %s; fill them in order without reading % in the radio's text.
    const int first = text.indexOf(QLatin1String("%s"));
    if (first >= 0)
        text.replace(first, 2, RadioText(result.Command));
    const int second = text.indexOf(QLatin1String("%s"), first >= 0 ? first + RadioText(result.Command).size() : 0);
    if (second >= 0)
        text.replace(second, 2, answer);
    ShowMessage(QMessageBox::Warning, text);
}

QString CRadioDialog::Translated(const QString& english) const
{
    return TranslatedText(m_Model ? m_Model->GetLanguageModule() : nullptr, english);
}

bool CRadioDialog::ConfirmWriteDefaults(const QString& newId)
{
    if (!m_Model || !(m_Model->GetWriteDefaultsFlags() & WriteDefaults::BoxTicked))
        return true;
    const QString text = m_ReadRadioId ? Text(StringIds::WriteDefaultsReplaces).arg(newId, *m_ReadRadioId)
                                       : Text(StringIds::WriteDefaultsReplacesUnknown).arg(newId);
    return CPrompter::Current().Question(isVisible() ? this : nullptr, text, Text(StringIds::ResetAndWrite));
}

void CRadioDialog::ShowMessage(QMessageBox::Icon icon, const QString& text)
{
    CPrompter::Current().Message(isVisible() ? this : nullptr, icon, Translated(text));
}

void CRadioDialog::SetLiveText(QLabel* label, const QString& caption, const QString& text)
{
    label->setText(text);
    label->setAccessibleName(caption.isEmpty() ? text : caption + QLatin1Char(' ') + text);
}

QString CRadioDialog::RadioText(const std::string& text)
{
    return QString::fromLatin1(PlainRadioText(text, RadioTiming::ShownReplyLength));
}

bool CRadioDialog::LinkLost() const
{
    return (m_Health && m_Health->IsLost()) || (m_Port && m_Port->Lost());
}

void CRadioDialog::ShowLinkLine()
{
    if (m_LinkLabel)
        return;
    m_Health = std::make_unique<CLinkHealth>("COM" + std::to_string(m_Model ? m_Model->GetPortNumber() : 0),
                                             CLinkHealth::Clock::now());
    // Nothing is expected of a radio the dialog is not asking.
    m_Health->SetExpecting(Busy() || ExpectingWhenIdle(), CLinkHealth::Clock::now());
    m_LinkLabel = new CElidedLabel(this);
    m_LinkLabel->setObjectName(QStringLiteral("labelLink"));
    if (auto* box = qobject_cast<QBoxLayout*>(layout()))
        box->addWidget(m_LinkLabel);
    else if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(m_LinkLabel, grid->rowCount(), 0, 1, grid->columnCount());
    else if (layout())
        layout()->addWidget(m_LinkLabel);
    m_LinkTimer.start();
    CheckLink();
}

QString CRadioDialog::LinkText() const
{
    return m_LinkLabel ? m_LinkLabel->text() : QString();
}

bool CRadioDialog::PortGone() const
{
    // While busy the reads and writes themselves notice a gone port; idle, the probe does.
    return m_Port->Lost() || (!Busy() && m_Port->IsOpen() && m_Port->Probe());
}

void CRadioDialog::CheckLink()
{
    if (!m_Health || !m_Port)
        return;
    BeforeLinkCheck();
    const auto now = CLinkHealth::Clock::now();
    bool back = false;
    if (!m_Health->IsLost() && PortGone()) {
        m_Health->PortLost(now);
        if (!OnPortLost())
            return;
    } else if (m_Health->IsLost() && !Busy() && m_Health->RetryDue(now) && m_Port->Reopen()) {
        m_Health->Reopened(now);
        back = true;
    }
    const QString text = QString::fromUtf8(CLinkHealth::Symbol(m_Health->State(now))) + QLatin1Char(' ') +
                         QString::fromStdString(m_Health->Text(now, m_Model ? m_Model->GetLanguageModule() : nullptr));
    if (text != m_LinkLabel->text())
        m_LinkLabel->SetShownText(text);
    ApplyLinkState(text);
    AfterLinkCheck();
    if (back)
        // Not inside the timer's handler: the reads pump events.
        QTimer::singleShot(0, this, [this] {
            if (isVisible() && !Busy() && !LinkLost())
                OnLinkBack();
        });
}

void CRadioDialog::ApplyLinkState(const QString& text)
{
    if (Busy())
        return;  // LeaveBusy comes back here
    const bool lost = m_Health->IsLost();
    for (QWidget* w : findChildren<QWidget*>()) {
        if (!qobject_cast<QAbstractButton*>(w) || !SendsToRadio(w))
            continue;
        if (lost) {
            w->setEnabled(false);
            w->setToolTip(text);
        } else if (!w->toolTip().isEmpty()) {
            // Back: what was disabled for the loss comes back; the dialog's own rule (a Commit
            // that needs a selection) runs again after its re-read.
            w->setToolTip(QString());
            w->setEnabled(true);
        }
    }
}

QString CRadioDialog::FieldValue(QWidget* w)
{
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->currentText();
    if (auto* slider = qobject_cast<QAbstractSlider*>(w))
        return QString::number(slider->value());
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    return {};
}

void CRadioDialog::SetFieldValue(QWidget* w, const QString& value)
{
    if (auto* combo = qobject_cast<QComboBox*>(w))
        combo->setCurrentText(value);
    else if (auto* slider = qobject_cast<QAbstractSlider*>(w))
        slider->setValue(value.toInt());
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setChecked(value == QLatin1String("1"));
}

std::vector<CRadioDialog::SField> CRadioDialog::CurrentFields() const
{
    std::vector<SField> fields;
    for (QWidget* w : findChildren<QWidget*>()) {
        auto* button = qobject_cast<QAbstractButton*>(w);
        if (qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSlider*>(w) || (button && button->isCheckable()))
            fields.push_back({w, FieldValue(w)});
    }
    return fields;
}

void CRadioDialog::RememberFields()
{
    m_Remembered = CurrentFields();
}

bool CRadioDialog::HasUnwrittenEdits() const
{
    return std::any_of(m_Remembered.begin(), m_Remembered.end(),
                       [](const SField& f) { return f.Widget && FieldValue(f.Widget) != f.Value; });
}

void CRadioDialog::RereadKeepingEdits(const std::function<void()>& read)
{
    std::vector<SField> edited;
    for (const SField& f : m_Remembered)
        if (f.Widget && FieldValue(f.Widget) != f.Value)
            edited.push_back({f.Widget, FieldValue(f.Widget)});
    read();  // ends with RememberFields
    for (const SField& f : edited)
        if (f.Widget)
            SetFieldValue(f.Widget, f.Value);
}
