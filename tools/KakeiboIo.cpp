#include "tools/KakeiboIo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <cstdio>
#include <functional>
#include <optional>
#include <tuple>

#include "core/AppState.h"
#include "core/Messages.h"
#include "core/db/Book.h"
#include "core/db/Convert.h"
#include "core/io/Export.h"
#include "core/io/Import.h"
#include "core/io/RecurringCsv.h"
#include "core/io/Search.h"
#include "core/io/StatementDate.h"
#include "core/io/TransferCsv.h"
#include "core/ledger/Budget.h"
#include "core/ledger/Groups.h"
#include "core/ledger/Masters.h"
#include "core/ledger/Recurring.h"
#include "core/ledger/Transfer.h"
#include "core/ledger/YearTable.h"
#include "core/ledger/YearViews.h"
#include "tools/KakeiboBudget.h"
#include "tools/KakeiboGroup.h"

namespace kakeibo {

namespace {
void printTo(FILE* f, const QString& text) {
    const QByteArray b = text.toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), f);
    std::fputc('\n', f);
}
}  // namespace

void say(const QString& text) { printTo(stdout, text); }
void tell(const QString& text) { printTo(stderr, text); }
QString shown(const QString& path) { return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()); }

}  // namespace kakeibo

using kakeibo::say;
using kakeibo::shown;
using kakeibo::tell;

namespace {

constexpr int kDone = 0;
constexpr int kFinding = 1;
constexpr int kUsage = 2;

void tellAll(const QStringList& lines) {
    for (const QString& l : lines) tell(l);
}

int usage(const QString& text, const QString& why) {
    tell(QStringLiteral("kakeibo: %1").arg(why));
    tell(text);
    return kUsage;
}

// Options as "--name value", "--name=value" or "--flag"; everything else is positional.
struct Args {
    QStringList positional;
    QHash<QString, QStringList> values;  // every occurrence, in order
    QSet<QString> flags;
    QString error;

    bool has(const QString& name) const { return values.contains(name) || flags.contains(name); }
    QString value(const QString& name) const { return values.value(name).value(0); }
};

Args parseArgs(const QStringList& args, const QStringList& valued, const QStringList& flags) {
    Args a;
    for (int i = 0; i < args.size(); ++i) {
        const QString& s = args[i];
        if (!s.startsWith(QLatin1String("--")) || s == QLatin1String("--")) {
            a.positional << s;
            continue;
        }
        const int eq = int(s.indexOf(QLatin1Char('=')));
        const QString name = s.mid(2, eq < 0 ? -1 : eq - 2);
        if (flags.contains(name) && eq < 0) {
            a.flags.insert(name);
        } else if (valued.contains(name)) {
            if (eq >= 0) {
                a.values[name] << s.mid(eq + 1);
            } else if (i + 1 < args.size()) {
                a.values[name] << args[++i];
            } else {
                a.error = QStringLiteral("--%1 には値が必要です").arg(name);
                return a;
            }
        } else {
            a.error = QStringLiteral("知らないオプションです: %1").arg(app::clip(s));
            return a;
        }
    }
    return a;
}

// A subcommand that is done before it starts: its help was asked for (shown, status 0), or its
// options cannot be read (told with the help, status 2).
std::optional<int> helpOrBadOptions(const Args& a, const QString& help) {
    if (a.flags.contains(QStringLiteral("help"))) {
        say(help);
        return kDone;
    }
    if (!a.error.isEmpty()) return usage(help, a.error);
    return std::nullopt;
}

// The open book, closed again when the subcommand ends, and which program's it is.
struct Book : db::Book {
    app::Program program = app::Program::Bank;
};

// Opens the book and tells which program's it is by its journal's columns.
bool openBook(const QString& path, bool readOnly, Book& book) {
    QString error;
    if (!book.open(path, &error, readOnly)) {
        tell(error);
        return false;
    }
    if (!readOnly && book.isReadOnly()) {
        const QString why = book.refusesWrites();
        tell(why.isEmpty() ? QStringLiteral("データベースに書き込めません: %1").arg(shown(path))
                           : QStringLiteral("%1: %2").arg(why, shown(path)));
        return false;
    }
    QSqlQuery q(book.connection());
    QSet<QString> columns;
    if (q.exec(QStringLiteral("PRAGMA table_info(S01)")))
        while (q.next()) columns.insert(q.value(1).toString().toUpper());
    if (columns.contains(QStringLiteral("B_CD"))) {
        book.program = app::Program::Bank;
    } else if (columns.contains(QStringLiteral("P_CD"))) {
        book.program = app::Program::Purse;
    } else {
        tell(QStringLiteral("銀行帳でも家計簿でもありません: %1").arg(shown(path)));
        return false;
    }
    // The settings (import profiles) are the program's own.
    app::setProduct(book.program);
    return true;
}

std::optional<qint64> wholeOption(const Args& a, const QString& name, qint64 low, QString* why) {
    const auto v = db::parseWhole(a.value(name));
    if (!v || *v < low) {
        *why = QStringLiteral("--%1 には %2 以上の整数を指定してください: %3")
                   .arg(name)
                   .arg(low)
                   .arg(app::clip(a.value(name)));
        return std::nullopt;
    }
    return v;
}

std::optional<io::Encoding> encodingOption(const Args& a, QString* why) {
    const auto e = io::parseEncoding(a.value(QStringLiteral("encoding")));
    if (!e)
        *why =
            QStringLiteral("--encoding は utf8 か sjis です: %1").arg(app::clip(a.value(QStringLiteral("encoding"))));
    return e;
}

QString oneLine(QString s) {
    s.replace(QLatin1String("\r\n"), QLatin1String(" "));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    s.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return s;
}

// ---------------------------------------------------------------- year

// --year and --start-month as a span; nullopt with the reason when they cannot be used.
std::optional<ledger::YearSpan> yearOptions(const Args& a, QString* why) {
    if (!a.has(QStringLiteral("year"))) {
        *why = QStringLiteral("--year yyyy を指定してください");
        return std::nullopt;
    }
    const auto year = wholeOption(a, QStringLiteral("year"), 1900, why);
    if (!year) return std::nullopt;
    qint64 start = 1;
    if (a.has(QStringLiteral("start-month"))) {
        const auto m = wholeOption(a, QStringLiteral("start-month"), 1, why);
        if (!m) return std::nullopt;
        start = *m;
    }
    if (*year > 9998 || start > 12) {
        *why = QStringLiteral("--year は 1900～9998、--start-month は 1～12 です");
        return std::nullopt;
    }
    return ledger::YearSpan{int(*year), int(start)};
}

ledger::YearTable readYear(db::Book& book, app::Program program, const ledger::YearSpan& span,
                           std::optional<qint64> bank, bool budgets = false) {
    ledger::YearQuery q;
    q.program = program;
    q.span = span;
    if (program == app::Program::Bank) q.bank = bank;
    q.today = QDate::currentDate();
    return ledger::readYearView(book, q, budgets);
}

io::ExportTable yearExport(db::Book& book, app::Program program, const ledger::YearSpan& span,
                           std::optional<qint64> bank) {
    io::ExportTable t;
    const ledger::YearTable y = readYear(book, program, span, bank);
    if (!y.ok) {
        t.error = QStringLiteral("データベースを読めません");
        return t;
    }
    t.csv.rows << ledger::yearHeader(y, program);
    for (const ledger::YearLine& l : y.lines) t.csv.rows << ledger::yearCells(l);
    t.csv.textColumns = {1, 2};
    t.ok = true;
    return t;
}

// Columns as wide as their widest cell; a character outside ASCII and half-width katakana
// takes two places on a terminal.
int shownWidth(const QString& s) {
    int w = 0;
    for (const uint c : s.toUcs4()) w += (c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F)) ? 1 : 2;
    return w;
}

