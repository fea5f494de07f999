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
#include <QTableView>

#include "core/Messages.h"
#include "core/db/Convert.h"
#include "core/ledger/Undo.h"
#include "core/models/ImportModels.h"
#include "ui/shell/Inputs.h"
#include "ui_Import.h"

namespace ui {
namespace {

using Preview = models::ImportPreviewModel;
using Rules = models::ImportRulesModel;

const QColor kUnreadableColor{255, 224, 224};
const QColor kPassedOverColor{236, 236, 236};
// Columns a statement has at least, offered to be added to the description.
constexpr int kTextColumnsOffered = 10;

bool isIncome(const ledger::MasterRow& m) { return db::isNumeric(m.kind) && db::To_Long(m.kind, 1) == 0; }

// The codes as "CD NM" entries: every one, or those of one direction (an income code for a
// deposit, an expense code for a withdrawal).
void fillCodes(QComboBox* combo, const app::MasterCache& codes, int direction) {
    const QSignalBlocker block(combo);
    combo->clear();
    for (const ledger::MasterRow& m : codes.rows())
        if (direction == 0 || isIncome(m) == (direction == 1))
            combo->addItem(QString::number(m.cd) + QLatin1Char(' ') + m.nm, m.cd);
}

// The import tables' cells in the shade their model gives them: a line that cannot be read, one
// passed over, the balances where they part.
class ShadeDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const auto shade = models::Shade(index.data(models::kShadeRole).toInt());
        if (shade == models::Shade::Unreadable) option->backgroundBrush = kUnreadableColor;
        if (shade == models::Shade::PassedOver) option->backgroundBrush = kPassedOverColor;
    }
};

// A code cell is changed in a combo of the codes that fit it.
class CodeDelegate : public ShadeDelegate {
  public:
    CodeDelegate(const app::MasterCache& codes, QObject* parent) : ShadeDelegate(parent), m_codes(codes) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override {
        auto* combo = new QComboBox(parent);
        fillCodes(combo, m_codes, index.data(models::kDirectionRole).toInt());
        return combo;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        auto* combo = static_cast<QComboBox*>(editor);
        combo->setCurrentIndex(findComboEntry(combo, index.data(models::kCodeRole).toLongLong()));
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        const auto* combo = static_cast<QComboBox*>(editor);
        if (combo->currentIndex() < 0) return;
        model->setData(index, combo->currentData(), Qt::EditRole);
    }

  private:
    const app::MasterCache& m_codes;
};

