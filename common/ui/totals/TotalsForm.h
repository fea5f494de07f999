#pragma once
// The period totals window of both programs (form_S01T0101), and the period and code inputs
// it shares with the graph window.

#include <QObject>
#include <functional>
#include <optional>

#include "core/AppState.h"
#include "core/ledger/Totals.h"
#include "core/models/TotalsModels.h"
#include "ui/shell/FormBase.h"
#include "ui/shell/Inputs.h"

class QComboBox;
class QDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace ui {

class CodePair;
class FlexGrid;

// A widget the window's layout must hold; a layout without it is a programming error.
template <class T>
T* layoutPart(const QObject* in, const char* name) {
    T* w = in->findChild<T*>(QLatin1String(name));
    if (!w) qFatal("%s: the layout has no %s", qPrintable(in->objectName()), name);
    return w;
}

// The period frames frm_syukei_mode_0 (month: txt_date2, Command4 "<-", Command1 "+>") and
// frm_syukei_mode_1 (year: txt_date1, Command3 "<-", Command2 "+>"), taken from the window's
// layout by name. The boxes keep their text formatted, cannot be left while they hold no valid
// year (1900..9999) or month (1..12), and ask for a recomputation on Enter and on the buttons.
class PeriodControls : public QObject {
    Q_OBJECT
  public:
    explicit PeriodControls(FormBase* form);

    QFrame* monthFrame() const { return m_monthFrame; }
    QFrame* yearFrame() const { return m_yearFrame; }
    QLineEdit* yearBox() const { return m_year; }
    QLineEdit* monthBox() const { return m_month; }

    // The present year and month (app::Now) into the boxes.
    void setToday();
    // Monthly mode shows both frames, yearly mode the year frame only.
    void showForMode(int mode);
    // Left edges of the two frames.
    void place(int monthLeft, int yearLeft);
    // The period the boxes hold; nullopt when they do not hold a valid one.
    std::optional<ledger::Period> period(int mode) const;

  signals:
    // Enter in a box or a period button: the window computes again for the boxes' period.
    void recompute();

  private:
    bool eventFilter(QObject* watched, QEvent* e) override;
    bool checkYear(bool tellNow);
    bool checkMonth(bool tellNow);
    // The year and the month boxes: a valid value is written back in its usual form, else refused.
    bool checkBox(QLineEdit* box, std::optional<qint64> (*valid)(const QString&), QString (*text)(qint64),
                  const QString& refusal, bool tellNow);
    void stepMonth(int n);
    void stepYear(int n);
    void refuseNow(const QString& text, bool tellNow);

    FormBase* m_form;
    QFrame* m_monthFrame;
    QFrame* m_yearFrame;
    QLineEdit* m_year;
    QLineEdit* m_month;
};

// What the totals and the graph window share: the period mode they open in (the session's: 0 a
// month, 1 a year), the caption that names it, and the period boxes of their layout.
class PeriodForm : public FormBase {
    Q_OBJECT
  public:
    int mode() const { return m_mode; }
    // The caption for the window's period mode ("銀行項目別月合計", "科目別年グラフ", ...).
    QString caption() const;

  protected:
    // Lays the window out (`setupUi`, the program's Designer layout) and takes its period boxes;
    // `head` and `tail` stand either side of the caption's 月 or 年.
    PeriodForm(app::Session& session, const QString& head, const QString& tail,
               const std::function<void(QDialog*)>& setupUi, QWidget* parent);

    // Takes the layout's bank code box and list (txt_b_cd, cmb_b_nm) as one pair: a bank chosen
    // runs `chosen`, unless `isShown` says the window shows it already.
    void pairBank(std::function<void(qint64)> chosen, std::function<bool(qint64)> isShown);

    int m_mode = 0;
    PeriodControls* m_period = nullptr;
    // The bank's controls; null where the program's window has none.
    QLineEdit* m_bankCode = nullptr;
    QComboBox* m_bankName = nullptr;
    CodePair* m_bankPair = nullptr;

  private:
    QString m_head;
    QString m_tail;
};

// What differs between the bank book's and the household book's totals window.
struct TotalsConfig {
    // Builds the window's widgets (the program's Designer layout); the window finds them by name.
    std::function<void(QDialog*)> setupUi;
    app::Program program = app::Program::Bank;
    QString captionHead;        // "銀行項目別" / "科目別"
    bool clockWithMode = true;  // caption clock with 月/年 (bank book) or without (household book)
    bool bankControls = true;   // txt_b_cd, cmb_b_nm, lbl_zan: one bank's entries
    bool countColumn = true;    // "件数"
    QString codeHeader;         // "項目ｺｰﾄﾞ" / "科目ｺｰﾄﾞ"
    QString nameHeader;         // "項目名" / "科目名"
    QString kindHeader;         // "項目分類" / "科目分類"
    int nameWidth = 2600;       // twips
    bool framesRight = false;   // the period frames keep to the right edge
    bool printSide = false;     // F2 asks for the print side (frm_select_omote) first
};
// The program's values (in ProgramWindows.cpp, beside the other windows' ones) with its layout.
TotalsConfig totalsConfig(app::Program program, std::function<void(QDialog*)> setupUi);

class TotalsForm : public PeriodForm {
    Q_OBJECT
  public:
    TotalsForm(app::Session& session, TotalsConfig config, QWidget* parent = nullptr);

    // The other totals button was pressed while the window is open: follow its period mode.
    void reopen() override;

    FlexGrid* grid() const { return m_grid; }
    QLineEdit* yearBox() const { return m_period->yearBox(); }
    QLineEdit* monthBox() const { return m_period->monthBox(); }
    // Computes the table for one bank (bank book) or for all entries, for the boxes' period.
    void Calc_Totals(qint64 bankCode = 0);

    // Prints the table (one print run). Started by F2.
    virtual void Print_Totals();

  protected:
    void layoutControls() override;
    // Totals on show are counted again from the book as it is now.
    void showBookAgain() override {
        if (m_table->rowCount() > 0) recompute();
    }

  private:
    void recompute();
    void Fill_TotalGrid(const ledger::TotalsTable& t);
    void Fill_BankCombo();
    void showBank(qint64 code);
    void printRun();

    TotalsConfig m_config;
    FlexGrid* m_grid = nullptr;
    models::TotalsModel* m_table = nullptr;
    QLabel* m_zan = nullptr;
    std::optional<qint64> m_shownBank;
    QFrame* m_side = nullptr;
    QRadioButton* m_front = nullptr;
};

}  // namespace ui
