#pragma once

#include <QString>

class QWidget;

// The questions a dialog asks the operator through the platform's boxes: file names and error
// messages. Tests install their own answers with SetCurrent, so nothing waits for a person.
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
    // An error box with OK, captioned with the program's name.
    virtual void Error(QWidget* parent, const QString& text) = 0;

    // The prompter in use: the platform's unless a test set another.
    static CPrompter& Current();
    // nullptr returns to the platform's.
    static void SetCurrent(CPrompter* prompter);
};
