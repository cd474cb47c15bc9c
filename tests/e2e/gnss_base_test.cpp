#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTableView>
#include <QTreeWidget>

#include <functional>

#include "connect_driver.h"
#include "gnss/dialog_average_position.h"
#include "gnss/dialog_gnss_status.h"
#include "gnss/on_mark_check.h"
#include "marks/dialog_base_marks.h"
#include "ui/prompter.h"

// The GNSS windows and the on-mark check in the marks editor against a simulated base that streams
// NMEA ten times a second.
class GnssBaseTest : public QObject {
    Q_OBJECT

private slots:
    void offMarkWarningAndGnssWindow();
    void onMarkAndAverageIntoAMark();

private:
    void RunEditor(const std::vector<std::string>& simArgs, const std::function<void(CDialogBaseMarks&)>& drive);
    SimProcess* m_Sim = nullptr;
};

namespace {

// Runs the sub-dialog the action opens, then drive on it; the dialog is closed by drive.
template <class D>
void WithDialog(QAction* action, const std::function<void(D&)>& drive)
{
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
        QVERIFY(d);
        drive(*d);
        ran = true;
        d->reject();
    });
    action->trigger();
    QVERIFY(ran);
}

}  // namespace

void GnssBaseTest::RunEditor(const std::vector<std::string>& simArgs,
                             const std::function<void(CDialogBaseMarks&)>& drive)
{
    SimProcess::Options options = SimWith("base");
    options.extraArgs = simArgs;
    options.extraArgs.insert(options.extraArgs.end(), {"--nmea-interval-ms", "100"});
    SimProcess sim(options);
    QVERIFY(sim.Started());
    m_Sim = &sim;
    CModel model;
    CorrinDlg main;
    main.SetModel(&model);
    bool driven = false;
    main.SetDialogHook([&](QDialog* d) {
        if (auto* wizard = qobject_cast<CDialogConnect*>(d)) {
            QObject::connect(wizard, &CDialogConnect::Finished, wizard, [wizard] {
                QTimer::singleShot(0, wizard, [wizard] {
                    QTest::mouseClick(wizard->findChild<QPushButton*>("buttonNext"), Qt::LeftButton);
                });
            });
        } else if (auto* base = qobject_cast<CDialogBaseMarks*>(d)) {
            QTimer::singleShot(0, base, [&, base] {
                QTRY_VERIFY_WITH_TIMEOUT(Control<QMenuBar>(*base, "menuBar")->isEnabled(), 8000);
                drive(*base);
                driven = true;
                base->done(QDialog::Rejected);  // the edits made by Drive go without a question
            });
        }
    });
    auto* ports = Control<QComboBox>(main, "comboPort");
    ports->setCurrentIndex(ports->findData(sim.ComNumber()));
    Control<QRadioButton>(main, "radioBase")->setChecked(true);
    QTest::mouseClick(Control<QPushButton>(main, "buttonConnect"), Qt::LeftButton);
    QVERIFY(driven);
    m_Sim = nullptr;
}

