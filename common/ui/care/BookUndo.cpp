#include "ui/care/BookUndo.h"

#include <QLineEdit>
#include <QUndoCommand>
#include <QWidget>

#include "core/db/Book.h"
#include "core/ledger/Undo.h"
#include "ui/shell/FormBase.h"

namespace ui {

// One change as the stack keeps it. The change is already in the book when it is pushed, so
// the first redo (which QUndoStack runs on push) does nothing.
class ChangeCommand : public QUndoCommand {
  public:
    ChangeCommand(db::Book& book, app::Program program, ledger::BookChange change)
        : m_book(book), m_program(program), m_change(std::move(change)) {
        setText(m_change.what);
    }
    void undo() override { m_result = ledger::undoChange(m_book, m_program, m_change, &m_error); }
    void redo() override {
        if (m_pushed) {
            m_result = ledger::redoChange(m_book, m_program, m_change, &m_error);
            return;
        }
        m_pushed = true;
        m_result = ledger::UndoResult::Done;
    }
    ledger::UndoResult result() const { return m_result; }
    const QString& error() const { return m_error; }
    qsizetype rows() const { return m_change.rows(); }
    QStringList tables() const {
        QStringList out;
        for (const ledger::ChangePart& p : m_change.parts) out << p.table;
        return out;
    }

  private:
    db::Book& m_book;
    app::Program m_program;
    ledger::BookChange m_change;
    bool m_pushed = false;
    ledger::UndoResult m_result = ledger::UndoResult::Done;
    QString m_error;
};

BookUndo::BookUndo(app::Session& session, QObject* parent) : QObject(parent), m_session(session) {
    // Changes are many but small; a long session still keeps only the recent ones.
    m_stack.setUndoLimit(200);
    connect(&session, &app::Session::changeRecorded, this, [this](const ledger::BookChange& change) {
        m_stack.push(new ChangeCommand(m_session.book(), m_session.program(), change));
    });
    connect(&session, &app::Session::changesForgotten, this, [this] { m_stack.clear(); });
    // The line edit's own undo first: the typing in the focused box is the nearer mistake.
    setProgramShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), [this](QWidget* focus) {
        if (auto* e = qobject_cast<QLineEdit*>(focus); e && e->isUndoAvailable()) return false;
        undo(focus);
        return true;
    });
    auto redoKey = [this](QWidget* focus) {
        if (auto* e = qobject_cast<QLineEdit*>(focus); e && e->isRedoAvailable()) return false;
        redo(focus);
        return true;
    };
    setProgramShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), redoKey);
    setProgramShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y), redoKey);
}

BookUndo::~BookUndo() {
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                                     QKeySequence(Qt::CTRL | Qt::Key_Y)})
        setProgramShortcut(keys, {});
}

void BookUndo::undo(QWidget* from) { step(from, true); }
void BookUndo::redo(QWidget* from) { step(from, false); }

void BookUndo::step(QWidget* from, bool back) {
    QWidget* window = from ? from->window() : nullptr;
    if (back ? !m_stack.canUndo() : !m_stack.canRedo()) {
        m_session.status(
            window, back ? QStringLiteral("元に戻す変更はありません") : QStringLiteral("やり直す変更はありません"));
        return;
    }
    if (m_session.book().isReadOnly()) {
        m_session.show(window, QStringLiteral("読み取り専用で開きます"), app::Icon::Critical);
        return;
    }
    const int index = back ? m_stack.index() - 1 : m_stack.index();
    const auto* command = static_cast<const ChangeCommand*>(m_stack.command(index));
    const QString what = command->text();
    const qsizetype rows = command->rows();
    const QStringList tables = command->tables();
    if (back)
        m_stack.undo();
    else
        m_stack.redo();
    const ledger::UndoResult result = command->result();
    const QString error = command->error();
    switch (result) {
        case ledger::UndoResult::Done:
            m_session.status(
                window, (back ? QStringLiteral("%1を元に戻しました: %2件") : QStringLiteral("%1をやり直しました: %2件"))
                            .arg(what)
                            .arg(rows));
            break;
        case ledger::UndoResult::Changed:
            m_stack.clear();
            m_session.show(window, QStringLiteral("元に戻せません。\nその後の変更で記録が変わっています"),
                           app::Icon::Exclamation);
            break;
        case ledger::UndoResult::Failed:
            m_stack.clear();
            m_session.show(window, QStringLiteral("元に戻せません。\n") + error, app::Icon::Critical);
            break;
    }
    // The grids, balances and lists show the book as it is now: every table of the change is
    // announced, whatever came of it, since a refused step also forgot the kept changes.
    for (const QString& table : tables) m_session.book().announce(table);
}

}  // namespace ui
