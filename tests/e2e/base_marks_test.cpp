#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTreeView>

#include <fstream>

#include "connect_driver.h"
#include "marks/dialog_base_marks.h"
#include "marks/dialog_writing_coordinates.h"
#include "ui/prompter.h"

// The marks editor against a simulated base: Connect, Next, then one operator's session.
class BaseMarksTest : public QObject {
    Q_OBJECT

private slots:
    void marksEditorAgainstTheSimulator();

private:
    void Drive(CDialogBaseMarks& dlg);

    struct Errors : CPrompter {
        QString SaveFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
        QString OpenFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
        void Message(QWidget*, QMessageBox::Icon, const QString& text) override { Shown << text; }
        QStringList Shown;
    } m_Errors;
    SimProcess* m_Sim = nullptr;
    bool m_Driven = false;
};

namespace {

QStringList Row(QTreeView* tree, int row)
{
    QStringList cells;
    for (int c = 0; c < tree->model()->columnCount(); ++c)
        cells << tree->model()->index(row, c).data().toString();
    return cells;
}

int Rows(QTreeView* tree) { return tree->model()->rowCount(); }

}  // namespace

void BaseMarksTest::marksEditorAgainstTheSimulator()
{
    QTemporaryDir dir;
    const QString marksPath = dir.filePath("marks.txt");
    std::ofstream(marksPath.toStdString()) << "51.5,-1.25,100\n52.205,0.122,15.5\n-33.9,18.4,2\n";
    SimProcess::Options options = SimWith("base");
    options.marksFile = marksPath.toStdString();
    SimProcess sim(options);
    QVERIFY(sim.Started());
    m_Sim = &sim;
    CPrompter::SetCurrent(&m_Errors);

    CModel model;
    CorrinDlg main;
    main.SetModel(&model);
    main.SetDialogHook([this](QDialog* d) {
        if (auto* wizard = qobject_cast<CDialogConnect*>(d)) {
            QObject::connect(wizard, &CDialogConnect::Finished, wizard, [wizard] {
                QTimer::singleShot(0, wizard, [wizard] {
                    QTest::mouseClick(wizard->findChild<QPushButton*>("buttonNext"), Qt::LeftButton);
                });
            });
        } else if (auto* base = qobject_cast<CDialogBaseMarks*>(d)) {
            QTimer::singleShot(0, base, [this, base] {
                Drive(*base);
                m_Driven = true;
                base->done(QDialog::Rejected);  // the edits made by Drive go without a question
            });
        }
    });
    auto* ports = Control<QComboBox>(main, "comboPort");
    ports->setCurrentIndex(ports->findData(sim.ComNumber()));
    const std::size_t before = sim.Received().size();
    Control<QRadioButton>(main, "radioBase")->setChecked(true);
    QTest::mouseClick(Control<QPushButton>(main, "buttonConnect"), Qt::LeftButton);
    CPrompter::SetCurrent(nullptr);

    QVERIFY(m_Driven);
    QVERIFY(m_Errors.Shown.isEmpty());
    // Closing the editor hands the base back: the watchdog goes on last.
    QVERIFY(sim.WaitReceived(WatchdogOnBytes, 3000));
    const std::string all = sim.Received().substr(before);
    QVERIFY(all.size() >= WatchdogOnBytes.size());
    QCOMPARE(Bytes(all.substr(all.size() - WatchdogOnBytes.size())), Bytes(WatchdogOnBytes));
}

