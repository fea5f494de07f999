#pragma once
// Transfers (振替) in the bank book: money moved from one bank to another is two journal rows, a
// withdrawal from the one (item 振替出金, an expense) and a deposit into the other (振替入金, an
// income), of the same date, amount and note, linked by a row of F01 (OUT_CD, IN_CD: their
// record numbers). Which items the two are is stored in the book (F02, one row), never found by
// name: a user may rename them.
//
// A card is a bank whose balance goes negative: its purchases are its expense rows, the monthly
// debit a transfer from the paying bank to the card.
//
// Each bank's own totals, graphs and printouts count a transfer as its items, as money leaving or
// entering that bank. Views across banks must not count it as income and expense: they leave the
// linked rows out with notLinkedCondition() and show the money moved on one line 振替 with
// transferTotal().
//
// The pair stays together: writeJournalEntry() carries a date, amount or note change of one side
// to the other and refuses to change its item or to move it into its partner's bank;
// deleteJournalRecords() deletes the partner with it. Both return one undo step over S01 and F01.
//
// A program older than this one can delete one side of a pair or change it; linkFaults() names
// what then no longer fits and removeBrokenLinks() forgets such links, keeping the rows.

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <optional>

#include "core/db/Book.h"
#include "core/ledger/BankBook.h"
#include "core/ledger/Undo.h"

