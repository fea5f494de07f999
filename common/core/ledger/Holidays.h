#pragma once
// Japanese national holidays and the banks' business days, for dates a recurring entry moves off
// a closed day. Holidays are computed from the rules of the holiday law, each with the years it
// was in force, plus the one-off days of 2019-2021, so that no yearly table needs updating; the
// equinox formula used for 春分の日 and 秋分の日 holds only from 1980 to 2099, and the law may
// change again, so holidays are given for 2000-2099 only. Outside those years no day is a holiday
// and only weekends and the year-end closure close the banks.

#include <QDate>
#include <QList>
#include <QString>

namespace ledger {

constexpr int kHolidayFirstYear = 2000;
constexpr int kHolidayLastYear = 2099;

// Whether holidays are known for the year (2000-2099).
bool holidaysKnown(int year);

struct Holiday {
    QDate date;
    QString name;  // 元日 …, 振替休日, 国民の休日
};

// Every holiday of a year in date order, with 振替休日 and 国民の休日; empty outside 2000-2099.
QList<Holiday> holidaysOf(int year);
// The holiday's name; empty when the day is not a holiday.
QString holidayName(const QDate& d);
bool isHoliday(const QDate& d);

// Banks close from December 31 to January 3.
bool isYearEndClosure(const QDate& d);
// Not a Saturday, not a Sunday, not a holiday, not in the year-end closure.
bool isBusinessDay(const QDate& d);
// The day itself when it is a business day, else the nearest business day before / after it.
QDate businessDayOnOrBefore(const QDate& d);
QDate businessDayOnOrAfter(const QDate& d);

}  // namespace ledger
