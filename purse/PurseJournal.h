#pragma once
// The household journal (家計簿入力): one page of the book at a time, with the running balance
// of every row, and the entry area that adds, changes and deletes rows.

#include <memory>
#include <optional>

#include "ui/shell/FormBase.h"
#include "ui/shell/Inputs.h"

namespace io {
struct SearchHit;
}
namespace models {
class PageModel;
}
namespace Ui {
class PurseJournal;
}
namespace ui {
class CodePair;
}

namespace purse {

class form_S0101 : public ui::FormBase {
    Q_OBJECT
  public:
    explicit form_S0101(app::Session& session, QWidget* parent = nullptr);
    ~form_S0101() override;

    qint64 page() const { return m_page; }
    void Show_Page(qint64 page);
    void Clear_Entry();
    void Load_FromGrid(int row);
    // The entry area written: an update when the record number exists, else an insert.
    void input();
    // Recomputes the balances from page 1 and shows the last page (再計算).
    void recalculate();
    void deleteRange();     // cmd_sakujyo
    void modifyByNumber();  // cmd_syusei
    void Drop_Combo();      // cmd_syo_nm
    void Print_Journal();

  protected:
    void showBookAgain() override;

  private:
    void build();
    void keys();
    void fillCombo();
    void movePage(qint64 page);
    void closeJournal();
    void print();
    bool dayCheck();
    void deleteRows(qint64 from, std::optional<qint64> to);
    // A statement onto the page shown (Ctrl+I); a row the search window found, shown.
    void importStatement();
    void showHit(const io::SearchHit& hit);

    qint64 m_page = 1;
    ui::ProposedNumber m_proposed;  // the number Clear_Entry proposed
    int m_clickedRow = 1;

    std::unique_ptr<Ui::PurseJournal> ui;
    models::PageModel* m_rows = nullptr;
    ui::CodePair* m_category = nullptr;
};

}  // namespace purse
