#include "purse/PurseJournal.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <algorithm>

#include "ui/Grid.h"
#include "ui/Inputs.h"
#include "ui/MenuForm.h"
#include "purse/PurseWindows.h"
#include "core/AppState.h"
#include "core/db/Convert.h"
#include "core/db/Database.h"
#include "core/db/Recordset.h"
#include "core/ledger/Dates.h"
#include "core/ledger/Pages.h"
#include "ui/PrintWriters.h"
#include "ui/Progress.h"

namespace purse {
namespace {

const QString kRecalcLabel = QStringLiteral("差引を再計算しています");

constexpr int kColumns = 8;

QLabel* label(QWidget* parent, const QString& text, int x, int y, int w, int h = 24) {
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, w, h);
    return l;
}

QLineEdit* edit(QWidget* parent, const char* name, int x, int y, int w, bool numeric = true) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setGeometry(x, y, w, 24);
    if (numeric) ui::Mark_Numeric(e);
    return e;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int x, int y, int w, int h = 24) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(x, y, w, h);
    return b;
}

QFrame* selectFrame(QWidget* parent, const char* name) {
    auto* f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setFrameShape(QFrame::StyledPanel);
    f->setFrameShadow(QFrame::Raised);
    f->setAutoFillBackground(true);
    f->setGeometry(548, 8, 224, 100);
    f->hide();
    return f;
}

}  // namespace

form_S0101::form_S0101(app::Session& session, QWidget* parent)
    : FormBase(session, QStringLiteral("家計簿入力"), parent) {
    setObjectName(QStringLiteral("form_S0101"));
    resize(800, 600);
    build();
    keys();

    m_date->Set_Month(ledger::Month_Text(session.now().date()));
    Clear_Entry();
    const struct {
        const char* text;
        int twips;
    } headers[kColumns] = {{"番号", 500},  {"日付", 500},  {"科目ｺｰﾄﾞ", 1000}, {"科目名", 3000},
                           {"収入", 1000}, {"支出", 1000}, {"差引", 1000},     {"備考", 3000}};
    for (int c = 0; c < kColumns; ++c) m_grid->Set_Header(c, QString::fromUtf8(headers[c].text), headers[c].twips);
    m_grid->Fit_Column(0, QStringLiteral("000000"));
    Set_Layout_Keys(QStringLiteral("S0101"), m_grid, QStringLiteral("grd_S01ColWidth"), kColumns);
    Restore_Layout();

    Show_Page(ledger::Opening_Page(session.now().date().month()));
}

