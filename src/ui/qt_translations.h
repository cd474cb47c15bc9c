#pragma once

#include <string>

// Qt's own texts (the buttons of message and file dialogs, context menus) in the language the
// program's texts are in: Debian's Qt translations, or a "translations" folder beside the program.
// languageName is a language file's name ("spanish"); one without a Qt translation gives English.
// True when a translation was loaded.
bool InstallQtTranslations(const std::string& languageName);
