#pragma once
// The household journal (家計簿入力): one page of the book at a time, with the running balance
// of every row, and the entry area that adds, changes and deletes rows.

#include <optional>

#include "ui/FormBase.h"

class QComboBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace models {
class PageModel;
}
namespace ui {
class FlexGrid;
class MonthBox;
}  // namespace ui

namespace purse {

class form_S0101 : public ui::FormBase {
    Q_OBJECT
  public:
    explicit form_S0101(app::Session& session, QWidget* parent = nullptr);

    qint64 Page() const { return m_page; }
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

  private:
    void build();
    void keys();
    void fill_Combo();
    void move_Page(qint64 page);
    void close_Journal();
    void print();
    bool check_Day();
    bool find_Category();
    void delete_Rows(qint64 from, std::optional<qint64> to);

    qint64 m_page = 1;
    int m_clickedRow = 1;

    ui::MonthBox* m_date = nullptr;
    QLineEdit* m_pageBox = nullptr;
    QLineEdit* m_recNo = nullptr;
    QLineEdit* m_day = nullptr;
    QLineEdit* m_kCd = nullptr;
    QComboBox* m_kNm = nullptr;
    QPushButton* m_drop = nullptr;
    QLineEdit* m_kingaku = nullptr;
    QLineEdit* m_biko = nullptr;
    QPushButton* m_input = nullptr;
    ui::FlexGrid* m_grid = nullptr;
    models::PageModel* m_rows = nullptr;

    QFrame* m_selectCd = nullptr;
    QLineEdit* m_cd = nullptr;
    QFrame* m_selectCd2 = nullptr;
    QLineEdit* m_cd2[2] = {nullptr, nullptr};
    QFrame* m_selectOmote = nullptr;
    QRadioButton* m_option[2] = {nullptr, nullptr};
};

}  // namespace purse
