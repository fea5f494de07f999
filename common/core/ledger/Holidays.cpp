#include "core/ledger/Holidays.h"

#include <algorithm>

namespace ledger {

namespace {

constexpr int kForever = 9999;

// How a rule finds its day in a year.
enum class When {
    Fixed,          // month/day
    NthMonday,      // the nth Monday of the month (the "Happy Monday" rules since 2000)
    SpringEquinox,  // 春分日
    AutumnEquinox,  // 秋分日
};

struct Rule {
    int first;  // first and last year the rule is in force
    int last;
    When when;
    int month;
    int day;  // the day, or which Monday
    const char* name;
};

// The law's rules as they stood in each year from 2000 on. A rule moved or renamed gets one line
// per period, so that a year reads only the rules then in force.
const Rule kRules[] = {
    {1949, kForever, When::Fixed, 1, 1, "元日"},
    {2000, kForever, When::NthMonday, 1, 2, "成人の日"},
    {1967, kForever, When::Fixed, 2, 11, "建国記念の日"},
    {2020, kForever, When::Fixed, 2, 23, "天皇誕生日"},
    {1949, kForever, When::SpringEquinox, 3, 0, "春分の日"},
    {1989, 2006, When::Fixed, 4, 29, "みどりの日"},
    {2007, kForever, When::Fixed, 4, 29, "昭和の日"},
    {1949, kForever, When::Fixed, 5, 3, "憲法記念日"},
    {2007, kForever, When::Fixed, 5, 4, "みどりの日"},
    {1949, kForever, When::Fixed, 5, 5, "こどもの日"},
    {1996, 2002, When::Fixed, 7, 20, "海の日"},
    {2003, 2019, When::NthMonday, 7, 3, "海の日"},
    {2022, kForever, When::NthMonday, 7, 3, "海の日"},
    {2016, 2019, When::Fixed, 8, 11, "山の日"},
    {2022, kForever, When::Fixed, 8, 11, "山の日"},
    {1966, 2002, When::Fixed, 9, 15, "敬老の日"},
    {2003, kForever, When::NthMonday, 9, 3, "敬老の日"},
    {1948, kForever, When::AutumnEquinox, 9, 0, "秋分の日"},
    {2000, 2019, When::NthMonday, 10, 2, "体育の日"},
    {2022, kForever, When::NthMonday, 10, 2, "スポーツの日"},
    {1948, kForever, When::Fixed, 11, 3, "文化の日"},
    {1948, kForever, When::Fixed, 11, 23, "勤労感謝の日"},
    {1989, 2018, When::Fixed, 12, 23, "天皇誕生日"},
};

struct OneOff {
    int year;
    int month;
    int day;
    const char* name;
};

// Days set by their own laws: the enthronement of 2019, and the three holidays moved around the
// Tokyo Olympics in 2020 and again, when the games were put off, in 2021.
const OneOff kOneOffs[] = {
    {2019, 5, 1, "即位の日"},      {2019, 10, 22, "即位礼正殿の儀の行われる日"},
    {2020, 7, 23, "海の日"},       {2020, 7, 24, "スポーツの日"},
    {2020, 8, 10, "山の日"},       {2021, 7, 22, "海の日"},
    {2021, 7, 23, "スポーツの日"}, {2021, 8, 8, "山の日"},
};

// The usual approximation of the equinox day, valid for 1980-2099.
int equinoxDay(int year, double base) {
    const int n = year - 1980;
    return static_cast<int>(base + 0.242194 * n) - n / 4;
}

QDate ruleDate(const Rule& r, int year) {
    switch (r.when) {
        case When::Fixed:
            return QDate(year, r.month, r.day);
        case When::NthMonday: {
            const QDate first(year, r.month, 1);
            const int toMonday = (Qt::Monday - first.dayOfWeek() + 7) % 7;
            return first.addDays(toMonday + 7 * (r.day - 1));
        }
        case When::SpringEquinox:
            return QDate(year, 3, equinoxDay(year, 20.8431));
        case When::AutumnEquinox:
            return QDate(year, 9, equinoxDay(year, 23.2488));
    }
    return {};
}

bool inList(const QList<Holiday>& list, const QDate& d) {
    return std::any_of(list.begin(), list.end(), [&](const Holiday& h) { return h.date == d; });
}

}  // namespace

bool holidaysKnown(int year) { return year >= kHolidayFirstYear && year <= kHolidayLastYear; }

QList<Holiday> holidaysOf(int year) {
    QList<Holiday> result;
    if (!holidaysKnown(year)) return result;

    // The 国民の祝日 proper.
    QList<Holiday> days;
    for (const Rule& r : kRules)
        if (year >= r.first && year <= r.last) days.append({ruleDate(r, year), QString::fromUtf8(r.name)});
    for (const OneOff& o : kOneOffs)
        if (o.year == year) days.append({QDate(o.year, o.month, o.day), QString::fromUtf8(o.name)});
    std::sort(days.begin(), days.end(), [](const Holiday& a, const Holiday& b) { return a.date < b.date; });
    result = days;

    // 国民の休日: a day that is not itself a holiday between two holidays. Until 2006 the law left
    // out Sundays; since a Sunday is closed either way, only the name differs.
    for (const Holiday& h : days) {
        const QDate between = h.date.addDays(1);
        if (inList(days, between.addDays(1)) && !inList(days, between) &&
            !(year < 2007 && between.dayOfWeek() == Qt::Sunday))
            result.append({between, QStringLiteral("国民の休日")});
    }

    // 振替休日: a holiday on a Sunday gives the next day (until 2006) or, since 2007, the nearest
    // following day that is not a holiday (a Sunday 3 May moves to 6 May).
    for (const Holiday& h : days) {
        if (h.date.dayOfWeek() != Qt::Sunday) continue;
        QDate sub = h.date.addDays(1);
        if (year >= 2007)
            while (inList(days, sub)) sub = sub.addDays(1);
        else if (inList(days, sub))
            continue;
        if (!inList(result, sub)) result.append({sub, QStringLiteral("振替休日")});
    }
    std::sort(result.begin(), result.end(), [](const Holiday& a, const Holiday& b) { return a.date < b.date; });
    return result;
}

QString holidayName(const QDate& d) {
    if (!d.isValid()) return {};
    for (const Holiday& h : holidaysOf(d.year()))
        if (h.date == d) return h.name;
    return {};
}

bool isHoliday(const QDate& d) { return !holidayName(d).isEmpty(); }

bool isYearEndClosure(const QDate& d) { return (d.month() == 12 && d.day() == 31) || (d.month() == 1 && d.day() <= 3); }

bool isBusinessDay(const QDate& d) {
    if (!d.isValid()) return false;
    const int dow = d.dayOfWeek();
    return dow != Qt::Saturday && dow != Qt::Sunday && !isYearEndClosure(d) && !isHoliday(d);
}

QDate businessDayOnOrBefore(const QDate& d) {
    QDate x = d;
    while (x.isValid() && !isBusinessDay(x)) x = x.addDays(-1);
    return x;
}

QDate businessDayOnOrAfter(const QDate& d) {
    QDate x = d;
    while (x.isValid() && !isBusinessDay(x)) x = x.addDays(1);
    return x;
}

}  // namespace ledger
