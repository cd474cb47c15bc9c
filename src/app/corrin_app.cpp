#include "app/corrin_app.h"

#include <QCoreApplication>
#include <QMessageBox>

#include <string>
#include <vector>

#include "app/corrin_dlg.h"
#include "connection/model.h"
#include "ui/language_module.h"

namespace {

void ShowOkMessage(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok);
    box.exec();
}

}  // namespace

CorrinApp::CorrinApp()
    : m_LanguageModule(std::make_unique<CLanguageModule>())
    , m_MessageBox(ShowOkMessage)
{
    m_LanguageModule->Configure(LanguageFolder, DefaultLanguage);
    m_Model = std::make_unique<CModel>();
}

CorrinApp::~CorrinApp()
{
    m_Model.reset();
    m_LanguageModule->Unload();
    m_LanguageModule.reset();
}

bool CorrinApp::InitInstance(const QStringList& arguments)
{
    std::vector<std::string> args;
    args.reserve(static_cast<std::size_t>(arguments.size()));
    for (const QString& a : arguments)
        args.push_back(a.toStdString());
    ParseCommandLine(m_CmdInfo, args);

    m_Model->SetDirectConnectEnabled(g_DirectConnectFlag);
    m_Model->SetWriteDefaultsFlags(g_WriteDefaultsFlag);

    // The settings key the framework would use; the program itself stores nothing.
    QCoreApplication::setOrganizationName(QStringLiteral("OSTROVAGPS_ZEP"));

    const int languageId = m_ReadEnv ? SystemDefaultLanguageId(m_ReadEnv) : SystemDefaultLanguageId();
    if (!m_LanguageModule->SelectLanguage(languageId))
        m_MessageBox(QStringLiteral("Unable to load system language, default language is used"),
                     QStringLiteral("Varnel Link Manager"));

    {
        CorrinDlg dlg;
        m_Model->SetLanguageModule(m_LanguageModule.get());
        dlg.SetModel(m_Model.get());
        dlg.exec();  // whatever it returns, the run is over
    }
    return false;
}

int CorrinApp::Run(const QStringList& arguments)
{
    InitInstance(arguments);
    return 0;
}
