#include "tools/BookSchema.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>

#include "core/db/Schema.h"

namespace schema {

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
            // The newest shape, with its version: a new book never needs an upgrade.
            ok = db::createSchema(d, db::bookSchema(p), error);
            d.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!ok) QFile::remove(path);
    return ok;
}

}  // namespace schema