void BaseMarksTest::Drive(CDialogBaseMarks& dlg)
{
    auto* tree = Control<QTreeView>(dlg, "treeMarks");
    auto* write = Control<QPushButton>(dlg, "buttonWrite");
    auto* menu = Control<QMenuBar>(dlg, "menuBar");

    // The opening requests, then the simulator's marks with the one it uses marked "In Use".
    QTRY_VERIFY_WITH_TIMEOUT(write->isEnabled() && menu->isEnabled(), 8000);
    QTRY_COMPARE_WITH_TIMEOUT(Rows(tree), 3, 8000);
    QCOMPARE(Row(tree, 0), (QStringList{"1", "51.5", "-1.25", "100", "*"}));
    QCOMPARE(Row(tree, 2), (QStringList{"3", "-33.9", "18.4", "2", ""}));
    QCOMPARE(tree->accessibleName(), QStringLiteral("Coordinate List"));
    const std::string received = m_Sim->Received();
    const QString opening = QString::fromStdString(received.substr(received.find("$JRTK,17\r\n")));
    QVERIFY(opening.startsWith("$JRTK,17\r\n$KBASE,CONFIG\r\n$KBASE,MARKS\r\n$KBASE,VERSION\r\n"
                               "$KBASE,BOOTVERSION\r\n$JI\r\n"));

    // Status lines: N/A until the base answers, then its values; screen readers hear each change.
    auto* voltage = Control<QLabel>(dlg, "labelVoltage");
    auto* snr = Control<QLabel>(dlg, "labelPeakSnr");
    QCOMPARE(Control<QLabel>(dlg, "labelWarning")->text(), QStringLiteral("Warning Level: 12.00V"));
    QCOMPARE(Control<QLabel>(dlg, "labelDischarge")->text(), QStringLiteral("Discharge:  500Minutes/V"));
    QTRY_VERIFY_WITH_TIMEOUT(snr->text().startsWith("Peak SNR: 4") && snr->text().endsWith("dB"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(voltage->text(), QStringLiteral("Battery Voltage: 12.90V"), 15000);
    QCOMPARE(voltage->accessibleName(), voltage->text());
    QCOMPARE(voltage->textFormat(), Qt::PlainText);

    // Enter in a coordinate field never starts a write (which would first clear the base).
    auto* lat = Control<QLineEdit>(dlg, "latDecimalEdit");
    lat->setFocus();
    QTest::keyClick(lat, Qt::Key_Return);
    QTest::qWait(300);
    QVERIFY(m_Sim->Received().find("$KBASE,CLEARMARKS") == std::string::npos);

    // The selection survives a redraw of the list ("Read Coordinates" brings every mark again)...
    auto click = [&](int row) {
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(tree->model()->index(row, 0)).center());
    };
    click(0);
    click(1);
    click(0);  // a click toggles
    // Forgetting the last mark here means only the base's marks reply can bring the list back to
    // three; any other redraw (a new reference position, say) leaves two.
    QVERIFY(dlg.Session().Marks().RemoveMark("-33.9", "18.4", "2"));
    QTRY_COMPARE_WITH_TIMEOUT(Rows(tree), 2, 5000);
    const std::size_t readAt = m_Sim->Received().size();
    QTest::mouseClick(Control<QPushButton>(dlg, "buttonRead"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(m_Sim->Received().find("$JRTK,17\r\n$KBASE,MARKS\r\n", readAt) != std::string::npos, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(Rows(tree), 3, 8000);
    const QModelIndexList selected = tree->selectionModel()->selectedRows(1);
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.first().data().toString(), QStringLiteral("52.205"));

    // ... and Delete removes the selected mark; the others are renumbered.
    QTest::mouseClick(Control<QPushButton>(dlg, "buttonDelete"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(Rows(tree), 2, 5000);
    QCOMPARE(Row(tree, 1), (QStringList{"2", "-33.9", "18.4", "2", ""}));

    // Writing: the box cannot be closed while it runs; polling pauses; the marks go out in order
    // at 0.1 s, 3.1 s and 4.1 s; then the base's list is read back and confirmed.
    bool boxStayed = false;
    QTimer::singleShot(1500, &dlg, [&] {
        auto* box = qobject_cast<CDialogWritingCoordinates*>(QApplication::activeModalWidget());
        if (!box)
            return;
        QCOMPARE(box->Message(), QStringLiteral("Writing Coordinates to Base."));
        QVERIFY(!dlg.PollingActive());
        QTest::keyClick(box, Qt::Key_Escape);
        box->close();
        boxStayed = box->isVisible();
    });
    const std::size_t writeAt = m_Sim->Received().size();
    QTest::mouseClick(write, Qt::LeftButton);
    QVERIFY(boxStayed);
    QVERIFY(dlg.PollingActive());
    auto* confirmation = Control<QLabel>(dlg, "labelConfirmation");
    QTRY_COMPARE_WITH_TIMEOUT(confirmation->text(), QStringLiteral("The base confirmed 2 of 2 marks."), 6000);
    QCOMPARE(confirmation->accessibleName(), confirmation->text());

    const std::string expected = Lines({"$KBASE,CLEARMARKS", "$KBASE,ADDMARK,51.5,-1.25,100",
                                        "$KBASE,ADDMARK,-33.9,18.4,2", "$JRTK,17", "$KBASE,MARKS"});
    // A status request may still go out in the 0.1 s before the run; none during it.
    const std::size_t clearAt = m_Sim->Received().find("$KBASE,CLEARMARKS", writeAt);
    QVERIFY(clearAt != std::string::npos);
    QCOMPARE(Bytes(m_Sim->Received().substr(clearAt, expected.size())), Bytes(expected));
    std::vector<long long> at;  // when each written sentence arrived
    std::size_t offset = 0;
    for (const auto& burst : m_Sim->ReceivedBursts()) {
        offset += burst.bytes.size();
        const bool written = burst.bytes.find("$KBASE,CLEARMARKS") != std::string::npos ||
                             burst.bytes.find("$KBASE,ADDMARK") != std::string::npos;
        if (offset > clearAt && written && at.size() < 3)
            at.push_back(burst.ms);
    }
    QCOMPARE(at.size(), std::size_t(3));
    QVERIFY2(at[1] - at[0] >= 2700 && at[1] - at[0] <= 4500, qPrintable(QString::number(at[1] - at[0])));
    QVERIFY2(at[2] - at[1] >= 800 && at[2] - at[1] <= 2000, qPrintable(QString::number(at[2] - at[1])));

    // A mark that would inject a sentence is refused, naming it, and nothing is sent.
    dlg.Session().Marks().AddMark("1$", "2", "3");
    const std::size_t refusedAt = m_Sim->Received().size();
    QTest::mouseClick(write, Qt::LeftButton);
    QCOMPARE(m_Errors.Shown.size(), 1);
    QVERIFY(m_Errors.Shown.takeFirst().startsWith("Mark 3 (1$, 2, 3)"));
    QTest::qWait(300);
    QVERIFY(m_Sim->Received().find("CLEARMARKS", refusedAt) == std::string::npos);
}

QTEST_MAIN(BaseMarksTest)
#include "base_marks_test.moc"
