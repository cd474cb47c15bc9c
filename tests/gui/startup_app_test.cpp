#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

#include "app/command_line_info.h"
#include "app/corrin_app.h"
#include "app/corrin_dlg.h"
#include "connection/model.h"
#include "ui/language_module.h"

namespace {

CorrinDlg* ShownMainDialog()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dlg = qobject_cast<CorrinDlg*>(w); dlg && dlg->isVisible())
            return dlg;
    return nullptr;
}

}  // namespace

class StartupAppTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_ComDir.isValid());
        qputenv("VARNEL_COM_DIR", m_ComDir.path().toLocal8Bit());
    }

    void init()
    {
        ResetCommandLineFlags();
        m_Messages.clear();
        m_DialogAtMessage = false;
        m_App = std::make_unique<CorrinApp>();
        m_App->SetMessageBox([this](const QString& text, const QString& caption) {
            m_Messages << caption + "|" + text;
            m_DialogAtMessage = ShownMainDialog() != nullptr;
        });
    }
    void cleanup() { m_App.reset(); }

    void programEndsWithZeroWhenTheMainDialogCloses_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("cancel button") << true;
        QTest::newRow("accepted") << false;
    }

    void programEndsWithZeroWhenTheMainDialogCloses()
    {
        QFETCH(bool, cancel);
        int direct = -1, writeDefaults = -1;
        CLanguageModule* lang = nullptr;
        const int code = Run({"varnel-link-manager", "-dir"}, "en_US.UTF-8", [&](CorrinDlg* dlg) {
            // The options and the language module reach the model before the dialog runs.
            direct = m_App->GetModel()->GetDirectConnectEnabled();
            writeDefaults = m_App->GetModel()->GetWriteDefaultsFlags();
            lang = m_App->GetModel()->GetLanguageModule();
            if (cancel)
                QTest::mouseClick(dlg->findChild<QPushButton*>("buttonCancel"), Qt::LeftButton);
            else
                dlg->accept();
        });
        QCOMPARE(code, 0);
        QVERIFY(ShownMainDialog() == nullptr);
        QCOMPARE(direct, 1);
        QCOMPARE(writeDefaults, 1);
        QCOMPARE(lang, m_App->GetLanguageModule());
        QVERIFY(m_Messages.isEmpty());
    }

    void unlistedSystemLanguageIsReportedOnceBeforeTheDialog()
    {
        std::string textWhileShown;
        QCOMPARE(Run({"varnel-link-manager"}, "en_GB.UTF-8", [&](CorrinDlg* dlg) {
            textWhileShown = m_App->GetModel()->GetLanguageModule()->LoadText(158);
            dlg->reject();
        }), 0);
        QCOMPARE(m_Messages,
                 QStringList{"Varnel Link Manager|Unable to load system language, default language is used"});
        QVERIFY(!m_DialogAtMessage);
        QCOMPARE(textWhileShown, std::string("Language"));
    }

    void systemLanguageFileIsLoadedFromTheWorkingDirectory()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid() && QDir(dir.path()).mkpath("DEBUG/languages"));
        QFile file(dir.filePath("DEBUG/languages/german.lng"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("158=Sprache\n") > 0);
        file.close();
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        std::string textWhileShown;
        Run({"varnel-link-manager"}, "de_AT.UTF-8", [&](CorrinDlg* dlg) {
            textWhileShown = m_App->GetModel()->GetLanguageModule()->LoadText(158);
            dlg->reject();
        });
        QDir::setCurrent(previous);
        QVERIFY(m_Messages.isEmpty());
        QCOMPARE(textWhileShown, std::string("Sprache"));
        QCOMPARE(m_App->GetLanguageModule()->GetCurrentLanguage(), std::string("german"));
    }

private:
    // Runs the application with the arguments and locale; once the main dialog is up, hands it to
    // `whenShown`, which must close it. Returns Run's result.
    int Run(const QStringList& arguments, const std::string& locale,
            const std::function<void(CorrinDlg*)>& whenShown)
    {
        m_App->SetEnvironmentReader([locale](const std::string& name) { return name == "LANG" ? locale : ""; });
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (CorrinDlg* dlg = ShownMainDialog()) {
                poll.stop();
                whenShown(dlg);
            }
        });
        poll.start(10);
        return m_App->Run(arguments);
    }

    QTemporaryDir m_ComDir;
    std::unique_ptr<CorrinApp> m_App;
    QStringList m_Messages;
    bool m_DialogAtMessage = false;
};

QTEST_MAIN(StartupAppTest)
#include "startup_app_test.moc"
