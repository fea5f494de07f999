#include "tools/BookSchema.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace schema {
namespace {

QStringList tables(app::Program p) {
    if (p == app::Program::Bank) {
        return {
            "CREATE TABLE U01 (CD INTEGER PRIMARY KEY, NM TEXT, PASSWORD TEXT)",
            "CREATE TABLE T01 (CD INTEGER PRIMARY KEY, NM TEXT, ZAN INTEGER)",
            "CREATE TABLE T02 (CD INTEGER PRIMARY KEY, NM TEXT, KIND INTEGER)",
            "CREATE TABLE S01 (CD INTEGER PRIMARY KEY, K_DATE TEXT, B_CD INTEGER, K_CD INTEGER, "
            "KINGAKU INTEGER, BIKO TEXT)",
            // One bank's month or year is a range of K_DATE within one B_CD.
            "CREATE INDEX S01_BANK_DATE ON S01 (B_CD, K_DATE, CD)",
            "CREATE INDEX S01_DATE ON S01 (K_DATE, CD)",
            // A bank's balance is summed per item from this index alone.
            "CREATE INDEX S01_BANK_ITEM ON S01 (B_CD, K_CD, KINGAKU)",
        };
    }
    return {
        "CREATE TABLE U01 (CD INTEGER PRIMARY KEY, NM TEXT, SYOHIZEI INTEGER, PASSWORD TEXT)",
        "CREATE TABLE T01 (CD INTEGER PRIMARY KEY, NM TEXT, KIND INTEGER)",
        "CREATE TABLE S01 (CD INTEGER PRIMARY KEY, P_CD INTEGER, K_DATE TEXT, K_CD INTEGER, "
        "KINGAKU INTEGER, ZAN INTEGER, BIKO TEXT)",
        // A page is read in K_DATE, CD order; totals and graphs read a period of K_DATE.
        "CREATE INDEX S01_PAGE_DATE ON S01 (P_CD, K_DATE, CD)",
        "CREATE INDEX S01_DATE ON S01 (K_DATE, CD)",
        "CREATE INDEX S01_ITEM_DATE ON S01 (K_CD, K_DATE, CD)",
    };
}

bool execAll(QSqlDatabase& d, const QStringList& stmts, QString* error) {
    QSqlQuery q(d);
    for (const QString& s : stmts) {
        if (!q.exec(s)) {
            if (error) *error = q.lastError().text();
            return false;
        }
    }
    return true;
}

}  // namespace

bool writeEmptyBook(app::Program p, const QString& path, QString* error) {
    if (QFileInfo::exists(path)) {
        if (error) *error = QStringLiteral("already exists: %1").arg(path);
        return false;
    }
    const QString name = QStringLiteral("mkbook-%1").arg(reinterpret_cast<quintptr>(&path));
    bool ok = false;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        d.setDatabaseName(path);
        if (!d.open()) {
            if (error) *error = d.lastError().text();
        } else {
            ok = d.transaction() && execAll(d, tables(p), error) && d.commit();
            d.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!ok) QFile::remove(path);
    return ok;
}

}  // namespace schema
