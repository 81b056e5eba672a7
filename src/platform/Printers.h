#pragma once
// The installed printers and the printing of a finished picture. Besides the desktop's print
// queues there is always one virtual printer that writes each job as a PDF file into the home's
// "Printouts" folder.

#include "common/Status.h"

#include <QImage>
#include <QString>
#include <QStringList>

namespace corvin::platform {

// The always-present PDF printer's name.
inline const QString kPdfPrinterName = QStringLiteral("Corvin PDF (Printouts folder)");

enum class Orientation { Portrait = 1, Landscape = 2 };

class Printers {
public:
    virtual ~Printers() = default;

    // Every installed printer, the virtual PDF printer included.
    virtual QStringList names() const = 0;
    // 1 portrait, 2 landscape, 0 when the printer cannot be asked.
    virtual int orientation(const QString& printer) const = 0;

    virtual QString defaultPrinter() const = 0;
    virtual void setDefaultPrinter(const QString& printer) = 0;

    // Prints one page with the picture at the page's top-left corner, scaled to fit the page
    // and keeping its proportions. `jobName` names the job (and the PDF file). When the job went
    // to the PDF printer, `pdfFile` (if given) receives the file written.
    virtual Status printImage(const QImage& picture, Orientation orientation, const QString& jobName,
                              QString* pdfFile = nullptr) = 0;
};

} // namespace corvin::platform
