#include "core/db/Schema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

namespace db {
namespace {

SchemaColumn key() { return {QStringLiteral("CD"), QStringLiteral("INTEGER PRIMARY KEY"), true}; }
SchemaColumn number(const char* name) { return {QLatin1String(name), QStringLiteral("INTEGER"), true}; }
// A number column the programs read leniently (an empty profile leaves it Null).
SchemaColumn lenient(const char* name) { return {QLatin1String(name), QStringLiteral("INTEGER"), false}; }
SchemaColumn text(const char* name) { return {QLatin1String(name), QStringLiteral("TEXT"), false}; }
SchemaIndex index(const char* name, const char* table, QStringList columns, int version = 1, bool unique = false) {
    return {QLatin1String(name), QLatin1String(table), std::move(columns), unique, version};
}

// Recurring entries (定期入力), both programs alike: B_CD is 0 in the household book. Version 3:
// version 2 is the budget table B01, added alongside.
SchemaTable recurringRules() {
    return {QStringLiteral("R01"),
            3,
            {key(), number("B_CD"), number("K_CD"), number("KINGAKU"), text("BIKO"), number("DAY"), number("EVERY"),
             text("S_DATE"), text("E_DATE"), text("N_DATE"), number("SHIFT")}};
}

// Version 2: budgets, one amount per category (household book) or item (bank book) and period:
// YM '' for every month, 'yyyy/mm' for one month, 'yyyy' for a year.
void addBudgets(Schema& s) {
    s.tables << SchemaTable{QStringLiteral("B01"), 2, {key(), number("K_CD"), text("YM"), number("KINGAKU")}};
    s.indexes << index("B01_ITEM_YM", "B01", {"K_CD", "YM"}, 2, true);
}

// Transfers between banks (振替), bank book only: F01 links a withdrawal (OUT_CD) to its
// deposit (IN_CD) by S01.CD, each row in one link at most; F02 holds the one row naming the two
// items. Version 4: version 2 is the budget table B01, added alongside.
constexpr int kTransferVersion = 4;

SchemaTable transferLinks() {
    return {QStringLiteral("F01"), kTransferVersion, {key(), number("OUT_CD"), number("IN_CD")}};
}

SchemaTable transferItems() {
    return {QStringLiteral("F02"), kTransferVersion, {key(), number("OUT_K_CD"), number("IN_K_CD")}};
}

// Groups of categories (household book) or items (bank book), both programs alike. Version 5:
// G01 the groups, each of one kind (0 income, 1 expense) and shown in SORT order; G02 puts a
// category into one group at most (UNIQUE K_CD); B02 the groups' own budgets, shaped as B01.
constexpr int kGroupVersion = 5;

void addGroups(Schema& s) {
    s.tables << SchemaTable{QStringLiteral("G01"), kGroupVersion, {key(), text("NM"), number("KIND"), number("SORT")}}
             << SchemaTable{QStringLiteral("G02"), kGroupVersion, {key(), number("K_CD"), number("G_CD")}}
             << SchemaTable{
                    QStringLiteral("B02"), kGroupVersion, {key(), number("G_CD"), text("YM"), number("KINGAKU")}};
    s.indexes << index("G02_ITEM", "G02", {"K_CD"}, kGroupVersion, true)
              << index("G02_GROUP", "G02", {"G_CD"}, kGroupVersion)
              << index("B02_GROUP_YM", "B02", {"G_CD", "YM"}, kGroupVersion, true);
}

Schema bankSchema() {
    Schema s;
    s.tables = {
        {QStringLiteral("U01"), 1, {key(), text("NM"), text("PASSWORD")}},
        {QStringLiteral("T01"), 1, {key(), text("NM"), number("ZAN")}},
        {QStringLiteral("T02"), 1, {key(), text("NM"), number("KIND")}},
        {QStringLiteral("S01"),
         1,
         {key(), text("K_DATE"), number("B_CD"), number("K_CD"), number("KINGAKU"), text("BIKO")}},
        recurringRules(),
        transferLinks(),
        transferItems(),
    };
    s.indexes = {
        // One bank's month or year is a range of K_DATE within one B_CD.
        index("S01_BANK_DATE", "S01", {"B_CD", "K_DATE", "CD"}),
        index("S01_DATE", "S01", {"K_DATE", "CD"}),
        // A bank's balance is summed per item from this index alone.
        index("S01_BANK_ITEM", "S01", {"B_CD", "K_CD", "KINGAKU"}),
        // A row is a side of one transfer at most; a row's link is found from either side.
        index("F01_OUT", "F01", {"OUT_CD"}, kTransferVersion, true),
        index("F01_IN", "F01", {"IN_CD"}, kTransferVersion, true),
    };
    addBudgets(s);
    addGroups(s);
    s.newest = kSchemaVersion;
    return s;
}

Schema purseSchema() {
    Schema s;
    s.tables = {
        {QStringLiteral("U01"), 1, {key(), text("NM"), lenient("SYOHIZEI"), text("PASSWORD")}},
        {QStringLiteral("T01"), 1, {key(), text("NM"), number("KIND")}},
        {QStringLiteral("S01"),
         1,
         {key(), number("P_CD"), text("K_DATE"), number("K_CD"), number("KINGAKU"), number("ZAN"), text("BIKO")}},
        recurringRules(),
    };
    s.indexes = {
        // A page is read in K_DATE, CD order; totals and graphs read a period of K_DATE.
        index("S01_PAGE_DATE", "S01", {"P_CD", "K_DATE", "CD"}),
        index("S01_DATE", "S01", {"K_DATE", "CD"}),
        index("S01_ITEM_DATE", "S01", {"K_CD", "K_DATE", "CD"}),
    };
    addBudgets(s);
    addGroups(s);
    s.newest = kSchemaVersion;
    return s;
}

bool fail(const QString& why, QString* error) {
    if (error) *error = why;
    return false;
}

// Runs statements in one transaction of the connection; all or nothing.
bool runInTransaction(QSqlDatabase& c, const QStringList& statements, QString* error) {
    if (!c.transaction()) return fail(c.lastError().text(), error);
    QSqlQuery q(c);
    for (const QString& s : statements) {
        if (!q.exec(s)) {
            const QString why = QStringLiteral("%1 (%2)").arg(q.lastError().text(), s);
            q = QSqlQuery();
            c.rollback();
            return fail(why, error);
        }
    }
    q = QSqlQuery();
    if (!c.commit()) {
        const QString why = c.lastError().text();
        c.rollback();
        return fail(why, error);
    }
    return true;
}

// The names of a kind of object in the book ("table", "index", "trigger", "view").
QStringList objectsOf(const QSqlDatabase& c, const char* type, bool* ok) {
    QStringList names;
    QSqlQuery q(c);
    q.setForwardOnly(true);
    *ok = q.prepare(QStringLiteral("SELECT name FROM sqlite_master WHERE type = ? ORDER BY name")) &&
          (q.addBindValue(QLatin1String(type)), q.exec());
    while (*ok && q.next()) names << q.value(0).toString();
    return names;
}

}  // namespace

QStringList SchemaTable::columnNames() const {
    QStringList out;
    for (const SchemaColumn& c : columns) out << c.name;
    return out;
}

QStringList SchemaTable::wholeNumberColumns() const {
    QStringList out;
    for (const SchemaColumn& c : columns)
        if (c.wholeNumber) out << c.name;
    return out;
}

QString SchemaTable::createStatement() const {
    QStringList parts;
    for (const SchemaColumn& c : columns) parts << c.name + QLatin1Char(' ') + c.type;
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(name, parts.join(QStringLiteral(", ")));
}

QString SchemaIndex::createStatement() const {
    return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
        .arg(unique ? QStringLiteral("UNIQUE ") : QString(), name, table, columns.join(QStringLiteral(", ")));
}

int Schema::version() const {
    int v = std::max(1, newest);
    for (const SchemaTable& t : tables) v = std::max(v, t.version);
    for (const SchemaIndex& i : indexes) v = std::max(v, i.version);
    return v;
}

const SchemaTable* Schema::table(const QString& name) const {
    for (const SchemaTable& t : tables)
        if (t.name.compare(name, Qt::CaseInsensitive) == 0) return &t;
    return nullptr;
}

Schema Schema::upTo(int v) const {
    Schema s;
    s.newest = std::min(newest, v);
    for (const SchemaTable& t : tables)
        if (t.version <= v) s.tables << t;
    for (const SchemaIndex& i : indexes)
        if (i.version <= v) s.indexes << i;
    return s;
}

QStringList Schema::createStatements() const {
    QStringList out;
    for (const SchemaTable& t : tables) out << t.createStatement();
    for (const SchemaIndex& i : indexes) out << i.createStatement();
    return out;
}

const Schema& bookSchema(app::Program program) {
    static const Schema bank = bankSchema();
    static const Schema purse = purseSchema();
    return program == app::Program::Bank ? bank : purse;
}

SchemaState inspectSchema(const QSqlDatabase& c, const Schema& schema) {
    SchemaState s;
    QSqlQuery q(c);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
        s.error = q.lastError().text();
        return s;
    }
    s.stored = q.value(0).toInt();
    bool ok = false;
    s.triggers = objectsOf(c, "trigger", &ok);
    if (!ok) {
        s.error = c.lastError().text();
        return s;
    }
    for (const SchemaTable& t : schema.upTo(1).tables) {
        QSqlQuery cols(c);
        cols.setForwardOnly(true);
        cols.prepare(QStringLiteral("SELECT upper(name) FROM pragma_table_info(?)"));
        cols.addBindValue(t.name);
        if (!cols.exec()) {
            s.error = cols.lastError().text();
            return s;
        }
        QStringList have;
        while (cols.next()) have << cols.value(0).toString();
        if (have.isEmpty()) {
            s.missing << t.name;
            continue;
        }
        for (const QString& col : t.columnNames())
            if (!have.contains(col)) s.missing << t.name + QLatin1Char('.') + col;
    }
    s.version = s.stored > 0 ? s.stored : (s.missing.isEmpty() ? 1 : 0);
    s.read = true;
    return s;
}

