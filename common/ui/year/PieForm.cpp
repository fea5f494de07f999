#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QLabel>
#include <QLegend>
#include <QLocale>
#include <QPieSeries>
#include <QPieSlice>

#include "core/ledger/YearViews.h"
#include "core/models/YearModels.h"
#include "ui/io/CsvExport.h"
#include "ui/print/PrintWriters.h"
#include "ui/shell/Grid.h"
#include "ui/year/YearForm.h"
#include "ui_Pie.h"

namespace ui {

namespace {
QString yen(qint64 v) { return QLocale(QLocale::Japanese).toString(v) + QStringLiteral("円"); }
}  // namespace

PieForm::PieForm(app::Session& session, PieChoice choice, QWidget* parent)
    : FormBase(session, QStringLiteral("円グラフ"), parent), ui(std::make_unique<Ui::Pie>()), m_choice(choice) {
    ui->setupUi(this);
    setWindowTitle(title());
    ui->kindCombo->addItem(QStringLiteral("支出"), false);
    ui->kindCombo->addItem(QStringLiteral("収入"), true);
    ui->kindCombo->setCurrentIndex(m_choice.income ? 1 : 0);
    ui->monthCombo->addItem(QStringLiteral("年計"), -1);
    for (int i = 0; i < ledger::kYearMonths; ++i)
        ui->monthCombo->addItem(QStringLiteral("%1月").arg(m_choice.span.monthOf(i).month()), i);
    ui->monthCombo->setCurrentIndex(m_choice.column + 1);
    // By category (the bank book's items) or by the groups they are in, with 未分類.
    ui->pieByCombo->addItem(
        session.program() == app::Program::Bank ? QStringLiteral("項目別") : QStringLiteral("科目別"), false);
    ui->pieByCombo->addItem(QStringLiteral("グループ別"), true);
    ui->pieByCombo->setCurrentIndex(m_choice.byGroup ? 1 : 0);
    connect(ui->kindCombo, &QComboBox::activated, this, [this] { recompute(); });
    connect(ui->monthCombo, &QComboBox::activated, this, [this] { recompute(); });
    connect(ui->pieByCombo, &QComboBox::activated, this, [this] { recompute(); });

    m_model = new models::PieModel(this);
    ui->sliceGrid->setGridModel(m_model);
    ui->sliceGrid->setHeader(0, m_model->headerText(0), 2400);
    ui->sliceGrid->setHeader(1, m_model->headerText(1), 1400);
    ui->sliceGrid->setHeader(2, m_model->headerText(2), 700);
    setFillWidget(ui->pieArea);
    ui->pieChart->setRenderHint(QPainter::Antialiasing);
    ui->pieChart->chart()->legend()->setAlignment(Qt::AlignRight);

    addCsvExport(this, ui->sliceGrid, [this] {
        QString name = QStringLiteral("円グラフ_%1_%2_%3")
                           .arg(m_choice.span.title(), ui->monthCombo->currentText(), ui->kindCombo->currentText());
        if (m_choice.byGroup) name += QStringLiteral("_グループ別");
        return modelExport(*m_model, name + QStringLiteral(".csv"));
    });
    createFKeyBar(8, height() - 57, width() - 16);
    setFKey(2, QStringLiteral("印刷"), [this] { printPie(); });
    setFKey(10, QStringLiteral("終了"), [this] { close(); });
    recompute();
}

PieForm::~PieForm() = default;

const QList<ledger::PieSlice>& PieForm::slices() const { return m_model->rows(); }
QChartView* PieForm::chart() const { return ui->pieChart; }

void PieForm::recompute() {
    m_choice.income = ui->kindCombo->currentData().toBool();
    m_choice.column = ui->monthCombo->currentData().toInt();
    m_choice.byGroup = ui->pieByCombo->currentData().toBool();
    ledger::YearQuery q;
    q.program = session().program();
    q.span = m_choice.span;
    q.bank = m_choice.bank;
    q.today = session().now().date();
    // Over every bank a transfer is no expense: the year view leaves it out.
    const ledger::YearTable t = ledger::readYearView(book(), q, false);
    if (!t.ok) critical(QStringLiteral("データベースを読めません"));
    m_model->setRows(ledger::pieOfYear(t, m_choice.income, m_choice.column, m_choice.byGroup));
    QString span = m_choice.span.title();
    if (m_choice.column >= 0) {
        const QDate m = m_choice.span.monthOf(m_choice.column);
        span = QStringLiteral("%1年%2月").arg(m.year()).arg(m.month());
    }
    // The label titles the chart and the printout: a pie by group says so.
    QString what = span + QStringLiteral("　") + ui->kindCombo->currentText();
    if (m_choice.byGroup) what += QStringLiteral("　グループ別");
    ui->spanLabel->setText(what);
    drawPie();
}

void PieForm::drawPie() {
    QChart* chart = ui->pieChart->chart();
    chart->removeAllSeries();
    m_hover.clear();
    ui->hoverLabel->clear();
    if (m_model->rows().isEmpty()) {
        chart->setTitle(QStringLiteral("この期間の%1はありません").arg(ui->kindCombo->currentText()));
        return;
    }
    chart->setTitle(ui->spanLabel->text());
    auto* series = new QPieSeries(chart);
    for (const ledger::PieSlice& s : m_model->rows()) {
        const QString text = QStringLiteral("%1 %2% %3").arg(s.name).arg(s.percent).arg(yen(s.amount));
        // The legend shows each slice's label: name, per cent and amount.
        QPieSlice* slice = series->append(text, double(s.amount));
        connect(slice, &QPieSlice::hovered, this, [this, slice, text](bool on) {
            slice->setExploded(on);
            m_hover = on ? text : QString();
            ui->hoverLabel->setText(m_hover);
        });
    }
    chart->addSeries(series);
}

void PieForm::printPie() {
    const QString what = QStringLiteral("円グラフ ") + ui->spanLabel->text();
    const QList<ledger::PieSlice> rows = m_model->rows();
    printRun(session().flg_Front, [&] {
        printDocument(session(), this, QStringLiteral("円グラフ"), [&](print::PageWriter& out) {
            auto* painter = dynamic_cast<PainterWriter*>(&out);
            if (!painter || rows.isEmpty()) return ledger::printPieSlices(out, what, rows);
            // The pie as shown, above its list.
            return ledger::printPieSlices(out, what, rows, 30, [&](double line, double lines) {
                painter->paintArea(line, lines, [&](QPainter& p, const QRectF& area) {
                    ui->pieChart->render(&p, area, QRect(), Qt::KeepAspectRatio);
                });
            });
        });
    });
}

PieForm* openPie(FormBase* from, const PieChoice& choice) {
    // A pie is one question: a new choice opens a window of its own, so that two can be compared.
    auto* w = new PieForm(from->session(), choice, from);
    w->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(from, &FormBase::closed, w, &QWidget::close);
    w->showModeless();
    return w;
}

}  // namespace ui
