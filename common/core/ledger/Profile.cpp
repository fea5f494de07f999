#include "core/ledger/Profile.h"

#include "core/db/Book.h"
#include "core/db/Recordset.h"

namespace ledger {

std::optional<Profile> readProfile(db::Book& book) {
    db::Rs u01;
    if (db::Open_U01(book, u01) != db::kRows) return std::nullopt;
    Profile p;
    p.name = u01->field(QStringLiteral("NM")).toString();
    p.rate = u01->field(QStringLiteral("SYOHIZEI"));
    p.password = u01->field(QStringLiteral("PASSWORD"));
    return p;
}

ProfileWrite writeProfile(db::Book& book, bool withRate, const QString& name, const QVariant& rate,
                          const QString& password) {
    ProfileWrite w;
    // Delete and insert land together; without the transaction nothing is touched.
    db::Transaction tx(book);
    if (!tx.ok()) return w;
    w.deleted = book.execute(QStringLiteral("DELETE FROM U01"));
    const bool inserted =
        withRate ? book.execute(QStringLiteral("INSERT INTO U01 (CD,NM,SYOHIZEI,PASSWORD) values (1,?,?,?)"),
                                {name, rate, password})
                 : book.execute(QStringLiteral("INSERT INTO U01 (CD,NM,PASSWORD) values (1,?,?)"), {name, password});
    w.written = inserted && tx.commit();
    return w;
}

}  // namespace ledger
