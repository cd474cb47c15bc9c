#include "ui/auto_edit.h"

#include "ui/display_text.h"
#include "ui/edit_validate.h"
#include "ui/info_wnd.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QValidator>

#include <algorithm>
#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace {

std::function<void()>& BeepHook()
{
    static std::function<void()> hook;
    return hook;
}

std::u32string ToU32(const QString& text)
{
    const QList<uint> points = text.toUcs4();
    return std::u32string(points.begin(), points.end());
}

QString FromU32(const std::u32string& text)
{
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

// Code points before a position counted in UTF-16 units.
int PointsBefore(const QString& text, int pos)
{
    return static_cast<int>(text.left(pos).toUcs4().size());
}

}  // namespace

// Routes every change of the text through CAutoEdit::GuardChange.
class CAutoEditGuard : public QValidator
{
public:
    explicit CAutoEditGuard(CAutoEdit* edit) : QValidator(edit), m_Edit(edit) {}
    State validate(QString& input, int& pos) const override
    {
        m_Edit->GuardChange(input, pos);
        return Acceptable;
    }

private:
    CAutoEdit* m_Edit;
};

CAutoEdit::CAutoEdit(QWidget* parent)
    : QLineEdit(parent), m_InfoWindow(new CInfoWnd(QColor(255, 129, 129)))
{
    setValidator(new CAutoEditGuard(this));
}

QString CAutoEdit::FilterEntering(const QString& entering)
{
    const QString now = text();
    int selStart = cursorPosition();
    int selEnd = selStart;
    if (hasSelectedText()) {
        selStart = selectionStart();
        selEnd = selectionStart() + static_cast<int>(selectedText().size());
    }
    bool refused = false;
    CEditFilter::ERefusal why{};
    const std::u32string accepted = m_Filter.FilterInsertion(ToU32(entering), ToU32(now), PointsBefore(now, selStart),
                                                             PointsBefore(now, selEnd), refused, &why);
    if (refused)
        Refuse(why);
    return FromU32(accepted);
}

void CAutoEdit::GuardChange(QString& input, int& pos)
{
    const QString& before = m_Accepted;
    if (input == before)
        return;
    // What entered is what lies between the parts the texts share at both ends.
    qsizetype head = 0;
    const qsizetype shorter = std::min(input.size(), before.size());
    while (head < shorter && input[head] == before[head])
        ++head;
    qsizetype tail = 0;
    while (tail < shorter - head && input[input.size() - 1 - tail] == before[before.size() - 1 - tail])
        ++tail;
    // Never split a surrogate pair.
    if (head > 0 && input[head - 1].isHighSurrogate())
        --head;
    if (tail > 0 && input[input.size() - tail].isLowSurrogate())
        --tail;
    const QString entering = input.mid(head, input.size() - head - tail);
    bool refused = false;
    CEditFilter::ERefusal why{};
    const std::u32string accepted =
        m_Filter.FilterInsertion(ToU32(entering), ToU32(before), PointsBefore(before, static_cast<int>(head)),
                                 PointsBefore(before, static_cast<int>(before.size() - tail)), refused, &why);
    QString result = input.left(head) + FromU32(accepted) + input.right(tail);
    pos = static_cast<int>(head + FromU32(accepted).size());
    if (m_Filter.SignFirst && CEditFilter::HasSign(result.toStdString())) {
        result = QString::fromStdString(CEditFilter::MoveSignToFront(result.toStdString()));
        pos = static_cast<int>(result.size());
    }
    input = result;
    m_Accepted = result;
    if (refused)
        Refuse(why);
}

