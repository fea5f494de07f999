// The one description of the book: the empty books are made from it, and an older book grows to
// the same shape by the upgrade, in one transaction that leaves nothing half done.

#include <sqlite3.h>

#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>

#include "core/care/Upgrade.h"
#include "core/db/Backup.h"
#include "core/db/Book.h"
#include "core/db/Schema.h"
#include "support/TestEnv.h"

namespace {

// The purse book of today and one more version, with a table and a unique index of its own, as
// the next feature will add them.
db::Schema nextSchema() {
    db::Schema s = db::bookSchema(app::Program::Purse);
    const int next = db::kSchemaVersion + 1;
    s.tables << db::SchemaTable{QStringLiteral("X01"),
                                next,
                                {{QStringLiteral("CD"), QStringLiteral("INTEGER PRIMARY KEY"), true},
                                 {QStringLiteral("K_CD"), QStringLiteral("INTEGER"), true},
                                 {QStringLiteral("YM"), QStringLiteral("TEXT"), false}}};
    s.indexes << db::SchemaIndex{
        QStringLiteral("X01_KEY"), QStringLiteral("X01"), {QStringLiteral("K_CD"), QStringLiteral("YM")}, true, next};
    return s;
}

// Every table, column and index of a book, as SQLite keeps their definitions.
QStringList shapeOf(const QSqlDatabase& c) {
    QStringList out;
    QSqlQuery q(c);
    q.exec(
        QStringLiteral("SELECT type || ' ' || name || ': ' || sql FROM sqlite_master "
                       "WHERE name NOT LIKE 'sqlite%' ORDER BY name"));
    while (q.next()) out << q.value(0).toString();
    return out;
}

QStringList shapeOfNewBook(const db::Schema& schema) {
    QTemporaryDir dir;
    QStringList shape;
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("schema-new"));
        c.setDatabaseName(dir.filePath(QStringLiteral("new.mdb")));
        EXPECT_TRUE(c.open());
        QString error;
        EXPECT_TRUE(db::createSchema(c, schema, &error)) << error.toStdString();
        shape = shapeOf(c);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("schema-new"));
    return shape;
}

TEST(BookSchema, EveryTableIsKeyedByCdNoNameIsAKeywordAndTheDeliveredBooksAreTheNewest) {
    for (app::Program p : {app::Program::Bank, app::Program::Purse}) {
        const db::Schema& s = db::bookSchema(p);
        EXPECT_EQ(s.version(), db::kSchemaVersion);
        for (const db::SchemaTable& t : s.tables) {
            ASSERT_FALSE(t.columns.isEmpty());
            EXPECT_EQ(t.columns.first().name, QStringLiteral("CD")) << t.name.toStdString();
            EXPECT_EQ(t.columns.first().type, QStringLiteral("INTEGER PRIMARY KEY")) << t.name.toStdString();
            const QStringList names = t.columnNames() << t.name;
            for (const QString& name : names) {
                const QByteArray n = name.toLatin1();
                EXPECT_EQ(sqlite3_keyword_check(n.constData(), n.size()), 0) << n.constData();
            }
        }
        // A new book is a copy of the delivered one: the newest shape, and its version recorded.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("book.mdb"));
        QString error;
        ASSERT_TRUE(db::createBook(p, path, &error)) << error.toStdString();
        db::Book book;
        ASSERT_TRUE(book.open(path, &error)) << error.toStdString();
        const db::SchemaState state = db::inspectSchema(book.connection(), s);
        EXPECT_EQ(state.stored, db::kSchemaVersion);
        EXPECT_FALSE(state.partial());
        EXPECT_EQ(shapeOf(book.connection()), shapeOfNewBook(s));
    }
}

class SchemaUpgrade : public AppTest {
  protected:
    // An older book: the shape of version 1, with rows, made before versions were counted.
    void SetUp() override {
        start(app::Program::Purse);
        sql("DROP TABLE B01");  // the budgets came with version 2
        sql("PRAGMA user_version = 0");
        sql("INSERT INTO T01 (CD,NM,KIND) VALUES (1,'給料',0),(2,'食費',1)");
        sql("INSERT INTO S01 (CD,P_CD,K_DATE,K_CD,KINGAKU,ZAN,BIKO) VALUES (1,1,'2024/05/01',1,5000,5000,'a')");
    }
    int version() { return value("PRAGMA user_version").toInt(); }
    int copies() { return db::listBackups(app::databasePath()).size(); }
    const db::Schema m_next = nextSchema();
};