const char* const kYearHelp =
    "使い方: kakeibo year FILE --year yyyy [--start-month M] [--bank N] [--budget]\n"
    "  年間収支表: 科目 (銀行帳では項目) ごとの 12 か月、年計、月平均、収入計・支出計と収支。\n"
    "  --start-month M  M 月から翌年 M-1 月まで (既定 1)\n"
    "  --bank N         銀行帳: 一つの銀行だけ (省略するとすべての銀行。振替は収入・支出に入れず\n"
    "                   振替の行に出します)\n"
    "  --budget         予算と差額の列を付けます (銀行帳ではすべての銀行のときだけ)\n"
    "  CSV には kakeibo export FILE --table year を使います。\n"
    "終了状態: 0 成功、2 使い方の誤りや読めないファイル";

// ---------------------------------------------------------------- export

const char* const kExportHelp =
    "使い方: kakeibo export FILE --table journal|masters|totals|recurring|budget|transfer|groups|group-budget\n"
    "                       [--from yyyy/mm] [--to yyyy/mm]\n"
    "                       [--bank N] [--out OUT.csv] [--encoding utf8|sjis] [--no-bom] [--raw]\n"
    "       kakeibo export FILE --table year --year yyyy [--start-month M] [--bank N] [--out OUT.csv] ...\n"
    "  帳簿 FILE の仕訳 (journal)、マスター (masters)、期間の合計 (totals)、定期入力 (recurring) を\n"
    "  CSV で書き出します。transfer は銀行帳の振替のつながり (出金と入金の記録番号) です。\n"
    "  groups は科目のグループとその科目、group-budget はグループの予算です。\n"
    "  --from, --to  対象の月 (両端を含む。省略すると最初 / 最後の月まで)\n"
    "  --bank N      totals, year: 銀行帳で一つの銀行だけ\n"
    "  --year yyyy   year: 年間収支表の年 (--start-month M で M 月から 12 か月。既定 1)\n"
    "  --out         書き出すファイル (権限 0600)。省略すると標準出力へ\n"
    "  --encoding    utf8 (既定。ファイルには BOM を付けます) か sjis (Windows の Shift_JIS)\n"
    "  --no-bom      UTF-8 のファイルに BOM を付けません\n"
    "  --raw         備考や名称を記録のままに書きます (先頭の ' を付けません)\n"
    "  備考や名称などの文字の欄が = + - @ タブ 改行(CR) ' で始まるときは、表計算ソフトが式として\n"
    "  実行しないよう先頭に ' を一つ付けます。金額・残高・コード・日付には付けません。\n"
    "  --table journal|masters|groups で読み込むときはこの ' を一つ取り除きます。\n"
    "終了状態: 0 成功、1 整数でない値や書けない文字がある、2 使い方の誤りや読めないファイル";

}  // namespace

bool settleJournal(const QString& path, bool* inUse) {
    const db::JournalResult r = db::rollBackJournal(path);
    if (inUse) *inUse = r.outcome == db::JournalOutcome::InUse;
    switch (r.outcome) {
        case db::JournalOutcome::None:
        case db::JournalOutcome::RolledBack:
        case db::JournalOutcome::InUse:
            return true;
        default:
            tell(r.message);
            return false;
    }
}

int runYear(const QStringList& args) {
    const QString help = QString::fromUtf8(kYearHelp);
    const Args a = parseArgs(args, {"year", "start-month", "bank"}, {"help", "budget"});
    if (const auto status = helpOrBadOptions(a, help)) return *status;
    if (a.positional.size() != 1) return usage(help, QStringLiteral("帳簿のファイルを一つ指定してください"));
    QString why;
    const auto span = yearOptions(a, &why);
    if (!span) return usage(help, why);
    std::optional<qint64> bank;
    if (a.has(QStringLiteral("bank"))) {
        bank = wholeOption(a, QStringLiteral("bank"), 1, &why);
        if (!bank) return usage(help, why);
    }
    if (!settleJournal(a.positional[0])) return kUsage;
    Book book;
    if (!openBook(a.positional[0], true, book)) return kUsage;
    if (bank && book.program != app::Program::Bank) return usage(help, QStringLiteral("--bank は銀行帳だけです"));
    const ledger::YearTable y = readYear(book, book.program, *span, bank, a.flags.contains(QStringLiteral("budget")));
    if (!y.ok) {
        tell(QStringLiteral("%1: データベースを読めません").arg(shown(a.positional[0])));
        return kUsage;
    }
    QList<QStringList> rows{ledger::yearHeader(y, book.program)};
    for (const ledger::YearLine& l : y.lines) rows << ledger::yearCells(l);
    QList<int> widths(rows[0].size(), 0);
    for (const QStringList& r : rows)
        for (int c = 0; c < r.size(); ++c) widths[c] = std::max(widths[c], shownWidth(r[c]));
    QString title = span->title();
    if (book.program == app::Program::Bank)
        title += bank ? QStringLiteral(" 銀行%1").arg(*bank) : QStringLiteral(" すべての銀行");
    say(title);
    for (const QStringList& r : rows) {
        QString line;
        for (int c = 0; c < r.size(); ++c) {
            const QString pad(widths[c] - shownWidth(r[c]), QLatin1Char(' '));
            // Names and kinds to the left, codes and amounts to the right.
            line += (c == 1 || c == 2) ? r[c] + pad : pad + r[c];
            if (c + 1 < r.size()) line += QStringLiteral("  ");
        }
        say(line);
    }
    return kDone;
}

int runExport(const QStringList& args) {
    const QString help = QString::fromUtf8(kExportHelp);
    const Args a = parseArgs(args, {"table", "from", "to", "bank", "out", "encoding", "year", "start-month"},
                             {"help", "no-bom", "raw"});
    if (const auto status = helpOrBadOptions(a, help)) return *status;
    if (a.positional.size() != 1) return usage(help, QStringLiteral("帳簿のファイルを一つ指定してください"));
    const QString table = a.value(QStringLiteral("table"));
    if (table != QLatin1String("journal") && table != QLatin1String("masters") && table != QLatin1String("totals") &&
        table != QLatin1String("recurring") && table != QLatin1String("budget") && table != QLatin1String("transfer") &&
        table != QLatin1String("year") && table != QLatin1String("groups") && table != QLatin1String("group-budget"))
        return usage(help, QStringLiteral("--table は journal, masters, totals, recurring, budget, transfer, groups, "
                                          "group-budget, year のどれかです"));
    QString why;
    std::optional<ledger::YearSpan> yearSpan;
    if (table == QLatin1String("year")) {
        yearSpan = yearOptions(a, &why);
        if (!yearSpan) return usage(help, why);
    }
    io::ExportOptions options;
    if (a.has(QStringLiteral("encoding"))) {
        const auto e = encodingOption(a, &why);
        if (!e) return usage(help, why);
        options.encoding = *e;
    }
    options.bom = !a.flags.contains(QStringLiteral("no-bom"));
    options.raw = a.flags.contains(QStringLiteral("raw"));
    std::optional<qint64> bank;
    if (a.has(QStringLiteral("bank"))) {
        bank = wholeOption(a, QStringLiteral("bank"), 1, &why);
        if (!bank) return usage(help, why);
    }
    const io::MonthSpan span{a.value(QStringLiteral("from")), a.value(QStringLiteral("to"))};
    if (const QString bad = io::checkSpan(span); !bad.isEmpty()) return usage(help, bad);

    if (!settleJournal(a.positional[0])) return kUsage;
    Book book;
    if (!openBook(a.positional[0], true, book)) return kUsage;
    if (bank && book.program != app::Program::Bank) return usage(help, QStringLiteral("--bank は銀行帳だけです"));
    if (table == QLatin1String("transfer") && book.program != app::Program::Bank)
        return usage(help, QStringLiteral("--table transfer は銀行帳だけです"));
    if (table == QLatin1String("budget") && !ledger::hasBudgets(book))
        return usage(help, QStringLiteral("予算の表がありません。先に kakeibo upgrade %1 で更新してください")
                               .arg(shown(a.positional[0])));
    const bool groups = table == QLatin1String("groups") || table == QLatin1String("group-budget");
    if (groups && !ledger::hasGroups(book))
        return usage(help, QStringLiteral("グループの表がありません。先に kakeibo upgrade %1 で更新してください")
                               .arg(shown(a.positional[0])));
    const io::ExportTable t = yearSpan                                 ? yearExport(book, book.program, *yearSpan, bank)
                              : table == QLatin1String("groups")       ? groupsTable(book, book.program)
                              : table == QLatin1String("group-budget") ? groupBudgetTable(book)
                              : table == QLatin1String("budget")       ? budgetTable(book, book.program)
                              : table == QLatin1String("journal")      ? io::journalTable(book, book.program, span)
                              : table == QLatin1String("masters")      ? io::mastersTable(book, book.program)
                              : table == QLatin1String("recurring")    ? io::recurringTable(book, book.program)
                              : table == QLatin1String("transfer")     ? io::transferTable(book)
                                                                   : io::totalsTable(book, book.program, span, bank);
    if (!t.ok) {
        tell(QStringLiteral("%1: %2").arg(shown(a.positional[0]), t.error));
        return kUsage;
    }
    if (a.has(QStringLiteral("out"))) {
        const io::ExportReport r = io::writeTable(t, a.value(QStringLiteral("out")), options);
        tellAll(r.lines());
        if (!r.ok)
            return std::any_of(r.problems.begin(), r.problems.end(),
                               [](const io::CellProblem& p) { return p.kind == io::CellProblem::Kind::Unencodable; })
                       ? kFinding
                       : kUsage;
        return r.hasFindings() ? kFinding : kDone;
    }
    // Standard output: no byte order mark, which would only disturb a pipe.
    options.bom = false;
    if (options.encoding == io::Encoding::ShiftJis && !io::shiftJisAvailable()) {
        tell(QStringLiteral("この環境では Shift_JIS で書けません"));
        return kUsage;
    }
    QList<io::CellProblem> problems;
    const QByteArray bytes = io::encodeTable(t, options, &problems);
    if (!problems.isEmpty()) {
        tell(QStringLiteral("%1 で書けない文字があるため、何も出力しませんでした")
                 .arg(io::encodingLabel(options.encoding)));
        for (const io::CellProblem& p : problems) tell(p.message);
        return kFinding;
    }
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
    for (const io::CellProblem& p : t.problems) tell(p.message);
    return t.problems.isEmpty() ? kDone : kFinding;
}

