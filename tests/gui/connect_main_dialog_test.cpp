#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "app/corrin_dlg.h"
#include "connection/model.h"
#include "ui/dialog_about2.h"
#include "ui/language_module.h"
#include "version.h"

namespace {

template <class T>
T* Child(QWidget& parent, const char* name)
{
    T* child = parent.findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no control %s", name);
    return child;
}

}  // namespace

class ConnectMainDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        // No aliases, so nothing a test connects to can be a real device.
        QVERIFY(m_ComDir.isValid());
        qputenv("VARNEL_COM_DIR", m_ComDir.path().toUtf8());
    }

    void textsCaptionChoicesAndLanguageSwitch()
    {
        QTemporaryDir work;
        QVERIFY(work.isValid());
        std::filesystem::create_directories(work.path().toStdString() + "/DEBUG/languages");
        std::ofstream(work.path().toStdString() + "/DEBUG/languages/spanish.lng")
            << "155=Puerto\n158=Idioma\n161=Conectar\n";
        const QString before = QDir::currentPath();
        QDir::setCurrent(work.path());

        CModel model;
        CLanguageModule language;
        language.Configure("DEBUG/languages", "spanish");
        model.SetLanguageModule(&language);
        CorrinDlg dlg;
        dlg.SetModel(&model);

        QCOMPARE(Child<QLabel>(dlg, "labelPort")->text(), QStringLiteral("Port"));
        QCOMPARE(Child<QRadioButton>(dlg, "radioBase")->text(), QStringLiteral("Base Configuration"));
        QCOMPARE(Child<QRadioButton>(dlg, "radioRadio")->text(), QStringLiteral("Radio Configuration"));
        // Template texts stay for the untranslated controls.
        QCOMPARE(Child<QRadioButton>(dlg, "radioDirectRover")->text(), QStringLiteral("Direct Connect - Rover"));
        QCOMPARE(Child<QPushButton>(dlg, "buttonCancel")->text(), QStringLiteral("Cancel"));
        const QString shortVersion = QString::asprintf("%2d.%d", VARNEL_VERSION_MAJOR, VARNEL_VERSION_MINOR);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Varnel Link Manager - v") + shortVersion);
        for (QWidget* w : dlg.findChildren<QWidget*>()) {
            if (w->objectName().startsWith(QLatin1String("qt_")))  // Qt's own parts of the menu bar
                continue;
            if (qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractButton*>(w))
                QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
        }

        // Connect waits for a choice; any of the radio buttons gives one.
        auto* connect = Child<QPushButton>(dlg, "buttonConnect");
        QVERIFY(!connect->isEnabled());
        Child<QRadioButton>(dlg, "radioRadio")->setChecked(true);
        QVERIFY(connect->isEnabled());

        auto* languages = Child<QComboBox>(dlg, "comboLanguage");
        QCOMPARE(languages->count(), 3);
        QCOMPARE(languages->currentIndex(), 0);
        QCOMPARE(languages->itemText(0), QStringLiteral("English"));
        QCOMPARE(languages->itemData(0).toInt(), 1033);
        QCOMPARE(languages->itemData(2).toInt(), 1031);  // Spanish shows itself below
        QVERIFY(language.GetCurrentLanguage().empty());  // selecting the first entry at start is no change

        languages->setCurrentIndex(1);
        QCOMPARE(Child<QLabel>(dlg, "labelPort")->text(), QStringLiteral("Puerto"));
        QCOMPARE(connect->text(), QStringLiteral("Conectar"));
        QCOMPARE(connect->accessibleName(), QStringLiteral("Conectar"));
        QCOMPARE(Child<QComboBox>(dlg, "comboPort")->accessibleName(), QStringLiteral("Puerto"));
        // Ids the file lacks fall back to the program's own texts.
        QCOMPARE(Child<QRadioButton>(dlg, "radioRadio")->text(), QStringLiteral("Radio Configuration"));
        // Qt's own buttons follow (Debian's Qt translations).
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancelar"));

        // German has no file here: the Spanish library is let go and English comes back.
        languages->setCurrentIndex(2);
        QVERIFY(!language.IsLibraryLoaded());
        QCOMPARE(Child<QLabel>(dlg, "labelPort")->text(), QStringLiteral("Port"));
        QCOMPARE(Child<QLabel>(dlg, "labelLanguage")->text(), QStringLiteral("Language"));
        QCOMPARE(connect->text(), QStringLiteral("Connect"));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
        QDir::setCurrent(before);
    }

    void optionsShowOnlyWhatTheCommandLineAskedAndHiddenOnesFreeTheirSpace()
    {
        struct Case { int direct; int flags; bool directShown; bool writeShown; bool writeTicked; } cases[] = {
            {0, 0, false, false, false},
            {0, WriteDefaults::OptionGiven, false, true, true},
            {1, WriteDefaults::OptionGiven, true, true, true},
            {1, 0, true, true, false},
        };
        int leftOfChoices[2] = {-1, -1};  // by direct, with no other option shown
        for (const Case& c : cases) {
            CModel model;
            model.SetDirectConnectEnabled(c.direct);
            model.SetWriteDefaultsFlags(c.flags);
            CorrinDlg dlg;
            dlg.SetModel(&model);
            dlg.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dlg));
            QCOMPARE(Child<QRadioButton>(dlg, "radioDirectRover")->isVisible(), c.directShown);
            QCOMPARE(Child<QRadioButton>(dlg, "radioDirectBase")->isVisible(), c.directShown);
            QCOMPARE(Child<QCheckBox>(dlg, "checkWriteDefaults")->isVisible(), c.writeShown);
            QCOMPARE(Child<QCheckBox>(dlg, "checkWriteDefaults")->isChecked(), c.writeTicked);
            auto* base = Child<QRadioButton>(dlg, "radioBase");
            auto* radio = Child<QRadioButton>(dlg, "radioRadio");
            QVERIFY(base->x() == radio->x() && base->y() < radio->y());  // one above the other
            if (c.flags == 0)
                leftOfChoices[c.direct] = base->x();
        }
        QVERIFY2(leftOfChoices[0] + 60 <= leftOfChoices[1],
                 qPrintable(QStringLiteral("%1 vs %2").arg(leftOfChoices[0]).arg(leftOfChoices[1])));
    }

    void emptyPortListReportsPortMinusOne()
    {
        CModel model;
        model.SetModeCode(ModeCodes::SatelBase);  // left from an earlier connection
        CorrinDlg dlg;
        dlg.SetModel(&model);
        QStringList shown;
        dlg.SetErrorBox([&](QWidget*, const QString& caption, const QString& text) { shown << caption << text; });
        int dialogs = 0;
        dlg.SetDialogHook([&](QDialog*) { ++dialogs; });

        Child<QComboBox>(dlg, "comboPort")->clear();
        Child<QRadioButton>(dlg, "radioBase")->setChecked(true);
        QTest::mouseClick(Child<QPushButton>(dlg, "buttonConnect"), Qt::LeftButton);

        QCOMPARE(shown, (QStringList{"Varnel Link Manager", "Could not open com port -1  "}));
        QCOMPARE(model.GetPortNumber(), -1);
        QCOMPARE(model.GetModeCode(), ModeCodes::SatelBase);  // nothing else changes
        QCOMPARE(dialogs, 0);
    }

