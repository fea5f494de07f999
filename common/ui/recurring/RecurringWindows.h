#pragma once
// The recurring entries' windows, both programs alike: 定期入力の設定 (RuleWindow), the list of
// rules with its entry dialog (RuleDialog), and 定期入力 (DueWindow), which a journal opens on
// top of itself when occurrences are due, so that nothing is posted without the user seeing it.
// Their controls are few and made here.

#include <QPointer>
#include <functional>

#include "core/models/RecurringModels.h"
#include "ui/shell/FormBase.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace ui {

class FlexGrid;
class RuleDialog;

class RuleWindow : public FormBase {
    Q_OBJECT
  public:
    explicit RuleWindow(app::Session& session, QWidget* parent = nullptr);

    FlexGrid* grid() const { return m_grid; }
    models::RuleListModel* rules() const { return m_rules; }
    // The rule of the grid's current row; 0 when none.
    qint64 selectedRule() const;
    void fill();
    void add();             // F1
    void removeSelected();  // F2, the grid's Delete key
    void modifySelected();  // F3, a double click
    // The entry dialog, open while a rule is typed; null otherwise.
    RuleDialog* dialog() const { return m_dialog; }

  protected:
    void showBookAgain() override { fill(); }

  private:
    void edit(const std::optional<ledger::RecurringRule>& rule);
    FlexGrid* m_grid = nullptr;
    models::RuleListModel* m_rules = nullptr;
    QPointer<RuleDialog> m_dialog;
};

// One rule typed: a new one, or a stored one changed. Bad input is refused with a message that
// names the box, and nothing is written.
class RuleDialog : public FormBase {
    Q_OBJECT
  public:
    RuleDialog(app::Session& session, const std::optional<ledger::RecurringRule>& rule, QWidget* parent);
    // F1: checks and writes; true when the rule was written (and its undo step recorded).
    bool write();
    qint64 written() const { return m_written; }

  private:
    QLineEdit* box(const char* name, const QString& label, int y, int width, bool numeric);
    QWidget* boxOf(ledger::RuleBox box) const;
    void showNames();
    ledger::RecurringRule m_rule;
    qint64 m_written = 0;
    QLineEdit* m_bank = nullptr;  // bank book only
    QLineEdit* m_item = nullptr;
    QLineEdit* m_amount = nullptr;
    QLineEdit* m_day = nullptr;
    QLineEdit* m_every = nullptr;
    QComboBox* m_shift = nullptr;
    QLineEdit* m_start = nullptr;
    QLineEdit* m_end = nullptr;
    QLineEdit* m_note = nullptr;
    QLabel* m_bankName = nullptr;
    QLabel* m_itemName = nullptr;
};

class DueWindow : public FormBase {
    Q_OBJECT
  public:
    // `page`: the household journal's page the rows go onto (0 in the bank book).
    DueWindow(app::Session& session, QList<ledger::Occurrence> due, qint64 page, QWidget* parent);

    FlexGrid* grid() const { return m_grid; }
    models::DueModel* rows() const { return m_rows; }
    // Space on the grid: ticks or unticks the current row.
    void toggleCurrent();
    // An amount or note typed into a row.
    void commitCell(int row, int column, const QString& text);
    void post();          // F1
    void skipSelected();  // F5
    bool posted() const { return m_posted; }

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void queryUnload() override;

  private:
    // The due list read again after a write, each row keeping its tick and edits.
    void reload();
    FlexGrid* m_grid = nullptr;
    models::DueModel* m_rows = nullptr;
    qint64 m_page = 0;
    bool m_posted = false;
};

// Names of a rule's codes as the session's masters hold them.
models::RecurringNames recurringNames(app::Session& session);

// Opens 定期入力の設定 from a window (the journals' Ctrl+R): refused on a read-only book, the book
// upgraded first when it lacks the rules' table, as the menu does.
void openRuleWindow(FormBase* from);

// Makes `journal` ask about due occurrences each time it is shown: the 定期入力 window opens,
// modal, once the journal is on screen. The question belongs to the book: what the user closed
// with F10 is not asked again in this run, whichever journal opens. `page` gives the page the
// household journal shows.
void askDueWhenShown(FormBase* journal, std::function<qint64()> page = {});
// What a menu opens its journal with: `create`, the journal then asking about due occurrences
// each time it is shown (askDueWhenShown); `page` gives the page of the household journal made.
std::function<FormBase*(app::Session&, QWidget*)> askingDue(std::function<FormBase*(app::Session&, QWidget*)> create,
                                                            std::function<qint64(FormBase*)> page = {});
// Asks now, as the journal does once shown; true when the window was shown.
bool askDue(FormBase* over, qint64 page);

}  // namespace ui