// ---------------------------------------------------------------- import

namespace {

const char* const kImportHelp =
    "使い方: kakeibo import FILE CSV (--bank N | --page N [--month yyyy/mm]) [--profile NAME] [--dry-run]\n"
    "                       [--encoding sjis|utf8] [--skip N] [--date-col N]\n"
    "                       (--amount-col N | --in-col N --out-col N) [--negate] [--text-col N[,N]...]\n"
    "                       [--balance-col N] [--skip-if COL=VALUE]...\n"
    "                       [--item-in CODE] [--item-out CODE] [--rule 文字=CODE]...\n"
    "       kakeibo import FILE CSV --table journal|masters|recurring|budget|transfer|groups|group-budget\n"
    "                       [--encoding sjis|utf8] [--raw]\n"
    "       kakeibo import --list-profiles\n"
    "  銀行やカード会社の明細 CSV を、銀行帳では銀行 N に、家計簿ではページ N に取り込みます。\n"
    "  列は 1 から数えます。--amount-col は符号付きの金額 (入金が正)、--in-col と --out-col は\n"
    "  入金と出金の金額 (「-」だけの欄は空)。--negate は正の金額を出金に (カードの明細)。\n"
    "  --text-col の摘要は備考に入ります (2,3 なら空でない欄を空白でつないで)。\n"
    "  --balance-col           明細の残高の列: 行の合計と食い違う最初の行を知らせます\n"
    "  --skip-if COL=VALUE     列 COL (番号か見出しの名前) が VALUE の行を読み飛ばします (何度でも)\n"
    "  日付の欄が空か数字のない行 (名義や合計の行) は読み飛ばして行番号を示します。\n"
    "  日付が新しい順のファイルは古い順に (同じ日の行は逆順に) 取り込みます。\n"
    "  --item-in / --item-out  規則に当たらない入金 / 出金の項目 (家計簿では科目。\n"
    "                          --category-in / --category-out とも書けます)\n"
    "  --rule 文字=CODE        摘要にその文字を含む行をその項目に (最初に当たった規則)\n"
    "  --month                 家計簿: ページの月 (省略するとページの最初の行の月)\n"
    "  --profile NAME          指定した取り込み方をその名前で保存し、名前だけなら保存したものを使います。\n"
    "                          保存したものがなければ組み込みの形 (--list-profiles) を使います\n"
    "  列も --profile も指定しないときは、見出しの行から組み込みの形を選びます\n"
    "  --dry-run               書き込まずに、各行をどう取り込むかを表示します\n"
    "  帳簿に同じ日付・金額で摘要が同じか含み合う行があれば (帳簿の 1 行がファイルの 1 行に) 重複として、\n"
    "  家計簿でページの月と違う月の行は取り込みません。読めない行が一つでもあれば何も書き込みません。\n"
    "  --table はこのプログラムが書き出した仕訳 / マスター / 定期入力を、空の帳簿にそのまま読み込みます。\n"
    "  transfer (銀行帳の振替のつながり) は仕訳を読み込んだ後に、振替のない帳簿に読み込みます。\n"
    "  そのとき文字の欄の先頭の ' を一つ取り除きます (書き出しが式よけに付けたもの)。\n"
    "  --raw         --table: ' を取り除かずにそのまま読み込みます (export --raw で書き出したもの)\n"
    "終了状態: 0 成功、1 読めない行がある・帳簿が空でない、2 使い方の誤りや読めないファイル";

QString statusMark(const io::PreviewRow& r) {
    if (r.status == io::RowStatus::Unreadable) return QStringLiteral("×");
    return r.ticked ? QStringLiteral("○") : QStringLiteral("－");
}

void printRow(const io::PreviewRow& r) {
    if (r.status == io::RowStatus::NotARow || r.status == io::RowStatus::Skipped) {
        say(QStringLiteral("%1 行目\t－\t%2\t%3").arg(r.line).arg(r.reason, oneLine(r.fields.join(QLatin1Char(',')))));
        return;
    }
    if (r.status == io::RowStatus::Unreadable) {
        say(QStringLiteral("%1 行目\t×\t%2\t%3")
                .arg(r.line)
                .arg(r.reason, oneLine(app::clip(r.fields.join(QLatin1Char(',')), 80))));
        return;
    }
    QString line = QStringLiteral("%1 行目\t%2\t%3\t%4\t%5 %6\t%7")
                       .arg(r.line)
                       .arg(statusMark(r), r.date)
                       .arg(r.amount)
                       .arg(r.code)
                       .arg(r.codeName, oneLine(app::clip(r.description, 80)));
    if (!r.reason.isEmpty()) line += QStringLiteral("\t(%1)").arg(r.reason);
    say(line);
}

// The import of a table that older books lack: refused with the hint to upgrade when the book
// has none, else the CSV file's bytes go to `import`, whose report is the answer.
int importTable(bool holds, const QString& tableName, const Args& a,
                const std::function<io::ImportReport(const QByteArray&)>& import) {
    if (!holds) {
        tell(QStringLiteral("このデータベースには%1の表がありません。kakeibo upgrade %2 で更新してください")
                 .arg(tableName, shown(a.positional[0])));
        return kUsage;
    }
    QFile file(a.positional[1]);
    if (!QFileInfo(a.positional[1]).isFile() || !file.open(QIODevice::ReadOnly)) {
        tell(QStringLiteral("CSV ファイルを読めません: %1").arg(shown(a.positional[1])));
        return kUsage;
    }
    const io::ImportReport r = import(file.readAll());
    tellAll(r.lines());
    return r.ok ? kDone : r.fileUnreadable ? kUsage : kFinding;
}

int importOwn(const Args& a, const QString& help) {
    const QString table = a.value(QStringLiteral("table"));
    const QStringList tables{QStringLiteral("journal"),     QStringLiteral("masters"),  QStringLiteral("recurring"),
                             QStringLiteral("budget"),      QStringLiteral("transfer"), QStringLiteral("groups"),
                             QStringLiteral("group-budget")};
    if (!tables.contains(table))
        return usage(help, QStringLiteral("--table は %1 のどれかです").arg(tables.join(QStringLiteral(", "))));
    for (const char* other :
         {"bank", "page", "month", "profile", "skip", "date-col", "amount-col", "in-col", "out-col", "text-col",
          "balance-col", "skip-if", "negate", "item-in", "item-out", "category-in", "category-out", "rule", "dry-run"})
        if (a.has(QString::fromLatin1(other)))
            return usage(help, QStringLiteral("--table と --%1 は一緒に使えません").arg(QString::fromLatin1(other)));
    std::optional<io::Encoding> encoding;
    QString why;
    if (a.has(QStringLiteral("encoding")) && !(encoding = encodingOption(a, &why))) return usage(help, why);
    Book book;
    if (!openBook(a.positional[0], false, book)) return kUsage;
    if (table == QLatin1String("transfer")) {
        if (book.program != app::Program::Bank) return usage(help, QStringLiteral("--table transfer は銀行帳だけです"));
        return importTable(ledger::holdsTransfers(book), QStringLiteral("振替"), a,
                           [&](const QByteArray& bytes) { return io::importTransferBytes(book, bytes, encoding); });
    }
    if (table == QLatin1String("recurring"))
        return importTable(ledger::holdsRules(book), QStringLiteral("定期入力"), a, [&](const QByteArray& bytes) {
            return io::importRecurringBytes(book, book.program, bytes, encoding,
                                            a.flags.contains(QStringLiteral("raw")));
        });
    // Budgets and groups go into empty tables only, as the journal into an empty book.
    const bool raw = a.flags.contains(QStringLiteral("raw"));
    const QList<std::tuple<QString, bool, QString, std::function<bool(QString*)>>> small{
        {QStringLiteral("budget"), ledger::hasBudgets(book), QStringLiteral("予算"),
         [&](QString* error) { return importBudgetTable(book, a.positional[1], encoding, raw, error); }},
        {QStringLiteral("groups"), ledger::hasGroups(book), QStringLiteral("グループ"),
         [&](QString* error) { return importGroupsTable(book, book.program, a.positional[1], encoding, raw, error); }},
        {QStringLiteral("group-budget"), ledger::hasGroups(book), QStringLiteral("グループの予算"),
         [&](QString* error) { return importGroupBudgetTable(book, a.positional[1], encoding, error); }},
    };
    for (const auto& [name, held, what, read] : small) {
        if (table != name) continue;
        if (!held)
            return usage(help, QStringLiteral("%1の表がありません。先に kakeibo upgrade %2 で更新してください")
                                   .arg(what, shown(a.positional[0])));
        QString error;
        if (!read(&error)) {
            tell(error);
            return kFinding;
        }
        tell(QStringLiteral("%1を読み込みました: %2").arg(what, shown(a.positional[0])));
        return kDone;
    }
    const io::ImportReport r = io::importOwnExport(
        book, book.program, table == QLatin1String("journal") ? io::OwnTable::Journal : io::OwnTable::Masters,
        a.positional[1], encoding, a.flags.contains(QStringLiteral("raw")));
    tellAll(r.lines());
    if (r.ok) return kDone;
    return r.fileUnreadable ? kUsage : kFinding;
}

}  // namespace

