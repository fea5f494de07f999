#include "ui/io/ImportWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include "core/Messages.h"
#include "core/db/Convert.h"
#include "core/ledger/Undo.h"
#include "ui/shell/Inputs.h"
#include "ui_Import.h"

namespace ui {
namespace {

// Columns of the preview.
enum PreviewColumn { kTick, kLine, kDate, kDeposit, kWithdrawal, kText, kCode, kReason, kBalance, kRunningTotal };
// Columns of the rules.
enum RuleColumn { kContains, kRuleCode };

constexpr int kCodeRole = Qt::UserRole;           // the code a cell shows
constexpr int kDirectionRole = Qt::UserRole + 1;  // 1: a deposit's code, 2: a withdrawal's; none: any code

const QColor kUnreadableColor{255, 224, 224};
const QColor kPassedOverColor{236, 236, 236};
// Columns a statement has at least, offered to be added to the description.
constexpr int kTextColumnsOffered = 10;

bool isIncome(const ledger::MasterRow& m) { return db::isNumeric(m.kind) && db::To_Long(m.kind, 1) == 0; }

QString codeText(const app::MasterCache& codes, qint64 code) {
    const ledger::MasterRow* m = codes.find(code);
    return m ? QString::number(code) + QLatin1Char(' ') + m->nm : QString::number(code);
}

// The codes as "CD NM" entries: every one, or those of one direction (an income code for a
// deposit, an expense code for a withdrawal).
void fillCodes(QComboBox* combo, const app::MasterCache& codes, int direction) {
    const QSignalBlocker block(combo);
    combo->clear();
    for (const ledger::MasterRow& m : codes.rows())
        if (direction == 0 || isIncome(m) == (direction == 1))
            combo->addItem(QString::number(m.cd) + QLatin1Char(' ') + m.nm, m.cd);
}

QTableWidgetItem* fixedCell(const QString& text, bool right = false) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (right) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QTableWidgetItem* codeCell(const app::MasterCache& codes, qint64 code, int direction) {
    auto* item = new QTableWidgetItem(codeText(codes, code));
    item->setData(kCodeRole, code);
    if (direction) item->setData(kDirectionRole, direction);
    return item;
}

// A code cell is changed in a combo of the codes that fit it.
class CodeDelegate : public QStyledItemDelegate {
  public:
    CodeDelegate(const app::MasterCache& codes, QObject* parent) : QStyledItemDelegate(parent), m_codes(codes) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
        auto* combo = new QComboBox(parent);
        fillCodes(combo, m_codes, index.data(kDirectionRole).toInt());
        return combo;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* combo = static_cast<QComboBox*>(editor);
        combo->setCurrentIndex(findComboEntry(combo, index.data(kCodeRole).toLongLong()));
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        const auto* combo = static_cast<QComboBox*>(editor);
        if (combo->currentIndex() < 0) return;
        model->setData(index, combo->currentText(), Qt::DisplayRole);
        model->setData(index, combo->currentData(), kCodeRole);
    }

  private:
    const app::MasterCache& m_codes;
};

// Space in the preview ticks or unticks the current row, whichever of its cells is current.
class SpaceTicks : public QObject {
  public:
    explicit SpaceTicks(QTableWidget* table) : QObject(table), m_table(table) { table->installEventFilter(this); }

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(e)->key() != Qt::Key_Space ||
            static_cast<QKeyEvent*>(e)->modifiers() != Qt::NoModifier)
            return QObject::eventFilter(watched, e);
        QTableWidgetItem* tick = m_table->item(m_table->currentRow(), kTick);
        if (tick && (tick->flags() & Qt::ItemIsUserCheckable))
            tick->setCheckState(tick->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
        return true;
    }

  private:
    QTableWidget* m_table;
};

}  // namespace

