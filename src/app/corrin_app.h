#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

#include "app/command_line_info.h"
#include "ui/system_language.h"

class CLanguageModule;
class CModel;

// The application object: owns the command-line parser, the language module and the model for the
// whole run, and runs the main dialog once. Construct the QApplication first.
class CorrinApp {
public:
    // Shows a message with an OK button only.
    using MessageBox = std::function<void(const QString& text, const QString& caption)>;

    static constexpr const char* LanguageFolder = "DEBUG/languages";
    static constexpr const char* DefaultLanguage = "spanish";
    // Diagnostic for checking an installation without a display: when this variable is set, the
    // main dialog writes its language, whether the map page and PROJ's database are found, and its
    // texts, once shown, and closes, ending the run. "1" writes to the standard output, another
    // value names the file to write.
    static constexpr const char* PrintCaptionsVariable = "VARNEL_PRINT_CAPTIONS";

    CorrinApp();
    ~CorrinApp();
    CorrinApp(const CorrinApp&) = delete;
    CorrinApp& operator=(const CorrinApp&) = delete;

    // Start-up and the modal main dialog; returns false once the dialog has closed, as there is
    // no message loop to run afterwards. arguments[0] is the program name.
    bool InitInstance(const QStringList& arguments);
    // InitInstance, then the process exit code.
    int Run(const QStringList& arguments);

    // Replacements so that tests never block on a message box or depend on the real locale.
    void SetMessageBox(MessageBox messageBox) { m_MessageBox = std::move(messageBox); }
    void SetEnvironmentReader(EnvironmentReader readEnv) { m_ReadEnv = std::move(readEnv); }

    CModel* GetModel() const { return m_Model.get(); }
    CLanguageModule* GetLanguageModule() const { return m_LanguageModule.get(); }
    const CMyCommandLineInfo& GetCommandLineInfo() const { return m_CmdInfo; }

private:
    CMyCommandLineInfo m_CmdInfo;
    std::unique_ptr<CLanguageModule> m_LanguageModule;
    std::unique_ptr<CModel> m_Model;
    MessageBox m_MessageBox;
    // Unset: the system's language (on Windows the user's UI language, not the environment).
    EnvironmentReader m_ReadEnv;
};
