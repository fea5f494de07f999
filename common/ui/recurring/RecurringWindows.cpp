#include "ui/recurring/RecurringWindows.h"

#include <QComboBox>
#include <QEvent>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QStyledItemDelegate>
#include <QTimer>
#include <algorithm>

#include "core/db/Convert.h"
#include "ui/shell/CellEditor.h"
#include "ui/shell/Grid.h"

namespace ui {
namespace {

// A label of the entry dialog beside the box placed at `y`: the box's name, the name of the code
// typed, or a hint. `name` is its object name, for those the dialog writes into.
QLabel* addLabel(QWidget* dialog, const QString& text, int x, int y, int width, const char* name = nullptr) {
    auto* label = new QLabel(text, dialog);
    if (name) label->setObjectName(QLatin1String(name));
    label->setGeometry(x, y + 4, width, 20);
    return label;
}

bool isBank(app::Session& s) { return s.program() == app::Program::Bank; }
QString itemHeader(app::Session& s) { return isBank(s) ? QStringLiteral("項目") : QStringLiteral("科目"); }

// Edits a cell in a box whose text is selected, so that typing replaces it.
class CellDelegate : public SelectingCellDelegate {
  public:
    using SelectingCellDelegate::SelectingCellDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        auto* e = new QLineEdit(parent);
        e->setObjectName(QStringLiteral("dueCell"));
        return e;
    }
};

// What the 定期入力 window was closed on in this run, for the open book. Each rule is told by its
// earliest due occurrence: once the user has closed the window on it, it is not asked again,
// whichever journal opens next. A posting taken back with Ctrl+Z brings its rule's old
// occurrence back, which was never declined, so it is asked again. Owned by the session.
class DueState : public QObject {
  public:
    explicit DueState(QObject* parent) : QObject(parent) { setObjectName(QStringLiteral("recurringDueState")); }
    static DueState& of(app::Session& session) {
        auto* s = session.findChild<DueState*>(QStringLiteral("recurringDueState"), Qt::FindDirectChildrenOnly);
        if (!s) s = new DueState(&session);
        // Another book opened in the same run starts afresh.
        if (s->path != session.book().path()) {
            s->path = session.book().path();
            s->declined.clear();
        }
        return *s;
    }
    static QString key(const ledger::Occurrence& o) {
        return QString::number(o.rule) + QLatin1Char('|') + ledger::bookDateText(o.date);
    }
    QString path;
    QSet<QString> declined;
    bool showing = false;
};

// The due occurrences the user has not declined in this run: a rule whose earliest due
// occurrence was declined is left out with all its later ones.
QList<ledger::Occurrence> undeclined(app::Session& session, QString* error) {
    const ledger::DueList due = ledger::dueOccurrences(session.book(), session.program(), session.now().date());
    if (!due.ok) {
        if (error) *error = due.error;
        return {};
    }
    const DueState& state = DueState::of(session);
    QSet<qint64> left;
    QSet<qint64> seen;
    // The list is by date: the first row of a rule met is its earliest.
    for (const ledger::Occurrence& o : due.rows) {
        if (seen.contains(o.rule)) continue;
        seen.insert(o.rule);
        if (state.declined.contains(DueState::key(o))) left.insert(o.rule);
    }
    QList<ledger::Occurrence> out;
    for (const ledger::Occurrence& o : due.rows)
        if (!left.contains(o.rule)) out.append(o);
    return out;
}

}  // namespace

models::RecurringNames recurringNames(app::Session& session) {
    models::RecurringNames n;
    auto name = [](const ledger::MasterRow* r, qint64 code) { return r ? r->nm : QString::number(code); };
    if (isBank(session)) {
        n.bank = [&session, name](qint64 code) { return name(session.Seek_T01(code), code); };
        n.item = [&session, name](qint64 code) { return name(session.Seek_T02(code), code); };
    } else {
        n.item = [&session, name](qint64 code) { return name(session.Seek_T01(code), code); };
    }
    return n;
}