ImportWindow::ImportWindow(app::Session& session, const io::ImportTarget& target, const QString& where, QWidget* parent)
    : FormBase(session, QStringLiteral("明細取込"), parent),
      ui(std::make_unique<Ui::Import>()),
      m_target(target),
      m_where(where) {
    ui->setupUi(this);
    setWindowTitle(title());
    const app::MasterCache& codes = m_target.program == app::Program::Bank ? session.rs_T02 : session.rs_T01;

    // The household book's words: 科目 where the bank book says 項目.
    for (QLabel* l : {ui->depositCodeLabel, ui->withdrawalCodeLabel, ui->ruleHint})
        l->setText(l->text().replace(QStringLiteral("項目"), codeWord()));
    ui->codeGroup->setTitle(ui->codeGroup->title().replace(QStringLiteral("項目"), codeWord()));
    ui->rulesTable->horizontalHeaderItem(kRuleCode)->setText(codeWord());
    ui->previewTable->horizontalHeaderItem(kCode)->setText(codeWord());

    fillCodes(ui->depositCodeCombo, codes, 1);
    fillCodes(ui->withdrawalCodeCombo, codes, 2);
    ui->rulesTable->setItemDelegateForColumn(kRuleCode, new CodeDelegate(codes, this));
    ui->rulesTable->setColumnWidth(kContains, 140);
    ui->previewTable->setItemDelegateForColumn(kCode, new CodeDelegate(codes, this));
    ui->previewTable->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                                      QAbstractItemView::EditKeyPressed);
    ui->previewTable->verticalHeader()->setDefaultSectionSize(20);
    new SpaceTicks(ui->previewTable);

    // Every change of the way of reading previews the file again.
    auto again = [this] { refreshPreview(); };
    connect(ui->encodingCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, again);
    for (QSpinBox* s : {ui->skipSpin, ui->dateSpin, ui->textSpin, ui->amountSpin, ui->depositSpin, ui->withdrawalSpin})
        connect(s, QOverload<int>::of(&QSpinBox::valueChanged), this, again);
    auto amountBoxes = [this] {
        const bool single = ui->signedRadio->isChecked();
        ui->amountSpin->setEnabled(single);
        ui->depositSpin->setEnabled(!single);
        ui->withdrawalSpin->setEnabled(!single);
    };
    connect(ui->signedRadio, &QRadioButton::toggled, this, [this, amountBoxes] {
        amountBoxes();
        refreshPreview();
    });
    for (QComboBox* c : {ui->depositCodeCombo, ui->withdrawalCodeCombo})
        connect(c, QOverload<int>::of(&QComboBox::currentIndexChanged), this, again);
    connect(ui->rulesTable, &QTableWidget::itemChanged, this, again);
    connect(ui->negateCheck, &QCheckBox::toggled, this, again);
    connect(ui->balanceSpin, QOverload<int>::of(&QSpinBox::valueChanged), this, again);
    connect(ui->moreTextList, &QListWidget::itemChanged, this, again);
    connect(ui->skipIfTable, &QTableWidget::itemChanged, this, again);
    connect(ui->addSkipIfButton, &QPushButton::clicked, this, [this] {
        addSkipIf(QString(), QString());
        ui->skipIfTable->setFocus();
        ui->skipIfTable->setCurrentCell(ui->skipIfTable->rowCount() - 1, 0);
        ui->skipIfTable->editItem(ui->skipIfTable->currentItem());
    });
    connect(ui->removeSkipIfButton, &QPushButton::clicked, this, [this] {
        const int row = ui->skipIfTable->currentRow();
        if (row < 0) return;
        ui->skipIfTable->removeRow(row);
        refreshPreview();
    });
    for (const io::StatementLayout& l : io::statementLayouts()) ui->layoutCombo->addItem(l.label, l.name);
    connect(ui->layoutCombo, QOverload<int>::of(&QComboBox::activated), this, [this] { useLayout(); });
    connect(ui->addRuleButton, &QPushButton::clicked, this, [this] {
        addRule(QString(), ui->withdrawalCodeCombo->currentData().toLongLong());
        ui->rulesTable->setFocus();
        ui->rulesTable->setCurrentCell(ui->rulesTable->rowCount() - 1, kContains);
        ui->rulesTable->editItem(ui->rulesTable->currentItem());
    });
    connect(ui->removeRuleButton, &QPushButton::clicked, this, [this] {
        const int row = ui->rulesTable->currentRow();
        if (row < 0) return;
        ui->rulesTable->removeRow(row);
        refreshPreview();
    });

    connect(ui->previewTable, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        const int i = item->row();
        if (i < 0 || i >= m_preview.rows.size()) return;
        io::PreviewRow& row = m_preview.rows[i];
        if (item->column() == kTick) row.ticked = item->checkState() == Qt::Checked;
        if (item->column() == kCode) {
            row.code = item->data(kCodeRole).toLongLong();
            row.codeName = item->text().section(QLatin1Char(' '), 1);
        }
        showSummary();
    });

    connect(ui->fileButton, &QPushButton::clicked, this, &ImportWindow::chooseFile);
    connect(ui->loadProfileButton, &QPushButton::clicked, this, &ImportWindow::loadProfile);
    connect(ui->saveProfileButton, &QPushButton::clicked, this, &ImportWindow::saveProfile);
    connect(ui->removeProfileButton, &QPushButton::clicked, this, &ImportWindow::removeProfile);
    connect(ui->profileCombo, QOverload<int>::of(&QComboBox::activated), this, &ImportWindow::loadProfile);
    connect(ui->importButton, &QPushButton::clicked, this, &ImportWindow::runImport);
    connect(ui->closeButton, &QPushButton::clicked, this, &QWidget::close);

    // Enter moves on, as everywhere; in the name of a way of reading it loads it.
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui->encodingCombo, ui->skipSpin, ui->dateSpin, ui->textSpin, ui->amountSpin, ui->depositSpin,
             ui->withdrawalSpin, ui->depositCodeCombo, ui->withdrawalCodeCombo, ui->layoutCombo, ui->balanceSpin})
        onEnter(w);
    onEnter(ui->profileCombo, [this] {
        if (ui->profileCombo->findText(ui->profileCombo->currentText().trimmed()) >= 0) loadProfile();
        return true;
    });

    // The first saved way of reading, else columns 1 (date) 2 (amount) 3 (description) and the
    // first code of each direction.
    m_quiet = true;
    io::ImportMapping start;
    start.amountColumn = 2;
    start.textColumns = {3};
    start.depositCode = ui->depositCodeCombo->itemData(0).toLongLong();
    start.withdrawalCode = ui->withdrawalCodeCombo->itemData(0).toLongLong();
    showMapping(start);
    amountBoxes();
    m_quiet = false;
    const QStringList names = io::profileNames(m_target);
    fillProfiles(names.value(0));
    if (!names.isEmpty()) loadProfile();
    refreshPreview();
}

