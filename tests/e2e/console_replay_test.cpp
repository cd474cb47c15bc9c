#include <QMenuBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeView>

#include <fstream>
#include <sstream>

#include "connect_driver.h"
#include "marks/dialog_base_marks.h"
#include "serial/session_log.h"
#include "ui/dialog_serial_console.h"
#include "ui/prompter.h"
#include "ui/serial_console_model.h"

// A whole base session recorded from the console, then replayed by `varnel-sim --replay`: the
// editor shows the same marks, and the replay found the program's bytes where the recording had them.
class ConsoleReplayTest : public QObject {
    Q_OBJECT

private slots:
    void recordedSessionReplaysWithTheSameResult();

private:
    // Connects with Base Configuration, records if recordTo is given, and returns the marks shown.
    QStringList Session(SimProcess& sim, const QString& recordTo);

    struct Answers : CPrompter {
        QString SaveFileName(QWidget*, const QString&, const QString&, const QString& suffix) override
        {
            Suffixes << suffix;
            return Path;
        }
        QString OpenFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
        void Message(QWidget*, QMessageBox::Icon, const QString& text) override { Shown << text; }
        QString Path;
        QStringList Suffixes, Shown;
    } m_Answers;
};

QStringList ConsoleReplayTest::Session(SimProcess& sim, const QString& recordTo)
{
    CModel model;
    CorrinDlg main;
    main.SetModel(&model);
    CDialogSerialConsole* console = main.Console();
    [&] { QVERIFY(console && CDialogSerialConsole::Shared() == console); }();
    m_Answers.Path = recordTo;
    if (!recordTo.isEmpty())
        QTest::mouseClick(Control<QPushButton>(*console, "buttonRecord"), Qt::LeftButton);

    QStringList marks;
    main.SetDialogHook([&](QDialog* d) {
        if (auto* wizard = qobject_cast<CDialogConnect*>(d)) {
            QObject::connect(wizard, &CDialogConnect::Finished, wizard, [wizard] {
                QTimer::singleShot(0, wizard, [wizard] {
                    QTest::mouseClick(wizard->findChild<QPushButton*>("buttonNext"), Qt::LeftButton);
                });
            });
        } else if (auto* base = qobject_cast<CDialogBaseMarks*>(d)) {
            QTimer::singleShot(0, base, [&, base] {
                const QAbstractItemModel* list = Control<QTreeView>(*base, "treeMarks")->model();
                if (QTest::qWaitFor([&] { return list->rowCount() == 3; }, 8000)) {
                    for (int r = 0; r < list->rowCount(); ++r)
                        for (int c = 0; c < list->columnCount(); ++c)
                            marks << list->index(r, c).data().toString();
                }
                // Tools > Serial Console shows the run's one window, usable over the modal editor.
                base->findChild<QAction*>("actionSerialConsole")->trigger();
                const bool shown = console->isVisible() && console->parentWidget() == base;
                auto* record = base->findChild<QAction*>("actionRecordSession");
                if (!shown || !record || record->isChecked() != !recordTo.isEmpty())
                    marks << QStringLiteral("console or its Tools items wrong");
                base->reject();
            });
        }
    });
    auto* ports = Control<QComboBox>(main, "comboPort");
    ports->setCurrentIndex(ports->findData(sim.ComNumber()));
    Control<QRadioButton>(main, "radioBase")->setChecked(true);
    QTest::mouseClick(Control<QPushButton>(main, "buttonConnect"), Qt::LeftButton);
    [&] { QVERIFY(sim.WaitReceived(WatchdogOnBytes, 3000)); }();

    // The console went home with the editor and holds the session: the wizard's first sentence
    // as sent, the base's answer as received, and every row filterable.
    console->Refresh();
    [&] {
        QCOMPARE(console->parentWidget(), &main);
        const QString text = console->ShownText();
        QVERIFY2(text.contains(" TX $JAPP\u240D\u240A\n"), qPrintable(text.left(2000)));
        QVERIFY(text.contains(" RX $>JAPP,RTKBAS,DIFF\u240D\u240A\n"));
        QVERIFY(text.contains(" -- port opened COM"));
        Control<QLineEdit>(*console, "editFilter")->setText("kbase,marks");
        QVERIFY(console->ShownRows()->rowCount() >= 2);
        QVERIFY(console->ShownRows()->rowCount() < console->RowModel()->rowCount());
    }();
    if (!recordTo.isEmpty())
        QTest::mouseClick(Control<QPushButton>(*console, "buttonRecord"), Qt::LeftButton);
    return marks;
}

void ConsoleReplayTest::recordedSessionReplaysWithTheSameResult()
{
    QTemporaryDir dir;
    const QString recording = dir.filePath("session.log");
    const QString report = dir.filePath("report.txt");
    CPrompter::SetCurrent(&m_Answers);

    QStringList recorded;
    {
        SimProcess sim(SimWith("base"));
        QVERIFY(sim.Started());
        recorded = Session(sim, recording);
    }
    QCOMPARE(recorded.size(), 15);
    QCOMPARE(m_Answers.Suffixes, QStringList{"log"});

    // Written from the device's side: what the program sent is R.
    std::vector<SSessionLine> lines;
    std::string error;
    QVERIFY2(ReadSessionLog(recording.toStdString(), lines, error), error.c_str());
    std::string sent, got;
    for (const SSessionLine& line : lines)
        (line.kind == 'R' ? sent : line.kind == 'S' ? got : error) += line.bytes;
    QVERIFY(sent.find(OpeningBytes.substr(0, 9)) != std::string::npos);
    QVERIFY(got.find("$>JAPP,RTKBAS,DIFF\r\n") != std::string::npos);
    QCOMPARE(lines.back().bytes, std::string("recording stopped"));

    SimProcess::Options replay = SimWith("base");
    replay.extraArgs = {"--replay", recording.toStdString(), "--replay-report", report.toStdString()};
    QStringList replayed;
    {
        SimProcess sim(replay);
        QVERIFY(sim.Started());
        replayed = Session(sim, {});
        sim.Stop();
        QCOMPARE(sim.ExitStatus(), 0);
    }
    CPrompter::SetCurrent(nullptr);
    QCOMPARE(replayed, recorded);
    QVERIFY(m_Answers.Shown.isEmpty());

    // The status polls may differ in number between two runs; the opening and the marks never do.
    std::ifstream in(report.toStdString());
    std::stringstream summary;
    summary << in.rdbuf();
    int matched = -1;
    QVERIFY2(std::sscanf(summary.str().c_str(), "bursts matched: %d", &matched) == 1, summary.str().c_str());
    QVERIFY2(matched >= 4, summary.str().c_str());
}

QTEST_MAIN(ConsoleReplayTest)
#include "console_replay_test.moc"
