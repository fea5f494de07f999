#include "core/Session.h"

#include <QCoreApplication>
#include <QDir>

#include "core/care/Check.h"
#include "core/db/Book.h"
#include "core/db/Convert.h"
#include "core/db/Recordset.h"

namespace app {
void MasterCache::assign(QList<ledger::MasterRow> rows) {
    m_rows = std::move(rows);
    m_index.clear();
    for (int i = 0; i < m_rows.size(); ++i)
        if (!m_index.contains(m_rows[i].cd)) m_index.insert(m_rows[i].cd, i);
}

const ledger::MasterRow* MasterCache::find(qint64 code) const {
    const auto it = m_index.find(code);
    return it == m_index.end() ? nullptr : &m_rows[it.value()];
}

Session::Session(Program program, QObject* parent) : QObject(parent), m_program(program) {
    setProduct(program);
    m_messages = std::make_shared<ScriptedMessages>();
    // The masters as read are the session's: rows of theirs that changed behind the windows
    // (an undo, a redo) are read again before the windows show the book again.
    connect(&m_book, &db::Book::changed, this, [this](const QString& table) {
        if (table == QLatin1String("T01") || table == QLatin1String("T02")) reopenMasters();
    });
}

Session::~Session() = default;

bool Session::openBook(const QString& path, QString* error, bool readOnly) {
    m_wrongTypesTold = false;
    return m_book.open(path, error, readOnly);
}

bool Session::mayWriteOnItsOwn(QObject* parent, bool tellEveryTime) {
    if (!m_book.isOpen() || !ledger::wrongTypesHold(m_book, m_program)) return true;
    if (tellEveryTime || !m_wrongTypesTold) {
        m_wrongTypesTold = true;
        show(parent,
             QStringLiteral("金額などに整数でない値（文字、小数、Null）があるため、残高の再計算など、プログラムが"
                            "自動で行う書き込みをしませんでした。データベースは変えていません。\n\n"
                            "問題の一覧を見るには、次のコマンドを実行してください:\n"
                            "kakeibo check \"%1\"")
                 .arg(QDir::toNativeSeparators(m_book.path())),
             Icon::Exclamation);
    }
    return false;
}

void Session::closeBook() {
    rs_T01.clear();
    rs_T02.clear();
    flg_T01 = flg_T02 = false;
    m_book.close();
}

void Session::reopenMasters() {
    const bool bank = m_program == Program::Bank;
    rs_T01.assign(ledger::readMasterList(m_book, bank ? ledger::Master::Bank : ledger::Master::Category));
    flg_T01 = !rs_T01.isEmpty();
    if (bank) {
        rs_T02.assign(ledger::readMasterList(m_book, ledger::Master::Item));
        flg_T02 = !rs_T02.isEmpty();
    }
}

void Session::setUserName(const QString& name) {
    UserName = name;
    emit userNameChanged(name);
}

QDateTime Session::now() const { return m_clock ? m_clock() : QDateTime::currentDateTime(); }
void Session::setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

Answer Session::show(QObject* parent, const QString& text, Icon icon, Buttons buttons) {
    return m_messages->show(parent, product().title, text, icon, buttons);
}

void Session::setMessages(std::shared_ptr<MessageSink> sink) {
    if (sink) m_messages = std::move(sink);
}

void Session::endProgram(int code) {
    if (m_endHandler) {
        m_endHandler(code);
        return;
    }
    closeBook();
    // Leaves every event loop, the modal ones included; windows are discarded without their
    // own closing steps.
    QCoreApplication::exit(code);
}

void Session::openUrl(const QString& url) {
    if (m_urlOpener) m_urlOpener(url);
}

}  // namespace app
