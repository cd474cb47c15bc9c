#include "ui/serial_console_model.h"

#include <QBrush>
#include <QFont>
#include <QPalette>

CSerialConsoleModel::CSerialConsoleModel(const CWireLog* log, QObject* parent)
    : QAbstractTableModel(parent), m_Log(log), m_Headers{QStringLiteral("Time"), QStringLiteral("Direction"), QStringLiteral("Data")}
{
    Refresh();
}

void CSerialConsoleModel::Refresh()
{
    const unsigned long long next = m_First + m_Rows.size();
    // The last row is taken again: a received run may have grown in it.
    CWireLog::SSnapshot snapshot = m_Log->Since(m_Rows.empty() ? next : next - 1);
    if (snapshot.generation != m_Generation || snapshot.first > next) {
        beginResetModel();
        m_Rows.assign(std::make_move_iterator(snapshot.rows.begin()), std::make_move_iterator(snapshot.rows.end()));
        m_First = snapshot.first;
        m_Generation = snapshot.generation;
        m_Dropped = snapshot.dropped;
        endResetModel();
        return;
    }
    m_Dropped = snapshot.dropped;
    auto from = snapshot.rows.begin();
    if (!m_Rows.empty() && snapshot.first == next - 1 && from != snapshot.rows.end()) {
        if (from->bytes != m_Rows.back().bytes) {
            m_Rows.back() = std::move(*from);
            const QModelIndex changed = index(static_cast<int>(m_Rows.size()) - 1, ColumnData);
            emit dataChanged(changed, changed);
        }
        ++from;
    }
    const auto added = static_cast<int>(snapshot.rows.end() - from);
    if (added > 0) {
        const int at = static_cast<int>(m_Rows.size());
        beginInsertRows({}, at, at + added - 1);
        m_Rows.insert(m_Rows.end(), std::make_move_iterator(from), std::make_move_iterator(snapshot.rows.end()));
        endInsertRows();
    }
    // The copy keeps no more than the log does.
    const std::size_t excess = m_Rows.size() > CWireLog::MaxRows ? m_Rows.size() - CWireLog::MaxRows : 0;
    if (excess > 0) {
        beginRemoveRows({}, 0, static_cast<int>(excess) - 1);
        m_Rows.erase(m_Rows.begin(), m_Rows.begin() + static_cast<std::ptrdiff_t>(excess));
        m_First += excess;
        endRemoveRows();
    }
}

void CSerialConsoleModel::SetHex(bool hex)
{
    if (hex == m_Hex)
        return;
    m_Hex = hex;
    if (!m_Rows.empty())
        emit dataChanged(index(0, ColumnData), index(static_cast<int>(m_Rows.size()) - 1, ColumnData));
}

void CSerialConsoleModel::SetHeaders(const QStringList& headers)
{
    m_Headers = headers;
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

QString CSerialConsoleModel::RowLine(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    return QString::fromStdString(WireRowLine(m_Rows[static_cast<std::size_t>(row)], m_Hex));
}

int CSerialConsoleModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_Rows.size());
}

int CSerialConsoleModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CSerialConsoleModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const SWireRow& row = m_Rows[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        switch (index.column()) {
        case ColumnTime: return QString::fromStdString(WireRowTime(row.ms));
        case ColumnDirection: return QString::fromLatin1(WireRowDirection(row.direction));
        case ColumnData:
            if (row.direction == EWireDirection::Event)
                return QString::fromStdString(row.bytes);
            return QString::fromStdString(m_Hex ? WireBytesHex(row.bytes) : WireBytesText(row.bytes));
        default: return {};
        }
    }
    // The direction column tells the rows apart; the tint and the italics only help the eye.
    if (role == Qt::FontRole && row.direction != EWireDirection::Received) {
        QFont font;
        font.setItalic(row.direction == EWireDirection::Event);
        font.setBold(row.direction == EWireDirection::Sent);
        return font;
    }
    if (role == Qt::BackgroundRole && row.direction == EWireDirection::Sent)
        return QPalette().alternateBase();
    return {};
}

QVariant CSerialConsoleModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_Headers.size() ? m_Headers[section] : QVariant();
    return {};
}
