#include "datafiles/XlsxWorkbook.h"

#include "datafiles/ColumnWidths.h"

#include <QHash>

#include <zip.h>

#include <charconv>
#include <cmath>
#include <memory>

namespace corvin::datafiles {
namespace {

constexpr char kXmlDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr char kMainNamespace[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr char kRelationshipsNamespace[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr char kPackageRelationships[] = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr char kVariantTypes[] = "http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes";
// The property set every custom property of an Office document belongs to.
constexpr char kCustomPropertySet[] = "{D5CDD505-2E9C-101B-9397-08002B2CF9AE}";
// The cell format of date-time cells in styles.xml (0 is the default one).
constexpr char kDateTimeStyle[] = "1";
// Deflate level: the sheets are long runs of similar text, and the fastest level already packs
// them to about a fifth.
constexpr zip_uint32_t kCompressionLevel = 1;

void AppendColumnName(QByteArray& out, int col) {
    char letters[4];
    int n = 0;
    for (int c = col + 1; c > 0; c = (c - 1) / 26)
        letters[n++] = char('A' + (c - 1) % 26);
    while (n > 0)
        out.append(letters[--n]);
}

void AppendInt(QByteArray& out, long long v) {
    char buffer[24];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
    out.append(buffer, r.ptr - buffer);
}

// 17 significant digits, which every reader turns back into the same double (shorter texts that
// round-trip in theory come back one unit in the last place off in some readers). Negative zero
// keeps its point: readers that take "-0" for the integer 0 would lose its sign.
void AppendExact(QByteArray& out, double v) {
    if (v == 0.0 && std::signbit(v)) {
        out.append("-0.0");
        return;
    }
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 17);
    out.append(buffer, r.ptr - buffer);
}

void AppendReference(QByteArray& out, int row, int col) {
    AppendColumnName(out, col);
    AppendInt(out, row + 1);
}

bool IsHex(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

void AppendEscape(QByteArray& out, char16_t c) {
    static const char kDigits[] = "0123456789ABCDEF";
    out.append("_x");
    for (int shift = 12; shift >= 0; shift -= 4)
        out.append(kDigits[(c >> shift) & 0xF]);
    out.append('_');
}

// A text of the workbook's XML parts that is not a shared string: entities only.
QByteArray Plain(const QString& text) {
    return XlsxWorkbook::escapedText(text);
}

bool NeedsPreserve(const QString& text) {
    auto blank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; };
    return !text.isEmpty() && (blank(text.front()) || blank(text.back()));
}

// The shared strings: every distinct text once, in the order first used.
struct StringTable {
    QHash<QString, int> index;
    QStringList strings;
    int uses = 0;

    int add(const QString& text) {
        ++uses;
        auto it = index.constFind(text);
        if (it != index.constEnd())
            return *it;
        const int i = int(strings.size());
        index.insert(text, i);
        strings << text;
        return i;
    }

    QByteArray xml() const {
        QByteArray out(kXmlDeclaration);
        out.append("<sst xmlns=\"").append(kMainNamespace).append("\" count=\"");
        AppendInt(out, uses);
        out.append("\" uniqueCount=\"");
        AppendInt(out, strings.size());
        out.append("\">");
        for (const QString& s : strings) {
            out.append(NeedsPreserve(s) ? "<si><t xml:space=\"preserve\">" : "<si><t>");
            out.append(XlsxWorkbook::escapedText(s));
            out.append("</t></si>");
        }
        out.append("</sst>");
        return out;
    }
};

QByteArray SheetXml(const SheetCells* sheet, bool selected, StringTable& strings) {
    QByteArray out(kXmlDeclaration);
    const int rows = sheet ? sheet->lastRow() + 1 : 0;
    out.reserve(1024 + qsizetype(rows) * qsizetype(sheet ? sheet->columnCount() : 0) * 36);
    out.append("<worksheet xmlns=\"").append(kMainNamespace).append("\" xmlns:r=\"");
    out.append(kRelationshipsNamespace).append("\"><dimension ref=\"");
    if (!sheet || sheet->isEmpty()) {
        out.append("A1");
    } else {
        int firstRow = SheetCells::kMaxRows;
        int firstCol = -1;
        for (int c = 0; c < sheet->columnCount(); ++c) {
            const std::vector<SheetCell>& cells = sheet->column(c);
            if (cells.empty())
                continue;
            firstRow = std::min(firstRow, cells.front().row);
            if (firstCol < 0)
                firstCol = c;
        }
        AppendReference(out, firstRow, firstCol);
        if (sheet->lastRow() != firstRow || sheet->lastColumn() != firstCol) {
            out.append(':');
            AppendReference(out, sheet->lastRow(), sheet->lastColumn());
        }
    }
    out.append(selected ? "\"/><sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"/></sheetViews>"
                        : "\"/><sheetViews><sheetView workbookViewId=\"0\"/></sheetViews>");
    out.append("<sheetFormatPr defaultRowHeight=\"15\"/>");

    bool anyFit = false;
    for (int c = 0; sheet && c < sheet->columnCount(); ++c) {
        const std::optional<QStringList>& fit = sheet->fittedTexts(c);
        if (!fit)
            continue;
        if (!anyFit)
            out.append("<cols>");
        anyFit = true;
        const int stored =
            ColumnWidths::storedWidth256(ColumnWidths::widestPixels(*fit, DefaultFont::Calibri11));
        out.append("<col min=\"");
        AppendInt(out, c + 1);
        out.append("\" max=\"");
        AppendInt(out, c + 1);
        out.append("\" width=\"");
        AppendExact(out, stored / 256.0);
        out.append("\" customWidth=\"1\"/>");
    }
    if (anyFit)
        out.append("</cols>");

    if (!sheet || sheet->isEmpty()) {
        out.append("<sheetData/>");
    } else {
        out.append("<sheetData>");
        int openRow = -1;
        sheet->forEachCell([&](int row, int col, const SheetCell& cell) {
            if (row != openRow) {
                if (openRow >= 0)
                    out.append("</row>");
                out.append("<row r=\"");
                AppendInt(out, row + 1);
                out.append("\">");
                openRow = row;
            }
            out.append("<c r=\"");
            AppendReference(out, row, col);
            if (cell.kind == CellKind::Text) {
                out.append("\" t=\"s\"><v>");
                AppendInt(out, strings.add(cell.text));
                out.append("</v></c>");
            } else if (!std::isfinite(cell.number)) {
                out.append("\" t=\"e\"><v>#NUM!</v></c>");
            } else {
                if (cell.kind == CellKind::DateTime)
                    out.append("\" s=\"").append(kDateTimeStyle);
                out.append("\"><v>");
                AppendExact(out, cell.number);
                out.append("</v></c>");
            }
        });
        out.append("</row></sheetData>");
    }
    out.append("<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
               "footer=\"0.3\"/></worksheet>");
    return out;
}

QByteArray StylesXml() {
    QByteArray out(kXmlDeclaration);
    out.append("<styleSheet xmlns=\"").append(kMainNamespace).append("\">");
    out.append("<numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"");
    out.append(Plain(QString::fromLatin1(SheetCells::kDateTimeFormat)));
    out.append(
        "\"/></numFmts>"
        "<fonts count=\"1\"><font><sz val=\"11\"/><color rgb=\"FF000000\"/><name val=\"Calibri\"/>"
        "<family val=\"2\"/></font></fonts>"
        "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
        "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
        "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
        "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
        "borderId=\"0\"/></cellStyleXfs>"
        "<cellXfs count=\"2\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
        "<xf numFmtId=\"164\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>"
        "</cellXfs>"
        "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
        "<dxfs count=\"0\"/><tableStyles count=\"0\" defaultTableStyle=\"TableStyleMedium9\" "
        "defaultPivotStyle=\"PivotStyleLight16\"/></styleSheet>");
    return out;
}

QByteArray WorkbookXml(const QStringList& sheetNames) {
    QByteArray out(kXmlDeclaration);
    out.append("<workbook xmlns=\"").append(kMainNamespace).append("\" xmlns:r=\"");
    out.append(kRelationshipsNamespace).append("\">");
    out.append("<workbookPr/><bookViews><workbookView xWindow=\"240\" yWindow=\"15\" windowWidth=\"16095\" "
               "windowHeight=\"9660\"/></bookViews><sheets>");
    for (qsizetype i = 0; i < sheetNames.size(); ++i) {
        out.append("<sheet name=\"").append(Plain(sheetNames[i].left(31))).append("\" sheetId=\"");
        AppendInt(out, i + 1);
        out.append("\" r:id=\"rId");
        AppendInt(out, i + 1);
        out.append("\"/>");
    }
    out.append("</sheets><calcPr calcId=\"124519\" fullCalcOnLoad=\"1\"/></workbook>");
    return out;
}

void AppendRelationship(QByteArray& out, qsizetype id, const char* type, const char* target) {
    out.append("<Relationship Id=\"rId");
    AppendInt(out, id);
    out.append("\" Type=\"").append(type).append("\" Target=\"").append(target).append("\"/>");
}

QByteArray WorkbookRelationships(qsizetype sheets) {
    QByteArray out(kXmlDeclaration);
    out.append("<Relationships xmlns=\"").append(kPackageRelationships).append("\">");
    const QByteArray worksheet = QByteArray(kRelationshipsNamespace) + "/worksheet";
    for (qsizetype i = 0; i < sheets; ++i) {
        const QByteArray target = "worksheets/sheet" + QByteArray::number(i + 1) + ".xml";
        AppendRelationship(out, i + 1, worksheet.constData(), target.constData());
    }
    const QByteArray styles = QByteArray(kRelationshipsNamespace) + "/styles";
    const QByteArray strings = QByteArray(kRelationshipsNamespace) + "/sharedStrings";
    AppendRelationship(out, sheets + 1, styles.constData(), "styles.xml");
    AppendRelationship(out, sheets + 2, strings.constData(), "sharedStrings.xml");
    out.append("</Relationships>");
    return out;
}

QByteArray PackageRelationships(bool custom) {
    QByteArray out(kXmlDeclaration);
    out.append("<Relationships xmlns=\"").append(kPackageRelationships).append("\">");
    const QByteArray document = QByteArray(kRelationshipsNamespace) + "/officeDocument";
    const QByteArray core = QByteArray(kPackageRelationships) + "/metadata/core-properties";
    const QByteArray app = QByteArray(kRelationshipsNamespace) + "/extended-properties";
    const QByteArray customType = QByteArray(kRelationshipsNamespace) + "/custom-properties";
    AppendRelationship(out, 1, document.constData(), "xl/workbook.xml");
    AppendRelationship(out, 2, core.constData(), "docProps/core.xml");
    AppendRelationship(out, 3, app.constData(), "docProps/app.xml");
    if (custom)
        AppendRelationship(out, 4, customType.constData(), "docProps/custom.xml");
    out.append("</Relationships>");
    return out;
}

QByteArray ContentTypes(qsizetype sheets, bool custom) {
    QByteArray out(kXmlDeclaration);
    out.append("<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
               "<Default Extension=\"rels\" "
               "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
               "<Default Extension=\"xml\" ContentType=\"application/xml\"/>");
    auto override = [&](const QByteArray& part, const char* type) {
        out.append("<Override PartName=\"")
            .append(part)
            .append("\" ContentType=\"")
            .append(type)
            .append("\"/>");
    };
    override("/docProps/app.xml", "application/vnd.openxmlformats-officedocument.extended-properties+xml");
    override("/docProps/core.xml", "application/vnd.openxmlformats-package.core-properties+xml");
    if (custom)
        override("/docProps/custom.xml",
                 "application/vnd.openxmlformats-officedocument.custom-properties+xml");
    override("/xl/styles.xml", "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml");
    override("/xl/workbook.xml",
             "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml");
    for (qsizetype i = 0; i < sheets; ++i)
        override("/xl/worksheets/sheet" + QByteArray::number(i + 1) + ".xml",
                 "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml");
    override("/xl/sharedStrings.xml",
             "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml");
    out.append("</Types>");
    return out;
}

QByteArray AppXml(const QStringList& sheetNames) {
    QByteArray out(kXmlDeclaration);
    out.append(
        "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\" "
        "xmlns:vt=\"");
    out.append(kVariantTypes)
        .append("\"><Application>Microsoft Excel</Application><DocSecurity>0</DocSecurity>"
                "<ScaleCrop>false</ScaleCrop><HeadingPairs><vt:vector size=\"2\" "
                "baseType=\"variant\"><vt:variant><vt:lpstr>Worksheets</vt:lpstr></vt:variant>"
                "<vt:variant><vt:i4>");
    AppendInt(out, sheetNames.size());
    out.append("</vt:i4></vt:variant></vt:vector></HeadingPairs><TitlesOfParts><vt:vector size=\"");
    AppendInt(out, sheetNames.size());
    out.append("\" baseType=\"lpstr\">");
    for (const QString& name : sheetNames)
        out.append("<vt:lpstr>").append(Plain(name.left(31))).append("</vt:lpstr>");
    out.append("</vt:vector></TitlesOfParts><LinksUpToDate>false</LinksUpToDate><SharedDoc>false</SharedDoc>"
               "<HyperlinksChanged>false</HyperlinksChanged><AppVersion>12.0000</AppVersion></Properties>");
    return out;
}

QByteArray CoreXml(const WorkbookProperties& p) {
    QByteArray out(kXmlDeclaration);
    out.append("<cp:coreProperties "
               "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
               "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:dcterms=\"http://purl.org/dc/terms/\" "
               "xmlns:dcmitype=\"http://purl.org/dc/dcmitype/\" "
               "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">");
    auto element = [&](const char* tag, const QString& value) {
        if (value.isEmpty())
            return;
        out.append('<').append(tag).append('>').append(XlsxWorkbook::escapedText(value));
        out.append("</").append(tag).append('>');
    };
    element("dc:title", p.title);
    element("dc:subject", p.subject);
    element("dc:creator", p.author);
    element("cp:keywords", p.keywords);
    element("dc:description", p.comments);
    const QDateTime created = (p.created.isValid() ? p.created : QDateTime::currentDateTime()).toUTC();
    const QByteArray when = created.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ")).toLatin1();
    out.append("<dcterms:created xsi:type=\"dcterms:W3CDTF\">").append(when).append("</dcterms:created>");
    out.append("<dcterms:modified xsi:type=\"dcterms:W3CDTF\">").append(when).append("</dcterms:modified>");
    out.append("</cp:coreProperties>");
    return out;
}

QByteArray CustomXml(const std::vector<CustomProperty>& custom) {
    QByteArray out(kXmlDeclaration);
    out.append(
        "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/custom-properties\" "
        "xmlns:vt=\"");
    out.append(kVariantTypes).append("\">");
    int pid = 2; // the first identifier custom properties may take
    for (const CustomProperty& p : custom) {
        out.append("<property fmtid=\"").append(kCustomPropertySet).append("\" pid=\"");
        AppendInt(out, pid++);
        out.append("\" name=\"").append(XlsxWorkbook::escapedText(p.name)).append("\">");
        if (const double* number = std::get_if<double>(&p.value); number && std::isfinite(*number)) {
            out.append("<vt:r8>");
            AppendExact(out, *number);
            out.append("</vt:r8>");
        } else {
            const QString text = number ? QString::number(*number) : std::get<QString>(p.value);
            out.append("<vt:lpwstr>").append(XlsxWorkbook::escapedText(text)).append("</vt:lpwstr>");
        }
        out.append("</property>");
    }
    out.append("</Properties>");
    return out;
}

struct Part {
    const char* name;
    QByteArray bytes;
};

Status ZipFailure(zip_error_t* error) {
    return Status::failure(QStringLiteral("The workbook could not be zipped: %1")
                               .arg(QString::fromUtf8(zip_error_strerror(error))));
}

// The parts zipped in memory, in their order.
Status Zip(const std::vector<Part>& parts, QByteArray& out) {
    zip_error_t error;
    zip_error_init(&error);
    struct ErrorFini {
        zip_error_t* e;
        ~ErrorFini() { zip_error_fini(e); }
    } errorFini{&error};

    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!buffer)
        return ZipFailure(&error);
    zip_source_keep(buffer); // the archive's close would free it, before its bytes are read
    struct SourceFree {
        void operator()(zip_source_t* s) const { zip_source_free(s); }
    };
    std::unique_ptr<zip_source_t, SourceFree> keep(buffer);

    zip_t* archive = zip_open_from_source(buffer, ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return ZipFailure(&error);
    for (const Part& part : parts) {
        zip_source_t* data =
            zip_source_buffer(archive, part.bytes.constData(), zip_uint64_t(part.bytes.size()), 0);
        const zip_int64_t index = data ? zip_file_add(archive, part.name, data, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0 ||
            zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, kCompressionLevel) < 0) {
            if (data && index < 0)
                zip_source_free(data);
            zip_error_set(&error, zip_error_code_zip(zip_get_error(archive)),
                          zip_error_code_system(zip_get_error(archive)));
            zip_discard(archive);
            return ZipFailure(&error);
        }
    }
    if (zip_close(archive) < 0) {
        zip_error_set(&error, zip_error_code_zip(zip_get_error(archive)),
                      zip_error_code_system(zip_get_error(archive)));
        zip_discard(archive);
        return ZipFailure(&error);
    }

    // The finished archive's bytes, read back out of the buffer.
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_stat(buffer, &stat) < 0 || !(stat.valid & ZIP_STAT_SIZE) || zip_source_open(buffer) < 0)
        return ZipFailure(zip_source_error(buffer));
    QByteArray bytes(qsizetype(stat.size), Qt::Uninitialized);
    const zip_int64_t read = zip_source_read(buffer, bytes.data(), stat.size);
    const bool whole = read == zip_int64_t(stat.size);
    if (zip_source_close(buffer) < 0 || !whole)
        return ZipFailure(zip_source_error(buffer));
    out = std::move(bytes);
    return Status::success();
}

} // namespace

QByteArray XlsxWorkbook::cellReference(int row, int col) {
    QByteArray ref;
    AppendReference(ref, row, col);
    return ref;
}

QByteArray XlsxWorkbook::escapedText(const QString& text) {
    QByteArray out;
    out.reserve(text.size() + 8);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        const bool pairStart =
            QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(text.at(i + 1).unicode());
        if (pairStart) {
            out.append(text.mid(i, 2).toUtf8());
            ++i;
            continue;
        }
        const bool legal =
            (c >= 0x20 && c != 0xFFFE && c != 0xFFFF && !QChar::isSurrogate(c)) || c == u'\t' || c == u'\n';
        if (!legal) {
            AppendEscape(out, c);
            continue;
        }
        switch (c) {
        case u'&':
            out.append("&amp;");
            break;
        case u'<':
            out.append("&lt;");
            break;
        case u'>':
            out.append("&gt;");
            break;
        case u'"':
            out.append("&quot;");
            break;
        case u'_':
            // A literal text that a reader would take for an escape gets its underscore escaped.
            if (i + 6 < n && text.at(i + 1) == u'x' && IsHex(text.at(i + 2).unicode()) &&
                IsHex(text.at(i + 3).unicode()) && IsHex(text.at(i + 4).unicode()) &&
                IsHex(text.at(i + 5).unicode()) && text.at(i + 6) == u'_')
                AppendEscape(out, u'_');
            else
                out.append('_');
            break;
        default:
            if (c < 0x80)
                out.append(char(c));
            else
                out.append(QString(QChar(c)).toUtf8());
        }
    }
    return out;
}

Status XlsxWorkbook::encode(const SheetCells& sheet, const QStringList& sheetNames, QByteArray& out,
                            const WorkbookProperties& properties) {
    if (sheetNames.isEmpty())
        return Status::failure(QStringLiteral("A workbook needs at least one sheet"));
    const std::vector<CustomProperty> custom = properties.distinctCustom();
    const bool hasCustom = !custom.empty();

    StringTable strings;
    std::vector<QByteArray> sheets;
    for (qsizetype i = 0; i < sheetNames.size(); ++i)
        sheets.push_back(SheetXml(i == 0 ? &sheet : nullptr, i == 0, strings));

    std::vector<Part> parts;
    parts.push_back({"[Content_Types].xml", ContentTypes(sheetNames.size(), hasCustom)});
    parts.push_back({"_rels/.rels", PackageRelationships(hasCustom)});
    parts.push_back({"docProps/app.xml", AppXml(sheetNames)});
    parts.push_back({"docProps/core.xml", CoreXml(properties)});
    if (hasCustom)
        parts.push_back({"docProps/custom.xml", CustomXml(custom)});
    parts.push_back({"xl/workbook.xml", WorkbookXml(sheetNames)});
    parts.push_back({"xl/_rels/workbook.xml.rels", WorkbookRelationships(sheetNames.size())});
    parts.push_back({"xl/styles.xml", StylesXml()});
    std::vector<QByteArray> sheetNamesInZip;
    for (std::size_t i = 0; i < sheets.size(); ++i)
        sheetNamesInZip.push_back("xl/worksheets/sheet" + QByteArray::number(qsizetype(i) + 1) + ".xml");
    for (std::size_t i = 0; i < sheets.size(); ++i)
        parts.push_back({sheetNamesInZip[i].constData(), std::move(sheets[i])});
    parts.push_back({"xl/sharedStrings.xml", strings.xml()});
    return Zip(parts, out);
}

} // namespace corvin::datafiles
