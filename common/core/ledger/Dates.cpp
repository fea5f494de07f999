#include "core/ledger/Dates.h"

#include "core/db/Convert.h"

namespace ledger {

QString normaliseMonth(const QString& text) {
    QString t = text;
    if (t.size() >= 7 && t.at(5).isDigit() && t.at(5).digitValue() >= 1 && t.at(6) == QLatin1Char('_'))
        t = t.left(5) + QLatin1Char('0') + t.at(5) + t.mid(7);
    t.replace(QLatin1Char('_'), QLatin1Char('0'));
    return t;
}

std::optional<QDate> monthStart(const QString& yyyymm) {
    if (yyyymm.size() != 7 || yyyymm.at(4) != QLatin1Char('/')) return std::nullopt;
    const auto y = db::parseWhole(yyyymm.left(4));
    const auto m = db::parseWhole(yyyymm.mid(5, 2));
    if (!y || !m || *y < 1 || *m < 1 || *m > 12) return std::nullopt;
    return QDate(static_cast<int>(*y), static_cast<int>(*m), 1);
}

QString monthText(const QDate& d) { return d.toString(QStringLiteral("yyyy/MM")); }

QString addMonths(const QString& yyyymm, int n) {
    const auto d = monthStart(yyyymm);
    if (!d) return yyyymm;
    const QDate moved = d->addMonths(n);
    if (!moved.isValid() || moved.year() < 1 || moved.year() > 9999) return yyyymm;
    return monthText(moved);
}

std::optional<QString> dayText(const QString& typed) {
    const auto day = db::parseWhole(typed);
    if (!day || *day < 1 || *day > 31) return std::nullopt;
    return QStringLiteral("%1").arg(*day, 2, 10, QLatin1Char('0'));
}

std::optional<QString> journalDate(const QString& yyyymm, const QString& typedDay) {
    const auto month = monthStart(yyyymm);
    const auto day = dayText(typedDay);
    if (!month || !day) return std::nullopt;
    if (!QDate(month->year(), month->month(), day->toInt()).isValid()) return std::nullopt;
    return monthText(*month) + QLatin1Char('/') + *day;
}

DateRange monthRange(const QString& yyyy, const QString& mm) {
    // "yyyy/mm/" up to "yyyy/mm0": every "yyyy/mm/…" text and nothing else sorts in between.
    const QString prefix = yyyy + QLatin1Char('/') + mm + QLatin1Char('/');
    return {prefix, yyyy + QLatin1Char('/') + mm + QLatin1Char('0')};
}

DateRange yearRange(const QString& yyyy) { return {yyyy + QLatin1Char('/'), yyyy + QLatin1Char('0')}; }

}  // namespace ledger