void form_S0101::build() {
    label(this, QStringLiteral("年度/月"), 8, 8, 56);
    m_date = new ui::MonthBox(QStringLiteral("txt_date"), this);
    m_date->setGeometry(66, 8, 76, 24);
    auto* prevMonth = button(this, "Command5", QStringLiteral("<-"), 146, 8, 32);
    auto* nextMonth = button(this, "Command4", QStringLiteral("+>"), 180, 8, 32);
    label(this, QStringLiteral("No."), 232, 8, 30);
    m_pageBox = edit(this, "txt_page", 264, 8, 60);
    m_pageBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The page is chosen by the page keys, never typed.
    m_pageBox->setReadOnly(true);
    m_pageBox->setFocusPolicy(Qt::NoFocus);

    label(this, QStringLiteral("番号"), 8, 40, 56);
    m_recNo = edit(this, "txt_rec_no", 66, 40, 76);
    m_recNo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_recNo->setFocusPolicy(Qt::ClickFocus);
    label(this, QStringLiteral("日"), 152, 40, 20);
    m_day = edit(this, "txt_day", 174, 40, 40);
    auto* prevDay = button(this, "Command3", QStringLiteral("<-"), 218, 40, 32);
    auto* nextDay = button(this, "Command2", QStringLiteral("+>"), 252, 40, 32);

    label(this, QStringLiteral("科目ｺｰﾄﾞ"), 8, 72, 58);
    m_kCd = edit(this, "txt_k_cd", 66, 72, 76);
    label(this, QStringLiteral("科目名"), 152, 72, 50);
    m_kNm = new QComboBox(this);
    m_kNm->setObjectName(QStringLiteral("cmb_k_nm"));
    m_kNm->setGeometry(204, 72, 230, 24);
    m_kNm->setFocusPolicy(Qt::ClickFocus);
    // A list below the box, whose height follows maxVisibleItems (the menu-like popup of some
    // styles ignores it and covers the screen).
    m_kNm->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    m_drop = button(this, "cmd_syo_nm", QStringLiteral("∇"), 436, 72, 26);

    label(this, QStringLiteral("金額"), 8, 104, 56);
    m_kingaku = edit(this, "txt_kingaku", 66, 104, 110);
    m_kingaku->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label(this, QStringLiteral("備考"), 186, 104, 36);
    m_biko = edit(this, "txt_biko", 224, 104, 238, false);
    m_input = button(this, "cmd_input", QStringLiteral("入力"), 470, 102, 70, 28);
    m_input->setEnabled(false);

    label(this, QString::fromUtf8(ui::kHintEnter), 8, 136, 760, 18);
    label(this, QString::fromUtf8(ui::kHintGrid), 8, 154, 760, 18);

    m_grid = new ui::FlexGrid(this);
    m_grid->setObjectName(QStringLiteral("grd_S01"));
    m_rows = new models::PageModel(this);
    m_grid->Set_Model(m_rows);
    m_grid->setGeometry(8, 176, width() - 16, height() - 176 - 57);
    m_grid->setFocusPolicy(Qt::ClickFocus);
    Set_Fill_Widget(m_grid);

    // Modify by number.
    m_selectCd = selectFrame(this, "frm_select_cd");
    label(m_selectCd, QStringLiteral("修正するレコード番号"), 8, 6, 200)->setObjectName(QStringLiteral("lbl_cd"));
    m_cd = edit(m_selectCd, "txt_cd", 8, 32, 80);
    auto* syusei = button(m_selectCd, "cmd_syusei", QStringLiteral("修正"), 8, 66, 70);
    auto* cancelCd = button(m_selectCd, "Command1", QStringLiteral("ｷｬﾝｾﾙ"), 84, 66, 70);

    // Delete by number or range.
    m_selectCd2 = selectFrame(this, "frm_select_cd2");
    label(m_selectCd2, QStringLiteral("削除するレコード番号"), 8, 6, 200);
    m_cd2[0] = edit(m_selectCd2, "txt_cd2_0", 8, 32, 70);
    label(m_selectCd2, QStringLiteral("～"), 84, 32, 16);
    m_cd2[1] = edit(m_selectCd2, "txt_cd2_1", 104, 32, 70);
    auto* sakujyo = button(m_selectCd2, "cmd_sakujyo", QStringLiteral("削除"), 8, 66, 70);
    auto* cancelCd2 = button(m_selectCd2, "Command7", QStringLiteral("ｷｬﾝｾﾙ"), 84, 66, 70);

    // Print side.
    m_selectOmote = selectFrame(this, "frm_select_omote");
    label(m_selectOmote, QStringLiteral("印刷面"), 8, 6, 200);
    m_option[0] = new QRadioButton(QStringLiteral("表"), m_selectOmote);
    m_option[0]->setObjectName(QStringLiteral("Option1_0"));
    m_option[0]->setGeometry(8, 32, 60, 24);
    m_option[0]->setChecked(true);
    m_option[1] = new QRadioButton(QStringLiteral("裏"), m_selectOmote);
    m_option[1]->setObjectName(QStringLiteral("Option1_1"));
    m_option[1]->setGeometry(74, 32, 60, 24);
    auto* printNow = button(m_selectOmote, "Command6", QStringLiteral("印刷"), 8, 66, 70);
    auto* cancelPrint = button(m_selectOmote, "Command8", QStringLiteral("ｷｬﾝｾﾙ"), 84, 66, 70);

    Create_FKeyBar(8, height() - 57, width() - 16);

    // Buttons beside the fields act without taking the focus from the field being typed in.
    for (QPushButton* b : {prevMonth, nextMonth, prevDay, nextDay, m_drop}) b->setFocusPolicy(Qt::NoFocus);
    for (int n = 1; n <= 10; ++n) FKey(n)->setFocusPolicy(Qt::ClickFocus);
    setTabOrder(m_date, m_day);
    setTabOrder(m_day, m_kCd);
    setTabOrder(m_kCd, m_kingaku);
    setTabOrder(m_kingaku, m_biko);
    setTabOrder(m_biko, m_input);

    connect(prevMonth, &QPushButton::clicked, this, [this] {
        m_date->Set_Month(ledger::Add_Months(m_date->Month(), -1));
        m_date->setFocus();
    });
    connect(nextMonth, &QPushButton::clicked, this, [this] {
        m_date->Set_Month(ledger::Add_Months(m_date->Month(), 1));
        m_date->setFocus();
    });
    auto moveDay = [this](int n) {
        const auto date = ledger::Journal_Date(m_date->Month(), m_day->text());
        if (!date) return;
        const QDate moved = QDate::fromString(*date, QStringLiteral("yyyy/MM/dd")).addDays(n);
        m_day->setText(moved.toString(QStringLiteral("dd")));
        m_date->Set_Month(ledger::Month_Text(moved));
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
    connect(m_input, &QPushButton::clicked, this, &form_S0101::Input);

    connect(syusei, &QPushButton::clicked, this, &form_S0101::Modify_By_Number);
    connect(cancelCd, &QPushButton::clicked, m_selectCd, &QWidget::hide);
    connect(sakujyo, &QPushButton::clicked, this, &form_S0101::Delete_Range);
    connect(cancelCd2, &QPushButton::clicked, m_selectCd2, &QWidget::hide);
    connect(printNow, &QPushButton::clicked, this, &form_S0101::print);
    connect(cancelPrint, &QPushButton::clicked, m_selectOmote, &QWidget::hide);

    // The row the grid's actions work on is the one the user last picked, by mouse or keys.
    connect(m_grid, &ui::FlexGrid::Current_Row_Changed, this, [this](int row) { m_clickedRow = row; });
    connect(m_grid, &ui::FlexGrid::Clicked_Row, this, [this](int row) {
        if (row > 0) m_clickedRow = row;
    });
    connect(m_grid, &ui::FlexGrid::Double_Clicked, this, [this] {
        FKey(1)->setEnabled(false);
        {
            ui::Hourglass wait;
            Load_FromGrid(m_clickedRow);
            m_input->setText(QStringLiteral("更新"));
        }
        FKey(1)->setEnabled(true);
    });
    connect(m_grid, &ui::FlexGrid::Delete_Pressed, this, [this] {
        const ledger::PageRow* row = m_rows->rowAt(m_clickedRow - 1);
        if (!row) {
            critical(QStringLiteral("レコードがありません"));
            return;
        }
        delete_Rows(row->cd, std::nullopt);
    });
}

void form_S0101::keys() {
    Set_FKey(1, QStringLiteral("入力"), [this] {
        {
            ui::Hourglass wait;
            Clear_Entry();
        }
        m_day->setFocus();
    });
    Set_FKey(2, QStringLiteral("番号指定削除"), [this] {
        m_cd2[0]->clear();
        m_cd2[1]->clear();
        m_selectCd2->show();
        m_selectCd2->raise();
        m_cd2[0]->setFocus();
    });
    Set_FKey(3, QStringLiteral("番号指定修正"), [this] {
        m_cd->clear();
        m_selectCd->show();
        m_selectCd->raise();
        m_cd->setFocus();
    });
    Set_FKey(4, QStringLiteral("前ページ"), [this] {
        move_Page(m_page > 1 ? m_page - 1 : m_page);
        m_date->setFocus();
    });
    Set_FKey(5, QStringLiteral("次ページ"), [this] {
        move_Page(m_page + 1);
        m_date->setFocus();
    });
    Set_FKey(6, QStringLiteral("最初"), [this] { move_Page(1); });
    Set_FKey(7, QStringLiteral("最後"), [this] { move_Page(ledger::Last_Page()); });
    Set_FKey(8, QStringLiteral("再計算"), [this] { Recalculate(); });
    Set_FKey(9, QStringLiteral("発行"), [this] {
        m_selectOmote->show();
        m_selectOmote->raise();
    });
    Set_FKey(10, QStringLiteral("終了"), [this] { close_Journal(); });

    On_Enter(m_date, [this] {
        m_date->Normalise();
        return true;
    });
    On_Enter(m_recNo, [this] {
        m_day->setFocus();
        return false;
    });
    On_Enter(m_day, [this] { return check_Day(); });
    On_Leave(m_day, [this] { return check_Day(); });
    On_Enter(m_kCd, [this] { return find_Category(); });
    On_Leave(m_kCd, [this] {
        m_input->setEnabled(false);
        if (!m_kCd->text().isEmpty()) find_Category();
        return true;
    });
    On_Enter(m_kNm, [this] {
        if (m_kNm->currentIndex() >= 0) {
            m_kCd->setText(QString::number(m_kNm->currentData().toLongLong()));
            m_input->setEnabled(true);
        }
        m_kingaku->setFocus();
        return false;
    });
    On_Enter(m_kingaku);
    On_Enter(m_biko);
    On_ShiftLeft(m_kCd, m_day);
    On_ShiftLeft(m_kingaku, m_kCd);
    On_ShiftLeft(m_biko, m_kingaku);

    On_Enter(m_cd, [this] {
        Modify_By_Number();
        return false;
    });
    On_Enter(m_cd2[0], [this] {
        if (!m_cd2[0]->text().isEmpty()) m_cd2[1]->setFocus();
        return false;
    });
    On_Enter(m_cd2[1], [this] {
        Delete_Range();
        return false;
    });
    On_ShiftLeft(m_cd2[1], m_cd2[0]);
}

bool form_S0101::check_Day() {
    const auto day = ledger::Day_Text(m_day->text());
    if (!day) return false;
    m_day->setText(*day);
    return true;
}

bool form_S0101::find_Category() {
    const auto code = db::Parse_Whole(m_kCd->text());
    if (!code) return false;
    const int index = ui::Find_Combo_Entry(m_kNm, *code);
    if (index < 0) return false;
    m_kNm->setCurrentIndex(index);
    m_input->setEnabled(true);
    return true;
}

void form_S0101::fill_Combo() { ui::Fill_Code_Combo(m_kNm, session().rs_T01); }

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
    const ledger::PageRead read = ledger::Read_Page(page);
    // An empty page shows one empty row, where its first entry will go.
    m_rows->setRows(read.rows);
    if (!read.rows.isEmpty()) {
        const QString first = read.rows.first().kDate;
        if (first.size() >= 3) m_date->Set_Month(first.chopped(3));
    }
    // The grid's Delete key and double-click act on the highlighted row: start from the first.
    m_clickedRow = 1;
    if (read.rows.isEmpty())
        m_grid->setCurrentIndex({});
    else
        m_grid->Set_Row(1);
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
    if (r->kDate.size() >= 7 && ledger::Month_Start(r->kDate.left(7))) m_date->Set_Month(r->kDate.left(7));
    m_kCd->setText(QString::number(r->kCd));
    find_Category();
    m_kingaku->setText(QString::number(r->kingaku));
    m_biko->setText(r->biko);
    m_day->setFocus();
}