ImportWindow::~ImportWindow() = default;

QString ImportWindow::codeWord() const {
    return m_target.program == app::Program::Bank ? QStringLiteral("項目") : QStringLiteral("科目");
}

bool ImportWindow::chooseFile() {
    app::FileRequest request;
    request.save = false;
    request.caption = QStringLiteral("取り込む明細 (CSV)");
    request.suggested = m_file;
    request.filters = {QStringLiteral("CSV (*.csv *.CSV)"), QStringLiteral("すべてのファイル (*)")};
    const app::FileChoice choice = session().chooseFile(this, request);
    if (choice.cancelled()) return false;
    m_file = choice.path;
    ui->fileEdit->setText(m_file);
    refreshPreview();
    proposeLayout();
    return true;
}

io::ImportMapping ImportWindow::mapping() const {
    io::ImportMapping m;
    switch (ui->encodingCombo->currentIndex()) {
        case 1:
            m.encoding = io::Encoding::Utf8;
            break;
        case 2:
            m.encoding = io::Encoding::ShiftJis;
            break;
        default:
            break;
    }
    m.skipLines = ui->skipSpin->value();
    m.dateColumn = ui->dateSpin->value();
    if (ui->textSpin->value() > 0) m.textColumns << ui->textSpin->value();
    for (int i = 0; i < ui->moreTextList->count(); ++i) {
        const QListWidgetItem* item = ui->moreTextList->item(i);
        const int column = item->data(Qt::UserRole).toInt();
        if (item->checkState() == Qt::Checked && !m.textColumns.contains(column)) m.textColumns << column;
    }
    m.balanceColumn = ui->balanceSpin->value();
    m.negate = ui->negateCheck->isChecked();
    for (int r = 0; r < ui->skipIfTable->rowCount(); ++r) {
        const QTableWidgetItem* column = ui->skipIfTable->item(r, 0);
        const QTableWidgetItem* value = ui->skipIfTable->item(r, 1);
        if (column && !column->text().trimmed().isEmpty())
            m.skipIf.append({column->text().trimmed(), value ? value->text().trimmed() : QString()});
    }
    if (ui->signedRadio->isChecked()) {
        m.amountColumn = ui->amountSpin->value();
    } else {
        m.depositColumn = ui->depositSpin->value();
        m.withdrawalColumn = ui->withdrawalSpin->value();
    }
    for (int r = 0; r < ui->rulesTable->rowCount(); ++r) {
        const QTableWidgetItem* text = ui->rulesTable->item(r, kContains);
        const QTableWidgetItem* code = ui->rulesTable->item(r, kRuleCode);
        if (text && code && !text->text().trimmed().isEmpty())
            m.rules.append({text->text().trimmed(), code->data(kCodeRole).toLongLong()});
    }
    m.depositCode = ui->depositCodeCombo->currentData().toLongLong();
    m.withdrawalCode = ui->withdrawalCodeCombo->currentData().toLongLong();
    return m;
}

