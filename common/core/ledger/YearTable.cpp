#include "core/ledger/YearTable.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <map>

#include "core/ledger/Groups.h"
#include "core/ledger/Masters.h"
#include "core/ledger/Totals.h"

namespace ledger {

QString YearSpan::title() const {
    return startMonth == 1 ? QStringLiteral("%1年").arg(year) : QStringLiteral("%1年度").arg(year);
}

namespace {
const QString kGroupLineSuffix = QStringLiteral("小計");
}

QString groupLineName(const QString& group) { return group + kGroupLineSuffix; }

QString groupOfLine(const QString& lineName) {
    return lineName.endsWith(kGroupLineSuffix) ? lineName.chopped(kGroupLineSuffix.size()) : lineName;
}

int monthsBegun(const YearSpan& span, const QDate& today) {
    const QDate first = span.first();
    if (!today.isValid() || today < first) return 0;
    const int n = (today.year() - first.year()) * 12 + today.month() - first.month() + 1;
    return std::min(n, kYearMonths);
}

namespace {

QString dateText(const QDate& d) { return d.toString(QStringLiteral("yyyy/MM/dd")); }

void finish(YearLine& line, int begun) {
    line.total = 0;
    for (qint64 m : line.months) line.total += m;
    // As the totals windows' 平均: C++ division truncates toward zero.
    line.average = begun > 0 ? std::optional<qint64>(line.total / begun) : std::nullopt;
}

YearLine sumLine(YearLineKind kind, const QString& name, bool income) {
    YearLine l;
    l.kind = kind;
    l.name = name;
    l.income = income;
    return l;
}

void addInto(YearLine& to, const YearLine& from) {
    for (int i = 0; i < kYearMonths; ++i) to.months[i] += from.months[i];
}

// One kind's lines (in code order) as the table shows them, added into its subtotal: under their
// groups with a line each, when the kind has groups.
QList<YearLine> kindLines(const QList<YearLine>& lines, bool income, const GroupMap& groups, YearLine& subtotal,
                          int begun) {
    QList<YearLine> out;
    for (const YearLine& l : lines) addInto(subtotal, l);
    if (!groups.groupsKind(income)) return lines;
    auto block = [&](qint64 group, const QString& name) {
        YearLine sum = sumLine(YearLineKind::Group, groupLineName(name), income);
        sum.code = group;
        for (const YearLine& l : lines)
            if (l.group == group) {
                out << l;
                addInto(sum, l);
            }
        finish(sum, begun);
        out << sum;
    };
    for (const Group& g : groups.groups)
        if (g.income() == income) block(g.cd, g.name);
    block(0, kUngrouped);
    return out;
}

}  // namespace

YearTable readYearTable(db::Book& book, const YearQuery& query) {
    YearTable t;
    t.span = query.span;
    t.monthsBegun = monthsBegun(query.span, query.today);
    const bool bank = query.program == app::Program::Bank;
    const bool oneBank = bank && query.bank.has_value();
    const QDate first = query.span.first();
    // One pass over the span's dates (one bank: through its bank-and-date index), summed per item
    // and month; the sums are joined with the master, one look-up per item and month.
    const QString sql =
        QStringLiteral(
            "SELECT G.K_CD, I.NM, I.KIND, G.M, G.S FROM (SELECT K_CD, substr(K_DATE, 1, 7) AS M, SUM(%1) AS S "
            "FROM S01 WHERE %3K_DATE >= ? AND K_DATE < ?%4 GROUP BY K_CD, M) AS G "
            "JOIN %2 AS I ON I.CD = G.K_CD ORDER BY G.K_CD")
            .arg(
                yenSql(QStringLiteral("KINGAKU")), bank ? QStringLiteral("T02") : QStringLiteral("T01"),
                oneBank ? QStringLiteral("B_CD = ? AND ") : QString(),
                query.excludeRowsSql.isEmpty() ? QString() : QStringLiteral(" AND NOT (%1)").arg(query.excludeRowsSql));
    QSqlQuery q(book.connection());
    q.setForwardOnly(true);
    if (!q.prepare(sql)) return t;
    if (oneBank) q.addBindValue(*query.bank);
    q.addBindValue(dateText(first));
    q.addBindValue(dateText(first.addMonths(kYearMonths)));
    if (!q.exec()) return t;

    // "yyyy/mm" to its column.
    QHash<QString, int> column;
    for (int i = 0; i < kYearMonths; ++i) column.insert(query.span.monthOf(i).toString(QStringLiteral("yyyy/MM")), i);
    std::map<qint64, YearLine> byCode;
    while (q.next()) {
        const qint64 code = q.value(0).toLongLong();
        auto it = byCode.find(code);
        if (it == byCode.end()) {
            YearLine l;
            l.code = code;
            l.name = q.value(1).toString();
            l.kindName = kindName(q.value(2));
            l.income = isIncome(q.value(2));
            it = byCode.emplace(code, l).first;
        }
        const int c = column.value(q.value(3).toString(), -1);
        if (c < 0) continue;  // a date of another shape sorts inside the range but names no month
        const qint64 sum = q.value(4).toLongLong();
        it->second.months[c] += it->second.income ? sum : -sum;
    }
    if (q.lastError().isValid()) return t;
    const GroupMap groups = readGroupMap(book, query.program);
    if (!groups.ok) return t;

    YearLine income = sumLine(YearLineKind::Subtotal, QStringLiteral("収入計"), true);
    YearLine expense = sumLine(YearLineKind::Subtotal, QStringLiteral("支出計"), false);
    QList<YearLine> incomes, expenses;
    for (auto& [code, line] : byCode) {
        finish(line, t.monthsBegun);
        line.group = groups.of(code).value_or(0);
        (line.income ? incomes : expenses) << line;
    }
    incomes = kindLines(incomes, true, groups, income, t.monthsBegun);
    expenses = kindLines(expenses, false, groups, expense, t.monthsBegun);
    finish(income, t.monthsBegun);
    finish(expense, t.monthsBegun);
    YearLine balance = sumLine(YearLineKind::Balance, QStringLiteral("収支"), true);
    addInto(balance, income);
    addInto(balance, expense);
    finish(balance, t.monthsBegun);
    t.lines << incomes << income << expenses << expense << balance;
    t.ok = true;
    return t;
}

void addYearColumn(YearTable& table, const QString& header,
                   const std::function<std::optional<qint64>(const YearLine&)>& value) {
    table.extraHeaders << header;
    for (YearLine& l : table.lines) l.extra << value(l);
}

void addYearLine(YearTable& table, const QString& label, const std::array<qint64, kYearMonths>& months) {
    YearLine l = sumLine(YearLineKind::Extra, label, false);
    l.months = months;
    finish(l, table.monthsBegun);
    for (int i = 0; i < table.extraHeaders.size(); ++i) l.extra << std::nullopt;
    table.lines << l;
    ++table.extraLines;
}

QStringList yearHeader(const YearTable& table, app::Program program) {
    const bool bank = program == app::Program::Bank;
    QStringList h{bank ? QStringLiteral("項目ｺｰﾄﾞ") : QStringLiteral("科目ｺｰﾄﾞ"),
                  bank ? QStringLiteral("項目名") : QStringLiteral("科目名"),
                  bank ? QStringLiteral("項目分類") : QStringLiteral("科目分類")};
    for (int i = 0; i < kYearMonths; ++i) h << QStringLiteral("%1月").arg(table.span.monthOf(i).month());
    h << QStringLiteral("年計") << QStringLiteral("月平均") << table.extraHeaders;
    return h;
}

QStringList yearCells(const YearLine& line) {
    QStringList c{line.kind == YearLineKind::Category ? QString::number(line.code) : QString(), line.name,
                  line.kindName};
    for (qint64 m : line.months) c << QString::number(m);
    c << QString::number(line.total) << (line.average ? QString::number(*line.average) : QStringLiteral("—"));
    for (const auto& e : line.extra) c << (e ? QString::number(*e) : QString());
    return c;
}

bool printYearTable(print::PageWriter& out, const QString& title, const QStringList& header, const print::Rows& rows) {
    // At 10 points a column is 10/14 of the design's: some 200 columns across A4 landscape, room
    // for an 18-column name and fifteen amounts of up to ten digits and a sign.
    constexpr int kRowsPerSheet = 36;
    constexpr double kName = 3, kFirstAmount = 22, kAmountWidth = 11.5, kRowHeight = 1.1;
    const int sheets = std::max<int>(1, (int(rows.size()) + kRowsPerSheet - 1) / kRowsPerSheet);
    for (int s = 0; s < sheets; ++s) {
        if (!out.beginPage()) return false;
        out.setFont(14, true);
        out.putText(0, 3, title);
        out.setFont(10, false);
        const QString page = QStringLiteral("%1 / %2").arg(s + 1).arg(sheets);
        out.putText(1, kFirstAmount + 15 * kAmountWidth - out.textWidth(page), page);
        auto putRow = [&](double line, const QStringList& cells) {
            out.putText(line, kName, cells.value(1));
            for (int c = kYearFirstMonthColumn; c < cells.size(); ++c) {
                const double right = kFirstAmount + (c - kYearFirstMonthColumn + 1) * kAmountWidth;
                out.putText(line, right - out.textWidth(cells[c]), cells[c]);
            }
        };
        putRow(3, header);
        for (int r = s * kRowsPerSheet; r < std::min<int>(rows.size(), (s + 1) * kRowsPerSheet); ++r)
            putRow(4 + (r - s * kRowsPerSheet) * kRowHeight, rows[r]);
        if (!out.endPage()) return false;
    }
    return true;
}

QList<PieSlice> makePie(const QList<PieSlice>& amounts) {
    QList<PieSlice> slices;
    qint64 whole = 0;
    for (const PieSlice& a : amounts)
        if (a.amount > 0) {
            slices << a;
            whole += a.amount;
        }
    if (whole == 0) return {};
    std::stable_sort(slices.begin(), slices.end(),
                     [](const PieSlice& a, const PieSlice& b) { return a.amount > b.amount; });
    QList<PieSlice> out;
    PieSlice others{0, kPieOthers, 0, 0};
    for (const PieSlice& s : slices) {
        // Under 3 %: 100 * amount < 3 * whole, in integers so that exactly 3 % stays a slice.
        if (100 * s.amount < 3 * whole)
            others.amount += s.amount;
        else
            out << s;
    }
    if (others.amount > 0) out << others;
    // Largest remainder: every slice its whole per cents, the points left over to the largest
    // remainders (ties to the larger slice, which comes first).
    int given = 0;
    QList<std::pair<qint64, int>> remainders;
    for (int i = 0; i < out.size(); ++i) {
        out[i].percent = int(100 * out[i].amount / whole);
        given += out[i].percent;
        remainders.append({100 * out[i].amount % whole, i});
    }
    std::stable_sort(remainders.begin(), remainders.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    for (int k = 0; given < 100 && k < remainders.size(); ++k, ++given) ++out[remainders[k].second].percent;
    return out;
}

QList<PieSlice> pieOfYear(const YearTable& table, bool income, int column, bool byGroup) {
    const auto amount = [&](const YearLine& l) {
        const qint64 v = column < 0 ? l.total : l.months[std::clamp(column, 0, kYearMonths - 1)];
        return income ? v : -v;
    };
    QList<PieSlice> amounts;
    const bool grouped = std::any_of(table.lines.begin(), table.lines.end(), [&](const YearLine& l) {
        return l.kind == YearLineKind::Group && l.income == income;
    });
    for (const YearLine& l : table.lines) {
        if (l.income != income) continue;
        if (!byGroup && l.kind == YearLineKind::Category)
            amounts << PieSlice{l.code, l.name, amount(l), 0};
        else if (byGroup && grouped && l.kind == YearLineKind::Group)
            amounts << PieSlice{l.code, groupOfLine(l.name), amount(l), 0};
        else if (byGroup && !grouped && l.kind == YearLineKind::Subtotal)
            amounts << PieSlice{0, kUngrouped, amount(l), 0};  // a kind of no group is all 未分類
    }
    return makePie(amounts);
}

bool printPieSlices(print::PageWriter& out, const QString& title, const QList<PieSlice>& slices, double pictureLines,
                    const std::function<void(double line, double lines)>& picture) {
    if (!out.beginPage()) return false;
    out.setFont(14, true);
    out.putText(0, print::kBackMargin + 1, title);
    out.setFont(12, false);
    if (picture) picture(2, pictureLines);
    double line = 2 + (picture ? pictureLines + 1 : 0);
    auto right = [&](double at, const QString& t) { out.putText(line, at - out.textWidth(t), t); };
    out.putText(line, print::kBackMargin + 1, QStringLiteral("名称"));
    right(50, QStringLiteral("金額"));
    right(60, QStringLiteral("割合"));
    for (const PieSlice& s : slices) {
        line += 1;
        out.putText(line, print::kBackMargin + 1, s.name);
        right(50, QString::number(s.amount));
        right(60, QStringLiteral("%1%").arg(s.percent));
    }
    return out.endPage();
}

}  // namespace ledger
