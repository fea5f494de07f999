#pragma once
// The consistency check of a book: what SQLite itself says of the file, the tables and columns
// the programs need, values of the wrong type, journal rows without their master row, and every
// stored balance against a recomputation made here from the rows alone (not by the ledger code
// that wrote it, so that a fault there shows).
//
// The check only reads. It runs on the program's open book, or on a file opened read-only as a
// connection of its own (a backup checked in a worker thread), never touching the program's
// connection then.

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <atomic>
#include <functional>

#include "core/AppState.h"
#include "core/db/Book.h"

namespace ledger {

enum class FindingKind {
    Damaged,        // PRAGMA integrity_check is not "ok"
    MissingTable,   // a table the program needs is missing
    MissingColumn,  // a column the program needs is missing
    WrongType,      // a number stored as text, a fraction or Null
    BadDate,        // K_DATE is not a real "yyyy/mm/dd" date
    BadPage,        // a household journal row outside the pages (P_CD below 1)
    Orphan,         // a journal row whose bank, item or category is missing from its master
    WrongBalance,   // a stored balance differs from the recomputed one
    Unreadable,     // a query of the check failed (e.g. a sum beyond 64 bits)
    Trigger,        // a trigger: no book of ours has one, and it could change what a write does
    Foreign,        // a table, view or index that no version of the book has
    BadRule,        // a recurring entry (R01) with a value or next date it cannot have
    BadBudget,      // a budget row of a form no window writes (its period, its amount, both kinds)
    BrokenLink,     // a transfer link (F01) whose rows are missing or no longer fit together
    BadGroup,       // a group (G01) or assignment (G02) the views cannot use as it stands
};

struct Finding {
    FindingKind kind = FindingKind::Damaged;
    QString text;           // what is wrong, in Japanese, naming the table and column
    QString table;          // the table concerned; empty for the whole file
    bool byCode = false;    // records are master codes (T01/T02), else journal record numbers
    QList<qint64> records;  // the first kMaxListed of them, ascending
    qint64 count = 0;       // how many records are concerned in all (0 for the whole file)

    // The text with the records: "…（記録番号: 5, 7）", the first `shown` of them and how many more.
    QString describe(int shown = 20) const;
};

constexpr int kMaxListed = 1000;

struct CheckResult {
    bool ran = false;  // false: the book could not be read at all (see error)
    QString error;
    int version = 0;     // the book's version (see db::SchemaState)
    bool newer = false;  // made by a newer version of the programs: only what this one knows is checked
    QList<Finding> findings;
    bool clean() const { return ran && findings.isEmpty(); }
    // The findings of one kind.
    QList<Finding> of(FindingKind kind) const;
};

// How far a check goes: the file and its tables only (what a restore asks of a backup), the
// tables and the types of their values (without the slow integrity check), or everything.
enum class CheckDepth { Structure, Types, Full };

// The check on the program's open book (book.connection()).
CheckResult checkBook(db::Book& book, app::Program program, CheckDepth depth = CheckDepth::Full);
// True while the open book holds a value of the wrong type (the WrongType finding: an amount
// stored as text, a fraction or Null). A balance computed over it would count it as 0, so the
// programs then write nothing on their own (recalculations, the password's upgrade).
bool wrongTypesHold(db::Book& book, app::Program program);
// The check on any open connection, from the thread that opened it.
CheckResult checkConnection(app::Program program, const QSqlDatabase& connection, CheckDepth depth = CheckDepth::Full);
// The check on a file, opened read-only as a connection of its own for the call: safe in a
// worker thread while the program works on its book.
// When `stop` turns true meanwhile (from another thread), the statements running are interrupted
// and the result says the check did not run.
CheckResult checkFile(app::Program program, const QString& path, CheckDepth depth = CheckDepth::Full,
                      const std::atomic<bool>* stop = nullptr);

// Opens `path` read-only as a connection of its own (named uniquely, in the calling thread),
// runs `work` on it and removes the connection. False with *error (naming the file) when the
// file is missing, is no SQLite database or cannot be opened.
bool withReadOnlyConnection(const QString& path, const std::function<void(const QSqlDatabase&)>& work, QString* error);

// Which program a book belongs to, judged from its tables: the household book's journal has
// pages (S01.P_CD), the bank book's has banks (S01.B_CD). False when neither fits.
bool programOfTables(const QSqlDatabase& connection, app::Program* program);

struct Repair {
    bool ok = false;
    qint64 changed = 0;  // balances rewritten: banks (bank book) or journal rows (household book)
    QString error;
};

// Forgets every transfer link the check reports (FindingKind::BrokenLink), keeping both rows:
// one transaction; `changed` is the number of links removed.
Repair repairLinks(db::Book& book);

// Recomputes every stored balance of the program's open book in one transaction (bank: each
// bank's T01.ZAN; household book: every S01.ZAN from page 1 on), changing nothing else.
Repair repairBalances(db::Book& book, app::Program program);

}  // namespace ledger