// ---- 定期入力の設定 ---------------------------------------------------------------------------

RuleWindow::RuleWindow(app::Session& session, QWidget* parent)
    : FormBase(session, QStringLiteral("定期入力の設定"), parent) {
    setObjectName(QStringLiteral("RuleWindow"));
    resize(1000, 440);
    auto* hint = new QLabel(QString::fromUtf8(kHintGrid), this);
    hint->setGeometry(8, 8, 980, 20);
    m_grid = new FlexGrid(this);
    m_grid->setObjectName(QStringLiteral("ruleGrid"));
    m_grid->setGeometry(8, 32, 984, 340);
    m_rules = new models::RuleListModel(recurringNames(session), itemHeader(session), this);
    m_grid->setGridModel(m_rules);
    const bool bank = isBank(session);
    QList<int> widths = {600, 1800, 1100, 1700, 1100, 1200, 1200, 1200, 2400};
    if (bank) widths.insert(1, 1500);
    for (int c = 0; c < widths.size(); ++c) m_grid->setColWidthTwips(c, widths[c]);
    setFillWidget(m_grid);
    connect(m_grid, &FlexGrid::doubleClicked, this, &RuleWindow::modifySelected);
    connect(m_grid, &FlexGrid::deletePressed, this, &RuleWindow::removeSelected);

    createFKeyBar(8, height() - 57, width() - 16);
    setFKey(1, QStringLiteral("入力"), [this] { add(); });
    setFKey(2, QStringLiteral("削除"), [this] { removeSelected(); });
    setFKey(3, QStringLiteral("修正"), [this] { modifySelected(); });
    setFKey(10, QStringLiteral("終了"), [this] { close(); });
    setLayoutKeys(QStringLiteral("R01List"));
    restoreLayout();
    fill();
}

void RuleWindow::fill() {
    const qint64 was = selectedRule();
    const ledger::RuleList list =
        ledger::holdsRules(book()) ? ledger::readRules(book()) : ledger::RuleList{true, {}, {}};
    if (!list.ok) critical(list.error);
    m_rules->setRows(list.rules);
    const int row = was ? m_rules->rowOf(was) : -1;
    if (m_rules->rowCount() > 0) m_grid->setRow(row >= 0 ? row + 1 : 1);
}

qint64 RuleWindow::selectedRule() const {
    const ledger::RecurringRule* r = m_rules ? m_rules->rowAt(m_grid->row() - 1) : nullptr;
    return r ? r->cd : 0;
}

void RuleWindow::add() { edit(std::nullopt); }

void RuleWindow::modifySelected() {
    const ledger::RecurringRule* r = m_rules->rowAt(m_grid->row() - 1);
    if (!r) {
        info(kNoRecord);
        return;
    }
    edit(*r);
}

void RuleWindow::edit(const std::optional<ledger::RecurringRule>& rule) {
    if (refuseReadOnly()) return;
    if (m_dialog) return;
    auto* d = new RuleDialog(session(), rule, this);
    m_dialog = d;
    d->showModal();
    const qint64 written = d->written();
    delete d;
    if (!written) return;
    fill();
    const int row = m_rules->rowOf(written);
    if (row >= 0) m_grid->setRow(row + 1);
}

void RuleWindow::removeSelected() {
    const ledger::RecurringRule* r = m_rules->rowAt(m_grid->row() - 1);
    if (!r) {
        info(kNoRecord);
        return;
    }
    if (refuseReadOnly()) return;
    const QString what = QStringLiteral("定期入力 %1（%2 %3円）を削除しますか？")
                             .arg(r->cd)
                             .arg(recurringNames(session()).item(r->item))
                             .arg(r->amount);
    if (!ask(what)) return;
    const ledger::RuleWrite w = ledger::deleteRule(book(), r->cd);
    if (!w.ok) {
        critical(w.error);
        return;
    }
    session().recordChange(w.change);
    fill();
}

// ---- The entry dialog ----------------------------------------------------------------------

