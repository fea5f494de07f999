#include "ui/io/SearchWindow.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/db/Convert.h"
#include "core/io/StatementDate.h"
#include "core/models/SearchModels.h"
#include "ui/io/CsvExport.h"
#include "ui/shell/Grid.h"
#include "ui_Search.h"

namespace ui {

SearchWindow::SearchWindow(app::Session& session, Visit visit, QWidget* parent)
    : FormBase(session, QStringLiteral("検索"), parent), ui(std::make_unique<Ui::Search>()), m_visit(std::move(visit)) {
    ui->setupUi(this);
    setWindowTitle(title());
    const bool bank = session.program() == app::Program::Bank;
    if (!bank) ui->textEdit->setPlaceholderText(QStringLiteral("備考・科目名に含む文字"));
    // Dates may be typed as 令和6年5月3日: only the amounts are number boxes.
    markNumeric({ui->minAmountEdit, ui->maxAmountEdit});

    m_hits = new models::SearchHitsModel(session.program(), this);
    ui->hitGrid->setGridModel(m_hits);
    ui->hitGrid->setHeader(0, QStringLiteral("日付"), 1300);
    ui->hitGrid->setHeader(1, bank ? QStringLiteral("銀行") : QStringLiteral("ページ"), bank ? 1600 : 800);
    ui->hitGrid->setHeader(2, bank ? QStringLiteral("項目") : QStringLiteral("科目"), 1600);
    ui->hitGrid->setHeader(3, QStringLiteral("金額"), 1200);
    ui->hitGrid->setHeader(4, QStringLiteral("備考"), 3000);
    ui->hitGrid->horizontalHeader()->setStretchLastSection(true);

    // Enter in a box searches; with rows found the focus goes to the first, where Enter shows it.
    for (QLineEdit* e : {ui->textEdit, ui->minAmountEdit, ui->maxAmountEdit, ui->fromDateEdit, ui->toDateEdit})
        onEnter(e, [this] {
            if (runSearch() && !m_hits->rows().isEmpty()) ui->hitGrid->setFocus(Qt::OtherFocusReason);
            return false;
        });
    connect(ui->searchButton, &QPushButton::clicked, this, &SearchWindow::runSearch);
    connect(ui->closeButton, &QPushButton::clicked, this, &QWidget::close);
    // Enter and a double-click (QAbstractItemView::activated) show the row in the journal.
    connect(ui->hitGrid, &QAbstractItemView::activated, this, [this](const QModelIndex& i) {
        if (i.isValid() && i.row() < m_hits->rows().size() && m_visit) m_visit(m_hits->rows()[i.row()]);
    });
    setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), [this] { focusQuery(); });
    addCsvExport(this, ui->hitGrid, [this] { return modelExport(*m_hits, QStringLiteral("検索結果.csv")); });
}

SearchWindow::~SearchWindow() = default;

const QList<io::SearchHit>& SearchWindow::hits() const { return m_hits->rows(); }
FlexGrid* SearchWindow::grid() const { return ui->hitGrid; }

void SearchWindow::focusQuery() {
    ui->textEdit->setFocus(Qt::OtherFocusReason);
    ui->textEdit->selectAll();
}

bool SearchWindow::runSearch() {
    io::SearchQuery q;
    q.text = ui->textEdit->text().trimmed();
    for (const auto& [box, bound] :
         {std::pair{ui->minAmountEdit, &q.minAmount}, std::pair{ui->maxAmountEdit, &q.maxAmount}}) {
        if (box->text().trimmed().isEmpty()) continue;
        const auto yen = db::parseYen(box->text());
        if (!yen || *yen < 0) {
            refuse(box, QStringLiteral("金額は円単位の整数で入力してください"));
            return false;
        }
        *bound = yen;
    }
    for (const auto& [box, date] : {std::pair{ui->fromDateEdit, &q.fromDate}, std::pair{ui->toDateEdit, &q.toDate}}) {
        if (box->text().trimmed().isEmpty()) continue;
        const auto d = io::parseStatementDate(box->text());
        if (!d) {
            refuse(box, QStringLiteral("日付が正しくありません"));
            return false;
        }
        *date = *d;
    }
    q.code = m_code;
    q.bank = m_bank;
    io::SearchResult r;
    {
        Hourglass wait;
        r = io::search(book(), session().program(), q);
    }
    if (!r.ok) {
        critical(r.error);
        return false;
    }
    m_hits->setRows(r.hits);
    ui->countLabel->setText(QStringLiteral("%1 件").arg(r.hits.size()));
    if (!r.hits.isEmpty()) ui->hitGrid->setRow(1);
    return true;
}

void SearchWindow::searchItem(qint64 code, const QString& name, const QString& fromDate, const QString& toDate,
                              std::optional<qint64> bank) {
    m_code = code;
    m_bank = bank;
    setWindowTitle(title() + QStringLiteral(" - ") + name);
    ui->textEdit->clear();
    ui->minAmountEdit->clear();
    ui->maxAmountEdit->clear();
    ui->fromDateEdit->setText(fromDate);
    ui->toDateEdit->setText(toDate);
    runSearch();
}

void SearchWindow::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    FormBase::keyPressEvent(e);
}

SearchWindow* openSearch(FormBase* journal, SearchWindow::Visit visit) {
    auto* w = journal->findChild<SearchWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (!w) {
        w = new SearchWindow(journal->session(), std::move(visit), journal);
        QObject::connect(journal, &FormBase::closed, w, &QWidget::close);
    }
    w->showModeless();
    w->focusQuery();
    return w;
}

}  // namespace ui
