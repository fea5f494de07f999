#pragma once
// The password prompt: mode 1 asks for the stored password at start-up, mode 2 asks for a
// new password a second time. Wrong entries are counted over the whole run.

#include <QDialog>

#include "core/Session.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {

class form_U0102 : public QDialog {
    Q_OBJECT
  public:
    enum class Result { Accepted, Ended, Cancelled, Closed };

    explicit form_U0102(app::Session& session, QWidget* parent = nullptr);
    // Mode and request text. Mode 2 compares with `confirmTarget`'s text and empties it
    // after the third mismatch.
    void Set_Form(int mode, QLineEdit* confirmTarget = nullptr);
    // Shows the prompt modally and tells how it ended.
    Result ask();
    // The password typed when the prompt was answered right.
    const QString& typed() const { return m_typed; }

  private:
    void ok();
    void closeEvent(QCloseEvent* e) override;
    app::Session& m_session;
    int m_mode = 0;
    QLineEdit* m_target = nullptr;
    Result m_result = Result::Closed;
    QString m_typed;
    QLabel* m_label = nullptr;
    QLineEdit* m_pass = nullptr;
    QPushButton* m_ok = nullptr;
};

}  // namespace ui
