#include "ui/year/YearForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyledItemDelegate>

#include "core/db/Convert.h"
#include "core/ledger/YearViews.h"
#include "core/models/YearModels.h"
#include "core/settings/Settings.h"
#include "ui/io/CsvExport.h"
#include "ui/io/SearchWindow.h"
#include "ui/print/PrintWriters.h"
#include "ui/shell/Grid.h"
#include "ui_Year.h"

namespace ui {

namespace {
const QString kSection = QStringLiteral("year");
const QString kStartKey = QStringLiteral("startMonth");
constexpr int kMinYear = 1900;
constexpr int kMaxYear = 9998;  // a span that starts late in the year ends in the next one

// Draws a group's subtotal line in bold, set off from the category lines above it that it adds.
class GroupLineDelegate : public QStyledItemDelegate {
  public:
    GroupLineDelegate(const models::YearModel* model, QObject* parent) : QStyledItemDelegate(parent), m_model(model) {}

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (m_model->groupLineAt(index.row())) option->font.setBold(true);
    }

  private:
    const models::YearModel* m_model;
};
}  // namespace

int storedStartMonth() {
    const auto m = db::parseWhole(settings::getSectionValue(kSection, kStartKey, QStringLiteral("1")));
    return m && *m >= 1 && *m <= 12 ? int(*m) : 1;
}

YearForm::YearForm(app::Session& session, int year, std::optional<qint64> bank, QWidget* parent)
    : FormBase(session, QStringLiteral("年間収支表"), parent), ui(std::make_unique<Ui::Year>()) {
    ui->setupUi(this);
    setWindowTitle(title());
    const bool bankBook = session.program() == app::Program::Bank;
    m_span = {std::clamp(year, kMinYear, kMaxYear), storedStartMonth()};
    m_bank = bankBook ? bank : std::nullopt;

    markNumeric(ui->yearEdit);
    ui->yearEdit->setText(QString::number(m_span.year));
    for (int m = 1; m <= 12; ++m) ui->startMonthCombo->addItem(QStringLiteral("%1月").arg(m), m);
    ui->startMonthCombo->setCurrentIndex(m_span.startMonth - 1);
    ui->bankLabel->setVisible(bankBook);
    ui->bankCombo->setVisible(bankBook);
    if (bankBook) {
        ui->bankCombo->addItem(QStringLiteral("すべての銀行"), QVariant());
        for (const ledger::MasterRow& b : session.rs_T01.rows())
            ui->bankCombo->addItem(QStringLiteral("%1 %2").arg(b.cd).arg(b.nm), b.cd);
        const int at = m_bank ? ui->bankCombo->findData(*m_bank) : 0;
        ui->bankCombo->setCurrentIndex(std::max(0, at));
    }

    m_model = new models::YearModel(session.program(), this);
    ui->yearGrid->setGridModel(m_model);
    ui->yearGrid->setItemDelegate(new GroupLineDelegate(m_model, ui->yearGrid));
    ui->yearGrid->setHeader(0, m_model->headerText(0), 700);
    ui->yearGrid->setHeader(1, m_model->headerText(1), 1800);
    ui->yearGrid->setHeader(2, m_model->headerText(2), 700);
    for (int c = ledger::kYearFirstMonthColumn; c < m_model->columnCount(); ++c)
        ui->yearGrid->setHeader(c, m_model->headerData(c, Qt::Horizontal).toString(), 1100);
    setFillWidget(ui->yearGrid);

    onEnter(ui->yearEdit, [this] {
        const auto y = db::parseWhole(ui->yearEdit->text());
        if (!y || *y < kMinYear || *y > kMaxYear) {
            refuse(ui->yearEdit, QStringLiteral("年は1900～9998の整数で入力してください"));
            return false;
        }
        recompute();
        return true;
    });
    connect(ui->startMonthCombo, &QComboBox::activated, this, [this] {
        // The start month is the household's way of counting its year: kept for the next time.
        settings::saveSectionValue(kSection, kStartKey, QString::number(ui->startMonthCombo->currentData().toInt()));
        recompute();
    });
    connect(ui->bankCombo, &QComboBox::activated, this, [this] { recompute(); });
    // 予算 and 差額 per line for the year, beside 月平均.
    connect(ui->budgetCheck, &QCheckBox::toggled, this, [this] { recompute(); });
    // Enter or a double-click on a cell lists the rows behind it.
    connect(ui->yearGrid, &QAbstractItemView::activated, this,
            [this](const QModelIndex& i) { searchCell(i.row(), i.column()); });

    addCsvExport(this, ui->yearGrid, [this] {
        QString name = QStringLiteral("年間収支表_") + m_span.title();
        if (m_bank) name += QStringLiteral("_銀行%1").arg(*m_bank);
        return modelExport(*m_model, name + QStringLiteral(".csv"));
    });
    setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), [this] {
        // The pie of the month under the cursor, or of the year elsewhere.
        const auto month = models::YearModel::monthOfColumn(ui->yearGrid->currentIndex().column());
        openPie(this, PieChoice{m_span, m_bank, month ? *month : -1, false});
    });

    createFKeyBar(8, height() - 57, width() - 16);
    setFKey(2, QStringLiteral("印刷"), [this] { printTable(); });
    setFKey(6, QStringLiteral("前年"), [this] { stepYear(-1); });
    setFKey(7, QStringLiteral("翌年"), [this] { stepYear(1); });
    setFKey(10, QStringLiteral("終了"), [this] { close(); });
    recompute();
}

