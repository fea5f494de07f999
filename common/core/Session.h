#pragma once
// Everything the windows of one running program share: the open book, the masters as they
// were last read, the period mode, the print side, the user's name, the clock and where
// messages go. Every window receives it; a test makes a fresh one in one line.

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QVariant>
#include <functional>
#include <memory>

#include "core/AppState.h"
#include "core/Messages.h"
#include "core/db/Book.h"
#include "core/ledger/Masters.h"
#include "core/ledger/Undo.h"

namespace app {

// A master read whole, in code order, with a look-up by code.
class MasterCache {
  public:
    void assign(QList<ledger::MasterRow> rows);
    void clear() { assign({}); }
    const QList<ledger::MasterRow>& rows() const { return m_rows; }
    bool isEmpty() const { return m_rows.isEmpty(); }
    // The row of a code; null when the master has none.
    const ledger::MasterRow* find(qint64 code) const;

  private:
    QList<ledger::MasterRow> m_rows;
    QHash<qint64, int> m_index;
};

class Session : public QObject {
    Q_OBJECT
  public:
    explicit Session(Program program, QObject* parent = nullptr);
    ~Session() override;

    Program program() const { return m_program; }
    const ProductInfo& product() const { return productOf(m_program); }

    // The program's book, with its lock; see db::Book::open.
    bool openBook(const QString& path, QString* error, bool readOnly = false);
    void closeBook();
    db::Book& book() { return m_book; }
    const db::Book& book() const { return m_book; }

    // Where the program finds its files (see app::Places).
    Places places;
    QString databasePath() const { return places.databasePath(product()); }
    QString helpPath() const { return places.helpPath(product()); }
    void setDataDir(const QString& dir) {
        places.dataDir = dir;
        places.dataDirFromOption = !dir.isEmpty();
    }
    // Whether the program may write the book on its own (a recalculation at opening or at 終了,
    // the password's upgrade): not while a value has the wrong type (ledger::wrongTypesHold), as
    // balances computed over it would be wrong. The first refusal of an opening is told, with
    // the command that lists the findings; `tellEveryTime` tells each one (F8 asked for it).
    bool mayWriteOnItsOwn(QObject* parent, bool tellEveryTime = false);

    // The masters as they were when last read: at start-up and when a master list closes with
    // 終了 (rs_T01: banks of the bank book or categories of the household book; rs_T02: items).
    // flg_T01 / flg_T02 tell whether they hold rows.
    MasterCache rs_T01;
    MasterCache rs_T02;
    bool flg_T01 = false;
    bool flg_T02 = false;
    // Reads the masters again (both of the bank book, the categories of the household book).
    void reopenMasters();
    const ledger::MasterRow* Seek_T01(qint64 code) const { return rs_T01.find(code); }
    const ledger::MasterRow* Seek_T02(qint64 code) const { return rs_T02.find(code); }

    // Set by the menu before the totals and graph windows open: 0 monthly, 1 yearly.
    int periodMode = 0;
    // True when the next printed sheet is a front side (wider left margin).
    bool flg_Front = true;
    // NM of the user profile; empty when there is none.
    QString UserName;
    void setUserName(const QString& name);
    // Wrong passwords, counted over the whole run.
    int passwordFailures = 0;

    // The present date and time; tests set a fixed clock.
    QDateTime now() const;
    void setClock(std::function<QDateTime()> clock);

    // Every message and question of the program.
    Answer show(QObject* parent, const QString& text, Icon icon, Buttons buttons = Buttons::Ok);
    void status(QObject* parent, const QString& text) { m_messages->status(parent, text); }
    FileChoice chooseFile(QObject* parent, const FileRequest& request) {
        return m_messages->chooseFile(parent, request);
    }
    void setMessages(std::shared_ptr<MessageSink> sink);

    // Enables or disables the menu's journal, totals and graph buttons and F1 to F5.
    void Set_MenuEnabled(bool on) { emit menuEnabled(on); }

    // How the program ends (exit, third wrong password): the book is closed and the event loops
    // left. Tests replace it.
    void endProgram(int code);
    void setEndHandler(std::function<void(int)> handler) { m_endHandler = std::move(handler); }
    // Opens a mail or web address with the platform's handler; tests replace it.
    void openUrl(const QString& url);
    void setUrlOpener(std::function<void(const QString&)> opener) { m_urlOpener = std::move(opener); }

    // A change the user made to the book, for the program's undo stack.
    void recordChange(const ledger::BookChange& change) {
        if (!change.isEmpty()) emit changeRecorded(change);
    }
    // Something changed the book that the kept changes cannot be taken back across (a restore,
    // a refused undo): the undo stack forgets them.
    void forgetChanges() { emit changesForgotten(); }

  signals:
    void menuEnabled(bool on);
    void userNameChanged(const QString& name);
    void changeRecorded(const ledger::BookChange& change);
    void changesForgotten();

  private:
    Program m_program;
    db::Book m_book;
    std::function<QDateTime()> m_clock;
    std::shared_ptr<MessageSink> m_messages;
    std::function<void(int)> m_endHandler;
    std::function<void(const QString&)> m_urlOpener;
    bool m_wrongTypesTold = false;
};

}  // namespace app