int runImport(const QStringList& args) {
    const QString help = QString::fromUtf8(kImportHelp);
    const Args a = parseArgs(
        args,
        {"bank", "page", "month", "profile", "encoding", "skip", "date-col", "amount-col", "in-col", "out-col",
         "text-col", "balance-col", "skip-if", "item-in", "item-out", "category-in", "category-out", "rule", "table"},
        {"help", "dry-run", "negate", "list-profiles", "raw"});
    if (const auto status = helpOrBadOptions(a, help)) return *status;
    if (a.flags.contains(QStringLiteral("list-profiles"))) {
        for (const io::StatementLayout& l : io::statementLayouts())
            say(QStringLiteral("%1\t%2\t%3").arg(l.name, l.label, l.description));
        return kDone;
    }
    if (a.positional.size() != 2) return usage(help, QStringLiteral("帳簿のファイルと CSV ファイルを指定してください"));
    if (a.has(QStringLiteral("table"))) return importOwn(a, help);
    // A statement's text is always taken as it stands: there is no guard to keep.
    if (a.flags.contains(QStringLiteral("raw")))
        return usage(help, QStringLiteral("--raw は --table と一緒に使います"));

    if (a.has(QStringLiteral("bank")) == a.has(QStringLiteral("page")))
        return usage(help, QStringLiteral("--bank (銀行帳) か --page (家計簿) のどちらかを指定してください"));
    QString why;
    io::ImportTarget target;
    target.program = a.has(QStringLiteral("bank")) ? app::Program::Bank : app::Program::Purse;
    const QString where = target.program == app::Program::Bank ? QStringLiteral("bank") : QStringLiteral("page");
    const auto number = wholeOption(a, where, 1, &why);
    if (!number) return usage(help, why);
    (target.program == app::Program::Bank ? target.bank : target.page) = *number;
    if (a.has(QStringLiteral("month"))) {
        if (target.program == app::Program::Bank) return usage(help, QStringLiteral("--month は家計簿だけです"));
        target.pageMonth = a.value(QStringLiteral("month"));
        if (!io::checkSpan({target.pageMonth, QString()}).isEmpty())
            return usage(help, QStringLiteral("--month は yyyy/mm の形で指定してください"));
    }

    // The mapping: the saved profile, then what the options say.
    const QStringList columnOptions{"encoding", "skip",     "date-col",    "amount-col", "in-col",
                                    "out-col",  "text-col", "balance-col", "skip-if",    "negate"};
    const QStringList mappingOptions =
        columnOptions + QStringList{"item-in", "item-out", "category-in", "category-out", "rule"};
    auto anyOf = [&](const QStringList& options) {
        return std::any_of(options.begin(), options.end(), [&](const QString& o) { return a.has(o); });
    };
    const bool given = anyOf(mappingOptions);
    const QString profile = a.value(QStringLiteral("profile"));

    Book book;
    if (!openBook(a.positional[0], a.flags.contains(QStringLiteral("dry-run")), book)) return kUsage;
    if (book.program != target.program)
        return usage(help, book.program == app::Program::Bank ? QStringLiteral("銀行帳には --bank で取り込みます")
                                                              : QStringLiteral("家計簿には --page で取り込みます"));
    // The statement's first lines tell a built-in layout's columns.
    QByteArray head;
    if (QFile f(a.positional[1]); f.open(QIODevice::ReadOnly)) head = f.read(64 * 1024);
    io::ImportMapping m;
    if (!profile.isEmpty()) {
        const auto saved = io::loadProfile(target, profile);
        const io::StatementLayout* layout = io::findLayout(profile);
        if (saved)
            m = *saved;
        else if (layout)
            m = io::layoutMapping(*layout, head);
        else if (!given)
            return usage(help, QStringLiteral("取り込み方「%1」は保存されていません").arg(app::clip(profile)));
    } else if (!anyOf(columnOptions)) {
        if (const auto layout = io::detectLayout(head)) {
            m = layout->mapping;
            tell(QStringLiteral("見出しの行から「%1」(%2) の形として読みます").arg(layout->label, layout->name));
        } else if (!given) {
            return usage(help, QStringLiteral("列を指定するか、保存した取り込み方を --profile で指定してください"));
        }
    }
    if (a.has(QStringLiteral("encoding"))) {
        m.encoding = encodingOption(a, &why);
        if (!m.encoding) return usage(help, why);
    }
    struct Column {
        const char* option;
        int* field;
        int low;
    };
    const Column columns[] = {{"skip", &m.skipLines, 0},           {"date-col", &m.dateColumn, 1},
                              {"amount-col", &m.amountColumn, 1},  {"in-col", &m.depositColumn, 1},
                              {"out-col", &m.withdrawalColumn, 1}, {"balance-col", &m.balanceColumn, 0}};
    for (const Column& c : columns) {
        if (!a.has(QString::fromLatin1(c.option))) continue;
        const auto v = wholeOption(a, QString::fromLatin1(c.option), c.low, &why);
        if (!v) return usage(help, why);
        *c.field = int(std::min<qint64>(*v, 100000));
    }
    if (a.has(QStringLiteral("text-col"))) {
        m.textColumns.clear();
        for (const QString& part : a.value(QStringLiteral("text-col")).split(QLatin1Char(','))) {
            const auto v = db::parseWhole(part);
            if (!v || *v < 0 || *v > 100000)
                return usage(help, QStringLiteral("--text-col は列の番号を , で区切って指定します: %1")
                                       .arg(a.value(QStringLiteral("text-col"))));
            if (*v > 0) m.textColumns << int(*v);
        }
    }
    if (a.flags.contains(QStringLiteral("negate"))) m.negate = true;
    if (a.has(QStringLiteral("skip-if"))) {
        m.skipIf.clear();
        for (const QString& c : a.values.value(QStringLiteral("skip-if"))) {
            const int eq = int(c.indexOf(QLatin1Char('=')));
            if (eq <= 0) return usage(help, QStringLiteral("--skip-if は 列=値 の形です: %1").arg(c));
            m.skipIf.append({c.left(eq), c.mid(eq + 1)});
        }
    }
    // One way of giving the amount replaces the other.
    if (a.has(QStringLiteral("amount-col"))) m.depositColumn = m.withdrawalColumn = 0;
    if (a.has(QStringLiteral("in-col")) || a.has(QStringLiteral("out-col"))) m.amountColumn = 0;
    for (const auto& [option, code] :
         {std::pair{"item-in", &m.depositCode}, std::pair{"category-in", &m.depositCode},
          std::pair{"item-out", &m.withdrawalCode}, std::pair{"category-out", &m.withdrawalCode}}) {
        if (!a.has(QString::fromLatin1(option))) continue;
        const auto v = wholeOption(a, QString::fromLatin1(option), 1, &why);
        if (!v) return usage(help, why);
        *code = *v;
    }
    if (a.has(QStringLiteral("rule"))) {
        m.rules.clear();
        for (const QString& r : a.values.value(QStringLiteral("rule"))) {
            const int eq = int(r.lastIndexOf(QLatin1Char('=')));
            const auto code = eq > 0 ? db::parseWhole(r.mid(eq + 1)) : std::nullopt;
            if (!code || *code < 1)
                return usage(help, QStringLiteral("--rule は 文字=コード の形です: %1").arg(app::clip(r)));
            m.rules.append({r.left(eq), *code});
        }
    }
    if (const QString bad = m.check(); !bad.isEmpty()) return usage(help, bad);

    const io::ImportPreview preview = io::previewStatement(book, a.positional[1], m, target);
    if (!preview.ok) {
        tell(preview.error);
        return kUsage;
    }
    if (!profile.isEmpty() && given) {
        io::saveProfile(target, profile, m);
        tell(QStringLiteral("取り込み方を「%1」として保存しました").arg(app::clip(profile)));
    }
    const bool dryRun = a.flags.contains(QStringLiteral("dry-run"));
    tell(QStringLiteral("%1 を %2 として読みました%3")
             .arg(preview.file, io::encodingLabel(preview.encoding),
                  target.program == app::Program::Purse
                      ? QStringLiteral(" (ページ %1、%2)").arg(target.page).arg(preview.target.pageMonth)
                      : QString()));
    if (preview.newestFirst) tell(QStringLiteral("日付が新しい順のファイルです: 古い順に取り込みます"));
    if (const QString note = preview.balanceNote(); !note.isEmpty()) tell(note);
    for (const io::PreviewRow& r : preview.rows)
        if (dryRun || !r.ticked) printRow(r);
    if (dryRun) {
        tell(QStringLiteral("試しに読んだだけで、何も書き込んでいません: 取り込む %1 件、重複 %2 件、読めない行 %3 行")
                 .arg(preview.tickedCount())
                 .arg(preview.count(io::RowStatus::Duplicate))
                 .arg(preview.count(io::RowStatus::Unreadable)));
        return preview.canApply() ? kDone : kFinding;
    }
    const io::ImportReport r = io::applyStatement(book, preview);
    tellAll(r.lines());
    if (r.ok) return kDone;
    return r.hasFindings() ? kFinding : kUsage;
}

