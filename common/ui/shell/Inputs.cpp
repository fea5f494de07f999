#include "ui/shell/Inputs.h"

#include <QKeyEvent>
#include <algorithm>

#include "core/db/Convert.h"
#include "core/db/Recordset.h"
#include "core/ledger/Dates.h"
#include "ui/shell/FormBase.h"

namespace ui {

void fillCodeCombo(QComboBox* combo, const app::MasterCache& masters, const QString& firstEntry, qint64 firstCode) {
    const QSignalBlocker block(combo);
    combo->clear();
    if (!firstEntry.isEmpty()) combo->addItem(firstEntry, firstCode);
    for (const ledger::MasterRow& m : masters.rows())
        combo->addItem(QString::number(m.cd) + QLatin1Char(' ') + m.nm, m.cd);
    combo->setCurrentIndex(-1);
}

void refillCodeCombo(QComboBox* combo, const app::MasterCache& masters) {
    const int shown = combo->currentIndex();
    const QVariant code = shown >= 0 ? combo->itemData(shown) : QVariant();
    fillCodeCombo(combo, masters);
    if (code.isValid()) {
        const QSignalBlocker block(combo);
        combo->setCurrentIndex(findComboEntry(combo, code.toLongLong()));
    }
}

int findComboEntry(QComboBox* combo, qint64 code) {
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemData(i).toLongLong() == code) return i;
    return -1;
}

CodePair::CodePair(FormBase* form, QLineEdit* box, QComboBox* combo, Options options)
    : QObject(form), m_form(form), m_box(box), m_combo(combo), m_options(std::move(options)) {
    form->onEnter(box, [this] {
        const auto code = typed(true);
        if (!code || !select(*code)) return false;
        m_box->setText(QString::number(*code));
        if (m_options.chosen) m_options.chosen(*code);
        return true;
    });
    form->onLeave(box, [this] {
        if (m_options.leaving) m_options.leaving();
        if (m_box->text().isEmpty()) return true;
        const auto code = typed(false);
        if (!code) {
            if (m_options.refusal.isEmpty()) return true;
            // The refused text goes; the box shows the code of the entry still chosen.
            const int i = m_combo->currentIndex();
            m_box->setText(i >= 0 ? QString::number(m_combo->itemData(i).toLongLong()) : QString());
            return true;
        }
        if (findComboEntry(m_combo, *code) >= 0 && !(m_options.isShown && m_options.isShown(*code))) {
            select(*code);
            if (m_options.chosen) m_options.chosen(*code);
        }
        return true;
    });
    connect(combo, QOverload<int>::of(&QComboBox::activated), this, [this](int i) {
        if (i < 0) return;
        const qint64 code = m_combo->itemData(i).toLongLong();
        m_box->setText(QString::number(code));
        if (m_options.chosen) m_options.chosen(code);
    });
}

bool CodePair::select(qint64 code) {
    const int i = findComboEntry(m_combo, code);
    if (i < 0) return false;
    const QSignalBlocker block(m_combo);
    m_combo->setCurrentIndex(i);
    return true;
}

std::optional<qint64> CodePair::typed(bool tellNow) {
    if (m_box->text().isEmpty()) return std::nullopt;
    const auto code = db::parseWhole(m_box->text());
    if (!code || *code < m_options.minCode || *code > db::kMaxCode) {
        if (!m_options.refusal.isEmpty()) m_form->refuseText(m_options.refusal, tellNow);
        return std::nullopt;
    }
    return code;
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

void ProposedNumber::propose(db::Book& book, QLineEdit* box) {
    m_number = std::max<qint64>(db::Get_Max(book, QStringLiteral("S01"), QStringLiteral("CD")), 0) + 1;
    box->setText(QString::number(m_number));
}

void ProposedNumber::keepNew(db::Book& book, QLineEdit* box) {
    if (box->text() == QString::number(m_number)) propose(book, box);
}

void onShiftLeftChain(FormBase* form, std::initializer_list<QWidget*> chain) {
    QWidget* previous = nullptr;
    for (QWidget* field : chain) {
        if (previous) form->onShiftLeft(field, previous);
        previous = field;
    }
}

void onNumberBoxes(FormBase* form, QLineEdit* number, QLineEdit* from, QLineEdit* to, std::function<void()> modify,
                   std::function<void()> remove) {
    form->onEnter(number, [modify = std::move(modify)] {
        modify();
        return false;
    });
    form->onEnter(from, [from, to] {
        if (!from->text().isEmpty()) to->setFocus();
        return false;
    });
    form->onEnter(to, [remove = std::move(remove)] {
        remove();
        return false;
    });
    form->onShiftLeft(to, from);
}

}  // namespace ui
