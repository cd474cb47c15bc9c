#include "app/corrin_app.h"

#include "ui/qt_translations.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

#include <string>
#include <vector>

#include "app/corrin_dlg.h"
#include "base/map_page.h"
#include "connection/model.h"
#include "marks/grid_coordinates.h"
#include "ui/installed_data.h"
#include "ui/language_module.h"

namespace {

void ShowOkMessage(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok);
    box.exec();
}

// Prints the shown main dialog's caption and control texts, one "name=text" a line, so that an
// installed copy can be checked without a display (see CorrinApp::PrintCaptionsVariable).
void PrintCaptions(const QDialog& dlg, const std::string& language, const QString& target)
{
    const bool page = FindMapPage(QCoreApplication::applicationDirPath().toStdU16String()).has_value();
    const EGridError grid = CGridCoordinates().State();
    QStringList lines{QStringLiteral("language=") + QString::fromStdString(language),
                      QStringLiteral("mapPage=") + (page ? QStringLiteral("found") : QStringLiteral("missing")),
                      QStringLiteral("gridDatabase=") + (grid == EGridError::None         ? QStringLiteral("found")
                                                         : grid == EGridError::NoDatabase ? QStringLiteral("missing")
                                                                                          : QStringLiteral("not built")),
                      QStringLiteral("windowTitle=") + dlg.windowTitle()};
    for (QWidget* w : dlg.findChildren<QWidget*>()) {
        QString text;
        if (auto* label = qobject_cast<QLabel*>(w))
            text = label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            text = button->text();
        else if (auto* group = qobject_cast<QGroupBox*>(w))
            text = group->title();
        if (!text.isEmpty() && w->isVisibleTo(&dlg))
            lines << w->objectName() + QLatin1Char('=') + text;
    }
    const QByteArray text = lines.join(QLatin1Char('\n')).append(QLatin1Char('\n')).toUtf8();
    // "1" prints; anything else names a file (a Windows program's output reaches no terminal).
    if (target == QLatin1String("1")) {
        std::fputs(text.constData(), stdout);
        std::fflush(stdout);
        return;
    }
    QFile file(target);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text);
}

}  // namespace

CorrinApp::CorrinApp()
    : m_LanguageModule(std::make_unique<CLanguageModule>())
    , m_MessageBox(ShowOkMessage)
{
    m_LanguageModule->Configure(LanguageFolder, DefaultLanguage);
    // Started from the menu the working directory is anywhere: the installed files serve then.
    m_LanguageModule->SetInstalledFolder(
        InstalledLanguageFolder(QCoreApplication::applicationDirPath().toStdString()));
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

    InstallQtTranslations(m_LanguageModule->IsLibraryLoaded() ? m_LanguageModule->GetCurrentLanguage() : std::string());
    {
        CorrinDlg dlg;
        m_Model->SetLanguageModule(m_LanguageModule.get());
        dlg.SetModel(m_Model.get());
        if (qEnvironmentVariableIsSet(PrintCaptionsVariable))
            QTimer::singleShot(0, &dlg, [this, &dlg] {
                PrintCaptions(dlg, m_LanguageModule->GetCurrentLanguage(),
                              qEnvironmentVariable(PrintCaptionsVariable));
                dlg.done(0);
            });
        dlg.exec();  // whatever it returns, the run is over
    }
    return false;
}

int CorrinApp::Run(const QStringList& arguments)
{
    InitInstance(arguments);
    return 0;
}
