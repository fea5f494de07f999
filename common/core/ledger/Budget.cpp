#include "core/ledger/Budget.h"

#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>

#include "core/Messages.h"
#include "core/db/Convert.h"
#include "core/db/Schema.h"
#include "core/ledger/Groups.h"
#include "core/ledger/Masters.h"
#include "core/ledger/Transfer.h"
#include "core/ledger/YearTable.h"

namespace ledger {
namespace {

QString fourDigits(int year) { return QStringLiteral("%1").arg(year, 4, 10, QLatin1Char('0')); }

// Where budgets are kept: the categories' in B01 by K_CD, the groups' in B02 by G_CD. Both follow
// the same rules.
struct Store {
    QString table;
    QString key;
    QString noun;  // what the key names, for the user
};
const Store kCategories{QStringLiteral("B01"), QStringLiteral("K_CD"), QStringLiteral("科目")};
const Store kGroups{QStringLiteral("B02"), QStringLiteral("G_CD"), QStringLiteral("グループ")};

// The rows of a category a change must keep apart: month rows ('' and 'yyyy/mm') and yearly
// rows ('yyyy').
bool holdsSpan(db::Book& book, const Store& store, qint64 code, bool yearly, bool* ok) {
    const QVariant n =
        book.scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = ? AND length(YM) %3 4")
                        .arg(store.table, store.key, yearly ? QStringLiteral("=") : QStringLiteral("<>")),
                    {code}, ok);
    return n.toLongLong() > 0;
}

// A span's refusal when the category holds the other kind of budget; empty when it may be set.
QString mixRefusal(db::Book& book, const Store& store, qint64 code, BudgetSpan span, bool* ok) {
    if (span == BudgetSpan::Year) {
        if (holdsSpan(book, store, code, false, ok))
            return QStringLiteral("この%1には月の予算があります。年額を入れるには月の予算を削除してください")
                .arg(store.noun);
    } else if (holdsSpan(book, store, code, true, ok)) {
        return QStringLiteral("この%1には年額の予算があります。月の予算を入れるには年額を削除してください")
            .arg(store.noun);
    }
    return {};
}

qint64 storedYen(const QVariant& v) { return db::To_Cur(v, 0); }

// The default's YM is the empty text, never Null: a null QString would be bound as Null, which
// neither the UNIQUE index nor a look-up by YM would see as ''.
QVariant ymValue(const QString& ym) { return ym.isEmpty() ? QVariant(QStringLiteral("")) : QVariant(ym); }

}  // namespace

QString budgetMaster(app::Program program) {
    return program == app::Program::Bank ? QStringLiteral("T02") : QStringLiteral("T01");
}

