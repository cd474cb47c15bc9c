#include "marks/mark_list_model.h"

#include <algorithm>

#include "marks/mark_list.h"

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

CMarkListModel::CMarkListModel(CMarkList& marks, const CMark& reference, QObject* parent)
    : QAbstractTableModel(parent), m_Marks(marks), m_Reference(reference), m_ShownReference(reference)
{
    m_Headers = {QStringLiteral("#"), QStringLiteral("Latitude"), QStringLiteral("Longitude"),
                 QStringLiteral("Altitude"), QStringLiteral("In Use")};
    m_GridHeaders = {QStringLiteral("Easting"), QStringLiteral("Northing"), QStringLiteral("Zone")};
    m_Marks.TakeChanges();
    Rebuild();
}

CMarkListModel::~CMarkListModel() = default;

void CMarkListModel::Rebuild()
{
    m_Rows.clear();
    m_Rows.reserve(m_Marks.Size());
    for (const CMark& mark : m_Marks)
        m_Rows.push_back(std::make_unique<SRow>(SRow{mark, mark.IsNear(m_ShownReference), {}, 0}));
}

void CMarkListModel::Sync()
{
    using K = SMarkChange::EKind;
    for (SMarkChange& change : m_Marks.TakeChanges()) {
        const int row = static_cast<int>(change.Row);
        switch (change.Kind) {
        case K::Inserted: {
            beginInsertRows(QModelIndex(), row, row);
            const bool inUse = change.Mark.IsNear(m_ShownReference);
            m_Rows.insert(m_Rows.begin() + row, std::make_unique<SRow>(SRow{std::move(change.Mark), inUse, {}, 0}));
            endInsertRows();
            break;
        }
        case K::Removed:
            beginRemoveRows(QModelIndex(), row, row);
            m_Rows.erase(m_Rows.begin() + row);
            endRemoveRows();
            break;
        case K::Moved: {
            const int end = static_cast<int>(m_Rows.size());
            if (!beginMoveRows(QModelIndex(), row, row, QModelIndex(), end))
                break;
            std::rotate(m_Rows.begin() + row, m_Rows.begin() + row + 1, m_Rows.end());
            endMoveRows();
            // Numbers follow the rows' places.
            emit dataChanged(index(row, ColNumber), index(end - 1, ColNumber));
            break;
        }
        case K::Reset:
            beginResetModel();
            Rebuild();
            endResetModel();
            return FollowReference();  // the log held nothing after a Reset
        }
    }
    FollowReference();
}

void CMarkListModel::FollowReference()
{
    if (m_Reference == m_ShownReference)
        return;
    m_ShownReference = m_Reference;
    for (std::size_t i = 0; i < m_Rows.size(); ++i) {
        const bool inUse = m_Rows[i]->Mark.IsNear(m_ShownReference);
        if (inUse == m_Rows[i]->InUse)
            continue;
        m_Rows[i]->InUse = inUse;
        const QModelIndex cell = index(static_cast<int>(i), ColInUse);
        emit dataChanged(cell, cell);
    }
}

void CMarkListModel::SetHeader(EColumn column, const QString& text)
{
    m_Headers[column] = text;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

const CMark& CMarkListModel::MarkAt(int row) const
{
    return m_Rows.at(static_cast<std::size_t>(row))->Mark;
}

int CMarkListModel::WantedGridColumns() const
{
    if (!m_Grid)
        return 0;
    return m_Grid->HasSystem() && m_Grid->System().IsUtm() ? 3 : 2;
}

void CMarkListModel::ResizeGridColumns(int count)
{
    if (count > m_GridColumns) {
        beginInsertColumns(QModelIndex(), ColumnCount + m_GridColumns, ColumnCount + count - 1);
        m_GridColumns = count;
        endInsertColumns();
    } else if (count < m_GridColumns) {
        beginRemoveColumns(QModelIndex(), ColumnCount + count, ColumnCount + m_GridColumns - 1);
        m_GridColumns = count;
        endRemoveColumns();
    }
}

void CMarkListModel::SetGrid(const CGridCoordinates* grid)
{
    if (grid == m_Grid)
        return;
    const bool shown = m_Grid != nullptr;
    if (!grid) {
        ResizeGridColumns(0);
        m_Grid = nullptr;
        return;
    }
    m_Grid = grid;
    if (shown)
        return GridSystemChanged();
    ++m_GridGeneration;
    ResizeGridColumns(WantedGridColumns());
}

void CMarkListModel::GridSystemChanged()
{
    if (!m_Grid)
        return;
    // Rows convert again when next drawn; only the columns that stay need telling.
    ++m_GridGeneration;
    const int kept = std::min(m_GridColumns, WantedGridColumns());
    ResizeGridColumns(WantedGridColumns());
    if (kept == 0)
        return;
    emit headerDataChanged(Qt::Horizontal, ColumnCount, ColumnCount + kept - 1);
    if (!m_Rows.empty())
        emit dataChanged(index(0, ColumnCount), index(rowCount() - 1, ColumnCount + kept - 1));
}

void CMarkListModel::SetGridHeaders(const QString& easting, const QString& northing, const QString& zone)
{
    m_GridHeaders = {easting, northing, zone};
    if (m_GridColumns)
        emit headerDataChanged(Qt::Horizontal, ColumnCount, ColumnCount + m_GridColumns - 1);
}

int CMarkListModel::GridColumn(EGridColumn column) const
{
    return column < m_GridColumns ? static_cast<int>(ColumnCount) + column : -1;
}

int CMarkListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_Rows.size());
}

int CMarkListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount + m_GridColumns;
}

QString CMarkListModel::Cell(int row, int column) const
{
    const SRow& r = *m_Rows[static_cast<std::size_t>(row)];
    switch (column) {
    case ColNumber: return QString::number(row + 1);
    case ColLatitude: return Q(r.Mark.GetLatitude());
    case ColLongitude: return Q(r.Mark.GetLongitude());
    case ColAltitude: return Q(r.Mark.GetAltitude());
    case ColInUse: return r.InUse ? QStringLiteral("*") : QString();
    default: break;
    }
    if (!m_Grid || column < ColumnCount || column >= ColumnCount + m_GridColumns)
        return QString();
    if (r.GridGeneration != m_GridGeneration) {
        r.Grid = GridColumns(*m_Grid, r.Mark.GetLatitude(), r.Mark.GetLongitude());
        r.GridGeneration = m_GridGeneration;
    }
    const int grid = column - ColumnCount;
    const std::string& text = grid == GridEasting ? r.Grid.Easting : grid == GridNorthing ? r.Grid.Northing : r.Grid.Zone;
    // A dash, not a blank, where the mark does not convert (outside the area, not a number).
    return text.empty() ? QString(QChar(0x2014)) : Q(text);
}

QVariant CMarkListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return {};
    return Cell(index.row(), index.column());
}

QVariant CMarkListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
        return {};
    if (section < ColumnCount)
        return m_Headers[static_cast<std::size_t>(section)];
    const QString& name = m_GridHeaders[static_cast<std::size_t>(section - ColumnCount)];
    if (section - ColumnCount == GridZone || !m_Grid->HasSystem())
        return name;
    return QStringLiteral("%1 (%2)").arg(name, Q(GridUnitSymbol(m_Grid->System().Unit)));
}