RuleDialog::RuleDialog(app::Session& session, const std::optional<ledger::RecurringRule>& rule, QWidget* parent)
    : FormBase(session, QStringLiteral("定期入力の設定"), parent) {
    setObjectName(QStringLiteral("RuleDialog"));
    setModal(true);
    resize(520, 420);
    const bool bank = isBank(session);
    if (rule) {
        m_rule = *rule;
    } else {
        m_rule.start = ledger::bookDateText(session.now().date());
        m_rule.note.clear();
    }
    int y = 12;
    if (bank) {
        m_bank = box("txt_b_cd", QStringLiteral("銀行"), y, 60, true);
        m_bankName = addLabel(this, {}, 190, y, 300, "lbl_b_nm");
        y += 34;
    }
    m_item = box("txt_k_cd", itemHeader(session), y, 60, true);
    m_itemName = addLabel(this, {}, 190, y, 300, "lbl_k_nm");
    y += 34;
    m_amount = box("txt_kingaku", QStringLiteral("金額"), y, 120, true);
    y += 34;
    m_day = box("txt_day", QStringLiteral("日"), y, 40, true);
    addLabel(this, QStringLiteral("1～31、99は末日"), 170, y, 300);
    y += 34;
    m_every = box("txt_every", QStringLiteral("間隔"), y, 40, true);
    addLabel(this, QStringLiteral("か月ごと（1, 2, 3, 6, 12）"), 170, y, 300);
    y += 34;
    addLabel(this, QStringLiteral("休日"), 12, y, 90);
    m_shift = new QComboBox(this);
    m_shift->setObjectName(QStringLiteral("cmb_shift"));
    m_shift->setGeometry(110, y, 200, 28);
    for (int s = 0; s <= 2; ++s) m_shift->addItem(ledger::shiftText(s), s);
    y += 34;
    m_start = box("txt_s_date", QStringLiteral("開始日"), y, 120, true);
    y += 34;
    m_end = box("txt_e_date", QStringLiteral("終了日"), y, 120, true);
    addLabel(this, QStringLiteral("空欄は終了なし"), 240, y, 200);
    y += 34;
    m_note = box("txt_biko", QStringLiteral("備考"), y, 380, false);

    if (m_bank) m_bank->setText(rule ? QString::number(m_rule.bank) : QString());
    m_item->setText(rule ? QString::number(m_rule.item) : QString());
    m_amount->setText(rule ? QString::number(m_rule.amount) : QString());
    m_day->setText(rule ? QString::number(m_rule.day) : QString());
    m_every->setText(QString::number(m_rule.every));
    m_shift->setCurrentIndex(std::clamp(m_rule.shift, 0, 2));
    m_start->setText(m_rule.start);
    m_end->setText(m_rule.end);
    m_note->setText(m_rule.note);
    if (m_bank) connect(m_bank, &QLineEdit::textChanged, this, &RuleDialog::showNames);
    connect(m_item, &QLineEdit::textChanged, this, &RuleDialog::showNames);
    showNames();
    onEnter(m_shift);

    createFKeyBar(8, height() - 57, width() - 16);
    setFKey(1, QStringLiteral("更新"), [this] {
        if (write()) close();
    });
    setFKey(10, QStringLiteral("終了"), [this] { close(); });
    (m_bank ? m_bank : m_item)->setFocus();
}

QLineEdit* RuleDialog::box(const char* name, const QString& label, int y, int width, bool numeric) {
    addLabel(this, label, 12, y, 90);
    auto* e = new QLineEdit(this);
    e->setObjectName(QLatin1String(name));
    e->setGeometry(110, y, width, 28);
    if (numeric) markNumeric(e);
    onEnter(e);
    return e;
}

void RuleDialog::showNames() {
    const models::RecurringNames n = recurringNames(session());
    auto nameOf = [](QLineEdit* box, const std::function<QString(qint64)>& name) {
        const auto code = db::parseCode(box->text());
        return code ? name(*code) : QString();
    };
    if (m_bank) m_bankName->setText(nameOf(m_bank, n.bank));
    m_itemName->setText(nameOf(m_item, n.item));
}

