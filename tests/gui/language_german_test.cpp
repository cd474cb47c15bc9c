// The interface walked in German: the texts written into templates and code, the entry's messages
// and Qt's own buttons, and back to English on a change of language.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QtTest>

#include "app/corrin_dlg.h"
#include "base/dialog_advanced.h"
#include "connection/model.h"
#include "marks/coordinate_panel.h"
#include "marks/dialog_base_marks.h"
#include "ui/auto_edit.h"
#include "ui/info_wnd.h"
#include "ui/language_module.h"

class LanguageGermanTest : public QObject {
    Q_OBJECT

    CLanguageModule m_Language;
    QString m_Before;

private slots:
    void initTestCase()
    {
        // Language files are found from the working directory, here and on every change of language.
        m_Before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(VARNEL_SOURCE_DIR));
        m_Language.Configure("resources/languages", "english");
        QVERIFY(m_Language.SelectLanguage(0x0407));
        QVERIFY(m_Language.IsLibraryLoaded());
        CAutoEdit::SetBeepHook([] {});
    }

    void cleanupTestCase() { QDir::setCurrent(m_Before); }

    // The marks editor: the template's menus and items and the table's captions, each with a
    // mnemonic no menu holds.
    void marksEditorSpeaksGerman()
    {
        CModel model;
        model.SetLanguageModule(&m_Language);
        CDialogBaseMarks dlg(nullptr, nullptr, &model);
        QCOMPARE(dlg.findChild<QMenu*>("menuFile")->title(), QStringLiteral("&Datei"));
        QCOMPARE(dlg.findChild<QMenu*>("menuEdit")->title(), QStringLiteral("B&earbeiten"));
        QCOMPARE(dlg.findChild<QAction*>("actionUndo")->text(), QString::fromUtf8("&R\xC3\xBC" "ckg\xC3\xA4ngig"));
        QCOMPARE(dlg.findChild<QAction*>("actionSaveAs")->text(), QStringLiteral("&Speichern unter..."));
        const struct {
            const char* Name;
            const char* Text;
        } buttons[] = {{"buttonRead", "Koo&rdinaten lesen"}, {"buttonWrite", "&Koordinaten schreiben"},
                       {"buttonDelete", "K&oordinate l\xC3\xB6schen"}};
        for (const auto& b : buttons)
            QCOMPARE(dlg.findChild<QPushButton*>(b.Name)->text(), QString::fromUtf8(b.Text));

        if (const QByteArray shot = qgetenv("VARNEL_GERMAN_SCREENSHOT"); !shot.isEmpty()) {
            dlg.Session().Marks().AddMark("51.50000000", "-0.12000000", "45.000");
            dlg.Session().Marks().AddMark("52.20510000", "0.11900000", "12.500");
            dlg.show();
            QTest::qWait(200);
            dlg.grab().save(QString::fromLocal8Bit(shot));
        }

        // Advanced Settings: its group titles come from the template.
        CDialogAdvanced advanced(&dlg, nullptr, &model);
        QCOMPARE(advanced.findChild<QGroupBox*>("groupSettings")->title(), QStringLiteral("Akkueinstellungen"));
        QCOMPARE(advanced.findChild<QGroupBox*>("groupStatus")->title(), QStringLiteral("Akkustatus"));
    }

    void mainDialogSpeaksGermanAndEnglishComesBack()
    {
        CModel model;
        model.SetLanguageModule(&m_Language);
        model.SetDirectConnectEnabled(1);
        CorrinDlg dlg;
        dlg.SetModel(&model);
        const auto text = [&dlg](const char* name) { return dlg.findChild<QAbstractButton*>(name)->text(); };
        QCOMPARE(text("radioDirectRover"), QStringLiteral("Direktverbindung - Rover"));
        QCOMPARE(text("checkWriteDefaults"), QStringLiteral("Werkseinstellungen schreiben"));
        QCOMPARE(text("buttonCancel"), QStringLiteral("Abbrechen"));
        QCOMPARE(text("buttonConnect"), QStringLiteral("Verbinden"));
        QMenu* help = dlg.findChild<QMenu*>();
        QVERIFY(help);
        QCOMPARE(help->title(), QStringLiteral("&Hilfe"));  // the mnemonic stays on its letter
        auto* languages = dlg.findChild<QComboBox*>("comboLanguage");
        QCOMPARE(languages->currentText(), QStringLiteral("Deutsch"));

        languages->setCurrentIndex(0);
        QCOMPARE(text("radioDirectRover"), QStringLiteral("Direct Connect - Rover"));
        QCOMPARE(help->title(), QStringLiteral("&Help"));
        QCOMPARE(text("buttonCancel"), QStringLiteral("Cancel"));
        languages->setCurrentIndex(2);
        QCOMPARE(text("radioDirectRover"), QStringLiteral("Direktverbindung - Rover"));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
    }

    void entryMessagesInGerman()
    {
        QWidget window;
        auto* panel = new CCoordinatePanel(&window, &m_Language);
        (new QVBoxLayout(&window))->addWidget(panel);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QApplication::setActiveWindow(&window);
        CAutoEdit* minutes = panel->Edit(CCoordinatePanel::EField::LatMinutes);
        minutes->setFocus();
        QTRY_VERIFY(minutes->hasFocus());
        QTest::keyClick(minutes, 'x');
        QCOMPARE(minutes->InfoWindow()->MessageText(), QStringLiteral(" Dieses Feld nimmt nur Ziffern an. "));
        QTest::keyClicks(minutes, "75");  // full: leaves, is refused and comes back
        QTRY_VERIFY(minutes->hasFocus());
        QCOMPARE(minutes->InfoWindow()->MessageText(), QString::fromUtf8(" Breitenminuten gr\xC3\xB6\xC3\x9F" "er als 59! "));
    }
};

QTEST_MAIN(LanguageGermanTest)
#include "language_german_test.moc"
