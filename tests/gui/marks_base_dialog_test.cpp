#include "connection/model.h"
#include "marks/coordinate_panel.h"
#include "marks/dialog_base_marks.h"
#include "marks/mark_exchange_actions.h"
#include "marks/mark_file.h"
#include "marks/mark_list_model.h"
#include "marks/voltage_log.h"
#include "ui/dialog_about.h"
#include "ui/prompter.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#ifndef Q_OS_WIN
#include <sys/resource.h>
#endif

namespace fs = std::filesystem;

// The marks editor's File and Tools menus, without a base (no port): the file dialogs and message
// boxes are answered by a fake prompter.
class MarksBaseDialogTest : public QObject {
    Q_OBJECT

    struct Answers : CPrompter {
        QString SaveFileName(QWidget*, const QString& initial, const QString& filter, const QString&) override
        {
            return Next(initial, filter);
        }
        QString OpenFileName(QWidget*, const QString& initial, const QString& filter, const QString&) override
        {
            return Next(initial, filter);
        }
        void Message(QWidget*, QMessageBox::Icon, const QString& text) override { Errors << text; }
        // Questions are kept and answered from Replies in turn; yes once those are used up.
        bool Question(QWidget*, const QString& text, const QString&) override { return Reply(text); }
        bool Question(QWidget*, const QString& text, const QString&, const QString&) override { return Reply(text); }
        bool Reply(const QString& text)
        {
            Questions << text;
            return Replies.isEmpty() || Replies.takeFirst();
        }
        QStringList Questions;
        QList<bool> Replies;
        QString Next(const QString& initial, const QString& filter)
        {
            Initial = initial;
            Filter = filter;
            return Files.isEmpty() ? QString() : Files.takeFirst();
        }
        QStringList Files;  // the names chosen, in turn; "" cancels
        QStringList Errors;
        QString Initial, Filter;
    };

    Answers m_Answers;
    QTemporaryDir m_Dir;
    CModel m_Model;
    CDialogBaseMarks* m_Dlg = nullptr;

