#include "purse/PurseJournal.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <algorithm>

#include "core/AppState.h"
#include "core/db/Book.h"
#include "core/db/Convert.h"
#include "core/db/Recordset.h"
#include "core/ledger/Dates.h"
#include "core/ledger/Pages.h"
#include "core/ledger/Undo.h"
#include "core/models/JournalModels.h"
#include "purse/PurseWindows.h"
#include "ui/io/CsvExport.h"
#include "ui/io/ImportWindow.h"
#include "ui/io/SearchWindow.h"
#include "ui/menu/MenuForm.h"
#include "ui/print/PrintWriters.h"
#include "ui/recurring/RecurringWindows.h"
#include "ui/shell/Grid.h"
#include "ui/shell/Inputs.h"
#include "ui/shell/Progress.h"
#include "ui_PurseJournal.h"

namespace purse {
namespace {

const QString kRecalcLabel = QStringLiteral("差引を再計算しています");

constexpr int kColumns = 8;
const QString kJournal = QStringLiteral("S01");

}  // namespace

form_S0101::form_S0101(app::Session& session, QWidget* parent)
    : FormBase(session, QStringLiteral("家計簿入力"), parent), ui(std::make_unique<Ui::PurseJournal>()) {
    build();
    keys();

    ui->txt_date->setMonth(ledger::monthText(session.now().date()));
    Clear_Entry();
    const struct {
        const char* text;
        int twips;
    } headers[kColumns] = {{"番号", 500},  {"日付", 500},  {"科目ｺｰﾄﾞ", 1000}, {"科目名", 3000},
                           {"収入", 1000}, {"支出", 1000}, {"差引", 1000},     {"備考", 3000}};
    for (int c = 0; c < kColumns; ++c) ui->grd_S01->setHeader(c, QString::fromUtf8(headers[c].text), headers[c].twips);
    ui->grd_S01->fitColumn(0, QStringLiteral("000000"));
    setLayoutKeys(QStringLiteral("S0101"), ui->grd_S01, QStringLiteral("grd_S01ColWidth"), kColumns);
    restoreLayout();

    Show_Page(ledger::openingPage(book(), session.now().date().month()));
}

form_S0101::~form_S0101() = default;

void form_S0101::build() {
    ui->setupUi(this);

    // The note takes what the input method types; every other box a number.
    ui::markNumeric({ui->txt_page, ui->txt_rec_no, ui->txt_day, ui->txt_k_cd, ui->txt_kingaku, ui->txt_cd,
                     ui->txt_cd2_0, ui->txt_cd2_1});
    m_rows = new models::PageModel(this);
    ui->grd_S01->setGridModel(m_rows);
    setFillWidget(ui->grd_S01);
    // The three frames beside the entry area are hidden until their key.
    for (QWidget* f : {ui->frm_select_cd, ui->frm_select_cd2, ui->frm_select_omote}) f->hide();

    createFKeyBar(8, height() - 57, width() - 16);
    for (int n = 1; n <= 10; ++n) fKey(n)->setFocusPolicy(Qt::ClickFocus);

    connect(ui->Command5, &QPushButton::clicked, this, [this] {
        ui->txt_date->setMonth(ledger::addMonths(ui->txt_date->month(), -1));
        ui->txt_date->setFocus();
    });
    connect(ui->Command4, &QPushButton::clicked, this, [this] {
        ui->txt_date->setMonth(ledger::addMonths(ui->txt_date->month(), 1));
        ui->txt_date->setFocus();
    });
    auto moveDay = [this](int n) {
        const auto date = ledger::journalDate(ui->txt_date->month(), ui->txt_day->text());
        if (!date) return;
        const QDate moved = QDate::fromString(*date, QStringLiteral("yyyy/MM/dd")).addDays(n);
        ui->txt_day->setText(moved.toString(QStringLiteral("dd")));
        ui->txt_date->setMonth(ledger::monthText(moved));
        ui->txt_day->setFocus();
    };
    connect(ui->Command3, &QPushButton::clicked, this, [moveDay] { moveDay(-1); });
    connect(ui->Command2, &QPushButton::clicked, this, [moveDay] { moveDay(1); });
    connect(ui->cmd_syo_nm, &QPushButton::clicked, this, &form_S0101::Drop_Combo);
    connect(ui->cmd_input, &QPushButton::clicked, this, &form_S0101::input);

    connect(ui->cmd_syusei, &QPushButton::clicked, this, &form_S0101::modifyByNumber);
    connect(ui->Command1, &QPushButton::clicked, ui->frm_select_cd, &QWidget::hide);
    connect(ui->cmd_sakujyo, &QPushButton::clicked, this, &form_S0101::deleteRange);
    connect(ui->Command7, &QPushButton::clicked, ui->frm_select_cd2, &QWidget::hide);
    connect(ui->Command6, &QPushButton::clicked, this, &form_S0101::print);
    connect(ui->Command8, &QPushButton::clicked, ui->frm_select_omote, &QWidget::hide);

    // The row the grid's actions work on is the one the user last picked, by mouse or keys.
    connect(ui->grd_S01, &ui::FlexGrid::currentRowChanged, this, [this](int row) { m_clickedRow = row; });
    connect(ui->grd_S01, &ui::FlexGrid::clickedRow, this, [this](int row) {
        if (row > 0) m_clickedRow = row;
    });
    connect(ui->grd_S01, &ui::FlexGrid::doubleClicked, this, [this] {
        fKey(1)->setEnabled(false);
        {
            ui::Hourglass wait;
            Load_FromGrid(m_clickedRow);
            ui->cmd_input->setText(QStringLiteral("更新"));
        }
        fKey(1)->setEnabled(true);
    });
    connect(ui->grd_S01, &ui::FlexGrid::deletePressed, this, [this] {
        const ledger::PageRow* row = m_rows->rowAt(m_clickedRow - 1);
        if (!row) {
            critical(ui::kNoRecord);
            return;
        }
        deleteRows(row->cd, std::nullopt);
    });

    // Data in and out: the page as CSV, a statement onto the page, the search over the whole book.
    ui::addCsvExport(this, ui->grd_S01, [this] {
        ui::GridExport out = ui::modelExport(
            *m_rows, QStringLiteral("家計簿_%1ページ_%2.csv")
                         .arg(m_page)
                         .arg(QString(ui->txt_date->month()).replace(QLatin1Char('/'), QLatin1Char('-'))));
        // The file keeps each row's whole date where the grid shows its day.
        for (int i = 0; i < out.rows.size() && i < m_rows->rows().size(); ++i) out.rows[i][1] = m_rows->rows()[i].kDate;
        return out;
    });
    addGridAction(ui->grd_S01, QStringLiteral("明細取込..."), QKeySequence(Qt::CTRL | Qt::Key_I),
                  [this] { importStatement(); });
    addGridAction(ui->grd_S01, QStringLiteral("検索..."), QKeySequence(Qt::CTRL | Qt::Key_F),
                  [this] { ui::openSearch(this, [this](const io::SearchHit& hit) { showHit(hit); }); });
    // 定期入力の設定, as from the menu.
    setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), [this] { ui::openRuleWindow(this); });
}

