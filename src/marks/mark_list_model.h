#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <array>
#include <memory>
#include <vector>

#include "marks/grid_coordinates.h"
#include "marks/mark.h"

class CMarkList;

// The mark list as a table. It keeps copies of the rows it shows and follows the list's change log
// (Sync), so each tick redraws only the rows that were added, moved, removed or changed, and a
// selection stays with its rows. "In Use" shows "*" for marks near the base's reference position.
// With a grid system, easting, northing and (UTM) zone columns follow, for display only: each row
// converts on its first draw and keeps the texts until the system changes.
class CMarkListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Columns in display order; a new column is a value here and a case in Cell.
    enum EColumn { ColNumber, ColLatitude, ColLongitude, ColAltitude, ColInUse, ColumnCount };

    // Borrows both; the reference position is read at each Sync.
    CMarkListModel(CMarkList& marks, const CMark& reference, QObject* parent = nullptr);
    ~CMarkListModel() override;

    // Takes the list's changes since the last call and the reference position as it stands.
    void Sync();
    void SetHeader(EColumn column, const QString& text);

    // The mark a row shows (a copy: the list may have dropped it since).
    const CMark& MarkAt(int row) const;

    // The grid columns after ColumnCount; the zone only for a UTM system.
    enum EGridColumn { GridEasting, GridNorthing, GridZone, GridColumnCount };
    // Borrows grid, whose system the columns follow; null drops the columns.
    void SetGrid(const CGridCoordinates* grid);
    const CGridCoordinates* Grid() const { return m_Grid; }
    // The grid's system changed: every row converts again, the zone column comes or goes.
    void GridSystemChanged();
    // Texts before the unit: "Easting" is shown as "Easting (m)".
    void SetGridHeaders(const QString& easting, const QString& northing, const QString& zone);
    // The model column of a grid column, or -1 while it is not shown.
    int GridColumn(EGridColumn column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct SRow {
        CMark Mark;
        bool InUse = false;
        // The grid texts, current while GridGeneration equals the model's (never 0).
        mutable SGridColumns Grid;
        mutable unsigned GridGeneration = 0;
    };
    QString Cell(int row, int column) const;
    void Rebuild();
    void FollowReference();
    int WantedGridColumns() const;
    void ResizeGridColumns(int count);

    CMarkList& m_Marks;
    const CMark& m_Reference;
    CMark m_ShownReference;
    std::vector<std::unique_ptr<SRow>> m_Rows;
    std::array<QString, ColumnCount> m_Headers;
    const CGridCoordinates* m_Grid = nullptr;
    int m_GridColumns = 0;
    unsigned m_GridGeneration = 1;
    std::array<QString, GridColumnCount> m_GridHeaders;
};
