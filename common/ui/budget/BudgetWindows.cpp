#include "ui/budget/BudgetWindows.h"

#include <QDate>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTimer>
#include <functional>

#include "core/db/Convert.h"
#include "core/ledger/PrintLayout.h"
#include "ui/io/CsvExport.h"
#include "ui/print/PrintWriters.h"
#include "ui/shell/CellEditor.h"
#include "ui/shell/Grid.h"
#include "ui/totals/TotalsForm.h"

namespace ui {
namespace {

const QColor kInheritedColor{128, 128, 128};
const QColor kOverColor{139, 0, 0};

// Draws a cell grey or dark red, and in its font, as its window says, and edits a cell in a
// numeric box whose text is selected, so that typing replaces it.
class ToneDelegate : public SelectingCellDelegate {
  public:
    ToneDelegate(std::function<std::optional<QColor>(const QModelIndex&)> tone, QObject* parent,
                 std::function<void(const QModelIndex&, QFont&)> font = {})
        : SelectingCellDelegate(parent), m_tone(std::move(tone)), m_font(std::move(font)) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        auto* e = new QLineEdit(parent);
        e->setObjectName(QStringLiteral("budgetCell"));
        e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        markNumeric(e);
        return e;
    }

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (const auto c = m_tone(index)) {
            option->palette.setColor(QPalette::Text, *c);
            option->palette.setColor(QPalette::HighlightedText, *c);
        }
        if (m_font) m_font(index, option->font);
    }

  private:
    std::function<std::optional<QColor>(const QModelIndex&)> m_tone;
    std::function<void(const QModelIndex&, QFont&)> m_font;
};

QString fourDigits(int y) { return QStringLiteral("%1").arg(y, 4, 10, QLatin1Char('0')); }

// The print side frame of the household book's totals, with the same names.
QFrame* sideFrame(FormBase* w, QRadioButton** front, QPushButton** print, QPushButton** cancel) {
    auto* f = new QFrame(w);
    f->setObjectName(QStringLiteral("frm_select_omote"));
    f->setFrameShape(QFrame::Box);
    f->setAutoFillBackground(true);
    f->setGeometry(0, 0, 240, 110);
    *front = new QRadioButton(QStringLiteral("表"), f);
    (*front)->setObjectName(QStringLiteral("Option1_0"));
    (*front)->setGeometry(20, 15, 80, 24);
    (*front)->setChecked(true);
    auto* back = new QRadioButton(QStringLiteral("裏"), f);
    back->setObjectName(QStringLiteral("Option1_1"));
    back->setGeometry(120, 15, 80, 24);
    *print = new QPushButton(QStringLiteral("印刷"), f);
    (*print)->setObjectName(QStringLiteral("Command6"));
    (*print)->setGeometry(20, 60, 90, 32);
    *cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), f);
    (*cancel)->setObjectName(QStringLiteral("Command8"));
    (*cancel)->setGeometry(130, 60, 90, 32);
    f->hide();
    return f;
}

// The period frames PeriodControls takes by name, as the totals windows' layouts hold them, each
// with its word inside, so that the month's goes with its frame in a year view.
void periodFrames(QWidget* w, int top) {
    auto frame = [&](const char* name, int x, const QString& word, const char* box, const char* back, const char* next,
                     int width) {
        auto* f = new QFrame(w);
        f->setObjectName(QLatin1String(name));
        f->setGeometry(x, top, width + 92, 32);
        auto* label = new QLabel(word, f);
        label->setGeometry(0, 6, 20, 20);
        auto* b = new QPushButton(QStringLiteral("<-"), f);
        b->setObjectName(QLatin1String(back));
        b->setGeometry(22, 2, 30, 28);
        b->setFocusPolicy(Qt::NoFocus);
        auto* e = new QLineEdit(f);
        e->setObjectName(QLatin1String(box));
        e->setGeometry(56, 2, width, 28);
        auto* n = new QPushButton(QStringLiteral("+>"), f);
        n->setObjectName(QLatin1String(next));
        n->setGeometry(60 + width, 2, 30, 28);
        n->setFocusPolicy(Qt::NoFocus);
    };
    frame("frm_syukei_mode_1", 8, QStringLiteral("年"), "txt_date1", "Command3", "Command2", 60);
    frame("frm_syukei_mode_0", 176, QStringLiteral("月"), "txt_date2", "Command4", "Command1", 40);
}

}  // namespace

// ---- 予算設定 ---------------------------------------------------------------------------------

