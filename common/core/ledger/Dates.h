#pragma once
// Journal dates are text "yyyy/mm/dd", zero-padded, so that text order is date order and a
// month or a year is a range of that text.

#include <QDate>
#include <QString>
#include <optional>

namespace ledger {

// The month box's text after typing: "2001/3_" becomes "2001/03", every other "_" becomes "0".
QString normaliseMonth(const QString& text);
// A valid "yyyy/mm" (month 1..12, year 1..9999) as its first day; nullopt otherwise.
std::optional<QDate> monthStart(const QString& yyyymm);
// "yyyy/mm" of a date, and the same month moved by n months.
QString monthText(const QDate& d);
QString addMonths(const QString& yyyymm, int n);

// A day typed in the day box: a whole number 1..31 (full-width digits read as ASCII). Returns
// it as "dd".
std::optional<QString> dayText(const QString& typed);
// The journal date "yyyy/mm/dd" of a month "yyyy/mm" and a typed day, when that day exists in
// that month (no 30 February); nullopt otherwise.
std::optional<QString> journalDate(const QString& yyyymm, const QString& typedDay);

// Half-open K_DATE ranges [from, to) of one month and one year, for index-friendly queries.
struct DateRange {
    QString from;
    QString to;
};
DateRange monthRange(const QString& yyyy, const QString& mm);
DateRange yearRange(const QString& yyyy);

}  // namespace ledger
