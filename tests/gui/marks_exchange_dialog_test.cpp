#include "connection/model.h"
#include "marks/dialog_base_marks.h"
#include "marks/mark_exchange_actions.h"
#include "shared/recording_prompter.h"

#include <QAction>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <fstream>

// File > Export…, Export Selected… and Import… of the marks editor, answered by the recording prompter.
class MarksExchangeDialogTest : public QObject {
    Q_OBJECT

private slots:
    void exportAndImport()
    {
        QStringList messages;
        CRecordingPrompter prompter([&](QMessageBox::Icon, const QString& text) { messages << text; });
        QTemporaryDir dir;
        CModel model;
        CDialogBaseMarks dlg(nullptr, nullptr, &model);
        dlg.show();
        QTRY_VERIFY(dlg.findChild<QMenuBar*>("menuBar")->isEnabled());
        CMarkList& marks = dlg.Session().Marks();
        marks.AddMark("1.5", "2.5", "3");
        marks.AddMark("07", "8", "9");
        QTRY_COMPARE(dlg.MarkTree()->model()->rowCount(), 2);
        CMarkExchangeActions* exchange = dlg.Exchange();
        QCOMPARE(exchange->ImportAction()->text(), QStringLiteral("Import..."));

        // Export Selected with nothing selected says so; with the second row, it is still "Mark 2".
        // A name without suffix gets the CSV one, the first filter's.
        exchange->ExportSelectedAction()->trigger();
        QCOMPARE(messages.takeFirst(), QStringLiteral("Select the marks to export first."));
        dlg.MarkTree()->selectionModel()->select(dlg.MarkTree()->model()->index(1, 0),
                                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
        prompter.Files = {dir.filePath("sel")};
        exchange->ExportSelectedAction()->trigger();
        std::ifstream in(dir.filePath("sel.csv").toStdString(), std::ios::binary);
        std::string csv((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        QCOMPARE(csv, std::string("Name,Latitude,Longitude,Altitude\r\nMark 2,07,8,9\r\n"));

        // Export all as GPX, then import a CSV with bad rows: the summary first, Cancel changes nothing.
        prompter.Files = {dir.filePath("all.gpx")};
        exchange->ExportAction()->trigger();
        QVERIFY(QFile::exists(dir.filePath("all.gpx")));
        {
            std::ofstream out(dir.filePath("control.csv").toStdString(), std::ios::binary);
            out << "name,lat,lon\n" << "A,1.5,2.5\nB,4,5\nC,6,7\nD,95,1\nE,8,9\nF,1\n";
        }
        const QString question =
            QStringLiteral("Import 4 marks from control.csv? 2 skipped: line 5: latitude 95 is out of range; "
                           "line 7: no longitude. 4 without altitude get altitude 0.\nNames: A, B, C, E");
        prompter.Files = {dir.filePath("control.csv")};
        exchange->ImportAction()->trigger();
        QCOMPARE(prompter.Questions.takeFirst(), question);
        QCOMPARE(marks.Size(), 2u);

        // Import appends as Open > Append: the GPX's marks are listed already, so only new ones come in.
        prompter.Files = {dir.filePath("control.csv")};
        prompter.Answers = {QStringLiteral("Import")};
        exchange->ImportAction()->trigger();
        QCOMPARE(marks.Size(), 6u);
        prompter.Files = {dir.filePath("all.gpx")};
        prompter.Answers = {QStringLiteral("Import")};
        exchange->ImportAction()->trigger();
        QCOMPARE(prompter.Questions.takeLast(),
                 QStringLiteral("Import 2 marks from all.gpx? 2 already listed will be skipped.\nNames: Mark 1, Mark 2"));
        QCOMPARE(marks.Size(), 6u);

        // A file that cannot be read names itself.
        prompter.Files = {dir.path()};
        exchange->ImportAction()->trigger();
        QCOMPARE(messages.takeFirst(), dir.path() + QStringLiteral(" is not a point file: it is not a regular file."));
    }
};

QTEST_MAIN(MarksExchangeDialogTest)
#include "marks_exchange_dialog_test.moc"
