#pragma once
// グループの設定, both programs alike: the list of groups (GroupListForm) and the entry dialog of
// one group (GroupDialog), where its name, kind, order and categories (items in the bank book)
// are given. Each add, change and delete is one step of the book's undo.

#include <QPointer>
#include <QSet>
#include <memory>
#include <optional>

#include "core/models/GroupModels.h"
#include "ui/shell/FormBase.h"

class QListWidgetItem;

namespace Ui {
class GroupList;
class GroupDialog;
}  // namespace Ui

namespace ui {

class FlexGrid;
class GroupDialog;

class GroupListForm : public FormBase {
    Q_OBJECT
  public:
    explicit GroupListForm(app::Session& session, QWidget* parent = nullptr);
    ~GroupListForm() override;

    FlexGrid* grid() const;
    models::GroupListModel* groups() const { return m_groups; }
    // The group of the grid's current row; 0 when none.
    qint64 selectedGroup() const;
    void fill();
    void add();             // F1
    void removeSelected();  // F2, the grid's Delete key
    void modifySelected();  // F3, a double click
    // The entry dialog, open while a group is typed; null otherwise.
    GroupDialog* dialog() const { return m_dialog; }

  protected:
    void showBookAgain() override { fill(); }

  private:
    void edit(const std::optional<ledger::Group>& group);
    std::unique_ptr<Ui::GroupList> ui;
    models::GroupListModel* m_groups = nullptr;
    QPointer<GroupDialog> m_dialog;
};

// One group typed: a new one (`group` none, placed at `nextSort`) or a stored one changed.
class GroupDialog : public FormBase {
    Q_OBJECT
  public:
    GroupDialog(app::Session& session, const std::optional<ledger::Group>& group, qint64 nextSort, QWidget* parent);
    ~GroupDialog() override;

    // F1: checks and writes; true when the group was written (and its undo step recorded).
    bool write();
    qint64 written() const { return m_written; }
    // The kind shown: 0 income, 1 expense.
    qint64 kind() const;

  private:
    // The categories of the kind shown, each ticked as the user left it.
    void fillMembers();
    void ticked(QListWidgetItem* item);
    std::unique_ptr<Ui::GroupDialog> ui;
    ledger::Group m_group;
    QSet<qint64> m_ticked;  // kept across a change of the kind, so that going back loses nothing
    qint64 m_written = 0;
};

// The category (item) list's right-click entry: opens グループの設定 over `from`, modal. An older
// book gets the group tables first, as the menu's entry does; a read-only one opens as it is and
// refuses every write.
void openGroupWindow(FormBase* from);

}  // namespace ui
