#include "tools/KakeiboBudget.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "core/Messages.h"
#include "core/Session.h"
#include "core/care/Check.h"
#include "core/db/Convert.h"
#include "core/ledger/Budget.h"
#include "core/ledger/Groups.h"
#include "core/ledger/Masters.h"
#include "core/models/BudgetModels.h"
#include "tools/KakeiboIo.h"

namespace {

constexpr int kDone = 0;
constexpr int kUsage = 2;

using kakeibo::say;
using kakeibo::shown;
using kakeibo::tell;

const char* const kHelp =
    "使い方: kakeibo budget FILE list [--year yyyy]\n"
    "       kakeibo budget FILE set 科目=金額 [--month yyyy/mm | --year yyyy]\n"
    "       kakeibo budget FILE clear 科目 [--month yyyy/mm | --year yyyy]\n"
    "       kakeibo budget FILE set|clear グループ --group ...\n"
    "       kakeibo budget FILE report (--month yyyy/mm | --year yyyy)\n"
    "  予算の一覧 (list: その年、既定は今年)、設定 (set)、削除 (clear)、予算実績 (report)。\n"
    "  科目 (銀行帳では項目) はコードか名前で指定します。set は最後の = で分けます。\n"
    "  --month も --year もなければ毎月の予算、--month はその月だけ、--year はその年の年額です。\n"
    "  一つの科目に月の予算と年額の予算の両方は置けません。金額は 0 以上の円単位の整数です。\n"
    "  --group はグループ (コードか名前) の予算です。グループの行には、グループの予算があれば\n"
    "  それを、なければ科目の予算の合計を表示します。\n"
    "  set と clear は帳簿をロックして書き込みます (使用中なら何もしません)。\n"
    "  予算の表のない古い帳簿は先に kakeibo upgrade FILE で更新してください。\n"
    "終了状態: 0 成功、2 使い方の誤り・読めないファイル・使用中・受け付けない値";

int usage(const QString& why) {
    if (!why.isEmpty()) tell(QStringLiteral("kakeibo: %1").arg(why));
    tell(QString::fromUtf8(kHelp));
    return kUsage;
}

QString tabbed(const QStringList& cells) { return cells.join(QLatin1Char('\t')); }

// A category by code, or by its name when exactly one has it. `allowGone`: a code whose category
// was deleted (its budget rows can still be cleared).
std::optional<qint64> categoryOf(db::Book& book, app::Program program, const QString& given, bool allowGone,
                                 QString* why) {
    const QList<ledger::MasterRow> master =
        ledger::readMasterList(book, program == app::Program::Bank ? ledger::Master::Item : ledger::Master::Category);
    if (const auto code = db::parseCode(given)) {
        for (const ledger::MasterRow& m : master)
            if (m.cd == *code) return *code;
        if (allowGone) return *code;
    }
    QStringList codes;
    for (const ledger::MasterRow& m : master)
        if (m.nm == given) codes << QString::number(m.cd);
    if (codes.size() == 1) return codes[0].toLongLong();
    *why = codes.isEmpty() ? QStringLiteral("その科目はありません: %1").arg(app::clip(given))
                           : QStringLiteral("同じ名前の科目が複数あります。コードで指定してください: %1 (%2)")
                                 .arg(app::clip(given), codes.join(QStringLiteral(", ")));
    return std::nullopt;
}

// A group by code or name; `allowGone` as for a category.
std::optional<qint64> groupOf(db::Book& book, const QString& given, bool allowGone, QString* why) {
    const QList<ledger::Group> groups = ledger::readGroups(book).value_or(QList<ledger::Group>{});
    if (const auto cd = ledger::groupNamed(groups, given)) return *cd;
    if (const auto code = db::parseCode(given)) {
        for (const ledger::Group& g : groups)
            if (g.cd == *code) return *code;
        if (allowGone) return *code;
    }
    *why = QStringLiteral("そのグループはありません: %1").arg(app::clip(given));
    return std::nullopt;
}

}  // namespace

QStringList budgetListLines(db::Book& book, app::Program program, int year) {
    models::BudgetPlanModel model;
    model.setYear(year);
    model.setRows(ledger::readGroupedBudgetPlan(book, program, year).value_or(QList<ledger::BudgetPlanRow>{}));
    QStringList header;
    for (int c = 0; c < model.columnCount(); ++c) header << model.headerText(c);
    QStringList out{tabbed(header)};
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList cells;
        bool any = false;
        for (int c = 0; c < model.columnCount(); ++c) {
            cells << model.text(r, c);
            any = any || (c >= models::BudgetPlanModel::kDefaultColumn && !cells.last().isEmpty());
        }
        if (any) out << tabbed(cells);
    }
    return out;
}

QStringList budgetReportLines(db::Book& book, app::Program program, const ledger::Period& period, const QDate& today) {
    models::BudgetReportModel model;
    model.setRows(ledger::budgetReport(book, program, period, today).lines);
    QStringList header;
    for (int c = 0; c < model.columnCount(); ++c) header << model.headerText(c);
    QStringList out{tabbed(header)};
    for (const QStringList& row : model.rowTexts()) out << tabbed(row);
    return out;
}

