#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include "base/advanced_settings.h"
#include "base/base_settings.h"
#include "base/dialog_advanced.h"
#include "connection/model.h"
#include "marks/base_session.h"
#include "shared/recording_prompter.h"

// The dialog's controls offscreen; what it sends and reads is the end-to-end test's.
class DialogAdvancedTest : public QObject {
    Q_OBJECT

private slots:
    void slidersShowTheRecordAndOnlyTheOperatorChangesIt()
    {
        CModel model;
        CBaseSession session(&model, nullptr);
        CBaseSettings& settings = session.Settings();
        settings.SetIntBatVWarn(12.349);
        settings.SetIntBatDr(3000);  // beyond the slider: it stands at its end, the label tells
        AdvancedTickCounter() = -1000000;  // no refresh during this test
        CDialogAdvanced dlg(nullptr, &session, &model);
        auto* warn = dlg.findChild<QSlider*>("sliderWarnLevel");
        auto* rate = dlg.findChild<QSlider*>("sliderDischargeRate");
        auto* warnLabel = dlg.findChild<QLabel*>("labelWarnLevel");
        QVERIFY(warn && rate && warnLabel);

        // At opening, before any tick, and without storing anything.
        QCOMPARE(warn->value(), 1235);
        QCOMPARE(dlg.findChild<QSlider*>("sliderCriticalLevel")->value(), 1100);
        QCOMPARE(rate->value(), 2000);
        QCOMPARE(warnLabel->text(), QStringLiteral("Warning Level: 12.35V"));
        QCOMPARE(dlg.findChild<QLabel*>("labelDischargeRate")->text(), QStringLiteral("Discharge:  3000Minutes/V"));
        QCOMPARE(settings.GetIntBatVWarn(), 12.349);
        QCOMPARE(settings.GetIntBatDr(), 3000);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Advanced Settings"));
        QCOMPARE(dlg.findChild<QPushButton*>("buttonWriteSettings")->accessibleName(), QStringLiteral("Write Settings"));

        // Keyboard and programmatic moves alike are the operator's: setting, label and names follow.
        dlg.show();
        warn->setFocus();
        QTest::keyClick(warn, Qt::Key_Right);
        QCOMPARE(settings.GetIntBatVWarn(), 12.36);
        QCOMPARE(warnLabel->text(), QStringLiteral("Warning Level: 12.36V"));
        QCOMPARE(warnLabel->accessibleName(), warnLabel->text());
        QCOMPARE(warn->accessibleName(), warnLabel->text());
        rate->setValue(750);
        QCOMPARE(settings.GetIntBatDr(), 750);
        QCOMPARE(rate->accessibleName(), QStringLiteral("Discharge:  750Minutes/V"));

        // A critical level not below the warning level is refused with a message; nothing goes out.
        QString message;
        CRecordingPrompter prompter([&](QMessageBox::Icon, const QString& text) { message = text; });
        dlg.findChild<QSlider*>("sliderCriticalLevel")->setValue(1236);
        auto* write = dlg.findChild<QPushButton*>("buttonWriteSettings");
        write->click();
        QCOMPARE(message, QStringLiteral("The critical level (12.36V) must be below the warning level (12.36V). "
                                         "Nothing was sent to the base."));
        QVERIFY(!dlg.Logic().ReadBackPending());

        // While the port is lost the sending buttons say why, and come back with the port.
        QString lost = QStringLiteral("Connection lost - waiting for COM5...");
        dlg.SetLostReason([&] { return lost; });
        auto* read = dlg.findChild<QPushButton*>("buttonReadSettings");
        for (QPushButton* b : {read, write}) {
            QVERIFY(!b->isEnabled());
            QCOMPARE(b->toolTip(), lost);
        }
        lost.clear();
        QTRY_VERIFY(write->isEnabled() && read->isEnabled());
        QVERIFY(write->toolTip().isEmpty());

        // Cancel puts back the levels the dialog opened with, in the record and on the sliders.
        dlg.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(settings.GetIntBatVWarn(), 12.349);
        QCOMPARE(settings.GetIntBatVCritical(), 11.0);
        QCOMPARE(settings.GetIntBatDr(), 3000);
        QCOMPARE(warn->value(), 1235);
        QCOMPARE(warnLabel->text(), QStringLiteral("Warning Level: 12.35V"));
    }
};

QTEST_MAIN(DialogAdvancedTest)
#include "base_dialog_advanced_test.moc"
