// Start-up passwords: stored as Argon2id hashes; plain text from an older book still opens it
// and is then replaced by its hash, leaving no trace of itself in the file.

#include <QFile>

#include "core/Password.h"
#include "core/db/Book.h"
#include "support/TestEnv.h"

namespace {

TEST(Password, AHashVerifiesTheRightTextOnly) {
    const QString hash = app::hashPassword(QStringLiteral("秘密pass"));
    EXPECT_TRUE(app::isHashed(hash)) << hash.toStdString();
    EXPECT_FALSE(hash.contains(QStringLiteral("pass")));
    EXPECT_TRUE(app::passwordMatches(hash, QStringLiteral("秘密pass")));
    EXPECT_FALSE(app::passwordMatches(hash, QStringLiteral("秘密pas")));
    EXPECT_FALSE(app::passwordMatches(hash, hash)) << "the stored text itself is no password";
    EXPECT_NE(app::hashPassword(QStringLiteral("秘密pass")), hash) << "each hash has its own salt";

    // The blank means none and is never hashed. (Plain text from older books is compared as it
    // is: the start-up tests type it right and wrong.)
    EXPECT_EQ(app::hashPassword(app::kNoPassword), app::kNoPassword);
    EXPECT_FALSE(app::isHashed(QStringLiteral("$argon2i$v=19$...")));
}

class PasswordBookTest : public AppTest {
  protected:
    QString Stored() { return value("SELECT PASSWORD FROM U01 WHERE CD=1").toString(); }
};

TEST_F(PasswordBookTest, PlainTextIsReplacedByItsHashAndLeavesNoTraceInTheFile) {
    const QByteArray plain("hunter2-plain-text");
    start(app::Program::Purse);
    sql("INSERT INTO U01 (CD,NM,SYOHIZEI,PASSWORD) VALUES (1,'名前',8,' ')");
    EXPECT_EQ(app::upgradePassword(book(), app::kNoPassword), app::Upgrade::NotNeeded) << "the blank means none";
    EXPECT_EQ(Stored(), app::kNoPassword);
    sql("UPDATE U01 SET PASSWORD=?", {QString::fromLatin1(plain)});
    book().close();
    ASSERT_TRUE(fileBytes(session().databasePath()).contains(plain)) << "the book starts with the plain text";

    QString error;
    ASSERT_TRUE(book().open(session().databasePath(), &error, true)) << error.toStdString();
    EXPECT_EQ(app::upgradePassword(book(), QString::fromLatin1(plain)), app::Upgrade::NotNeeded) << "a read-only book";
    book().close();
    ASSERT_TRUE(book().open(session().databasePath(), &error)) << error.toStdString();
    // A lone profile row's page is rebuilt on its own; freed pages elsewhere are zeroed only so.
    EXPECT_EQ(value("PRAGMA secure_delete").toInt(), 1);
    EXPECT_EQ(app::upgradePassword(book(), QStringLiteral("wrong")), app::Upgrade::NotNeeded);
    EXPECT_EQ(Stored(), QString::fromLatin1(plain));
    EXPECT_EQ(app::upgradePassword(book(), QString::fromLatin1(plain)), app::Upgrade::Done);
    EXPECT_TRUE(app::isHashed(Stored()));
    EXPECT_TRUE(app::passwordMatches(Stored(), QString::fromLatin1(plain)));
    EXPECT_EQ(app::upgradePassword(book(), QString::fromLatin1(plain)), app::Upgrade::NotNeeded) << "a hash stays";
    EXPECT_EQ(value("SELECT NM FROM U01 WHERE CD=1").toString(), QStringLiteral("名前"));
    book().close();

    EXPECT_FALSE(fileBytes(session().databasePath()).contains(plain));
    EXPECT_FALSE(QFile::exists(session().databasePath() + QStringLiteral("-journal")));
}

}  // namespace
