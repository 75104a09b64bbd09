#pragma once

#include <QStringList>
#include <QVariant>
#include <QVector>

// A record set read in full when it is opened: record count, moves and fields by name or
// position. Reading it whole keeps the database free of open statements between events
// and makes RecordCount exact from the start.
class Recordset final {
public:
    Recordset() = default;
    Recordset(QStringList fieldNames, QVector<QVector<QVariant>> rows);

    int RecordCount() const { return static_cast<int>(m_rows.size()); }
    bool isBOF() const { return m_rows.isEmpty() || m_pos < 0; }
    bool isEOF() const { return m_rows.isEmpty() || m_pos >= m_rows.size(); }
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    int AbsolutePosition() const { return m_pos; }

    // Field of the current row; RuntimeError 3265 for an unknown name, 3021 without a current row.
    QVariant Fields(const QString& name) const;
    QVariant Fields(int index) const;
    int FieldCount() const { return static_cast<int>(m_fieldNames.size()); }
    const QStringList& FieldNames() const { return m_fieldNames; }
    const QVector<QVector<QVariant>>& rows() const { return m_rows; }

    void Close();

private:
    const QVector<QVariant>& current() const;

    QStringList m_fieldNames;
    QVector<QVector<QVariant>> m_rows;
    int m_pos = 0;
};
