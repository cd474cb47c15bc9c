#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

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

// Runs the application with the given arguments and locale; once the main dialog is up, calls
// onShown and then closes the dialog with closeWith. Returns Run's result.
int RunClosing(CorrinApp& app, const QStringList& arguments, const std::string& locale,
               const std::function<void(CorrinDlg*)>& closeWith, const std::function<void()>& onShown = {})
{
    app.SetEnvironmentReader([locale](const std::string& name) { return name == "LANG" ? locale : std::string(); });
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (CorrinDlg* dlg = ShownMainDialog()) {
            poll.stop();
            if (onShown)
                onShown();
            closeWith(dlg);
        }
    });
    poll.start();
    // Never hang the suite if the dialog does not appear or refuses to close.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible())
                d->done(QDialog::Rejected);
    });
    watchdog.start(20000);
    return app.Run(arguments);
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
    }

    void programEndsWhenTheMainDialogCloses_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("cancel") << false;
        QTest::newRow("ok") << true;
    }

    void programEndsWhenTheMainDialogCloses()
    {
        QFETCH(bool, accept);
        CorrinApp app;
        Silence(app);
        bool shown = false;
        const int code = RunClosing(app, {"varnel-link-manager"}, "en_US.UTF-8",
                                    [accept](CorrinDlg* dlg) { accept ? dlg->accept() : dlg->reject(); },
                                    [&] { shown = true; });
        QVERIFY(shown);
        QCOMPARE(code, 0);
        QVERIFY(ShownMainDialog() == nullptr);
    }

    void optionsAndLanguageModuleReachTheModelBeforeTheDialogRuns()
    {
        CorrinApp app;
        Silence(app);
        int direct = -1, writeDefaults = -1;
        CLanguageModule* lang = nullptr;
        RunClosing(app, {"varnel-link-manager", "-dir"}, "en_US", [](CorrinDlg* d) { d->reject(); }, [&] {
            direct = app.GetModel()->GetDirectConnectEnabled();
            writeDefaults = app.GetModel()->GetWriteDefaultsFlags();
            lang = app.GetModel()->GetLanguageModule();
        });
        QCOMPARE(direct, 1);
        QCOMPARE(writeDefaults, 1);
        QCOMPARE(lang, app.GetLanguageModule());
    }

    void unlistedSystemLanguageIsReportedOnceAndEnglishIsShown()
    {
        CorrinApp app;
        bool dialogExistedAtMessage = false;
        app.SetMessageBox([&](const QString& text, const QString& caption) {
            m_Messages << caption + "|" + text;
            dialogExistedAtMessage = ShownMainDialog() != nullptr;
        });
        QCOMPARE(RunClosing(app, {"varnel-link-manager"}, "en_GB.UTF-8", [](CorrinDlg* d) { d->reject(); }), 0);
        QCOMPARE(m_Messages,
                 QStringList{"Varnel Link Manager|Unable to load system language, default language is used"});
        QVERIFY(!dialogExistedAtMessage);
        QCOMPARE(app.GetLanguageModule()->GetCurrentLanguage(), std::string());
        QCOMPARE(app.GetLanguageModule()->LoadText(152), std::string("Latitude"));
    }

    void systemLanguageFileIsLoadedFromTheWorkingDirectory()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkpath("DEBUG/languages"));
        QFile file(dir.filePath("DEBUG/languages/german.lng"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("158=Sprache\n");
        file.close();
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));

        CorrinApp app;
        Silence(app);
        std::string textWhileShown;
        RunClosing(app, {"varnel-link-manager"}, "de_AT.UTF-8", [](CorrinDlg* d) { d->reject(); },
                   [&] { textWhileShown = app.GetModel()->GetLanguageModule()->LoadText(158); });
        QDir::setCurrent(previous);

        QVERIFY(m_Messages.isEmpty());
        QCOMPARE(textWhileShown, std::string("Sprache"));
        QCOMPARE(app.GetLanguageModule()->GetCurrentLanguage(), std::string("german"));
    }

private:
    void Silence(CorrinApp& app)
    {
        app.SetMessageBox([this](const QString& text, const QString& caption) { m_Messages << caption + "|" + text; });
    }

    QTemporaryDir m_ComDir;
    QStringList m_Messages;
};

QTEST_MAIN(StartupAppTest)
#include "startup_app_test.moc"
