#include "tools/SampleBook.h"

#include <QDate>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <random>
#include <vector>

#include "core/AppState.h"
#include "core/db/Book.h"

namespace sample {
namespace {

struct Item {
    const char* name;
    int kind;          // 0 income, 1 expense
    int perMonth;      // rough number of entries a month, as a weight
    qint64 low, high;  // amount range in yen
};

const Item kBankItems[] = {
    {"給与", 0, 1, 180000, 320000},   {"賞与", 0, 0, 300000, 600000}, {"利息", 0, 0, 1, 300},
    {"家賃", 1, 1, 60000, 90000},     {"電気代", 1, 1, 3000, 12000},  {"ガス代", 1, 1, 2000, 9000},
    {"水道代", 1, 1, 2000, 6000},     {"電話代", 1, 1, 3000, 9000},   {"カード引落", 1, 3, 5000, 80000},
    {"現金引出", 1, 4, 10000, 50000}, {"預入", 0, 1, 10000, 100000},
};
const Item kPurseItems[] = {
    {"小遣い", 0, 3, 10000, 50000}, {"臨時収入", 0, 0, 1000, 20000}, {"食費", 1, 20, 200, 6000},
    {"日用品", 1, 4, 100, 3000},    {"交通費", 1, 4, 150, 2000},     {"外食", 1, 3, 700, 5000},
    {"衣料", 1, 1, 1500, 12000},    {"医療", 1, 1, 500, 8000},       {"娯楽", 1, 2, 500, 10000},
    {"雑費", 1, 2, 100, 3000},
};

template <size_t N>
std::vector<int> weightedPicks(const Item (&items)[N]) {
    std::vector<int> picks;
    for (size_t i = 0; i < N; ++i)
        for (int k = 0; k < std::max(1, items[i].perMonth); ++k) picks.push_back(static_cast<int>(i));
    return picks;
}

// Budgets beside the journal: each expense a default near its usual month, one month raised
// for the year-end, and the last expense a yearly budget, so that every kind of row is there.
bool fillSampleBudgets(db::Book& book, app::Program p, const Item* items, int itemCount, int year, QString* error) {
    if (book.scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = 'B01'")).toLongLong() == 0)
        return true;  // an older book's shape: no budgets to fill
    (void)p;
    QSqlQuery q(book.connection());
    if (!q.prepare(QStringLiteral("INSERT INTO B01 (CD,K_CD,YM,KINGAKU) VALUES (?,?,?,?)"))) {
        if (error) *error = q.lastError().text();
        return false;
    }
    int cd = 0;
    auto add = [&](int code, const QString& ym, qint64 amount) {
        for (const QVariant& v : QVariantList{++cd, code, ym, amount}) q.addBindValue(v);
        return q.exec();
    };
    const int lastExpense = itemCount;
    for (int i = 0; i < itemCount; ++i) {
        if (items[i].kind != 0 && i + 1 == lastExpense) {
            const qint64 perYear = (items[i].low + items[i].high) / 2 * std::max(1, items[i].perMonth) * 12;
            if (!add(i + 1, QStringLiteral("%1").arg(year), perYear / 1000 * 1000)) break;
            continue;
        }
        const qint64 usual = (items[i].low + items[i].high) / 2 * std::max(1, items[i].perMonth) / 100 * 100;
        if (!add(i + 1, QStringLiteral(""), usual)) break;
        if (items[i].kind != 0 && !add(i + 1, QStringLiteral("%1/12").arg(year), usual * 3 / 2)) break;
    }
    if (q.lastError().isValid()) {
        if (error) *error = q.lastError().text();
        return false;
    }
    return true;
}

// The three groups over the sample's expenses, one expense left in none (so that 未分類 shows),
// and 固定費 a budget of its own.
bool fillSampleGroups(db::Book& book, const Item* items, int itemCount, QString* error) {
    if (book.scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = 'G01'")).toLongLong() == 0)
        return true;  // an older book's shape
    const char* const groups[] = {"固定費", "変動費", "特別費"};
    const QHash<QString, int> groupOf{
        {QStringLiteral("家賃"), 1},     {QStringLiteral("電気代"), 1}, {QStringLiteral("ガス代"), 1},
        {QStringLiteral("水道代"), 1},   {QStringLiteral("電話代"), 1}, {QStringLiteral("カード引落"), 2},
        {QStringLiteral("現金引出"), 2}, {QStringLiteral("食費"), 2},   {QStringLiteral("日用品"), 2},
        {QStringLiteral("交通費"), 2},   {QStringLiteral("外食"), 2},   {QStringLiteral("衣料"), 2},
        {QStringLiteral("医療"), 3},     {QStringLiteral("娯楽"), 3},
    };
    QString why;
    bool ok = true;
    for (int g = 0; ok && g < 3; ++g)
        ok = book.execute(QStringLiteral("INSERT INTO G01 (CD,NM,KIND,SORT) VALUES (?,?,1,?)"),
                          {g + 1, QString::fromUtf8(groups[g]), g + 1}, &why);
    int cd = 0;
    for (int i = 0; ok && i < itemCount; ++i)
        if (const int g = groupOf.value(QString::fromUtf8(items[i].name)); g > 0)
            ok = book.execute(QStringLiteral("INSERT INTO G02 (CD,K_CD,G_CD) VALUES (?,?,?)"), {++cd, i + 1, g}, &why);
    ok = ok && book.execute(QStringLiteral("INSERT INTO B02 (CD,G_CD,YM,KINGAKU) VALUES (1,1,'',100000)"), {}, &why);
    if (!ok && error) *error = why;
    return ok;
}

}  // namespace

bool fillSample(db::Book& book, app::Program p, int rows, QString* error) {
    std::mt19937 rng(20240401u);
    db::Transaction tx(book);
    if (!tx.ok()) {
        if (error) *error = QStringLiteral("cannot start a transaction");
        return false;
    }
    QSqlQuery q(book.connection());
    auto run = [&](const QString& sql, const QVariantList& binds) {
        if (!q.prepare(sql)) return false;
        for (const QVariant& v : binds) q.addBindValue(v);
        return q.exec();
    };
    auto failed = [&]() {
        if (error) *error = q.lastError().text();
        return false;
    };
    const bool bank = p == app::Program::Bank;
    const int itemCount = bank ? int(std::size(kBankItems)) : int(std::size(kPurseItems));
    const Item* items = bank ? kBankItems : kPurseItems;
    if (!run(bank ? "INSERT INTO U01 (CD,NM,PASSWORD) VALUES (1,?,' ')"
                  : "INSERT INTO U01 (CD,NM,SYOHIZEI,PASSWORD) VALUES (1,?,10,' ')",
             {QStringLiteral("山田 花子")}))
        return failed();
    const QString masterSql = bank ? QStringLiteral("INSERT INTO T02 (CD,NM,KIND) VALUES (?,?,?)")
                                   : QStringLiteral("INSERT INTO T01 (CD,NM,KIND) VALUES (?,?,?)");
    for (int i = 0; i < itemCount; ++i)
        if (!run(masterSql, {i + 1, QString::fromUtf8(items[i].name), items[i].kind})) return failed();
    const char* banks[] = {"さくら銀行", "ゆうちょ銀行", "みどり信用金庫"};
    if (bank)
        for (int i = 0; i < 3; ++i)
            if (!run("INSERT INTO T01 (CD,NM,ZAN) VALUES (?,?,0)", {i + 1, QString::fromUtf8(banks[i])}))
                return failed();

    // Spread the rows evenly over about ten years ending last month.
    const QDate today = QDate::currentDate();
    const QDate end = today.addDays(-today.day());
    const QDate start = end.addYears(-10).addDays(1);
    const qint64 days = start.daysTo(end) + 1;
    const std::vector<int> picks = bank ? weightedPicks(kBankItems) : weightedPicks(kPurseItems);
    std::uniform_int_distribution<size_t> pick(0, picks.size() - 1);
    const QString notes[] = {QString(), QString(), QStringLiteral("メモ"), QStringLiteral("現金")};

    QSqlQuery ins(book.connection());
    ins.prepare(bank ? QStringLiteral("INSERT INTO S01 (CD,K_DATE,B_CD,K_CD,KINGAKU,BIKO) VALUES (?,?,?,?,?,?)")
                     : QStringLiteral("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN,BIKO) VALUES (?,?,?,?,?,?,?)"));
    qint64 zanBank[4] = {0, 0, 0, 0};
    qint64 running = 0;
    int page = 0;
    int pageMonth = -1;
    for (int i = 0; i < rows; ++i) {
        const QDate d = start.addDays(days * i / std::max(1, rows));
        const int item = picks[pick(rng)];
        std::uniform_int_distribution<qint64> amt(items[item].low, items[item].high);
        qint64 amount = amt(rng);
        if (amount > 1000) amount = amount / 10 * 10;
        const qint64 sign = items[item].kind == 0 ? 1 : -1;
        const QString note = notes[i % 4];
        const QString date = d.toString(QStringLiteral("yyyy/MM/dd"));
        QVariantList row;
        if (bank) {
            const int b = 1 + int(rng() % 3);
            zanBank[b] += sign * amount;
            row = {i + 1, date, b, item + 1, amount, note};
        } else {
            // A new page for each calendar month, as if the book were opened once a month.
            const int ym = d.year() * 12 + d.month();
            if (ym != pageMonth) {
                pageMonth = ym;
                ++page;
            }
            running += sign * amount;
            row = {i + 1, page, date, item + 1, amount, running, note};
        }
        for (const QVariant& v : row) ins.addBindValue(v);
        if (!ins.exec()) {
            if (error) *error = ins.lastError().text();
            return false;
        }
    }
    if (bank)
        for (int b = 1; b <= 3; ++b)
            if (!run("UPDATE T01 SET ZAN=? WHERE CD=?", {zanBank[b], b})) return failed();
    if (!fillSampleBudgets(book, p, items, itemCount, end.year(), error)) return false;
    if (!fillSampleGroups(book, items, itemCount, error)) return false;
    if (!tx.commit()) {
        if (error) *error = QStringLiteral("commit failed");
        return false;
    }
    return true;
}

}  // namespace sample