BudgetWindow::BudgetWindow(app::Session& session, QWidget* parent)
    : FormBase(session, QStringLiteral("予算設定"), parent) {
    setObjectName(QStringLiteral("BudgetWindow"));
    resize(1080, 480);
    auto* label = new QLabel(QStringLiteral("年"), this);
    label->setGeometry(8, 12, 20, 20);
    m_year = new QLineEdit(this);
    m_year->setObjectName(QStringLiteral("txt_year"));
    m_year->setGeometry(28, 8, 60, 28);
    markNumeric(m_year);
    auto* hint = new QLabel(
        QStringLiteral("入力で置き換え、Enterで確定、Deleteで削除（月は毎月に戻ります）。灰色は毎月・月の合計"), this);
    hint->setGeometry(100, 12, 880, 20);

    m_grid = new FlexGrid(this);
    m_grid->setObjectName(QStringLiteral("budgetGrid"));
    m_grid->setGeometry(8, 44, 1064, 370);
    m_plan = new models::BudgetPlanModel(this);
    m_plan->setYear(session.now().date().year());
    m_grid->setGridModel(m_plan);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                            QAbstractItemView::EditKeyPressed);
    // A group line stands out in bold; its cell without the group's own budget shows its members'
    // sum, grey and italic.
    m_grid->setItemDelegate(new ToneDelegate(
        [this](const QModelIndex& i) -> std::optional<QColor> {
            if (m_plan->inherited(i.row(), i.column()) || m_plan->fromMembers(i.row(), i.column()))
                return kInheritedColor;
            return std::nullopt;
        },
        m_grid,
        [this](const QModelIndex& i, QFont& f) {
            f.setBold(m_plan->groupAt(i.row()));
            f.setItalic(m_plan->fromMembers(i.row(), i.column()));
        }));
    m_grid->setColWidthTwips(0, 600);
    m_grid->setColWidthTwips(1, 1800);
    m_grid->setColWidthTwips(2, 600);
    for (int c = models::BudgetPlanModel::kDefaultColumn; c <= models::BudgetPlanModel::kYearColumn; ++c)
        m_grid->setColWidthTwips(c, c == models::BudgetPlanModel::kYearColumn ? 1200 : 880);
    setFillWidget(m_grid);
    // The cell is written once the editor has closed: the view must not be reset under it.
    m_plan->edited = [this](int row, int column, const QString& text) {
        QTimer::singleShot(0, this, [this, row, column, text] { commitCell(row, column, text); });
    };
    connect(m_grid, &FlexGrid::deletePressed, this, [this] {
        const QModelIndex i = m_grid->currentIndex();
        if (i.isValid()) removeCell(i.row(), i.column());
    });
    onEnter(m_year, [this] {
        const auto y = db::parseWhole(m_year->text());
        if (!y || *y < 1900 || *y > 9999) {
            refuse(m_year, QStringLiteral("年は1900～9999の整数で入力してください"));
            return false;
        }
        showYear(int(*y));
        m_grid->setFocus();
        return false;
    });
    addCsvExport(this, m_grid,
                 [this] { return modelExport(*m_plan, QStringLiteral("予算設定_%1.csv").arg(fourDigits(year()))); });

    createFKeyBar(8, height() - 57, width() - 16);
    setFKey(2, QStringLiteral("印刷"),
            [this] { FormBase::printRun(this->session().flg_Front, [this] { Print_Budget(); }); });
    setFKey(6, QStringLiteral("前年"), [this] { showYear(std::max(1900, year() - 1)); });
    setFKey(7, QStringLiteral("翌年"), [this] { showYear(std::min(9999, year() + 1)); });
    setFKey(10, QStringLiteral("終了"), [this] { close(); });
    // The grid first: the window is opened to type budgets.
    setTabOrder(m_grid, m_year);
    setLayoutKeys(QStringLiteral("B01Plan"));
    restoreLayout();
    showYear(m_plan->year());
    m_grid->setCurrentIndex(m_plan->index(0, models::BudgetPlanModel::kDefaultColumn));
}

void BudgetWindow::showYear(int year) {
    m_plan->setYear(year);
    m_year->setText(fourDigits(year));
    reload();
}

void BudgetWindow::reload() {
    const QModelIndex at = m_grid->currentIndex();
    const auto rows = ledger::hasBudgets(book()) ? ledger::readGroupedBudgetPlan(book(), session().program(), year())
                                                 : std::optional<QList<ledger::BudgetPlanRow>>();
    m_plan->setRows(rows.value_or(QList<ledger::BudgetPlanRow>{}));
    if (at.isValid()) m_grid->setCurrentIndex(m_plan->index(std::min(at.row(), m_plan->rowCount() - 1), at.column()));
}

void BudgetWindow::commitCell(int row, int column, const QString& text) {
    if (text.trimmed().isEmpty()) return;  // an emptied cell is removed with Delete, never by accident
    const auto amount = ledger::parseBudget(text);
    if (!amount) {
        refuseText(ledger::kBudgetRefusal, true);
        return;
    }
    write(row, column, amount);
}

void BudgetWindow::removeCell(int row, int column) { write(row, column, std::nullopt); }

void BudgetWindow::write(int row, int column, std::optional<qint64> amount) {
    const ledger::BudgetPlanRow* r = m_plan->rowAt(row);
    const auto ym = m_plan->ymOf(column);
    if (!r || !ym || refuseReadOnly()) return;
    // A group line's cell is the group's own budget (B02).
    const ledger::BudgetWrite w = r->group ? ledger::writeGroupBudget(book(), r->code, *ym, amount)
                                           : ledger::writeBudget(book(), r->code, *ym, amount);
    if (!w.ok) {
        refuseText(w.error, true);
        return;
    }
    session().recordChange(w.change);
    reload();
}

