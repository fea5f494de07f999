// bench [--rows N,N,...] [--dir DIR] [--reps R] [--only bank,purse,backup,startup,search,export]
// Measures what a user waits on, at several journal sizes, each beside its floor: the plain
// SQLite statement over the same rows through the C API with nothing around it.
// The sample databases are made once in DIR (dbinit's --sample data) and reused.

#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "bank/BankWindows.h"
#include "core/AppState.h"
#include "core/care/Backup.h"
#include "core/db/Book.h"
#include "core/db/Recordset.h"
#include "core/db/Schema.h"
#include "core/io/Export.h"
#include "core/io/Search.h"
#include "core/ledger/Balances.h"
#include "core/ledger/BankBook.h"
#include "core/ledger/Budget.h"
#include "core/ledger/Pages.h"
#include "core/ledger/Series.h"
#include "core/ledger/Totals.h"
#include "core/ledger/YearTable.h"
#include "purse/PurseWindows.h"
#include "tools/SampleBook.h"
#include "ui/shell/Msg.h"

namespace {

int g_reps = 15;

double medianMs(const std::function<void()>& f, int reps = g_reps) {
    std::vector<double> t;
    f();  // warm the page cache and the statement caches
    for (int i = 0; i < reps; ++i) {
        QElapsedTimer timer;
        timer.start();
        f();
        t.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// The floor's own connection, plain C API.
struct Plain {
    sqlite3* db = nullptr;
    explicit Plain(const QString& path) {
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    }
    ~Plain() { sqlite3_close(db); }
    // Runs a query, binding the values, stepping every row and touching every column.
    long long rows(const char* sql, const QVariantList& binds) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
        int i = 1;
        for (const QVariant& v : binds) {
            if (v.typeId() == QMetaType::QString) {
                const QByteArray b = v.toString().toUtf8();
                sqlite3_bind_text(st, i++, b.constData(), b.size(), SQLITE_TRANSIENT);
            } else {
                sqlite3_bind_int64(st, i++, v.toLongLong());
            }
        }
        long long n = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(st); ++c) sqlite3_column_text(st, c);
            ++n;
        }
        sqlite3_finalize(st);
        return n;
    }
    void exec(const char* sql) { sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
};

struct Line {
    long long rows;
    QString what;
    double ours;
    double floor;
    double goal;  // ms; 0: none
};
std::vector<Line> g_lines;

void report(long long n, const QString& what, double ours, double floor, double goal) {
    g_lines.push_back({n, what, ours, floor, goal});
    std::printf("%9lld  %-44s %9.2f ms  floor %8.2f ms  x%5.1f%s\n", n, qPrintable(what), ours, floor,
                floor > 0 ? ours / floor : 0.0, goal > 0 && ours > goal ? "  OVER GOAL" : "");
    std::fflush(stdout);
}

QString sampleDb(const QString& dir, app::Program p, int rows) {
    // A book of another version is made anew: its tables differ (budgets from version 2).
    const QString sub =
        QDir(dir).filePath(QStringLiteral("%1-%2-v%3").arg(app::productOf(p).name).arg(rows).arg(db::kSchemaVersion));
    QDir().mkpath(sub);
    const QString path = QDir(sub).filePath(app::productOf(p).databaseFile);
    if (QFileInfo::exists(path)) return path;
    std::fprintf(stderr, "making %s ...\n", qPrintable(path));
    QString error;
    db::Book book;
    if (!db::createBook(p, path, &error) || !book.open(path, &error) || !sample::fillSample(book, p, rows, &error)) {
        std::fprintf(stderr, "bench: %s\n", qPrintable(error));
        std::exit(1);
    }
    book.close();
    return path;
}

// Milliseconds of one journal row written through the ledger (`write`, of row `next`) and deleted
// again, less the delete alone.
double ownWriteMs(db::Book& book, qint64& next, const std::function<void()>& write) {
    return medianMs([&] {
               write();
               book.execute(QStringLiteral("DELETE FROM S01 WHERE CD=?"), {next});
               ++next;
           }) -
           medianMs([&] { book.execute(QStringLiteral("DELETE FROM S01 WHERE CD=?"), {next++}); });
}

// The floor of the same: the statements `write` runs in one transaction through the C API.
double plainWriteMs(Plain& plain, qint64& next, const std::function<void()>& write) {
    return medianMs([&] {
               plain.exec("BEGIN");
               write();
               plain.exec("COMMIT");
               plain.rows("DELETE FROM S01 WHERE CD=?", {next++});
           }) -
           medianMs([&] { plain.rows("DELETE FROM S01 WHERE CD=?", {next++}); });
}

// Bank 1's balance recomputed in one statement and written back.
void plainBankZan(Plain& plain) {
    plain.rows(
        "SELECT SUM(CASE WHEN T02.KIND=0 THEN KINGAKU ELSE -KINGAKU END) FROM S01 "
        "LEFT JOIN T02 ON T02.CD=K_CD WHERE B_CD=?",
        {1});
    plain.rows("UPDATE T01 SET ZAN=ZAN WHERE CD=?", {1});
}

// A year's totals and balance series, each against one grouped statement: in the bank book
// those of bank 1, in the household book of every entry.
void reportYear(long long n, db::Book& book, Plain& plain, app::Program program, const QString& year,
                const QString& totalsWhat, double goal) {
    const bool bank = program == app::Program::Bank;
    const QString who = bank ? QStringLiteral("bank: ") : QStringLiteral("purse: ");
    const auto period = std::optional<ledger::Period>(ledger::Period{1, year.toInt(), 1});
    const auto yr = ledger::yearRange(year);
    const QString scope = bank ? QStringLiteral("B_CD=? AND ") : QString();
    const QVariantList binds = bank ? QVariantList{1, yr.from, yr.to} : QVariantList{yr.from, yr.to};
    const QByteArray totals =
        QStringLiteral("SELECT K_CD, count(*), SUM(KINGAKU) FROM S01 WHERE %1K_DATE>=? AND K_DATE<? GROUP BY K_CD")
            .arg(scope)
            .toUtf8();
    const QByteArray series = QStringLiteral(
                                  "SELECT substr(K_DATE,6,2), SUM(CASE WHEN %1.KIND=0 THEN KINGAKU ELSE -KINGAKU END) "
                                  "FROM S01 LEFT JOIN %1 ON %1.CD=K_CD WHERE %2K_DATE>=? AND K_DATE<? "
                                  "GROUP BY substr(K_DATE,6,2)")
                                  .arg(bank ? QStringLiteral("T02") : QStringLiteral("T01"), scope)
                                  .toUtf8();
    const qint64 code = bank ? 1 : 0;
    report(n, who + totalsWhat, medianMs([&] { ledger::periodTotals(book, program, code, *period); }),
           medianMs([&] { plain.rows(totals.constData(), binds); }), goal);
    report(n, who + QStringLiteral("yearly balance series"),
           medianMs([&] { ledger::readSeries(book, program, code, 0, *period); }),
           medianMs([&] { plain.rows(series.constData(), binds); }), goal);
}

// A month and a year in the middle of the sample's ten years.
QString middleMonth() { return QDate::currentDate().addYears(-5).toString(QStringLiteral("yyyy/MM")); }

// Opens a program's sample book through the ledger, and through the C API for the floors, and runs
// one of the journal benchmarks below on it; `userGoal` is what a user would notice at that size.
void onSample(const QString& path, int n, void (*bench)(db::Book& book, Plain& plain, int n, double userGoal)) {
    QString error;
    db::Book book;
    book.open(path, &error);
    Plain plain(path);
    bench(book, plain, n, n <= 100000 ? 10.0 : 50.0);
    book.close();
}

void benchBank(db::Book& book, Plain& plain, int n, double userGoal) {
    const QString month = middleMonth();
    const auto range = ledger::monthRange(month.left(4), month.mid(5, 2));
    report(n, QStringLiteral("bank: one bank's month"), medianMs([&] { ledger::readBankMonth(book, 1, month); }),
           medianMs([&] {
               plain.rows(
                   "SELECT S01.CD,K_DATE,K_CD,T02.NM,T02.KIND,KINGAKU,BIKO FROM S01 LEFT JOIN T02 ON T02.CD=K_CD "
                   "WHERE B_CD=? AND K_DATE>=? AND K_DATE<? ORDER BY K_DATE,S01.CD",
                   {1, range.from, range.to});
           }),
           userGoal);
    report(n, QStringLiteral("bank: Recalc_BankZan of one bank"), medianMs([&] { ledger::Recalc_BankZan(book, 1); }),
           medianMs([&] {
               plain.exec("BEGIN");
               plainBankZan(plain);
               plain.exec("COMMIT");
           }),
           userGoal);
    qint64 next = db::Get_Max(book, QStringLiteral("S01"), QStringLiteral("CD")) + 1;
    const QString day = month + QStringLiteral("/15");
    report(n, QStringLiteral("bank: insert one row with its recalculation"),
           ownWriteMs(book, next,
                      [&] {
                          ledger::writeEntry(book, {next, day, 1, 3, 1234, QStringLiteral("bench")});
                      }),
           plainWriteMs(plain, next,
                        [&] {
                            plain.rows(
                                "INSERT INTO S01 (CD,K_DATE,B_CD,K_CD,KINGAKU,BIKO) VALUES (?,?,1,3,1234,'bench')",
                                {next, day});
                            plainBankZan(plain);
                        }),
           userGoal);
    ledger::Recalc_BankZan(book, 1);
    reportYear(n, book, plain, app::Program::Bank, month.left(4), QStringLiteral("yearly totals of one bank"),
               userGoal);
}

void benchPurse(db::Book& book, Plain& plain, int n, double userGoal) {
    const qint64 pages = db::Get_Max(book, QStringLiteral("S01"), QStringLiteral("P_CD"));
    const qint64 page = pages / 2;
    report(n, QStringLiteral("purse: Show_Page of a page"), medianMs([&] { ledger::readPage(book, page); }),
           medianMs([&] {
               plain.rows(
                   "SELECT S01.CD,K_DATE,K_CD,T01.NM,T01.KIND,KINGAKU,S01.ZAN,BIKO FROM S01 "
                   "LEFT JOIN T01 ON T01.CD=K_CD WHERE P_CD=? ORDER BY K_DATE,S01.CD",
                   {page});
           }),
           userGoal);
    // The floor rewrites every balance: one ordered pass, one prepared UPDATE, one transaction.
    auto floorRecalc = [&] {
        plain.exec("BEGIN");
        sqlite3_stmt* sel = nullptr;
        sqlite3_stmt* upd = nullptr;
        sqlite3_prepare_v2(plain.db,
                           "SELECT S01.CD, P_CD, KINGAKU, T01.KIND FROM S01 LEFT JOIN T01 ON T01.CD=K_CD "
                           "ORDER BY P_CD, K_DATE, S01.CD",
                           -1, &sel, nullptr);
        sqlite3_prepare_v2(plain.db, "UPDATE S01 SET ZAN=? WHERE CD=?", -1, &upd, nullptr);
        long long zan = 0;
        while (sqlite3_step(sel) == SQLITE_ROW) {
            const long long amount = sqlite3_column_int64(sel, 2);
            zan += sqlite3_column_int64(sel, 3) == 0 ? amount : -amount;
            sqlite3_bind_int64(upd, 1, zan);
            sqlite3_bind_int64(upd, 2, sqlite3_column_int64(sel, 0));
            sqlite3_step(upd);
            sqlite3_reset(upd);
        }
        sqlite3_finalize(sel);
        sqlite3_finalize(upd);
        plain.exec("COMMIT");
    };
    const double rewriteFloor = medianMs(floorRecalc, 5);
    report(n, QStringLiteral("purse: Recalc_Zan over all pages"), medianMs([&] { ledger::Recalc_Zan(book, 1); }, 5),
           rewriteFloor, n <= 100000 ? 300.0 : 3000.0);
    // The worst case: every stored balance is wrong and is rewritten.
    {
        std::vector<double> t;
        for (int i = 0; i < 5; ++i) {
            plain.exec("UPDATE S01 SET ZAN=0");
            QElapsedTimer timer;
            timer.start();
            ledger::Recalc_Zan(book, 1);
            t.push_back(timer.nsecsElapsed() / 1e6);
        }
        std::sort(t.begin(), t.end());
        report(n, QStringLiteral("purse: Recalc_Zan, every balance rewritten"), t[t.size() / 2], rewriteFloor,
               n <= 100000 ? 300.0 : 3000.0);
    }
    ledger::Recalc_Zan(book, 1);  // the chain right again after the worst case above
    qint64 next = db::Get_Max(book, QStringLiteral("S01"), QStringLiteral("CD")) + 1;
    // A new row at the end of the last page: nothing after it moves.
    const QString day = book.scalar(QStringLiteral("SELECT MAX(K_DATE) FROM S01")).toString();
    report(n, QStringLiteral("purse: insert one row on the last page"),
           ownWriteMs(book, next,
                      [&] {
                          ledger::writeEntry(book, {next, pages, day, 3, 500, QStringLiteral("bench")});
                      }),
           plainWriteMs(
               plain, next,
               [&] {
                   plain.rows("SELECT ZAN FROM S01 WHERE P_CD=? ORDER BY K_DATE DESC, CD DESC LIMIT 1", {pages});
                   plain.rows("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN,BIKO) VALUES (?,?,?,3,500,0,'bench')",
                              {next, pages, day});
               }),
           userGoal);
    // A row dated before every other on page 1: every balance after it moves by its amount.
    // The floor is the same statements through the C API; the goal is to stay well under
    // rewriting every balance.
    {
        const QString first = book.scalar(QStringLiteral("SELECT MIN(K_DATE) FROM S01 WHERE P_CD=1")).toString();
        std::vector<double> ours, floor;
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer timer;
            timer.start();
            ledger::writeEntry(book, {next, 1, first, 1, 500, QStringLiteral("bench")});
            ours.push_back(timer.nsecsElapsed() / 1e6);
            ledger::deleteEntries(book, next, std::nullopt);
            ++next;
            timer.restart();
            plain.exec("BEGIN");
            plain.rows(
                "SELECT ZAN FROM S01 WHERE (P_CD,K_DATE,CD) < (1,?,?) ORDER BY P_CD DESC,K_DATE DESC,CD DESC "
                "LIMIT 1",
                {first, next});
            plain.rows("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN,BIKO) VALUES (?,1,?,1,500,500,'bench')",
                       {next, first});
            plain.rows("UPDATE S01 SET ZAN=ZAN+500 WHERE (P_CD,K_DATE,CD) > (1,?,?)", {first, next});
            plain.exec("COMMIT");
            floor.push_back(timer.nsecsElapsed() / 1e6);
            ledger::deleteEntries(book, next, std::nullopt);
            ++next;
        }
        std::sort(ours.begin(), ours.end());
        std::sort(floor.begin(), floor.end());
        report(n, QStringLiteral("purse: back-dated insert on page 1"), ours[2], floor[2], rewriteFloor * 0.6);
    }
    const QString year = middleMonth().left(4);
    const auto period = std::optional<ledger::Period>(ledger::Period{1, year.toInt(), 1});
    const auto yr = ledger::yearRange(year);
    reportYear(n, book, plain, app::Program::Purse, year, QStringLiteral("yearly totals of all categories"), userGoal);
    // 予算実績 of a year: the budgets and one grouped pass over the year; the floor is that pass
    // alone. Goal: within twice the floor and under 10 ms.
    const double budgetFloor = medianMs([&] {
        plain.rows("SELECT K_CD, SUM(KINGAKU) FROM S01 WHERE K_DATE>=? AND K_DATE<? GROUP BY K_CD", {yr.from, yr.to});
    });
    // The sample's expenses stand in three groups, one with a budget of its own: the lines by
    // group come from the same pass.
    report(n, QStringLiteral("purse: budget vs actual of a year, by group"),
           medianMs([&] { ledger::budgetReport(book, app::Program::Purse, *period, QDate::currentDate()); }),
           budgetFloor, n <= 100000 ? std::min(10.0, 2 * budgetFloor) : 0.0);
    // 予算設定 reads the budgets and the groups only, whatever the journal holds: its floor is the
    // plain read of the budget table.
    report(n, QStringLiteral("purse: budget plan of a year, by group"),
           medianMs([&] { ledger::readGroupedBudgetPlan(book, app::Program::Purse, year.toInt()); }),
           medianMs([&] { plain.rows("SELECT K_CD, YM, KINGAKU FROM B01 ORDER BY K_CD, YM", {}); }), 10.0);
}

