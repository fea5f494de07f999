#include "ui/graph/GraphForm.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QCursor>
#include <QLineEdit>
#include <QLineSeries>
#include <QLocale>
#include <QScatterSeries>
#include <QToolTip>
#include <algorithm>

#include "core/db/Convert.h"
#include "core/db/Recordset.h"
#include "ui/shell/Inputs.h"
#include "ui/totals/TotalsForm.h"

namespace ui {
namespace {

// A value scale of round steps (1, 2 or 5 times a power of ten) that holds 0 and every value.
struct Scale {
    qint64 low, high, step;
};
Scale niceScale(qint64 lo, qint64 hi) {
    lo = std::min<qint64>(lo, 0);
    hi = std::max<qint64>(hi, 0);
    if (lo == hi) hi = lo + 1000;
    const qint64 raw = std::max<qint64>(1, (hi - lo + 4) / 5);
    qint64 step = 1;
    for (qint64 p = 1;; p *= 10) {
        if (p >= raw) {
            step = p;
            break;
        }
        if (2 * p >= raw) {
            step = 2 * p;
            break;
        }
        if (5 * p >= raw) {
            step = 5 * p;
            break;
        }
    }
    qint64 low = (lo >= 0 ? lo / step : -((-lo + step - 1) / step)) * step;
    qint64 high = (hi <= 0 ? -(-hi / step) : (hi + step - 1) / step) * step;
    // Room above the highest point (and below the lowest), so that no point sits on the frame.
    if (hi > 0 && high - hi < step / 2) high += step;
    if (lo < 0 && lo - low < step / 2) low -= step;
    return {low, high, step};
}

}  // namespace

GraphForm::GraphForm(app::Session& session, GraphConfig config, QWidget* parent)
    : PeriodForm(session, config.captionHead, QStringLiteral("グラフ"), config.setupUi, parent),
      m_config(std::move(config)) {
    connect(m_period, &PeriodControls::recompute, this, [this] {
        Hourglass wait;
        Build_Series();
    });

    m_itemCode = layoutPart<QLineEdit>(this, "txt_k_cd");
    markNumeric(m_itemCode);
    m_itemName = layoutPart<QComboBox>(this, "cmb_k_nm");

    auto build = [this](qint64) { Build_Series(); };
    if (m_config.bankControls) {
        pairBank(build, [this](qint64 code) { return m_built && m_built->bank == code; });
        onShiftLeft(m_itemCode, m_bankCode);
    }
    CodePair::Options item;
    item.minCode = 0;
    item.refusal = QStringLiteral("項目ｺｰﾄﾞは0～32767の整数で入力してください");
    item.chosen = build;
    item.isShown = [this](qint64 code) { return m_built && m_built->item == code; };
    m_itemPair = new CodePair(this, m_itemCode, m_itemName, item);

    m_view = layoutPart<QChartView>(this, "grp_S0101");
    m_view->chart()->legend()->hide();
    m_view->chart()->setMargins(QMargins(4, 4, 4, 4));
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->hide();
    setFillWidget(m_view);

    createFKeyBar(8, height() - 57, width() - 16);
    setFKey(10, QStringLiteral("終了"), [this] { close(); });

    setClockTitle([this] { return caption(); });
    m_period->showForMode(m_mode);
    if (m_bankCode) {
        const qint64 first = db::Get_Min(book(), QStringLiteral("T01"), QStringLiteral("CD"));
        m_bankCode->setText(first >= 1 ? QString::number(first) : QString());
    }
    m_itemCode->setText(QStringLiteral("0"));
    m_period->setToday();
    if (m_bankName) fillCodeCombo(m_bankName, session.rs_T01);
    Fill_GraphItemCombo();
    Build_Series();
}

void GraphForm::Fill_GraphItemCombo() {
    fillCodeCombo(m_itemName, m_config.program == app::Program::Bank ? session().rs_T02 : session().rs_T01,
                  QStringLiteral("0 残高"), 0);
}

void GraphForm::Build_Series() {
    const auto bank = db::parseWhole(m_bankCode ? m_bankCode->text() : QStringLiteral("0"));
    const auto item = db::parseWhole(m_itemCode->text());
    if (m_bankPair && bank) m_bankPair->select(*bank);
    if (item) m_itemPair->select(*item);

    m_view->hide();
    m_series.clear();
    if (!bank || !item || *item > db::kMaxCode) return;
    if (m_bankCode && (*bank < 1 || *bank > db::kMaxCode)) return;
    m_built = BuildKey{*bank, *item};
    const auto period = m_period->period(m_mode);
    if (!period) return;
    const ledger::SeriesData data = ledger::readSeries(book(), m_config.program, *bank, *item, *period);
    if (data.isEmpty()) return;
    setChartData(data);
    m_series = data;
    m_view->show();
}

void GraphForm::setChartData(const ledger::SeriesData& data) {
    QChart* chart = m_view->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* a : chart->axes()) {
        chart->removeAxis(a);
        delete a;
    }

