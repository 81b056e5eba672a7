#pragma once
// The property-set streams of a compound document (.xls), which hold its document properties:
// "\005SummaryInformation" with the title, subject, author, keywords, comments, creation time and
// program name, and "\005DocumentSummaryInformation" with an empty first section and the custom
// properties in its user-defined section (a dictionary of names, then the values). Strings are
// stored in UTF-8 (code page 65001), numbers as doubles.

#include "datafiles/WorkbookProperties.h"

#include <QByteArray>

namespace corvin::datafiles {

class PropertySets {
public:
    static const QString kSummaryName;         // "\005SummaryInformation"
    static const QString kDocumentSummaryName; // "\005DocumentSummaryInformation"

    static QByteArray summary(const WorkbookProperties& properties);
    static QByteArray documentSummary(const WorkbookProperties& properties);
};

} // namespace corvin::datafiles