bool hasBudgets(db::Book& book) {
    if (!book.isOpen()) return false;
    bool ok = false;
    const QVariant n = book.scalar(
        QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = 'B01'"), {}, &ok);
    return ok && n.toLongLong() > 0;
}

std::optional<qint64> parseBudget(const QString& text) {
    const auto v = db::parseYen(text);
    if (!v || *v < 0 || *v > kMaxBudget) return std::nullopt;
    return v;
}

BudgetSpan spanOf(const QString& ym) {
    static const QRegularExpression year(QStringLiteral("^[0-9]{4}$"));
    static const QRegularExpression month(QStringLiteral("^[0-9]{4}/(0[1-9]|1[0-2])$"));
    if (ym.isEmpty()) return BudgetSpan::Default;
    if (year.match(ym).hasMatch()) return ym == QLatin1String("0000") ? BudgetSpan::Bad : BudgetSpan::Year;
    if (month.match(ym).hasMatch()) return ym.startsWith(QLatin1String("0000")) ? BudgetSpan::Bad : BudgetSpan::Month;
    return BudgetSpan::Bad;
}

QString monthYm(int year, int month) {
    return fourDigits(year) + QLatin1Char('/') + QStringLiteral("%1").arg(month, 2, 10, QLatin1Char('0'));
}
QString yearYm(int year) { return fourDigits(year); }

std::optional<qint64> BudgetPlanRow::month(int m) const {
    if (m < 1 || m > 12) return std::nullopt;
    return months[m - 1] ? months[m - 1] : monthly;
}

std::optional<qint64> BudgetPlanRow::year() const {
    if (yearly) return yearly;
    std::optional<qint64> sum;
    for (int m = 1; m <= 12; ++m)
        if (const auto v = month(m)) sum = sum.value_or(0) + *v;
    return sum;
}

bool BudgetPlanRow::hasMonthRows() const {
    return monthly || otherMonths || std::any_of(months.begin(), months.end(), [](const auto& v) { return bool(v); });
}
bool BudgetPlanRow::hasYearRows() const { return yearly || otherYearly; }

namespace {

// Adds the budgets of `year` to the rows (one per category or group, in their order), then rows
// for the codes of budgets whose category or group is gone.
std::optional<QList<BudgetPlanRow>> fillPlan(db::Book& book, const Store& store, QList<BudgetPlanRow> rows, int year) {
    QHash<qint64, int> at;
    for (int i = 0; i < rows.size(); ++i) at.insert(rows[i].code, i);
    // Every row of the table in one pass: a book holds a few hundred at most, and the rows of
    // other years tell which kind of budget a category keeps.
    QSqlQuery q(book.connection());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT %2, YM, KINGAKU FROM %1 ORDER BY %2, YM").arg(store.table, store.key)))
        return std::nullopt;
    const QString yyyy = yearYm(year);
    QList<BudgetPlanRow> gone;
    QHash<qint64, int> goneAt;
    while (q.next()) {
        const qint64 code = q.value(0).toLongLong();
        const QString ym = q.value(1).toString();
        const qint64 amount = storedYen(q.value(2));
        BudgetPlanRow* r = nullptr;
        if (at.contains(code)) {
            r = &rows[at.value(code)];
        } else {
            if (!goneAt.contains(code)) {
                BudgetPlanRow d;
                d.code = code;
                d.name = QStringLiteral("（削除された%1 %2）").arg(store.noun).arg(code);
                d.deleted = true;
                goneAt.insert(code, int(gone.size()));
                gone << d;
            }
            r = &gone[goneAt.value(code)];
        }
        switch (spanOf(ym)) {
            case BudgetSpan::Default:
                r->monthly = amount;
                break;
            case BudgetSpan::Year:
                if (ym == yyyy)
                    r->yearly = amount;
                else
                    r->otherYearly = true;
                break;
            case BudgetSpan::Month:
                if (ym.left(4) == yyyy)
                    r->months[ym.mid(5, 2).toInt() - 1] = amount;
                else
                    r->otherMonths = true;
                break;
            case BudgetSpan::Bad:
                break;  // the check names it; no cell can show it
        }
    }
    if (q.lastError().isValid()) return std::nullopt;
    rows << gone;
    return rows;
}

BudgetPlanRow planRow(qint64 code, const QString& name, const QVariant& kind) {
    BudgetPlanRow r;
    r.code = code;
    r.name = name;
    r.kind = kind;
    return r;
}

std::optional<QList<BudgetEntry>> entriesOf(db::Book& book, const Store& store) {
    QSqlQuery q(book.connection());
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT CD, %2, YM, KINGAKU FROM %1 ORDER BY %2, YM, CD").arg(store.table, store.key)))
        return std::nullopt;
    QList<BudgetEntry> out;
    while (q.next())
        out << BudgetEntry{q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toString(), q.value(3)};
    if (q.lastError().isValid()) return std::nullopt;
    return out;
}

}  // namespace

std::optional<QList<BudgetPlanRow>> readBudgetPlan(db::Book& book, app::Program program, int year) {
    QList<BudgetPlanRow> rows;
    for (const MasterRow& m : readMasterList(book, program == app::Program::Bank ? Master::Item : Master::Category))
        rows << planRow(m.cd, m.nm, m.kind);
    return fillPlan(book, kCategories, rows, year);
}

std::optional<QList<BudgetPlanRow>> readGroupBudgetPlan(db::Book& book, int year) {
    if (!hasGroups(book)) return QList<BudgetPlanRow>{};
    const auto groups = readGroups(book);
    if (!groups) return std::nullopt;
    QList<BudgetPlanRow> rows;
    for (const Group& g : *groups) rows << planRow(g.cd, g.name, g.kind);
    return fillPlan(book, kGroups, rows, year);
}

std::optional<QList<BudgetPlanRow>> readGroupedBudgetPlan(db::Book& book, app::Program program, int year) {
    auto plan = readBudgetPlan(book, program, year);
    if (!plan || !hasGroups(book)) return plan;
    const GroupMap map = readGroupMap(book, program);
    const auto groupPlan = readGroupBudgetPlan(book, year);
    if (!map.ok || !groupPlan) return std::nullopt;
    if (map.groups.isEmpty()) return plan;
    QHash<qint64, const BudgetPlanRow*> groupRow;
    for (const BudgetPlanRow& r : *groupPlan) groupRow.insert(r.code, &r);
    const auto add = [](std::optional<qint64>& to, std::optional<qint64> v) {
        if (v) to = to.value_or(0) + *v;
    };
    QList<BudgetPlanRow> out;
    for (const bool income : {true, false}) {
        const auto ofKind = [&](const BudgetPlanRow& r) { return !r.deleted && isIncome(r.kind) == income; };
        if (!map.groupsKind(income)) {
            for (const BudgetPlanRow& r : *plan)
                if (ofKind(r)) out << r;
            continue;
        }
        for (const Group& g : map.groups) {
            if (g.income() != income) continue;
            const BudgetPlanRow* own = groupRow.value(g.cd);
            BudgetPlanRow line = own ? *own : BudgetPlanRow{};
            line.code = g.cd;
            line.kind = g.kind;
            line.group = true;
            line.name = groupLineName(g.name);
            for (const BudgetPlanRow& r : *plan) {
                if (!ofKind(r) || map.of(r.code) != g.cd) continue;
                out << r;
                add(line.membersMonthly, r.monthly);
                for (int m = 1; m <= 12; ++m) add(line.membersMonths[m - 1], r.month(m));
                add(line.membersYear, r.year());
            }
            out << line;
        }
        for (const BudgetPlanRow& r : *plan)
            if (ofKind(r) && !map.of(r.code)) out << r;
    }
    for (const BudgetPlanRow& r : *plan)
        if (r.deleted) out << r;
    return out;
}

std::optional<QList<BudgetEntry>> readBudgetEntries(db::Book& book) { return entriesOf(book, kCategories); }

std::optional<QList<BudgetEntry>> readGroupBudgetEntries(db::Book& book) {
    if (!hasGroups(book)) return QList<BudgetEntry>{};
    return entriesOf(book, kGroups);
}

namespace {

// The checks of one row before it is written; empty when it may be.
QString refusalOf(qint64 code, const QString& ym, std::optional<qint64> amount) {
    if (code < 1 || code > db::kMaxCode)
        return QStringLiteral("コードは1～%1の整数です: %2").arg(db::kMaxCode).arg(code);
    if (spanOf(ym) == BudgetSpan::Bad)
        return QStringLiteral("期間は空（毎月）、yyyy/mm、yyyy のどれかです: %1").arg(app::clip(ym));
    if (amount && (*amount < 0 || *amount > kMaxBudget)) return kBudgetRefusal;
    return {};
}

}  // namespace

namespace {

// Why no budget of the store can be written now; empty when one can.
QString storeRefusal(db::Book& book, const Store& store) {
    if (book.isReadOnly()) return QStringLiteral("読み取り専用で開きます");
    if (&store == &kGroups) {
        if (!hasGroups(book))
            return QStringLiteral("このデータベースにはグループの表がありません（kakeibo upgrade で更新できます）");
    } else if (!hasBudgets(book)) {
        return QStringLiteral("このデータベースには予算の表がありません（kakeibo upgrade で更新できます）");
    }
    return {};
}

BudgetWrite writeInto(db::Book& book, const Store& store, qint64 code, const QString& ym,
                      std::optional<qint64> amount) {
    BudgetWrite w;
    if (const QString why = storeRefusal(book, store); !why.isEmpty()) {
        w.error = why;
        return w;
    }
    if (const QString why = refusalOf(code, ym, amount); !why.isEmpty()) {
        w.error = why;
        return w;
    }
    db::Transaction tx(book);
    if (!tx.ok()) {
        w.error = QStringLiteral("書き込めません");
        return w;
    }
    bool ok = true;
    // A group's budget needs its group; a category's may outlive its category, as journal rows do.
    if (&store == &kGroups && amount &&
        book.scalar(QStringLiteral("SELECT COUNT(*) FROM G01 WHERE CD = ?"), {code}, &ok).toLongLong() == 0) {
        w.error = ok ? QStringLiteral("グループがありません: %1").arg(code) : QStringLiteral("予算を読めません");
        return w;
    }
    const QVariant cdv =
        book.scalar(QStringLiteral("SELECT CD FROM %1 WHERE %2 = ? AND YM = ?").arg(store.table, store.key),
                    {code, ymValue(ym)}, &ok);
    if (!ok) {
        w.error = QStringLiteral("予算を読めません");
        return w;
    }
    if (amount) {
        const QString why = mixRefusal(book, store, code, spanOf(ym), &ok);
        if (!ok || !why.isEmpty()) {
            w.error = ok ? why : QStringLiteral("予算を読めません");
            return w;
        }
    }
    QString error;
    if (cdv.isNull()) {
        if (!amount) {
            w.ok = true;  // nothing there to remove
            return w;
        }
        const qint64 cd =
            book.scalar(QStringLiteral("SELECT COALESCE(MAX(CD), 0) + 1 FROM %1").arg(store.table), {}, &ok)
                .toLongLong();
        w.change = beginChange(book, store.table, {cd});
        ok = ok &&
             book.execute(
                 QStringLiteral("INSERT INTO %1 (CD, %2, YM, KINGAKU) VALUES (?, ?, ?, ?)").arg(store.table, store.key),
                 {cd, code, ymValue(ym), *amount}, &error);
    } else {
        const qint64 cd = cdv.toLongLong();
        w.change = beginChange(book, store.table, {cd});
        ok = amount ? book.execute(QStringLiteral("UPDATE %1 SET KINGAKU = ? WHERE CD = ?").arg(store.table),
                                   {*amount, cd}, &error)
                    : book.execute(QStringLiteral("DELETE FROM %1 WHERE CD = ?").arg(store.table), {cd}, &error);
    }
    if (ok) finishChange(book, w.change);
    if (!ok || !tx.commit()) {
        w.change = {};
        w.error = QStringLiteral("予算を書き込めません: %1").arg(error);
        return w;
    }
    w.ok = true;
    return w;
}

bool insertInto(db::Book& book, const Store& store, const QList<BudgetEntry>& rows, QString* error) {
    auto fail = [&](const QString& why) {
        if (error) *error = why;
        return false;
    };
    if (const QString why = storeRefusal(book, store); !why.isEmpty()) return fail(why);
    bool ok = true;
    if (book.scalar(QStringLiteral("SELECT COUNT(*) FROM %1").arg(store.table), {}, &ok).toLongLong() > 0 || !ok)
        return fail(QStringLiteral("予算が既にあるため読み込みません"));
    QHash<qint64, QSet<bool>> spans;  // per code: which kinds (yearly or not) it brings
    QSet<QPair<qint64, QString>> seen;
    for (int i = 0; i < rows.size(); ++i) {
        const BudgetEntry& r = rows[i];
        const auto amount = parseBudget(r.amount.toString());
        QString why = amount ? refusalOf(r.code, r.ym, amount) : kBudgetRefusal;
        if (why.isEmpty() && seen.contains({r.code, r.ym}))
            why = QStringLiteral("同じ%1と期間が二度あります").arg(store.noun);
        spans[r.code].insert(spanOf(r.ym) == BudgetSpan::Year);
        if (why.isEmpty() && spans[r.code].size() > 1)
            why = QStringLiteral("一つの%1に月の予算と年額の予算の両方があります").arg(store.noun);
        if (!why.isEmpty()) return fail(QStringLiteral("%1 件目: %2").arg(i + 1).arg(why));
        seen.insert({r.code, r.ym});
    }
    db::Transaction tx(book);
    QSqlQuery q(book.connection());
    if (!tx.ok() ||
        !q.prepare(
            QStringLiteral("INSERT INTO %1 (CD, %2, YM, KINGAKU) VALUES (?, ?, ?, ?)").arg(store.table, store.key)))
        return fail(QStringLiteral("書き込めません"));
    for (int i = 0; i < rows.size(); ++i) {
        q.addBindValue(i + 1);
        q.addBindValue(rows[i].code);
        q.addBindValue(ymValue(rows[i].ym));
        q.addBindValue(db::To_Long(rows[i].amount, 0));
        if (!q.exec()) return fail(q.lastError().text());
    }
    q = QSqlQuery();
    if (!tx.commit()) return fail(QStringLiteral("書き込めません"));
    return true;
}

}  // namespace

BudgetWrite writeBudget(db::Book& book, qint64 code, const QString& ym, std::optional<qint64> amount) {
    return writeInto(book, kCategories, code, ym, amount);
}

BudgetWrite writeGroupBudget(db::Book& book, qint64 group, const QString& ym, std::optional<qint64> amount) {
    return writeInto(book, kGroups, group, ym, amount);
}

bool insertBudgets(db::Book& book, const QList<BudgetEntry>& rows, QString* error) {
    return insertInto(book, kCategories, rows, error);
}

bool insertGroupBudgets(db::Book& book, const QList<BudgetEntry>& rows, QString* error) {
    return insertInto(book, kGroups, rows, error);
}

// ---- the report ------------------------------------------------------------------------------

std::optional<qint64> consumption(qint64 actual, qint64 budget) {
    if (budget <= 0) return std::nullopt;
    const qint64 scaled = actual * 100;
    qint64 q = scaled / budget;
    const qint64 r = scaled % budget;
    // Halves to the even neighbour, as To_Cur rounds every amount of the book.
    if (r * 2 > budget || (r * 2 == budget && q % 2 != 0)) ++q;
    if (r * 2 < -budget || (r * 2 == -budget && q % 2 != 0)) --q;
    return q;
}

QString periodName(const Period& p) {
    return p.mode == 1 ? QStringLiteral("%1年").arg(fourDigits(p.year))
                       : QStringLiteral("%1年%2月").arg(fourDigits(p.year)).arg(p.month);
}

namespace {

// Rows of S01 kept out of 実績. In the bank book, the two rows of a transfer between the user's
// own banks: they move money, they do not spend it (the line 振替 shows it).
QString actualsFilter(db::Book& book, app::Program program) {
    return program == app::Program::Bank ? notLinkedCondition(book) : QString();
}

struct Actual {
    qint64 period = 0;  // within the period shown
    qint64 year = 0;    // from the year's start to the period's end (a month view's yearly block)
};

BudgetLine itemLine(const MasterRow& m, qint64 budget, qint64 actual) {
    BudgetLine l;
    l.code = m.cd;
    l.name = m.nm;
    l.kindName = kindName(m.kind);
    l.income = isIncome(m.kind);
    l.budget = budget;
    l.actual = actual;
    l.diff = l.income ? actual - budget : budget - actual;
    l.rate = consumption(actual, budget);
    l.over = !l.income && actual > budget;
    return l;
}

BudgetLine sumLine(BudgetLine::Type type, const QString& label, bool income, qint64 budget, qint64 actual) {
    BudgetLine l;
    l.type = type;
    l.name = label;
    l.income = income;
    l.budget = budget;
    l.actual = actual;
    l.diff = income ? actual - budget : budget - actual;
    l.rate = consumption(actual, budget);
    l.over = !income && actual > budget;
    return l;
}

// What the main block's lines are grouped by: the book's groups, and the groups' own budgets for
// the period by G01 CD (a group without one stands for the sum of its members').
struct Grouping {
    GroupMap map;
    QHash<qint64, qint64> own;
};

// One kind's lines (sorted) with the sums of what it adds to its kind's: under their groups, each
// with its line, when the kind has groups.
void addKind(QList<BudgetLine>& out, const QList<BudgetLine>& lines, bool income, const Grouping* grouping,
             qint64& budget, qint64& actual) {
    if (!grouping || !grouping->map.groupsKind(income)) {
        for (const BudgetLine& l : lines) {
            if (l.income != income) continue;
            out << l;
            budget += l.budget;
            actual += l.actual;
        }
        return;
    }
    const auto block = [&](qint64 group, const QString& name) {
        qint64 b = 0, a = 0;
        for (const BudgetLine& l : lines) {
            if (l.income != income || grouping->map.of(l.code).value_or(0) != group) continue;
            out << l;
            b += l.budget;
            a += l.actual;
        }
        if (group != 0 && grouping->own.contains(group)) b = grouping->own.value(group);
        BudgetLine g = sumLine(BudgetLine::Type::Group, groupLineName(name), income, b, a);
        g.code = group;
        out << g;
        budget += b;
        actual += a;
    };
    for (const Group& g : grouping->map.groups)
        if (g.income() == income) block(g.cd, g.name);
    block(0, kUngrouped);
}

// Income lines and their sum, expense lines and theirs, and the balance of the two. A block of
// its own (the yearly budgets) leaves out the sum of a kind it has no line of.
void addBlock(QList<BudgetLine>& out, QList<BudgetLine> lines, bool everySum = true,
              const Grouping* grouping = nullptr) {
    std::stable_sort(lines.begin(), lines.end(), [](const BudgetLine& a, const BudgetLine& b) {
        return a.income != b.income ? a.income : a.code < b.code;
    });
    qint64 ib = 0, ia = 0, eb = 0, ea = 0;
    addKind(out, lines, true, grouping, ib, ia);
    const bool incomes = std::any_of(lines.begin(), lines.end(), [](const BudgetLine& l) { return l.income; });
    if (everySum || incomes) out << sumLine(BudgetLine::Type::IncomeSum, QStringLiteral("収入計"), true, ib, ia);
    addKind(out, lines, false, grouping, eb, ea);
    if (everySum || !incomes || std::any_of(lines.begin(), lines.end(), [](const BudgetLine& l) { return !l.income; }))
        out << sumLine(BudgetLine::Type::ExpenseSum, QStringLiteral("支出計"), false, eb, ea);
    BudgetLine balance = sumLine(BudgetLine::Type::Balance, QStringLiteral("収支"), true, ib - eb, ia - ea);
    balance.rate.reset();  // a ratio of two differences says nothing
    out << balance;
}

void addHeading(QList<BudgetLine>& out, const QString& text) {
    BudgetLine blank;
    blank.type = BudgetLine::Type::Blank;
    BudgetLine heading;
    heading.type = BudgetLine::Type::Heading;
    heading.name = text;
    out << blank << heading;
}

}  // namespace

BudgetReport budgetReport(db::Book& book, app::Program program, const Period& period, const QDate& today) {
    BudgetReport report;
    report.period = period;
    const bool bank = program == app::Program::Bank;
    const QList<MasterRow> master = readMasterList(book, bank ? Master::Item : Master::Category);
    // A book not yet upgraded holds no budgets: its spending is still shown.
    const auto plan =
        hasBudgets(book) ? readBudgetPlan(book, program, period.year) : std::optional(QList<BudgetPlanRow>{});
    if (!plan) return report;
    const auto groupPlan =
        hasBudgets(book) ? readGroupBudgetPlan(book, period.year) : std::optional(QList<BudgetPlanRow>{});
    Grouping grouping{readGroupMap(book, program), {}};
    if (!groupPlan || !grouping.map.ok) return report;

    // One grouped pass over the year up to the period's end: the period's own sums and, for a
    // month, the year so far beside them. Rows whose category is missing are left out by the
    // join, as the totals windows leave them out.
    const DateRange range = periodRange(period);
    const QString yearFrom = yearRange(yearYm(period.year)).from;
    const QString filter = actualsFilter(book, program);
    // A year's own sums are its sums so far: the second column is wanted by a month view only.
    const QString yen = yenSql(QStringLiteral("KINGAKU"));
    const bool year = period.mode == 1;
    const QString sql =
        QStringLiteral(
            "SELECT G.K_CD, G.P, G.Y FROM (SELECT K_CD, %1 AS P, %2 AS Y "
            "FROM S01 WHERE K_DATE >= ? AND K_DATE < ?%3 GROUP BY K_CD) AS G "
            "JOIN %4 AS I ON I.CD = G.K_CD")
            .arg(year ? QStringLiteral("SUM(%1)").arg(yen)
                      : QStringLiteral("SUM(CASE WHEN K_DATE >= ? THEN %1 ELSE 0 END)").arg(yen),
                 year ? QStringLiteral("0") : QStringLiteral("SUM(%1)").arg(yen),
                 filter.isEmpty() ? QString() : QStringLiteral(" AND ") + filter, budgetMaster(program));
    QSqlQuery q(book.connection());
    q.setForwardOnly(true);
    if (!q.prepare(sql)) return report;
    if (!year) q.addBindValue(range.from);
    q.addBindValue(yearFrom);
    q.addBindValue(range.to);
    if (!q.exec()) return report;
    QHash<qint64, Actual> actual;
    while (q.next()) actual.insert(q.value(0).toLongLong(), {q.value(1).toLongLong(), q.value(2).toLongLong()});
    if (q.lastError().isValid()) return report;

    QHash<qint64, const BudgetPlanRow*> planOf;
    for (const BudgetPlanRow& r : *plan) planOf.insert(r.code, &r);
    const bool monthView = period.mode == 0;
    // A group's yearly budget stands apart in a month view, as a category's does.
    QList<const BudgetPlanRow*> yearlyGroups;
    for (const BudgetPlanRow& r : *groupPlan) {
        if (r.deleted) continue;
        if (monthView && r.yearly)
            yearlyGroups << &r;
        else if (const auto own = monthView ? r.month(period.month) : r.year())
            grouping.own.insert(r.code, *own);
    }

    QList<BudgetLine> main, yearly;
    const bool current = monthView && today.year() == period.year && today.month() == period.month;
    const int daysLeft = current ? today.daysInMonth() - today.day() + 1 : 0;
    for (const MasterRow& m : master) {
        const BudgetPlanRow* p = planOf.value(m.cd);
        const Actual a = actual.value(m.cd);
        if (monthView && p && p->yearly) {
            yearly << itemLine(m, *p->yearly, a.year);
            continue;
        }
        const std::optional<qint64> budget = p ? (monthView ? p->month(period.month) : p->year()) : std::nullopt;
        if (!budget && a.period == 0) continue;
        BudgetLine l = itemLine(m, budget.value_or(0), a.period);
        if (current && !l.income) l.perDay = l.over ? 0 : (l.budget - l.actual) / daysLeft;
        main << l;
    }
    addBlock(report.lines, main, true, &grouping);
    if (bank && holdsTransfers(book)) {
        const std::optional<qint64> moved = transferTotal(book, range.from, range.to);
        if (!moved) return report;
        BudgetLine transfer;
        transfer.type = BudgetLine::Type::Transfer;
        transfer.name = QStringLiteral("振替");
        transfer.actual = *moved;
        report.lines << transfer;
    }
    if (!yearly.isEmpty()) {
        addHeading(report.lines, QStringLiteral("年額予算（1～%1月）").arg(period.month));
        addBlock(report.lines, yearly, false);
    }
    if (!yearlyGroups.isEmpty()) {
        // What every member spent from January on, whether its own line stands above or in the
        // yearly block: the group's budget covers them all. Outside every sum, which count the
        // members already.
        addHeading(report.lines, QStringLiteral("グループの年額予算（1～%1月）").arg(period.month));
        for (const BudgetPlanRow* r : yearlyGroups) {
            const Group* g = grouping.map.group(r->code);
            if (!g) continue;
            qint64 spent = 0;
            for (auto it = actual.cbegin(); it != actual.cend(); ++it)
                if (grouping.map.of(it.key()) == g->cd) spent += it->year;
            BudgetLine l = sumLine(BudgetLine::Type::Group, groupLineName(g->name), g->income(), *r->yearly, spent);
            l.code = g->cd;
            report.lines << l;
        }
    }
    report.ok = true;
    return report;
}

QStringList budgetHeader() {
    return {QStringLiteral("ｺｰﾄﾞ"),   QStringLiteral("科目名"), QStringLiteral("分類"),
            QStringLiteral("予算"),   QStringLiteral("実績"),   QStringLiteral("差額"),
            QStringLiteral("消化率"), QStringLiteral("超過"),   QStringLiteral("残り1日あたり")};
}

QStringList budgetCells(const BudgetLine& l) {
    if (l.type == BudgetLine::Type::Blank) return QStringList(9, QString());
    if (l.type == BudgetLine::Type::Heading)
        return {QString(), l.name, QString(), QString(), QString(), QString(), QString(), QString(), QString()};
    if (l.type == BudgetLine::Type::Transfer)
        return {QString(), l.name,    QString(), QString(), QString::number(l.actual),
                QString(), QString(), QString(), QString()};
    const bool item = l.type == BudgetLine::Type::Item;
    return {item ? QString::number(l.code) : QString(),
            l.name,
            l.kindName,
            QString::number(l.budget),
            QString::number(l.actual),
            QString::number(l.diff),
            l.type == BudgetLine::Type::Balance ? QString()
            : l.rate                            ? QStringLiteral("%1%").arg(*l.rate)
                                                : QStringLiteral("—"),
            l.over ? QStringLiteral("超過") : QString(),
            l.perDay ? QString::number(*l.perDay) : QString()};
}

}  // namespace ledger
