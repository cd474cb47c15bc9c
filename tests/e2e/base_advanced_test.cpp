#include <QLabel>
#include <QRegularExpression>
#include <QSlider>

#include "base/advanced_settings.h"
#include "base/base_settings.h"
#include "base/base_status.h"
#include "base/command_processor.h"
#include "base/dialog_advanced.h"
#include "connect_driver.h"
#include "marks/mark.h"
#include "marks/mark_list.h"
#include "serial/callback.h"
#include "serial/sentence_splitter.h"

// Connected to a simulated base, the advanced settings dialog runs as the base configuration dialog
// would open it, on that dialog's records: a raised warning level goes to the base, is saved there
// and comes back in the base's next answer to "$KBASE,CONFIG".
class BaseAdvancedTest : public QObject {
    Q_OBJECT

private slots:
    void raisedWarningLevelIsWrittenAndReadBack()
    {
        SimProcess sim(SimWith("base"));
        QVERIFY(sim.Started());
        m_Sim = &sim;
        SetWorkingDialog(ModeCodes::BaseConfiguration, [this](QWidget* parent, CSerialPort* port, CModel* model) {
            auto* dlg = new CDialogAdvanced(parent, port, model, &m_Settings, &m_Splitter, &m_Status);
            QTimer::singleShot(0, dlg, [this, dlg] {
                Scenario(*dlg);
                dlg->accept();
            });
            return dlg;
        });
        ConnectDriver d(sim, true, [](CModel& m) { m.SetWriteDefaultsFlags(WriteDefaults::OptionGiven); });
        d.Connect("radioBase");
        QVERIFY(m_ScenarioDone);
        QVERIFY(sim.WaitReceived(WatchdogOnBytes, 5000));  // the main dialog closed the connection
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
        QCOMPARE(m_Settings.GetIntBatVWarn(), 12.2);
        QCOMPARE(warnLabel->text(), QStringLiteral("Warning Level: 12.20V"));
        QTest::mouseClick(dlg.findChild<QPushButton*>("buttonWriteSettings"), Qt::LeftButton);
        QVERIFY(m_Sim->WaitReceived("$KBASE,SAVE\r\n", 5000));
        QCOMPARE(Bytes(m_Sim->Received().substr(start)),
                 Bytes(Lines({"$KBASE,INTBATVCRITICAL,11.000000", "$KBASE,EXTBATVCRITICAL,11.000000",
                              "$KBASE,INTBATVWARN,12.200000", "$KBASE,EXTBATVWARN,12.000000", "$KBASE,INTBATDR,500",
                              "$KBASE,EXTBATDR,500", "$KBASE,SAVE"})));

        // Forgotten here, the next refresh shows the default; "Read Settings" brings the base's value
        // back through the dialog's reads, and the refresh after it moves the slider again.
        m_Settings.ResetDefaults();
        AdvancedTickCounter() = 51;
        QTRY_COMPARE_WITH_TIMEOUT(warn->value(), 1200, 10000);
        QCOMPARE(warnLabel->text(), QStringLiteral("Warning Level: 12.00V"));
        QTest::mouseClick(dlg.findChild<QPushButton*>("buttonReadSettings"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(m_Settings.GetIntBatVWarn(), 12.2, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(warn->value(), 1220, 10000);
        QCOMPARE(warnLabel->text(), QStringLiteral("Warning Level: 12.20V"));

        auto* voltage = dlg.findChild<QLabel*>("labelBatteryVoltage");
        QTRY_VERIFY_WITH_TIMEOUT(
            QRegularExpression(QStringLiteral("^Battery Voltage: \\d+\\.\\d\\dV$")).match(voltage->text()).hasMatch(),
            15000);
        QCOMPARE(dlg.findChild<QLabel*>("labelPowerSource")->text(), QStringLiteral("Power Source: Internal Battery"));
        QCOMPARE(dlg.findChild<QLabel*>("labelBatteryState")->text(), QStringLiteral("Battery State: Operational"));
        QCOMPARE(m_Settings.GetIntBatVWarn(), 12.2);  // the refreshes stored nothing
        m_ScenarioDone = true;
    }

    SimProcess* m_Sim = nullptr;
    bool m_ScenarioDone = false;
    // What the base configuration dialog owns and lends to the advanced settings dialog.
    CModel m_Model;
    CMarkList m_Marks;
    CBaseSettings m_Settings;
    CMark m_Reference{"0", "0", "0"};
    CBaseStatus m_Status{&m_Settings, &m_Marks, &m_Reference};
    CCommandProcessor m_Processor{&m_Status, &m_Model};
    TCallback<CCommandProcessor> m_OnSentence{&m_Processor, &CCommandProcessor::ParseReply};
    CSentenceSplitter m_Splitter{&m_OnSentence};
};

QTEST_MAIN(BaseAdvancedTest)
#include "base_advanced_test.moc"
