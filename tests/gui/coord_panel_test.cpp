#include "marks/coordinate_panel.h"
#include "marks/mark_list.h"
#include "ui/auto_edit.h"
#include "ui/info_wnd.h"
#include "ui/language_module.h"

#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

using F = CCoordinatePanel::EField;

class CoordPanelTest : public QObject
{
    Q_OBJECT

    QWidget* m_Window = nullptr;
    CCoordinatePanel* m_Panel = nullptr;
    int m_Beeps = 0;

    CAutoEdit* E(F f) const { return m_Panel->Edit(f); }

    // Keys go where the focus is, as they would from a keyboard, so that moving on to the next
    // field is part of what is tested.
    static void Type(const QString& keys)
    {
        for (QChar c : keys) {
            QWidget* target = QApplication::focusWidget();
            QVERIFY(target);
            QTest::keyClick(target, c.toLatin1());
        }
    }
    static void Press(Qt::Key key)
    {
        QWidget* target = QApplication::focusWidget();
        QVERIFY(target);
        QTest::keyClick(target, key);
    }
    void FocusOn(F f)
    {
        E(f)->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(E(f)->hasFocus());
    }

private slots:
    void initTestCase()
    {
        CAutoEdit::SetBeepHook([this] { ++m_Beeps; });
    }

