#include "support/TestEnv.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include "core/db/Book.h"
#include "core/db/Recordset.h"
#include "core/db/Schema.h"
#include "ui/shell/Grid.h"

void AppTest::start(app::Program program, bool openDb) {
    ASSERT_TRUE(m_dir.isValid());
    // QSettings keeps its folder for the whole process: point it at this test's own folder.
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toLocal8Bit());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath(QStringLiteral("config")));
    m_session = std::make_unique<app::Session>(program);
    m_messages = std::make_shared<app::ScriptedMessages>();
    m_session->setMessages(m_messages);
    m_session->setEndHandler([this](int code) { m_endCode = code; });
    m_session->setUrlOpener([](const QString&) {});
    session().setDataDir(m_dir.path());
    // The program's own folder holds nothing: the build's help files and books stay out of the test.
    QDir(m_dir.path()).mkpath(QStringLiteral("program"));
    session().places.programDir = m_dir.filePath(QStringLiteral("program"));
    setNow(QDateTime(QDate(2024, 5, 17), QTime(9, 30)));
    if (openDb) {
        QString error;
        ASSERT_TRUE(db::createBook(program, session().databasePath(), &error)) << error.toStdString();
        ASSERT_TRUE(m_session->openBook(session().databasePath(), &error)) << error.toStdString();
    }
}

void AppTest::TearDown() {
    // Windows own their child windows: delete parents first, then whatever is left.
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets()) windows << w;
    for (auto& w : windows)
        if (w && !w->parentWidget()) delete w.data();
    for (auto& w : windows)
        if (w) delete w.data();
    if (m_session) m_session->closeBook();
    m_session.reset();
}

void AppTest::sql(const QString& sql, const QVariantList& binds) {
    QString error;
    ASSERT_TRUE(book().execute(sql, binds, &error)) << sql.toStdString() << ": " << error.toStdString();
}

void AppTest::asVersion(int version) {
    for (const db::SchemaTable& t : db::bookSchema(session().program()).tables)
        if (t.version > version) sql(QStringLiteral("DROP TABLE %1").arg(t.name));
    sql(QStringLiteral("PRAGMA user_version = %1").arg(version));
}

QVariant AppTest::value(const QString& sql, const QVariantList& binds) {
    bool ok = false;
    const QVariant v = book().scalar(sql, binds, &ok);
    EXPECT_TRUE(ok) << sql.toStdString();
    return v;
}

void AppTest::addBankEntry(qint64 cd, const QString& date, qint64 bank, const QVariant& item, const QVariant& amount,
                           const QVariant& note) {
    sql("INSERT INTO S01 (CD,K_DATE,B_CD,K_CD,KINGAKU,BIKO) VALUES (?,?,?,?,?,?)",
        {cd, date, bank, item, amount, note});
}

namespace {

// The codes (CD) of the rows a query finds.
QList<qint64> codesFound(db::Book& book, const QString& query) {
    QList<qint64> codes;
    db::Rs rs;
    db::Open_Rs(book, rs, query);
    for (; rs && !rs->endOfRows(); rs->moveNext()) codes << rs->field(QStringLiteral("CD")).toLongLong();
    return codes;
}

}  // namespace

void AppTest::startBank(const QString& banks, const QString& items) {
    start(app::Program::Bank);
    sql(QStringLiteral("INSERT INTO T01 (CD, NM, ZAN) VALUES ") + banks);
    sql(QStringLiteral("INSERT INTO T02 (CD, NM, KIND) VALUES ") + items);
    session().reopenMasters();
}

void AppTest::startPurse(const QString& categories) {
    start(app::Program::Purse);
    sql(QStringLiteral("INSERT INTO T01 (CD, NM, KIND) VALUES ") + categories);
    session().reopenMasters();
}

namespace {

// A journal row's amount signed as the kind of its master row in `kinds` (T01 or T02) says:
// income adds, every other kind (a missing one too) takes away.
QString signedAmount(const QString& kinds) {
    return QStringLiteral("CASE WHEN %1.KIND = 0 THEN S01.KINGAKU ELSE -S01.KINGAKU END").arg(kinds);
}

// The codes of the rows of `rows` (a table, or a subquery with CD and ZAN) whose ZAN is not `expected`.
QList<qint64> zanOtherThan(db::Book& book, const QString& rows, const QString& expected) {
    return codesFound(book, QStringLiteral("SELECT CD FROM %1 WHERE ZAN IS NOT %2 ORDER BY CD").arg(rows, expected));
}

}  // namespace

QList<qint64> AppTest::wrongPurseBalances() {
    const QString chain = QStringLiteral(
                              "(SELECT S01.CD AS CD, S01.ZAN AS ZAN, SUM(%1) OVER (ORDER BY S01.P_CD, S01.K_DATE, "
                              "S01.CD) AS RUNNING FROM S01 LEFT JOIN T01 ON T01.CD = S01.K_CD)")
                              .arg(signedAmount(QStringLiteral("T01")));
    return zanOtherThan(book(), chain, QStringLiteral("RUNNING"));
}

QList<qint64> AppTest::wrongBankBalances() {
    const QString total = QStringLiteral(
                              "(SELECT COALESCE(SUM(%1), 0) FROM S01 LEFT JOIN T02 ON T02.CD = S01.K_CD "
                              "WHERE S01.B_CD = T01.CD)")
                              .arg(signedAmount(QStringLiteral("T02")));
    return zanOtherThan(book(), QStringLiteral("T01"), total);
}

void AppTest::setNow(const QDateTime& t) {
    m_session->setClock([t] { return t; });
}

bool AppTest::reopenReadOnly() {
    const QString path = book().path();
    session().closeBook();
    QString error;
    if (!session().openBook(path, &error, true)) return false;
    session().reopenMasters();
    return true;
}

void whenModal(std::function<void(QWidget*)> action) {
    // Polls until a modal window is active, then acts on it once.
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        timer->stop();
        timer->deleteLater();
        action(modal);
    });
    timer->start();
}

bool showActive(QWidget* w) {
    w->show();
    w->activateWindow();
    return QTest::qWaitForWindowActive(w);
}

void typeText(QWidget* w, const QString& text) {
    w->setFocus();
    if (auto* e = qobject_cast<QLineEdit*>(w)) e->clear();
    for (const QChar ch : text) {
        if (ch.unicode() < 128) {
            QTest::keyClick(w, ch.toLatin1());
        } else {
            // Text that an input method would commit: a key event carrying the character.
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(w, &press);
            QApplication::sendEvent(w, &release);
        }
    }
}

void press(QWidget* w, int key, Qt::KeyboardModifiers mods) { QTest::keyClick(w, static_cast<Qt::Key>(key), mods); }

void typeEnter(QWidget* w, const QString& text) {
    typeText(w, text);
    press(w, Qt::Key_Return);
}

void typeFields(QWidget* w, std::initializer_list<std::pair<const char*, QString>> fields) {
    for (const auto& [name, text] : fields) typeEnter(child(w, name), text);
}

QStringList gridRow(ui::FlexGrid* grid, int row) {
    QStringList cells;
    for (int c = 0; c < grid->gridModel()->columnCount(); ++c) cells << grid->text(c, row);
    return cells;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QList<qint64> seriesValues(const ledger::SeriesData& d) {
    QList<qint64> v;
    for (const auto& p : d) v << p.value.value_or(-1);
    return v;
}
