#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QUrlQuery>
#include <QtTest>

#include <optional>

#include "base/dialog_map.h"
#include "base/map_address.h"
#include "base/map_page.h"
#include "connection/model.h"
#include "marks/mark_list.h"
#include "ui/display_text.h"
#include "ui/string_table.h"

#ifdef VARNEL_HAVE_WEBENGINE
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {
// Evaluates a script in the page's own world; JSON keeps the result's types plain.
QJsonObject Evaluate(CDialogMap& dialog, const QString& script)
{
    QVariant result;
    bool done = false;
    dialog.View()->page()->runJavaScript(script, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 20000))
        return {};
    return QJsonDocument::fromJson(result.toString().toUtf8()).object();
}

// Shows the dialog and waits for its page: the load's outcome, or nothing when none came.
std::optional<bool> ShowAndLoad(CDialogMap& dialog)
{
    QSignalSpy loaded(&dialog, &CDialogMap::MapLoaded);
    dialog.show();
    if (!loaded.wait(45000))
        return std::nullopt;
    return loaded.first().first().toBool();
}
}  // namespace
#endif

class MapDialogTest : public QObject {
    Q_OBJECT

private slots:
    void emptyListOpensNothing()
    {
        CMarkList marks;
        CModel model;
        QVERIFY(!ShowMarksMap(nullptr, marks, &model));
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<CDialogMap*>(w));
        QVERIFY(MarksMapUrl(marks).isEmpty());
    }

    void withoutTheEmbeddedViewThePageGoesToTheBrowser()
    {
        // As root with the sandbox on: the browser gets the page with every mark and the texts.
        SetMapServiceUrl(FileUrl(VARNEL_BINARY_DIR "/map/index.html"));
        QList<QUrl> opened;
        bool opens = true;
        SetMapBrowserOpener([&](const QUrl& url) {
            opened.append(url);
            return opens;
        });
        SetMapWebEngineCheck([] { return false; });
        CMarkList marks;
        marks.AddMark("10.5", "20.25", "100");
        marks.AddMark("10.6", "20.35", "5");
        CModel model;
        {
            CDialogMap dialog(nullptr, marks, &model);
            QCOMPARE(opened.size(), 1);
            QVERIFY(opened.first().isLocalFile());
            const QUrlQuery query(opened.first());
            QCOMPARE(query.queryItemValue("lat1"), QStringLiteral("10.6"));
            QCOMPARE(query.queryItemValue("alt0"), QStringLiteral("100"));
            QCOMPARE(query.queryItemValue("t_mark", QUrl::FullyDecoded), QStringLiteral("Mark %1"));
#ifdef VARNEL_HAVE_WEBENGINE
            QVERIFY(dialog.Message().startsWith("The map cannot be shown in this window while the program runs as root"));
#else
            QCOMPARE(dialog.Message(), UiText(&model, StringIds::MapOpenedInBrowser));
#endif
            QVERIFY(!dialog.View());
        }
        opens = false;
        CDialogMap failed(nullptr, marks, &model);
        QCOMPARE(failed.Message(), UiText(&model, StringIds::MapBrowserFailed));
        SetMapBrowserOpener({});
        SetMapWebEngineCheck({});
        SetMapServiceUrl("");
    }

