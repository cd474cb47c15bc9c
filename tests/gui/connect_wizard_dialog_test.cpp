#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "connection/connect_wizard.h"
#include "connection/dialog_connect.h"
#include "connection/model.h"
#include "serial/serial_port.h"

// The wizard window against a port that cannot be opened; the runs against equipment are e2e tests.
class ConnectWizardDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_ComDir.isValid());
        qputenv("VARNEL_COM_DIR", m_ComDir.path().toUtf8());  // empty: COM250 names nothing
        m_Model.SetPortNumber(250);
        m_Model.SetBaudRate(19200);
    }

    void portThatDoesNotOpenIsReportedAndOnlyBackIsOffered()
    {
        m_Model.SetModeCode(ModeCodes::BaseConfiguration);
        CDialogConnect wizard(nullptr, &m_Port, &m_Model);
        QSignalSpy finished(&wizard, &CDialogConnect::Finished);
        auto* next = wizard.findChild<QPushButton*>("buttonNext");
        auto* back = wizard.findChild<QPushButton*>("buttonBack");
        auto* bar = wizard.findChild<QProgressBar*>("progressBar");
        QVERIFY(next && back && bar);
        QVERIFY(!next->isEnabled() && !back->isEnabled());

        wizard.show();
        // The sentences go into nothing and the run ends at its first tick.
        QVERIFY(finished.wait(5000));
        QCOMPARE(wizard.Wizard().TickCount(), 1);
        QCOMPARE(wizard.StatusText(), QStringLiteral("Connection Failed on COM PORT 250."));
        // A screen reader hears the status itself, not a fixed word.
        QCOMPARE(wizard.findChild<QLabel*>("labelStatus")->accessibleName(), wizard.StatusText());
        QCOMPARE(wizard.windowTitle(), QStringLiteral("Connection Establishment"));
        QVERIFY(!next->isEnabled() && back->isEnabled());
        QCOMPARE(bar->value(), bar->maximum());
        QVERIFY(!m_Port.IsOpen());
        QTest::mouseClick(back, Qt::LeftButton);
        QCOMPARE(wizard.result(), CDialogConnect::ResultBack);
    }

    void closingDuringTheProbesEndsTheRun()
    {
        m_Model.SetModeCode(ModeCodes::RadioConfiguration);
        CDialogConnect wizard(nullptr, &m_Port, &m_Model);
        // Escape while the first tick pauses between its probes.
        QTimer::singleShot(300, &wizard, [&] { wizard.reject(); });
        QCOMPARE(wizard.exec(), int(QDialog::Rejected));
        QTest::qWait(700);  // a restarted timer would tick within this time
        QCOMPARE(wizard.Wizard().TickCount(), 1);
    }

private:
    QTemporaryDir m_ComDir;
    CModel m_Model;
    CSerialPort m_Port;
};

QTEST_MAIN(ConnectWizardDialogTest)
#include "connect_wizard_dialog_test.moc"