namespace {

// Budget rows as CSV under a header naming what their code is: the same shape for categories
// and groups.
io::ExportTable entriesTable(const std::optional<QList<ledger::BudgetEntry>>& rows, const QString& codeHeader,
                             const QString& nameHeader, const std::function<QString(qint64)>& nameOf) {
    io::ExportTable t;
    if (!rows) {
        t.error = QStringLiteral("予算を読めません");
        return t;
    }
    t.csv.rows << QStringList{codeHeader, nameHeader, QStringLiteral("期間"), QStringLiteral("予算")};
    t.csv.textColumns = {1};
    for (const ledger::BudgetEntry& e : *rows)
        t.csv.rows << QStringList{QString::number(e.code), nameOf(e.code), e.ym, db::To_Str(e.amount, QString())};
    t.ok = true;
    return t;
}

// The rows of such a file; the name column is not read (the code says whose row it is).
std::optional<QList<ledger::BudgetEntry>> readEntries(const QString& csvPath, std::optional<io::Encoding> encoding,
                                                      const QString& shape, QString* error) {
    QFile f(csvPath);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("ファイルを読めません: %1").arg(shown(csvPath));
        return std::nullopt;
    }
    const io::CsvFile file = io::readCsvBytes(f.readAll(), encoding);
    if (!file.ok) {
        *error = file.error;
        return std::nullopt;
    }
    QList<ledger::BudgetEntry> rows;
    for (int i = 1; i < file.records.size(); ++i) {  // the header first
        const io::CsvRecord& r = file.records[i];
        if (r.isBlank()) continue;
        const auto code = db::parseCode(r.fields.value(0));
        if (!r.problem.isEmpty() || r.fields.size() < 4 || !code) {
            *error = QStringLiteral("%1 行目: %2 の行ではありません").arg(r.line).arg(shape);
            return std::nullopt;
        }
        rows << ledger::BudgetEntry{0, *code, r.fields[2].trimmed(), r.fields[3].trimmed()};
    }
    return rows;
}

}  // namespace

io::ExportTable budgetTable(db::Book& book, app::Program program) {
    app::MasterCache names;
    names.assign(
        ledger::readMasterList(book, program == app::Program::Bank ? ledger::Master::Item : ledger::Master::Category));
    return entriesTable(ledger::readBudgetEntries(book), QStringLiteral("科目ｺｰﾄﾞ"), QStringLiteral("科目名"),
                        [&](qint64 code) {
                            const ledger::MasterRow* m = names.find(code);
                            return m ? m->nm : QString();
                        });
}

bool importBudgetTable(db::Book& book, const QString& csvPath, std::optional<io::Encoding> encoding, bool,
                       QString* error) {
    const auto rows = readEntries(csvPath, encoding, QStringLiteral("科目ｺｰﾄﾞ, 科目名, 期間, 予算"), error);
    return rows && ledger::insertBudgets(book, *rows, error);
}

io::ExportTable groupBudgetTable(db::Book& book) {
    const QList<ledger::Group> groups = ledger::readGroups(book).value_or(QList<ledger::Group>{});
    return entriesTable(ledger::readGroupBudgetEntries(book), QStringLiteral("グループｺｰﾄﾞ"),
                        QStringLiteral("グループ名"), [&](qint64 code) {
                            for (const ledger::Group& g : groups)
                                if (g.cd == code) return g.name;
                            return QString();
                        });
}

bool importGroupBudgetTable(db::Book& book, const QString& csvPath, std::optional<io::Encoding> encoding,
                            QString* error) {
    const auto rows = readEntries(csvPath, encoding, QStringLiteral("グループｺｰﾄﾞ, グループ名, 期間, 予算"), error);
    if (!rows) return false;
    // A group's budget stands for its group: one of a group not in the book is refused here,
    // before anything is written.
    const QList<ledger::Group> groups = ledger::readGroups(book).value_or(QList<ledger::Group>{});
    for (int i = 0; i < rows->size(); ++i)
        if (std::none_of(groups.begin(), groups.end(),
                         [&](const ledger::Group& g) { return g.cd == (*rows)[i].code; })) {
            *error = QStringLiteral("%1 件目: グループがありません: %2").arg(i + 1).arg((*rows)[i].code);
            return false;
        }
    return ledger::insertGroupBudgets(book, *rows, error);
}

