#pragma once
// Undo and redo of the changes made to the book in the windows, for as long as the program
// runs: one stack for the whole program, since windows close and open again. Ctrl+Z takes the
// last change back and Ctrl+Shift+Z or Ctrl+Y makes it again, wherever the focus is; in a line
// edit with typing of its own to take back, the keys stay the line edit's.
//
// A change is taken back only when the book still holds its rows as the change left them;
// otherwise nothing is written, the user is told, and the kept changes are forgotten.

#include <QObject>
#include <QUndoStack>

#include "core/Session.h"

class QWidget;

namespace ui {

class BookUndo : public QObject {
    Q_OBJECT
  public:
    explicit BookUndo(app::Session& session, QObject* parent = nullptr);
    ~BookUndo() override;

    // Take back / make again the last change; `from` is the window the note is shown on.
    void undo(QWidget* from);
    void redo(QWidget* from);
    const QUndoStack& stack() const { return m_stack; }

  private:
    friend class ChangeCommand;
    void step(QWidget* from, bool back);
    app::Session& m_session;
    QUndoStack m_stack;
};

}  // namespace ui
