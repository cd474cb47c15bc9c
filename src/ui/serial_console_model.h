#pragma once

#include <QAbstractTableModel>

#include <deque>

#include "serial/wire_tap.h"

// The console's rows: a copy of the core CWireLog that Refresh brings up to date (the window calls
// it at most 20 times a second), so painting never takes the lock the port's reader uses.
class CSerialConsoleModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum EColumn { ColumnTime, ColumnDirection, ColumnData, ColumnCount };

    explicit CSerialConsoleModel(const CWireLog* log, QObject* parent = nullptr);

    // Takes what the log appended, dropped or grew since the last call.
    void Refresh();
    void SetHex(bool hex);
    bool Hex() const { return m_Hex; }
    void SetHeaders(const QStringList& headers);
    unsigned long long Dropped() const { return m_Dropped; }
    // The row as a line of text, as Save As and Copy write it.
    QString RowLine(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const CWireLog* m_Log;
    std::deque<SWireRow> m_Rows;
    unsigned long long m_First = 0;       // the log's number of m_Rows[0]
    unsigned long long m_Generation = 0;
    unsigned long long m_Dropped = 0;
    bool m_Hex = false;
    QStringList m_Headers;
};
