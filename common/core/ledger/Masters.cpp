#include "core/ledger/Masters.h"

#include <QSet>
#include <QSqlQuery>
#include <functional>

#include "core/db/Book.h"
#include "core/db/Convert.h"
#include "core/ledger/Balances.h"
#include "core/ledger/Groups.h"
#include "core/ledger/Pages.h"

namespace ledger {

QString masterTable(Master m) { return m == Master::Item ? QStringLiteral("T02") : QStringLiteral("T01"); }

QString thirdField(Master m) { return m == Master::Bank ? QStringLiteral("ZAN") : QStringLiteral("KIND"); }

int openMasterList(db::Book& book, Master m, db::Rs& rs) {
    return db::Open_Rs(book, rs, QStringLiteral("SELECT * FROM %1 ORDER BY CD").arg(masterTable(m)));
}

QList<MasterRow> readMasterList(db::Book& book, Master m) {
    QList<MasterRow> rows;
    db::Rs rs;
    if (openMasterList(book, m, rs) != db::kRows) return rows;
    for (rs->moveFirst(); !rs->endOfRows(); rs->moveNext()) {
        const QVariant cd = rs->field(QStringLiteral("CD"));
        if (!cd.isValid()) continue;
        rows.append({cd.toLongLong(), db::To_Str(rs->field(QStringLiteral("NM")), QString()),
                     rs->field(QStringLiteral("ZAN")), rs->field(QStringLiteral("KIND"))});
    }
    return rows;
}

int Find_Master(db::Book& book, Master m, qint64 code, db::Rs& rs) {
    return db::Open_Rs(book, rs, QStringLiteral("SELECT * FROM %1 WHERE CD=?").arg(masterTable(m)), {code});
}

namespace {
// One look-up through the primary key instead of probing code after code across a gap.
std::optional<int> nearest(db::Book& book, Master m, const char* fn, const char* op, qint64 code) {
    bool ok = false;
    const QVariant v = book.scalar(
        QStringLiteral("SELECT %1(CD) FROM %2 WHERE CD %3 ?").arg(QLatin1String(fn), masterTable(m), QLatin1String(op)),
        {code}, &ok);
    if (!ok || !db::isNumeric(v)) return std::nullopt;
    return static_cast<int>(db::To_Long(v, 0));
}
}  // namespace

std::optional<int> previousCode(db::Book& book, Master m, qint64 code) { return nearest(book, m, "MAX", "<", code); }
std::optional<int> nextCode(db::Book& book, Master m, qint64 code) { return nearest(book, m, "MIN", ">", code); }

namespace {

// The codes among `codes` whose rows count as income now (KIND 0 in the master).
QSet<qint64> incomeCodes(db::Book& book, Master m, qint64 from, qint64 to, bool* ok) {
    QSet<qint64> out;
    QSqlQuery q(book.connection());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT CD FROM %1 WHERE CD BETWEEN ? AND ? AND KIND = 0").arg(masterTable(m)));
    q.addBindValue(from);
    q.addBindValue(to);
    *ok = q.exec();
    while (*ok && q.next()) out.insert(q.value(0).toLongLong());
    return out;
}

// A change of the items or categories in codes from..to, run with the balances that depend on
// them: a row's sign follows its item's kind, and a row whose item is gone counts as an expense.
bool writeKinds(db::Book& book, Master m, qint64 from, qint64 to, QString* error, const std::function<bool()>& write) {
    db::Transaction tx(book);
    if (!tx.ok()) {
        if (error) *error = QStringLiteral("transaction");
        return false;
    }
    bool ok = true;
    const QSet<qint64> before = m == Master::Bank ? QSet<qint64>() : incomeCodes(book, m, from, to, &ok);
    if (!ok) {
        if (error) *error = QStringLiteral("cannot read the master");
        return false;
    }
    if (!write()) return false;
    if (m != Master::Bank) {
        const QSet<qint64> after = incomeCodes(book, m, from, to, &ok);
        if (!ok) {
            if (error) *error = QStringLiteral("cannot read the master");
            return false;
        }
        const QSet<qint64> changed = (before - after) + (after - before);
        if (!changed.isEmpty()) {
            const QList<qint64> codes(changed.begin(), changed.end());
            if (!(m == Master::Item ? recalcForItems(book, codes, error) : recalcForCategories(book, codes, error)))
                return false;
        }
    }
    if (!tx.commit()) {
        if (error) *error = QStringLiteral("commit");
        return false;
    }
    return true;
}

}  // namespace

bool Insert_Master(db::Book& book, Master m, int code, const QString& name, qint64 third, QString* error) {
    return writeKinds(book, m, code, code, error, [&] {
        return book.execute(
            QStringLiteral("INSERT INTO %1 (CD,NM,%2) values (?,?,?)").arg(masterTable(m), thirdField(m)),
            {code, name, third}, error);
    });
}

bool Update_Master(db::Book& book, Master m, int code, const QString& name, qint64 third, QString* error) {
    return writeKinds(book, m, code, code, error, [&] {
        return book.execute(QStringLiteral("UPDATE %1 SET NM=?,%2=? WHERE CD=?").arg(masterTable(m), thirdField(m)),
                            {name, third, code}, error);
    });
}

bool Delete_Master(db::Book& book, Master m, int code, QString* error) {
    return Delete_MasterRange(book, m, code, code, error);
}

bool Delete_MasterRange(db::Book& book, Master m, int from, int to, QString* error) {
    return writeKinds(book, m, from, to, error, [&] {
        // A deleted category leaves its group: a code given again later must not find itself in
        // the group of the category that had it before.
        if (m != Master::Bank && hasGroups(book) &&
            !book.execute(QStringLiteral("DELETE FROM G02 WHERE K_CD BETWEEN ? AND ?"), {from, to}, error))
            return false;
        return book.execute(QStringLiteral("DELETE FROM %1 WHERE CD BETWEEN ? AND ?").arg(masterTable(m)), {from, to},
                            error);
    });
}

QList<StandardEntry> standardMasters(app::Program p) {
    const auto entries = [](std::initializer_list<const char*> income, std::initializer_list<const char*> expense) {
        QList<StandardEntry> out;
        for (const char* n : income) out.append({QString::fromUtf8(n), 0});
        for (const char* n : expense) out.append({QString::fromUtf8(n), 1});
        return out;
    };
    if (p == app::Program::Bank)
        return entries({"給与", "賞与", "利息", "年金"},
                       {"家賃", "光熱費", "通信費", "カード引落", "保険料", "税金", "振込手数料", "現金引出"});
    return entries({"給与", "臨時収入"}, {"食費", "日用品", "交通費", "衣服", "医療費", "交際費", "教養娯楽", "住居",
                                          "水道光熱費", "通信費", "保険", "税金", "雑費"});
}

bool registerStandardMasters(db::Book& book, app::Program p, QString* error) {
    const Master m = p == app::Program::Bank ? Master::Item : Master::Category;
    db::Transaction tx(book);
    if (!tx.ok()) {
        if (error) *error = QStringLiteral("transaction");
        return false;
    }
    bool ok = false;
    const QVariant rows = book.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(masterTable(m)), {}, &ok);
    if (!ok || rows.toLongLong() != 0) {
        if (error)
            *error = ok ? QStringLiteral("the master already holds rows") : QStringLiteral("cannot read the master");
        return false;
    }
    int code = 0;
    for (const StandardEntry& e : standardMasters(p))
        if (!Insert_Master(book, m, ++code, e.name, e.kind, error)) return false;
    // The groups come with them, where the book can hold groups and has none yet.
    if (hasGroups(book)) {
        const auto groups = readGroups(book);
        if (!groups) {
            if (error) *error = QStringLiteral("cannot read the groups");
            return false;
        }
        if (groups->isEmpty() && !registerStandardGroups(book, p, error)) return false;
    }
    if (!tx.commit()) {
        if (error) *error = QStringLiteral("commit");
        return false;
    }
    return true;
}

QString kindName(const QVariant& stored) {
    if (!db::isNumeric(stored)) return {};
    const qint64 kind = db::To_Long(stored, 2);
    switch (kind) {
        case 0:
            return QStringLiteral("収入");
        case 1:
            return QStringLiteral("支出");
        case 2:
            return QString();
        default:
            return QString::number(kind);
    }
}

}  // namespace ledger
