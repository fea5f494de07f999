#pragma once
// The transfer window of the bank journal (Ctrl+T): 日付, 出金銀行, 入金銀行, 金額, 備考, with the
// journals' keys (Enter to the next box, F1 writes, F10 closes) and input rules. F1 writes the
// withdrawal, the deposit and their link as one change (ledger::writeTransfer). The first use
// brings the book up to the version that holds transfers, and offers to register the two items
// when the book has none (or a stored one was deleted).

#include <memory>

#include "ui/shell/FormBase.h"

namespace Ui {
class Transfer;
}

namespace ui {

class TransferWindow : public FormBase {
    Q_OBJECT
  public:
    explicit TransferWindow(app::Session& session, QWidget* parent = nullptr);
    ~TransferWindow() override;

    // A new transfer: today's date, `fromBank` (0: none) as the paying bank, the rest empty.
    void clearEntry(qint64 fromBank = 0);
    // Writes what the boxes hold; false when a value is refused or nothing could be written
    // (the reason was shown).
    bool write();

  protected:
    void showBookAgain() override;

  private:
    std::unique_ptr<Ui::Transfer> ui;
};

// The journal's transfer window, made on first use, shown again afterwards and closed with the
// journal.
TransferWindow* openTransfer(FormBase* journal, qint64 fromBank = 0);

// The window as the main menu makes it (no journal behind it; the menu shows it itself): the
// first bank of the master as the paying bank.
FormBase* newTransferWindow(app::Session& session, QWidget* menu);

}  // namespace ui
