#pragma once
// The bank-book journal window: one bank's month in the grid, one entry area to add or
// change a row by its record number, deletes by number, record moves and the recalculation.

#include <QString>
#include <memory>

#include "ui/shell/FormBase.h"
#include "ui/shell/Inputs.h"

namespace io {
struct SearchHit;
}
namespace models {
class BankMonthModel;
}
namespace Ui {
class BankJournal;
}

namespace bank {

class form_S0101 : public ui::FormBase {
    Q_OBJECT
  public:
    explicit form_S0101(app::Session& session, QWidget* parent = nullptr);
    ~form_S0101() override;

    // Loads record n into the entry area (n = 0: the highest record number). A number that
    // is not in the journal changes nothing.
    void Show_Record(qint64 n);
    // Lists the month of txt_date for the bank in txt_b_cd.
    void Fill_Grid();
    void Clear_Entry();
    // Prints what the grid lists.
    void Print_Journal();

  protected:
    void showBookAgain() override;

  private:
    void build();
    // The chosen bank's balance and month.
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
    // A statement into the bank in txt_b_cd (Ctrl+I); a row the search window found, shown.
    void importStatement();
    void showHit(const io::SearchHit& hit);

    std::unique_ptr<Ui::BankJournal> ui;
    models::BankMonthModel* m_month = nullptr;

    ui::ProposedNumber m_proposed;  // the number Clear_Entry proposed
    int m_clickedRow = 0;           // the data row last clicked, read by the double-click
};

}  // namespace bank
