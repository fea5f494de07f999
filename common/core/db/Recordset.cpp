#include "core/db/Recordset.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include "core/db/Book.h"
#include "core/db/Convert.h"

namespace db {

RecordSet::RecordSet(QStringList columns, std::vector<QVariantList> rows)
    : m_columns(std::move(columns)), m_rows(std::move(rows)) {}

int RecordSet::column(const QString& name) const {
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns.at(i).compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QVariant RecordSet::field(const QString& name) const {
    const int c = column(name);
    if (c < 0 || endOfRows()) return {};
    const QVariant& v = m_rows[m_pos].at(c);
    if (v.isNull()) return {};
    return v;
}

int Open_Rs(Book& book, Rs& rs, const QString& sql, const QVariantList& binds) {
    rs.reset();
    if (!book.isOpen()) return kError;
    QSqlQuery q(book.connection());
    q.setForwardOnly(true);
    if (!q.prepare(sql)) return kError;
    for (const QVariant& v : binds) q.addBindValue(v);
    if (!q.exec()) return kError;
    const QSqlRecord rec = q.record();
    QStringList cols;
    for (int i = 0; i < rec.count(); ++i) cols << rec.fieldName(i);
    std::vector<QVariantList> rows;
    while (q.next()) {
        QVariantList row;
        row.reserve(cols.size());
        for (int i = 0; i < cols.size(); ++i) row << q.value(i);
        rows.push_back(std::move(row));
    }
    if (q.lastError().isValid()) return kError;
    if (rows.empty()) return kEmpty;
    rs = std::make_unique<RecordSet>(std::move(cols), std::move(rows));
    return kRows;
}

void Close_Rs(Rs& rs) { rs.reset(); }

namespace {
bool isIdentifier(const QString& s) {
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (!(c.isLetterOrNumber() || c == QLatin1Char('_')) || c.unicode() > 127) return false;
    return true;
}

qint64 extreme(Book& book, const char* fn, const QString& table, const QString& field) {
    // Table and field names come from the program, never from the user; refuse anything else.
    if (!isIdentifier(table) || !isIdentifier(field)) return -1;
    bool ok = false;
    const QVariant v =
        book.scalar(QStringLiteral("SELECT %1(%2) FROM %3").arg(QLatin1String(fn), field, table), {}, &ok);
    if (!ok) return -1;
    // Null (an empty table) and anything not numeric give 0.
    return isNumeric(v) ? To_Long(v, 0) : 0;
}
}  // namespace

qint64 Get_Max(Book& book, const QString& table, const QString& field) { return extreme(book, "Max", table, field); }
qint64 Get_Min(Book& book, const QString& table, const QString& field) { return extreme(book, "Min", table, field); }

int Open_U01(Book& book, Rs& rs) { return Open_Rs(book, rs, QStringLiteral("SELECT * FROM U01 WHERE CD=1")); }
int Open_T01(Book& book, Rs& rs) { return Open_Rs(book, rs, QStringLiteral("SELECT * FROM T01 ORDER BY CD")); }
int Open_T02(Book& book, Rs& rs) { return Open_Rs(book, rs, QStringLiteral("SELECT * FROM T02 ORDER BY CD")); }

int Open_S01ByCd(Book& book, Rs& rs, qint64 recordNumber) {
    return Open_Rs(book, rs, QStringLiteral("SELECT * FROM S01 WHERE CD = ?"), {recordNumber});
}
int Open_S01All(Book& book, Rs& rs) {
    return Open_Rs(book, rs, QStringLiteral("SELECT * FROM S01 ORDER BY K_DATE,CD"));
}

}  // namespace db
