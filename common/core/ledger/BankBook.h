#pragma once
// The bank book's journal (S01) without a window: one bank's month as the grid lists it,
// looking a record up by its number, the record-number moves, and the writes and deletes
// that keep every concerned bank's balance (T01.ZAN) equal to the sum of its rows.

#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

#include "core/db/Book.h"

namespace ledger {

// One journal row of a bank's month, in the grid's terms.
struct BankMonthRow {
    qint64 cd = 0;
    QString date;                  // K_DATE as stored
    QVariant itemCode;             // K_CD (Null when the row has none)
    bool itemKnown = false;        // the item is in T02
    QString itemName;              // empty when the item is missing or has no name
    bool income = false;           // KIND 0; every other kind, and a missing item, is expense
    std::optional<qint64> amount;  // KINGAKU in whole yen; empty when Null
    QString note;                  // BIKO, empty when Null
};

struct BankMonth {
    bool ok = false;
    QList<BankMonthRow> rows;  // in K_DATE, CD order
    QString error;
};

// The rows of one bank dated in the month "yyyy/mm" (any text: a month that no stored
// date carries, such as "2001/00", simply lists nothing).
BankMonth readBankMonth(db::Book& book, qint64 bankCode, const QString& yyyymm);

// A journal row as the entry area loads it; fields are Null where the row holds Null.
struct JournalRecord {
    qint64 cd = 0;
    QString date;  // K_DATE as stored
    QVariant bank;
    QVariant item;
    QVariant amount;
    QVariant note;
};

enum class Lookup { Found, NotFound, EmptyJournal, Error };
struct RecordLookup {
    Lookup status = Lookup::Error;
    JournalRecord record;
};

// The row with record number n, or with the highest record number when n is 0. Reads that
// one row only, however long the journal is.
RecordLookup findRecord(db::Book& book, qint64 n);

// The record number each move asks for, from the number shown.
enum class Move { Previous, Next, First, Last };
qint64 moveTarget(db::Book& book, Move move, qint64 current);

// What the entry area writes. The caller has checked every value.
struct JournalEntry {
    qint64 cd = 0;
    QString date;  // "yyyy/mm/dd"
    qint64 bank = 0;
    qint64 item = 0;
    qint64 amount = 0;
    QString note;
};

// Outcome of a change. When !ok nothing at all was changed: no row and no balance.
struct Change {
    bool ok = false;
    bool inserted = false;  // a write that adds a row (else it replaces one), also when it failed
    int rows = 0;           // rows written or deleted
    QList<qint64> banks;    // banks whose balance was recomputed, ascending
    qint64 zan = 0;         // after a write: the balance of the entry's bank
    QString error;          // why nothing was changed
};

// Replaces the row with the entry's record number when it exists, adds it otherwise, and
// recomputes the balance of the entry's bank and of the bank the row belonged to before.
Change writeEntry(db::Book& book, const JournalEntry& e);

// Deletes record `from`, or every record from `from` to `to` inclusive, and recomputes the
// balance of every bank that owned a deleted row.
Change deleteRecords(db::Book& book, qint64 from, std::optional<qint64> to = std::nullopt);

// T01.ZAN of a bank as stored now; empty when the bank is not in T01 or ZAN is Null.
std::optional<qint64> storedZan(db::Book& book, qint64 bankCode);

// Recomputes each bank's balance inside the caller's transaction; `c.banks` becomes the banks,
// ascending and each once, or `c.error` says why one failed.
bool recalcBanks(db::Book& book, QList<qint64> banks, Change& c);

}  // namespace ledger
