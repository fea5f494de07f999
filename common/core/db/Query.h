#pragma once
// Small pieces of the queries the ledger and the io layer write by hand: a WHERE clause put
// together from the conditions a caller has, and the end of a read into a result struct.

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>

#include "core/db/Book.h"

namespace db {

// The conditions of a WHERE clause, each with the value bound to its one '?', in order.
struct Conditions {
    QStringList parts;
    QVariantList binds;

    void add(const QString& sql, const QVariant& value) {
        parts << sql;
        binds << value;
    }
    // " WHERE a AND b", or nothing when there is no condition.
    QString clause() const {
        return parts.isEmpty() ? QString() : QStringLiteral(" WHERE ") + parts.join(QStringLiteral(" AND "));
    }
};

// Whether the transaction began; false, with `result.error` saying it could not, when not.
template <class Result>
bool started(const Transaction& tx, Result& result) {
    if (tx.ok()) return true;
    result.error = QStringLiteral("cannot start a transaction");
    return false;
}

// Runs the prepared query; false, with `result.error` saying why, when it fails.
template <class Result>
bool ran(QSqlQuery& q, Result& result) {
    if (q.exec()) return true;
    result.error = q.lastError().text();
    return false;
}

// The end of a read of `rows` into `result` (a struct with ok and error): ok when the query
// went through to its last row; else without rows, and the error that stopped it.
template <class Result, class Rows>
Result finishedRead(const QSqlQuery& q, Result& result, Rows& rows) {
    if (q.lastError().isValid()) {
        rows.clear();
        result.error = q.lastError().text();
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace db