QWidget* RuleDialog::boxOf(ledger::RuleBox box) const {
    switch (box) {
        case ledger::RuleBox::Bank:
            return m_bank ? m_bank : m_item;
        case ledger::RuleBox::Item:
            return m_item;
        case ledger::RuleBox::Amount:
            return m_amount;
        case ledger::RuleBox::Day:
            return m_day;
        case ledger::RuleBox::Every:
            return m_every;
        case ledger::RuleBox::Start:
        case ledger::RuleBox::Next:
            return m_start;
        case ledger::RuleBox::End:
            return m_end;
        case ledger::RuleBox::Shift:
            return m_shift;
        case ledger::RuleBox::None:
            break;
    }
    return nullptr;
}

bool RuleDialog::write() {
    if (refuseReadOnly()) return false;
    ledger::RecurringRule r = m_rule;
    const bool bank = m_bank != nullptr;
    // What cannot even be read as a number is refused here, with the box's name as the core
    // names it for the rest.
    auto whole = [this](QLineEdit* box, const QString& name, qint64* out) {
        const auto v = db::parseWhole(box->text());
        if (!v) {
            refuse(box, name + QStringLiteral(": 数字で入力してください"));
            return false;
        }
        *out = *v;
        return true;
    };
    qint64 v = 0;
    if (bank) {
        if (!whole(m_bank, QStringLiteral("銀行"), &v)) return false;
        r.bank = v;
    }
    if (!whole(m_item, isBank(session()) ? QStringLiteral("項目") : QStringLiteral("科目"), &v)) return false;
    r.item = v;
    const auto amount = db::parseYen(m_amount->text());
    if (!amount) {
        refuse(m_amount, QStringLiteral("金額: 円単位の整数で入力してください"));
        return false;
    }
    r.amount = *amount;
    if (!whole(m_day, QStringLiteral("日"), &v)) return false;
    r.day = int(std::clamp<qint64>(v, -1, 1000));
    if (!whole(m_every, QStringLiteral("間隔"), &v)) return false;
    r.every = int(std::clamp<qint64>(v, -1, 1000));
    r.shift = m_shift->currentData().toInt();
    // A date typed without its zeros is stored with them; anything else goes to the check as
    // typed, which names the box.
    auto dateText = [](QLineEdit* box) {
        const QString t = db::typedNumber(box->text()).trimmed();
        const QDate d = QDate::fromString(t, QStringLiteral("yyyy/M/d"));
        return d.isValid() ? ledger::bookDateText(d) : t;
    };
    r.start = dateText(m_start);
    r.end = dateText(m_end);
    r.note = m_note->text();

    const ledger::RuleProblem problem = ledger::checkRule(book(), session().program(), r);
    if (!problem.ok()) {
        refuse(boxOf(problem.box), problem.message);
        return false;
    }
    const ledger::RuleWrite w =
        r.cd ? ledger::updateRule(book(), session().program(), r) : ledger::addRule(book(), session().program(), r);
    if (!w.ok) {
        if (!w.problem.ok())
            refuse(boxOf(w.problem.box), w.problem.message);
        else
            critical(w.error);
        return false;
    }
    session().recordChange(w.change);
    m_written = w.cd ? w.cd : r.cd;
    return true;
}

// ---- 定期入力 (the due occurrences) -----------------------------------------------------------

