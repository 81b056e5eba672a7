#pragma once
// The desktop's printers (CUPS queues, through Qt) plus the virtual PDF printer that writes each
// job into a folder.

#include "platform/Printers.h"

namespace corvin::platform {

class QtPrinters : public Printers {
public:
    explicit QtPrinters(QString printoutsFolder);

    QStringList names() const override;
    int orientation(const QString& printer) const override;
    QString defaultPrinter() const override;
    void setDefaultPrinter(const QString& printer) override;
    Status printImage(const QImage& picture, Orientation orientation, const QString& jobName,
                      QString* pdfFile = nullptr) override;

    // Where the PDF printer puts its files.
    const QString& printoutsFolder() const { return m_folder; }

private:
    QString m_folder;
    QString m_default;
};

} // namespace corvin::platform
