// Printouts drawn into PDF files, and where the entry point puts them.

#include <QDir>
#include <QFile>
#include <QPrinterInfo>
#include <QRegularExpression>

#include "support/TestEnv.h"
#include "ui/menu/AppMain.h"
#include "ui/print/PrintWriters.h"
#include "ui/shell/Msg.h"

namespace {

print::Rows banks(int n) {
    print::Rows rows;
    for (int i = 1; i <= n; ++i)
        rows << QStringList{QString::number(i), QStringLiteral("みずほ銀行 %1支店").arg(i), QString::number(i * 1000)};
    return rows;
}

class PrintWriterTest : public AppTest {
  protected:
    void SetUp() override { start(app::Program::Bank, false); }
    void TearDown() override {
        session().places.printDir = QString();
        AppTest::TearDown();
    }
    QStringList pdfs(const QString& dir) const { return QDir(dir).entryList({QStringLiteral("*.pdf")}, QDir::Files); }
};

}  // namespace

// A second printout in the same second gets a name of its own; a failed one leaves no file and
// says so.
TEST_F(PrintWriterTest, OnePdfHoldsEverySheetOfTheCustomSizeWithTheFontEmbedded) {
    const QString folder = dir() + QStringLiteral("/out");
    session().places.printDir = folder;
    bool front = true;
    const auto layout = [&](print::PageWriter& out) {
        return print::Print_List(out, print::MasterList::Banks, banks(61), front);
    };
    ASSERT_TRUE(ui::printDocument(session(), nullptr, QStringLiteral("銀行マスター"), layout));
    const QString path = folder + QStringLiteral("/銀行マスター_20240517-093000.pdf");
    ASSERT_EQ(pdfs(folder), QStringList{QFileInfo(path).fileName()});
    const QList<ui::Shown> shown = messages().takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].icon, ui::Icon::Information);
    EXPECT_TRUE(shown[0].text.contains(QDir::toNativeSeparators(path)));

    const QByteArray pdf = fileBytes(path);
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page "), 3);
    const auto box =
        QRegularExpression(QStringLiteral(R"(/MediaBox \[0 0 ([\d.]+) ([\d.]+)\])")).match(QString::fromLatin1(pdf));
    ASSERT_TRUE(box.hasMatch());
    EXPECT_NEAR(box.captured(1).toDouble(), 182 / 25.4 * 72, 0.5);
    EXPECT_NEAR(box.captured(2).toDouble(), 287 / 25.4 * 72, 0.5);
    EXPECT_TRUE(pdf.contains("/FontFile2"));  // the Japanese face travels with the file
    EXPECT_TRUE(pdf.contains("IPA")) << "IPA Gothic is not installed";

    front = true;
    ASSERT_TRUE(ui::printDocument(session(), nullptr, QStringLiteral("銀行マスター"), layout));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/銀行マスター_20240517-093000_2.pdf")));
    messages().takeShown();

    // A layout that gives up after the first sheet leaves no half-written file behind.
    ASSERT_FALSE(ui::printDocument(session(), nullptr, QStringLiteral("出納帳"), [](print::PageWriter& out) {
        out.beginPage();
        out.endPage();
        return false;
    }));
    EXPECT_EQ(pdfs(folder).size(), 2);
    QList<ui::Shown> failed = messages().takeShown();
    ASSERT_EQ(failed.size(), 1);
    EXPECT_EQ(failed[0].icon, ui::Icon::Critical);
    EXPECT_TRUE(failed[0].text.startsWith(QStringLiteral("印刷できません")));

    // A folder that cannot be made (a file stands in its way).
    ASSERT_TRUE(writeFile(dir() + QStringLiteral("/file")));
    session().places.printDir = dir() + QStringLiteral("/file/print");
    front = true;
    EXPECT_FALSE(ui::printDocument(session(), nullptr, QStringLiteral("銀行マスター"), layout));
    failed = messages().takeShown();
    ASSERT_EQ(failed.size(), 1);
    EXPECT_EQ(failed[0].icon, ui::Icon::Critical);
}

TEST_F(PrintWriterTest, ColumnsFitTheSheetAndDigitsAreOneColumnWide) {
    ui::PdfFileWriter out(dir() + QStringLiteral("/m.pdf"), QStringLiteral("m"));
    ASSERT_TRUE(out.beginPage());
    out.setFont(14, false);
    EXPECT_NEAR(out.textWidth(QStringLiteral("0")), 1.0, 0.05);
    EXPECT_NEAR(out.textWidth(QStringLiteral("残高")), 4.0, 0.1);
    // The right-most texts end at column 78 + 5 (their right edge 82 columns from column 1).
    EXPECT_GE(out.pageColumns(), 82.0);
    EXPECT_NEAR(out.lineHeight(), 1.25, 0.1);
    ASSERT_TRUE(out.endPage());
    ASSERT_TRUE(out.finish());
}

TEST_F(PrintWriterTest, WithoutAPrinterTheFileGoesBesideTheDatabase) {
    if (!QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << "a printer is installed";
    bool front = false;
    ASSERT_TRUE(ui::printDocument(session(), nullptr, QStringLiteral("科目別合計"), [&](print::PageWriter& out) {
        return print::printPurseTotals(out, "2024", "05", 0, {}, front);
    }));
    EXPECT_EQ(pdfs(dir() + QStringLiteral("/print")), QStringList{QStringLiteral("科目別合計_20240517-093000.pdf")});
    // For the owner's eyes only, as the book is.
    const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    EXPECT_EQ(QFileInfo(dir() + QStringLiteral("/print/科目別合計_20240517-093000.pdf")).permissions() & 0x7077, owner);
    EXPECT_EQ(QFileInfo(dir() + QStringLiteral("/print")).permissions() & 0x7077, owner | QFileDevice::ExeOwner);
}

TEST_F(PrintWriterTest, PrintDirOptionIsReadFromTheCommandLine) {
    QByteArray args[] = {"bank", "--print-dir", "/tmp/x y", "--other"};
    char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data()};
    int argc = 4;
    QString error;
    app::Places places;
    ASSERT_TRUE(ui::parseOptions(argc, argv, places, &error));
    EXPECT_EQ(places.printDir, QStringLiteral("/tmp/x y"));
    ASSERT_EQ(argc, 2);
    EXPECT_STREQ(argv[1], "--other");
}