DueWindow::DueWindow(app::Session& session, QList<ledger::Occurrence> due, qint64 page, QWidget* parent)
    : FormBase(session, QStringLiteral("定期入力"), parent), m_page(page) {
    setObjectName(QStringLiteral("DueWindow"));
    setModal(true);
    resize(860, 420);
    auto* hint = new QLabel(QStringLiteral("Spaceで選択・解除（解除すると同じ定期入力の後の回も解除）。"
                                           "金額・備考は入力で置き換え、その行だけに書きます"),
                            this);
    hint->setGeometry(8, 8, 840, 20);
    m_grid = new FlexGrid(this);
    m_grid->setObjectName(QStringLiteral("dueGrid"));
    m_grid->setGeometry(8, 32, 844, 320);
    m_rows = new models::DueModel(recurringNames(session), itemHeader(session), this);
    QList<models::DueRow> rows;
    for (const ledger::Occurrence& o : due) rows.append({o, true});
    m_rows->setRows(rows);
    m_grid->setGridModel(m_rows);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                            QAbstractItemView::EditKeyPressed);
    m_grid->setItemDelegate(new CellDelegate(m_grid));
    QList<int> widths = {600, 1300, 2200, 1300, 3000};
    if (isBank(session)) widths.insert(2, 1800);
    for (int c = 0; c < widths.size(); ++c) m_grid->setColWidthTwips(c, widths[c]);
    m_grid->installEventFilter(this);
    setFillWidget(m_grid);
    // The cell is stored once the editor has closed: the view must not change under it.
    m_rows->edited = [this](int row, int column, const QString& text) {
        QTimer::singleShot(0, this, [this, row, column, text] { commitCell(row, column, text); });
    };

    createFKeyBar(8, height() - 57, width() - 16);
    setFKey(1, QStringLiteral("書込"), [this] { post(); });
    setFKey(5, QStringLiteral("飛ばす"), [this] { skipSelected(); });
    setFKey(10, QStringLiteral("閉じる"), [this] { close(); });
    setLayoutKeys(QStringLiteral("R01Due"));
    restoreLayout();
    if (m_rows->rowCount() > 0) m_grid->setCurrentIndex(m_rows->index(0, 0));
}

bool DueWindow::eventFilter(QObject* watched, QEvent* e) {
    if (watched == m_grid && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Space && k->modifiers() == Qt::NoModifier) {
            toggleCurrent();
            return true;
        }
    }
    return FormBase::eventFilter(watched, e);
}

void DueWindow::toggleCurrent() {
    const int row = m_grid->currentIndex().row();
    const models::DueRow* r = m_rows->rowAt(row);
    if (r) m_rows->setTicked(row, !r->ticked);
}

void DueWindow::commitCell(int row, int column, const QString& text) {
    if (!m_rows->rowAt(row)) return;
    if (column == m_rows->noteColumn()) {
        m_rows->setNote(row, text);
        return;
    }
    if (column != m_rows->amountColumn()) return;
    const auto amount = db::parseYen(text);
    if (!amount) {
        refuseText(QStringLiteral("金額: 円単位の整数で入力してください"), true);
        return;
    }
    if (*amount == 0) {
        // A row of 0 would stand in the journal for nothing: the occurrence is skipped instead.
        refuseText(QStringLiteral("金額: 0 は書き込めません。この回を書かないときはF5で飛ばしてください"), true);
        return;
    }
    m_rows->setAmount(row, *amount);
}

void DueWindow::post() {
    const QList<ledger::Occurrence> chosen = m_rows->chosen();
    if (chosen.isEmpty()) {
        info(QStringLiteral("書き込む行が選ばれていません"));
        return;
    }
    ledger::Posting p;
    {
        Hourglass wait;
        p = ledger::postOccurrences(book(), session().program(), chosen, m_page);
    }
    if (!p.ok) {
        critical(p.error);
        reload();
        return;
    }
    m_posted = true;
    session().recordChange(p.change);
    book().announce(QStringLiteral("S01"));
    reload();
}

void DueWindow::skipSelected() {
    const models::DueRow* r = m_rows->rowAt(m_grid->currentIndex().row());
    if (!r) {
        info(kNoRecord);
        return;
    }
    // The rule's earliest listed occurrence: N_DATE moves one step, never past a row kept.
    QDate earliest = r->occurrence.date;
    for (const models::DueRow& other : m_rows->rows())
        if (other.occurrence.rule == r->occurrence.rule && other.occurrence.date < earliest)
            earliest = other.occurrence.date;
    const ledger::Posting p = ledger::skipOccurrence(book(), r->occurrence.rule, earliest);
    if (!p.ok) {
        critical(p.error);
        return;
    }
    session().recordChange(p.change);
    reload();
}

