#pragma once
// Finding rows anywhere in the open book: by a text in the note or in the item / category name
// (bank book: also the bank's name), by amount, by date. SQLite scans the journal; nothing is
// added to the book for it (no table, no index).

#include <QList>
#include <QString>
#include <optional>

#include "core/AppState.h"
#include "core/db/Book.h"

namespace io {

struct SearchQuery {
    // Found as typed, anywhere in the text (% and _ are plain characters); ASCII letters in
    // either case. Empty: every row.
    QString text;
    // The amount as stored, without sign (so 1000 finds a deposit and a payment of 1000), both
    // ends included; nullopt: open.
    std::optional<qint64> minAmount;
    std::optional<qint64> maxAmount;
    // "yyyy/mm/dd", both ends included; empty: open.
    QString fromDate;
    QString toDate;
    std::optional<qint64> bank;  // bank book: one bank's rows only
    std::optional<qint64> code;  // one item's (category's) rows only: a line of the year table
};

struct SearchHit {
    qint64 cd = 0;
    QString date;
    qint64 page = 0;  // household book
    qint64 bank = 0;  // bank book
    QString bankName;
    qint64 code = 0;  // item / category
    QString codeName;
    bool income = false;           // as the journal counts it (KIND 0; a missing item is an expense)
    std::optional<qint64> amount;  // signed: income positive; empty when the stored value is no number
    QString note;
};

struct SearchResult {
    bool ok = false;
    QString error;
    QList<SearchHit> hits;  // in date and record-number order
};

SearchResult search(db::Book& book, app::Program program, const SearchQuery& query);

// A LIKE pattern (ESCAPE '\') finding the text anywhere, its %, _ and \ taken literally.
QString containsPattern(const QString& text);

}  // namespace io