#ifndef _WIN32
    // The port list is read again when it opens, keeping the choice; the language list starts on the
    // language in use, each named in itself.
    void portListFollowsAdaptersAndLanguageListStartsOnTheOneInUse()
    {
        std::vector<int> masters;
        const auto plug = [&](int number) {
            const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
            QVERIFY(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
            masters.push_back(master);
            std::filesystem::create_symlink(::ptsname(master), m_ComDir.path().toStdString() + "/com" + std::to_string(number));
        };
        plug(5);
        plug(8);
        const QString before = QDir::currentPath();
        QDir::setCurrent(VARNEL_SOURCE_DIR);
        CModel model;
        CLanguageModule language;
        language.Configure("resources/languages", "english");
        QVERIFY(language.SelectLanguage(0x0C0A));
        model.SetLanguageModule(&language);
        CorrinDlg dlg;
        dlg.SetModel(&model);
        QDir::setCurrent(before);

        auto* languages = Child<QComboBox>(dlg, "comboLanguage");
        QCOMPARE(languages->currentIndex(), 1);
        QCOMPARE(languages->itemText(1), QString::fromUtf8("Espa\xC3\xB1ol"));
        QCOMPARE(languages->itemText(2), QStringLiteral("Deutsch"));
        QCOMPARE(Child<QLabel>(dlg, "labelPort")->text(), QStringLiteral("Puerto"));

        auto* ports = Child<QComboBox>(dlg, "comboPort");
        const auto numbers = [ports] {
            QList<int> n;
            for (int i = 0; i < ports->count(); ++i)
                n << ports->itemData(i).toInt();
            return n;
        };
        // The machine's own ports may be listed too.
        QVERIFY(numbers().contains(5) && numbers().contains(8) && !numbers().contains(3));
        ports->setCurrentIndex(ports->findData(8));
        plug(3);
        ports->showPopup();
        ports->hidePopup();
        QVERIFY(numbers().contains(3) && numbers().contains(8));
        QCOMPARE(ports->currentData().toInt(), 8);  // the choice stays
        std::filesystem::remove(m_ComDir.path().toStdString() + "/com8");
        ports->showPopup();
        ports->hidePopup();
        QVERIFY(numbers().contains(3) && !numbers().contains(8));
        for (int master : masters)
            ::close(master);
        for (int n : {3, 5})
            std::filesystem::remove(m_ComDir.path().toStdString() + "/com" + std::to_string(n));
    }
#endif

    void aboutShowsTheLongVersion()
    {
        CModel model;
        CorrinDlg dlg;
        dlg.SetModel(&model);
        QString line;
        dlg.SetDialogHook([&](QDialog* d) {
            auto* about = qobject_cast<CDialogAbout2*>(d);
            QVERIFY(about);
            line = about->VersionLine();
            QVERIFY(!about->CopyrightLine().isEmpty());
            QTimer::singleShot(0, about, [about] {
                QTest::mouseClick(about->findChild<QPushButton*>("buttonOk"), Qt::LeftButton);
            });
        });
        auto* about = dlg.findChild<QAction*>("actionAbout");
        QVERIFY(about);
        QCOMPARE(about->text().remove('&'), QStringLiteral("About"));
        about->trigger();
        // A one-digit first part is right-aligned, so two blanks follow "version".
        QCOMPARE(line, QStringLiteral("Varnel Link Manager - version ") +
                           QString::asprintf("%2d.%d.%d.%d", VARNEL_VERSION_MAJOR, VARNEL_VERSION_MINOR,
                                             VARNEL_VERSION_PATCH, VARNEL_VERSION_TWEAK));
    }

private:
    QTemporaryDir m_ComDir;
};

QTEST_MAIN(ConnectMainDialogTest)
#include "connect_main_dialog_test.moc"
