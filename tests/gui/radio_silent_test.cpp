// The Maxstream and Satel dialogs with a radio that answers nothing: every opening read fails, is
// reported, and leaves nothing on screen that looks read.
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

#include "connection/model.h"
#include "radio/dialog_maxstream_base.h"
#include "radio/dialog_maxstream_rover.h"
#include "radio/dialog_satel_base.h"
#include "radio/dialog_satel_rover.h"
#include "shared/recording_prompter.h"

class RadioSilentTest : public QObject {
    Q_OBJECT

private slots:
    void openingReadsFail()
    {
        QStringList messages;
        CRecordingPrompter prompter([&](QMessageBox::Icon, const QString& text) { messages << text; });
        auto find = [](QWidget& d, const char* name) { return d.findChild<QWidget*>(QString::fromLatin1(name)); };
        auto text = [&](QWidget& d, const char* name) { return static_cast<QLabel*>(find(d, name))->text(); };
        struct SCase {
            std::function<CRadioDialog*(CModel*)> Make;
            std::function<void(CModel&)> Prepare;
            std::function<bool(CRadioDialog&, CModel&)> Check;
        };
        const SCase cases[] = {
            {[](CModel* m) { return new CDialogMaxstreamBase(nullptr, nullptr, m); }, [](CModel&) {},
             [&](CRadioDialog& d, CModel&) {
                 auto* id = static_cast<QComboBox*>(find(d, "comboRadioId"));
                 const bool none = id->currentIndex() == -1 && !find(d, "buttonCommit")->isEnabled();
                 id->setCurrentIndex(3);  // the operator's own choice may be committed
                 return none && find(d, "buttonCommit")->isEnabled();
             }},
            {[](CModel* m) { return new CDialogMaxstreamRover(nullptr, nullptr, m); },
             [](CModel& m) { m.SetRadio2BValue(3); },
             [&](CRadioDialog& d, CModel&) {
                 return static_cast<QComboBox*>(find(d, "comboRadioId"))->currentIndex() == -1 &&
                        !find(d, "buttonCommit")->isEnabled() &&
                        !static_cast<CDialogMaxstreamRover&>(d).Poller().Running() &&
                        text(d, "labelSignal") == "Reading";
             }},
            // No silent retune: the frequency the connection found stays.
            {[](CModel* m) { return new CDialogSatelBase(nullptr, nullptr, m); },
             [](CModel& m) {
                 m.SetRadioFrequency(434.5);
                 m.SetRadioPower(500);
             },
             [&](CRadioDialog& d, CModel& m) {
                 return static_cast<QSlider*>(find(d, "sliderChannel"))->value() == 60 &&
                        text(d, "labelFrequency") == "Frequency: 434.500MHZ" &&
                        static_cast<QRadioButton*>(find(d, "radioHalfWatt"))->isChecked() &&
                        m.GetRadioFrequency() == 434.5;
             }},
            {[](CModel* m) { return new CDialogSatelRover(nullptr, nullptr, m); },
             [](CModel& m) { m.SetRadioFrequency(0); },
             [&](CRadioDialog& d, CModel& m) {
                 return text(d, "labelChannel") == "Channel: 0" && m.GetRadioFrequency() == 433.0;
             }},
        };
        for (const auto& c : cases) {
            messages.clear();
            CModel model;
            c.Prepare(model);
            std::unique_ptr<CRadioDialog> dialog(c.Make(&model));
            QSignalSpy ready(dialog.get(), &CRadioDialog::Ready);
            int ticks = 0;  // the window keeps dispatching events through the 2 s read
            QTimer ticker;
            connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
            ticker.start(50);
            dialog->show();
            QApplication::setActiveWindow(dialog.get());
            QVERIFY(ready.wait(10000));
            QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
            QCOMPARE(messages, QStringList{QStringLiteral("Read configuration failed - no answer")});
            // Disabling the inputs for the read dropped the keyboard focus; it is back on a control.
            QVERIFY(dialog->focusWidget() && dialog->focusWidget()->isEnabled());
            QVERIFY2(c.Check(*dialog, model), qPrintable(dialog->windowTitle()));
            dialog->reject();
        }
    }

    // What the radio answered reaches the message box as it came, never rendered as markup.
    void radioAnswerShownPlain()
    {
        struct CProbe : CRadioDialog {
            CProbe() : CRadioDialog(nullptr, nullptr, nullptr) {}
            void Show(const SCommitResult& r) { ShowNotConfirmed(r); }
        } probe;
        QMessageBox* seen = nullptr;
        Qt::TextFormat format = Qt::AutoText;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    seen = box;
                    format = box->textFormat();
                    box->accept();
                }
        });
        closer.start(20);
        SCommitResult r;
        r.Ok = false;
        r.Command = "ATS104=1";
        r.Answer = "<b>ERROR</b>";
        probe.Show(r);
        QVERIFY(seen);
        QCOMPARE(format, Qt::PlainText);
    }
};

QTEST_MAIN(RadioSilentTest)
#include "radio_silent_test.moc"