void DueWindow::reload() {
    // Ticks and edits stay with their occurrence.
    QHash<QString, models::DueRow> was;
    for (const models::DueRow& r : m_rows->rows()) was.insert(DueState::key(r.occurrence), r);
    const int at = m_grid->currentIndex().row();
    QString error;
    const QList<ledger::Occurrence> due = undeclined(session(), &error);
    if (!error.isEmpty()) critical(error);
    QList<models::DueRow> rows;
    for (const ledger::Occurrence& o : due) rows.append(was.value(DueState::key(o), models::DueRow{o, true}));
    m_rows->setRows(rows);
    // Everything written or skipped: nothing is left to ask.
    if (rows.isEmpty()) {
        close();
        return;
    }
    m_grid->setCurrentIndex(m_rows->index(std::clamp(at, 0, int(rows.size()) - 1), 0));
}

void DueWindow::queryUnload() {
    // Closed with rows left: they were seen and not wanted now, so no journal asks again in
    // this run.
    DueState& state = DueState::of(session());
    for (const models::DueRow& r : m_rows->rows()) state.declined.insert(DueState::key(r.occurrence));
}

// ---- Opening ---------------------------------------------------------------------------------

void openRuleWindow(FormBase* from) {
    app::Session& session = from->session();
    if (session.book().isReadOnly()) {
        from->info(session.book().readOnlyMessage());
        return;
    }
    if (!from->upgradeFor(ledger::kRecurringVersion)) return;
    RuleWindow w(session, from);
    w.showModal();
}

bool askDue(FormBase* over, qint64 page) {
    app::Session& session = over->session();
    // A read-only book, a copy in backup/ or a book without rules never asks: nothing could be
    // written, and the journal upgrades nothing on its own.
    if (!ledger::postingRefusal(session.book()).isEmpty()) return false;
    DueState& state = DueState::of(session);
    if (state.showing) return false;
    QString error;
    const QList<ledger::Occurrence> due = undeclined(session, &error);
    if (!error.isEmpty()) {
        over->critical(error);
        return false;
    }
    if (due.isEmpty()) return false;
    state.showing = true;
    {
        DueWindow w(session, due, page, over);
        w.showModal();
    }
    DueState::of(session).showing = false;
    return true;
}

void askDueWhenShown(FormBase* journal, std::function<qint64()> page) {
    // Asked once the journal is on screen, so that the question stands in front of it.
    class Watch : public QObject {
      public:
        Watch(FormBase* journal, std::function<qint64()> page)
            : QObject(journal), m_journal(journal), m_page(std::move(page)) {}
        bool eventFilter(QObject* watched, QEvent* e) override {
            if (watched == m_journal && e->type() == QEvent::Show && !e->spontaneous()) {
                QTimer::singleShot(0, m_journal, [j = m_journal, page = m_page] {
                    if (j && j->isVisible()) askDue(j, page ? page() : 0);
                });
            }
            return false;
        }

      private:
        QPointer<FormBase> m_journal;
        std::function<qint64()> m_page;
    };
    journal->installEventFilter(new Watch(journal, std::move(page)));
}

std::function<FormBase*(app::Session&, QWidget*)> askingDue(std::function<FormBase*(app::Session&, QWidget*)> create,
                                                            std::function<qint64(FormBase*)> page) {
    return [create = std::move(create), page = std::move(page)](app::Session& session, QWidget* menu) {
        FormBase* journal = create(session, menu);
        std::function<qint64()> journalPage;
        if (page) journalPage = [journal, page] { return page(journal); };
        askDueWhenShown(journal, std::move(journalPage));
        return journal;
    };
}

}  // namespace ui
