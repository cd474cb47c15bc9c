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
    m_Marks.TakeChanges();
    Rebuild();
}

CMarkListModel::~CMarkListModel() = default;

void CMarkListModel::Rebuild()
{
    m_Rows.clear();
    m_Rows.reserve(m_Marks.Size());
    for (const CMark& mark : m_Marks)
        m_Rows.push_back(std::make_unique<SRow>(SRow{mark, mark.IsNear(m_ShownReference)}));
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
            m_Rows.insert(m_Rows.begin() + row, std::make_unique<SRow>(SRow{std::move(change.Mark), inUse}));
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

int CMarkListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_Rows.size());
}

int CMarkListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
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
    default: return QString();
    }
}

QVariant CMarkListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole))
        return {};
    return Cell(index.row(), index.column());
}

QVariant CMarkListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return {};
    return m_Headers[static_cast<std::size_t>(section)];
}
