#pragma once

#include <functional>
#include <utility>

#include <QStringList>

#include "ui/prompter.h"

// Answers the program's questions while it lives: no file is chosen, and every message box goes to
// `onMessage` instead of waiting for a person.
class CRecordingPrompter : public CPrompter {
public:
    using Handler = std::function<void(QMessageBox::Icon icon, const QString& text)>;

    explicit CRecordingPrompter(Handler onMessage) : m_OnMessage(std::move(onMessage)) { SetCurrent(this); }
    ~CRecordingPrompter() override { SetCurrent(nullptr); }
    CRecordingPrompter(const CRecordingPrompter&) = delete;
    CRecordingPrompter& operator=(const CRecordingPrompter&) = delete;

    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString OpenFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    void Message(QWidget*, QMessageBox::Icon icon, const QString& text) override { m_OnMessage(icon, text); }
    // Every question is kept; the answer is Answer's (yes unless a test says otherwise).
    bool Question(QWidget*, const QString& text, const QString&) override
    {
        Questions.push_back(text);
        return Answer;
    }

    QStringList Questions;
    bool Answer = true;

private:
    Handler m_OnMessage;
};