// The year at a glance of a fiscal year in the middle of the sample (all banks of the bank book);
// its floor is the same grouped statement alone, its rows stepped through the C API.
void benchYear(const QString& path, app::Program p, int n) {
    QString error;
    db::Book book;
    if (!book.open(path, &error)) return;
    Plain plain(path);
    const int year = middleMonth().left(4).toInt();
    ledger::YearQuery q;
    q.program = p;
    q.span = {year, 4};
    q.today = QDate::currentDate();
    const QString sql =
        QStringLiteral(
            "SELECT G.K_CD, I.NM, I.KIND, G.M, G.S FROM (SELECT K_CD, substr(K_DATE, 1, 7) AS M, SUM(%1) AS S "
            "FROM S01 WHERE K_DATE >= ? AND K_DATE < ? GROUP BY K_CD, M) AS G JOIN %2 AS I ON I.CD = G.K_CD "
            "ORDER BY G.K_CD")
            .arg(ledger::yenSql(QStringLiteral("KINGAKU")),
                 p == app::Program::Bank ? QStringLiteral("T02") : QStringLiteral("T01"));
    const QByteArray floorSql = sql.toUtf8();
    const QString from = QStringLiteral("%1/04/01").arg(year), to = QStringLiteral("%1/04/01").arg(year + 1);
    const double floor = medianMs([&] { plain.rows(floorSql.constData(), {from, to}); });
    report(n,
           p == app::Program::Bank ? QStringLiteral("bank: year table of all banks, by group")
                                   : QStringLiteral("purse: year table, by group"),
           medianMs([&] { ledger::readYearTable(book, q); }), floor, std::min(2 * floor, 20.0));
    book.close();
}

