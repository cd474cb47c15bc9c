#include "base/dialog_map.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QSettings>
#include <QShortcut>
#include <QUrlQuery>

#include <cstdlib>

#ifdef VARNEL_HAVE_WEBENGINE
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>
#endif

#include "base/map_address.h"
#include "base/map_page.h"
#include "connection/model.h"
#include "marks/mark_list.h"
#include "ui/app_icon.h"
#include "ui/display_text.h"
#include "ui/elided_label.h"
#include "ui/string_table.h"
#include "ui_dialog_map.h"

namespace {

QString SettingText(const char* key)
{
    return QSettings().value(QLatin1String(key)).toString().trimmed();
}

MapBrowserOpener& BrowserOpener()
{
    static MapBrowserOpener opener;
    return opener;
}

std::function<bool()>& WebEngineCheck()
{
    static std::function<bool()> check;
    return check;
}

bool OpenInBrowser(const QUrl& url)
{
    return BrowserOpener() ? BrowserOpener()(url) : QDesktopServices::openUrl(url);
}

}  // namespace

void SetMapBrowserOpener(MapBrowserOpener opener)
{
    BrowserOpener() = std::move(opener);
}

void SetMapWebEngineCheck(std::function<bool()> check)
{
    WebEngineCheck() = std::move(check);
}

QUrl MarksMapUrl(const CMarkList& marks)
{
    if (marks.IsEmpty())
        return {};
    std::string service = MapServiceUrl();
    if (service.empty())
        service = SettingText("Map/ServiceUrl").toStdString();
    if (service.empty()) {
        const auto page = FindMapPage(QCoreApplication::applicationDirPath().toStdString());
        if (!page)
            return {};
        service = FileUrl(*page);
    }
    const std::string tiles =
        MapTileTemplate(std::getenv(MapTilesEnvironmentVariable), SettingText("Map/TileUrl").toStdString());
    // Already percent-encoded: taken as it stands.
    return QUrl::fromEncoded(QByteArray::fromStdString(BuildMapPageAddress(marks, service, tiles)));
}

CDialogMap::CDialogMap(QWidget* parent, const CMarkList& marks, CModel* model)
    : QDialog(parent), m_Ui(new Ui::CDialogMap), m_Marks(&marks), m_Model(model)
{
    m_Ui->setupUi(this);
    setWindowIcon(VarnelIcon());
    TranslateTemplateTexts(this, m_Model ? m_Model->GetLanguageModule() : nullptr);
    m_Ui->labelMessage->hide();
    // The web view takes every key it is given, so Escape would never reach the dialog.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QDialog::reject);
    m_MapUrl = MarksMapUrl(*m_Marks);
    if (m_MapUrl.isEmpty()) {
        ShowMessage(UiText(m_Model, StringIds::MapPageNotFound));
        return;
    }
    const QString texts = QString::fromStdString(BuildMapTextsQuery(m_Model ? m_Model->GetLanguageModule() : nullptr));
    m_MapUrl.setQuery(m_MapUrl.query(QUrl::FullyEncoded) + QLatin1Char('&') + texts, QUrl::StrictMode);
#ifdef VARNEL_HAVE_WEBENGINE
    // Chromium would end the whole program here: the browser shows the same page instead.
    if (!(WebEngineCheck() ? WebEngineCheck()() : WebEngineCanRunHere())) {
        if (OpenInBrowser(m_MapUrl))
            ShowMessage(UiText(m_Model, StringIds::MapBrowserAsRoot));
        else
            ShowMessage(UiText(m_Model, StringIds::MapBrowserFailed));
        return;
    }
    if (static_cast<std::size_t>(m_MapUrl.toEncoded().size()) > MaxMapAddressBytes || m_Marks->Size() > MaxMapMarks) {
        // The page waits for its marks, which follow through the script interface once it has loaded.
        QUrlQuery query(m_MapUrl);
        const QString tiles = query.queryItemValue(QStringLiteral("tiles"), QUrl::FullyEncoded);
        m_MapUrl.setQuery(QStringLiteral("deferred=1") + (tiles.isEmpty() ? QString() : "&tiles=" + tiles) +
                              QLatin1Char('&') + texts,
                          QUrl::StrictMode);
        m_MarksScript = QStringLiteral("window.varnelMap.start('%1');")
                            .arg(QString::fromStdString(BuildMapMarksQuery(*m_Marks, MaxMapMarks)));
    }
#endif
#ifdef VARNEL_HAVE_WEBENGINE
    m_View = new QWebEngineView(this);
    m_View->setAccessibleName(windowTitle());
    // The local page draws tiles from the configured tile service.
    m_View->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    m_Ui->layoutMain->addWidget(m_View, 1);
    connect(m_View, &QWebEngineView::loadFinished, this, &CDialogMap::OnLoadFinished);
    QFile loading(QStringLiteral(":/map/loading.html"));
    loading.open(QIODevice::ReadOnly);
    m_LoadingShown = true;
    m_View->setHtml(QString::fromUtf8(loading.readAll()));
    m_View->setFocus();
#else
    if (OpenInBrowser(m_MapUrl))
        ShowMessage(UiText(m_Model, StringIds::MapOpenedInBrowser));
    else
        ShowMessage(UiText(m_Model, StringIds::MapBrowserFailed));
#endif
}

CDialogMap::~CDialogMap()
{
    delete m_Ui;
}

QString CDialogMap::Message() const
{
    return m_Ui->labelMessage->isHidden() ? QString() : m_Ui->labelMessage->text();
}

void CDialogMap::ShowMessage(const QString& text)
{
#ifdef VARNEL_HAVE_WEBENGINE
    if (m_View)
        m_View->hide();
#endif
    ShowLabelText(m_Ui->labelMessage, text);
    m_Ui->labelMessage->show();
    m_Ui->labelMessage->setFocus();
}

void CDialogMap::OnLoadFinished(bool ok)
{
#ifdef VARNEL_HAVE_WEBENGINE
    if (m_LoadingShown) {
        // The loading page is up: now the map itself.
        m_LoadingShown = false;
        m_View->load(m_MapUrl);
        return;
    }
    if (!ok)
        ShowMessage(UiText(m_Model, StringIds::MapPageNotLoaded) + QLatin1Char('\n') +
                    m_MapUrl.toString(QUrl::RemoveQuery | QUrl::PreferLocalFile));
    if (ok && !m_MarksScript.isEmpty()) {
        m_View->page()->runJavaScript(m_MarksScript);
        m_MarksScript.clear();
        if (m_Marks->Size() > MaxMapMarks) {
            // Said beside the map, which stays.
            ShowLabelText(m_Ui->labelMessage, UiText(m_Model, StringIds::MapTooManyMarks)
                                                  .replace(QStringLiteral("%1"), QString::number(MaxMapMarks))
                                                  .replace(QStringLiteral("%2"), QString::number(m_Marks->Size())));
            m_Ui->labelMessage->show();
        }
    }
    emit MapLoaded(ok);
#else
    Q_UNUSED(ok);
#endif
}

bool ShowMarksMap(QWidget* parent, const CMarkList& marks, CModel* model)
{
    if (marks.IsEmpty())
        return false;
    CDialogMap dialog(parent, marks, model);
    dialog.exec();
    return true;
}
