#pragma once
// The household book: journal rows grouped into numbered pages, every row storing the running
// balance after it (S01.ZAN). Within a page the balance runs in K_DATE, CD order; the last
// balance of a page carries to the first row of the next page; a page without rows breaks the
// chain, so the page after it starts again from 0.

#include <QList>
#include <QString>
#include <optional>

namespace ledger {

// Kind of a category: 0 income; every other value is an expense.
inline qint64 Apply_Kind(qint64 previous, qint64 amount, qint64 kind) {
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
PageRead Read_Page(qint64 page);

// The balance a page starts from: the stored ZAN of the last row (K_DATE DESC, CD DESC) of the
// page before; 0 for page 1 and below, and when that page holds no row. nullopt on a database error.
std::optional<qint64> Previous_Balance(qint64 page, QString* error = nullptr);

// The balance of a new row that is added at the end of a page: the stored ZAN of the page's last
// row, or the balance carried from the page before when the page is empty; then plus or minus
// the amount by the kind. nullopt on a database error.
std::optional<qint64> Compute_Zan(qint64 page, qint64 amount, qint64 kind, QString* error = nullptr);

struct Recalc {
    bool ok = false;
    qint64 rowsRead = 0;
    qint64 rowsChanged = 0;                // rows whose stored ZAN was rewritten
    QList<qint64> missingCategoryRecords;  // CD of rows whose category is not in T01
    QString error;
};

// Recomputes and stores the running balance of every row from the first row of `fromPage` to
// the end of the journal, in one pass and one transaction. Pages before `fromPage` are not
// touched; the chain starts from their stored last balance. A row whose category is missing
// from T01 stops it: nothing is stored and the record numbers are named.
Recalc Recalc_Zan(qint64 fromPage);

// The page shown when the journal window opens: the highest page, or a new page one above it
// when the window is opened in another calendar month than the last time ("lastMonth").
// An empty journal starts at page 1. Remembers the present month when it decides a new page.
qint64 Opening_Page(int presentMonth);

// The highest page number; at least 1, so that an empty journal shows page 1.
qint64 Last_Page();

// One row as the entry area writes it.
struct Entry {
    qint64 cd = 0;
    qint64 page = 0;
    QString kDate;  // "yyyy/mm/dd"
    qint64 kCd = 0;
    qint64 kingaku = 0;
    QString biko;
};

bool Entry_Exists(qint64 cd);

struct Written {
    bool ok = false;
    qint64 zan = 0;           // insert: the balance stored with the row
    qint64 previousPage = 0;  // update: the page the row stood on before
    QString error;
};

// Adds a row at the end of its page, its balance computed by Compute_Zan and stored with it.
// The category must be in T01.
Written Insert_Entry(const Entry& e);
// Rewrites a row, moving it to e.page; its stored balance is left as it is until the next
// recalculation.
Written Update_Entry(const Entry& e);

struct Deleted {
    bool ok = false;
    qint64 rowsDeleted = 0;
    qint64 recalcFrom = 0;  // first page recomputed
    Recalc recalc;
    QString error;
};

// Deletes the rows numbered from..to (one row when to is nullopt) and recomputes the running
// balances from the shown page, or from an earlier page that held a deleted row, to the end.
// Done whole or not at all: when the recalculation fails the rows stay.
Deleted Delete_Entries(qint64 from, std::optional<qint64> to, qint64 shownPage);

}  // namespace ledger