// Searching the whole book for a word in the notes: SQLite scans every row. The floor is the
// plain statement listing the rows whose note holds the word, names joined, in date order.
void benchSearch(const QString& path, app::Program p, int n) {
    QString error;
    db::Book book;
    book.open(path, &error, true);
    Plain plain(path);
    const bool bank = p == app::Program::Bank;
    io::SearchQuery query;
    query.text = QStringLiteral("メモ");
    long long hits = 0;
    const double ours = medianMs([&] { hits = io::search(book, p, query).hits.size(); });
    const double floor = medianMs([&] {
        plain.rows(bank ? "SELECT S01.CD,K_DATE,B_CD,T01.NM,K_CD,T02.NM,T02.KIND,KINGAKU,BIKO FROM S01 "
                          "LEFT JOIN T01 ON T01.CD=B_CD LEFT JOIN T02 ON T02.CD=K_CD "
                          "WHERE BIKO LIKE ? ESCAPE '\\' ORDER BY K_DATE,S01.CD"
                        : "SELECT S01.CD,K_DATE,P_CD,K_CD,T01.NM,T01.KIND,KINGAKU,BIKO FROM S01 "
                          "LEFT JOIN T01 ON T01.CD=K_CD WHERE BIKO LIKE ? ESCAPE '\\' ORDER BY K_DATE,S01.CD",
                   {io::containsPattern(query.text)});
    });
    report(n, QStringLiteral("%1: search a word in the notes (%2 hits)").arg(bank ? "bank" : "purse").arg(hits), ours,
           floor, n <= 100000 ? 100.0 : 0.0);
    book.close();
}

