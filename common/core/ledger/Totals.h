#pragma once
// Totals of one period per item (bank book: of one bank) or per category (household book):
// the number of entries, the amount and the average, and the grand total of the period.

#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

#include "core/AppState.h"
#include "core/db/Book.h"
#include "core/ledger/Dates.h"

namespace ledger {

// One calendar month (mode 0) or one calendar year (mode 1) of the journal.
struct Period {
    int mode = 0;   // 0 monthly, 1 yearly
    int year = 0;   // 1..9999
    int month = 0;  // 1..12; also held in yearly mode, where it is not used
};
// The half-open K_DATE range [from, to) of the period.
DateRange periodRange(const Period& p);

// Income is KIND 0; every other kind, and a missing one, counts as expense.
bool isIncome(const QVariant& kind);

// One item's entries of the period, as the query sums them.
struct ItemSum {
    qint64 code = 0;
    QString name;
    QVariant kind;
    qint64 count = 0;   // entries, also those whose amount is not a number
    qint64 amount = 0;  // sum of the stored amounts, without sign
};

// One line of the totals table.
struct TotalsLine {
    qint64 code = 0;
    QString name;
    QString kindName;
    qint64 count = 0;
    qint64 amount = 0;   // negative for an expense item
    qint64 average = 0;  // amount / count, truncated toward zero
};

struct TotalsTable {
    QList<TotalsLine> lines;  // ascending code; an item whose entries sum to 0 is left out
    qint64 grandTotal = 0;    // income minus expense
};

// The table from the per-item sums.
TotalsTable makeTotals(QList<ItemSum> sums);

// SQL expression giving a stored amount as whole yen, as To_Cur with default 0 gives it: whole
// numbers as they are, a fraction rounded to the nearest yen with halves to the even one, anything
// else (Null, text) 0.
QString yenSql(const QString& column);

// Reads the per-item sums of a period with one query over the period's date range:
// bank book: the entries of one bank by item of T02; household book: all entries by category
// of T01. Entries without an item, or whose item is not in the master, are not counted.
// nullopt when the query fails.
std::optional<QList<ItemSum>> readItemSums(db::Book& book, app::Program program, qint64 bankCode, const Period& period);

// Reads and computes in one: the table of a bank's (bank book) or of all entries (household
// book) of the period. A failed query gives an empty table.
TotalsTable periodTotals(db::Book& book, app::Program program, qint64 bankCode, const Period& period);

}  // namespace ledger