void GnssBaseTest::offMarkWarningAndGnssWindow()
{
    RunEditor({"--offset-m", "120"}, [this](CDialogBaseMarks& dlg) {
        auto* line = Control<QLabel>(dlg, "labelFromReference");
        QTRY_VERIFY_WITH_TIMEOUT(line->text().startsWith("The base is 1"), 8000);
        QVERIFY(line->text().endsWith(" m from its reference position. Check that the base stands on the mark in use."));
        QCOMPARE(line->accessibleName(), line->text());
        QVERIFY(dlg.GnssPositionText().startsWith("Position: 52.20"));
        // The editor itself asked for nothing.
        QVERIFY(m_Sim->Received().find("$JASC") == std::string::npos);

        // GGA streams already: the window asks for GST and GSV only, and stops only those.
        WithDialog<CDialogGnssStatus>(dlg.findChild<QAction*>("actionGnssStatus"), [this](CDialogGnssStatus& w) {
            QVERIFY(m_Sim->WaitReceived("$JASC,GPGST,1\r\n$JASC,GPGSV,1\r\n", 2000));
            auto* table = Control<QTableView>(w, "tableSatellites");
            QTRY_COMPARE_WITH_TIMEOUT(table->model()->rowCount(), 15, 5000);
            w.Refresh();
            QCOMPARE(table->accessibleName(), QStringLiteral("Satellite table"));
            QVERIFY(Control<QLabel>(w, "labelQuality")->text() == "Fix quality: GPS");
            QTRY_VERIFY_WITH_TIMEOUT(Control<QLabel>(w, "labelErrors")->text().startsWith("Errors (1 sigma): north 1.500 m"), 3000);
            if (const QByteArray shot = qgetenv("VARNEL_GNSS_SCREENSHOT"); !shot.isEmpty()) {
                w.resize(760, 720);
                QTest::qWait(300);
                w.grab().save(QString::fromLocal8Bit(shot));
            }
        });
        QVERIFY(m_Sim->WaitReceived("$JASC,GPGST,0\r\n$JASC,GPGSV,0\r\n", 2000));
        QVERIFY(m_Sim->Received().find("$JASC,GPGGA,") == std::string::npos);
    });
}

void GnssBaseTest::onMarkAndAverageIntoAMark()
{
    RunEditor({"--nmea", "off"}, [this](CDialogBaseMarks& dlg) {
        auto* line = Control<QLabel>(dlg, "labelFromReference");
        QTest::qWait(500);
        QVERIFY(line->text().isEmpty());  // nothing streams, nothing asked for
        auto* tree = dlg.MarkTree();
        QTRY_COMPARE_WITH_TIMEOUT(tree->model()->rowCount(), 3, 8000);

        WithDialog<CDialogAveragePosition>(dlg.findChild<QAction*>("actionAveragePosition"), [&](CDialogAveragePosition& w) {
            QVERIFY(m_Sim->WaitReceived("$JASC,GPGGA,1\r\n$JASC,GPGST,1\r\n", 2000));
            // While the window's streams run the editor shows the distance, without a warning.
            QTRY_VERIFY_WITH_TIMEOUT(line->text().startsWith("From reference: "), 5000);
            QVERIFY(dlg.findChild<QLabel*>("labelFromReference")->text().toStdString().find("base is") == std::string::npos);
            QTest::mouseClick(Control<QPushButton>(w, "buttonStart"), Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(w.Averager().Used() >= 60, 15000);
            QTest::mouseClick(Control<QPushButton>(w, "buttonStop"), Qt::LeftButton);
            const auto mean = w.Averager().Mean();
            QVERIFY(mean && mean->SigmaNorth);
            QVERIFY(GeodesicDistanceM(mean->Latitude, mean->Longitude, 52.205337, 0.121817) < 1.0);
            QVERIFY(std::fabs(*mean->EllipsoidalHeight - 14.5) < 1.5);
            QTest::mouseClick(Control<QPushButton>(w, "buttonAdd"), Qt::LeftButton);
            QTest::mouseClick(Control<QPushButton>(w, "buttonAdd"), Qt::LeftButton);
            QVERIFY(Control<QLabel>(w, "labelResult")->text().startsWith("Already in the mark list: 52.205"));
        });
        QVERIFY(m_Sim->WaitReceived("$JASC,GPGGA,0\r\n$JASC,GPGST,0\r\n", 2000));
        QTRY_COMPARE_WITH_TIMEOUT(tree->model()->rowCount(), 4, 2000);
        const auto added = [tree](int column) { return tree->model()->index(3, column).data().toString(); };
        QVERIFY(added(1).startsWith("52.205") && added(1).size() == 11);
        QVERIFY(added(3).startsWith("1") && added(3).size() <= 6);
    });
}

QTEST_MAIN(GnssBaseTest)
#include "gnss_base_test.moc"
