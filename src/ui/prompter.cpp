#include "ui/prompter.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

class CPlatformPrompter : public CPrompter {
public:
    QString SaveFileName(QWidget* parent, const QString& initial, const QString& filter, const QString& suffix) override
    {
        return Ask(parent, initial, filter, suffix, QFileDialog::AcceptSave);
    }
    QString OpenFileName(QWidget* parent, const QString& initial, const QString& filter, const QString& suffix) override
    {
        return Ask(parent, initial, filter, suffix, QFileDialog::AcceptOpen);
    }
    void Message(QWidget* parent, QMessageBox::Icon icon, const QString& text) override
    {
        QMessageBox box(icon, QStringLiteral("Varnel Link Manager"), text, QMessageBox::Ok, parent);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
    bool Question(QWidget* parent, const QString& text, const QString& acceptText) override
    {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Varnel Link Manager"), text, QMessageBox::NoButton,
                        parent);
        box.setTextFormat(Qt::PlainText);
        QPushButton* accept = box.addButton(acceptText, QMessageBox::AcceptRole);
        QPushButton* cancel = box.addButton(QMessageBox::Cancel);
        box.setDefaultButton(cancel);
        box.setEscapeButton(cancel);
        box.exec();
        return box.clickedButton() == accept;
    }
    QString SaveFileNameFiltered(QWidget* parent, const QString& initial, const QString& filters,
                                 QString& selectedFilter) override
    {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setNameFilter(filters);
        // The suffix follows the filter, so the overwrite question is asked about the real name.
        const auto suffixOf = [](const QString& filter) {
            const qsizetype star = filter.indexOf(QStringLiteral("*."));
            return star < 0 ? QString() : filter.mid(star + 2).section(QLatin1Char(' '), 0, 0).remove(QLatin1Char(')'));
        };
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, suffixOf](const QString& filter) { dialog.setDefaultSuffix(suffixOf(filter)); });
        dialog.setDefaultSuffix(suffixOf(dialog.selectedNameFilter()));
        if (!initial.isEmpty())
            dialog.selectFile(initial);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        selectedFilter = dialog.selectedNameFilter();
        return dialog.selectedFiles().first();
    }
    bool Question(QWidget* parent, const QString& text, const QString& accept, const QString& reject) override
    {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Varnel Link Manager"), text, QMessageBox::NoButton,
                        parent);
        box.setTextFormat(Qt::PlainText);
        QPushButton* yes = box.addButton(accept, QMessageBox::AcceptRole);
        QPushButton* no = box.addButton(reject, QMessageBox::RejectRole);
        box.setDefaultButton(no);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes;
    }

private:
    static QString Ask(QWidget* parent, const QString& initial, const QString& filter, const QString& suffix,
                       QFileDialog::AcceptMode mode)
    {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(mode);
        dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setNameFilter(filter);
        dialog.setDefaultSuffix(suffix);
        if (!initial.isEmpty())
            dialog.selectFile(initial);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().first();
    }
};

CPrompter* g_Current = nullptr;

}  // namespace

bool CPrompter::Question(QWidget*, const QString&, const QString&)
{
    return true;
}

CPrompter& CPrompter::Current()
{
    static CPlatformPrompter platform;
    return g_Current ? *g_Current : platform;
}

void CPrompter::SetCurrent(CPrompter* prompter)
{
    g_Current = prompter;
}
