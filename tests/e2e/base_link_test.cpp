#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

#include <fstream>

#include "connection/model.h"
#include "marks/dialog_base_marks.h"
#include "marks/dialog_writing_coordinates.h"
#include "serial/serial_port.h"
#include "support/sim_process.h"
#include "ui/prompter.h"

// The marks editor while the simulated base's cable is pulled, plugged back, and pulled again in
// the middle of a write run.
class BaseLinkTest : public QObject {
    Q_OBJECT

private slots:
    void marksEditorAcrossUnplugAndReplug();

private:
    struct Errors : CPrompter {
        QString SaveFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
        QString OpenFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
        void Message(QWidget*, QMessageBox::Icon, const QString& text) override { Shown << text; }
        QStringList Shown;
    } m_Errors;
};

void BaseLinkTest::marksEditorAcrossUnplugAndReplug()
{
    QTemporaryDir dir;
    const QString marksPath = dir.filePath("marks.txt");
    {
        std::ofstream marks(marksPath.toStdString());
        for (int i = 0; i < 12; ++i)
            marks << "51." << (10 + i) << ",-1.25,100\n";  // distinct by value: 51.1 would equal 51.10
    }
    SimProcess::Options options;
    options.marksFile = marksPath.toStdString();
    // Pulled at 10 s, back 3 s later, pulled again 6 s after that (mid-way through a write of 12 marks).
    options.extraArgs = {"--unplug-after", "10", "--replug-after", "3", "--unplug-every", "6"};
    SimProcess sim(options);
    QVERIFY(sim.Started());
    CPrompter::SetCurrent(&m_Errors);

    CSerialPort port;
    QVERIFY(port.Open(sim.ComNumber(), 19200));
    CModel model;
    model.SetPortNumber(sim.ComNumber());
    CDialogBaseMarks dlg(nullptr, &port, &model);
    dlg.show();
    auto* link = dlg.findChild<QLabel*>("labelLink");
    auto* voltage = dlg.findChild<QLabel*>("labelVoltage");
    auto* write = dlg.findChild<QPushButton*>("buttonWrite");
    auto* read = dlg.findChild<QPushButton*>("buttonRead");
    auto* tree = dlg.findChild<QTreeView*>("treeMarks");
    QVERIFY(link && voltage && write && read && tree);
    const QString com = QStringLiteral("COM%1").arg(sim.ComNumber());

    QTRY_VERIFY_WITH_TIMEOUT(link->text().endsWith("Link: receiving"), 3000);
    QTRY_COMPARE_WITH_TIMEOUT(tree->model()->rowCount(), 12, 8000);
    QTRY_VERIFY_WITH_TIMEOUT(voltage->text().startsWith("Battery Voltage: 12."), 9000);
    QVERIFY(!voltage->text().contains("ago"));
    QVERIFY(write->isEnabled());
    // An edit of the operator's that the reconnect must keep.
    dlg.Session().Marks().AddMark("10.5", "20.5", "30");

    // Pulled: the line says so (its accessible name follows), sending stops, readings show their age.
    QTRY_VERIFY_WITH_TIMEOUT(link->text().endsWith("Connection lost - waiting for " + com + QChar(0x2026)), 8000);
    QCOMPARE(link->accessibleName(), link->text());
    QVERIFY(!write->isEnabled() && !read->isEnabled());
    QCOMPARE(write->toolTip(), link->text());
    QTRY_VERIFY_WITH_TIMEOUT(voltage->text().endsWith(" s ago)"), 3000);
    QCOMPARE(tree->model()->rowCount(), 13);

    // Back: reconnected under the same COM number, the opening requests again, polling resumes.
    const std::size_t before = sim.Received().size();
    QTRY_VERIFY_WITH_TIMEOUT(link->text().contains(QRegularExpression("Reconnected after [0-9]+ s$")), 8000);
    QVERIFY(sim.WaitReceived("$KBASE,CONFIG\r\n", 3000));
    QTRY_VERIFY_WITH_TIMEOUT(write->isEnabled(), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(!voltage->text().contains("ago"), 5000);
    QVERIFY(sim.WaitReceived("$KBASE,BOOTVERSION\r\n$JI\r\n", 3000));
    QVERIFY(sim.Received().find("$KBASE,MARKS", before) == std::string::npos);
    QCOMPARE(tree->model()->rowCount(), 13);  // reading marks stays the operator's choice
    QTRY_VERIFY_WITH_TIMEOUT(link->text().endsWith("Link: receiving"), 7000);

    // A write run of 13 marks takes over 15 s; the next pull cuts it and it is reported as failed.
    QTimer::singleShot(0, write, [write] { write->click(); });
    QTRY_VERIFY_WITH_TIMEOUT(!m_Errors.Shown.isEmpty(), 20000);
    QCOMPARE(m_Errors.Shown.size(), 1);
    const QRegularExpression cut("^Write Coordinates failed: the connection was lost after ([0-9]+) of 13 marks\\. "
                                 "The base may hold only part of the list; write again when the link is back\\.$");
    const auto match = cut.match(m_Errors.Shown.front());
    QVERIFY2(match.hasMatch(), qPrintable(m_Errors.Shown.front()));
    QVERIFY(match.captured(1).toInt() < 13);
    QVERIFY(!dlg.findChild<CDialogWritingCoordinates*>());
    QVERIFY(!dlg.findChild<QLabel*>("labelConfirmation")->text().contains("confirmed"));
    QVERIFY(link->text().contains("Connection lost"));
    QCOMPARE(tree->model()->rowCount(), 13);
    CPrompter::SetCurrent(nullptr);
}

QTEST_MAIN(BaseLinkTest)
#include "base_link_test.moc"