// Space in the preview ticks or unticks the current row, whichever of its cells is current.
class SpaceTicks : public QObject {
  public:
    explicit SpaceTicks(QTableView* table) : QObject(table), m_table(table) { table->installEventFilter(this); }

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(e)->key() != Qt::Key_Space ||
            static_cast<QKeyEvent*>(e)->modifiers() != Qt::NoModifier)
            return QObject::eventFilter(watched, e);
        QAbstractItemModel* model = m_table->model();
        const QModelIndex tick = model->index(m_table->currentIndex().row(), Preview::kTick);
        if (tick.flags() & Qt::ItemIsUserCheckable)
            model->setData(tick, tick.data(Qt::CheckStateRole).toInt() == Qt::Checked ? Qt::Unchecked : Qt::Checked,
                           Qt::CheckStateRole);
        return true;
    }

  private:
    QTableView* m_table;
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
    m_previewRows = new models::ImportPreviewModel(codes, this);
    m_rules = new models::ImportRulesModel(codes, this);
    m_skipIf = new models::ImportSkipIfModel(this);
    ui->previewTable->setModel(m_previewRows);
    ui->rulesTable->setModel(m_rules);
    ui->skipIfTable->setModel(m_skipIf);

    // The household book's words: 科目 where the bank book says 項目.
    for (QLabel* l : {ui->depositCodeLabel, ui->withdrawalCodeLabel, ui->ruleHint})
        l->setText(l->text().replace(QStringLiteral("項目"), codeWord()));
    ui->codeGroup->setTitle(ui->codeGroup->title().replace(QStringLiteral("項目"), codeWord()));
    m_rules->setHeaderText(Rules::kCode, codeWord());
    m_previewRows->setHeaderText(Preview::kCode, codeWord());

    fillCodes(ui->depositCodeCombo, codes, 1);
    fillCodes(ui->withdrawalCodeCombo, codes, 2);
    ui->rulesTable->setItemDelegateForColumn(Rules::kCode, new CodeDelegate(codes, this));
    ui->rulesTable->setColumnWidth(Rules::kContains, 140);
    ui->previewTable->setItemDelegate(new ShadeDelegate(this));
    ui->previewTable->setItemDelegateForColumn(Preview::kCode, new CodeDelegate(codes, this));
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
    connect(m_rules, &QAbstractItemModel::dataChanged, this, again);
    connect(ui->negateCheck, &QCheckBox::toggled, this, again);
    connect(ui->balanceSpin, QOverload<int>::of(&QSpinBox::valueChanged), this, again);
    connect(ui->moreTextList, &QListWidget::itemChanged, this, again);
    connect(m_skipIf, &QAbstractItemModel::dataChanged, this, again);
    connect(ui->addSkipIfButton, &QPushButton::clicked, this,
            [this] { editNewRow(ui->skipIfTable, m_skipIf->append({}), 0); });
    connect(ui->removeSkipIfButton, &QPushButton::clicked, this, [this] { removeCurrentRow(ui->skipIfTable); });
    for (const io::StatementLayout& l : io::statementLayouts()) ui->layoutCombo->addItem(l.label, l.name);
    connect(ui->layoutCombo, QOverload<int>::of(&QComboBox::activated), this, [this] { useLayout(); });
    connect(ui->addRuleButton, &QPushButton::clicked, this, [this] {
        const int row = m_rules->append({QString(), ui->withdrawalCodeCombo->currentData().toLongLong()});
        editNewRow(ui->rulesTable, row, Rules::kContains);
    });
    connect(ui->removeRuleButton, &QPushButton::clicked, this, [this] { removeCurrentRow(ui->rulesTable); });

    // A tick or a code changed by hand: the rows to write are the preview's rows as they now stand.
    connect(m_previewRows, &QAbstractItemModel::dataChanged, this, [this] {
        m_preview.rows = m_previewRows->rows();
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
    m.skipIf = m_skipIf->conditions();
    if (ui->signedRadio->isChecked()) {
        m.amountColumn = ui->amountSpin->value();
    } else {
        m.depositColumn = ui->depositSpin->value();
        m.withdrawalColumn = ui->withdrawalSpin->value();
    }
    m.rules = m_rules->rules();
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
    m_skipIf->setRows(m.skipIf);
    if (m.amountColumn > 0) {
        ui->amountSpin->setValue(m.amountColumn);
        ui->signedRadio->setChecked(true);
    } else {
        ui->depositSpin->setValue(m.depositColumn);
        ui->withdrawalSpin->setValue(m.withdrawalColumn);
        ui->splitRadio->setChecked(true);
    }
    m_rules->setRows(m.rules);
    ui->depositCodeCombo->setCurrentIndex(findComboEntry(ui->depositCodeCombo, m.depositCode));
    ui->withdrawalCodeCombo->setCurrentIndex(findComboEntry(ui->withdrawalCodeCombo, m.withdrawalCode));
    m_quiet = quiet;
}

void ImportWindow::editNewRow(QTableView* table, int row, int column) {
    table->setFocus();
    table->setCurrentIndex(table->model()->index(row, column));
    table->edit(table->currentIndex());
}

void ImportWindow::removeCurrentRow(QTableView* table) {
    const int row = table->currentIndex().row();
    if (row < 0) return;
    table->model()->removeRow(row);
    refreshPreview();
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
    QTableView* t = ui->previewTable;
    m_previewRows->setPreview(m_preview);
    // The balances only when the statement has them; the reason column then stays the last.
    const bool balances = std::any_of(m_preview.rows.begin(), m_preview.rows.end(),
                                      [](const io::PreviewRow& r) { return r.balance.has_value(); });
    t->setColumnHidden(Preview::kBalance, !balances);
    t->setColumnHidden(Preview::kRunningTotal, !balances);
    // The reason, last, takes the width that is left.
    for (int c = 0; c < m_previewRows->columnCount() - 1; ++c) t->resizeColumnToContents(c);
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
