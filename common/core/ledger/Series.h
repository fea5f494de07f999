#pragma once
// The graph's data series of one period: the amounts of one item (bank book: of one bank) or
// the running balance of all entries, one point per month of a year or per entry of a month.

#include <QList>
#include <QString>
#include <optional>

#include "core/db/Book.h"
#include "core/ledger/Totals.h"

namespace ledger {

// One row of the table handed to the chart: its label and its value, or no value (no point).
struct SeriesPoint {
    QString label;
    std::optional<qint64> value;
    bool operator==(const SeriesPoint& o) const { return label == o.label && value == o.value; }
};
using SeriesData = QList<SeriesPoint>;

// Entries of a year summed per month, or per day (several rows of one month), in date order.
struct MonthSum {
    int month = 0;         // 1..12
    qint64 amount = 0;     // sum of the stored amounts
    qint64 signedSum = 0;  // income added, expense subtracted; entries of an unknown item add 0
};

// One entry of a month, in date and record-number order.
struct EntryRow {
    QString date;                  // K_DATE, "yyyy/mm/dd"
    std::optional<qint64> amount;  // nullopt when the stored amount is not a number
    int sign = 0;                  // +1 income, -1 expense, 0 item not in the master
};

// Twelve points /1 .. /12. Item series: the month's sum; balance series: the running balance
// after the month's last entry. A month whose value is 0 has no point, also a month in which
// the balance came back to exactly 0.
SeriesData yearlySeries(const QList<MonthSum>& months, bool balance);
// One point per entry labelled "/dd". Item series: the stored amount; balance series: the
// running balance of the period after the entry.
SeriesData monthlySeries(const QList<EntryRow>& rows, bool balance);

// Reads the period with one query and builds its series. itemCode below 1 gives the balance
// series; bankCode is used by the bank book only. Empty when the period has no entries for the
// selection or the query fails (no chart).
SeriesData readSeries(db::Book& book, app::Program program, qint64 bankCode, qint64 itemCode, const Period& period);

}  // namespace ledger
