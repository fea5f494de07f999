#pragma once
// The master list window and its entry dialog, shared by the bank, item and category masters.
// What differs between the three is data and layout, held in a MasterDesc; the windows of each
// program are thin subclasses that pass their description.

#include <QPointer>
#include <functional>

#include "core/ledger/Masters.h"
#include "core/ledger/PrintLayout.h"
#include "core/ledger/Undo.h"
#include "core/models/MasterModels.h"
#include "ui/shell/FormBase.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace ui {

class FlexGrid;
class MasterDialog;
class MasterList;

struct MasterDesc {
    ledger::Master master = ledger::Master::Bank;
    QString caption;                                         // window captions of list and dialog, print title
    QString nameHeader;                                      // grid header of column 1
    QString thirdHeader;                                     // grid header of column 2
    QString layoutPrefix;                                    // window keys: "<prefix>WindowSate", "<prefix>Top", ...
    QString gridPrefix;                                      // column keys: "<gridPrefix>0" .. "<gridPrefix>2"
    print::MasterList printList = print::MasterList::Banks;  // title and headings of the printout
    bool modeless = false;                                   // the list's F1 shows the dialog without waiting
    bool swapPrevNext = false;                               // F4 next, F5 previous
    bool deleteKeyModifies = false;  // the grid's Delete key opens the modify frame, deletes nothing
    // Messages of the master check on 終了; an empty second one means no second check.
    QString missingFirst, missingSecond;
    // The widgets of the list and of the dialog, from the program's Designer files. The windows
    // find what they work with by name. The list: its one grid; frm_select_cd (txt_cd, cmd_syusei),
    // frm_select_cd2 (txt_cd2_0, txt_cd2_1, cmd_sakujyo) and frm_select_omote (Option1_0, Command6),
    // each frame with one more button, its ｷｬﾝｾﾙ. The dialog: txt_cd, txt_nm, and lbl_zan for
    // banks, cmb_bunrui (entries added at run time) otherwise.
    std::function<void(QDialog*)> setupList;
    std::function<void(QDialog*)> setupDialog;
    // Creates the program's own entry dialog for a list.
    std::function<MasterDialog*(MasterList*)> createDialog;
};
// The master's values (in ProgramWindows.cpp, beside the other windows' ones) with the program's
// layouts and entry dialog.
MasterDesc masterDesc(ledger::Master master, std::function<void(QDialog*)> setupList,
                      std::function<void(QDialog*)> setupDialog,
                      std::function<MasterDialog*(MasterList*)> createDialog);

class MasterList : public FormBase {
    Q_OBJECT
  public:
    MasterList(app::Session& session, MasterDesc desc, QWidget* parent);

    const MasterDesc& desc() const { return m_desc; }
    FlexGrid* grid() const { return m_grid; }
    // The entry dialog, created on first use.
    MasterDialog* dialog();

    // Reads the whole master into the grid.
    void Fill_List();
    // A row the dialog has just written: appended after an insert, rewritten after an update.
    void showWritten(const ledger::MasterRow& row, bool inserted);

    void openEntry();        // F1
    void showDeleteFrame();  // F2
    void showModifyFrame();  // F3
    void modifyByCode();     // cmd_syusei, Enter in txt_cd
    void deleteByCode();     // cmd_sakujyo, Enter in txt_cd2(1), the grid's Delete key
    void printSelected();    // Command6
    void finish();           // F10: close, then the master check

  protected:
    void queryUnload() override;
    void showBookAgain() override { Fill_List(); }

  private:
    void deleteKey();
    void keepGroupRows(ledger::BookChange& change, qint64 from, qint64 to);
    void doubleClick();
    void hideFrame(QFrame* frame);
    void Print_List();  // the printed list comes with the print routines

    MasterDesc m_desc;
    int m_selRow = 1;
    FlexGrid* m_grid = nullptr;
    models::MasterListModel* m_rows = nullptr;
    QFrame* m_frmCd = nullptr;
    QFrame* m_frmCd2 = nullptr;
    QFrame* m_frmOmote = nullptr;
    QLineEdit* m_txtCd = nullptr;
    QLineEdit* m_txtCd2[2] = {nullptr, nullptr};
    QRadioButton* m_front = nullptr;
    QPointer<MasterDialog> m_dialog;
};

class MasterDialog : public FormBase {
    Q_OBJECT
  public:
    MasterDialog(const MasterDesc& desc, MasterList* list);

    // Opened with the list's F1: a new row with the next free code (an open dialog is only
    // brought forward).
    void openNew();
    // Opened on one code: that row, or a new row when the code is not stored.
    void Edit_Master(qint64 code);

    void Clear_Master();
    bool Load_Master(qint64 code);

    void write();     // F1
    void previous();  // 前項目
    void next();      // 次項目
    void first();     // F6
    void last();      // F7
    void recalc();    // F8, bank only
    void clear();     // F9

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    std::optional<int> checkedCode();
    void present();
    bool isBank() const { return m_desc.master == ledger::Master::Bank; }

    MasterDesc m_desc;
    QPointer<MasterList> m_list;
    QLineEdit* m_cd = nullptr;
    QLineEdit* m_nm = nullptr;
    QLabel* m_zan = nullptr;      // banks
    QComboBox* m_kind = nullptr;  // items and categories
};

}  // namespace ui
