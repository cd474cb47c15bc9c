#pragma once

#include <QString>

class CLanguageModule;
class CModel;

// A string-table text for a control: from the language module when there is one, otherwise the
// program's own English text. Texts are UTF-8.
QString UiText(const CLanguageModule* language, int id);
QString UiText(const CModel* model, int id);
