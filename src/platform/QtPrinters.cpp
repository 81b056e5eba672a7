#include "platform/QtPrinters.h"

#include "common/AtomicFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>

namespace corvin::platform {
namespace {

QPageLayout::Orientation ToPageOrientation(Orientation o) {
    return o == Orientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
}

// Paints the picture at the page's top-left corner, as large as the page allows without
// changing its proportions.
bool PaintOnPage(QPagedPaintDevice& printer, const QImage& picture) {
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRect page = painter.viewport();
    const QSize fitted = picture.size().scaled(page.size(), Qt::KeepAspectRatio);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(0, 0), fitted), picture);
    return painter.end();
}

QString SafeJobName(const QString& jobName) {
    QString name = jobName;
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_. -]")), QStringLiteral("_"));
    return name.isEmpty() ? QStringLiteral("Corvin") : name;
}

} // namespace

QtPrinters::QtPrinters(QString printoutsFolder) : m_folder(std::move(printoutsFolder)) {
    const QString system = QPrinterInfo::defaultPrinterName();
    m_default = system.isEmpty() ? kPdfPrinterName : system;
}

QStringList QtPrinters::names() const {
    QStringList all = QPrinterInfo::availablePrinterNames();
    all << kPdfPrinterName;
    return all;
}

int QtPrinters::orientation(const QString& printer) const {
    if (printer == kPdfPrinterName)
        return static_cast<int>(Orientation::Portrait);
    const QPrinterInfo info = QPrinterInfo::printerInfo(printer);
    if (info.isNull())
        return 0;
    QPrinter p(info);
    return p.pageLayout().orientation() == QPageLayout::Landscape ? 2 : 1;
}

QString QtPrinters::defaultPrinter() const {
    return m_default;
}

void QtPrinters::setDefaultPrinter(const QString& printer) {
    m_default = printer;
}

Status QtPrinters::printImage(const QImage& picture, Orientation orientation, const QString& jobName,
                              QString* pdfFile) {
    if (m_default != kPdfPrinterName) {
        QPrinter printer(QPrinterInfo::printerInfo(m_default), QPrinter::HighResolution);
        printer.setDocName(jobName);
        printer.setPageOrientation(ToPageOrientation(orientation));
        if (!PaintOnPage(printer, picture))
            return Status::failure(QStringLiteral("The printer %1 could not print.").arg(m_default));
        return Status::success();
    }

    // The PDF printer: the page is made in memory on a page like the system printer's default,
    // then written atomically, so a full disc leaves no half-written printout and says why.
    if (!QDir().mkpath(m_folder))
        return Status::failure(QStringLiteral("Cannot create the folder %1").arg(m_folder));
    // One file per job, named after it; a second job of the same name gets a number.
    const QDir folder(m_folder);
    QString target = folder.filePath(SafeJobName(jobName) + QStringLiteral(".pdf"));
    for (int n = 2; QFile::exists(target); ++n)
        target = folder.filePath(QStringLiteral("%1 (%2).pdf").arg(SafeJobName(jobName)).arg(n));
    const QPrinter page(QPrinter::HighResolution);
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setResolution(page.resolution());
        writer.setPageLayout(page.pageLayout());
        writer.setPageOrientation(ToPageOrientation(orientation));
        writer.setTitle(jobName);
        writer.setCreator(QStringLiteral("Corvin"));
        if (!PaintOnPage(writer, picture))
            return Status::failure(QStringLiteral("Cannot make the printout %1").arg(target));
    }
    if (Status s = WriteFileAtomically(target, pdf.data()); !s)
        return Status::failure(QStringLiteral("Cannot write %1: %2").arg(target, s.message()));
    if (pdfFile)
        *pdfFile = target;
    return Status::success();
}

} // namespace corvin::platform