void CAutoEdit::inputMethodEvent(QInputMethodEvent* event)
{
    if (event->commitString().isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // Filtered before the edit's own length limit cuts the text, so that "a12" into a two-digit
    // field keeps the digits.
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(FilterEntering(event->commitString()), event->replacementStart(),
                             event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
}

CAutoEdit::~CAutoEdit()
{
    delete m_InfoWindow.data();
}

void CAutoEdit::SetBeepHook(std::function<void()> hook)
{
    BeepHook() = std::move(hook);
}

void CAutoEdit::SetMaxChars(int n)
{
    m_Filter.MaxChars = n;
    setMaxLength(n > 0 ? n : 32767);
}

void CAutoEdit::ShowText(const QString* text)
{
    setText(text ? *text : m_DefaultText);
}

void CAutoEdit::Beep()
{
    if (BeepHook())
        BeepHook()();
    else
        QApplication::beep();
    emit Beeped();
}

void CAutoEdit::SetRefusalTexts(const QString& accepts, const QString& full)
{
    m_AcceptsText = accepts;
    m_FullText = full;
}

void CAutoEdit::Refuse(CEditFilter::ERefusal why)
{
    Beep();
    const QString& message = why == CEditFilter::ERefusal::Full ? m_FullText : m_AcceptsText;
    if (message.isEmpty() || !hasFocus())
        return;
    EnsureInfoWindow();
    if (m_InfoWindow) {
        m_InfoWindow->HideMessage();
        m_InfoWindow->ShowMessageAt(this, message);
        m_ShowingRefusal = true;
    }
}

void CAutoEdit::MoveToNextField()
{
    focusNextChild();
    // A refused value takes the focus back: then nothing moved.
    if (auto* next = qobject_cast<CAutoEdit*>(QApplication::focusWidget()); next && next != this)
        next->m_SkipTab = true;
}

bool CAutoEdit::event(QEvent* event)
{
    // Tab is handled before keyPressEvent; "52 Tab 12 Tab 34.56" must not skip the seconds.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool tab = (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
                         !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        const bool skip = m_SkipTab && tab;
        if (key->key() != Qt::Key_Shift)
            m_SkipTab = false;
        if (skip) {
            event->accept();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void CAutoEdit::EnsureInfoWindow()
{
    // The pop-up belongs to the window the edit sits in, which is only known once it is placed.
    if (m_InfoWindow && !m_InfoWindow->IsCreated() && parentWidget())
        m_InfoWindow->Create(parentWidget());
}

void CAutoEdit::showEvent(QShowEvent* event)
{
    QLineEdit::showEvent(event);
    EnsureInfoWindow();
}

void CAutoEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste)) {
        event->accept();
        if (!isReadOnly())
            insert(FilterEntering(QApplication::clipboard()->text(QClipboard::Clipboard)));
        return;
    }
    const QString typed = event->text();
    // Shortcuts and keys without text (arrows, Home, Delete) are the edit's own.
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (typed.isEmpty() || command) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QList<uint> points = typed.toUcs4();
    if (points.size() != 1) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const char32_t c = points.front();
    const int len = static_cast<int>(text().size());
    int selStart = cursorPosition();
    int selEnd = selStart;
    if (hasSelectedText()) {
        selStart = selectionStart();
        selEnd = selectionEnd();
    }
    CEditFilter::ERefusal why{};
    switch (m_Filter.OnChar(c, text().toStdString(), selStart, selEnd, len, &why)) {
    case CEditFilter::EAction::NextField:
        event->accept();
        MoveToNextField();
        return;
    case CEditFilter::EAction::Beep:
        event->accept();
        Refuse(why);
        return;
    case CEditFilter::EAction::Default:
        QLineEdit::keyPressEvent(event);
        return;
    case CEditFilter::EAction::InsertPoint:
        event->accept();
        insert(QStringLiteral("."));
        break;
    case CEditFilter::EAction::Insert:
        QLineEdit::keyPressEvent(event);
        break;
    }
    // The character went in: the word about the one refused before is done.
    if (m_ShowingRefusal && m_InfoWindow) {
        m_InfoWindow->HideMessage();
        m_ShowingRefusal = false;
    }
    std::string now = text().toStdString();
    const CEditFilter::SAfterInsert after = m_Filter.AfterInsert(now);
    if (after.TextChanged) {
        setText(QString::fromStdString(now));
        end(false);
    }
    if (after.MoveNext)
        MoveToNextField();
}

void CAutoEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    m_HoldsFocus = true;
    EnsureInfoWindow();
    emit FocusEntered();
}

QWidget* CAutoEdit::FindCancelButton() const
{
    if (m_CancelButton)
        return m_CancelButton;
    // Dialogs here lay their buttons out in a button box anywhere in the window.
    for (QDialogButtonBox* box : window()->findChildren<QDialogButtonBox*>())
        if (QPushButton* cancel = box->button(QDialogButtonBox::Cancel))
            return cancel;
    return nullptr;
}

void CAutoEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    m_SkipTab = false;
    if (m_ShowingRefusal && m_InfoWindow)
        m_InfoWindow->HideMessage();
    m_ShowingRefusal = false;
    // When a refusing edit takes the focus back while the focus is on its way to another edit, that
    // one is told it lost a focus it never had: it must not validate (two refusing edits would pass
    // the focus back and forth for ever).
    const bool held = m_HoldsFocus;
    m_HoldsFocus = false;
    if (!held)
        return;
    // A context menu or a drop-down takes the focus only for a moment: nothing left the field.
    if (event->reason() == Qt::PopupFocusReason) {
        emit FocusLeft();
        return;
    }
    QWidget* receiver = QApplication::focusWidget();
    QWidget* cancel = FindCancelButton();
    // A window closing takes the focus with it; there is nothing left to correct.
    const bool skip = !m_Validator || !isVisible() || (cancel && receiver == cancel) || (!cancel && !receiver);
    if (!skip) {
        std::string t = text().toStdString();
        const std::string message = m_Validator->Validate(t);
        const QString rewritten = QString::fromStdString(t);
        if (rewritten != text())
            setText(rewritten);
        if (m_InfoWindow)
            m_InfoWindow->HideMessage();
        if (!message.empty()) {
            setFocus(Qt::OtherFocusReason);
            selectAll();
            EnsureInfoWindow();
            if (m_InfoWindow)
                m_InfoWindow->ShowMessageAt(this, TranslatedText(m_Language, QString::fromStdString(message)));
        }
    }
    emit FocusLeft();
}