void form_S0101::keys() {
    setFKey(1, QStringLiteral("入力"), [this] {
        {
            ui::Hourglass wait;
            Clear_Entry();
        }
        ui->txt_day->setFocus();
    });
    setFKey(2, QStringLiteral("番号指定削除"), [this] {
        openFrame(ui->frm_select_cd2, {ui->txt_cd2_0, ui->txt_cd2_1});
    });
    setFKey(3, QStringLiteral("番号指定修正"), [this] { openFrame(ui->frm_select_cd, {ui->txt_cd}); });
    setFKey(4, QStringLiteral("前ページ"), [this] {
        movePage(m_page > 1 ? m_page - 1 : m_page);
        ui->txt_date->setFocus();
    });
    setFKey(5, QStringLiteral("次ページ"), [this] {
        movePage(m_page + 1);
        ui->txt_date->setFocus();
    });
    setFKey(6, QStringLiteral("最初"), [this] { movePage(1); });
    setFKey(7, QStringLiteral("最後"), [this] { movePage(ledger::lastPage(book())); });
    setFKey(8, QStringLiteral("再計算"), [this] { recalculate(); });
    setFKey(9, QStringLiteral("発行"), [this] { openFrame(ui->frm_select_omote); });
    setFKey(10, QStringLiteral("終了"), [this] { closeJournal(); });

    onEnter(ui->txt_date, [this] {
        ui->txt_date->normalise();
        return true;
    });
    onEnter(ui->txt_rec_no, [this] {
        ui->txt_day->setFocus();
        return false;
    });
    onEnter(ui->txt_day, [this] { return dayCheck(); });
    onLeave(ui->txt_day, [this] { return dayCheck(); });
    // Leaving the category box disables 入力 until a code the list has is chosen again.
    ui::CodePair::Options category;
    category.leaving = [this] { ui->cmd_input->setEnabled(false); };
    category.chosen = [this](qint64) { ui->cmd_input->setEnabled(true); };
    m_category = new ui::CodePair(this, ui->txt_k_cd, ui->cmb_k_nm, category);
    onEnter(ui->cmb_k_nm, [this] {
        if (ui->cmb_k_nm->currentIndex() >= 0) {
            ui->txt_k_cd->setText(QString::number(ui->cmb_k_nm->currentData().toLongLong()));
            ui->cmd_input->setEnabled(true);
        }
        ui->txt_kingaku->setFocus();
        return false;
    });
    onEnter(ui->txt_kingaku);
    onEnter(ui->txt_biko);
    ui::onShiftLeftChain(this, {ui->txt_day, ui->txt_k_cd, ui->txt_kingaku, ui->txt_biko});

    ui::onNumberBoxes(
        this, ui->txt_cd, ui->txt_cd2_0, ui->txt_cd2_1, [this] { modifyByNumber(); }, [this] { deleteRange(); });
}

