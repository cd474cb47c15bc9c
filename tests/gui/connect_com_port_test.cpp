#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "app/corrin_dlg.h"
#include "connection/dialog_connect.h"
#include "connection/model.h"

// The whole program's connect path on a real COM port with a simulated base behind it. The port is
// named by VARNEL_TEST_COM: scripts/build-windows runs this under wine with varnel-sim as COM7. On
// Linux the end-to-end tests cover the same path against the simulator's pseudo-terminal.
class ConnectComPortTest : public QObject {
    Q_OBJECT

private slots:
    void connectsToTheBaseOnTheNamedPort()
    {
        const int com = qEnvironmentVariableIntValue("VARNEL_TEST_COM");
        if (com <= 0)
            QSKIP("VARNEL_TEST_COM names no port with a simulated base behind it");

        CModel model;
        CorrinDlg main;
        main.SetModel(&model);
        QString status;
        main.SetDialogHook([&status](QDialog* d) {
            auto* wizard = qobject_cast<CDialogConnect*>(d);
            if (!wizard)
                return;
            QObject::connect(wizard, &CDialogConnect::Finished, wizard, [&status, wizard] {
                status = wizard->StatusText();
                QTimer::singleShot(0, wizard, &QDialog::reject);
            });
            QTimer::singleShot(30000, wizard, &QDialog::reject);  // never hang
        });
        main.SetErrorBox([&status](QWidget*, const QString&, const QString& text) { status = text; });

        auto* ports = main.findChild<QComboBox*>("comboPort");
        QVERIFY(ports);
        const int index = ports->findData(com);
        QVERIFY2(index >= 0, qPrintable(QStringLiteral("COM%1 is not listed").arg(com)));
        ports->setCurrentIndex(index);
        main.findChild<QRadioButton*>("radioBase")->setChecked(true);
        QTest::mouseClick(main.findChild<QPushButton*>("buttonConnect"), Qt::LeftButton);
        QCOMPARE(status, QStringLiteral("Connected to Base."));
    }
};

QTEST_MAIN(ConnectComPortTest)
#include "connect_com_port_test.moc"
