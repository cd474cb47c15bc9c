#include "ui/display_text.h"

#include "connection/model.h"
#include "ui/language_module.h"
#include "ui/string_table.h"

QString UiText(const CLanguageModule* language, int id)
{
    if (language)
        return QString::fromStdString(language->LoadText(id));
    return QString::fromUtf8(BuiltInStringText(id));
}

QString UiText(const CModel* model, int id)
{
    return UiText(model ? model->GetLanguageModule() : nullptr, id);
}