    void init()
    {
        m_Window = new QWidget;
        auto* layout = new QVBoxLayout(m_Window);
        m_Panel = new CCoordinatePanel(m_Window);
        layout->addWidget(m_Panel);
        m_Window->move(200, 300);
        m_Window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_Window));
        m_Window->activateWindow();
        QApplication::setActiveWindow(m_Window);
        m_Beeps = 0;
        FocusOn(F::LatDegrees);
    }

    void cleanup()
    {
        delete m_Window;
        m_Window = nullptr;
    }

    void opensEmptyWithAddDisabled()
    {
        for (F f : {F::LatDegrees, F::LatMinutes, F::LatSeconds, F::LonDegrees, F::LonMinutes, F::LonSeconds,
                    F::AltDms, F::AltDecimal, F::LatDecimal, F::LonDecimal}) {
            QVERIFY(E(f)->text().isEmpty());
            QVERIFY(!E(f)->accessibleName().isEmpty());
        }
        QVERIFY(!m_Panel->AddDmsButton()->isEnabled());
        QVERIFY(!m_Panel->AddDecimalButton()->isEnabled());
        QCOMPARE(E(F::LatMinutes)->accessibleName(), QStringLiteral("Latitude Minutes"));
    }

    void textsComeFromTheLanguageModule()
    {
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(VARNEL_SOURCE_DIR));
        CLanguageModule german;
        german.Configure("resources/languages", "english");
        QVERIFY(german.SelectLanguage(0x0407));
        QDir::setCurrent(previous);
        QVERIFY(german.IsLibraryLoaded());

        m_Panel->SetLanguageModule(&german);
        QCOMPARE(m_Panel->findChild<QGroupBox*>("decimalGroup")->title(),
                 QString::fromStdString(german.LoadText(171)));
        QCOMPARE(E(F::LatMinutes)->accessibleName(),
                 QString::fromStdString(german.LoadText(152) + " " + german.LoadText(175)));
        QCOMPARE(m_Panel->AddDmsButton()->text(), QString::fromStdString(german.LoadText(179)));
        QVERIFY(m_Panel->AddDmsButton()->text() != QStringLiteral("Add"));
    }

    void separatorsFillDegreesMinutesSeconds()
    {
        Type("5.3.15");
        QCOMPARE(E(F::LatDegrees)->text(), QStringLiteral("05"));  // padded when left
        QCOMPARE(E(F::LatMinutes)->text(), QStringLiteral("03"));
        QCOMPARE(E(F::LatSeconds)->text(), QStringLiteral("15"));
        QVERIFY(E(F::LatSeconds)->hasFocus());
        QCOMPARE(E(F::LatDecimal)->text(), QStringLiteral("5.054167"));
        QCOMPARE(m_Beeps, 0);
    }

    void fullFieldMovesOnAndLoneDigitIsPadded()
    {
        FocusOn(F::LatMinutes);
        Type("7");
        Press(Qt::Key_Tab);
        QCOMPARE(E(F::LatMinutes)->text(), QStringLiteral("07"));
        QVERIFY(E(F::LatSeconds)->hasFocus());

        FocusOn(F::LonMinutes);
        Type("45");  // two digits fill the field
        QVERIFY(E(F::LonSeconds)->hasFocus());
        FocusOn(F::LonMinutes);
        E(F::LonMinutes)->end(false);
        Type("6");  // the length limit keeps a third digit out
        QCOMPARE(E(F::LonMinutes)->text(), QStringLiteral("45"));
    }

    void letterBeepsAndChangesNothing()
    {
        Type("12");
        QTest::keyClick(E(F::LatDegrees), 'a');
        QCOMPARE(m_Beeps, 1);
        QCOMPARE(E(F::LatDegrees)->text(), QStringLiteral("12"));
        QVERIFY(E(F::LatDegrees)->hasFocus());
        QTest::keyClick(E(F::LatDegrees), Qt::Key_Backspace);
        QCOMPARE(E(F::LatDegrees)->text(), QStringLiteral("1"));
        QCOMPARE(m_Beeps, 1);
    }

    void signGoesToTheFront()
    {
        Type("12-");
        QCOMPARE(E(F::LatDegrees)->text(), QStringLiteral("-12"));
        QVERIFY(E(F::LatMinutes)->hasFocus());  // three characters fill the field

        FocusOn(F::AltDms);
        Type("12");
        QTest::keyClick(E(F::AltDms), '-');
        QTest::keyClick(E(F::AltDms), '-');
        QCOMPARE(E(F::AltDms)->text(), QStringLiteral("-12"));
        QCOMPARE(m_Beeps, 1);  // a second sign is refused
        E(F::AltDms)->selectAll();
        QTest::keyClick(E(F::AltDms), '-');  // unless it replaces everything
        QCOMPARE(E(F::AltDms)->text(), QStringLiteral("-"));
        QCOMPARE(m_Beeps, 1);
    }

    void refusedValueKeepsTheFocus()
    {
        FocusOn(F::LatMinutes);
        Type("75");  // full: the focus tries to move on and is taken back
        CAutoEdit* edit = E(F::LatMinutes);
        QVERIFY(edit->hasFocus());
        QCOMPARE(edit->selectedText(), QStringLiteral("75"));
        CInfoWnd* info = edit->InfoWindow();
        QVERIFY(info->isVisible());
        QCOMPARE(info->MessageText(), QStringLiteral(" Latitude Minutes Greater than 59! "));
        const QPoint editTop = edit->mapToGlobal(QPoint(0, 0));
        QCOMPARE(info->geometry().bottom() + 1, editTop.y() - CInfoWnd::GapY - 1);
        QCOMPARE(info->geometry().left(), editTop.x() - 3);
        QCOMPARE(QApplication::activeWindow(), m_Window);  // the message never takes the activation

        // Typing over the selection with a valid value and leaving hides the message.
        Type("30");
        QVERIFY(E(F::LatSeconds)->hasFocus());
        QCOMPARE(edit->text(), QStringLiteral("30"));
        QVERIFY(!info->isVisible());
    }

    void longitudeEastOf180IsRewritten()
    {
        FocusOn(F::LonDegrees);
        Type("200");
        Press(Qt::Key_Tab);
        QCOMPARE(E(F::LonDegrees)->text(), QStringLiteral("-160"));
        QCOMPARE(E(F::LonDecimal)->text(), QStringLiteral("-160.000000"));
    }

    void formsFollowEachOther()
    {
        // Decimal to D/M/S, with the sign of a value above -1 kept.
        FocusOn(F::LatDecimal);
        QCOMPARE(m_Panel->FocusSide(), 1);
        Type("-0.5");
        QCOMPARE(E(F::LatDegrees)->text(), QStringLiteral("-0"));
        QCOMPARE(E(F::LatMinutes)->text(), QStringLiteral("30"));
        QCOMPARE(E(F::LatSeconds)->text(), QStringLiteral("0.00"));
        QCOMPARE(E(F::LatDecimal)->text(), QStringLiteral("-0.5"));  // not rewritten by its own echo

        FocusOn(F::AltDecimal);
        Type("12.5");
        QCOMPARE(E(F::AltDms)->text(), QStringLiteral("12.5"));

        // D/M/S to decimal.
        FocusOn(F::LonDegrees);
        QCOMPARE(m_Panel->FocusSide(), 0);
        Type("0.30.0");
        QCOMPARE(E(F::LonDecimal)->text(), QStringLiteral("0.500000"));
        FocusOn(F::AltDms);
        E(F::AltDms)->selectAll();
        Type("100");
        QCOMPARE(E(F::AltDecimal)->text(), QStringLiteral("100"));

        // Emptying one side empties the other.
        FocusOn(F::LatDecimal);
        E(F::LatDecimal)->selectAll();
        Press(Qt::Key_Backspace);
        QVERIFY(E(F::LatDegrees)->text().isEmpty());
        QVERIFY(E(F::LatSeconds)->text().isEmpty());
    }

    void addIsEnabledByFullValues()
    {
        FocusOn(F::LatDecimal);
        Type("45,10,");
        QVERIFY(E(F::AltDecimal)->hasFocus());
        QVERIFY(!m_Panel->AddDecimalButton()->isEnabled());  // no altitude yet
        Type("100");
        Press(Qt::Key_Tab);
        QVERIFY(m_Panel->AddDecimalButton()->isEnabled());
        QVERIFY(m_Panel->AddDmsButton()->isEnabled());

        // 90.5 is refused and keeps "Add" off once any edit is left.
        FocusOn(F::LatDecimal);
        E(F::LatDecimal)->selectAll();
        Type("90.5");
        Press(Qt::Key_Tab);
        QVERIFY(E(F::LatDecimal)->hasFocus());
        QCOMPARE(E(F::LatDecimal)->InfoWindow()->MessageText(), QStringLiteral(" Latitude is greater than 90. "));
        QVERIFY(!m_Panel->AddDecimalButton()->isEnabled());
        QVERIFY(!m_Panel->AddDmsButton()->isEnabled());
    }

    void addTwiceAddsOnce()
    {
        CMarkList marks;
        QSignalSpy spy(m_Panel, &CCoordinatePanel::AddRequested);
        connect(m_Panel, &CCoordinatePanel::AddRequested, this,
                [&marks](const QString& lat, const QString& lon, const QString& alt) {
                    marks.AddMark(lat.toStdString(), lon.toStdString(), alt.toStdString());
                });
        Type("51.30.0,");
        QVERIFY(E(F::LonDegrees)->hasFocus());
        Type("0.7.30,");
        QVERIFY(E(F::AltDms)->hasFocus());
        Type("12.5");
        Press(Qt::Key_Tab);
        QVERIFY(m_Panel->AddDmsButton()->isEnabled());
        QTest::mouseClick(m_Panel->AddDmsButton(), Qt::LeftButton);
        QTest::mouseClick(m_Panel->AddDecimalButton(), Qt::LeftButton);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("51.500000"));
        QCOMPARE(spy.at(0).at(1).toString(), QStringLiteral("0.125000"));
        QCOMPARE(spy.at(0).at(2).toString(), QStringLiteral("12.5"));
        QCOMPARE(marks.Size(), std::size_t(1));
        QCOMPARE(E(F::LatDecimal)->text(), QStringLiteral("51.500000"));  // the edits keep their texts
    }

    void clearEmptiesEverything()
    {
        Type("10.");
        m_Panel->Clear();
        QVERIFY(E(F::LatDegrees)->text().isEmpty());
        QVERIFY(E(F::LatDecimal)->text().isEmpty());
        QVERIFY(!m_Panel->AddDmsButton()->isEnabled());
    }
};

QTEST_MAIN(CoordPanelTest)
#include "coord_panel_test.moc"
