#include "core/io/StatementDate.h"

#include <QRegularExpression>

#include "core/db/Convert.h"

namespace io {
namespace {

struct EraDef {
    char16_t letter;
    const char16_t* name;
    int firstYear;
    int y, m, d;  // first date read in the era
};
// Newest first: an era ends where the one after it begins.
const EraDef kEras[] = {
    {u'R', u"令和", 2019, 2019, 5, 1},  {u'H', u"平成", 1989, 1989, 1, 8}, {u'S', u"昭和", 1926, 1926, 12, 25},
    {u'T', u"大正", 1912, 1912, 7, 30}, {u'M', u"明治", 1868, 1873, 1, 1},
};

QString dateText(const QDate& d) { return d.toString(QStringLiteral("yyyy/MM/dd")); }

std::optional<QDate> realDate(int y, int m, int d) {
    const QDate date(y, m, d);
    if (!date.isValid() || y < 1000 || y > 9999) return std::nullopt;
    return date;
}

}  // namespace

std::optional<Era> findEra(const QString& letterOrName) {
    const QString key = letterOrName.toUpper();
    for (const EraDef& e : kEras) {
        const QString name = QString::fromUtf16(e.name);
        if (key == QString(QChar(e.letter)) || key == name)
            return Era{QChar(e.letter), name, e.firstYear, QDate(e.y, e.m, e.d)};
    }
    return std::nullopt;
}

std::optional<QString> parseStatementDate(const QString& text) {
    // Full-width digits, slashes and dashes as ASCII (NFKC also spells out ㍻ and ㋿); no blanks.
    QString t = db::typedNumber(text).trimmed();
    // Payment apps and card statements add the time of day: the date is what is booked.
    static const QRegularExpression time(QStringLiteral("(?:\\s+|T)\\d{1,2}:\\d{2}(?::\\d{2}(?:\\.\\d+)?)?$"));
    t.remove(time);
    t.remove(QRegularExpression(QStringLiteral("\\s")));
    if (t.isEmpty()) return std::nullopt;

    static const QRegularExpression western(
        QStringLiteral("^(\\d{4})(?:[/.-](\\d{1,2})[/.-](\\d{1,2})|年(\\d{1,2})月(\\d{1,2})日|(\\d{2})(\\d{2}))$"));
    if (const auto m = western.match(t); m.hasMatch()) {
        const int y = m.captured(1).toInt();
        const int mo = (m.captured(2) + m.captured(4) + m.captured(6)).toInt();
        const int d = (m.captured(3) + m.captured(5) + m.captured(7)).toInt();
        const auto date = realDate(y, mo, d);
        return date ? std::optional<QString>(dateText(*date)) : std::nullopt;
    }

    static const QRegularExpression japanese(QStringLiteral(
        "^(令和|平成|昭和|大正|明治|[RHSTMrhstm])(元|\\d{1,2})(?:年|[/.-])(\\d{1,2})(?:月|[/.-])(\\d{1,2})日?$"));
    const auto m = japanese.match(t);
    if (!m.hasMatch()) return std::nullopt;
    const auto era = findEra(m.captured(1));
    if (!era) return std::nullopt;
    const int n = m.captured(2) == QStringLiteral("元") ? 1 : m.captured(2).toInt();
    if (n < 1) return std::nullopt;
    const auto date = realDate(era->firstYear + n - 1, m.captured(3).toInt(), m.captured(4).toInt());
    // An era's dates stay valid after the next era begins (H31.5.7, H32.1.1): counted on by the
    // same arithmetic, as offices and banks keep printing them.
    if (!date || *date < era->first) return std::nullopt;
    return dateText(*date);
}

}  // namespace io
