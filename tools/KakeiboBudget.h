#pragma once
// kakeibo budget: a book's budgets from the command line (list, set, clear, report), and the
// budget table of `kakeibo export|import --table budget`. The figures are the budget windows'
// own: the same models give the same texts.

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/AppState.h"
#include "core/db/Book.h"
#include "core/io/Csv.h"
#include "core/io/Export.h"
#include "core/ledger/Totals.h"

int runBudget(const QStringList& args);

// The plan of a year as the 予算設定 grid shows it, tab-separated with its header: the categories
// that hold a budget in the year (deleted ones too).
QStringList budgetListLines(db::Book& book, app::Program program, int year);
// The 予算実績 grid of a period, tab-separated with its header.
QStringList budgetReportLines(db::Book& book, app::Program program, const ledger::Period& period, const QDate& today);

// Every row of B01 as CSV: 科目ｺｰﾄﾞ, 科目名, 期間 ('' 毎月, yyyy/mm, yyyy), 予算.
io::ExportTable budgetTable(db::Book& book, app::Program program);
// Reads such a file into the book's empty B01, all or nothing. False with *error naming the line.
bool importBudgetTable(db::Book& book, const QString& csvPath, std::optional<io::Encoding> encoding, bool raw,
                       QString* error);

// The groups' budgets (B02) alike: グループｺｰﾄﾞ, グループ名, 期間, 予算; read into an empty B02
// whose groups are there.
io::ExportTable groupBudgetTable(db::Book& book);
bool importGroupBudgetTable(db::Book& book, const QString& csvPath, std::optional<io::Encoding> encoding,
                            QString* error);
