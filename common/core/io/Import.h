#pragma once
// Getting rows into the open book from CSV files.
//
// A statement (a bank's or a card company's CSV) goes into the bank book for one bank, or into
// the household book onto one page, in two steps: previewStatement() reads every line and says
// per line what would be added, with which item or category, and whether it is ticked (and why
// not); a window lets the user change ticks and codes; applyStatement() writes the ticked rows
// in one transaction with new record numbers and the balances brought up to date.
//
// This program's own export (journal or masters) is read back into an empty book as it was.

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/AppState.h"
#include "core/db/Book.h"
#include "core/io/Csv.h"

namespace io {

// "A description containing this goes to that item (category)". Matching ignores case, the
// width of kana and letters, the look-alikes of the long-vowel mark (ー ｰ - − ‐ － ―) and small
// kana (ｶ-ﾄﾞ and カ－ド match カード, ｷﾕｳﾖ matches キュウヨ).
struct ImportRule {
    QString contains;
    qint64 code = 0;
};

// "Rows whose cell in this column holds this are passed over" (a household app's transfers).
struct SkipCondition {
    QString column;  // the column's number from 1, or its name in the header line
    QString value;   // compared with the cell, both trimmed and in NFKC
};

// How a statement's columns are read. Columns are counted from 1; 0 means "none".
struct ImportMapping {
    std::optional<Encoding> encoding;  // nullopt: detected from the file
    int skipLines = 0;                 // lines at the top that are not rows (a header, a preamble)
    int dateColumn = 1;
    int amountColumn = 0;   // one signed amount: deposits positive, withdrawals negative
    int depositColumn = 0;  // or separate deposit and withdrawal amounts
    int withdrawalColumn = 0;
    QList<int> textColumns;  // the description, stored in 備考: the cells joined with a space
    int balanceColumn = 0;   // the statement's balance, compared with the running total
    bool negate = false;     // positive amounts are expenses (card statements)
    QList<SkipCondition> skipIf;
    // The first rule whose text the description contains chooses the code, if the code's kind
    // fits the row (an income code for a deposit, an expense code for a withdrawal); else the
    // default of the row's direction.
    QList<ImportRule> rules;
    qint64 depositCode = 0;     // an income item (category)
    qint64 withdrawalCode = 0;  // an expense item (category)

