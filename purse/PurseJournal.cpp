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
#include "core/db/Convert.h"
#include "core/db/Database.h"
#include "core/db/Recordset.h"
#include "core/ledger/Dates.h"
#include "core/ledger/Pages.h"
#include "purse/PurseWindows.h"
#include "ui/Grid.h"
#include "ui/Inputs.h"
#include "ui/MenuForm.h"
#include "ui/PrintWriters.h"
#include "ui/Progress.h"
#include "ui_PurseJournal.h"

namespace purse {
namespace {

const QString kRecalcLabel = QStringLiteral("差引を再計算しています");

constexpr int kColumns = 8;

}  // namespace

form_S0101::form_S0101(app::Session& session, QWidget* parent)
    : FormBase(session, QStringLiteral("家計簿入力"), parent) {
    build();
    keys();

    m_date->setMonth(ledger::monthText(session.now().date()));
    Clear_Entry();
    const struct {
        const char* text;
        int twips;
    } headers[kColumns] = {{"番号", 500},  {"日付", 500},  {"科目ｺｰﾄﾞ", 1000}, {"科目名", 3000},
                           {"収入", 1000}, {"支出", 1000}, {"差引", 1000},     {"備考", 3000}};
    for (int c = 0; c < kColumns; ++c) m_grid->setHeader(c, QString::fromUtf8(headers[c].text), headers[c].twips);
    m_grid->fitColumn(0, QStringLiteral("000000"));
    setLayoutKeys(QStringLiteral("S0101"), m_grid, QStringLiteral("grd_S01ColWidth"), kColumns);
    restoreLayout();

    Show_Page(ledger::openingPage(session.now().date().month()));
}

void form_S0101::build() {
    Ui::PurseJournal ui;
    ui.setupUi(this);
    m_date = ui.txt_date;
    m_pageBox = ui.txt_page;
    m_recNo = ui.txt_rec_no;
    m_day = ui.txt_day;
    m_kCd = ui.txt_k_cd;
    m_kNm = ui.cmb_k_nm;
    m_drop = ui.cmd_syo_nm;
    m_kingaku = ui.txt_kingaku;
    m_biko = ui.txt_biko;
    m_input = ui.cmd_input;
    m_grid = ui.grd_S01;
    m_selectCd = ui.frm_select_cd;
    m_cd = ui.txt_cd;
    m_selectCd2 = ui.frm_select_cd2;
    m_cd2[0] = ui.txt_cd2_0;
    m_cd2[1] = ui.txt_cd2_1;
    m_selectOmote = ui.frm_select_omote;
    m_option[0] = ui.Option1_0;
    m_option[1] = ui.Option1_1;
    auto* prevMonth = ui.Command5;
    auto* nextMonth = ui.Command4;
    auto* prevDay = ui.Command3;
    auto* nextDay = ui.Command2;
    auto* syusei = ui.cmd_syusei;
    auto* cancelCd = ui.Command1;
    auto* sakujyo = ui.cmd_sakujyo;
    auto* cancelCd2 = ui.Command7;
    auto* printNow = ui.Command6;
    auto* cancelPrint = ui.Command8;

    // The note takes what the input method types; every other box a number.
    for (QLineEdit* e : {m_pageBox, m_recNo, m_day, m_kCd, m_kingaku, m_cd, m_cd2[0], m_cd2[1]}) ui::markNumeric(e);
    m_rows = new models::PageModel(this);
    m_grid->setGridModel(m_rows);
    setFillWidget(m_grid);
    // The three frames beside the entry area are hidden until their key.
    for (QWidget* f : {m_selectCd, m_selectCd2, m_selectOmote}) f->hide();

    createFKeyBar(8, height() - 57, width() - 16);
    for (int n = 1; n <= 10; ++n) fKey(n)->setFocusPolicy(Qt::ClickFocus);

    connect(prevMonth, &QPushButton::clicked, this, [this] {
        m_date->setMonth(ledger::addMonths(m_date->month(), -1));
        m_date->setFocus();
    });
    connect(nextMonth, &QPushButton::clicked, this, [this] {
        m_date->setMonth(ledger::addMonths(m_date->month(), 1));
        m_date->setFocus();
    });
    auto moveDay = [this](int n) {
        const auto date = ledger::journalDate(m_date->month(), m_day->text());
        if (!date) return;
        const QDate moved = QDate::fromString(*date, QStringLiteral("yyyy/MM/dd")).addDays(n);
        m_day->setText(moved.toString(QStringLiteral("dd")));
        m_date->setMonth(ledger::monthText(moved));
        m_day->setFocus();
    };
    connect(prevDay, &QPushButton::clicked, this, [moveDay] { moveDay(-1); });
    connect(nextDay, &QPushButton::clicked, this, [moveDay] { moveDay(1); });
    connect(m_kNm, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        if (index < 0) return;
        m_kCd->setText(QString::number(m_kNm->itemData(index).toLongLong()));
        m_input->setEnabled(true);
    });
    connect(m_drop, &QPushButton::clicked, this, &form_S0101::Drop_Combo);
    connect(m_input, &QPushButton::clicked, this, &form_S0101::input);