bool upgradeSchema(QSqlDatabase& c, const Schema& schema, int target, QString* error) {
    const SchemaState state = inspectSchema(c, schema);
    if (!state.read) return fail(state.error, error);
    if (state.partial())
        return fail(QStringLiteral("必要な表や列がありません: %1").arg(state.missing.join(QStringLiteral(", "))),
                    error);
    if (state.version > target || target > schema.version())
        return fail(QStringLiteral("このデータベースは新しいバージョンのプログラムで作られています"), error);
    if (!state.triggers.isEmpty())
        return fail(QStringLiteral("トリガーがあります: %1").arg(state.triggers.join(QStringLiteral(", "))), error);
    if (state.version >= target) return true;

    bool ok = false;
    const QStringList indexes = objectsOf(c, "index", &ok);
    if (!ok) return fail(c.lastError().text(), error);
    QStringList statements;
    for (const SchemaTable& t : schema.tables)
        if (t.version > state.version && t.version <= target) statements << t.createStatement();
    for (const SchemaIndex& i : schema.indexes) {
        if (i.version > target) continue;
        // An index of a version the book already has may be missing from a book made before
        // it was added; it is made too. One of a new version is made even when the name is
        // taken, so that a foreign index of that name fails the upgrade.
        if (i.version > state.version || !indexes.contains(i.name, Qt::CaseInsensitive))
            statements << i.createStatement();
    }
    // Part of the same transaction: the version and the tables it promises land together.
    statements << QStringLiteral("PRAGMA user_version = %1").arg(target);
    return runInTransaction(c, statements, error);
}

bool createSchema(QSqlDatabase& c, const Schema& schema, QString* error) {
    QStringList statements = schema.createStatements();
    statements << QStringLiteral("PRAGMA user_version = %1").arg(schema.version());
    return runInTransaction(c, statements, error);
}

}  // namespace db
