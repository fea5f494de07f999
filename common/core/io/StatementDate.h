#pragma once
// Dates as banks' and card companies' statements write them, read into the journal's form.

#include <QDate>
#include <QString>
#include <optional>

namespace io {

// A statement's date as "yyyy/mm/dd": 2024/05/03, 2024-05-03, 2024.5.3, 2024/5/3, 20240503,
// 2024年5月3日, and Japanese-era dates: R6.5.3, R06/05/03, 令和6年5月3日, 令和元年5月1日,
// H31.4.30, 平成31年4月30日, S64.1.7, 昭和64年1月7日, T (大正) and M (明治). Full-width digits and
// signs read as ASCII, blanks are ignored, a time of day after the date ("2024/05/28 19:02:11",
// "2024-05-28T19:02") is left out. Only real dates: no 2/30, nothing before an era began; an era's
// dates after its end count on (H31.5.7 is 2019/05/07, H32.1.1 is 2020/01/01). nullopt for
// anything else.
std::optional<QString> parseStatementDate(const QString& text);

// An era by its letter (R, H, S, T, M, either case) or its name (令和 …). 明治 dates are read
// from 明治6年 (1873) on, when the Gregorian calendar came into use.
struct Era {
    QChar letter;
    QString name;
    int firstYear = 0;  // the Gregorian year of the era's first year (元年)
    QDate first;        // the first date read in it
};
std::optional<Era> findEra(const QString& letterOrName);

}  // namespace io