TEST_F(SchemaUpgrade, AnOlderBookGrowsToTheShapeOfANewOneAfterACopyAndKeepsEveryRow) {
    EXPECT_EQ(db::inspectSchema(book().connection(), m_next).version, 1) << "complete and unversioned is version 1";
    const care::UpgradeResult r = care::upgradeBook(book(), app::Program::Purse, m_next.version(), &m_next);
    ASSERT_EQ(r.outcome, care::UpgradeOutcome::Upgraded) << r.error.toStdString();
    EXPECT_EQ(r.from, 1);
    EXPECT_EQ(r.to, m_next.version());
    EXPECT_EQ(version(), m_next.version());
    EXPECT_EQ(shapeOf(book().connection()), shapeOfNewBook(m_next));
    EXPECT_EQ(value("SELECT group_concat(CD||K_DATE||KINGAKU||ZAN||BIKO) FROM S01").toString(),
              QStringLiteral("12024/05/0150005000a"));
    EXPECT_EQ(copies(), 1);
    EXPECT_EQ(r.backup, db::listBackups(app::databasePath()).value(0).path);

    // Once current, nothing more is written, not even a copy.
    const care::UpgradeResult again = care::upgradeBook(book(), app::Program::Purse, m_next.version(), &m_next);
    EXPECT_EQ(again.outcome, care::UpgradeOutcome::Current);
    EXPECT_EQ(copies(), 1);
    // What this program calls current is the newest it knows: the upgraded book is newer.
    EXPECT_TRUE(db::inspectSchema(book().connection(), m_next).newer());
}

TEST_F(SchemaUpgrade, AForeignTableOfTheSameNameFailsTheUpgradeAndNothingChanges) {
    sql("CREATE TABLE X01 (A TEXT)");
    sql("INSERT INTO X01 VALUES ('theirs')");
    const QStringList before = shapeOf(book().connection());
    const care::UpgradeResult r = care::upgradeBook(book(), app::Program::Purse, m_next.version(), &m_next);
    EXPECT_EQ(r.outcome, care::UpgradeOutcome::Refused);
    EXPECT_TRUE(r.error.startsWith(QStringLiteral("データベースを更新できませんでした: "))) << r.error.toStdString();
    EXPECT_EQ(version(), 0);
    EXPECT_EQ(shapeOf(book().connection()), before);
    EXPECT_EQ(value("SELECT A FROM X01").toString(), QStringLiteral("theirs"));
}

TEST_F(SchemaUpgrade, ReadOnlyPartialAndTriggeredBooksAreRefusedUntouched) {
    QString error;
    ASSERT_TRUE(session().openBook(app::databasePath(), &error, true));
    care::UpgradeResult r = care::upgradeBook(book(), app::Program::Purse, m_next.version(), &m_next);
    EXPECT_EQ(r.outcome, care::UpgradeOutcome::Refused);
    EXPECT_TRUE(r.error.endsWith(QStringLiteral("読み取り専用で開きます"))) << r.error.toStdString();

    ASSERT_TRUE(session().openBook(app::databasePath(), &error));
    sql("ALTER TABLE S01 DROP COLUMN BIKO");
    r = care::upgradeBook(book(), app::Program::Purse, m_next.version(), &m_next);
    EXPECT_EQ(r.outcome, care::UpgradeOutcome::Refused);
    EXPECT_TRUE(r.error.contains(QStringLiteral("S01.BIKO"))) << r.error.toStdString();
    sql("DROP TABLE S01");
    r = care::upgradeBook(book(), app::Program::Purse, m_next.version(), &m_next);
    EXPECT_TRUE(r.error.contains(QStringLiteral("S01"))) << r.error.toStdString();

    sql("CREATE TRIGGER wipe AFTER INSERT ON T01 BEGIN DELETE FROM T01; END");
    ASSERT_TRUE(session().openBook(app::databasePath(), &error)) << error.toStdString();
    EXPECT_EQ(book().readOnlyReason(), db::ReadOnlyReason::Trigger);
    r = care::upgradeBook(book(), app::Program::Purse, m_next.version(), &m_next);
    EXPECT_EQ(r.outcome, care::UpgradeOutcome::Refused);
    EXPECT_TRUE(r.error.contains(QStringLiteral("wipe"))) << r.error.toStdString();
    EXPECT_EQ(version(), 0);
    EXPECT_EQ(copies(), 0);
}

}  // namespace