bool form_S0101::dayCheck() {
    const auto day = ledger::dayText(ui->txt_day->text());
    if (!day) return false;
    ui->txt_day->setText(*day);
    return true;
}

void form_S0101::showBookAgain() {
    m_proposed.keepNew(book(), ui->txt_rec_no);
    ui::refillCodeCombo(ui->cmb_k_nm, session().rs_T01);
    Show_Page(m_page);
}

void form_S0101::fillCombo() { ui::fillCodeCombo(ui->cmb_k_nm, session().rs_T01); }

void form_S0101::Clear_Entry() {
    m_proposed.propose(book(), ui->txt_rec_no);
    ui->txt_day->setText(session().now().toString(QStringLiteral("dd")));
    ui->txt_k_cd->clear();
    fillCombo();
    ui->txt_kingaku->clear();
    ui->txt_biko->clear();
}

void form_S0101::Show_Page(qint64 page) {
    m_page = page;
    ui->txt_page->setText(QString::number(page));
    const ledger::PageRead read = ledger::readPage(book(), page);
    // An empty page shows one empty row, where its first entry will go.
    m_rows->setRows(read.rows);
    if (!read.rows.isEmpty()) {
        const QString first = read.rows.first().kDate;
        if (first.size() >= 3) ui->txt_date->setMonth(first.chopped(3));
    }
    // The grid's Delete key and double-click act on the highlighted row: start from the first.
    m_clickedRow = 1;
    if (read.rows.isEmpty())
        ui->grd_S01->setCurrentIndex({});
    else
        ui->grd_S01->setRow(1);
}

void form_S0101::movePage(qint64 page) {
    ui::Hourglass wait;
    ui::Set_FKeyEnabled(this, false);
    Show_Page(page);
    ui::Set_FKeyEnabled(this, true);
}

