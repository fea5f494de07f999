#include "core/ledger/YearViews.h"

#include <QHash>
#include <algorithm>

#include "core/ledger/Budget.h"
#include "core/ledger/Transfer.h"

namespace ledger {
namespace {

QString monthKey(const QDate& d) { return d.toString(QStringLiteral("yyyy/MM")); }
QString dayKey(const QDate& d) { return d.toString(QStringLiteral("yyyy/MM/dd")); }

// Each row's budget for the span: its yearly row of the span's year, else the sum of its twelve
// months (a span from a later start month takes its last months from the next year's plan).
QHash<qint64, qint64> budgetsOverSpan(const YearSpan& span, const QList<BudgetPlanRow>& first,
                                      const std::optional<QList<BudgetPlanRow>>& second) {
    QHash<qint64, qint64> out;
    QHash<qint64, const BudgetPlanRow*> next;
    if (second)
        for (const BudgetPlanRow& r : *second) next.insert(r.code, &r);
    for (const BudgetPlanRow& r : first) {
        if (r.yearly) {
            out.insert(r.code, *r.yearly);
            continue;
        }
        std::optional<qint64> sum;
        for (int i = 0; i < kYearMonths; ++i) {
            const QDate m = span.monthOf(i);
            const BudgetPlanRow* row = m.year() == span.year ? &r : next.value(r.code);
            if (const auto b = row ? row->month(m.month()) : std::nullopt) sum = sum.value_or(0) + *b;
        }
        if (sum) out.insert(r.code, *sum);
    }
    return out;
}

struct SpanBudgets {
    QHash<qint64, qint64> categories;
    QHash<qint64, qint64> groups;  // the groups' own budgets, by G01 CD
};

// The categories' and the groups' budgets for the span: one grouped read of each per calendar
// year the span touches.
std::optional<SpanBudgets> spanBudgets(db::Book& book, app::Program program, const YearSpan& span) {
    SpanBudgets out;
    if (!hasBudgets(book)) return out;
    const bool later = span.startMonth > 1;
    const auto first = readBudgetPlan(book, program, span.year);
    const auto second = later ? readBudgetPlan(book, program, span.year + 1) : std::nullopt;
    const auto groupFirst = readGroupBudgetPlan(book, span.year);
    const auto groupSecond = later ? readGroupBudgetPlan(book, span.year + 1) : std::nullopt;
    if (!first || !groupFirst || (later && (!second || !groupSecond))) return std::nullopt;
    out.categories = budgetsOverSpan(span, *first, second);
    out.groups = budgetsOverSpan(span, *groupFirst, groupSecond);
    return out;
}

}  // namespace

bool yearBudgetsApply(const YearQuery& query) { return query.program == app::Program::Purse || !query.bank; }

YearTable readYearView(db::Book& book, YearQuery query, bool budgets) {
    const bool acrossBanks = query.program == app::Program::Bank && !query.bank && holdsTransfers(book);
    if (acrossBanks) query.excludeRowsSql = QStringLiteral("NOT ") + notLinkedCondition(book);
    YearTable t = readYearTable(book, query);
    if (!t.ok) return t;

    if (budgets && yearBudgetsApply(query)) {
        const auto plan = spanBudgets(book, query.program, query.span);
        if (!plan) {
            t.ok = false;
            return t;
        }
        // Signed as the line's amounts. A group line has its group's own budget where it has one,
        // else its lines' budgets; the sums add up the group lines where the kind has them, so
        // that a group's own budget stands for its members' and is never counted beside them.
        QHash<qint64, qint64> ofGroup[2];  // by income, then G01 CD (0: 未分類)
        qint64 income = 0, expense = 0;
        for (const YearLine& l : t.lines)
            if (l.kind == YearLineKind::Category) ofGroup[l.income][l.group] += plan->categories.value(l.code);
        const auto unsignedBudget = [&](const YearLine& l) {
            if (l.kind == YearLineKind::Category) return plan->categories.value(l.code);
            if (l.code != 0 && plan->groups.contains(l.code)) return plan->groups.value(l.code);
            return ofGroup[l.income].value(l.code);
        };
        const bool grouped[2] = {
            std::any_of(t.lines.begin(), t.lines.end(),
                        [](const YearLine& l) { return l.kind == YearLineKind::Group && !l.income; }),
            std::any_of(t.lines.begin(), t.lines.end(),
                        [](const YearLine& l) { return l.kind == YearLineKind::Group && l.income; })};
        for (const YearLine& l : t.lines) {
            const YearLineKind counted = grouped[l.income] ? YearLineKind::Group : YearLineKind::Category;
            if (l.kind == counted) (l.income ? income : expense) += unsignedBudget(l);
        }
        const auto budgetOf = [&](const YearLine& l) -> std::optional<qint64> {
            switch (l.kind) {
                case YearLineKind::Category:
                case YearLineKind::Group:
                    return l.income ? unsignedBudget(l) : -unsignedBudget(l);
                case YearLineKind::Subtotal:
                    return l.income ? income : -expense;
                case YearLineKind::Balance:
                    return income - expense;
                case YearLineKind::Extra:
                    break;
            }
            return std::nullopt;
        };
        addYearColumn(t, QStringLiteral("予算"), budgetOf);
        addYearColumn(t, QStringLiteral("差額"), [&](const YearLine& l) -> std::optional<qint64> {
            const auto b = budgetOf(l);
            return b ? std::optional(l.total - *b) : std::nullopt;
        });
    }

    if (acrossBanks) {
        const QDate first = query.span.first();
        const auto moved = transferMonths(book, dayKey(first), dayKey(first.addMonths(kYearMonths)));
        if (!moved) {
            t.ok = false;
            return t;
        }
        std::array<qint64, kYearMonths> months{};
        for (int i = 0; i < kYearMonths; ++i) months[i] = moved->value(monthKey(query.span.monthOf(i)));
        addYearLine(t, QStringLiteral("振替"), months);
    }
    return t;
}

}  // namespace ledger
