#pragma once
// Input helpers the entry windows share: code boxes paired with a combo, the month box.

#include <QComboBox>
#include <QLineEdit>

#include "core/Session.h"

namespace ui {

// Fills a combo from a master as last read: each entry "CD NM", its item data the code.
void fillCodeCombo(QComboBox* combo, const app::MasterCache& masters, const QString& firstEntry = {},
                   qint64 firstCode = 0);
// Index of the first entry whose item data equals the code; -1 when none.
int findComboEntry(QComboBox* combo, qint64 code);

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

}  // namespace ui
