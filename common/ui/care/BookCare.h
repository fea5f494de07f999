#pragma once
// What the programs do for the book on their own: a copy when the book is opened and when it is
// closed (only when it changed since the newest copy), and once a week a check of the fresh copy
// in a worker thread, never of the live book. A copy that fails is said once and never stops the
// program; a check that finds something is said once, with the command that repairs it.

#include <QObject>
#include <QPointer>
#include <QThread>

#include "core/Session.h"
#include "core/care/Backup.h"
#include "core/care/Check.h"

class QWidget;

namespace ui {

class BookCare : public QObject {
    Q_OBJECT
  public:
    explicit BookCare(app::Session& session, QObject* parent = nullptr);
    ~BookCare() override;

    // A copy now, when the book changed since the newest one.
    void copyNow(QWidget* window);
    // The check of the newest copy in a worker thread, when the last one is a week old.
    void checkWhenDue(QWidget* window);
    // The copy at closing, before the connection goes.
    void atClosing(QWidget* window);
    // Waits for a check still running (tests; the end of the program).
    void waitForCheck();

    // Days between two checks.
    static constexpr int kCheckDays = 7;

  private:
    void startCheck(QWidget* window, const QString& copy);
    void tellCheck(const ledger::CheckResult& result);

    app::Session& m_session;
    db::BackupResult m_last;
    bool m_failureTold = false;
    bool m_closing = false;
    std::atomic<bool> m_stopCheck{false};  // set at closing: a check still running ends at once
    QThread* m_check = nullptr;
    QPointer<QWidget> m_window;
    QString m_book;
};

}  // namespace ui
