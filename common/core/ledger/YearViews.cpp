#include "core/ledger/YearViews.h"

#include <QHash>

#include "core/ledger/Budget.h"
#include "core/ledger/Transfer.h"

namespace ledger {
namespace {

QString monthKey(const QDate& d) { return d.toString(QStringLiteral("yyyy/MM")); }
QString dayKey(const QDate& d) { return d.toString(QStringLiteral("yyyy/MM/dd")); }

// Each category's budget for the span: its yearly row of the span's year, else the sum of its
// twelve months (a span from a later start month takes its last months from the next year's
// plan). One grouped read per calendar year the span touches.
std::optional<QHash<qint64, qint64>> spanBudgets(db::Book& book, app::Program program, const YearSpan& span) {
    QHash<qint64, qint64> out;
    if (!hasBudgets(book)) return out;
    const auto first = readBudgetPlan(book, program, span.year);
    if (!first) return std::nullopt;
    std::optional<QList<BudgetPlanRow>> second;
    if (span.startMonth > 1) {
        second = readBudgetPlan(book, program, span.year + 1);
        if (!second) return std::nullopt;
    }
    QHash<qint64, const BudgetPlanRow*> next;
    if (second)
        for (const BudgetPlanRow& r : *second) next.insert(r.code, &r);
    for (const BudgetPlanRow& r : *first) {
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
        // Signed as the line's amounts; the sums and the balance add up their lines' budgets.
        qint64 income = 0, expense = 0;
        for (const YearLine& l : t.lines) {
            if (l.kind != YearLineKind::Category) continue;
            (l.income ? income : expense) += plan->value(l.code);
        }
        const auto budgetOf = [&](const YearLine& l) -> std::optional<qint64> {
            switch (l.kind) {
                case YearLineKind::Category:
                    return l.income ? plan->value(l.code) : -plan->value(l.code);
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