    connect(syusei, &QPushButton::clicked, this, &form_S0101::modifyByNumber);
    connect(cancelCd, &QPushButton::clicked, m_selectCd, &QWidget::hide);
    connect(sakujyo, &QPushButton::clicked, this, &form_S0101::deleteRange);
    connect(cancelCd2, &QPushButton::clicked, m_selectCd2, &QWidget::hide);
    connect(printNow, &QPushButton::clicked, this, &form_S0101::print);
    connect(cancelPrint, &QPushButton::clicked, m_selectOmote, &QWidget::hide);

    // The row the grid's actions work on is the one the user last picked, by mouse or keys.
    connect(m_grid, &ui::FlexGrid::currentRowChanged, this, [this](int row) { m_clickedRow = row; });
    connect(m_grid, &ui::FlexGrid::clickedRow, this, [this](int row) {
        if (row > 0) m_clickedRow = row;
    });
    connect(m_grid, &ui::FlexGrid::doubleClicked, this, [this] {
        fKey(1)->setEnabled(false);
        {
            ui::Hourglass wait;
            Load_FromGrid(m_clickedRow);
            m_input->setText(QStringLiteral("更新"));
        }
        fKey(1)->setEnabled(true);
    });
    connect(m_grid, &ui::FlexGrid::deletePressed, this, [this] {
        const ledger::PageRow* row = m_rows->rowAt(m_clickedRow - 1);
        if (!row) {
            critical(QStringLiteral("レコードがありません"));
            return;
        }
        delete_Rows(row->cd, std::nullopt);
    });
}

void form_S0101::keys() {
    setFKey(1, QStringLiteral("入力"), [this] {
        {
            ui::Hourglass wait;
            Clear_Entry();
        }
        m_day->setFocus();
    });
    setFKey(2, QStringLiteral("番号指定削除"), [this] {
        m_cd2[0]->clear();
        m_cd2[1]->clear();
        m_selectCd2->show();
        m_selectCd2->raise();
        m_cd2[0]->setFocus();
    });
    setFKey(3, QStringLiteral("番号指定修正"), [this] {
        m_cd->clear();
        m_selectCd->show();
        m_selectCd->raise();
        m_cd->setFocus();
    });
    setFKey(4, QStringLiteral("前ページ"), [this] {
        move_Page(m_page > 1 ? m_page - 1 : m_page);
        m_date->setFocus();
    });
    setFKey(5, QStringLiteral("次ページ"), [this] {
        move_Page(m_page + 1);
        m_date->setFocus();
    });
    setFKey(6, QStringLiteral("最初"), [this] { move_Page(1); });
    setFKey(7, QStringLiteral("最後"), [this] { move_Page(ledger::lastPage()); });
    setFKey(8, QStringLiteral("再計算"), [this] { recalculate(); });
    setFKey(9, QStringLiteral("発行"), [this] {
        m_selectOmote->show();
        m_selectOmote->raise();
    });
    setFKey(10, QStringLiteral("終了"), [this] { close_Journal(); });

    onEnter(m_date, [this] {
        m_date->normalise();
        return true;
    });
    onEnter(m_recNo, [this] {
        m_day->setFocus();
        return false;
    });
    onEnter(m_day, [this] { return check_Day(); });
    onLeave(m_day, [this] { return check_Day(); });
    onEnter(m_kCd, [this] { return find_Category(); });
    onLeave(m_kCd, [this] {
        m_input->setEnabled(false);
        if (!m_kCd->text().isEmpty()) find_Category();
        return true;
    });
    onEnter(m_kNm, [this] {
        if (m_kNm->currentIndex() >= 0) {
            m_kCd->setText(QString::number(m_kNm->currentData().toLongLong()));
            m_input->setEnabled(true);
        }
        m_kingaku->setFocus();
        return false;
    });
    onEnter(m_kingaku);
    onEnter(m_biko);
    onShiftLeft(m_kCd, m_day);
    onShiftLeft(m_kingaku, m_kCd);
    onShiftLeft(m_biko, m_kingaku);

    onEnter(m_cd, [this] {
        modifyByNumber();
        return false;
    });
    onEnter(m_cd2[0], [this] {
        if (!m_cd2[0]->text().isEmpty()) m_cd2[1]->setFocus();
        return false;
    });
    onEnter(m_cd2[1], [this] {
        deleteRange();
        return false;
    });
    onShiftLeft(m_cd2[1], m_cd2[0]);
}

