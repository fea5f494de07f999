#pragma once
// Input helpers the entry windows share: code boxes paired with a combo, the month box.

#include <QComboBox>
#include <QLineEdit>
#include <functional>
#include <optional>

#include "core/Session.h"

namespace ui {

class FormBase;

// Fills a combo from a master as last read: each entry "CD NM", its item data the code.
void fillCodeCombo(QComboBox* combo, const app::MasterCache& masters, const QString& firstEntry = {},
                   qint64 firstCode = 0);
// Fills the combo again from the master as it is now, keeping the entry of the code it showed.
void refillCodeCombo(QComboBox* combo, const app::MasterCache& masters);
// Index of the first entry whose item data equals the code; -1 when none.
int findComboEntry(QComboBox* combo, qint64 code);

// Shift+Left in each field of `chain` moves the focus to the field before it.
void onShiftLeftChain(FormBase* form, std::initializer_list<QWidget*> chain);
// The boxes of a journal's two number frames: Enter in `number` (番号指定修正) runs `modify`;
// of the range (番号指定削除), Enter in `from` goes on to `to` when it holds something, Enter in
// `to` runs `remove`, and Shift+Left goes back from `to` to `from`.
void onNumberBoxes(FormBase* form, QLineEdit* number, QLineEdit* from, QLineEdit* to, std::function<void()> modify,
                   std::function<void()> remove);

// A code box with its combo (txt_b_cd / cmb_b_nm, txt_k_cd / cmb_k_nm), the one pairing every
// window uses. Enter in the box with a code the list has selects that entry, writes the code in
// its plain form and chooses it (the focus moves on); choosing an entry in the list writes its code into the box and
// chooses it. Leaving the box: `leaving` runs first; a code the list has is selected and chosen unless `isShown` says
// it is already what the window shows. A code the list lacks does nothing. Text that is not a whole number from minCode
// to 32767: with a refusal text, that message (and leaving puts back the code of the entry still chosen); without, the
// text stays and Enter keeps the focus in the box.
inline const QString kBankCodeRefusal = QStringLiteral("銀行ｺｰﾄﾞは1～32767の整数で入力してください");

class CodePair : public QObject {
    Q_OBJECT
  public:
    struct Options {
        int minCode = 1;
        QString refusal;
        std::function<void(qint64)> chosen;
        std::function<bool(qint64)> isShown;  // absent: a code is chosen again on every leave
        std::function<void()> leaving;
    };
    CodePair(FormBase* form, QLineEdit* box, QComboBox* combo, Options options);
    // Selects the entry of the code without choosing it; false when the list lacks it.
    bool select(qint64 code);

  private:
    std::optional<qint64> typed(bool tellNow);
    FormBase* m_form;
    QLineEdit* m_box;
    QComboBox* m_combo;
    Options m_options;
};

// The month box: mask "####/##" with "_" as the prompt character. Its text is normalised
// ("2001/3_" to "2001/03", other blanks to "0") on Enter and when it loses the focus; while the
// user types, month() reads it normalised and normalised() follows every key.
class MonthBox : public QLineEdit {
    Q_OBJECT
  public:
    explicit MonthBox(QWidget* parent = nullptr);
    MonthBox(const QString& name, QWidget* parent);
    // The text as "yyyy/mm" after normalisation.
    QString month() const;
    void setMonth(const QString& yyyymm);
    void normalise();

  signals:
    void normalised();  // after every key and every normalisation

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
};

// The record number a journal's entry area proposes for a new row: the highest stored one plus
// one. When rows come into the book behind it (an import, an undo or a redo), an untouched
// proposal moves past them, else 入力 would write over one of them; a number the user typed, or a
// loaded row's, stays as it is.
class ProposedNumber {
  public:
    void propose(db::Book& book, QLineEdit* box);
    void keepNew(db::Book& book, QLineEdit* box);

  private:
    qint64 m_number = 0;
};

}  // namespace ui
