#include "ui/totals/TotalsForm.h"

#include <QComboBox>
#include <QDate>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "core/db/Book.h"
#include "core/db/Convert.h"
#include "core/db/Recordset.h"
#include "core/ledger/BankBook.h"
#include "ui/io/CsvExport.h"
#include "ui/print/PrintWriters.h"
#include "ui/shell/Grid.h"
#include "ui/shell/Inputs.h"
#include "ui/shell/Msg.h"
#include "ui/year/YearForm.h"

namespace ui {
namespace {

constexpr int kMinYear = 1900;
constexpr int kMaxYear = 9999;

QString yearText(qint64 y) { return QStringLiteral("%1").arg(y, 4, 10, QLatin1Char('0')); }
QString monthText(qint64 m) { return QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0')); }

std::optional<qint64> validYear(const QString& t) {
    const auto y = db::parseWhole(t);
    if (!y || *y < kMinYear || *y > kMaxYear) return std::nullopt;
    return y;
}
std::optional<qint64> validMonth(const QString& t) {
    const auto m = db::parseWhole(t);
    if (!m || *m < 1 || *m > 12) return std::nullopt;
    return m;
}
bool filledNumeric(const QLineEdit* e) { return !e->text().isEmpty() && db::isNumeric(e->text()); }

// Rewrites a box's text without moving the caret relative to the end of the text.
void rewrite(QLineEdit* e, const QString& text) {
    if (e->text() == text) return;
    const int fromEnd = e->text().size() - e->cursorPosition();
    e->setText(text);
    e->setCursorPosition(std::max(0, static_cast<int>(text.size()) - fromEnd));
}

}  // namespace

// ---- period frames ----------------------------------------------------------------------

PeriodControls::PeriodControls(FormBase* form) : QObject(form), m_form(form) {
    m_monthFrame = layoutPart<QFrame>(form, "frm_syukei_mode_0");
    auto* cmd4 = layoutPart<QPushButton>(m_monthFrame, "Command4");
    m_month = layoutPart<QLineEdit>(m_monthFrame, "txt_date2");
    markNumeric(m_month);
    auto* cmd1 = layoutPart<QPushButton>(m_monthFrame, "Command1");

    m_yearFrame = layoutPart<QFrame>(form, "frm_syukei_mode_1");
    auto* cmd3 = layoutPart<QPushButton>(m_yearFrame, "Command3");
    m_year = layoutPart<QLineEdit>(m_yearFrame, "txt_date1");
    markNumeric(m_year);
    auto* cmd2 = layoutPart<QPushButton>(m_yearFrame, "Command2");
    // The layout gives the step buttons no focus: pressing one leaves the focus where it is, so
    // that an invalid box is not left.

    connect(cmd1, &QPushButton::clicked, this, [this] { stepMonth(1); });
    connect(cmd4, &QPushButton::clicked, this, [this] { stepMonth(-1); });
    connect(cmd2, &QPushButton::clicked, this, [this] { stepYear(1); });
    connect(cmd3, &QPushButton::clicked, this, [this] { stepYear(-1); });

    form->onEnter(m_year, [this] {
        if (!checkYear(true) || !filledNumeric(m_month)) return false;
        emit recompute();
        return true;
    });
    form->onEnter(m_month, [this] {
        if (!checkMonth(true) || !filledNumeric(m_year)) return false;
        emit recompute();
        return true;
    });
    form->onLeave(m_year, [this] { return checkYear(false); });
    form->onLeave(m_month, [this] { return checkMonth(false); });
    form->onShiftLeft(m_month, m_year);
    m_year->installEventFilter(this);
    m_month->installEventFilter(this);
}

bool PeriodControls::eventFilter(QObject* watched, QEvent* e) {
    // Before each key takes effect a valid box is written in its format ("0000" / "00").
    if (e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter) {
            if (watched == m_year) {
                if (const auto y = validYear(m_year->text())) rewrite(m_year, yearText(*y));
            } else if (watched == m_month) {
                if (const auto m = validMonth(m_month->text())) rewrite(m_month, monthText(*m));
            }
        }
    }
    return QObject::eventFilter(watched, e);
}

void PeriodControls::refuseNow(const QString& text, bool tellNow) { m_form->refuseText(text, tellNow); }

bool PeriodControls::checkBox(QLineEdit* box, std::optional<qint64> (*valid)(const QString&), QString (*text)(qint64),
                              const QString& refusal, bool tellNow) {
    if (const auto v = valid(box->text())) {
        rewrite(box, text(*v));
        return true;
    }
    refuseNow(refusal, tellNow);
    return false;
}

bool PeriodControls::checkYear(bool tellNow) {
    return checkBox(m_year, validYear, yearText, QStringLiteral("年は1900～9999の整数で入力してください"), tellNow);
}

bool PeriodControls::checkMonth(bool tellNow) {
    return checkBox(m_month, validMonth, monthText, QStringLiteral("月は1～12の整数で入力してください"), tellNow);
}

void PeriodControls::setToday() {
    const QDate today = m_form->session().now().date();
    m_year->setText(yearText(today.year()));
    m_month->setText(monthText(today.month()));
}

void PeriodControls::showForMode(int mode) {
    m_monthFrame->setVisible(mode == 0);
    m_yearFrame->setVisible(true);
}

void PeriodControls::place(int monthLeft, int yearLeft) {
    m_monthFrame->move(monthLeft, m_monthFrame->y());
    m_yearFrame->move(yearLeft, m_yearFrame->y());
}

std::optional<ledger::Period> PeriodControls::period(int mode) const {
    const auto y = validYear(m_year->text());
    const auto m = validMonth(m_month->text());
    if (!y || !m) return std::nullopt;
    return ledger::Period{mode, static_cast<int>(*y), static_cast<int>(*m)};
}

void PeriodControls::stepMonth(int n) {
    // The month cycles within the year: the year box is left as it is.
    const auto p = period(0);
    if (!p) return;
    const QDate d = QDate(p->year, p->month, 1).addMonths(n);
    m_month->setText(monthText(d.month()));
    m_month->setFocus(Qt::OtherFocusReason);
    if (filledNumeric(m_year)) emit recompute();
}

void PeriodControls::stepYear(int n) {
    const auto p = period(0);
    if (!p) return;
    const int y = p->year + n;
    if (y < kMinYear || y > kMaxYear) return;
    m_year->setText(yearText(y));
    m_year->setFocus(Qt::OtherFocusReason);
    if (filledNumeric(m_month)) emit recompute();
}

// ---- the windows over a period -----------------------------------------------------------

namespace {
QString modeWord(int mode) { return mode == 1 ? QStringLiteral("年") : QStringLiteral("月"); }
}  // namespace

PeriodForm::PeriodForm(app::Session& session, const QString& head, const QString& tail,
                       const std::function<void(QDialog*)>& setupUi, QWidget* parent)
    : FormBase(session, head + modeWord(session.periodMode) + tail, parent), m_head(head), m_tail(tail) {
    if (setupUi) setupUi(this);
    m_mode = session.periodMode == 1 ? 1 : 0;
    setWindowTitle(caption());
    m_period = new PeriodControls(this);
}

QString PeriodForm::caption() const { return m_head + modeWord(m_mode) + m_tail; }

void PeriodForm::pairBank(std::function<void(qint64)> chosen, std::function<bool(qint64)> isShown) {
    m_bankCode = layoutPart<QLineEdit>(this, "txt_b_cd");
    markNumeric(m_bankCode);
    m_bankName = layoutPart<QComboBox>(this, "cmb_b_nm");
    CodePair::Options bank;
    bank.refusal = kBankCodeRefusal;
    bank.chosen = std::move(chosen);
    bank.isShown = std::move(isShown);
    m_bankPair = new CodePair(this, m_bankCode, m_bankName, bank);
}

// ---- totals window ----------------------------------------------------------------------

TotalsForm::TotalsForm(app::Session& session, TotalsConfig config, QWidget* parent)
    : PeriodForm(session, config.captionHead, QStringLiteral("合計"), config.setupUi, parent),
      m_config(std::move(config)) {
    connect(m_period, &PeriodControls::recompute, this, &TotalsForm::recompute);

    if (m_config.bankControls) {
        pairBank(
            [this](qint64 code) {
                Hourglass wait;
                m_table->clear();
                Calc_Totals(code);
            },
            [this](qint64 code) { return m_shownBank && *m_shownBank == code; });
        m_zan = layoutPart<QLabel>(this, "lbl_zan");
        onShiftLeft(m_bankCode, m_period->yearBox());
    }

    const bool count = m_config.countColumn;
    m_grid = layoutPart<FlexGrid>(this, "grd_S01");
    m_table = new models::TotalsModel(count, this);
    m_grid->setGridModel(m_table);
    int c = 0;
    m_grid->setHeader(c++, m_config.codeHeader, 1200);
    m_grid->setHeader(c++, m_config.nameHeader, m_config.nameWidth);
    m_grid->setHeader(c++, m_config.kindHeader, 1000);
    if (count) m_grid->setHeader(c++, QStringLiteral("件数"), 400);
    m_grid->setHeader(c++, QString(), 1850);
    m_grid->setHeader(c++, QStringLiteral("金額"), 1500);
    m_grid->setHeader(c++, QStringLiteral("平均"), 1500);
    setFillWidget(m_grid);
    addCsvExport(this, m_grid, [this] {
        QString name = caption() + QLatin1Char('_') + yearBox()->text();
        if (m_mode == 0) name += QLatin1Char('-') + monthBox()->text();
        if (m_shownBank) name += QStringLiteral("_銀行%1").arg(*m_shownBank);
        return modelExport(*m_table, name + QStringLiteral(".csv"));
    });

    // The year at a glance (Ctrl+G) and the pie (Ctrl+P) of the period and bank shown here.
    setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G), [this] {
        if (const auto p = m_period->period(m_mode)) openYearTable(this, p->year, m_shownBank);
    });
    setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), [this] {
        if (const auto p = m_period->period(m_mode))
            openPie(this, PieChoice{{p->year, 1}, m_shownBank, m_mode == 0 ? p->month - 1 : -1, false});
    });

    createFKeyBar(8, height() - 57, width() - 16);
    setPrintKey(&m_side, [this] { printRun(); });
    setFKey(10, QStringLiteral("終了"), [this] { close(); });

    if (m_config.printSide) {
        // Which side of the sheet the first page goes on: a front page has the wider margin.
        m_side = layoutPart<QFrame>(this, "frm_select_omote");
        m_front = layoutPart<QRadioButton>(m_side, "Option1_0");
        auto* back = layoutPart<QRadioButton>(m_side, "Option1_1");
        auto* print = layoutPart<QPushButton>(m_side, "Command6");
        auto* cancel = layoutPart<QPushButton>(m_side, "Command8");
        connect(print, &QPushButton::clicked, this, [this] {
            m_side->hide();
            FormBase::printRun(m_front->isChecked(), [this] { Print_Totals(); });
        });
        connect(cancel, &QPushButton::clicked, this, [this] { m_side->hide(); });
        m_side->hide();
        // The frame lies over the function-key bar, made after the layout, and its buttons
        // follow the bar's in the Tab order.
        m_side->raise();
        setTabOrder(fKey(10), m_front);
        setTabOrder(m_front, back);
        setTabOrder(back, print);
        setTabOrder(print, cancel);
    }

    m_period->setToday();
    setLayoutKeys(QStringLiteral("S01T01"), m_grid, QStringLiteral("grd_S01T01ColWidth"), 6);
    restoreLayout();
    setClockTitle(
        [this] { return m_config.clockWithMode ? caption() : m_config.captionHead + QStringLiteral("合計"); });
    m_period->showForMode(m_mode);
    if (m_config.bankControls) {
        Fill_BankCombo();
        const qint64 first = db::Get_Min(book(), QStringLiteral("T01"), QStringLiteral("CD"));
        if (first >= 1) Calc_Totals(first);
    } else {
        Calc_Totals();
    }
}

