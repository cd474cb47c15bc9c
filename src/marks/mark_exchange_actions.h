#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <string>
#include <vector>

#include "marks/mark.h"

class CGridCoordinates;
class CMarkList;
class QAction;
class QMenu;
class QWidget;

// File > Export…, Export Selected… and Import… of the marks editor: the file dialogs and the
// import summary around the core readers and writers (marks/mark_exchange.h).
class CMarkExchangeActions : public QObject {
    Q_OBJECT
public:
    using TextFn = std::function<QString(int id)>;
    using SelectedFn = std::function<std::vector<CMark>()>;

    // Adds the three actions to `menu` before `before`, followed by a separator.
    CMarkExchangeActions(QWidget* parent, QMenu* menu, QAction* before, CMarkList& marks, std::string& lastPath,
                         TextFn text, SelectedFn selected);

    QAction* ExportAction() const { return m_Export; }
    QAction* ExportSelectedAction() const { return m_ExportSelected; }
    QAction* ImportAction() const { return m_Import; }

    // The grid whose columns a CSV export adds (null: none), asked at each export.
    void SetGridColumns(std::function<const CGridCoordinates*()> grid) { m_Grid = std::move(grid); }

    void Export(bool selectedOnly);
    void Import();

private:
    QWidget* m_Parent;
    CMarkList& m_Marks;
    std::string& m_LastPath;
    TextFn m_Text;
    SelectedFn m_Selected;
    std::function<const CGridCoordinates*()> m_Grid;
    QAction* m_Export;
    QAction* m_ExportSelected;
    QAction* m_Import;
};