#ifdef VARNEL_HAVE_WEBENGINE
    void marksAreTextAndOnlyNumbersArePlaced()
    {
        // Tiles from a closed local port: they fail at once, as without a network.
        qputenv(MapTilesEnvironmentVariable, "http://127.0.0.1:9/{z}/{x}/{y}.png");
        SetMapServiceUrl(FileUrl(VARNEL_BINARY_DIR "/map/index.html"));
        const QString hostile = QStringLiteral("<img src=x onerror=\"window.injected=1\">");
        CMarkList marks;
        marks.AddMark("10.5", "20.25", "100");
        marks.AddMark("10.6", "20.35", "5");
        marks.AddMark(hostile.toStdString(), "7", "0");
        CModel model;
        CDialogMap dialog(nullptr, marks, &model);
        QCOMPARE(ShowAndLoad(dialog), std::optional<bool>(true));
        QVERIFY(dialog.Message().isEmpty());

        const QString probe = QStringLiteral(
            "JSON.stringify({ready: !!(window.varnelMap && varnelMap.ready),"
            " markers: document.querySelectorAll('.leaflet-marker-pane .varnel-mark').length,"
            " numbers: Array.from(document.querySelectorAll('.leaflet-marker-pane .varnel-mark'), e => e.textContent),"
            " titles: document.querySelectorAll('.leaflet-marker-pane [title], .leaflet-marker-pane [alt]').length,"
            " named: document.querySelector('.leaflet-marker-pane .varnel-mark').getAttribute('aria-label'),"
            " listed: Array.from(document.querySelectorAll('.varnel-not-placed'), e => e.textContent),"
            " elements: document.querySelectorAll('#notPlaced img, .leaflet-tooltip-pane img').length,"
            " status: document.getElementById('status').textContent,"
            " scale: document.querySelectorAll('.leaflet-control-scale').length,"
            " injected: typeof window.injected})");
        QJsonObject page;
        QTRY_VERIFY_WITH_TIMEOUT((page = Evaluate(dialog, probe))["ready"].toBool() &&
                                     page["status"].toString().startsWith("No map tiles could be loaded"),
                                 30000);
        QCOMPARE(page["markers"].toInt(), 2);
        // Numbered as the list numbers them, each with its tooltip only.
        QCOMPARE(page["numbers"].toArray(), QJsonArray({"1", "2"}));
        QCOMPARE(page["titles"].toInt(), 0);
        QCOMPARE(page["named"].toString(), QStringLiteral("Mark 1, Latitude: 10.5, Longitude: 20.25, Altitude: 100"));
        QCOMPARE(page["scale"].toInt(), 1);
        const QJsonArray listed = page["listed"].toArray();
        QCOMPARE(listed.size(), 1);
        QVERIFY(listed.first().toString().contains("Latitude: " + hostile));
        QCOMPARE(page["elements"].toInt(), 0);
        QCOMPARE(page["injected"].toString(), QStringLiteral("undefined"));

        // Escape closes the window although the page has the keyboard.
        QWidget* pageWidget = dialog.View()->focusProxy() ? dialog.View()->focusProxy() : dialog.View();
        QTest::keyClick(pageWidget, Qt::Key_Escape);
        QTRY_VERIFY(!dialog.isVisible());
    }

    // As many marks as the page draws: too many for an address, so they follow through the
    // script interface, and every one is placed.
    void mostMarksAllShow()
    {
        qputenv(MapTilesEnvironmentVariable, "http://127.0.0.1:9/{z}/{x}/{y}.png");
        SetMapServiceUrl(FileUrl(VARNEL_BINARY_DIR "/map/index.html"));
        CMarkList marks;
        for (std::size_t i = 0; i < MaxMapMarks; ++i)
            marks.AddMark(std::to_string(40 + double(i % 1000) / 1000), std::to_string(-3 - double(i / 1000) / 100),
                          std::to_string(i));
        QElapsedTimer clock;
        clock.start();
        CModel model;
        CDialogMap dialog(nullptr, marks, &model);
        QCOMPARE(ShowAndLoad(dialog), std::optional<bool>(true));
        const QString probe = QStringLiteral(
            "JSON.stringify({ready: !!(window.varnelMap && varnelMap.ready), placed: varnelMap.placed,"
            " notPlaced: varnelMap.notPlaced})");
        QJsonObject page;
        QTRY_VERIFY_WITH_TIMEOUT((page = Evaluate(dialog, probe))["ready"].toBool(), 30000);
        QCOMPARE(page["placed"].toInt(), int(MaxMapMarks));
        QCOMPARE(page["notPlaced"].toInt(), 0);
        QVERIFY(dialog.Message().isEmpty());  // none left out
        qInfo("%d marks shown after %lld ms", int(MaxMapMarks), static_cast<long long>(clock.elapsed()));
    }

    void pageThatFailsToLoadShowsAMessage()
    {
        SetMapServiceUrl("file:///nonexistent/varnel/index.html");
        CMarkList marks;
        marks.AddMark("1", "2", "3");
        CDialogMap dialog(nullptr, marks, nullptr);
        QCOMPARE(ShowAndLoad(dialog), std::optional<bool>(false));
        QVERIFY(dialog.Message().startsWith("The map page could not be loaded:\n/nonexistent/varnel/index.html"));
        SetMapServiceUrl("");
    }
#endif
};

int main(int argc, char** argv)
{
    // Tests run as root in CI, where Qt WebEngine refuses its sandbox; only this test switches it off.
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    MapDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "map_dialog_test.moc"
