#pragma once
// The bank-book journal window: one bank's month in the grid, one entry area to add or
// change a row by its record number, deletes by number, record moves and the recalculation.

#include <QString>

#include "ui/FormBase.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace models {
class BankMonthModel;
}
namespace ui {
class FlexGrid;
class MonthBox;
}  // namespace ui

namespace bank {

class form_S0101 : public ui::FormBase {
    Q_OBJECT
  public:
    explicit form_S0101(app::Session& session, QWidget* parent = nullptr);

    // Loads record n into the entry area (n = 0: the highest record number). A number that
    // is not in the journal changes nothing.
    void Show_Record(qint64 n);
    // Lists the month of txt_date for the bank in txt_b_cd.
    void Fill_Grid();
    void Clear_Entry();
    // Prints what the grid lists.
    void Print_Journal();

  private:
    void build();

    // Choosing the bank and the item by code or by combo.
    bool bankEnter();
    bool bankLeave();
    void bankClicked(int index);
    bool itemEnter();
    bool itemLeave();
    void itemClicked(int index);
    void showBank(qint64 code);
    bool dayCheck();

    void input();
    void deleteByNumber();
    void modifyByNumber();
    void recNoEnter();
    void moveRecord(int key);
    void recalculate();
    void print();
    void gridDoubleClicked();
    void gridDelete();

    ui::MonthBox* txt_date = nullptr;
    QLineEdit* txt_day = nullptr;
    QLineEdit* txt_b_cd = nullptr;
    QComboBox* cmb_b_nm = nullptr;
    QLabel* lbl_zan = nullptr;
    QLineEdit* txt_rec_no = nullptr;
    QLineEdit* txt_k_cd = nullptr;
    QComboBox* cmb_k_nm = nullptr;
    QLineEdit* txt_kingaku = nullptr;
    QLineEdit* txt_biko = nullptr;
    QPushButton* cmd_input = nullptr;
    ui::FlexGrid* grd_S01 = nullptr;
    models::BankMonthModel* m_month = nullptr;

    QGroupBox* frm_select_cd = nullptr;
    QLineEdit* txt_cd = nullptr;
    QGroupBox* frm_select_cd2 = nullptr;
    QLineEdit* txt_cd2[2] = {nullptr, nullptr};
    QGroupBox* frm_select_omote = nullptr;
    QRadioButton* Option1[2] = {nullptr, nullptr};

    int m_clickedRow = 0;  // the data row last clicked, read by the double-click
};

}  // namespace bank
