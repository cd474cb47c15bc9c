#pragma once

#include <QDialog>
#include <QString>
#include <QUrl>

#include <functional>

class CMarkList;
class CModel;
class QWebEngineView;

namespace Ui {
class CDialogMap;
}

// The map of marks: the "Loading...." page, then the program's map page (or the configured map
// service) with the marks in its query. Built without Qt WebEngine, it hands the same address to
// the system's web browser and says so.
class CDialogMap : public QDialog {
    Q_OBJECT
public:
    CDialogMap(QWidget* parent, const CMarkList& marks, CModel* model);
    ~CDialogMap() override;

    // The address the dialog navigates to; empty when there is no page to show.
    QUrl MapUrl() const { return m_MapUrl; }
    // The message shown instead of the map (empty while the map is shown).
    QString Message() const;
    // The embedded browser, or nullptr in a build without one.
    QWebEngineView* View() const { return m_View; }

signals:
    // The map page finished loading (ok) or failed (the message is shown).
    void MapLoaded(bool ok);

private:
    void ShowMessage(const QString& text);
    void OnLoadFinished(bool ok);

    Ui::CDialogMap* m_Ui;
    const CMarkList* m_Marks;  // not owned
    CModel* m_Model;           // not owned; gives the texts' language
    QUrl m_MapUrl;
    // Given to the page through its script interface when the address would be too long.
    QString m_MarksScript;
    QWebEngineView* m_View = nullptr;
    bool m_LoadingShown = false;
};

// The map page's address for these marks: the configured service (SetMapServiceUrl, else the
// settings entry Map/ServiceUrl), else the program's own page; the tile template from
// VARNEL_MAP_TILES, else the settings entry Map/TileUrl, else the default. Empty without marks or page.
QUrl MarksMapUrl(const CMarkList& marks);

// How the map reaches the system's browser (QDesktopServices::openUrl) and whether the embedded view
// may start (WebEngineCanRunHere); tests put their own in, an empty function restores the default.
using MapBrowserOpener = std::function<bool(const QUrl&)>;
void SetMapBrowserOpener(MapBrowserOpener opener);
void SetMapWebEngineCheck(std::function<bool()> check);

// Opens the map of the marks modally. An empty list opens nothing and gives false.
bool ShowMarksMap(QWidget* parent, const CMarkList& marks, CModel* model);