void form_S0101::Load_FromGrid(int row) {
    Clear_Entry();
    const ledger::PageRow* r = m_rows->rowAt(row - 1);
    if (!r) return;
    ui->txt_rec_no->setText(QString::number(r->cd));
    ui->txt_day->setText(r->kDate.right(2));
    // The row keeps its own month when it is written back.
    if (r->kDate.size() >= 7 && ledger::monthStart(r->kDate.left(7))) ui->txt_date->setMonth(r->kDate.left(7));
    ui->txt_k_cd->setText(QString::number(r->kCd));
    if (m_category->select(r->kCd)) ui->cmd_input->setEnabled(true);
    ui->txt_kingaku->setText(QString::number(r->kingaku));
    ui->txt_biko->setText(r->biko);
    ui->txt_day->setFocus();
}

void form_S0101::input() {
    if (refuseReadOnly()) return;
    // Record numbers run past 32767 in a long-kept book; only master codes keep that limit.
    const auto recNo = db::parseRecordNumber(ui->txt_rec_no->text());
    if (!recNo) return refuse(ui->txt_rec_no, QStringLiteral("番号は1以上の整数で入力してください"));
    const QString month = ui->txt_date->month();
    if (!ledger::monthStart(month)) return refuse(ui->txt_date, QStringLiteral("年度/月を正しく入力してください"));
    const auto day = ledger::dayText(ui->txt_day->text());
    if (!day) return refuse(ui->txt_day, QStringLiteral("日は1～31の整数で入力してください"));
    const auto date = ledger::journalDate(month, *day);
    if (!date) return refuse(ui->txt_day, QStringLiteral("日付が正しくありません"));
    const auto kCd = db::parseCode(ui->txt_k_cd->text());
    if (!kCd) return refuse(ui->txt_k_cd, QStringLiteral("科目ｺｰﾄﾞは1～32767の整数で入力してください"));
    if (!session().Seek_T01(*kCd))
        return refuse(ui->txt_k_cd, QStringLiteral("科目ｺｰﾄﾞ %1 は科目マスターにありません").arg(*kCd));
    const auto amount = db::parseYen(ui->txt_kingaku->text());
    if (!amount) return refuse(ui->txt_kingaku, QStringLiteral("金額は円単位の整数で入力してください"));

    ui->cmd_input->setEnabled(false);
    {
        ui::Hourglass wait;
        ui::Set_FKeyEnabled(this, false);
        ui->txt_day->setText(*day);
        const ledger::Entry e{*recNo, m_page, *date, *kCd, *amount, ui->txt_biko->text()};
        ledger::BookChange change = ledger::beginChange(book(), kJournal, {e.cd});
        const ledger::Written w = ledger::writeEntry(book(), e);
        if (w.ok) {
            ledger::finishChange(book(), change);
            session().recordChange(change);
            // Every balance the write changed is stored with it: the page shows them at once.
            Show_Page(m_page);
            Clear_Entry();
            ui->cmd_input->setText(QStringLiteral("入力"));
        } else {
            // Nothing was written: what was typed stays, to be written again.
            critical(w.inserted ? QStringLiteral("追加できません") : QStringLiteral("更新できません"));
            ui->cmd_input->setEnabled(true);
        }
        ui::Set_FKeyEnabled(this, true);
    }
    ui->txt_day->setFocus();
}

void form_S0101::recalculate() {
    if (refuseReadOnly()) return;
    if (!session().mayWriteOnItsOwn(this, true)) return;
    ledger::Recalc r;
    {
        ui::Hourglass wait;
        ui::Set_FKeyEnabled(this, false);
        ui::withProgress(this, kRecalcLabel,
                         [this, &r](const ledger::Progress& p) { r = ledger::Recalc_Zan(book(), 1, p); });
        Show_Page(ledger::lastPage(book()));
        ui::Set_FKeyEnabled(this, true);
    }
    if (!r.ok) critical(QStringLiteral("差引を再計算できません"));
}

