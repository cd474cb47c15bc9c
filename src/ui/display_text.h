#pragma once

#include <QString>

class CLanguageModule;
class CModel;

// A string-table text for a control: from the language module when there is one, otherwise the
// program's own English text. Texts are UTF-8.
QString UiText(const CLanguageModule* language, int id);
QString UiText(const CModel* model, int id);

class QWidget;

// A text written in English into a template or the code, in the operator's language when the
// string table knows it (FindStringId); otherwise as it is. A mnemonic ("&File") and the spaces
// around the text are kept.
QString TranslatedText(const CLanguageModule* language, const QString& english);
// Every caption, title, tooltip and accessible name below root (menus and actions included)
// through TranslatedText. The English of each is remembered, so a change of language later
// translates from it again.
void TranslateTemplateTexts(QWidget* root, const CLanguageModule* language);
