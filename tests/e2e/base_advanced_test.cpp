#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSlider>

#include "base/advanced_settings.h"
#include "base/base_settings.h"
#include "base/dialog_advanced.h"
#include "connect_driver.h"
#include "marks/dialog_base_marks.h"

// Connected to a simulated base, the marks editor opens the advanced settings dialog from its menu:
// a raised warning level goes to the base, is saved there, comes back in the base's next answer to
// "$KBASE,CONFIG", and the dialog says whether the base holds what was written. The editor goes on polling behind the dialog, the port's one reader for both, so its
// "Warning Level" line follows the slider while the dialog is open.
class BaseAdvancedTest : public QObject {
    Q_OBJECT

private slots:
    void raisedWarningLevelIsWrittenAndReadBack()
    {
        // The base drops writes of the discharge rate: a read-back that differs.
        SimProcess::Options options = SimWith("base");
        options.extraArgs = {"--ignore-setting", "INTBATDR"};
        SimProcess sim(options);
        QVERIFY(sim.Started());
        m_Sim = &sim;
        SetWorkingDialog(ModeCodes::BaseConfiguration, [this](QWidget* parent, CSerialPort* port, CModel* model) {
            auto* editor = new CDialogBaseMarks(parent, port, model);
            QTimer::singleShot(0, editor, [this, editor] {
                EditorScenario(*editor);
                editor->accept();
            });
            return editor;
        });
        ConnectDriver d(sim, true, [](CModel& m) { m.SetWriteDefaultsFlags(WriteDefaults::OptionGiven); });
        d.Connect("radioBase");
        QVERIFY(m_ScenarioDone);
        QVERIFY(sim.WaitReceived(WatchdogOnBytes, 5000));  // the main dialog closed the connection
    }

private:
    void EditorScenario(CDialogBaseMarks& editor)
    {
        auto* action = editor.findChild<QAction*>("actionAdvancedSettings");
        QVERIFY(action);
        QTRY_VERIFY_WITH_TIMEOUT(editor.findChild<QMenuBar*>("menuBar")->isEnabled(), 10000);
        QVERIFY(action->isEnabled());  // "-def" given
        m_Settings = &editor.Session().Settings();
        QTimer::singleShot(0, &editor, [this] {
            auto* dlg = qobject_cast<CDialogAdvanced*>(QApplication::activeModalWidget());
            QVERIFY(dlg);
            Scenario(*dlg);
            dlg->accept();
        });
        action->trigger();
        QVERIFY(m_ScenarioDone);
        QTRY_COMPARE_WITH_TIMEOUT(editor.findChild<QLabel*>("labelWarning")->text(),
                                  QStringLiteral("Warning Level: 12.20V"), 5000);
        QVERIFY(editor.PollingActive());  // polling resumed
    }

private:
    void Scenario(CDialogAdvanced& dlg)
    {
        auto* warn = dlg.findChild<QSlider*>("sliderWarnLevel");
        auto* warnLabel = dlg.findChild<QLabel*>("labelWarnLevel");
        QVERIFY(warn && warnLabel);
        AdvancedTickCounter() = -1000000;  // the refresh waits until it is wanted
        QTRY_VERIFY(dlg.isVisible());
        QCOMPARE(warn->value(), 1200);

        // Two pages up: 12.20 V in the record at once, but at the base only after "Write Settings".
        const std::size_t start = m_Sim->Received().size();
        warn->setFocus();
        QTest::keyClick(warn, Qt::Key_PageUp);
        QTest::keyClick(warn, Qt::Key_PageUp);
        QCOMPARE(m_Settings->GetIntBatVWarn(), 12.2);
        QCOMPARE(warnLabel->text(), QStringLiteral("Warning Level: 12.20V"));
        auto* editor = qobject_cast<CDialogBaseMarks*>(dlg.parentWidget());
        QVERIFY(editor && editor->PollingActive());
        QTRY_COMPARE_WITH_TIMEOUT(editor->findChild<QLabel*>("labelWarning")->text(),
                                  QStringLiteral("Warning Level: 12.20V"), 2000);
        QTest::mouseClick(dlg.findChild<QPushButton*>("buttonWriteSettings"), Qt::LeftButton);
        QVERIFY(m_Sim->WaitReceived("$KBASE,SAVE\r\n$KBASE,CONFIG\r\n", 5000));
        QCOMPARE(Bytes(m_Sim->Received().substr(start)),
                 Bytes(Lines({"$KBASE,INTBATVCRITICAL,11.000000", "$KBASE,EXTBATVCRITICAL,11.000000",
                              "$KBASE,INTBATVWARN,12.200000", "$KBASE,EXTBATVWARN,12.000000", "$KBASE,INTBATDR,500",
                              "$KBASE,EXTBATDR,500", "$KBASE,SAVE", "$KBASE,CONFIG"})));
        // Asked back at once; what the base holds is what was written.
        auto* readBack = dlg.findChild<QLabel*>("labelReadBack");
        QTRY_COMPARE_WITH_TIMEOUT(dlg.ReadBackText(), QStringLiteral("The base confirmed the settings."), 5000);
        QCOMPARE(readBack->accessibleName(), readBack->text());
        // A discharge rate the base drops: named with both values, and the slider shows the base's.
        auto* rate = dlg.findChild<QSlider*>("sliderDischargeRate");
        rate->setValue(750);
        QTest::mouseClick(dlg.findChild<QPushButton*>("buttonWriteSettings"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(dlg.ReadBackText(),
                                  QStringLiteral("The base holds Discharge 500Minutes/V, not 750Minutes/V."), 5000);
        QCOMPARE(m_Settings->GetIntBatDr(), 500);
        QCOMPARE(rate->value(), 500);

        // Forgotten here, the next refresh shows the default; "Read Settings" brings the base's value
        // back through the editor's reads, and the refresh after it moves the slider again.
        m_Settings->ResetDefaults();
        AdvancedTickCounter() = 51;
        QTRY_COMPARE_WITH_TIMEOUT(warn->value(), 1200, 10000);
        QCOMPARE(warnLabel->text(), QStringLiteral("Warning Level: 12.00V"));
        QTest::mouseClick(dlg.findChild<QPushButton*>("buttonReadSettings"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(m_Settings->GetIntBatVWarn(), 12.2, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(warn->value(), 1220, 10000);
        QCOMPARE(warnLabel->text(), QStringLiteral("Warning Level: 12.20V"));

        auto* voltage = dlg.findChild<QLabel*>("labelBatteryVoltage");
        QTRY_VERIFY_WITH_TIMEOUT(
            QRegularExpression(QStringLiteral("^Battery Voltage: \\d+\\.\\d\\dV$")).match(voltage->text()).hasMatch(),
            15000);
        QCOMPARE(dlg.findChild<QLabel*>("labelPowerSource")->text(), QStringLiteral("Power Source: Internal Battery"));
        QCOMPARE(dlg.findChild<QLabel*>("labelBatteryState")->text(), QStringLiteral("Battery State: Operational"));
        QCOMPARE(m_Settings->GetIntBatVWarn(), 12.2);  // the refreshes stored nothing
        m_ScenarioDone = true;
    }

    SimProcess* m_Sim = nullptr;
    bool m_ScenarioDone = false;
    CBaseSettings* m_Settings = nullptr;  // the editor's record, lent to the advanced dialog
};

QTEST_MAIN(BaseAdvancedTest)
#include "base_advanced_test.moc"
