#pragma once
// Conversions of stored or typed values, with defaults, and checks of typed numbers.

#include <QString>
#include <QVariant>
#include <optional>

namespace db {

// "Numeric": a number, or a text that parses as one (blanks around it allowed).
// Null and empty text are not numeric.
bool isNumeric(const QVariant& value);
// The numeric value of a numeric value/text; nullopt otherwise.
std::optional<double> numericValue(const QVariant& value);

// value as a whole number, rounded half to even, when numeric; else the default.
qint64 To_Long(const QVariant& value, qint64 dflt);
// value as an amount of whole yen when numeric (rounded half to even); else the default.
// Amounts are kept in 64-bit integers from parsing to display, never in floating point.
qint64 To_Cur(const QVariant& value, qint64 dflt);
// the default when the value is Null, else the value's text.
QString To_Str(const QVariant& value, const QString& dflt);

// A number as an input method types it, in its plain form: full-width digits, comma, sign and
// blanks become ASCII (NFKC), and every dash an input method offers for a minus becomes "-".
// For numeric boxes only: names and notes are stored as typed.
QString typedNumber(const QString& text);

// Whole numbers typed by the user (full-width forms read as typedNumber reads them): digits
// with an optional sign, blanks around allowed.
// nullopt for anything else (empty, letters, fractions, exponents, overflow).
std::optional<qint64> parseWhole(const QString& text);
// A code or record number: a whole number from 1 to 32767.
std::optional<int> parseCode(const QString& text);
constexpr int kMaxCode = 32767;
// A journal record number: a whole number from 1. Ten years of a household book pass 32767
// rows, so record numbers are not held to the master codes' limit.
std::optional<qint64> parseRecordNumber(const QString& text);
constexpr qint64 kMaxRecordNumber = 2147483647;
// An amount of whole yen, as typed: a whole number, thousands separators allowed.
std::optional<qint64> parseYen(const QString& text);

}  // namespace db