bool form_S0101::check_Day() {
    const auto day = ledger::dayText(m_day->text());
    if (!day) return false;
    m_day->setText(*day);
    return true;
}

bool form_S0101::find_Category() {
    const auto code = db::parseWhole(m_kCd->text());
    if (!code) return false;
    const int index = ui::findComboEntry(m_kNm, *code);
    if (index < 0) return false;
    m_kNm->setCurrentIndex(index);
    m_input->setEnabled(true);
    return true;
}

void form_S0101::fill_Combo() { ui::fillCodeCombo(m_kNm, session().rs_T01); }

void form_S0101::Clear_Entry() {
    const qint64 highest = db::Get_Max(QStringLiteral("S01"), QStringLiteral("CD"));
    m_recNo->setText(QString::number((highest < 0 ? 0 : highest) + 1));
    m_day->setText(session().now().toString(QStringLiteral("dd")));
    m_kCd->clear();
    fill_Combo();
    m_kingaku->clear();
    m_biko->clear();
}

void form_S0101::Show_Page(qint64 page) {
    m_page = page;
    m_pageBox->setText(QString::number(page));
    const ledger::PageRead read = ledger::readPage(page);
    // An empty page shows one empty row, where its first entry will go.
    m_rows->setRows(read.rows);
    if (!read.rows.isEmpty()) {
        const QString first = read.rows.first().kDate;
        if (first.size() >= 3) m_date->setMonth(first.chopped(3));
    }
    // The grid's Delete key and double-click act on the highlighted row: start from the first.
    m_clickedRow = 1;
    if (read.rows.isEmpty())
        m_grid->setCurrentIndex({});
    else
        m_grid->setRow(1);
}

void form_S0101::move_Page(qint64 page) {
    ui::Hourglass wait;
    ui::Set_FKeyEnabled(this, false);
    Show_Page(page);
    ui::Set_FKeyEnabled(this, true);
}

void form_S0101::Load_FromGrid(int row) {
    Clear_Entry();
    const ledger::PageRow* r = m_rows->rowAt(row - 1);
    if (!r) return;
    m_recNo->setText(QString::number(r->cd));
    m_day->setText(r->kDate.right(2));
    // The row keeps its own month when it is written back.
    if (r->kDate.size() >= 7 && ledger::monthStart(r->kDate.left(7))) m_date->setMonth(r->kDate.left(7));
    m_kCd->setText(QString::number(r->kCd));
    find_Category();
    m_kingaku->setText(QString::number(r->kingaku));
    m_biko->setText(r->biko);
    m_day->setFocus();
}

void form_S0101::input() {
    if (refuseReadOnly()) return;
    // Record numbers run past 32767 in a long-kept book; only master codes keep that limit.
    const auto recNo = db::parseRecordNumber(m_recNo->text());
    if (!recNo) return refuse(m_recNo, QStringLiteral("番号は1以上の整数で入力してください"));
    const QString month = m_date->month();
    if (!ledger::monthStart(month)) return refuse(m_date, QStringLiteral("年度/月を正しく入力してください"));
    const auto day = ledger::dayText(m_day->text());
    if (!day) return refuse(m_day, QStringLiteral("日は1～31の整数で入力してください"));
    const auto date = ledger::journalDate(month, *day);
    if (!date) return refuse(m_day, QStringLiteral("日付が正しくありません"));
    const auto kCd = db::parseCode(m_kCd->text());
    if (!kCd) return refuse(m_kCd, QStringLiteral("科目ｺｰﾄﾞは1～32767の整数で入力してください"));
    if (!session().Seek_T01(*kCd))
        return refuse(m_kCd, QStringLiteral("科目ｺｰﾄﾞ %1 は科目マスターにありません").arg(*kCd));
    const auto amount = db::parseYen(m_kingaku->text());
    if (!amount) return refuse(m_kingaku, QStringLiteral("金額は円単位の整数で入力してください"));

    m_input->setEnabled(false);
    {
        ui::Hourglass wait;
        ui::Set_FKeyEnabled(this, false);
        m_day->setText(*day);
        const ledger::Entry e{*recNo, m_page, *date, *kCd, *amount, m_biko->text()};
        const ledger::Written w = ledger::writeEntry(e);
        if (w.ok) {
            // Every balance the write changed is stored with it: the page shows them at once.
            Show_Page(m_page);
            Clear_Entry();
            m_input->setText(QStringLiteral("入力"));
        } else {
            // Nothing was written: what was typed stays, to be written again.
            critical(w.inserted ? QStringLiteral("追加できません") : QStringLiteral("更新できません"));
            m_input->setEnabled(true);
        }
        ui::Set_FKeyEnabled(this, true);
    }
    m_day->setFocus();
}

