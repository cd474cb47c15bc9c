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

    QString SaveFileName(QWidget*, const QString&, const QString&, const QString&) override { return NextFile(); }
    QString OpenFileName(QWidget*, const QString&, const QString&, const QString&) override { return NextFile(); }
    void Message(QWidget*, QMessageBox::Icon icon, const QString& text) override { m_OnMessage(icon, text); }
    // Every question is kept. Question with one answer: Answer (yes unless a test says otherwise);
    // with two: Answers in turn (Cancel once used up).
    bool Question(QWidget*, const QString& text, const QString&) override
    {
        Questions.push_back(text);
        return Answer;
    }
    bool Question(QWidget*, const QString& text, const QString& accept, const QString&) override
    {
        Questions.push_back(text);
        return Answers.isEmpty() ? false : Answers.takeFirst() == accept;
    }

    // Chosen in turn by the file dialogs; none (cancelled) once used up.
    QStringList Files;
    QStringList Questions;
    bool Answer = true;
    QStringList Answers;

private:
    QString NextFile() { return Files.isEmpty() ? QString() : Files.takeFirst(); }

public:

private:
    Handler m_OnMessage;
};
