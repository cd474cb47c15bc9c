// The Maxstream and Satel dialogs with a radio that answers nothing: every opening read fails, is
// reported, and leaves nothing on screen that looks read.
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QtTest>

#include <functional>
#include <memory>

#include "connection/model.h"
#include "radio/dialog_maxstream_base.h"
#include "radio/dialog_maxstream_rover.h"
#include "radio/dialog_satel_base.h"
#include "radio/dialog_satel_rover.h"

class RadioSilentTest : public QObject {
    Q_OBJECT

private slots:
    void openingReadsFail()
    {
        QStringList messages;
        CRadioDialog::SetMessageHook([&](QMessageBox::Icon, const QString&, const QString& text) { messages << text; });
        struct SCase {
            const char* Name;
            std::function<CRadioDialog*(CModel*)> Make;
            std::function<void(CModel&)> Prepare;
            std::function<void(CRadioDialog&, CModel&)> Check;
        };
        auto control = [](QWidget& d, const char* name) { return d.findChild<QWidget*>(QString::fromLatin1(name)); };
        const SCase cases[] = {
            {"maxstream base", [](CModel* m) { return new CDialogMaxstreamBase(nullptr, nullptr, m); }, {},
             [&](CRadioDialog& d, CModel&) {
                 auto* id = static_cast<QComboBox*>(control(d, "comboRadioId"));
                 auto* commit = control(d, "buttonCommit");
                 QCOMPARE(id->currentIndex(), -1);
                 QVERIFY(!commit->isEnabled());  // never writes an ID that was not read
                 id->setCurrentIndex(3);
                 QVERIFY(commit->isEnabled());
             }},
            {"maxstream rover", [](CModel* m) { return new CDialogMaxstreamRover(nullptr, nullptr, m); },
             [](CModel& m) { m.SetRadio2BValue(3); },
             [&](CRadioDialog& d, CModel&) {
                 QCOMPARE(static_cast<QComboBox*>(control(d, "comboRadioId"))->currentIndex(), -1);
                 QVERIFY(!control(d, "buttonCommit")->isEnabled());
                 QVERIFY(!static_cast<CDialogMaxstreamRover&>(d).Poller().Running());
                 QCOMPARE(static_cast<QLabel*>(control(d, "labelSignal"))->text(), QStringLiteral("Reading"));
             }},
            {"satel base keeps what the connection found", [](CModel* m) { return new CDialogSatelBase(nullptr, nullptr, m); },
             [](CModel& m) {
                 m.SetRadioFrequency(434.5);
                 m.SetRadioPower(500);
             },
             [&](CRadioDialog& d, CModel& m) {
                 QCOMPARE(static_cast<QSlider*>(control(d, "sliderChannel"))->value(), 60);
                 QCOMPARE(static_cast<QLabel*>(control(d, "labelFrequency"))->text(), QStringLiteral("Frequency: 434.500MHZ"));
                 QVERIFY(static_cast<QRadioButton*>(control(d, "radioHalfWatt"))->isChecked());
                 QCOMPARE(m.GetRadioFrequency(), 434.5);
             }},
            {"satel rover without a frequency", [](CModel* m) { return new CDialogSatelRover(nullptr, nullptr, m); },
             [](CModel& m) { m.SetRadioFrequency(0); },
             [&](CRadioDialog& d, CModel& m) {
                 QCOMPARE(static_cast<QLabel*>(control(d, "labelChannel"))->text(), QStringLiteral("Channel: 0"));
                 QCOMPARE(m.GetRadioFrequency(), 433.0);
                 QVERIFY(control(d, "buttonCommit")->isEnabled());
             }},
        };
        for (const auto& c : cases) {
            messages.clear();
            CModel model;
            if (c.Prepare)
                c.Prepare(model);
            std::unique_ptr<CRadioDialog> dialog(c.Make(&model));
            QSignalSpy ready(dialog.get(), &CRadioDialog::Ready);
            dialog->show();
            QVERIFY2(ready.wait(10000), c.Name);
            QCOMPARE(messages, QStringList{QStringLiteral("Read configuration failed - no answer")});
            c.Check(*dialog, model);
            if (QTest::currentTestFailed())
                qWarning("in case %s", c.Name);
            dialog->reject();
            QVERIFY(!dialog->isVisible());
        }
    }
};

QTEST_MAIN(RadioSilentTest)
#include "radio_silent_test.moc"
