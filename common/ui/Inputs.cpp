#include "ui/Inputs.h"

#include <QKeyEvent>

#include "core/db/Convert.h"
#include "core/ledger/Dates.h"
#include "ui/FormBase.h"

namespace ui {

void fillCodeCombo(QComboBox* combo, const app::MasterCache& masters, const QString& firstEntry, qint64 firstCode) {
    const QSignalBlocker block(combo);
    combo->clear();
    if (!firstEntry.isEmpty()) combo->addItem(firstEntry, firstCode);
    for (const ledger::MasterRow& m : masters.rows())
        combo->addItem(QString::number(m.cd) + QLatin1Char(' ') + m.nm, m.cd);
    combo->setCurrentIndex(-1);
}

int findComboEntry(QComboBox* combo, qint64 code) {
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemData(i).toLongLong() == code) return i;
    return -1;
}

MonthBox::MonthBox(QWidget* parent) : QLineEdit(parent) {
    setInputMask(QStringLiteral("9999/99;_"));
    markNumeric(this);
}

MonthBox::MonthBox(const QString& name, QWidget* parent) : MonthBox(parent) { setObjectName(name); }

QString MonthBox::month() const { return ledger::normaliseMonth(displayText()); }

void MonthBox::setMonth(const QString& yyyymm) { setText(yyyymm); }

void MonthBox::normalise() {
    const QString before = displayText();
    const QString after = ledger::normaliseMonth(before);
    if (after != before) {
        const int pos = cursorPosition();
        setText(after);
        setCursorPosition(pos);
    }
    emit normalised();
}

void MonthBox::keyPressEvent(QKeyEvent* e) {
    // The text is left as typed while the user types: rewriting it before each key would put a
    // "0" under the cursor that the next digit overwrites ("2001/12" typed becoming "2001/02").
    // month() reads it normalised meanwhile; Enter and leaving the box rewrite it.
    // A digit an input method typed full-width goes in as its plain digit: the mask takes
    // ASCII digits only.
    const QString plain = db::typedNumber(e->text());
    if (!e->text().isEmpty() && plain != e->text() && plain.size() == 1 && plain.at(0).isDigit()) {
        QKeyEvent ascii(e->type(), Qt::Key_0 + plain.at(0).digitValue(), e->modifiers(), plain, e->isAutoRepeat(),
                        ushort(e->count()));
        QLineEdit::keyPressEvent(&ascii);
    } else {
        QLineEdit::keyPressEvent(e);
    }
    emit normalised();
}

void MonthBox::focusOutEvent(QFocusEvent* e) {
    normalise();
    QLineEdit::focusOutEvent(e);
}

}  // namespace ui