// ---------------------------------------------------------------- search

namespace {

const char* const kSearchHelp =
    "使い方: kakeibo search FILE TEXT [--min N] [--max N] [--from 日付] [--to 日付] [--bank N]\n"
    "  備考、項目 (科目) 名、銀行名に TEXT を含む行を一覧にします (TEXT は \"\" で全行)。\n"
    "  --min, --max  金額 (符号なし、両端を含む)   --from, --to  日付 (両端を含む)\n"
    "  --bank N      銀行帳: 一つの銀行だけ\n"
    "終了状態: 0 成功、2 使い方の誤りや読めないファイル";

}  // namespace

int runSearch(const QStringList& args) {
    const QString help = QString::fromUtf8(kSearchHelp);
    const Args a = parseArgs(args, {"min", "max", "from", "to", "bank"}, {"help"});
    if (const auto status = helpOrBadOptions(a, help)) return *status;
    if (a.positional.size() != 2) return usage(help, QStringLiteral("帳簿のファイルと探す文字を指定してください"));
    io::SearchQuery q;
    q.text = a.positional[1];
    for (const auto& [option, bound] : {std::pair{"min", &q.minAmount}, std::pair{"max", &q.maxAmount}}) {
        if (!a.has(QString::fromLatin1(option))) continue;
        const auto v = db::parseYen(a.value(QString::fromLatin1(option)));
        if (!v) return usage(help, QStringLiteral("--%1 には金額を指定してください").arg(QString::fromLatin1(option)));
        *bound = v;
    }
    for (const auto& [option, date] : {std::pair{"from", &q.fromDate}, std::pair{"to", &q.toDate}}) {
        if (!a.has(QString::fromLatin1(option))) continue;
        const auto d = io::parseStatementDate(a.value(QString::fromLatin1(option)));
        if (!d) return usage(help, QStringLiteral("--%1 の日付を読めません").arg(QString::fromLatin1(option)));
        *date = *d;
    }
    QString why;
    if (a.has(QStringLiteral("bank"))) {
        q.bank = wholeOption(a, QStringLiteral("bank"), 1, &why);
        if (!q.bank) return usage(help, why);
    }
    if (!settleJournal(a.positional[0])) return kUsage;
    Book book;
    if (!openBook(a.positional[0], true, book)) return kUsage;
    const bool bank = book.program == app::Program::Bank;
    const io::SearchResult r = io::search(book, book.program, q);
    if (!r.ok) {
        tell(QStringLiteral("%1: %2").arg(shown(a.positional[0]), r.error));
        return kUsage;
    }
    say(bank ? QStringLiteral("番号\t日付\t銀行\t項目\t金額\t備考")
             : QStringLiteral("番号\t日付\tページ\t科目\t金額\t備考"));
    for (const io::SearchHit& h : r.hits) {
        const QString where = bank ? QStringLiteral("%1 %2").arg(h.bank).arg(h.bankName) : QString::number(h.page);
        say(QStringLiteral("%1\t%2\t%3\t%4 %5\t%6\t%7")
                .arg(h.cd)
                .arg(h.date, where)
                .arg(h.code)
                .arg(h.codeName, h.amount ? QString::number(*h.amount) : QString(), oneLine(h.note)));
    }
    tell(QStringLiteral("%1 件").arg(r.hits.size()));
    return kDone;
}

// ---------------------------------------------------------------- transfer

