#pragma once
// Printouts on paper or in a PDF file: writers that draw the page layouts with QPainter, and the
// one entry point the windows call.

#include <QPainter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <functional>
#include <memory>

#include "core/Session.h"
#include "core/ledger/PrintLayout.h"

class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;
class QWidget;

namespace ui {

// The sheet the printouts are laid out for, in millimetres.
constexpr double kSheetWidthMm = 182;
constexpr double kSheetHeightMm = 287;

// The sheet a printout is laid out for: the design's 182 x 287 mm upright, or A4 landscape for
// the wide tables (the year at a glance).
enum class Sheet { Design, A4Landscape };

// Draws positioned texts on sheets of 182 x 287 mm. A column is the average character width of
// the current font, a line 1/6 inch, both from the top-left corner of the printable area.
// The face is IPA Gothic (Japanese, embedded in PDF output), set a little narrower than usual so
// that a 14-point column is 1/12 inch and the layouts' 80-odd columns fit across the sheet.
class PainterWriter : public print::PageWriter {
  public:
    PainterWriter(const QString& title, Sheet sheet) : m_title(title), m_sheet(sheet) {}
    ~PainterWriter() override;

    bool beginPage() override;
    void setFont(int points, bool bold) override;
    double textWidth(const QString& text) const override;
    double lineHeight() const override;
    void putText(double line, double column, const QString& text) override;
    bool endPage() override;

    // Paints on the open sheet within the printable width, from `line` down by `lines` (a chart
    // above a printed list); nothing when no sheet is open.
    void paintArea(double line, double lines, const std::function<void(QPainter&, const QRectF&)>& paint);
    // Width of the printable area in columns of the current font (valid on an open sheet).
    double pageColumns() const;
    int pageCount() const { return m_pages; }
    QString error() const { return m_error; }

  protected:
    // Makes the painter draw on a new sheet; false with error() set when it cannot.
    virtual bool startSheet(QPainter& painter) = 0;
    // Ends the sheet on the device; a device that takes every sheet into one document has
    // nothing to do until the whole printout ends.
    virtual bool finishSheet(QPainter&) { return true; }
    // Keeps why the printout failed; false, for the step that failed to return.
    bool fail(const QString& error) {
        m_error = error;
        return false;
    }
    QPainter m_painter;
    const QString m_title;  // the printout's name, for the file or the print job
    const Sheet m_sheet;

  private:
    QFont m_font;
    int m_stretch = 0;  // horizontal scale of the face, percent; 0 until measured
    int m_pages = 0;
    bool m_open = false;
    QString m_error;
};

// All sheets of one printout into one PDF file, written whole or not at all.
class PdfFileWriter : public PainterWriter {
  public:
    PdfFileWriter(const QString& path, const QString& title, Sheet sheet = Sheet::Design);
    ~PdfFileWriter() override;
    // Ends the printout and writes the file; false with error() set when it could not be written.
    bool finish();

  protected:
    bool startSheet(QPainter& painter) override;

  private:
    QSaveFile m_file;
    std::unique_ptr<QPdfWriter> m_pdf;
};

// Every sheet a print job of its own on the given printer.
class PrinterWriter : public PainterWriter {
  public:
    PrinterWriter(const QPrinterInfo& printer, const QString& title, Sheet sheet = Sheet::Design);
    ~PrinterWriter() override;

  protected:
    bool startSheet(QPainter& painter) override;
    bool finishSheet(QPainter& painter) override;

  private:
    QPrinterInfo m_info;
    std::unique_ptr<QPrinter> m_printer;
};

// Where a printout goes: to the system's default printer, or, when there is none or a print
// folder was chosen (--print-dir), into one PDF file in that folder (default: "print" beside the
// database) named after `what` and the present time; the user is told the file's path.
// Failure is told with a critical message; returns whether the printout was completed.
bool printDocument(app::Session& session, QWidget* parent, const QString& what,
                   const std::function<bool(print::PageWriter&)>& layout, Sheet sheet = Sheet::Design);

// The PDF file a printout of `what` gets in `dir` now: what_yyyyMMdd-HHmmss.pdf, with a number
// added when that name is taken.
QString pdfPath(const QString& dir, const QString& what, const QDateTime& now);

}  // namespace ui