// The whole household journal to a CSV file, names beside codes. The floor is the plain statement
// reading the same rows and names; what ours adds is the text of every cell and the file.
void benchExport(const QString& path, int n) {
    QString error;
    db::Book book;
    book.open(path, &error, true);
    Plain plain(path);
    const QString out = QFileInfo(path).absolutePath() + QStringLiteral("/export.csv");
    const double ours = medianMs([&] { io::writeTable(io::journalTable(book, app::Program::Purse), out); }, 3);
    const double floor = medianMs(
        [&] {
            plain.rows(
                "SELECT S01.CD,P_CD,K_DATE,K_CD,T01.NM,T01.KIND,KINGAKU,ZAN,BIKO FROM S01 "
                "LEFT JOIN T01 ON T01.CD=K_CD ORDER BY P_CD,K_DATE,S01.CD",
                {});
        },
        3);
    QFile::remove(out);
    report(n, QStringLiteral("purse: export the whole journal"), ours, floor, n <= 100000 ? 2000.0 : 0.0);
    book.close();
}

// The copy a program makes when it opens a book that changed: backupBook through the program's
// connection, beside sqlite3_backup of the same book through the plain connection into a file.
void benchBackup(const QString& path, int n) {
    QString error;
    db::Book book;
    book.open(path, &error);
    const QString folder = db::backupFolder(path);
    const int reps = std::min(g_reps, 7);
    db::BackupOptions options;
    options.keep = 2;
    std::vector<double> ours, floor;
    for (int i = 0; i <= reps; ++i) {  // the first of each is a warm-up
        // A small change, so that the copy is not skipped.
        book.execute(QStringLiteral("UPDATE S01 SET BIKO=? WHERE CD=1"), {QStringLiteral("bench %1").arg(i)});
        QElapsedTimer timer;
        timer.start();
        const db::BackupResult r = db::backupBook(book, options);
        const double t = timer.nsecsElapsed() / 1e6;
        if (r.outcome != db::BackupOutcome::Made) {
            std::fprintf(stderr, "bench: no backup: %s\n", qPrintable(r.error));
            std::exit(1);
        }
        if (i > 0) ours.push_back(t);
    }
    {
        Plain plain(path);
        const QByteArray target = QDir(folder).filePath(QStringLiteral("floor.mdb")).toUtf8();
        for (int i = 0; i <= reps; ++i) {
            QFile::remove(QString::fromUtf8(target));
            QElapsedTimer timer;
            timer.start();
            sqlite3* dest = nullptr;
            sqlite3_open_v2(target.constData(), &dest, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
            sqlite3_backup* b = sqlite3_backup_init(dest, "main", plain.db, "main");
            sqlite3_backup_step(b, -1);
            sqlite3_backup_finish(b);
            sqlite3_close(dest);
            if (i > 0) floor.push_back(timer.nsecsElapsed() / 1e6);
        }
    }
    book.close();
    QDir(folder).removeRecursively();
    std::sort(ours.begin(), ours.end());
    std::sort(floor.begin(), floor.end());
    report(n, QStringLiteral("purse: backup at opening"), ours[ours.size() / 2], floor[floor.size() / 2],
           n <= 100000 ? 150.0 : 0.0);
}

void benchStartUp(const QString& path, app::Program p, int n) {
    const double ours = medianMs(
        [&] {
            // The session's messages are scripted: a start-up message must not wait for a person.
            app::Session session(p);
            session.setDataDir(QFileInfo(path).absolutePath());
            session.setEndHandler([](int) {});
            auto* menu = new ui::form_Menu(session, p == app::Program::Bank ? bank::menuConfig() : purse::menuConfig());
            int code = 0;
            menu->startUp(&code);
            QApplication::processEvents();  // the menu is drawn
            delete menu;
            session.closeBook();
        },
        7);
    const double floor = medianMs(
        [&] {
            Plain plain(path);
            plain.rows("SELECT * FROM U01 WHERE CD=1", {});
            plain.rows("SELECT * FROM T01 ORDER BY CD", {});
            if (p == app::Program::Bank) plain.rows("SELECT * FROM T02 ORDER BY CD", {});
        },
        7);
    report(n, QStringLiteral("%1: start-up to a usable menu").arg(p == app::Program::Bank ? "bank" : "purse"), ours,
           floor, 300.0);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QList<int> sizes{10000, 100000, 1000000};
    QString dir = QDir::temp().filePath(QStringLiteral("kakeibo-bench"));
    const QStringList args = qapp.arguments();
    QStringList only{QStringLiteral("bank"),    QStringLiteral("purse"),  QStringLiteral("backup"),
                     QStringLiteral("startup"), QStringLiteral("search"), QStringLiteral("export"),
                     QStringLiteral("year")};
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--rows") && i + 1 < args.size()) {
            sizes.clear();
            for (const QString& s : args[++i].split(QLatin1Char(','))) sizes << s.toInt();
        } else if (args[i] == QLatin1String("--dir") && i + 1 < args.size()) {
            dir = args[++i];
        } else if (args[i] == QLatin1String("--reps") && i + 1 < args.size()) {
            g_reps = args[++i].toInt();
        } else if (args[i] == QLatin1String("--only") && i + 1 < args.size()) {
            only = args[++i].split(QLatin1Char(','));
        } else {
            std::fprintf(stderr,
                         "usage: bench [--rows N,N,...] [--dir DIR] [--reps R] [--only "
                         "bank,purse,backup,startup,search,export,year]\n");
            return 2;
        }
    }
    std::printf("%9s  %-44s %12s  %14s\n", "rows", "action", "ours", "floor");
    for (int n : sizes) {
        const QString bankDb = sampleDb(dir, app::Program::Bank, n);
        const QString purseDb = sampleDb(dir, app::Program::Purse, n);
        app::setProduct(app::Program::Bank);
        if (only.contains(QLatin1String("search"))) benchSearch(bankDb, app::Program::Bank, n);
        if (only.contains(QLatin1String("bank"))) onSample(bankDb, n, benchBank);
        if (only.contains(QLatin1String("year"))) benchYear(bankDb, app::Program::Bank, n);
        app::setProduct(app::Program::Purse);
        if (only.contains(QLatin1String("search"))) benchSearch(purseDb, app::Program::Purse, n);
        if (only.contains(QLatin1String("purse"))) onSample(purseDb, n, benchPurse);
        if (only.contains(QLatin1String("year"))) benchYear(purseDb, app::Program::Purse, n);
        if (only.contains(QLatin1String("backup"))) benchBackup(purseDb, n);
        if (only.contains(QLatin1String("export"))) benchExport(purseDb, n);
        if (only.contains(QLatin1String("startup"))) {
            benchStartUp(bankDb, app::Program::Bank, n);
            benchStartUp(purseDb, app::Program::Purse, n);
        }
    }
    int over = 0;
    for (const Line& l : g_lines) over += l.goal > 0 && l.ours > l.goal;
    std::printf("%d of %zu actions over their goal\n", over, g_lines.size());
    return 0;
}