void ImportWindow::showMapping(const io::ImportMapping& m) {
    const bool quiet = m_quiet;
    m_quiet = true;
    ui->encodingCombo->setCurrentIndex(!m.encoding ? 0 : *m.encoding == io::Encoding::Utf8 ? 1 : 2);
    ui->skipSpin->setValue(m.skipLines);
    ui->dateSpin->setValue(m.dateColumn);
    ui->textSpin->setValue(m.textColumns.value(0));
    m_moreText = m.textColumns.mid(1);
    fillTextColumns();
    ui->balanceSpin->setValue(m.balanceColumn);
    ui->negateCheck->setChecked(m.negate);
    ui->skipIfTable->setRowCount(0);
    for (const io::SkipCondition& c : m.skipIf) addSkipIf(c.column, c.value);
    if (m.amountColumn > 0) {
        ui->amountSpin->setValue(m.amountColumn);
        ui->signedRadio->setChecked(true);
    } else {
        ui->depositSpin->setValue(m.depositColumn);
        ui->withdrawalSpin->setValue(m.withdrawalColumn);
        ui->splitRadio->setChecked(true);
    }
    ui->rulesTable->setRowCount(0);
    for (const io::ImportRule& r : m.rules) addRule(r.contains, r.code);
    ui->depositCodeCombo->setCurrentIndex(findComboEntry(ui->depositCodeCombo, m.depositCode));
    ui->withdrawalCodeCombo->setCurrentIndex(findComboEntry(ui->withdrawalCodeCombo, m.withdrawalCode));
    m_quiet = quiet;
}

void ImportWindow::addRule(const QString& contains, qint64 code) {
    const app::MasterCache& codes = m_target.program == app::Program::Bank ? session().rs_T02 : session().rs_T01;
    const QSignalBlocker block(ui->rulesTable);
    const int row = ui->rulesTable->rowCount();
    ui->rulesTable->insertRow(row);
    ui->rulesTable->setItem(row, kContains, new QTableWidgetItem(contains));
    ui->rulesTable->setItem(row, kRuleCode, codeCell(codes, code, 0));
}