namespace {

const char* const kTransferHelp =
    "使い方: kakeibo transfer FILE add --from N --to N --date yyyy/mm/dd --amount N [--note TEXT]\n"
    "       kakeibo transfer FILE list [--from yyyy/mm] [--to yyyy/mm]\n"
    "  銀行帳の振替 (銀行から銀行へ、カードの引き落としも) の登録と一覧です。\n"
    "  add   銀行 --from から銀行 --to へ: 振替出金と振替入金の二つの記録とそのつながりを\n"
    "        一度に書き、両方の銀行の残高を計算し直します。振替の項目が登録されていなければ、\n"
    "        先に銀行帳の振替の画面 (Ctrl+T) で登録してください。\n"
    "  list  振替の一覧 (--from, --to は月。両端を含む)\n"
    "終了状態: 0 成功、2 使い方の誤り・正しくない値・読めないファイル・使用中・更新が必要な帳簿";

int transferList(Book& book, const Args& a, const QString& help) {
    const io::MonthSpan span{a.value(QStringLiteral("from")), a.value(QStringLiteral("to"))};
    if (const QString bad = io::checkSpan(span); !bad.isEmpty()) return usage(help, bad);
    const ledger::TransferList list = ledger::readTransfers(book, span.from, span.to);
    if (!list.ok) {
        tell(list.error);
        return kUsage;
    }
    say(QStringLiteral("番号\t日付\t出金銀行\t入金銀行\t金額\t記録\t備考"));
    for (const ledger::TransferRow& r : list.rows)
        say(QStringLiteral("%1\t%2\t%3 %4\t%5 %6\t%7\t%8, %9\t%10")
                .arg(r.link)
                .arg(r.date)
                .arg(r.fromBank)
                .arg(r.fromName)
                .arg(r.toBank)
                .arg(r.toName)
                .arg(r.amount)
                .arg(r.outRecord)
                .arg(r.inRecord)
                .arg(oneLine(r.note)));
    tell(QStringLiteral("%1 件").arg(list.rows.size()));
    return kDone;
}

int transferAdd(Book& book, const Args& a, const QString& help) {
    for (const char* need : {"from", "to", "date", "amount"})
        if (!a.has(QString::fromLatin1(need)))
            return usage(help, QStringLiteral("--%1 を指定してください").arg(QString::fromLatin1(need)));
    QString why;
    ledger::TransferEntry e;
    const auto from = wholeOption(a, QStringLiteral("from"), 1, &why);
    if (!from) return usage(help, why);
    const auto to = wholeOption(a, QStringLiteral("to"), 1, &why);
    if (!to) return usage(help, why);
    e.from = *from;
    e.to = *to;
    if (!ledger::bookDate(a.value(QStringLiteral("date"))))
        return usage(help, QStringLiteral("--date は yyyy/mm/dd の形の正しい日付で指定してください"));
    e.date = a.value(QStringLiteral("date"));
    const auto amount = db::parseYen(a.value(QStringLiteral("amount")));
    if (!amount || *amount < 1) return usage(help, QStringLiteral("--amount は1以上の円単位の整数で指定してください"));
    e.amount = *amount;
    e.note = a.value(QStringLiteral("note"));
    const ledger::TransferWrite w = ledger::writeTransfer(book, e);
    if (!w.ok) {
        tell(w.error);
        return kUsage;
    }
    say(QStringLiteral("振替 %1 を登録しました（記録 %2, %3）").arg(w.link).arg(w.outRecord).arg(w.inRecord));
    return kDone;
}

}  // namespace

int runTransfer(const QStringList& args) {
    const QString help = QString::fromUtf8(kTransferHelp);
    const Args a = parseArgs(args, {"from", "to", "date", "amount", "note"}, {"help"});
    if (const auto status = helpOrBadOptions(a, help)) return *status;
    if (a.positional.size() != 2) return usage(help, QStringLiteral("帳簿のファイルと add か list を指定してください"));
    const QString path = a.positional[0];
    const QString verb = a.positional[1];
    if (verb != QLatin1String("add") && verb != QLatin1String("list"))
        return usage(help, QStringLiteral("知らない操作です: %1").arg(app::clip(verb)));
    const bool reading = verb == QLatin1String("list");
    for (const char* o : {"date", "amount", "note"})
        if (reading && a.has(QString::fromLatin1(o)))
            return usage(help, QStringLiteral("list に --%1 は使えません").arg(QString::fromLatin1(o)));
    if (reading && !settleJournal(path)) return kUsage;
    Book book;
    if (!openBook(path, reading, book)) return kUsage;
    if (book.program != app::Program::Bank) {
        tell(QStringLiteral("振替は銀行帳だけです: %1").arg(shown(path)));
        return kUsage;
    }
    if (!ledger::holdsTransfers(book)) {
        tell(QStringLiteral("このデータベースには振替の表がありません。kakeibo upgrade %1 で更新してください")
                 .arg(shown(path)));
        return kUsage;
    }
    return reading ? transferList(book, a, help) : transferAdd(book, a, help);
}

// ---------------------------------------------------------------- recurring

