#pragma once
// Tables of the open book as CSV: the journal, the masters, the totals of a period, and any
// grid's rows as a window shows them; and their writing to a file.
//
// Amounts, codes and balances are written exactly as stored, as plain integers without
// separators. A stored value that is not a whole number (a fraction, a text) is written as it is
// and named in the report. Every table starts with its header row.

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/AppState.h"
#include "core/db/Book.h"
#include "core/io/Csv.h"

namespace io {

// Something the report names at a cell of the file: row and column counted from 1 as a
// spreadsheet shows them (the header is row 1).
struct CellProblem {
    enum class Kind { NotWhole, Unencodable };
    Kind kind = Kind::NotWhole;
    int row = 0;
    int column = 0;
    QString message;  // Japanese, naming the row, the column and the value or character
};

struct ExportTable {
    bool ok = false;
    QString error;                // why the table could not be read
    CsvTable csv;                 // header first
    QList<CellProblem> problems;  // stored values that are not whole numbers
    int dataRows() const { return csv.rows.isEmpty() ? 0 : int(csv.rows.size()) - 1; }
};

// Months "yyyy/mm" from `from` to `to`, both included; an empty end is open.
struct MonthSpan {
    QString from;
    QString to;
};
// Why a span cannot be used (Japanese); empty when it can.
QString checkSpan(const MonthSpan& span);

// The journal, every row or those dated in the span.
// Bank book, in date order: 番号, 日付, 銀行ｺｰﾄﾞ, 銀行名, 項目ｺｰﾄﾞ, 項目名, 収入, 支出, 備考.
// The amount stands under 収入 or 支出 as the journal window shows it (by the item's kind; a
// missing item is an expense): the stored value itself, never a sign put on it, so that a
// stored value is read back unchanged and a spreadsheet's sums need no sign rule.
// Household book, in page order: 番号, ページ, 日付, 科目ｺｰﾄﾞ, 科目名, 収入, 支出, 差引, 備考
// (差引: the stored running balance).
ExportTable journalTable(db::Book& book, app::Program program, const MonthSpan& span = {});
QStringList journalHeader(app::Program program);
// The free-text columns of the journal (names, 備考) and of the masters (区分, 名称, 種別名),
// from 0: written guarded against formulas (see guardFormula), read back without the guard.
QSet<int> journalTextColumns(app::Program program);
QSet<int> mastersTextColumns(app::Program program);

// The masters. Bank book: 区分 (銀行 / 項目), ｺｰﾄﾞ, 名称, 種別, 種別名, 残高 — banks carry 残高,
// items 種別 (0 income) and its name. Household book: 区分 (科目), ｺｰﾄﾞ, 名称, 種別, 種別名.
ExportTable mastersTable(db::Book& book, app::Program program);
QStringList mastersHeader(app::Program program);

// The totals per item (bank book: of each bank, or of one) or per category over the span (open
// ends: from the first to the last month that holds a row), as the totals window counts them,
// each bank (or the book) closed by a 合計 line.
ExportTable totalsTable(db::Book& book, app::Program program, const MonthSpan& span = {},
                        std::optional<qint64> bank = {});

// A window's grid as it shows it: its header texts and its cells' texts; `textColumns` are the
// columns its model calls free text.
ExportTable gridTable(const QStringList& header, const QList<QStringList>& rows, const QSet<int>& textColumns);

struct ExportOptions {
    Encoding encoding = Encoding::Utf8;
    bool bom = true;   // UTF-8 only
    bool raw = false;  // free text as stored, without the guard against formulas
};

struct ExportReport {
    bool ok = false;  // the file was written
    QString path;
    int rows = 0;                 // data rows written, header not counted
    QList<CellProblem> problems;  // values not whole numbers; characters the encoding lacks
    QString error;                // why nothing was written (Japanese, naming the file)
    bool hasFindings() const { return !problems.isEmpty(); }
    // What happened, in Japanese, one line each: the outcome, then every problem.
    QStringList lines() const;
};

// The table's bytes in the chosen encoding. Characters the encoding lacks are added to
// *problems (each with its row and column); the bytes are then not to be used.
QByteArray encodeTable(const ExportTable& table, const ExportOptions& options, QList<CellProblem>* problems);

// Writes the table to a file in one piece (a failure leaves an existing file as it was), readable
// by its owner only (0600). Nothing is written when a character cannot be encoded.
ExportReport writeTable(const ExportTable& table, const QString& path, const ExportOptions& options = {});

}  // namespace io
