#pragma once
// The household book: journal rows grouped into numbered pages, every row storing the running
// balance after it (S01.ZAN). The rows form one chain, ordered by page, then K_DATE, then CD;
// each balance is the one before it in the chain plus an income or minus an expense. A page
// without rows carries the balance on to the next one.
//
// Every write keeps every stored balance equal to what a full recalculation would give: it
// shifts the balances after the changed place in the chain by the change's amount, in the same
// transaction as the write, so that a change on the last page touches almost nothing.

#include <QList>
#include <QString>
#include <functional>
#include <optional>

#include "core/db/Book.h"

namespace ledger {

// Called now and then by long recomputations: how far they are, in pages.
using Progress = std::function<void(qint64 done, qint64 total)>;

// Kind of a category: 0 income; every other value, and a category missing from the master,
// is an expense.
inline qint64 applyKind(qint64 previous, qint64 amount, qint64 kind) {
    return kind == 0 ? previous + amount : previous - amount;
}

// One journal row of a page, with its category as the master holds it.
struct PageRow {
    qint64 cd = 0;
    QString kDate;  // "yyyy/mm/dd" as stored
    qint64 kCd = 0;
    bool categoryKnown = false;  // false: K_CD is not in T01
    QString categoryName;        // empty when unknown or Null
    qint64 kind = 1;             // the category's KIND; 1 when the category is unknown
    qint64 kingaku = 0;
    std::optional<qint64> zan;  // nullopt when ZAN is Null
    QString biko;
};

struct PageRead {
    bool ok = false;
    QList<PageRow> rows;  // in K_DATE, CD order
    QString error;
};

// The rows of one page, categories joined in the same query.
PageRead readPage(db::Book& book, qint64 page);

// A place in the chain.
struct ChainKey {
    qint64 page = 0;
    QString date;
    qint64 cd = 0;
};
bool operator<(const ChainKey& a, const ChainKey& b);
bool operator==(const ChainKey& a, const ChainKey& b);

// The stored balance of the last row before a place in the chain; 0 when there is none.
// nullopt on a database error.
std::optional<qint64> balanceBefore(db::Book& book, const ChainKey& key, QString* error = nullptr);

// The balance a page starts from: that of the last row of the nearest earlier page that holds
// rows; 0 for page 1 and when no earlier page holds one. nullopt on a database error.
std::optional<qint64> previousBalance(db::Book& book, qint64 page, QString* error = nullptr);

// The balance of a new row added after the last row of a page (its amount signed by the kind).
// nullopt on a database error.
std::optional<qint64> Compute_Zan(db::Book& book, qint64 page, qint64 amount, qint64 kind, QString* error = nullptr);

// Rows taken out of the chain and put into it by a change, with their amounts signed as the
// balance counts them. Added rows are already written at their place.
struct ChainRow {
    ChainKey key;
    qint64 amount = 0;
};

// A row's place in the chain and its signed amount, as it stands now; nullopt when there is no
// such row (or on an error, which is then set).
std::optional<ChainRow> chainRowOf(db::Book& book, qint64 cd, QString* error = nullptr);

// Makes the stored balances right again after rows were removed and added (inside the caller's
// transaction): the rows between two changed places shift by the sum of the changes before
// them, and each added row gets the balance before it plus its amount.
bool restoreChain(db::Book& book, QList<ChainRow> removed, QList<ChainRow> added, QString* error = nullptr,
                  const Progress& progress = {});

struct Recalc {
    bool ok = false;
    qint64 rowsRead = 0;
    qint64 rowsChanged = 0;  // rows whose stored ZAN was rewritten
    QString error;
};

// Recomputes the running balance of every row from the first row of `fromPage` to the end of the
// journal, in one pass and one transaction, writing only the balances that differ. Pages before
// `fromPage` are not touched; the chain starts from their stored last balance.
Recalc Recalc_Zan(db::Book& book, qint64 fromPage, const Progress& progress = {});

// The page shown when the journal window opens: the highest page, or a new page one above it
// when the window is opened in another calendar month than the last time ("lastMonth").
// An empty journal starts at page 1. Remembers the present month when it decides a new page.
qint64 openingPage(db::Book& book, int presentMonth);

// The highest page number; at least 1, so that an empty journal shows page 1.
qint64 lastPage(db::Book& book);

// One row as the entry area writes it.
struct Entry {
    qint64 cd = 0;
    qint64 page = 0;
    QString kDate;  // "yyyy/mm/dd"
    qint64 kCd = 0;
    qint64 kingaku = 0;
    QString biko;
};

bool entryExists(db::Book& book, qint64 cd);

struct Written {
    bool ok = false;
    bool inserted = false;    // the row was new (also when the write failed)
    qint64 zan = 0;           // the balance stored with the row
    qint64 previousPage = 0;  // update: the page the row stood on before
    QString error;
};

// Writes the row with the entry's record number: replaces it (moving it to e.page) when it
// exists, adds it otherwise; every balance it changes is stored with it. The category must be
// in T01.
Written writeEntry(db::Book& book, const Entry& e);

struct Deleted {
    bool ok = false;
    qint64 rowsDeleted = 0;
    QString error;
};

// Deletes the rows numbered from..to (one row when to is nullopt), and every balance after them
// follows, in one transaction.
Deleted deleteEntries(db::Book& book, qint64 from, std::optional<qint64> to, const Progress& progress = {});

// After a category's kind changed or categories were deleted: recomputes from the first page
// that holds a row of one of the codes (inside the caller's transaction).
bool recalcForCategories(db::Book& book, const QList<qint64>& codes, QString* error = nullptr,
                         const Progress& progress = {});

}  // namespace ledger