void TotalsForm::reopen() {
    // A window that says 月 while it computes a year would mislead: it follows the new mode
    // at once, its frames, caption and table included.
    const int mode = session().periodMode == 1 ? 1 : 0;
    if (mode == m_mode) return;
    m_mode = mode;
    setWindowTitle(caption());
    m_period->showForMode(m_mode);
    recompute();
}

void TotalsForm::Fill_BankCombo() { fillCodeCombo(m_bankName, session().rs_T01); }

void TotalsForm::showBank(qint64 code) {
    if (!m_bankPair || !m_bankPair->select(code)) return;
    // The balance as stored now: the journal recomputes it after every change, while the shared
    // master record set is a copy taken when the masters were last opened.
    if (const ledger::MasterRow* bank = session().Seek_T01(code)) {
        const auto zan = ledger::storedZan(book(), code);
        m_zan->setText(zan ? QString::number(*zan) : db::To_Str(bank->zan, QString()));
    }
}

void TotalsForm::recompute() {
    Hourglass wait;
    m_table->clear();
    if (!m_config.bankControls) {
        Calc_Totals();
        return;
    }
    const auto code = db::parseWhole(m_bankCode->text());
    if (code && *code >= 1 && *code <= db::kMaxCode) Calc_Totals(*code);
}

