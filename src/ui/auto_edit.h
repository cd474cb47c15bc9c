#pragma once

#include "ui/edit_filter.h"
#include "ui/info_wnd.h"

#include <QLineEdit>
#include <QPointer>
#include <QString>

#include <functional>
#include <string>

class CEditValidate;
class CLanguageModule;

// A single-line edit for typing numbers field by field: it accepts only a set of characters, moves
// on to the next control on a separator or when full, keeps one sign at the front, and validates
// its text when the focus leaves, taking the focus back and showing the message above itself when
// the text is refused. Text that enters otherwise (pasted, dropped, committed by an input method,
// several characters from one key) passes the same character filter and length limit.
class CAutoEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit CAutoEdit(QWidget* parent = nullptr);
    ~CAutoEdit() override;

    // Filter settings; MaxChars also becomes the edit's length limit.
    void SetNextFieldChar(int c) { m_Filter.NextFieldChar = c; }
    int GetNextFieldChar() const { return m_Filter.NextFieldChar; }
    void SetMaxChars(int n);
    int GetMaxChars() const { return m_Filter.MaxChars; }
    void SetAllowedChars(const std::string& chars) { m_Filter.SetAllowedChars(chars); }
    void SetSingleSign(bool on) { m_Filter.SingleSign = on; }
    void SetSignFirst(bool on) { m_Filter.SignFirst = on; }
    void SetSinglePoint(bool on) { m_Filter.SinglePoint = on; }
    void SetCommaAsPoint(bool on) { m_Filter.CommaAsPoint = on; }
    void SetAdvanceWhenFull(bool on) { m_Filter.AdvanceWhenFull = on; }
    // What the information window says when a character is refused: what the field accepts, and
    // that it is full. Empty texts: only the beep.
    void SetRefusalTexts(const QString& accepts, const QString& full);
    // Validators speak English; their messages are shown in this language (null: English).
    void SetLanguageModule(const CLanguageModule* language) { m_Language = language; }
    const CEditFilter& Filter() const { return m_Filter; }

    void SetDefaultText(const QString& text) { m_DefaultText = text; }
    // Sets the text, or DefaultText when given none.
    void ShowText(const QString* text = nullptr);

    // Not owned; none means no validation.
    void SetValidator(CEditValidate* validator) { m_Validator = validator; }
    CEditValidate* GetValidator() const { return m_Validator; }

    // The button whose press abandons the entry: moving the focus to it skips validation. When not
    // set, the Cancel button of a QDialogButtonBox in the edit's window is used.
    void SetCancelButton(QWidget* button) { m_CancelButton = button; }

    CInfoWnd* InfoWindow() const { return m_InfoWindow; }

    // How a refused character is made audible; QApplication::beep by default. Process-wide, so a
    // test can count beeps or a silent build can mute them.
    static void SetBeepHook(std::function<void()> hook);

signals:
    void FocusEntered();
    // Emitted after the validator ran (and possibly rewrote the text).
    void FocusLeft();
    void Beeped();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Beep();
    // Beeps and says in the information window why the character did not go in.
    void Refuse(CEditFilter::ERefusal why);
    void MoveToNextField();
    QWidget* FindCancelButton() const;
    void EnsureInfoWindow();
    // The filtered part of text entering at the selection; beeps when something was left out.
    QString FilterEntering(const QString& entering);
    // Every change of the text passes here (the edit's QValidator): whatever entered since the last
    // accepted text is filtered, so no path around the key handler can bring in other characters.
    void GuardChange(QString& input, int& pos);
    friend class CAutoEditGuard;

    CEditFilter m_Filter;
    QString m_DefaultText;
    CEditValidate* m_Validator = nullptr;
    QPointer<QWidget> m_CancelButton;
    // Owned; it also becomes a child of the window it shows in, which may delete it first.
    QPointer<CInfoWnd> m_InfoWindow;
    bool m_HoldsFocus = false;
    QString m_Accepted;  // the text as the guard last let it through
    QString m_AcceptsText;
    QString m_FullText;
    // Reached by moving on by itself: a Tab pressed next has already been done for the operator.
    bool m_SkipTab = false;
    bool m_ShowingRefusal = false;
    const CLanguageModule* m_Language = nullptr;
};
