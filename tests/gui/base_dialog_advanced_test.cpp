#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "base/advanced_settings.h"
#include "base/base_settings.h"
#include "base/base_status.h"
#include "base/command_processor.h"
#include "base/dialog_advanced.h"
#include "connection/model.h"
#include "marks/mark.h"
#include "marks/mark_list.h"
#include "serial/callback.h"
#include "serial/sentence_splitter.h"
#include "serial/serial_port.h"

// The dialog offscreen on a pseudo-terminal: this side reads what it sends and answers for the base.
class DialogAdvancedTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_ComDir.isValid());
        qputenv("VARNEL_COM_DIR", m_ComDir.path().toUtf8());
        m_Master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(m_Master >= 0 && ::grantpt(m_Master) == 0 && ::unlockpt(m_Master) == 0);
        std::filesystem::create_symlink(::ptsname(m_Master), m_ComDir.path().toStdString() + "/com9");
        QVERIFY(m_Port.Open(9, 19200));
    }
    void cleanupTestCase()
    {
        m_Port.Close();
        ::close(m_Master);
    }

    void slidersLabelsAndSentences()
    {
        m_Settings.SetIntBatVWarn(12.349);
        m_Settings.SetIntBatDr(3000);  // beyond the slider: it stands at its end, the label tells
        CDialogAdvanced dlg(nullptr, &m_Port, &m_Model, &m_Settings, &m_Splitter, &m_Status);
        auto* warn = dlg.findChild<QSlider*>("sliderWarnLevel");
        auto* critical = dlg.findChild<QSlider*>("sliderCriticalLevel");
        auto* rate = dlg.findChild<QSlider*>("sliderDischargeRate");
        auto* warnLabel = dlg.findChild<QLabel*>("labelWarnLevel");
        auto* write = dlg.findChild<QPushButton*>("buttonWriteSettings");
        QVERIFY(warn && critical && rate && warnLabel && write);

        // At opening, before any tick, and without storing anything.
        QCOMPARE(warn->value(), 1235);
        QCOMPARE(critical->value(), 1100);
        QCOMPARE(rate->value(), 2000);
        QCOMPARE(warnLabel->text(), QStringLiteral("Warning Level: 12.35V"));
        QCOMPARE(dlg.findChild<QLabel*>("labelDischargeRate")->text(), QStringLiteral("Discharge:  3000Minutes/V"));
        QCOMPARE(m_Settings.GetIntBatVWarn(), 12.349);
        QCOMPARE(m_Settings.GetIntBatDr(), 3000);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Advanced Settings"));
        QCOMPARE(write->text(), QStringLiteral("Write Settings"));
        QCOMPARE(write->accessibleName(), QStringLiteral("Write Settings"));
        QCOMPARE(dlg.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->text(),
                 QStringLiteral("Cancel"));

        // The operator moves the slider with the keyboard: the setting, the label and its name follow.
        AdvancedTickCounter() = -1000000;  // no refresh until this test asks for one
        dlg.show();
        warn->setFocus();
        QTest::keyClick(warn, Qt::Key_Right);
        QCOMPARE(m_Settings.GetIntBatVWarn(), 12.36);
        QCOMPARE(warnLabel->text(), QStringLiteral("Warning Level: 12.36V"));
        QCOMPARE(warnLabel->accessibleName(), warnLabel->text());
        QCOMPARE(warn->accessibleName(), warnLabel->text());
        rate->setValue(750);
        QCOMPARE(m_Settings.GetIntBatDr(), 750);

        Drain();
        QTest::mouseClick(write, Qt::LeftButton);
        QTest::mouseClick(dlg.findChild<QPushButton*>("buttonReadSettings"), Qt::LeftButton);
        QCOMPARE(QString::fromStdString(Received("$KBASE,CONFIG\r\n")),
                 QStringLiteral("$KBASE,INTBATVCRITICAL,11.000000\r\n$KBASE,EXTBATVCRITICAL,11.000000\r\n"
                                "$KBASE,INTBATVWARN,12.360000\r\n$KBASE,EXTBATVWARN,12.000000\r\n"
                                "$KBASE,INTBATDR,750\r\n$KBASE,EXTBATDR,500\r\n$KBASE,SAVE\r\n$KBASE,CONFIG\r\n"));

        // Replies reach the parser through the dialog's own reads; the refresh shows them, and asks.
        const std::string replies = "$KBASE,VOLTAGE,12.8\r\n$KBASE,PSOURCE,1\r\n$KBASE,INTBATVCRITICAL,10.5\r\n";
        QCOMPARE(::write(m_Master, replies.data(), replies.size()), static_cast<ssize_t>(replies.size()));
        QTRY_COMPARE_WITH_TIMEOUT(m_Settings.GetIntBatVCritical(), 10.5, 5000);
        AdvancedTickCounter() = 51;
        auto* voltage = dlg.findChild<QLabel*>("labelBatteryVoltage");
        QTRY_COMPARE_WITH_TIMEOUT(voltage->text(), QStringLiteral("Battery Voltage: 12.8V"), 5000);
        QCOMPARE(voltage->accessibleName(), voltage->text());
        QCOMPARE(dlg.findChild<QLabel*>("labelPowerSource")->text(), QStringLiteral("Power Source: Internal Battery"));
        QCOMPARE(critical->value(), 1050);
        QCOMPARE(QString::fromStdString(Received("$KBASE,VOLTAGE\r\n")),
                 QStringLiteral("$KBASE,PSOURCE\r\n$KBASE,VOLTAGE\r\n"));

        // Cancel keeps what the sliders set and sends nothing.
        dlg.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(m_Settings.GetIntBatVWarn(), 12.36);
    }

private:
    void Drain()
    {
        char buf[256];
        while (::read(m_Master, buf, sizeof buf) > 0) {
        }
    }
    // What arrives on this side up to and including `last`.
    std::string Received(const std::string& last)
    {
        std::string got;
        QElapsedTimer timer;
        timer.start();
        while (got.find(last) == std::string::npos && timer.elapsed() < 5000) {
            char buf[256];
            const ssize_t n = ::read(m_Master, buf, sizeof buf);
            if (n > 0)
                got.append(buf, static_cast<std::size_t>(n));
            else
                QTest::qWait(10);
        }
        return got;
    }

    QTemporaryDir m_ComDir;
    int m_Master = -1;
    CSerialPort m_Port;
    CModel m_Model;
    CMarkList m_Marks;
    CBaseSettings m_Settings;
    CMark m_Reference{"0", "0", "0"};
    CBaseStatus m_Status{&m_Settings, &m_Marks, &m_Reference};
    CCommandProcessor m_Processor{&m_Status, &m_Model};
    TCallback<CCommandProcessor> m_OnSentence{&m_Processor, &CCommandProcessor::ParseReply};
    CSentenceSplitter m_Splitter{&m_OnSentence};
};

QTEST_MAIN(DialogAdvancedTest)
#include "base_dialog_advanced_test.moc"