int runBudget(const QStringList& args) {
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        say(QString::fromUtf8(kHelp));
        return kDone;
    }
    QStringList positional;
    QString month, year;
    bool group = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--group")) {
            group = true;
        } else if (a == QLatin1String("--month") || a == QLatin1String("--year")) {
            if (i + 1 >= args.size()) return usage(QStringLiteral("%1 には値が必要です").arg(a));
            (a == QLatin1String("--month") ? month : year) = args[++i];
        } else if (a.startsWith(QLatin1String("--"))) {
            return usage(QStringLiteral("知らないオプションです: %1").arg(app::clip(a)));
        } else {
            positional << a;
        }
    }
    if (positional.size() < 2) return usage({});
    const QString path = positional[0];
    const QString verb = positional[1];
    const bool writes = verb == QLatin1String("set") || verb == QLatin1String("clear");
    if (!writes && verb != QLatin1String("list") && verb != QLatin1String("report"))
        return usage(QStringLiteral("list, set, clear, report のどれかです: %1").arg(app::clip(verb)));
    if (positional.size() != (writes ? 3 : 2)) return usage({});
    if (!month.isEmpty() && !year.isEmpty()) return usage(QStringLiteral("--month と --year は一緒に使えません"));
    if (!month.isEmpty() && ledger::spanOf(month) != ledger::BudgetSpan::Month)
        return usage(QStringLiteral("--month は yyyy/mm です: %1").arg(app::clip(month)));
    if (!year.isEmpty() && ledger::spanOf(year) != ledger::BudgetSpan::Year)
        return usage(QStringLiteral("--year は yyyy です: %1").arg(app::clip(year)));
    if (verb == QLatin1String("list") && !month.isEmpty()) return usage(QStringLiteral("list には --year だけです"));
    if (group && !writes) return usage(QStringLiteral("--group は set と clear だけです"));
    if (verb == QLatin1String("report") && month.isEmpty() && year.isEmpty())
        return usage(QStringLiteral("report には --month か --year が必要です"));

    // Reading verbs read under no lock of their own, as export does; writing ones take it.
    if (!writes && !settleJournal(path)) return kUsage;
    db::Book book;
    QString error;
    if (!book.open(path, &error, !writes)) {
        tell(error);
        return kUsage;
    }
    if (writes && book.isReadOnly()) {
        const QString why = book.refusesWrites();
        tell(why.isEmpty() ? QStringLiteral("データベースに書き込めません: %1").arg(shown(path))
                           : QStringLiteral("%1: %2").arg(why, shown(path)));
        return kUsage;
    }
    app::Program program;
    if (!ledger::programOfTables(book.connection(), &program)) {
        tell(QStringLiteral("銀行帳でも家計簿でもありません: %1").arg(shown(path)));
        return kUsage;
    }
    if (!ledger::hasBudgets(book)) {
        tell(QStringLiteral("このデータベースには予算の表がありません。先に kakeibo upgrade %1 で更新してください")
                 .arg(shown(path)));
        return kUsage;
    }
    const QDate today = QDate::currentDate();
    if (verb == QLatin1String("list")) {
        const int y = year.isEmpty() ? today.year() : year.toInt();
        for (const QString& line : budgetListLines(book, program, y)) say(line);
        return kDone;
    }
    if (verb == QLatin1String("report")) {
        const ledger::Period p = month.isEmpty() ? ledger::Period{1, year.toInt(), 1}
                                                 : ledger::Period{0, month.left(4).toInt(), month.mid(5).toInt()};
        say(QStringLiteral("予算実績 %1").arg(ledger::periodName(p)));
        for (const QString& line : budgetReportLines(book, program, p, today)) say(line);
        return kDone;
    }
    const QString ym = !month.isEmpty() ? month : year;
    QString target = positional[2];
    std::optional<qint64> amount;
    if (verb == QLatin1String("set")) {
        const int eq = int(target.lastIndexOf(QLatin1Char('=')));
        if (eq < 0) return usage(QStringLiteral("set は 科目=金額 です: %1").arg(app::clip(target)));
        amount = ledger::parseBudget(target.mid(eq + 1));
        if (!amount) {
            tell(ledger::kBudgetRefusal);
            return kUsage;
        }
        target = target.left(eq);
    }
    if (group && !ledger::hasGroups(book)) {
        tell(QStringLiteral("このデータベースにはグループの表がありません。先に kakeibo upgrade %1 で更新してください")
                 .arg(shown(path)));
        return kUsage;
    }
    const auto code =
        group ? groupOf(book, target, !amount, &error) : categoryOf(book, program, target, !amount, &error);
    if (!code) {
        tell(error);
        return kUsage;
    }
    const ledger::BudgetWrite w =
        group ? ledger::writeGroupBudget(book, *code, ym, amount) : ledger::writeBudget(book, *code, ym, amount);
    if (!w.ok) {
        tell(w.error);
        return kUsage;
    }
    const QString span = ym.isEmpty() ? QStringLiteral("毎月") : ym;
    const QString whose = group ? QStringLiteral("グループの") : QString();
    say(amount ? QStringLiteral("%1予算を設定しました: %2 %3 %4").arg(whose).arg(*code).arg(span).arg(*amount)
               : QStringLiteral("%1予算を削除しました: %2 %3").arg(whose).arg(*code).arg(span));
    return kDone;
}