void ImportWindow::addSkipIf(const QString& column, const QString& value) {
    const QSignalBlocker block(ui->skipIfTable);
    const int row = ui->skipIfTable->rowCount();
    ui->skipIfTable->insertRow(row);
    ui->skipIfTable->setItem(row, 0, new QTableWidgetItem(column));
    ui->skipIfTable->setItem(row, 1, new QTableWidgetItem(value));
}

void ImportWindow::fillTextColumns() {
    // As many columns as the statement has (at least a few), named by its header when it has one.
    int columns = std::max<int>(kTextColumnsOffered, int(m_preview.header.size()));
    for (const io::PreviewRow& r : m_preview.rows) columns = std::max<int>(columns, int(r.fields.size()));
    for (int c : m_moreText) columns = std::max(columns, c);
    QListWidget* list = ui->moreTextList;
    const QSignalBlocker block(list);
    list->clear();
    for (int c = 1; c <= columns; ++c) {
        const QString name = m_preview.header.value(c - 1).trimmed();
        auto* item =
            new QListWidgetItem(name.isEmpty() ? QString::number(c) : QStringLiteral("%1 %2").arg(c).arg(name));
        item->setData(Qt::UserRole, c);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(m_moreText.contains(c) ? Qt::Checked : Qt::Unchecked);
        list->addItem(item);
    }
}

void ImportWindow::proposeLayout() {
    QFile file(m_file);
    if (!file.open(QIODevice::ReadOnly)) return;
    const auto layout = io::detectLayout(file.read(64 * 1024));
    if (!layout) return;
    {
        const QSignalBlocker block(ui->layoutCombo);
        ui->layoutCombo->setCurrentIndex(ui->layoutCombo->findData(layout->name));
    }
    // A saved way of reading that reads the file whole is the user's choice and stays.
    const bool savedLoaded = io::profileNames(m_target).contains(ui->profileCombo->currentText().trimmed());
    if (savedLoaded && m_preview.ok && m_preview.count(io::RowStatus::Unreadable) == 0) return;
    useLayout();
}

void ImportWindow::useLayout() {
    const io::StatementLayout* layout = io::findLayout(ui->layoutCombo->currentData().toString());
    if (!layout) return;
    QByteArray head;
    if (QFile file(m_file); !m_file.isEmpty() && file.open(QIODevice::ReadOnly)) head = file.read(64 * 1024);
    // The layout says how to read; which codes the rows get stays as the window shows it.
    io::ImportMapping m = io::layoutMapping(*layout, head);
    const io::ImportMapping now = mapping();
    m.rules = now.rules;
    m.depositCode = now.depositCode;
    m.withdrawalCode = now.withdrawalCode;
    showMapping(m);
    refreshPreview();
}

void ImportWindow::refreshPreview() {
    if (m_quiet) return;
    const io::ImportMapping m = mapping();
    m_preview = {};
    if (m_file.isEmpty()) {
        m_preview.error = QStringLiteral("取り込む明細のファイルを選んでください");
    } else if (const QString why = m.check(); !why.isEmpty()) {
        m_preview.error = why;
    } else {
        Hourglass wait;
        m_preview = io::previewStatement(book(), m_file, m, m_target);
    }
    m_moreText.clear();
    for (int i = 0; i < ui->moreTextList->count(); ++i)
        if (ui->moreTextList->item(i)->checkState() == Qt::Checked)
            m_moreText << ui->moreTextList->item(i)->data(Qt::UserRole).toInt();
    fillTextColumns();
    fillPreview();
    showSummary();
}