void form_S0101::Input() {
    if (refuseReadOnly()) return;
    // Record numbers run past 32767 in a long-kept book; only master codes keep that limit.
    const auto recNo = db::Parse_Record_Number(m_recNo->text());
    if (!recNo) return refuse(m_recNo, QStringLiteral("番号は1以上の整数で入力してください"));
    const QString month = m_date->Month();
    if (!ledger::Month_Start(month)) return refuse(m_date, QStringLiteral("年度/月を正しく入力してください"));
    const auto day = ledger::Day_Text(m_day->text());
    if (!day) return refuse(m_day, QStringLiteral("日は1～31の整数で入力してください"));
    const auto date = ledger::Journal_Date(month, *day);
    if (!date) return refuse(m_day, QStringLiteral("日付が正しくありません"));
    const auto kCd = db::Parse_Code(m_kCd->text());
    if (!kCd) return refuse(m_kCd, QStringLiteral("科目ｺｰﾄﾞは1～32767の整数で入力してください"));
    if (!session().Seek_T01(*kCd)) return refuse(m_kCd, QStringLiteral("科目ｺｰﾄﾞ %1 は科目マスターにありません").arg(*kCd));
    const auto amount = db::Parse_Yen(m_kingaku->text());
    if (!amount) return refuse(m_kingaku, QStringLiteral("金額は円単位の整数で入力してください"));

    m_input->setEnabled(false);
    {
        ui::Hourglass wait;
        ui::Set_FKeyEnabled(this, false);
        m_day->setText(*day);
        const ledger::Entry e{*recNo, m_page, *date, *kCd, *amount, m_biko->text()};
        const ledger::Written w = ledger::Write_Entry(e);
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

void form_S0101::Recalculate() {
    if (refuseReadOnly()) return;
    ledger::Recalc r;
    {
        ui::Hourglass wait;
        ui::Set_FKeyEnabled(this, false);
        ui::With_Progress(this, kRecalcLabel, [&r](const ledger::Progress& p) { r = ledger::Recalc_Zan(1, p); });
        Show_Page(ledger::Last_Page());
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
        ui::With_Progress(this, kRecalcLabel,
                          [&](const ledger::Progress& p) { d = ledger::Delete_Entries(from, to, p); });
        Show_Page(m_page);
        ui::Set_FKeyEnabled(this, true);
    }
    if (d.ok) {
        m_selectCd2->hide();
        return;
    }
    critical(QStringLiteral("削除できません"));
}

void form_S0101::Delete_Range() {
    const auto from = db::Parse_Record_Number(m_cd2[0]->text());
    if (!from) {
        critical(QStringLiteral("削除するレコード番号は1以上の整数で入力してください"));
        m_cd2[0]->setFocus();
        return;
    }
    std::optional<qint64> to;
    if (!m_cd2[1]->text().trimmed().isEmpty()) {
        const auto t = db::Parse_Record_Number(m_cd2[1]->text());
        if (!t) {
            critical(QStringLiteral("削除するレコード番号は1以上の整数で入力してください"));
            m_cd2[1]->setFocus();
            return;
        }
        to = *t;
    }
    delete_Rows(*from, to);
}

void form_S0101::Modify_By_Number() {
    const auto cd = db::Parse_Record_Number(m_cd->text());
    if (!cd) {
        critical(QStringLiteral("修正するレコード番号は1以上の整数で入力してください"));
        m_cd->setFocus();
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
    ui::Print_Document(session(), this, QStringLiteral("家計簿 No.") + page, [this, page](print::PageWriter& out) {
        return print::Print_PurseJournal(out, page, m_date->Month(), m_rows->rowTexts(), session().flg_Front);
    });
}

void form_S0101::close_Journal() {
    // Every write keeps the balances; this pass only confirms them.
    if (!m_rows->rows().isEmpty() && !db::Is_Read_Only()) {
        ledger::Recalc r;
        {
            ui::Hourglass wait;
            ui::With_Progress(this, kRecalcLabel, [&](const ledger::Progress& p) { r = ledger::Recalc_Zan(m_page, p); });
        }
        // The stored balances stay as they were; the window closes as asked.
        if (!r.ok) critical(QStringLiteral("差引を再計算できません"));
    }
    close();
    session().Set_MenuEnabled(true);
}

ui::FormBase* Create_Journal(app::Session& session, QWidget* menu) { return new form_S0101(session, menu); }

}  // namespace purse