    QString Path(const char* name) const { return m_Dir.filePath(QString::fromUtf8(name)); }
    QAction* Action(const char* name) const { return m_Dlg->findChild<QAction*>(QString::fromLatin1(name)); }
    void Trigger(const char* action, std::initializer_list<QString> answers)
    {
        m_Answers.Files = answers;
        Action(action)->trigger();
    }
    QStringList Latitudes() const
    {
        QStringList out;
        for (const CMark& m : m_Dlg->Session().Marks())
            out << QString::fromStdString(m.GetLatitude());
        return out;
    }
    static std::string Read(const QString& path)
    {
        std::ifstream in(path.toStdString(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private slots:
    void init()
    {
        CPrompter::SetCurrent(&m_Answers);
        m_Answers = Answers();
        m_Model.SetWriteDefaultsFlags(WriteDefaults::OptionGiven);
        m_Dlg = new CDialogBaseMarks(nullptr, nullptr, &m_Model);
        m_Dlg->show();
        QTRY_VERIFY(m_Dlg->findChild<QMenuBar*>("menuBar")->isEnabled());
    }
    void cleanup()
    {
        delete m_Dlg;
        CPrompter::SetCurrent(nullptr);
    }

    void fileMenu()
    {
        QVERIFY(!Action("actionSave")->isEnabled());
        QVERIFY(Action("actionAdvancedSettings")->isEnabled());  // -def was given
        CBaseSession& s = m_Dlg->Session();
        emit m_Dlg->findChild<CCoordinatePanel*>()->AddRequested("51.5", "-1.25", "100");  // either "Add"
        s.Marks().AddMark("10.5", "20.5", "7");
        s.Settings().SetIntBatVWarn(12.5);

        // Save As, New, Replace: the same marks and settings come back, whatever the name's letters.
        Trigger("actionSaveAs", {Path("marcas año café.mrk")});
        QCOMPARE(m_Answers.Filter, QStringLiteral("Mark Files(*.mrk);;All Files (*)"));
        Action("actionNew")->trigger();
        QVERIFY(s.Marks().IsEmpty());
        auto* warning = m_Dlg->findChild<QLabel*>("labelWarning");
        QTRY_COMPARE(warning->text(), QStringLiteral("Warning Level: 12.00V"));
        Trigger("actionOpenReplace", {Path("marcas año café.mrk")});
        QCOMPARE(m_Answers.Initial, Path("marcas año café.mrk"));  // LastPath preselects the name
        QCOMPARE(Latitudes(), (QStringList{"51.5", "10.5"}));
        QCOMPARE(s.Settings().GetIntBatVWarn(), 12.5);
        QTRY_COMPARE(warning->text(), QStringLiteral("Warning Level: 12.50V"));
        QTRY_COMPARE(m_Dlg->MarkTree()->model()->rowCount(), 2);

        // Append merges: marks already listed stay in front, identical ones are skipped.
        CMarkList other;
        other.AddMark("10.5", "20.5", "7");
        other.AddMark("-33.9", "18.4", "2");
        std::string error;
        CBaseSettings defaults;
        QVERIFY(CMarkFile::Save(Path("b.mrk").toStdString(), other, defaults, error));
        Trigger("actionOpenAppend", {Path("b.mrk")});
        QCOMPARE(Latitudes(), (QStringList{"51.5", "10.5", "-33.9"}));
        QCOMPARE(s.Settings().GetIntBatVWarn(), 12.0);

        // A cancelled Replace, a damaged or truncated file, an unwritable place: nothing changes,
        // and the error names the file.
        std::ofstream(Path("short.mrk").toStdString(), std::ios::binary) << std::string("\x01\x00", 2);
        std::ofstream(Path("damaged.mrk").toStdString(), std::ios::binary)
            << std::string("\xFF\xFF\xFF\xFF", 4) << std::string(41, '\0');
        s.Settings().SetIntBatVWarn(13.0);
        const struct {
            const char* Action;
            QString File;
            const char* Error;
        } failures[] = {
            {"actionOpenReplace", QString(), nullptr},
            {"actionOpenReplace", Path("short.mrk"), "past its end"},
            {"actionOpenAppend", Path("damaged.mrk"), "is damaged"},
            {"actionOpenReplace", Path("missing.mrk"), "Cannot open"},
            {"actionSaveAs", Path("no/such/folder.mrk"), "Cannot create"},
        };
        for (const auto& f : failures) {
            m_Answers.Errors.clear();
            Trigger(f.Action, {f.File});
            QCOMPARE(Latitudes(), (QStringList{"51.5", "10.5", "-33.9"}));
            QCOMPARE(s.Settings().GetIntBatVWarn(), 13.0);
            if (!f.Error) {
                QVERIFY(m_Answers.Errors.isEmpty());
                continue;
            }
            QCOMPARE(m_Answers.Errors.size(), 1);
            QVERIFY2(m_Answers.Errors[0].contains(f.File) && m_Answers.Errors[0].contains(f.Error),
                     qPrintable(m_Answers.Errors[0]));
        }

#ifdef Q_OS_WIN
        QSKIP("the rest needs a symbolic link and POSIX permissions, which Windows keeps for administrators");
#endif
        // Save As through a symbolic link writes the file it points to; the link and the file's
        // permissions stay.
        const fs::path real = Path("real.mrk").toStdString(), link = Path("link.mrk").toStdString();
        std::ofstream(real) << "old";
        fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read,
                        fs::perm_options::replace);
        fs::create_symlink("real.mrk", link);
        Trigger("actionSaveAs", {Path("link.mrk")});
        QVERIFY(fs::is_symlink(link));
        QCOMPARE(fs::status(real).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        QCOMPARE(Read(Path("real.mrk")), CMarkFile::Encode(s.Marks(), s.Settings().GetBattery()));
    }

    // View > Grid Columns: the panel's system in the list (and a CSV export), following its changes.
    void gridColumns()
    {
        CBaseSession& s = m_Dlg->Session();
        s.Marks().AddMark("0", "3", "1");    // UTM 31N on its central meridian at the equator
        s.Marks().AddMark("45", "3", "2");   // 45 degrees north on the same meridian
        s.Marks().AddMark("85", "3", "3");   // north of UTM's area
        QAbstractItemModel* list = m_Dlg->MarkTree()->model();
        QTRY_COMPARE(list->rowCount(), 3);
        QCOMPARE(list->columnCount(), int(CMarkListModel::ColumnCount));
        auto cells = [&](int row) {
            QStringList out;
            for (int c = CMarkListModel::ColumnCount; c < list->columnCount(); ++c)
                out << list->data(list->index(row, c)).toString();
            return out;
        };
        auto headers = [&] {
            QStringList out;
            for (int c = CMarkListModel::ColumnCount; c < list->columnCount(); ++c)
                out << list->headerData(c, Qt::Horizontal).toString();
            return out;
        };
        const QString dash(QChar(0x2014));

        QAction* grid = Action("actionGridColumns");
        QVERIFY(grid && grid->isCheckable() && !grid->isChecked());
        QCOMPARE(grid->text(), QStringLiteral("Grid Columns"));
        grid->setChecked(true);  // the panel starts on UTM from the longitude
        QCOMPARE(headers(), (QStringList{"Easting (m)", "Northing (m)", "Zone"}));
        QCOMPARE(cells(0), (QStringList{"500000.000", "0.000", "31N"}));
        QCOMPARE(cells(1), (QStringList{"500000.000", "4982950.400", "31N"}));
        QCOMPARE(cells(2), (QStringList{dash, dash, dash}));
        QCOMPARE(QString::fromStdString(s.Marks().begin()->GetLatitude()), QStringLiteral("0"));  // display only

        // Another system: the zone column goes, the cells follow, a state plane shows its unit.
        auto* panel = m_Dlg->findChild<CCoordinatePanel*>();
        QSignalSpy removed(list, &QAbstractItemModel::columnsRemoved);
        QVERIFY(panel->ChooseSystem("27700"));
        QCOMPARE(removed.size(), 1);
        QCOMPARE(headers(), (QStringList{"Easting (m)", "Northing (m)"}));
        QCOMPARE(cells(0), (QStringList{dash, dash}));  // far outside Great Britain
        s.Marks().AddMark("51.5", "-1.25", "100");
        QTRY_COMPARE(list->rowCount(), 4);
        QVERIFY(!cells(3)[0].isEmpty() && cells(3)[0] != dash);

        // A CSV export while the columns are shown carries them.
        m_Answers.Files = {Path("grid.csv")};
        m_Dlg->Exchange()->Export(false);
        const std::string csv = Read(Path("grid.csv"));
        QVERIFY2(csv.starts_with("Name,Latitude,Longitude,Altitude,Easting (m),Northing (m)\r\n"
                                 "Mark 1,0,3,1,,\r\n"), csv.c_str());

        QVERIFY(panel->ChooseSystem("2263"));  // NAD83 / New York Long Island (ftUS)
        QCOMPARE(headers(), (QStringList{"Easting (ftUS)", "Northing (ftUS)"}));

        grid->setChecked(false);
        QCOMPARE(list->columnCount(), int(CMarkListModel::ColumnCount));
        QVERIFY(panel->ChooseSystem(QString::fromLatin1(CCoordinatePanel::UtmChoice)));  // nothing to redraw
        QCOMPARE(list->columnCount(), int(CMarkListModel::ColumnCount));
        m_Answers.Files = {Path("plain.csv")};
        m_Dlg->Exchange()->Export(false);
        QVERIFY(Read(Path("plain.csv")).starts_with("Name,Latitude,Longitude,Altitude\r\nMark 1,"));
    }

    // What a write would delete from the base, edits that would be lost, undoing deletes, and the
    // keyboard's ways in.
    void editingAsksBeforeMarksGo()
    {
        CBaseSession& s = m_Dlg->Session();
        QTreeView* tree = m_Dlg->MarkTree();
        const struct {
            const char* Action;
            QKeySequence Keys;
        } shortcuts[] = {{"actionOpenAppend", QKeySequence("Ctrl+O")},
                         {"actionSaveAs", QKeySequence("Ctrl+Shift+S")},
                         {"actionUndo", QKeySequence("Ctrl+Z")},
                         {"actionDeleteMarks", QKeySequence(Qt::Key_Delete)}};
        for (const auto& k : shortcuts)
            QCOMPARE(Action(k.Action)->shortcut(), k.Keys);
        const struct {
            const char* Button;
            const char* Text;
        } buttons[] = {{"buttonRead", "&Read Coordinates"}, {"buttonWrite", "&Write Coordinates"},
                       {"buttonDelete", "&Delete Coordinate"}, {"buttonMapAll", "&Map All"},
                       {"buttonMapSelected", "Map &Selected"}};
        for (const auto& b : buttons) {
            auto* button = m_Dlg->findChild<QPushButton*>(b.Button);
            QCOMPARE(button->text(), QString::fromLatin1(b.Text));
            QCOMPARE(button->accessibleName(), QString::fromLatin1(b.Text).remove('&'));
        }
        QVERIFY(tree->allColumnsShowFocus());
        QCOMPARE(tree->palette().color(QPalette::Inactive, QPalette::Highlight),
                 tree->palette().color(QPalette::Active, QPalette::Highlight));

        // The base lists five marks; the first is in use. What it listed is the unedited list.
        s.OnSentence("$>JRTK,17,1,2,3");
        for (const char* lat : {"1", "4", "5", "6", "7"})
            s.OnSentence(std::string("$KBASE,MARKS,") + lat + ",2,3");
        QTRY_COMPARE(tree->model()->rowCount(), 5);
        auto select = [&](std::initializer_list<int> rows) {
            tree->selectionModel()->clearSelection();
            for (int row : rows)
                tree->selectionModel()->select(tree->model()->index(row, 0),
                                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
        };
        auto rows = [&] {
            QStringList out;
            for (int r = 0; r < tree->model()->rowCount(); ++r)
                out << tree->model()->index(r, 1).data().toString();
            return out;
        };
        const QStringList all{"1", "4", "5", "6", "7"};
        QCOMPARE(rows(), all);
        QCOMPARE(tree->model()->index(0, CMarkListModel::ColInUse).data().toString(), QStringLiteral("*"));

        // Delete in turns, and Undo brings them back at their rows, latest first.
        select({1, 3});
        Action("actionDeleteMarks")->trigger();
        select({0});
        m_Dlg->findChild<QPushButton*>("buttonDelete")->click();
        QTRY_COMPARE(rows(), (QStringList{"5", "7"}));
        Action("actionUndo")->trigger();
        QCOMPARE(rows(), (QStringList{"1", "5", "7"}));
        QVERIFY(tree->selectionModel()->isRowSelected(0, {}));
        Action("actionUndo")->trigger();
        QCOMPARE(rows(), all);
        QVERIFY(!Action("actionUndo")->isEnabled());
        QVERIFY(m_Answers.Questions.isEmpty());  // deleting asks nothing

        // Declined writes send nothing; the question names what goes.
        auto* write = m_Dlg->findChild<QPushButton*>("buttonWrite");
        const struct {
            std::initializer_list<int> Deleted;
            const char* Question;
        } writes[] = {
            {{1, 3}, "Write 3 marks to the base? This deletes 2 of the 5 marks stored on it."},
            {{0}, "Write 2 marks to the base? This deletes 3 of the 5 marks stored on it, including the one in use."},
            {{0, 1}, "Write 0 marks to the base? This deletes all 5 marks stored on it, including the one in use."},
        };
        for (const auto& w : writes) {
            select(w.Deleted);
            Action("actionDeleteMarks")->trigger();
            m_Answers.Questions.clear();
            m_Answers.Replies = {false};
            write->click();
            QCOMPARE(m_Answers.Questions, QStringList{QString::fromLatin1(w.Question)});
            QVERIFY(!s.WriteRunning() && !s.Confirming());
            QVERIFY(Action("actionUndo")->isEnabled());
        }

        // Edits since the base listed its marks: New, Escape and Close ask; No keeps all as it was.
        Action("actionUndo")->trigger();
        QCOMPARE(rows(), (QStringList{"5", "7"}));
        m_Answers.Questions.clear();
        m_Answers.Replies = {false, false, false};
        Action("actionNew")->trigger();
        QTest::keyClick(tree, Qt::Key_Escape);
        Action("actionClose")->trigger();
        QCOMPARE(m_Answers.Questions, QStringList(3, QStringLiteral("Discard the changes to the mark list?")));
        QVERIFY(m_Dlg->isVisible());
        QCOMPARE(rows(), (QStringList{"5", "7"}));
        // Saved, nothing is lost: Close asks nothing.
        Trigger("actionSaveAs", {Path("kept.mrk")});
        m_Answers.Questions.clear();
        Action("actionClose")->trigger();
        QVERIFY(m_Answers.Questions.isEmpty() && !m_Dlg->isVisible());
    }

    void aboutBoxShowsTheVersionsTheBaseReported()
    {
        QString firmware, bootloader;
        auto grab = [&] {
            auto* about = qobject_cast<CDialogAbout*>(QApplication::activeModalWidget());
            QVERIFY(about);
            firmware = about->FirmwareLine();
            bootloader = about->BootloaderLine();
            about->accept();
        };
        QTimer::singleShot(0, m_Dlg, grab);
        Action("actionAbout")->trigger();
        QCOMPARE(firmware, QStringLiteral("Base Firmware vN/A"));
        m_Dlg->Session().OnSentence("$KBASE,VERSION,1.4");
        QTimer::singleShot(0, m_Dlg, grab);
        Action("actionAbout")->trigger();
        QCOMPARE(firmware, QStringLiteral("Base Firmware v1.4"));
        QCOMPARE(bootloader, QStringLiteral("Base Bootloader vN/A"));
    }

    void voltageLogging()
    {
        CVoltageLog& log = CVoltageLog::Process();
        auto now = std::chrono::steady_clock::now();
        log.SetClocks([&now] { return now; }, [] {
            std::tm tm{};
            tm.tm_year = 126, tm.tm_mon = 11, tm.tm_mday = 7, tm.tm_hour = 14, tm.tm_min = 5, tm.tm_sec = 9;
            return tm;
        });
        QAction* logging = Action("actionVoltageLogging");
        QVERIFY(logging->isCheckable());

        // Cancelled, or a file that cannot be created: reported, and the item stays unchecked.
        Trigger("actionVoltageLogging", {QString()});
        QVERIFY(!logging->isChecked());
        Trigger("actionVoltageLogging", {Path("no/such/v.csv")});
        QVERIFY(!logging->isChecked() && !log.IsActive());
        QCOMPARE(m_Answers.Errors.size(), 1);
        QVERIFY(m_Answers.Errors[0].startsWith("Voltage logging could not start.") &&
                m_Answers.Errors[0].contains("v.csv"));

        // On: the header at once, then a line a minute with the average of the samples.
        Trigger("actionVoltageLogging", {Path("v.csv")});
        QCOMPARE(m_Answers.Filter, QStringLiteral("Voltage Log Files(*.csv);;All Files (*)"));
        QVERIFY(logging->isChecked() && log.IsActive());
        QCOMPARE(Read(Path("v.csv")), std::string("Time stamp,Minutes,Volts\n"));
        m_Dlg->Session().OnSentence("$KBASE,VOLTAGE,12.5");
        QTRY_VERIFY_WITH_TIMEOUT(log.GetVoltageSamples() > 0, 3000);  // at the next status request
        const int minute = log.GetLineCounter();
        now += std::chrono::seconds(61);
        QTRY_COMPARE(Read(Path("v.csv")), "Time stamp,Minutes,Volts\n12/7/2026 14:05:09," + std::to_string(minute) +
                                              ",12.500000\n");

        // The log's file dialog shares LastPath with the mark files'.
        Trigger("actionSaveAs", {QString()});
        QCOMPARE(m_Answers.Initial, Path("v.csv"));

        // Off through the menu; on again, then closing the editor closes the log.
        logging->trigger();
        QVERIFY(!logging->isChecked() && !log.IsActive());
#ifndef Q_OS_WIN
        // A write that fails later (here the file may not grow past its header) turns logging off
        // and says so, naming the file.
        Trigger("actionVoltageLogging", {Path("full.csv")});
        QVERIFY(log.IsActive());
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        rlimit tight = old;
        tight.rlim_cur = std::strlen(CVoltageLog::Header);
        std::signal(SIGXFSZ, SIG_IGN);  // a failed write, not a killed process
        m_Answers.Errors.clear();
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
        now += std::chrono::seconds(61);
        const bool stopped = QTest::qWaitFor([&] { return !logging->isChecked(); }, 5000);
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(stopped && !log.IsActive());
        QTRY_COMPARE(m_Answers.Errors.size(), 1);
        QVERIFY2(m_Answers.Errors[0].contains("full.csv"), qPrintable(m_Answers.Errors[0]));
#endif
        Trigger("actionVoltageLogging", {Path("w.csv")});
        QVERIFY(log.IsActive());
        m_Dlg->reject();
        QVERIFY(!log.IsActive());
        log.SetClocks([] { return std::chrono::steady_clock::now(); }, {});
    }
};

QTEST_MAIN(MarksBaseDialogTest)
#include "marks_base_dialog_test.moc"
