#pragma once
// The document properties a workbook carries besides its sheets: the five core fields every
// spreadsheet program shows under File > Properties, and any number of custom name/value pairs.
// Both writers take them: .xlsx stores them as docProps/core.xml and docProps/custom.xml, .xls as
// the SummaryInformation and DocumentSummaryInformation (user-defined section) streams of its
// compound document. They never change the sheets.
//
//   WorkbookProperties p;
//   p.title = "Probe 7 acceptance";
//   p.custom.push_back({"range", QStringLiteral("HIGH")});
//   p.custom.push_back({"full scale uA", 10.0});
//   WriteWorkbook(path, format, sheet, files, p);

#include <QDateTime>
#include <QString>

#include <variant>
#include <vector>

namespace corvin::datafiles {

struct CustomProperty {
    QString name; // unique, not empty; the first of two with one name wins
    // Text, or a number stored as a double (a non-finite number is stored as its text).
    std::variant<QString, double> value;
};

struct WorkbookProperties {
    QString title;
    QString subject;
    QString author;
    QString keywords;
    QString comments;
    std::vector<CustomProperty> custom;
    // The creation time stored with the core fields; invalid: the time of writing.
    QDateTime created;

    bool hasCoreFields() const {
        return !title.isEmpty() || !subject.isEmpty() || !author.isEmpty() || !keywords.isEmpty() ||
               !comments.isEmpty();
    }
    // The custom properties the writers store: those with a name, each name once.
    std::vector<CustomProperty> distinctCustom() const {
        std::vector<CustomProperty> out;
        for (const CustomProperty& p : custom) {
            bool seen = p.name.isEmpty();
            for (const CustomProperty& o : out)
                seen = seen || o.name == p.name;
            if (!seen)
                out.push_back(p);
        }
        return out;
    }
};

} // namespace corvin::datafiles
