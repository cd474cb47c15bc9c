#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

// The questions a dialog asks the operator through the platform's boxes: file names and messages.
// Tests install their own answers with SetCurrent, so nothing waits for a person.
class CPrompter {
public:
    virtual ~CPrompter() = default;

    // A file to save to (the platform asks before an existing file is overwritten); empty when
    // cancelled. filter: "Mark Files(*.mrk);;All Files(*.*)"; suffix: added when the name has none.
    virtual QString SaveFileName(QWidget* parent, const QString& initial, const QString& filter,
                                 const QString& suffix) = 0;
    // An existing file to read; empty when cancelled.
    virtual QString OpenFileName(QWidget* parent, const QString& initial, const QString& filter,
                                 const QString& suffix) = 0;
    // A box with OK, captioned with the program's name. The text is plain, never markup: it may
    // quote a file, a path or a radio's answer.
    virtual void Message(QWidget* parent, QMessageBox::Icon icon, const QString& text) = 0;
    void Error(QWidget* parent, const QString& text) { Message(parent, QMessageBox::Warning, text); }
    // A question before something is lost: true when the operator chose acceptText, false for
    // Cancel (the default button). Plain text. A prompter that asks nobody lets it go ahead.
    virtual bool Question(QWidget* parent, const QString& text, const QString& acceptText);

    // A file to save to, offering several filters ("CSV (*.csv);;GPX (*.gpx)"): the suffix follows
    // the chosen filter, which comes back in selectedFilter. By default SaveFileName without a suffix.
    virtual QString SaveFileNameFiltered(QWidget* parent, const QString& initial, const QString& filters,
                                         QString& selectedFilter)
    {
        (void)selectedFilter;
        return SaveFileName(parent, initial, filters, QString());
    }
    // A question with two answers (plain text); true for `accept`. By default the safe answer, false.
    virtual bool Question(QWidget* parent, const QString& text, const QString& accept, const QString& reject)
    {
        (void)parent, (void)text, (void)accept, (void)reject;
        return false;
    }

    // The prompter in use: the platform's unless a test set another.
    static CPrompter& Current();
    // nullptr returns to the platform's.
    static void SetCurrent(CPrompter* prompter);
};