void TotalsForm::Calc_Totals(qint64 bankCode) {
    if (m_config.bankControls) {
        m_bankCode->setText(QString::number(bankCode));
        showBank(bankCode);
        m_shownBank = bankCode;
    }
    const auto period = m_period->period(m_mode);
    Fill_TotalGrid(period ? ledger::periodTotals(book(), m_config.program, bankCode, *period) : ledger::TotalsTable{});
}

void TotalsForm::Fill_TotalGrid(const ledger::TotalsTable& t) { m_table->setTable(t); }

void TotalsForm::printRun() {
    FormBase::printRun(session().flg_Front, [this] { Print_Totals(); });
}

void TotalsForm::Print_Totals() {
    const bool bank = m_config.program == app::Program::Bank;
    const QString year = yearBox()->text();
    const QString month = monthBox()->text();
    const int mode = m_mode;
    printDocument(session(), this, bank ? QStringLiteral("銀行項目別合計") : QStringLiteral("科目別合計"),
                  [this, bank, year, month, mode](print::PageWriter& out) {
                      const print::Rows rows = m_table->rowTexts();
                      // The bank book's totals carry no side: always the back-side margin.
                      return bank ? print::printBankTotals(out, year, month, mode, rows)
                                  : print::printPurseTotals(out, year, month, mode, rows, session().flg_Front);
                  });
}

void TotalsForm::layoutControls() {
    FormBase::layoutControls();
    if (m_config.framesRight && m_period) {
        // Side by side, the year frame 5 from the right edge.
        const int yearLeft = width() - m_period->yearFrame()->width() - 5;
        m_period->place(yearLeft - m_period->monthFrame()->width(), yearLeft);
    }
}

}  // namespace ui
