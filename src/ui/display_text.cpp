#include "ui/display_text.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QWidget>

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

QString TranslatedText(const CLanguageModule* language, const QString& english)
{
    if (!language || english.isEmpty())
        return english;
    QString plain = english;
    const qsizetype amp = plain.indexOf(QLatin1Char('&'));
    const bool mnemonic = amp >= 0 && amp + 1 < plain.size() && plain[amp + 1] != QLatin1Char('&');
    if (mnemonic)
        plain.remove(amp, 1);
    const QString core = plain.trimmed();
    const int id = FindStringId(core.toStdString());
    if (id == 0)
        return english;
    QString translated = QString::fromStdString(language->LoadText(id));
    if (translated.isEmpty() || translated == core)
        return english;
    if (mnemonic) {
        // The same letter when the translation has it, else the first.
        const QChar key = english[amp + 1].toLower();
        qsizetype at = translated.toLower().indexOf(key);
        if (at < 0)
            at = 0;
        translated.insert(at, QLatin1Char('&'));
    }
    const qsizetype lead = plain.indexOf(core);
    return plain.left(lead) + translated + plain.mid(lead + core.size());
}

namespace {

// The English a property had, kept on the object under its own name with what was shown for it; a
// text the code has set since then is the new English.
template <class Get, class Set>
void Translate(QObject* object, const char* key, const CLanguageModule* language, Get get, Set set)
{
    const QByteArray shownKey = QByteArray(key) + "Shown";
    const QString current = get();
    QString english = object->property(key).toString();
    if (!object->property(key).isValid() ||
        (current != english && current != object->property(shownKey.constData()).toString())) {
        english = current;
        object->setProperty(key, english);
    }
    const QString text = TranslatedText(language, english);
    object->setProperty(shownKey.constData(), text);
    if (text != current)
        set(text);
}

void TranslateWidget(QWidget* w, const CLanguageModule* language)
{
    Translate(w, "varnelEnglishTitle", language, [w] { return w->windowTitle(); },
              [w](const QString& t) { w->setWindowTitle(t); });
    Translate(w, "varnelEnglishName", language, [w] { return w->accessibleName(); },
              [w](const QString& t) { w->setAccessibleName(t); });
    Translate(w, "varnelEnglishTip", language, [w] { return w->toolTip(); },
              [w](const QString& t) { w->setToolTip(t); });
    if (auto* label = qobject_cast<QLabel*>(w))
        Translate(w, "varnelEnglishText", language, [label] { return label->text(); },
                  [label](const QString& t) { label->setText(t); });
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
        Translate(w, "varnelEnglishText", language, [button] { return button->text(); },
                  [button](const QString& t) { button->setText(t); });
    else if (auto* group = qobject_cast<QGroupBox*>(w))
        Translate(w, "varnelEnglishText", language, [group] { return group->title(); },
                  [group](const QString& t) { group->setTitle(t); });
    else if (auto* menu = qobject_cast<QMenu*>(w))
        Translate(w, "varnelEnglishText", language, [menu] { return menu->title(); },
                  [menu](const QString& t) { menu->setTitle(t); });
}

}  // namespace

void TranslateTemplateTexts(QWidget* root, const CLanguageModule* language)
{
    if (!root)
        return;
    TranslateWidget(root, language);
    for (QWidget* w : root->findChildren<QWidget*>())
        TranslateWidget(w, language);
    for (QAction* a : root->findChildren<QAction*>()) {
        Translate(a, "varnelEnglishText", language, [a] { return a->text(); },
                  [a](const QString& t) { a->setText(t); });
        Translate(a, "varnelEnglishTip", language, [a] { return a->toolTip(); },
                  [a](const QString& t) { a->setToolTip(t); });
    }
}