void form_S0101::recalculate() {
    if (refuseReadOnly()) return;
    ledger::Recalc r;
    {
        ui::Hourglass wait;
        ui::Set_FKeyEnabled(this, false);
        ui::withProgress(this, kRecalcLabel, [&r](const ledger::Progress& p) { r = ledger::Recalc_Zan(1, p); });
        Show_Page(ledger::lastPage());
        ui::Set_FKeyEnabled(this, true);
    }
    if (!r.ok) critical(QStringLiteral("差引を再計算できません"));
}

void form_S0101::delete_Rows(qint64 from, std::optional<qint64> to) {
    if (refuseReadOnly()) return;
    ledger::Deleted d;
    {
        ui::Hourglass wait;
        ui::Set_FKeyEnabled(this, false);
        ui::withProgress(this, kRecalcLabel,
                         [&](const ledger::Progress& p) { d = ledger::deleteEntries(from, to, p); });
        Show_Page(m_page);
        ui::Set_FKeyEnabled(this, true);
    }
    if (d.ok) {
        m_selectCd2->hide();
        return;
    }
    critical(QStringLiteral("削除できません"));
}

void form_S0101::deleteRange() {
    const auto from = db::parseRecordNumber(m_cd2[0]->text());
    if (!from) {
        refuse(m_cd2[0], QStringLiteral("削除するレコード番号は1以上の整数で入力してください"));
        return;
    }
    std::optional<qint64> to;
    if (!m_cd2[1]->text().trimmed().isEmpty()) {
        const auto t = db::parseRecordNumber(m_cd2[1]->text());
        if (!t) {
            refuse(m_cd2[1], QStringLiteral("削除するレコード番号は1以上の整数で入力してください"));
            return;
        }
        to = *t;
    }
    delete_Rows(*from, to);
}

void form_S0101::modifyByNumber() {
    const auto cd = db::parseRecordNumber(m_cd->text());
    if (!cd) {
        refuse(m_cd, QStringLiteral("修正するレコード番号は1以上の整数で入力してください"));
        return;
    }
    const auto row = m_rows->rowOfRecord(*cd);
    m_selectCd->hide();
    if (!row) {
        critical(QStringLiteral("レコードがありません"));
        return;
    }
    Load_FromGrid(*row + 1);
}

void form_S0101::Drop_Combo() {
    m_kNm->setMaxVisibleItems(32);
    m_kNm->setFocus();
    ui::Set_BackColor(m_kNm, ui::kFocusColor);
    m_kNm->showPopup();
}

void form_S0101::print() {
    session().flg_Front = m_option[0]->isChecked();
    m_selectOmote->hide();
    ui::Hourglass wait;
    ui::Set_FKeyEnabled(this, false);
    Print_Journal();
    ui::Set_FKeyEnabled(this, true);
}

void form_S0101::Print_Journal() {
    const QString page = m_pageBox->text();
    ui::printDocument(session(), this, QStringLiteral("家計簿 No.") + page, [this, page](print::PageWriter& out) {
        return print::printPurseJournal(out, page, m_date->month(), m_rows->rowTexts(), session().flg_Front);
    });
}

void form_S0101::close_Journal() {
    // Every write keeps the balances; this pass only confirms them.
    if (!m_rows->rows().isEmpty() && !db::isReadOnly()) {
        ledger::Recalc r;
        {
            ui::Hourglass wait;
            ui::withProgress(this, kRecalcLabel, [&](const ledger::Progress& p) { r = ledger::Recalc_Zan(m_page, p); });
        }
        // The stored balances stay as they were; the window closes as asked.
        if (!r.ok) critical(QStringLiteral("差引を再計算できません"));
    }
    close();
    session().Set_MenuEnabled(true);
}

ui::FormBase* createJournal(app::Session& session, QWidget* menu) { return new form_S0101(session, menu); }

}  // namespace purse
