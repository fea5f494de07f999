#include "core/db/Convert.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace db {
namespace {

// Half-to-even rounding of a decimal text, done on the digits so that no binary
// floating-point value stands between the text and the whole number.
std::optional<qint64> roundDecimalText(const QString& raw) {
    static const QRegularExpression re(QStringLiteral("^\\s*([+-]?)(\\d*)(?:\\.(\\d*))?\\s*$"));
    const auto m = re.match(raw);
    if (!m.hasMatch()) return std::nullopt;
    const QString intPart = m.captured(2);
    const QString frac = m.captured(3);
    if (intPart.isEmpty() && frac.isEmpty()) return std::nullopt;
    qint64 whole = 0;
    for (QChar c : intPart) {
        const int d = c.digitValue();
        if (whole > (std::numeric_limits<qint64>::max() - d) / 10) return std::nullopt;
        whole = whole * 10 + d;
    }
    if (!frac.isEmpty()) {
        const int first = frac.at(0).digitValue();
        bool restNonZero = false;
        for (int i = 1; i < frac.size(); ++i)
            if (frac.at(i) != QLatin1Char('0')) restNonZero = true;
        const bool up = first > 5 || (first == 5 && (restNonZero || (whole % 2) == 1));
        if (up) {
            if (whole == std::numeric_limits<qint64>::max()) return std::nullopt;
            ++whole;
        }
    }
    return m.captured(1) == QLatin1String("-") ? -whole : whole;
}

qint64 roundHalfEven(double d) {
    const double r = std::nearbyint(d);  // default rounding mode is to nearest, ties to even
    if (!(r > -9.2e18 && r < 9.2e18)) return 0;
    return static_cast<qint64>(r);
}

}  // namespace

std::optional<double> numericValue(const QVariant& value) {
    if (value.isNull() || !value.isValid()) return std::nullopt;
    switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Double:
        case QMetaType::Float:
        case QMetaType::Bool:
            return value.toDouble();
        default:
            break;
    }
    const QString t = value.toString().trimmed();
    if (t.isEmpty()) return std::nullopt;
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (!ok || !std::isfinite(d)) return std::nullopt;
    return d;
}

bool isNumeric(const QVariant& value) { return numericValue(value).has_value(); }

qint64 To_Long(const QVariant& value, qint64 dflt) {
    if (value.isNull() || !value.isValid()) return dflt;
    switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::Bool:
            return value.toLongLong();
        case QMetaType::Double:
        case QMetaType::Float:
            return std::isfinite(value.toDouble()) ? roundHalfEven(value.toDouble()) : dflt;
        default:
            break;
    }
    if (const auto exact = roundDecimalText(value.toString())) return *exact;
    const auto d = numericValue(value);  // exponent forms such as "1e3"
    return d ? roundHalfEven(*d) : dflt;
}

qint64 To_Cur(const QVariant& value, qint64 dflt) { return To_Long(value, dflt); }

QString To_Str(const QVariant& value, const QString& dflt) {
    if (value.isNull() || !value.isValid()) return dflt;
    return value.toString();
}

QString typedNumber(const QString& text) {
    QString t = text.normalized(QString::NormalizationForm_KC);
    for (QChar& c : t) {
        const char16_t u = c.unicode();
        // ー ｰ − ‐‑‒–—― ﹣ －: what input methods give for a minus sign.
        if (u == 0x30FC || u == 0xFF70 || u == 0x2212 || (u >= 0x2010 && u <= 0x2015) || u == 0xFE63 || u == 0xFF0D)
            c = QLatin1Char('-');
    }
    return t;
}

std::optional<qint64> parseWhole(const QString& typed) {
    static const QRegularExpression re(QStringLiteral("^\\s*[+-]?[0-9]+\\s*$"));
    const QString text = typedNumber(typed);
    if (!re.match(text).hasMatch()) return std::nullopt;
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    if (!ok) return std::nullopt;
    return v;
}

std::optional<int> parseCode(const QString& text) {
    const auto v = parseWhole(text);
    if (!v || *v < 1 || *v > kMaxCode) return std::nullopt;
    return static_cast<int>(*v);
}

std::optional<qint64> parseRecordNumber(const QString& text) {
    const auto v = parseWhole(text);
    if (!v || *v < 1 || *v > kMaxRecordNumber) return std::nullopt;
    return v;
}

std::optional<qint64> parseYen(const QString& text) {
    QString t = typedNumber(text).trimmed();
    static const QRegularExpression grouped(QStringLiteral("^[+-]?\\d{1,3}(,\\d{3})+$"));
    if (grouped.match(t).hasMatch()) t.remove(QLatin1Char(','));
    const auto v = parseWhole(t);
    // Far beyond any household sum, and keeps every total well inside 64 bits.
    if (!v || *v > 999'999'999'999LL || *v < -999'999'999'999LL) return std::nullopt;
    return v;
}

}  // namespace db