    // One category per row, the row's label under its point. The axis wants distinct labels,
    // and several entries of one day share theirs: repeats get invisible zero-width spaces.
    auto* x = new QCategoryAxis;
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    x->setStartValue(-0.5);
    QHash<QString, int> seen;
    for (int i = 0; i < data.size(); ++i) {
        const int repeat = seen[data[i].label]++;
        x->append(data[i].label + QString(repeat, QChar(0x200B)), i);
    }
    x->setRange(-0.5, data.size() - 0.5);
    x->setGridLineVisible(false);
    if (data.size() > 16) x->setLabelsAngle(-90);

    qint64 lo = 0;
    qint64 hi = 0;
    bool any = false;
    for (const ledger::SeriesPoint& p : data) {
        if (!p.value) continue;
        lo = any ? std::min(lo, *p.value) : *p.value;
        hi = any ? std::max(hi, *p.value) : *p.value;
        any = true;
    }
    // Yen as whole numbers grouped by thousands ("35,000,000"), one label per round step.
    const Scale s = niceScale(lo, hi);
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    auto* y = new QCategoryAxis;
    y->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    y->setStartValue(static_cast<double>(s.low - s.step));
    for (qint64 v = s.low; v <= s.high; v += s.step) y->append(japanese.toString(v), static_cast<double>(v));
    y->setRange(static_cast<double>(s.low), static_cast<double>(s.high));

    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);

    // A row without a value is no point: the line is broken there, not drawn through it.
    const QColor colour(31, 100, 180);
    auto attach = [&](QXYSeries* series) {
        chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
    };
    QLineSeries* run = nullptr;
    auto* marks = new QScatterSeries;
    marks->setMarkerSize(8);
    marks->setColor(colour);
    marks->setBorderColor(colour);
    for (int i = 0; i < data.size(); ++i) {
        if (!data[i].value) {
            run = nullptr;
            continue;
        }
        const QPointF pt(i, static_cast<double>(*data[i].value));
        if (!run) {
            run = new QLineSeries;
            run->setPen(QPen(colour, 2));
            attach(run);
        }
        run->append(pt);
        marks->append(pt);
    }
    attach(marks);
    // A point tells its period and value when the pointer rests on it.
    connect(marks, &QScatterSeries::hovered, this, [this, data, japanese](const QPointF& point, bool over) {
        const int i = qRound(point.x());
        if (!over || i < 0 || i >= data.size() || !data[i].value) {
            QToolTip::hideText();
            m_hoverText.clear();
            return;
        }
        m_hoverText = data[i].label + QStringLiteral("  ") + japanese.toString(*data[i].value) + QStringLiteral("円");
        QToolTip::showText(QCursor::pos(), m_hoverText, m_view);
    });
}

}  // namespace ui