void ImportWindow::fillPreview() {
    const app::MasterCache& codes = m_target.program == app::Program::Bank ? session().rs_T02 : session().rs_T01;
    QTableWidget* t = ui->previewTable;
    const QSignalBlocker block(t);
    t->setRowCount(0);
    t->setRowCount(static_cast<int>(m_preview.rows.size()));
    for (int i = 0; i < m_preview.rows.size(); ++i) {
        const io::PreviewRow& r = m_preview.rows[i];
        auto* tick = fixedCell(QString());
        t->setItem(i, kLine, fixedCell(QString::number(r.line), true));
        if (r.status == io::RowStatus::Unreadable || r.status == io::RowStatus::NotARow ||
            r.status == io::RowStatus::Skipped) {
            // Nothing can be ticked: the line as it was read, and why it cannot be (or is passed over).
            t->setItem(i, kText, fixedCell(r.fields.join(QStringLiteral(", "))));
            for (int c = 0; c < t->columnCount(); ++c) {
                if (!t->item(i, c)) t->setItem(i, c, c == kTick ? tick : fixedCell(QString()));
                t->item(i, c)->setBackground(r.status == io::RowStatus::Unreadable ? kUnreadableColor
                                                                                   : kPassedOverColor);
            }
            t->item(i, kReason)->setText(r.reason);
            continue;
        }
        tick->setFlags(tick->flags() | Qt::ItemIsUserCheckable);
        tick->setCheckState(r.ticked ? Qt::Checked : Qt::Unchecked);
        t->setItem(i, kTick, tick);
        t->setItem(i, kDate, fixedCell(r.date));
        t->setItem(i, kDeposit, fixedCell(r.amount >= 0 ? QString::number(r.amount) : QString(), true));
        t->setItem(i, kWithdrawal, fixedCell(r.amount < 0 ? QString::number(-r.amount) : QString(), true));
        t->setItem(i, kText, fixedCell(r.description));
        t->setItem(i, kCode, codeCell(codes, r.code, r.amount > 0 ? 1 : 2));
        t->setItem(i, kReason, fixedCell(r.reason));
        if (r.balance) t->setItem(i, kBalance, fixedCell(QString::number(*r.balance), true));
        t->setItem(i, kRunningTotal, fixedCell(QString::number(r.runningTotal), true));
        if (r.line == m_preview.balancePartsAt)
            for (int c : {kBalance, kRunningTotal}) t->item(i, c)->setBackground(kUnreadableColor);
    }
    // The balances only when the statement has them; the reason column then stays the last.
    const bool balances = std::any_of(m_preview.rows.begin(), m_preview.rows.end(),
                                      [](const io::PreviewRow& r) { return r.balance.has_value(); });
    t->setColumnHidden(kBalance, !balances);
    t->setColumnHidden(kRunningTotal, !balances);
    // The reason, last, takes the width that is left.
    for (int c = 0; c < t->columnCount() - 1; ++c) t->resizeColumnToContents(c);
}

void ImportWindow::showSummary() {
    QString target = QStringLiteral("取込先: ") + m_where;
    if (m_preview.ok && m_target.program == app::Program::Purse && !m_preview.target.pageMonth.isEmpty())
        target += QStringLiteral(" (%1)").arg(m_preview.target.pageMonth);
    ui->targetLabel->setText(target);
    ui->importButton->setEnabled(m_preview.ok);
    if (!m_preview.ok) {
        ui->summaryLabel->setText(m_preview.error);
        return;
    }
    const int ticked = m_preview.tickedCount();
    const int duplicates = m_preview.count(io::RowStatus::Duplicate);
    const int unreadable = m_preview.count(io::RowStatus::Unreadable);
    int duplicatesTicked = 0;
    for (const io::PreviewRow& r : m_preview.rows)
        if (r.status == io::RowStatus::Duplicate && r.ticked) ++duplicatesTicked;
    const int passedOver = m_preview.count(io::RowStatus::NotARow) + m_preview.count(io::RowStatus::Skipped);
    const int other = int(m_preview.rows.size()) - ticked - unreadable - passedOver - (duplicates - duplicatesTicked);
    QString text = QStringLiteral("%1 (%2) を読みました。取り込む %3 件、重複 %4 件、ほかに取り込まない %5 件")
                       .arg(m_preview.file, io::encodingLabel(m_preview.encoding))
                       .arg(ticked)
                       .arg(duplicates - duplicatesTicked)
                       .arg(other);
    if (passedOver) text += QStringLiteral("、読み飛ばす行 %1 行").arg(passedOver);
    if (m_preview.newestFirst) text += QStringLiteral("。日付が新しい順のため古い順に取り込みます");
    if (const QString note = m_preview.balanceNote(); !note.isEmpty()) text += QStringLiteral("。") + note;
    if (unreadable) text += QStringLiteral("。読めない行が %1 行あり、このままでは何も書き込めません").arg(unreadable);
    ui->summaryLabel->setText(text);
}