void BudgetWindow::Print_Budget() {
    const QString title = QStringLiteral("予算設定  %1年").arg(fourDigits(year()));
    const bool purse = session().program() == app::Program::Purse;
    printDocument(session(), this, QStringLiteral("予算設定"), [this, title, purse](print::PageWriter& out) {
        bool front = session().flg_Front;
        return print::printBudgetPlan(out, title, m_plan->rowTexts(), purse ? &front : nullptr);
    });
}

// ---- 予算実績 ---------------------------------------------------------------------------------

BudgetReportWindow::BudgetReportWindow(app::Session& session, QWidget* parent)
    : FormBase(session, QStringLiteral("予算実績"), parent) {
    setObjectName(QStringLiteral("BudgetReportWindow"));
    resize(900, 520);
    periodFrames(this, 8);
    m_period = new PeriodControls(this);
    connect(m_period, &PeriodControls::recompute, this, &BudgetReportWindow::recompute);

    m_grid = new FlexGrid(this);
    m_grid->setObjectName(QStringLiteral("budgetReportGrid"));
    m_grid->setGeometry(8, 48, 884, 400);
    m_report = new models::BudgetReportModel(this);
    m_grid->setGridModel(m_report);
    m_grid->setItemDelegate(new ToneDelegate(
        [this](const QModelIndex& i) -> std::optional<QColor> {
            if (m_report->overAt(i.row())) return kOverColor;
            return std::nullopt;
        },
        m_grid, [this](const QModelIndex& i, QFont& f) { f.setBold(m_report->groupAt(i.row())); }));
    const int widths[] = {600, 2400, 600, 1300, 1300, 1300, 900, 600, 1500};
    for (int c = 0; c < 9; ++c) m_grid->setColWidthTwips(c, widths[c]);
    setFillWidget(m_grid);
    addCsvExport(this, m_grid, [this] {
        QString name = caption() + QLatin1Char('_') + yearBox()->text();
        if (m_mode == 0) name += QLatin1Char('-') + monthBox()->text();
        return modelExport(*m_report, name + QStringLiteral(".csv"));
    });

    createFKeyBar(8, height() - 57, width() - 16);
    setPrintKey(&m_side, [this] { printRun(); });
    setFKey(3, QStringLiteral("月"), [this] { setMode(0); });
    setFKey(4, QStringLiteral("年"), [this] { setMode(1); });
    setFKey(10, QStringLiteral("終了"), [this] { close(); });
    if (session.program() == app::Program::Purse) {
        // Which side of the sheet the first page goes on, as the household totals ask.
        QPushButton *print = nullptr, *cancel = nullptr;
        m_side = sideFrame(this, &m_front, &print, &cancel);
        connect(print, &QPushButton::clicked, this, [this] {
            m_side->hide();
            FormBase::printRun(m_front->isChecked(), [this] { Print_Report(); });
        });
        connect(cancel, &QPushButton::clicked, this, [this] { m_side->hide(); });
    }
    m_period->setToday();
    setLayoutKeys(QStringLiteral("B01Report"));
    restoreLayout();
    setClockTitle([this] { return caption(); });
    setMode(session.periodMode == 1 ? 1 : 0);
}

QLineEdit* BudgetReportWindow::yearBox() const { return m_period->yearBox(); }
QLineEdit* BudgetReportWindow::monthBox() const { return m_period->monthBox(); }

QString BudgetReportWindow::caption() const {
    return m_mode == 1 ? QStringLiteral("予算実績（年）") : QStringLiteral("予算実績（月）");
}

void BudgetReportWindow::setMode(int mode) {
    m_mode = mode == 1 ? 1 : 0;
    setWindowTitle(caption());
    m_period->showForMode(m_mode);
    recompute();
}

void BudgetReportWindow::recompute() {
    Hourglass wait;
    const auto period = m_period->period(m_mode);
    if (!period) {
        m_report->clear();
        return;
    }
    const ledger::BudgetReport r = ledger::budgetReport(book(), session().program(), *period, session().now().date());
    m_report->setRows(r.lines);
}

void BudgetReportWindow::printRun() {
    FormBase::printRun(session().flg_Front, [this] { Print_Report(); });
}

void BudgetReportWindow::Print_Report() {
    const auto period = m_period->period(m_mode);
    if (!period) return;
    const QString title = QStringLiteral("予算実績  %1").arg(ledger::periodName(*period));
    const bool purse = session().program() == app::Program::Purse;
    printDocument(session(), this, QStringLiteral("予算実績"), [this, title, purse](print::PageWriter& out) {
        // The bank book's totals carry no side: always the back-side margin, as there.
        return print::printBudgetReport(out, title, m_report->rowTexts(), purse ? &session().flg_Front : nullptr);
    });
}

}  // namespace ui