namespace {

const char* const kRecurringHelp =
    "使い方: kakeibo recurring FILE list\n"
    "       kakeibo recurring FILE add --item CODE|NAME --amount N --day D [--every M]\n"
    "                       [--start yyyy/mm/dd] [--end yyyy/mm/dd] [--shift none|before|after]\n"
    "                       [--bank N] [--note TEXT]\n"
    "       kakeibo recurring FILE delete CD\n"
    "       kakeibo recurring FILE post --until yyyy/mm/dd [--page N] [--dry-run]\n"
    "  定期入力 (毎月の給与や家賃など) の一覧・登録・削除と、記入です。\n"
    "  --day         1～31 (ない日は月末)、99 は月末   --every  1, 2, 3, 6, 12 か月ごと (既定 1)\n"
    "  --start       開始日 (既定は今日)   --end  終了日 (既定はなし)\n"
    "  --shift       土日・祝日・年末年始 (12/31～1/3) に当たる日を、before 前の営業日 /\n"
    "                after 次の営業日にします (既定 none)\n"
    "  --bank N      銀行帳: 記入する銀行 (必須)\n"
    "  post          --until の日までに来た回 (休日をずらした日で数えます) を一度に記入し、\n"
    "                書いた行を表示します。家計簿では --page N のページに記入します (必須)。\n"
    "  --dry-run     post: 書き込まずに、記入する行を表示します\n"
    "  list, add, delete, post は帳簿のロックを取ります。backup/ の中の帳簿には記入しません。\n"
    "終了状態: 0 成功、2 使い方の誤り・正しくない値・読めないファイル・使用中・更新が必要な帳簿";

// The rules' table needs a newer book: said with the command that makes it.
bool refuseWithoutRules(Book& book, const QString& path) {
    if (ledger::holdsRules(book)) return false;
    tell(QStringLiteral("このデータベースには定期入力の表がありません。kakeibo upgrade %1 で更新してください")
             .arg(shown(path)));
    return true;
}

// The name of a master code, for the lines printed.
QString masterName(Book& book, const QString& table, qint64 code) {
    return book.scalar(QStringLiteral("SELECT NM FROM %1 WHERE CD=?").arg(table), {code}).toString();
}

QString itemTable(const Book& book) {
    return book.program == app::Program::Bank ? QStringLiteral("T02") : QStringLiteral("T01");
}

// An item or category given by its code or by its exact name.
std::optional<qint64> itemOption(Book& book, const QString& given, QString* why) {
    if (const auto code = db::parseCode(given)) return *code;
    QSqlQuery q(book.connection());
    q.prepare(QStringLiteral("SELECT CD FROM %1 WHERE NM=? ORDER BY CD").arg(itemTable(book)));
    q.addBindValue(given);
    QList<qint64> found;
    if (q.exec())
        while (q.next()) found << q.value(0).toLongLong();
    if (found.size() == 1) return found.first();
    *why = found.isEmpty() ? QStringLiteral("--item「%1」という名前はマスターにありません").arg(app::clip(given))
                           : QStringLiteral("--item「%1」という名前が %2 件あります: コードで指定してください")
                                 .arg(app::clip(given))
                                 .arg(found.size());
    return std::nullopt;
}

void printOccurrence(Book& book, const ledger::Occurrence& o) {
    const bool bank = book.program == app::Program::Bank;
    QString line = QStringLiteral("%1\t定期入力 %2").arg(ledger::bookDateText(o.posted)).arg(o.rule);
    if (bank) line += QStringLiteral("\t%1 %2").arg(o.bank).arg(masterName(book, QStringLiteral("T01"), o.bank));
    line += QStringLiteral("\t%1 %2\t%3\t%4")
                .arg(o.item)
                .arg(masterName(book, itemTable(book), o.item))
                .arg(o.amount)
                .arg(oneLine(o.note));
    say(line);
}

int recurringList(Book& book) {
    const bool bank = book.program == app::Program::Bank;
    const ledger::RuleList rules = ledger::readRules(book);
    if (!rules.ok) {
        tell(rules.error);
        return kUsage;
    }
    say(QStringLiteral("番号\t次回\t日程\t休日\t%1%2\t金額\t開始日\t終了日\t備考")
            .arg(bank ? QStringLiteral("銀行\t") : QString(), bank ? QStringLiteral("項目") : QStringLiteral("科目")));
    for (const ledger::RecurringRule& r : rules.rules) {
        QString line = QStringLiteral("%1\t%2\t%3\t%4\t")
                           .arg(r.cd)
                           .arg(ledger::isFinished(r) ? QStringLiteral("終了") : r.next, ledger::scheduleText(r),
                                ledger::shiftText(r.shift));
        if (bank) line += QStringLiteral("%1 %2\t").arg(r.bank).arg(masterName(book, QStringLiteral("T01"), r.bank));
        line += QStringLiteral("%1 %2\t%3\t%4\t%5\t%6")
                    .arg(r.item)
                    .arg(masterName(book, itemTable(book), r.item))
                    .arg(r.amount)
                    .arg(r.start, r.end, oneLine(r.note));
        say(line);
    }
    tell(QStringLiteral("%1 件").arg(rules.rules.size()));
    return kDone;
}

int recurringAdd(Book& book, const Args& a, const QString& help) {
    const bool bank = book.program == app::Program::Bank;
    QString why;
    for (const char* need : {"item", "amount", "day"})
        if (!a.has(QString::fromLatin1(need)))
            return usage(help, QStringLiteral("--%1 を指定してください").arg(QString::fromLatin1(need)));
    if (bank != a.has(QStringLiteral("bank")))
        return usage(help, bank ? QStringLiteral("銀行帳では --bank を指定してください")
                                : QStringLiteral("--bank は銀行帳だけです"));
    ledger::RecurringRule r;
    const auto item = itemOption(book, a.value(QStringLiteral("item")), &why);
    if (!item) return usage(help, why);
    r.item = *item;
    const auto amount = db::parseYen(a.value(QStringLiteral("amount")));
    if (!amount) return usage(help, QStringLiteral("--amount は円単位の整数で指定してください"));
    r.amount = *amount;
    const auto day = db::parseWhole(a.value(QStringLiteral("day")));
    if (!day) return usage(help, QStringLiteral("--day は 1～31 か 99 で指定してください"));
    r.day = int(std::clamp<qint64>(*day, -1, 100));
    if (a.has(QStringLiteral("every"))) {
        const auto every = db::parseWhole(a.value(QStringLiteral("every")));
        if (!every) return usage(help, QStringLiteral("--every は 1, 2, 3, 6, 12 のいずれかです"));
        r.every = int(std::clamp<qint64>(*every, -1, 100));
    }
    if (bank) {
        const auto b = wholeOption(a, QStringLiteral("bank"), 1, &why);
        if (!b) return usage(help, why);
        r.bank = *b;
    }
    // The tool has no session: "today" is the machine's date, as the user running it sees it.
    r.start =
        a.has(QStringLiteral("start")) ? a.value(QStringLiteral("start")) : ledger::bookDateText(QDate::currentDate());
    r.end = a.value(QStringLiteral("end"));
    const QString shift = a.has(QStringLiteral("shift")) ? a.value(QStringLiteral("shift")) : QStringLiteral("none");
    const QStringList shifts{QStringLiteral("none"), QStringLiteral("before"), QStringLiteral("after")};
    if (!shifts.contains(shift)) return usage(help, QStringLiteral("--shift は none, before, after のいずれかです"));
    r.shift = int(shifts.indexOf(shift));
    r.note = a.value(QStringLiteral("note"));
    const ledger::RuleWrite w = ledger::addRule(book, book.program, r);
    if (!w.ok) {
        tell(w.error);
        return kUsage;
    }
    const ledger::RuleList rules = ledger::readRules(book);
    for (const ledger::RecurringRule& x : rules.rules)
        if (x.cd == w.cd)
            say(QStringLiteral("定期入力 %1 を登録しました（%2、次回 %3）")
                    .arg(w.cd)
                    .arg(ledger::scheduleText(x), x.next));
    return kDone;
}

int recurringPost(Book& book, const Args& a, const QString& help, bool dryRun) {
    const bool bank = book.program == app::Program::Bank;
    const auto until = ledger::bookDate(a.value(QStringLiteral("until")));
    if (!until) return usage(help, QStringLiteral("--until yyyy/mm/dd を指定してください"));
    qint64 page = 0;
    QString why;
    if (bank && a.has(QStringLiteral("page"))) return usage(help, QStringLiteral("--page は家計簿だけです"));
    if (!bank) {
        if (!a.has(QStringLiteral("page")))
            return usage(help, QStringLiteral("家計簿では記入するページを --page N で指定してください"));
        const auto p = wholeOption(a, QStringLiteral("page"), 1, &why);
        if (!p) return usage(help, why);
        page = *p;
    }
    const ledger::DueList due = ledger::dueOccurrences(book, book.program, *until);
    if (!due.ok) {
        tell(due.error);
        return kUsage;
    }
    for (const ledger::Occurrence& o : due.rows) printOccurrence(book, o);
    if (dryRun) {
        tell(QStringLiteral("試しに数えただけで、何も書き込んでいません: 記入する行 %1 件").arg(due.rows.size()));
        return kDone;
    }
    const ledger::Posting p = ledger::postOccurrences(book, book.program, due.rows, page);
    if (!p.ok) {
        tell(p.error);
        return kUsage;
    }
    tell(p.rows ? QStringLiteral("%1 件を記入しました (番号 %2～%3)").arg(p.rows).arg(p.firstNumber).arg(p.lastNumber)
                : QStringLiteral("記入する行はありません"));
    return kDone;
}

}  // namespace

int runRecurring(const QStringList& args) {
    const QString help = QString::fromUtf8(kRecurringHelp);
    const Args a =
        parseArgs(args, {"item", "amount", "day", "every", "start", "end", "shift", "bank", "note", "until", "page"},
                  {"help", "dry-run"});
    if (const auto status = helpOrBadOptions(a, help)) return *status;
    if (a.positional.size() < 2)
        return usage(help, QStringLiteral("帳簿のファイルと list, add, delete, post のどれかを指定してください"));
    const QString path = a.positional[0];
    const QString verb = a.positional[1];
    const QStringList verbs{QStringLiteral("list"), QStringLiteral("add"), QStringLiteral("delete"),
                            QStringLiteral("post")};
    if (!verbs.contains(verb)) return usage(help, QStringLiteral("知らない操作です: %1").arg(app::clip(verb)));
    if (a.positional.size() != (verb == QLatin1String("delete") ? 3 : 2))
        return usage(help, verb == QLatin1String("delete")
                               ? QStringLiteral("削除する定期入力の番号を一つ指定してください")
                               : QStringLiteral("引数が多すぎます"));
    // Options that belong to another verb are a mistake, not something to ignore.
    const QStringList own = verb == QLatin1String("add")
                                ? QStringList{"item", "amount", "day", "every", "start", "end", "shift", "bank", "note"}
                            : verb == QLatin1String("post") ? QStringList{"until", "page", "dry-run"}
                                                            : QStringList{};
    for (const QString& o : QStringList{"item", "amount", "day", "every", "start", "end", "shift", "bank", "note",
                                        "until", "page", "dry-run"})
        if (a.has(o) && !own.contains(o)) return usage(help, QStringLiteral("%1 に --%2 は使えません").arg(verb, o));

    const bool dryRun = a.flags.contains(QStringLiteral("dry-run"));
    if (verb == QLatin1String("post") &&
        QFileInfo(QFileInfo(path).absolutePath()).fileName() == QLatin1String("backup")) {
        tell(QStringLiteral("バックアップのデータベースには定期入力を記入しません: %1").arg(shown(path)));
        return kUsage;
    }
    const bool reading = verb == QLatin1String("list") || dryRun;
    if (reading && !settleJournal(path)) return kUsage;
    Book book;
    if (!openBook(path, reading, book)) return kUsage;
    if (refuseWithoutRules(book, path)) return kUsage;
    if (verb == QLatin1String("list")) return recurringList(book);
    if (verb == QLatin1String("add")) return recurringAdd(book, a, help);
    if (verb == QLatin1String("post")) return recurringPost(book, a, help, dryRun);
    const auto cd = db::parseCode(a.positional[2]);
    if (!cd)
        return usage(help, QStringLiteral("定期入力の番号は 1～32767 の整数です: %1").arg(app::clip(a.positional[2])));
    const ledger::RuleWrite w = ledger::deleteRule(book, *cd);
    if (!w.ok) {
        tell(w.error);
        return kUsage;
    }
    say(QStringLiteral("定期入力 %1 を削除しました").arg(*cd));
    return kDone;
}