void form_S0101::deleteRows(qint64 from, std::optional<qint64> to) {
    if (refuseReadOnly()) return;
    ledger::BookChange change =
        ledger::beginChange(book(), kJournal, ledger::codesBetween(book(), kJournal, from, to.value_or(from)));
    ledger::Deleted d;
    {
        ui::Hourglass wait;
        ui::Set_FKeyEnabled(this, false);
        ui::withProgress(this, kRecalcLabel,
                         [&](const ledger::Progress& p) { d = ledger::deleteEntries(book(), from, to, p); });
        Show_Page(m_page);
        ui::Set_FKeyEnabled(this, true);
    }
    if (d.ok) {
        ledger::finishChange(book(), change);
        session().recordChange(change);
        ui->frm_select_cd2->hide();
        return;
    }
    critical(QStringLiteral("削除できません"));
}

void form_S0101::deleteRange() {
    const auto from = db::parseRecordNumber(ui->txt_cd2_0->text());
    if (!from) {
        refuse(ui->txt_cd2_0, QStringLiteral("削除するレコード番号は1以上の整数で入力してください"));
        return;
    }
    std::optional<qint64> to;
    if (!ui->txt_cd2_1->text().trimmed().isEmpty()) {
        const auto t = db::parseRecordNumber(ui->txt_cd2_1->text());
        if (!t) {
            refuse(ui->txt_cd2_1, QStringLiteral("削除するレコード番号は1以上の整数で入力してください"));
            return;
        }
        to = *t;
    }
    deleteRows(*from, to);
}

void form_S0101::modifyByNumber() {
    const auto cd = db::parseRecordNumber(ui->txt_cd->text());
    if (!cd) {
        refuse(ui->txt_cd, QStringLiteral("修正するレコード番号は1以上の整数で入力してください"));
        return;
    }
    const auto row = m_rows->rowOfRecord(*cd);
    ui->frm_select_cd->hide();
    if (!row) {
        critical(ui::kNoRecord);
        return;
    }
    Load_FromGrid(*row + 1);
}

void form_S0101::importStatement() {
    io::ImportTarget target;
    target.program = app::Program::Purse;
    target.page = m_page;
    ui::importStatement(this, target, QStringLiteral("ページ %1").arg(m_page), [this](const QStringList&) {
        Show_Page(m_page);
        m_proposed.keepNew(book(), ui->txt_rec_no);
    });
}

void form_S0101::showHit(const io::SearchHit& hit) {
    Show_Page(hit.page);
    if (const auto row = m_rows->rowOfRecord(hit.cd)) {
        ui->grd_S01->setRow(*row + 1);
        m_clickedRow = *row + 1;
    }
}

void form_S0101::Drop_Combo() {
    ui->cmb_k_nm->setMaxVisibleItems(32);
    ui->cmb_k_nm->setFocus();
    ui::Set_BackColor(ui->cmb_k_nm, ui::kFocusColor);
    ui->cmb_k_nm->showPopup();
}

void form_S0101::print() {
    ui->frm_select_omote->hide();
    printRun(ui->Option1_0->isChecked(), [this] { Print_Journal(); });
}

void form_S0101::Print_Journal() {
    const QString page = ui->txt_page->text();
    ui::printDocument(session(), this, QStringLiteral("家計簿 No.") + page, [this, page](print::PageWriter& out) {
        return print::printPurseJournal(out, page, ui->txt_date->month(), m_rows->rowTexts(), session().flg_Front);
    });
}

void form_S0101::closeJournal() {
    // Every write keeps the balances; this pass only confirms them.
    if (!m_rows->rows().isEmpty() && !book().isReadOnly() && session().mayWriteOnItsOwn(this)) {
        ledger::Recalc r;
        {
            ui::Hourglass wait;
            ui::withProgress(this, kRecalcLabel,
                             [&](const ledger::Progress& p) { r = ledger::Recalc_Zan(book(), m_page, p); });
        }
        // The stored balances stay as they were; the window closes as asked.
        if (!r.ok) critical(QStringLiteral("差引を再計算できません"));
    }
    close();
    session().Set_MenuEnabled(true);
}

ui::FormBase* createJournal(app::Session& session, QWidget* menu) { return new form_S0101(session, menu); }

}  // namespace purse