void ImportWindow::runImport() {
    if (refuseReadOnly()) return;
    if (!m_preview.ok) {
        critical(m_preview.error);
        return;
    }
    io::ImportReport report;
    {
        Hourglass wait;
        report = io::applyStatement(book(), m_preview);
    }
    if (report.ok && report.added > 0) {
        // The rows as written, for the undo stack.
        const QString journal = QStringLiteral("S01");
        session().recordChange(ledger::rowsAdded(
            book(), journal, ledger::codesBetween(book(), journal, report.firstNumber, report.lastNumber),
            QStringLiteral("取込")));
        book().announce(journal);
        QStringList months;
        for (const io::PreviewRow& r : m_preview.rows)
            if (r.ticked && !months.contains(r.date.left(7))) months << r.date.left(7);
        months.sort();
        emit imported(months);
    }
    const QString text = report.lines().join(QLatin1Char('\n'));
    if (!report.ok) {
        // Nothing was written: the window stays, to read the file another way.
        critical(text);
        return;
    }
    info(text);
    close();
}

void ImportWindow::fillProfiles(const QString& current) {
    const QSignalBlocker block(ui->profileCombo);
    ui->profileCombo->clear();
    ui->profileCombo->addItems(io::profileNames(m_target));
    ui->profileCombo->setCurrentIndex(ui->profileCombo->findText(current));
    ui->profileCombo->setEditText(current);
}

void ImportWindow::loadProfile() {
    const QString name = ui->profileCombo->currentText().trimmed();
    const auto m = io::loadProfile(m_target, name);
    if (!m) {
        refuse(ui->profileCombo, QStringLiteral("取り込み方「%1」は保存されていません").arg(app::clip(name)));
        return;
    }
    showMapping(*m);
    refreshPreview();
}

void ImportWindow::saveProfile() {
    const QString name = ui->profileCombo->currentText().trimmed();
    if (name.isEmpty()) {
        refuse(ui->profileCombo, QStringLiteral("取り込み方の名前を入力してください"));
        return;
    }
    const io::ImportMapping m = mapping();
    if (const QString why = m.check(); !why.isEmpty()) {
        critical(why);
        return;
    }
    io::saveProfile(m_target, name, m);
    fillProfiles(name);
    session().status(this, QStringLiteral("取り込み方「%1」を保存しました").arg(app::clip(name)));
}

void ImportWindow::removeProfile() {
    const QString name = ui->profileCombo->currentText().trimmed();
    if (!io::profileNames(m_target).contains(name)) return;
    if (!confirm(QStringLiteral("取り込み方「%1」を削除しますか？").arg(app::clip(name)))) return;
    io::removeProfile(m_target, name);
    fillProfiles(QString());
}

void ImportWindow::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    FormBase::keyPressEvent(e);
}

void importStatement(FormBase* journal, const io::ImportTarget& target, const QString& where,
                     std::function<void(const QStringList& months)> shown) {
    if (journal->refuseReadOnly()) return;
    ImportWindow window(journal->session(), target, where, journal);
    QObject::connect(&window, &ImportWindow::imported, journal, std::move(shown));
    if (!window.chooseFile()) return;
    window.showModal();
}

}  // namespace ui
