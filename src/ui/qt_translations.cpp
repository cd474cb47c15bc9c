#include "ui/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace {

const char* QtCodeFor(const std::string& languageName)
{
    static constexpr struct { const char* Name; const char* Code; } kCodes[] = {
        {"spanish", "es"}, {"german", "de"}, {"french", "fr"}, {"italian", "it"}, {"dutch", "nl"},
        {"polish", "pl"}, {"portugues_br", "pt_BR"}, {"russian", "ru"}, {"czech", "cs"}, {"danish", "da"},
        {"finnish", "fi"}, {"hungarian", "hu"}, {"slovak", "sk"}, {"swedish", "sv"}, {"turkish", "tr"},
        {"greek", "el"}, {"norwegian", "nb"},
    };
    for (const auto& c : kCodes)
        if (languageName == c.Name)
            return c.Code;
    return nullptr;
}

}  // namespace

bool InstallQtTranslations(const std::string& languageName)
{
    static std::unique_ptr<QTranslator> installed;
    if (installed) {
        QCoreApplication::removeTranslator(installed.get());
        installed.reset();
    }
    const char* code = QtCodeFor(languageName);
    if (!code)
        return false;
    auto translator = std::make_unique<QTranslator>();
    const QString file = QStringLiteral("qtbase_") + QLatin1String(code);
    const QString folders[] = {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                               QCoreApplication::applicationDirPath() + QStringLiteral("/translations")};
    for (const QString& folder : folders) {
        if (translator->load(file, folder)) {
            QCoreApplication::installTranslator(translator.get());
            installed = std::move(translator);
            return true;
        }
    }
    return false;
}
