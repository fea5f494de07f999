#include "ui/print/PrintWriters.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>
#include <QWidget>
#include <algorithm>

#include "core/AppState.h"
#include "core/db/Book.h"

namespace ui {
namespace {

// Room a printer cannot print on at the sheet's edges; the PDF keeps it too, so that the file
// looks like the printed sheet.
constexpr double kEdgeMm = 3;
// The column the layouts are designed for at 14 points: 1/12 inch.
constexpr double kColumnInch = 1.0 / 12;

QPageSize sheetSize(Sheet sheet = Sheet::Design) {
    if (sheet == Sheet::A4Landscape) return QPageSize(QPageSize::A4);
    return QPageSize(QSizeF(kSheetWidthMm, kSheetHeightMm), QPageSize::Millimeter, QStringLiteral("182 x 287 mm"),
                     QPageSize::ExactMatch);
}

QPageLayout::Orientation orientation(Sheet sheet) {
    return sheet == Sheet::A4Landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
}

// The Japanese face the sheets are printed in; empty: the default face.
QString printFamily() {
    static const QString family = [] {
        const QStringList families = QFontDatabase::families();
        for (const char* f : {"IPAGothic", "IPAPGothic", "IPAexGothic"})
            if (families.contains(QLatin1String(f))) return QString::fromLatin1(f);
        return QString();
    }();
    return family;
}

QString fileSafe(const QString& what) {
    QString name = what.trimmed();
    for (QChar& c : name)
        if (c.unicode() < 0x20 || QStringLiteral("\\/:*?\"<>|").contains(c)) c = QLatin1Char('_');
    return name.isEmpty() ? QStringLiteral("印刷") : name;
}

// A message about the printout, shown with the normal pointer even under the caller's hourglass.
void tell(app::Session& session, QWidget* parent, const QString& text, bool failed) {
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
    session.show(parent, text, failed ? app::Icon::Critical : app::Icon::Information);
    if (busy) QApplication::restoreOverrideCursor();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// PainterWriter

PainterWriter::~PainterWriter() = default;

bool PainterWriter::beginPage() {
    if (m_open) endPage();
    if (!startSheet(m_painter)) return false;
    ++m_pages;
    m_open = true;
    // A face a little wider than the design's column is narrowed so that 14 points make a
    // column of 1/12 inch.
    QFont probe(printFamily());
    probe.setPointSizeF(14);
    const double average = QFontMetricsF(probe, m_painter.device()).averageCharWidth();
    const double column = m_painter.device()->logicalDpiX() * kColumnInch;
    m_stretch = average > 0 ? std::clamp(int(100 * column / average), 50, 100) : 100;
    setFont(12, false);
    return true;
}

void PainterWriter::setFont(int points, bool bold) {
    m_font = QFont(printFamily());
    m_font.setPointSizeF(points);
    m_font.setBold(bold);
    if (m_stretch > 0 && m_stretch != 100) m_font.setStretch(m_stretch);
    if (m_painter.isActive()) m_painter.setFont(m_font);
}

double PainterWriter::textWidth(const QString& text) const {
    if (!m_painter.isActive()) return 0;
    const QFontMetricsF fm(m_font, m_painter.device());
    const double column = fm.averageCharWidth();
    return column > 0 ? fm.horizontalAdvance(text) / column : 0;
}

double PainterWriter::lineHeight() const {
    if (!m_painter.isActive()) return 1;
    const QFontMetricsF fm(m_font, m_painter.device());
    return fm.lineSpacing() / (m_painter.device()->logicalDpiY() / 6.0);
}

double PainterWriter::pageColumns() const {
    if (!m_painter.isActive()) return 0;
    const QFontMetricsF fm(m_font, m_painter.device());
    return fm.averageCharWidth() > 0 ? m_painter.device()->width() / fm.averageCharWidth() : 0;
}

void PainterWriter::putText(double line, double column, const QString& text) {
    if (!m_painter.isActive() || text.isEmpty()) return;
    const QFontMetricsF fm(m_font, m_painter.device());
    double x = (column - 1) * fm.averageCharWidth();
    const double width = fm.horizontalAdvance(text);
    // Nothing is printed off the sheet: a text that would run past the right edge ends at it.
    const double right = m_painter.device()->width();
    if (x + width > right) x = std::max(0.0, right - width);
    const double top = line * m_painter.device()->logicalDpiY() / 6.0;
    m_painter.drawText(QPointF(x, top + fm.ascent()), text);
}

void PainterWriter::paintArea(double line, double lines, const std::function<void(QPainter&, const QRectF&)>& paint) {
    if (!m_painter.isActive()) return;
    const double unit = m_painter.device()->logicalDpiY() / 6.0;
    m_painter.save();
    paint(m_painter, QRectF(0, line * unit, m_painter.device()->width(), lines * unit));
    m_painter.restore();
}

bool PainterWriter::endPage() {
    if (!m_open) return true;
    m_open = false;
    return finishSheet(m_painter);
}

// ---------------------------------------------------------------------------------------------
// PdfFileWriter

PdfFileWriter::PdfFileWriter(const QString& path, const QString& title, Sheet sheet)
    : PainterWriter(title, sheet), m_file(path) {}

PdfFileWriter::~PdfFileWriter() {
    // The painter works on the PDF device: it ends before the device goes. An unfinished file is
    // discarded by QSaveFile.
    if (m_painter.isActive()) m_painter.end();
}

bool PdfFileWriter::startSheet(QPainter& painter) {
    if (m_pdf) {
        if (!m_pdf->newPage()) return fail(QStringLiteral("ページを追加できません"));
        return true;
    }
    if (!m_file.open(QIODevice::WriteOnly)) return fail(m_file.errorString());
    // A printout of the book is as private as the book: its owner's eyes only.
    m_file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    m_pdf = std::make_unique<QPdfWriter>(&m_file);
    m_pdf->setResolution(1200);
    m_pdf->setTitle(m_title);
    m_pdf->setCreator(app::product().title);
    m_pdf->setPageLayout(QPageLayout(sheetSize(m_sheet), orientation(m_sheet),
                                     QMarginsF(kEdgeMm, kEdgeMm, kEdgeMm, kEdgeMm), QPageLayout::Millimeter));
    if (!painter.begin(m_pdf.get())) return fail(QStringLiteral("PDF を作れません"));
    return true;
}

bool PdfFileWriter::finish() {
    if (!m_pdf) {
        if (error().isEmpty()) fail(QStringLiteral("ページがありません"));
        return false;
    }
    if (m_painter.isActive() && !m_painter.end()) return fail(QStringLiteral("PDF を書けません"));
    if (m_file.error() != QFileDevice::NoError || !m_file.commit()) return fail(m_file.errorString());
    return true;
}

// ---------------------------------------------------------------------------------------------
// PrinterWriter

PrinterWriter::PrinterWriter(const QPrinterInfo& printer, const QString& title, Sheet sheet)
    : PainterWriter(title, sheet), m_info(printer) {}

PrinterWriter::~PrinterWriter() {
    if (m_painter.isActive()) m_painter.end();
}

bool PrinterWriter::startSheet(QPainter& painter) {
    m_printer = std::make_unique<QPrinter>(m_info, QPrinter::HighResolution);
    m_printer->setDocName(QStringLiteral("%1 (%2)").arg(m_title).arg(pageCount() + 1));
    m_printer->setCopyCount(1);
    m_printer->setFullPage(false);
    // A printer without the custom size prints on its own paper from the same top-left corner;
    // the layout needs less than A5's width and A4's height.
    m_printer->setPageSize(sheetSize(m_sheet));
    m_printer->setPageOrientation(orientation(m_sheet));
    if (!painter.begin(m_printer.get()))
        return fail(QStringLiteral("プリンター %1 を使えません").arg(m_info.printerName()));
    return true;
}

bool PrinterWriter::finishSheet(QPainter& painter) {
    // Ending the painter sends the sheet as a job of its own.
    const bool ok = painter.end();
    if (!ok || m_printer->printerState() == QPrinter::Error) {
        fail(QStringLiteral("プリンター %1 に送れません").arg(m_info.printerName()));
        m_printer.reset();
        return false;
    }
    m_printer.reset();
    return true;
}

// ---------------------------------------------------------------------------------------------

QString pdfPath(const QString& dir, const QString& what, const QDateTime& now) {
    const QString base = fileSafe(what) + QLatin1Char('_') + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString path = QDir(dir).filePath(base + QStringLiteral(".pdf"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QDir(dir).filePath(QStringLiteral("%1_%2.pdf").arg(base).arg(n));
    return path;
}

bool printDocument(app::Session& session, QWidget* parent, const QString& what,
                   const std::function<bool(print::PageWriter&)>& layout, Sheet sheet) {
    QString dir = session.places.printDir;
    if (dir.isEmpty()) {
        const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
        if (!printer.isNull()) {
            PrinterWriter out(printer, what, sheet);
            if (layout(out)) return true;
            tell(session, parent, QStringLiteral("印刷できません。\n") + out.error(), true);
            return false;
        }
        dir = QDir(session.places.dataFolder()).filePath(QStringLiteral("print"));
    }
    if (!db::makePrivatePath(dir)) {
        tell(session, parent,
             QStringLiteral("印刷できません。\nフォルダーを作れません: ") + QDir::toNativeSeparators(dir), true);
        return false;
    }
    const QString path = pdfPath(dir, what, session.now());
    bool ok = false;
    QString error;
    {
        PdfFileWriter out(path, what, sheet);
        ok = layout(out) && out.finish();
        error = out.error();
    }
    if (!ok) {
        tell(session, parent,
             QStringLiteral("印刷できません。\nファイルに書けません: ") + QDir::toNativeSeparators(path) +
                 (error.isEmpty() ? QString() : QStringLiteral("\n") + error),
             true);
        return false;
    }
    tell(session, parent, QStringLiteral("印刷をファイルに保存しました。\n") + QDir::toNativeSeparators(path), false);
    return true;
}

}  // namespace ui