// ---------------------------------------------------------------- group

namespace {

const char* const kGroupHelp =
    "使い方: kakeibo group FILE list\n"
    "       kakeibo group FILE add NAME --kind income|expense [--sort N]\n"
    "       kakeibo group FILE delete GROUP\n"
    "       kakeibo group FILE assign 科目=GROUP\n"
    "       kakeibo group FILE remove 科目\n"
    "  科目 (銀行帳では項目) のグループ (固定費、変動費、特別費など) の一覧・登録・削除と、\n"
    "  科目をグループに入れる (assign)、グループから外す (remove) 操作です。\n"
    "  GROUP はグループの名前かコード、科目はコードか名前です。一つの科目は一つのグループだけに\n"
    "  入り、グループと同じ区分 (収入・支出) の科目だけを入れられます。\n"
    "  delete はグループとその予算を削除し、科目は未分類に戻ります。\n"
    "  グループの表のない古い帳簿は先に kakeibo upgrade FILE で更新してください。\n"
    "終了状態: 0 成功、2 使い方の誤り・正しくない値・読めないファイル・使用中・更新が必要な帳簿";

// A group given by its name or its code.
std::optional<qint64> groupOption(Book& book, const QString& given, QString* why) {
    const QList<ledger::Group> groups = ledger::readGroups(book).value_or(QList<ledger::Group>{});
    if (const auto cd = ledger::groupNamed(groups, given)) return *cd;
    if (const auto code = db::parseCode(given))
        for (const ledger::Group& g : groups)
            if (g.cd == *code) return *code;
    *why = QStringLiteral("そのグループはありません: %1").arg(app::clip(given));
    return std::nullopt;
}

int groupList(Book& book) {
    const ledger::GroupMap map = ledger::readGroupMap(book, book.program);
    if (!map.ok) {
        tell(QStringLiteral("グループを読めません"));
        return kUsage;
    }
    const QList<ledger::MasterRow> master = ledger::readMasterList(
        book, book.program == app::Program::Bank ? ledger::Master::Item : ledger::Master::Category);
    QHash<qint64, QString> names;
    for (const ledger::MasterRow& m : master) names.insert(m.cd, m.nm);
    const auto members = [&](const QList<qint64>& codes) {
        QStringList out;
        for (qint64 c : codes) out << QStringLiteral("%1 %2").arg(c).arg(names.value(c));
        return out.join(QStringLiteral(", "));
    };
    say(QStringLiteral("番号\t名前\t区分\t順\t%1")
            .arg(book.program == app::Program::Bank ? QStringLiteral("項目") : QStringLiteral("科目")));
    for (const ledger::Group& g : map.groups)
        say(QStringLiteral("%1\t%2\t%3\t%4\t%5")
                .arg(g.cd)
                .arg(oneLine(g.name), ledger::kindName(g.kind))
                .arg(g.sort)
                .arg(members(g.members)));
    // What the views show under 未分類: no group, or a group of the other kind.
    for (const bool income : {true, false}) {
        QList<qint64> loose;
        for (const ledger::MasterRow& m : master)
            if (ledger::isIncome(m.kind) == income && !map.of(m.cd)) loose << m.cd;
        if (!loose.isEmpty())
            say(QStringLiteral("\t%1\t%2\t\t%3")
                    .arg(ledger::kUngrouped, ledger::kindName(income ? 0 : 1), members(loose)));
    }
    tell(QStringLiteral("%1 件").arg(map.groups.size()));
    return kDone;
}

int groupWritten(const ledger::GroupWrite& w, const QString& done) {
    if (!w.ok) {
        tell(w.error);
        return kUsage;
    }
    say(done);
    return kDone;
}

}  // namespace

int runGroup(const QStringList& args) {
    const QString help = QString::fromUtf8(kGroupHelp);
    const Args a = parseArgs(args, {"kind", "sort"}, {"help"});
    if (const auto status = helpOrBadOptions(a, help)) return *status;
    if (a.positional.size() < 2)
        return usage(help,
                     QStringLiteral("帳簿のファイルと list, add, delete, assign, remove のどれかを指定してください"));
    const QString path = a.positional[0];
    const QString verb = a.positional[1];
    const QStringList verbs{QStringLiteral("list"), QStringLiteral("add"), QStringLiteral("delete"),
                            QStringLiteral("assign"), QStringLiteral("remove")};
    if (!verbs.contains(verb)) return usage(help, QStringLiteral("知らない操作です: %1").arg(app::clip(verb)));
    const bool reading = verb == QLatin1String("list");
    if (a.positional.size() != (reading ? 2 : 3)) return usage(help, QStringLiteral("引数の数が違います"));
    for (const char* o : {"kind", "sort"})
        if (verb != QLatin1String("add") && a.has(QString::fromLatin1(o)))
            return usage(help, QStringLiteral("%1 に --%2 は使えません").arg(verb, QString::fromLatin1(o)));
    std::optional<qint64> kind, sort;
    if (verb == QLatin1String("add")) {
        const QString k = a.value(QStringLiteral("kind"));
        if (k != QLatin1String("income") && k != QLatin1String("expense"))
            return usage(help, QStringLiteral("--kind は income か expense です"));
        kind = k == QLatin1String("income") ? 0 : 1;
        QString why;
        if (a.has(QStringLiteral("sort")) && !(sort = wholeOption(a, QStringLiteral("sort"), 0, &why)))
            return usage(help, why);
    }
    if (reading && !settleJournal(path)) return kUsage;
    Book book;
    if (!openBook(path, reading, book)) return kUsage;
    if (!ledger::hasGroups(book)) {
        tell(QStringLiteral("このデータベースにはグループの表がありません。kakeibo upgrade %1 で更新してください")
                 .arg(shown(path)));
        return kUsage;
    }
    if (reading) return groupList(book);
    const QString target = a.positional[2];
    QString why;
    if (verb == QLatin1String("add")) {
        ledger::GroupEdit e;
        e.name = target;
        e.kind = *kind;
        e.sort = sort;
        const ledger::GroupWrite w = ledger::saveGroup(book, book.program, e);
        return groupWritten(w, QStringLiteral("グループ %1 を登録しました: %2").arg(w.cd).arg(target.trimmed()));
    }
    if (verb == QLatin1String("delete")) {
        const auto cd = groupOption(book, target, &why);
        if (!cd) return usage(help, why);
        return groupWritten(ledger::deleteGroup(book, *cd), QStringLiteral("グループ %1 を削除しました").arg(*cd));
    }
    // assign 科目=GROUP (split at the last =, as a category's name may hold one) / remove 科目.
    const int eq = verb == QLatin1String("assign") ? int(target.lastIndexOf(QLatin1Char('='))) : int(target.size());
    if (eq < 0) return usage(help, QStringLiteral("assign は 科目=グループ です: %1").arg(app::clip(target)));
    const auto code = itemOption(book, target.left(eq), &why);
    if (!code) return usage(help, why.replace(QStringLiteral("--item"), QString()));
    std::optional<qint64> group;
    if (verb == QLatin1String("assign") && !(group = groupOption(book, target.mid(eq + 1), &why)))
        return usage(help, why);
    return groupWritten(ledger::assignToGroup(book, book.program, *code, group),
                        group ? QStringLiteral("%1 をグループ %2 に入れました").arg(*code).arg(*group)
                              : QStringLiteral("%1 をグループから外しました").arg(*code));
}
