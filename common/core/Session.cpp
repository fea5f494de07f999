#include "core/Session.h"

#include <QCoreApplication>

#include "core/db/Convert.h"
#include "core/db/Database.h"
#include "core/db/Recordset.h"

namespace app {
namespace {

// A master read whole through its record set (Open_T01 / Open_T02).
QList<MasterEntry> readMaster(int (*open)(db::Rs&)) {
    QList<MasterEntry> rows;
    db::Rs rs;
    if (open(rs) != db::kRows) return rows;
    for (rs->MoveFirst(); !rs->EndOfRows(); rs->MoveNext()) {
        const QVariant cd = rs->Field(QStringLiteral("CD"));
        if (!cd.isValid()) continue;
        rows.append({cd.toLongLong(), rs->Field(QStringLiteral("NM")).toString(), rs->Field(QStringLiteral("ZAN")),
                     rs->Field(QStringLiteral("KIND"))});
    }
    return rows;
}

}  // namespace

void MasterCache::assign(QList<MasterEntry> rows) {
    m_rows = std::move(rows);
    m_index.clear();
    for (int i = 0; i < m_rows.size(); ++i)
        if (!m_index.contains(m_rows[i].cd)) m_index.insert(m_rows[i].cd, i);
}

const MasterEntry* MasterCache::find(qint64 code) const {
    const auto it = m_index.find(code);
    return it == m_index.end() ? nullptr : &m_rows[it.value()];
}

Session::Session(Program program, QObject* parent) : QObject(parent), m_program(program) {
    Set_Product(program);
    m_messages = std::make_shared<ScriptedMessages>();
}

Session::~Session() = default;

bool Session::openBook(const QString& path, QString* error, bool readOnly) {
    return db::Open_Database(path, error, readOnly);
}

void Session::closeBook() {
    rs_T01.clear();
    rs_T02.clear();
    flg_T01 = flg_T02 = false;
    db::Close_Database();
}

void Session::reopenMasters() {
    rs_T01.assign(readMaster(db::Open_T01));
    flg_T01 = !rs_T01.isEmpty();
    if (m_program == Program::Bank) {
        rs_T02.assign(readMaster(db::Open_T02));
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