namespace ledger {

// The book version that holds F01 and F02 (bank book only).
constexpr int kTransferVersion = 4;

// Whether the bank book holds F01 and F02 (its version is kTransferVersion or newer).
bool holdsTransfers(db::Book& book);

// ---- For views across banks ----

// A condition on a journal row (S01 under `alias`) that is true when the row is no side of a
// transfer, for the WHERE clause of a view that sums income and expense across banks:
//   SELECT ... FROM S01 WHERE <period> AND <notLinkedCondition(book)>
// It reads F01 through its two unique indexes. A book without F01 has no transfers: the
// condition is then "1 = 1", so that the view runs on an older book unchanged.
QString notLinkedCondition(db::Book& book, const QString& alias = QStringLiteral("S01"));
// The amount moved between banks in the dates from <= K_DATE < to ("yyyy/mm/dd", as
// ledger::DateRange gives them), counted once per transfer (its withdrawal side): the one line
// 振替 of a view across banks. 0 for a book without F01; nullopt when it cannot be read.
std::optional<qint64> transferTotal(db::Book& book, const QString& from, const QString& to);
// The same statement, for a view that builds its own query: one value, binds (from, to).
QString transferTotalSql();
// transferTotal per month ("yyyy/mm" → amount), in one grouped pass: a year's line 振替. Empty
// for a book without F01; nullopt when it cannot be read.
std::optional<QHash<QString, qint64>> transferMonths(db::Book& book, const QString& from, const QString& to);

// ---- The two items ----

struct TransferItems {
    qint64 out = 0;  // 振替出金 (expense)
    qint64 in = 0;   // 振替入金 (income)
};

enum class ItemsState {
    Ready,      // both stored, in T02, out an expense and in an income
    None,       // none stored yet: the first transfer offers to register them
    Gone,       // a stored item is no longer in T02: offered again
    WrongKind,  // out is not an expense or in is not an income (changed in the master)
    Error,      // the book could not be read
};

struct ItemsStatus {
    ItemsState state = ItemsState::Error;
    TransferItems items;  // as stored (0 when none)
    QString message;      // why they cannot be used (Japanese); empty when Ready
};

ItemsStatus transferItems(db::Book& book);

struct ItemsRegistration {
    bool ok = false;
    TransferItems items;
    QString error;
    BookChange change;  // the undo step: the two T02 rows and F02
};

// Registers 振替出金 (expense) and 振替入金 (income) in the item master under the next free codes
// and stores them as the transfer items, in one transaction.
ItemsRegistration registerTransferItems(db::Book& book);

// ---- Writing a transfer ----

struct TransferEntry {
    QString date;  // "yyyy/mm/dd"
    qint64 from = 0;
    qint64 to = 0;
    qint64 amount = 0;  // 1 or more
    QString note;
};

struct TransferWrite {
    bool ok = false;
    qint64 link = 0;       // F01.CD
    qint64 outRecord = 0;  // the withdrawal's record number
    qint64 inRecord = 0;   // the deposit's
    QString error;         // why nothing was written (Japanese)
    BookChange change;     // the undo step: both rows and the link
};

// Writes the two rows (record numbers from the highest + 1 on), the link and both banks'
// balances in one transaction. Refuses a read-only book, one without F01, items that are not
// Ready, the same bank twice, a bank missing from T01, a bad date and an amount below 1.
TransferWrite writeTransfer(db::Book& book, const TransferEntry& e);

// ---- The pair ----

struct TransferLink {
    qint64 cd = 0;
    qint64 outRecord = 0;
    qint64 inRecord = 0;
    qint64 partnerOf(qint64 record) const { return record == outRecord ? inRecord : outRecord; }
};

// The link a journal row is a side of; nullopt when none (or the book has no F01).
std::optional<TransferLink> linkOf(db::Book& book, qint64 record);

// For each of the records that is a side of a transfer: "振替: A銀行 → B銀行" (the withdrawal's
// bank first; a bank missing from T01 is shown by its code), for tooltips and the status line.
QHash<qint64, QString> transferTexts(db::Book& book, const QList<qint64>& records);

// ---- The journal's writes, keeping pairs together ----

struct JournalWrite {
    Change change;           // as writeEntry / deleteRecords say; !ok: nothing was changed
    BookChange undo;         // the undo step when change.ok
    QList<qint64> partners;  // partners changed or deleted with the rows asked for
};

// writeEntry, and when the row is a side of a transfer: its partner takes the same date, amount
// and note in the same transaction. Changing the item of a linked row, or moving it into its
// partner's bank, is refused (change.error says why).
JournalWrite writeJournalEntry(db::Book& book, const JournalEntry& e);
// deleteRecords, and the partner of every linked row deleted and the links with them, in one
// transaction.
JournalWrite deleteJournalRecords(db::Book& book, qint64 from, std::optional<qint64> to = std::nullopt);

// ---- Check and repair ----

struct LinkFault {
    qint64 link = 0;  // F01.CD
    QString text;     // what is wrong (Japanese)
};

struct LinkFaults {
    bool ok = false;
    QString error;
    QList<LinkFault> faults;  // in F01.CD order; a link may have several
};

// Links whose rows are missing, whose rows differ in date or amount, whose two banks are the
// same, or whose rows do not carry the stored transfer items. The caller knows F01 is there.
LinkFaults linkFaults(const QSqlDatabase& connection);

struct LinkRepair {
    bool ok = false;
    int removed = 0;  // links forgotten
    QString error;
};

// Deletes every link linkFaults() names, keeping both rows, in one transaction.
LinkRepair removeBrokenLinks(db::Book& book);

// ---- Transfers for the command line and export ----

struct TransferRow {
    qint64 link = 0;
    QString date;
    qint64 outRecord = 0;
    qint64 fromBank = 0;
    QString fromName;
    qint64 inRecord = 0;
    qint64 toBank = 0;
    QString toName;
    qint64 amount = 0;
    QString note;
};

struct TransferList {
    bool ok = false;
    QList<TransferRow> rows;  // by date, then link
    QString error;
};

// Every transfer whose withdrawal is dated in the months from..to ("yyyy/mm", either empty for
// open); a link whose withdrawal is missing is left out (check names it).
TransferList readTransfers(db::Book& book, const QString& fromMonth = {}, const QString& toMonth = {});

struct LinkImport {
    bool ok = false;
    int added = 0;
    QString error;  // why nothing was written, naming the line
};

// Stores links (F01.CD, OUT_CD, IN_CD) read from an exported file into a book whose F01 is
// empty, in one transaction. Every link must join two existing rows that fit together (as the
// check demands); the transfer items are taken from the rows when F02 holds none.
LinkImport importLinks(db::Book& book, const QList<TransferLink>& links);

}  // namespace ledger
