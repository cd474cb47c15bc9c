#include "marks/coordinate_panel.h"
#include "marks/mark_list.h"
#include "ui/auto_edit.h"
#include "ui/info_wnd.h"
#include "ui/language_module.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
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
    QString Text(F f) const { return E(f)->text(); }
    QString LatDms() const { return Text(F::LatDegrees) + ',' + Text(F::LatMinutes) + ',' + Text(F::LatSeconds); }

    // Keys go where the focus is, as they would from a keyboard, so that moving on to the next
    // field is part of what is tested.
    static void Type(const QString& keys)
    {
        for (QChar c : keys)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
    static void Press(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }
    void FocusOn(F f, bool selectAll = false)
    {
        E(f)->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(E(f)->hasFocus());
        if (selectAll)
            E(f)->selectAll();
    }
    // 0: neither "Add" button is enabled, 3: both are.
    int AddState() const
    {
        return int(m_Panel->AddDmsButton()->isEnabled()) + 2 * int(m_Panel->AddDecimalButton()->isEnabled());
    }

private slots:
    void initTestCase() { CAutoEdit::SetBeepHook([this] { ++m_Beeps; }); }

    void init()
    {
        m_Window = new QWidget;
        (new QVBoxLayout(m_Window))->addWidget(m_Panel = new CCoordinatePanel(m_Window));
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
        const auto text = [&german](int id) { return QString::fromStdString(german.LoadText(id)); };
        QCOMPARE(m_Panel->findChild<QGroupBox*>("decimalGroup")->title(), text(171));
        QCOMPARE(E(F::LatMinutes)->accessibleName(), text(152) + " " + text(175));
        QCOMPARE(m_Panel->AddDmsButton()->text(), text(179));
        QVERIFY(text(179) != QStringLiteral("Add"));
    }

    void separatorsAndFullFieldsMoveOnAndLoneDigitsArePadded()
    {
        Type("5.3.15");
        QCOMPARE(LatDms(), QStringLiteral("05,03,15"));  // padded when left
        QVERIFY(E(F::LatSeconds)->hasFocus());
        QCOMPARE(Text(F::LatDecimal), QStringLiteral("5.054167"));
        QCOMPARE(m_Beeps, 0);

        FocusOn(F::LonMinutes);
        Type("7");
        Press(Qt::Key_Tab);
        QCOMPARE(Text(F::LonMinutes), QStringLiteral("07"));
        QVERIFY(E(F::LonSeconds)->hasFocus());
        FocusOn(F::LonMinutes, true);
        Type("45");  // two digits fill the field
        QVERIFY(E(F::LonSeconds)->hasFocus());
        FocusOn(F::LonMinutes);
        E(F::LonMinutes)->end(false);
        Type("6");  // the length limit keeps a third digit out
        QCOMPARE(Text(F::LonMinutes), QStringLiteral("45"));
    }

    void letterBeepsAndSignGoesToTheFront()
    {
        Type("12");
        QTest::keyClick(E(F::LatDegrees), 'a');
        QCOMPARE(m_Beeps, 1);
        QCOMPARE(Text(F::LatDegrees), QStringLiteral("12"));
        Type("-");
        QCOMPARE(Text(F::LatDegrees), QStringLiteral("-12"));
        QVERIFY(E(F::LatMinutes)->hasFocus());  // three characters fill the field

        FocusOn(F::AltDms);
        Type("12--");
        QCOMPARE(Text(F::AltDms), QStringLiteral("-12"));
        QCOMPARE(m_Beeps, 2);  // a second sign is refused
        FocusOn(F::AltDms, true);
        Type("-");  // unless it replaces everything
        QCOMPARE(Text(F::AltDms), QStringLiteral("-"));
        QCOMPARE(m_Beeps, 2);
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

    void formsFollowEachOther()
    {
        // Decimal to D/M/S, with the sign of a value above -1 kept.
        FocusOn(F::LatDecimal);
        QCOMPARE(m_Panel->FocusSide(), 1);
        Type("-0.5");
        QCOMPARE(LatDms(), QStringLiteral("-0,30,0.00"));
        QCOMPARE(Text(F::LatDecimal), QStringLiteral("-0.5"));  // not rewritten by its own echo
        FocusOn(F::AltDecimal);
        Type("12.5");
        QCOMPARE(Text(F::AltDms), QStringLiteral("12.5"));

        // D/M/S to decimal; east of 180 the whole value, minutes included, goes west.
        FocusOn(F::LonDegrees);
        QCOMPARE(m_Panel->FocusSide(), 0);
        Type("200");
        Press(Qt::Key_Tab);
        QCOMPARE(Text(F::LonDegrees), QStringLiteral("200"));
        QCOMPARE(Text(F::LonDecimal), QStringLiteral("-160.000000"));
        Type("30");
        QCOMPARE(Text(F::LonDecimal), QStringLiteral("-159.500000"));
        FocusOn(F::LonDegrees, true);
        Type("0.30.0");
        QCOMPARE(Text(F::LonDecimal), QStringLiteral("0.500000"));

        // Emptying one side empties the other.
        FocusOn(F::LatDecimal, true);
        Press(Qt::Key_Backspace);
        QCOMPARE(LatDms(), QStringLiteral(",,"));
    }

    // Keys typed from a field, and what each field then holds ("Field=text;..."), where the focus is,
    // how many beeps, and what the information window says ("" when hidden).
    void entryKeystrokes_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("fields");
        QTest::addColumn<int>("focus");
        QTest::addColumn<int>("beeps");
        QTest::addColumn<QString>("info");
        const auto add = [](const char* name, F start, const char* keys, const char* fields, F focus, int beeps,
                            const char* info) {
            QTest::newRow(name) << int(start) << QString(keys) << QString(fields) << int(focus) << beeps << QString(info);
        };
        add("tab after a full field moves once", F::LatDegrees, "52	12	34.56", "LatDegrees=52;LatMinutes=12;LatSeconds=34.56",
            F::LatSeconds, 0, "");
        add("decimal comma", F::LatDecimal, "52,2051", "LatDecimal=52.2051;LonDecimal=", F::LatDecimal, 0, "");
        add("comma after the point moves on", F::LatDecimal, "52,2051,0,1234", "LatDecimal=52.2051;LonDecimal=0.1234",
            F::LonDecimal, 0, "");
        add("comma in seconds", F::LatSeconds, "34,5", "LatSeconds=34.5", F::LatSeconds, 0, "");
        add("seconds refuse what does not fit", F::LatSeconds, "12.345", "LatSeconds=12.34;LonDegrees=", F::LatSeconds,
            1, " This field takes at most 5 characters. ");
        add("second point refused", F::AltDecimal, "1.2.3", "AltDecimal=1.23", F::AltDecimal, 1, "");
        add("letter refused and said", F::LatDegrees, "5x", "LatDegrees=5", F::LatDegrees, 1,
            " This field takes digits and one minus sign. ");
        add("shift+tab after moving on", F::LatMinutes, "30<", "LatMinutes=30", F::LatSeconds, 0, "");
    }

    void entryKeystrokes()
    {
        QFETCH(int, start);
        QFETCH(QString, keys);
        QFETCH(QString, fields);
        QFETCH(int, focus);
        QFETCH(int, beeps);
        QFETCH(QString, info);
        const QMap<QString, F> names{{"LatDegrees", F::LatDegrees}, {"LatMinutes", F::LatMinutes},
                                     {"LatSeconds", F::LatSeconds}, {"LonDegrees", F::LonDegrees},
                                     {"LatDecimal", F::LatDecimal}, {"LonDecimal", F::LonDecimal},
                                     {"AltDecimal", F::AltDecimal}};
        FocusOn(F(start));
        for (QChar c : keys) {
            if (c == '<')  // Shift+Tab
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            else if (c == '\t')
                Press(Qt::Key_Tab);
            else
                QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        }
        for (const QString& pair : fields.split(';')) {
            const QStringList kv = pair.split('=');
            QCOMPARE(Text(names.value(kv[0])), kv[1]);
        }
        QVERIFY(E(F(focus))->hasFocus());
        QCOMPARE(m_Beeps, beeps);
        CInfoWnd* shown = E(F(focus))->InfoWindow();
        QCOMPARE(shown->isVisible() ? shown->MessageText() : QString(), info);
    }

    void addIsEnabledByFullValuesAndAddTwiceAddsOnce()
    {
        QCOMPARE(AddState(), 0);
        CMarkList marks;
        int requests = 0;
        connect(m_Panel, &CCoordinatePanel::AddRequested, this, [&](const QString& lat, const QString& lon,
                                                                   const QString& alt) {
            ++requests;
            marks.AddMark(lat.toStdString(), lon.toStdString(), alt.toStdString());
        });
        Type("51.30.0.0,0.7.30.0,");
        QVERIFY(E(F::AltDms)->hasFocus());
        QCOMPARE(AddState(), 0);  // no altitude yet
        Type("12.5");
        QCOMPARE(AddState(), 3);  // as soon as the values are valid
        Press(Qt::Key_Tab);
        QVERIFY(m_Panel->AddDmsButton()->hasFocus());
        Press(Qt::Key_Space);
        QCOMPARE(requests, 1);
        QTest::mouseClick(m_Panel->AddDmsButton(), Qt::LeftButton);
        QTest::mouseClick(m_Panel->AddDecimalButton(), Qt::LeftButton);
        QCOMPARE(requests, 3);
        QCOMPARE(marks.Size(), std::size_t(1));
        QVERIFY(marks.Contains("51.500000", "0.125000", "12.5"));
        QCOMPARE(Text(F::LatDecimal), QStringLiteral("51.500000"));  // the edits keep their texts

        // 90.5 is refused and keeps "Add" off once any edit is left.
        FocusOn(F::LatDecimal, true);
        Type("90.5");
        Press(Qt::Key_Tab);
        QVERIFY(E(F::LatDecimal)->hasFocus());
        QCOMPARE(E(F::LatDecimal)->InfoWindow()->MessageText(), QStringLiteral(" Latitude is greater than 90. "));
        QCOMPARE(AddState(), 0);

        m_Panel->Clear();
        for (F f : {F::LatDegrees, F::LatMinutes, F::LatSeconds, F::LonDegrees, F::LonMinutes, F::LonSeconds,
                    F::AltDms, F::AltDecimal, F::LatDecimal, F::LonDecimal})
            QVERIFY(Text(f).isEmpty());
        QCOMPARE(AddState(), 0);
    }

    // The grid group: the chooser, search, UTM zone from the longitude, the three groups in step,
    // the area check with the same information window, Add with eight decimals, a ballpark told.
    void gridCoordinatesEnterConvertAndAdd()
    {
        if (m_Panel->Grid().State() != EGridError::None)
            QSKIP("built without PROJ or its database");
        auto* info = m_Panel->findChild<QLabel*>("systemInfoLabel");
        QCOMPARE(m_Panel->SystemChooser()->accessibleName(), QStringLiteral("Coordinate System"));
        QVERIFY(m_Panel->ChooseSystem(QString::fromLatin1(CCoordinatePanel::UtmChoice)));

        FocusOn(F::LatDecimal);
        Type("-34");
        FocusOn(F::LonDecimal);  // a comma after digits would be the decimal point
        Type("16");
        QCOMPARE(Text(F::Easting), QStringLiteral("592349.603"));
        QCOMPARE(Text(F::Northing), QStringLiteral("6237393.340"));
        QCOMPARE(m_Panel->findChild<QSpinBox*>("zoneSpin")->value(), 33);
        QVERIFY(info->text().contains(QStringLiteral("EPSG:32733")));
        QCOMPARE(info->accessibleName(), info->text());

        auto* search = m_Panel->findChild<QLineEdit*>("systemSearchEdit");
        search->setFocus();
        search->setText(QStringLiteral("27700"));
        QTest::keyClick(search, Qt::Key_Return);
        QCOMPARE(m_Panel->SystemChooser()->currentData().toString(), QStringLiteral("27700"));
        QVERIFY(info->text().contains(QStringLiteral("United Kingdom")));
        QVERIFY(info->text().contains(QStringLiteral("accuracy")));
        QVERIFY(Text(F::Easting).isEmpty());  // the point typed before is off the British grid

        int requests = 0;
        QStringList added;
        connect(m_Panel, &CCoordinatePanel::AddRequested, this,
                [&](const QString& la, const QString& lo, const QString& al) {
                    ++requests;
                    added = {la, lo, al};
                });
        FocusOn(F::Easting, true);
        Type("530000,180000,25");
        Press(Qt::Key_Tab);
        QVERIFY(Text(F::LatDecimal).startsWith(QStringLiteral("51.50")));
        QCOMPARE(Text(F::LatDecimal).section('.', 1).size(), 8);
        QVERIFY(!Text(F::LatDegrees).isEmpty());
        QCOMPARE(Text(F::AltDecimal), QStringLiteral("25"));
        QVERIFY(m_Panel->AddGridButton()->isEnabled());
        QTest::mouseClick(m_Panel->AddGridButton(), Qt::LeftButton);
        QCOMPARE(requests, 1);
        QCOMPARE(added, (QStringList{Text(F::LatDecimal), Text(F::LonDecimal), QStringLiteral("25")}));

        // Far north of Shetland: refused where it was typed, nothing added.
        FocusOn(F::Northing, true);
        Type("5000000");
        Press(Qt::Key_Tab);
        QVERIFY(E(F::Northing)->hasFocus());
        QVERIFY(E(F::Northing)->InfoWindow()->MessageText().contains(QStringLiteral("outside the area of use")));
        QVERIFY(!m_Panel->AddGridButton()->isEnabled());
        QVERIFY(Text(F::LatDecimal).isEmpty());

        QVERIFY(!m_Panel->ChooseSystem(QStringLiteral("4326")));
        QVERIFY(info->text().contains(QStringLiteral("not a grid")));
        QVERIFY(m_Panel->ChooseSystem(QStringLiteral("2017")));  // a datum without a known shift
        QVERIFY(info->text().contains(QStringLiteral("ballpark")));
        QVERIFY(m_Panel->SystemChooser()->findData(QStringLiteral("27700")) > 0);  // a recent choice
    }
};

QTEST_MAIN(CoordPanelTest)
#include "coord_panel_test.moc"