YearForm::~YearForm() = default;

const ledger::YearTable& YearForm::table() const { return m_model->table(); }
FlexGrid* YearForm::grid() const { return ui->yearGrid; }

void YearForm::recompute() {
    Hourglass wait;
    if (const auto y = db::parseWhole(ui->yearEdit->text()); y && *y >= kMinYear && *y <= kMaxYear)
        m_span.year = int(*y);
    m_span.startMonth = ui->startMonthCombo->currentData().toInt();
    if (session().program() == app::Program::Bank) {
        const QVariant b = ui->bankCombo->currentData();
        m_bank = b.isValid() ? std::optional<qint64>(b.toLongLong()) : std::nullopt;
    }
    ledger::YearQuery q;
    q.program = session().program();
    q.span = m_span;
    q.bank = m_bank;
    q.today = session().now().date();
    // A bank book's budget covers its item in every bank: it is compared over all of them only.
    const bool budgets = ledger::yearBudgetsApply(q);
    ui->budgetCheck->setEnabled(budgets);
    ui->budgetCheck->setToolTip(budgets ? QString() : QStringLiteral("予算はすべての銀行で比べます"));
    const ledger::YearTable t = ledger::readYearView(book(), q, budgets && ui->budgetCheck->isChecked());
    if (!t.ok) critical(QStringLiteral("データベースを読めません"));
    m_model->setTable(t);
    const QDate last = m_span.monthOf(ledger::kYearMonths - 1);
    ui->spanLabel->setText(QStringLiteral("%1　%2年%3月～%4年%5月")
                               .arg(m_span.title())
                               .arg(m_span.year)
                               .arg(m_span.startMonth)
                               .arg(last.year())
                               .arg(last.month()));
    // The headers follow the start month.
    for (int c = 0; c < m_model->columnCount() && c < ledger::kYearFirstMonthColumn + ledger::kYearMonths + 2; ++c)
        ui->yearGrid->setHeader(c, m_model->headerText(c), ui->yearGrid->colWidthTwips(c));
    for (int c = ledger::kYearFirstMonthColumn + ledger::kYearMonths + 2; c < m_model->columnCount(); ++c)
        ui->yearGrid->setHeader(c, m_model->headerData(c, Qt::Horizontal).toString(), 1100);
}

void YearForm::stepYear(int n) {
    const int y = m_span.year + n;
    if (y < kMinYear || y > kMaxYear) return;
    ui->yearEdit->setText(QString::number(y));
    recompute();
}

void YearForm::searchCell(int row, int column) {
    const ledger::YearLine* line = m_model->rowAt(row);
    if (!line || line->kind != ledger::YearLineKind::Category) return;
    const auto month = models::YearModel::monthOfColumn(column);
    const QDate from = month ? m_span.monthOf(*month) : m_span.first();
    const QDate to = (month ? from.addMonths(1) : m_span.first().addMonths(ledger::kYearMonths)).addDays(-1);
    auto* w = findChild<SearchWindow*>(QString(), Qt::FindDirectChildrenOnly);
    // No journal stands behind the year table: the rows are only listed.
    if (!w) w = new SearchWindow(session(), {}, this);
    w->showModeless();
    w->searchItem(line->code, line->name, from.toString(QStringLiteral("yyyy/MM/dd")),
                  to.toString(QStringLiteral("yyyy/MM/dd")), m_bank);
}

void YearForm::printTable() {
    QString what = QStringLiteral("年間収支表 ") + m_span.title();
    if (m_bank) what += QStringLiteral(" ") + ui->bankCombo->currentText();
    const QStringList header = ledger::yearHeader(table(), session().program());
    const print::Rows rows = m_model->rowTexts();
    printRun(session().flg_Front, [&] {
        printDocument(
            session(), this, QStringLiteral("年間収支表"),
            [&](print::PageWriter& out) { return ledger::printYearTable(out, what, header, rows); },
            Sheet::A4Landscape);
    });
}

YearForm* openYearTable(FormBase* from, int year, std::optional<qint64> bank) {
    auto* w = from->findChild<YearForm*>(QString(), Qt::FindDirectChildrenOnly);
    if (!w) {
        w = new YearForm(from->session(), year, bank, from);
        QObject::connect(from, &FormBase::closed, w, &QWidget::close);
    }
    w->showModeless();
    return w;
}

namespace {
// The span of the stored start month that `today` lies in: in February with start month 4, the
// year that began last April.
ledger::YearSpan currentSpan(const QDate& today) {
    const int start = storedStartMonth();
    return {today.month() < start ? today.year() - 1 : today.year(), start};
}
}  // namespace

FormBase* newYearTable(app::Session& session, QWidget* menu) {
    return new YearForm(session, currentSpan(session.now().date()).year, std::nullopt, menu);
}

FormBase* newPie(app::Session& session, QWidget* menu) {
    const QDate today = session.now().date();
    const ledger::YearSpan span = currentSpan(today);
    const int column = (today.year() - span.year) * 12 + today.month() - span.startMonth;
    return new PieForm(session, PieChoice{span, std::nullopt, column, false}, menu);
}

}  // namespace ui