    // Why the columns cannot be used (Japanese); empty when they can. Codes are checked
    // against the book by previewStatement().
    QString check() const;
    QString toJson() const;
    static std::optional<ImportMapping> fromJson(const QString& json);
};

// Where a statement's rows go.
struct ImportTarget {
    app::Program program = app::Program::Bank;
    qint64 bank = 0;  // bank book: the bank
    qint64 page = 0;  // household book: the page
    // Household book: the month "yyyy/mm" the page keeps. Empty: the month of the page's first
    // row; for an empty page, the month most of the statement's rows carry.
    QString pageMonth;
};

// Why a line is not ticked.
enum class RowStatus {
    Ready,       // ticked
    Duplicate,   // already in the book (each book row counts for one line of the file)
    OtherMonth,  // household book: dated outside the page's month
    Zero,        // an amount of 0
    Unreadable,  // the line cannot be read; nothing is written while one is left
    NotARow,     // the date cell is empty or holds no digit (a card holder's or a total line)
    Skipped,     // a skip condition matched
};

struct PreviewRow {
    int line = 0;        // where the line starts in the file, from 1
    QStringList fields;  // as read
    QString date;        // "yyyy/mm/dd"; empty when it cannot be read
    qint64 amount = 0;   // signed: a deposit is positive
    QString description;
    qint64 code = 0;  // the item (category) chosen
    QString codeName;
    bool ticked = false;  // to be written; a window may change it
    RowStatus status = RowStatus::Ready;
    QString reason;                 // why it is not ticked / cannot be read (Japanese); empty when ticked
    qint64 matched = 0;             // a duplicate: the book row's record number
    std::optional<qint64> balance;  // the statement's balance on this line
    qint64 runningTotal = 0;        // the balance the rows up to this one give
};

struct ImportPreview {
    bool ok = false;  // false: nothing could be looked at (see error)
    QString error;    // the file or the mapping is wrong (Japanese, naming the file)
    QString file;
    Encoding encoding = Encoding::Utf8;
    ImportTarget target;     // with the page's month decided
    QList<PreviewRow> rows;  // one per line that is not blank, in file order (oldest first:
                             // a newest-first file's lines reversed)
    QStringList header;      // the last line passed over at the top, as fields
    bool newestFirst = false;
    int balancePartsAt = 0;       // the first line where the statement's balance and the running total
                                  // differ; 0 when they agree or there is no balance column
    QString balanceNote() const;  // Japanese; empty without a balance column
    int count(RowStatus s) const;
    int tickedCount() const;
    bool canApply() const { return ok && count(RowStatus::Unreadable) == 0; }
};

// Reads every line of a statement and decides what each would become. Nothing is written.
ImportPreview previewStatement(db::Book& book, const QString& csvPath, const ImportMapping& mapping,
                               const ImportTarget& target);
ImportPreview previewStatementBytes(db::Book& book, const QByteArray& csv, const ImportMapping& mapping,
                                    const ImportTarget& target);

struct Refusal {
    int line = 0;
    QString reason;
};

struct ImportReport {
    bool ok = false;              // the import went through (nothing written when false)
    QString error;                // why nothing was written (Japanese)
    bool fileUnreadable = false;  // the CSV could not be read, or is not what was asked for
    int added = 0;
    int duplicates = 0;      // duplicates left unticked
    int leftOut = 0;         // other rows left unticked (another month, 0 yen, unticked by hand)
    int skipped = 0;         // rows a skip condition passed over
    QList<Refusal> notRows;  // lines passed over as no rows, with why
    QList<Refusal> refused;  // lines that could not be read: nothing was written
    qint64 firstNumber = 0;  // record numbers given to the added rows
    qint64 lastNumber = 0;
    bool hasFindings() const { return !refused.isEmpty(); }
    // What every import that writes all or nothing goes through, in this order; each sets error
    // and answers false when the import must stop there.
    bool noneRefused();                             // no line was refused
    bool begun(const db::Transaction& tx);          // the transaction began
    bool committed(db::Transaction& tx, int rows);  // it was committed, `rows` added: ok
    QStringList lines() const;                      // Japanese, one line each: the outcome, then every refused line
};

// Writes the preview's ticked rows (with the codes they hold) in one transaction: record
// numbers from the highest + 1 on, in date and line order; the bank's balance (bank book) or
// every running balance from the page on (household book) recomputed in the same transaction.
// Writes nothing when a line was unreadable, a code is missing or its kind does not fit.
ImportReport applyStatement(db::Book& book, const ImportPreview& preview);

// The layouts Japanese banks, card companies and apps write, built in: known by their header
// line, their columns found by the header's names.
struct StatementLayout {
    QString name;           // for --profile: "city-bank"
    QString label;          // Japanese, for the window
    QString description;    // Japanese, one line
    ImportMapping mapping;  // columns as the layout usually has them; no codes, no rules
};
const QList<StatementLayout>& statementLayouts();
// By name or label; nullptr when there is none.
const StatementLayout* findLayout(const QString& nameOrLabel);
// The layout the file's header line says, with its columns as this file has them and the
// lines down to the header skipped; nullopt when no layout's header is among the first lines.
std::optional<StatementLayout> detectLayout(const QByteArray& csv);
// The layout's mapping fitted to this file's header (when the file has it).
ImportMapping layoutMapping(const StatementLayout& layout, const QByteArray& csv);

// Mappings saved under a name, in the settings' [import] section: per bank in the bank book,
// one set for the household book.
QStringList profileNames(const ImportTarget& target);
std::optional<ImportMapping> loadProfile(const ImportTarget& target, const QString& name);
void saveProfile(const ImportTarget& target, const QString& name, const ImportMapping& mapping);
void removeProfile(const ImportTarget& target, const QString& name);

// This program's own export (journalTable / mastersTable) read back into a book whose journal
// (journal) or masters (masters) are empty, keeping codes, record numbers, pages and stored
// balances. Every line is checked first; any refused line writes nothing. A free-text cell loses
// the one leading ' the export put before a text that looks like a formula (guardFormula);
// `raw` reads a file exported raw, taking the text as it stands.
enum class OwnTable { Journal, Masters };
ImportReport importOwnExport(db::Book& book, app::Program program, OwnTable table, const QString& csvPath,
                             std::optional<Encoding> encoding = std::nullopt, bool raw = false);
ImportReport importOwnExportBytes(db::Book& book, app::Program program, OwnTable table, const QByteArray& csv,
                                  std::optional<Encoding> encoding = std::nullopt, bool raw = false);

// This program's own export of `what` (仕訳, マスター, 定期入力) read back: its lines when the CSV
// reads and its first line is `header`; else nullopt, with the report saying why.
std::optional<CsvFile> readOwnExport(const QByteArray& csv, std::optional<Encoding> encoding, const QStringList& header,
                                     const QString& what, ImportReport& report);
// Whether a line of this program's own export (a journal, masters or recurring entries) is a row
// to read: false for a blank line, and for one refused into the report (the CSV cannot be read
// there, or the line has not `columns` fields).
bool ownExportRow(const CsvRecord& rec, int columns, ImportReport& report);

// A statement's amount: digits with thousands separators, an optional sign (also ▲ or △ for
// minus), ¥ or 円 around it, full-width forms; a fraction only of zeros. nullopt when it is not
// such a number; an empty text is 0 with *empty set.
std::optional<qint64> parseStatementAmount(const QString& text, bool* empty = nullptr);

}  // namespace io
