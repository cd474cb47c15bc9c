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
#include "serial/serial_port.h"
#include "ui/display_text.h"
#include "ui/prompter.h"
#include "ui/string_table.h"

CRadioDialog::CRadioDialog(QWidget* parent, CSerialPort* port, CModel* model)
    : QDialog(parent), m_Port(port), m_Model(model),
      m_Link(std::make_unique<CSerialRadioLink>(port, [](int ms) { PumpWait(ms); }))
{
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
    const bool lost = m_Port && m_Port->Lost();
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
