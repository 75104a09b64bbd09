#include "platform/Recordset.h"

#include "platform/RuntimeError.h"

Recordset::Recordset(QStringList fieldNames, QVector<QVector<QVariant>> rows)
    : m_fieldNames(std::move(fieldNames)), m_rows(std::move(rows)) {}

void Recordset::MoveFirst() {
    m_pos = 0;
}

void Recordset::MoveLast() {
    m_pos = m_rows.isEmpty() ? 0 : static_cast<int>(m_rows.size()) - 1;
}

void Recordset::MoveNext() {
    if (m_pos < m_rows.size())
        ++m_pos;
}

void Recordset::MovePrevious() {
    if (m_pos >= 0)
        --m_pos;
}

const QVector<QVariant>& Recordset::current() const {
    if (isBOF() || isEOF())
        throw RuntimeError(RuntimeError::NoCurrentRecord, "Kein aktueller Datensatz.");
    return m_rows[m_pos];
}

QVariant Recordset::Fields(const QString& name) const {
    const int index = static_cast<int>(m_fieldNames.indexOf(name, 0));
    int found = index;
    if (found < 0) {
        for (int i = 0; i < m_fieldNames.size(); ++i) {
            if (m_fieldNames[i].compare(name, Qt::CaseInsensitive) == 0) {
                found = i;
                break;
            }
        }
    }
    if (found < 0)
        throw RuntimeError(RuntimeError::ItemNotFound, "Element in dieser Auflistung nicht gefunden.");
    return current()[found];
}

QVariant Recordset::Fields(int index) const {
    if (index < 0 || index >= m_fieldNames.size())
        throw RuntimeError(RuntimeError::ItemNotFound, "Element in dieser Auflistung nicht gefunden.");
    return current()[index];
}

void Recordset::Close() {
    m_rows.clear();
    m_fieldNames.clear();
    m_pos = 0;
}
