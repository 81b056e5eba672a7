#!/usr/bin/python3
"""Reads a workbook with a reader that shares no code with Corvin and prints what it found as
JSON: the sheet names, whether the sheets after the first are empty, every cell of the first sheet
(its kind, its value and its number format) and the widths of the columns that have one.

.xlsx workbooks are read with openpyxl, .xls workbooks with xlrd; with --gnumeric, either is read by
gnumeric's ssconvert (turned into a Gnumeric file, whose XML is read here); with --libreoffice, by
LibreOffice (saved as .xls, which xlrd reads). Numbers are printed with
repr(), the shortest text that reads back as the same double. With --properties, the document
properties are printed instead: the core ones by openpyxl (.xlsx) or olefile (.xls), the custom
ones from docProps/custom.xml (.xlsx) or from gnumeric's reading of the .xls. Run it with Debian's
/usr/bin/python3, which has the modules."""

import json
import sys


def read_xlsx(path):
    import openpyxl
    from openpyxl.utils import get_column_letter

    book = openpyxl.load_workbook(path)
    sheet = book.worksheets[0]
    cells = {}
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is None:
                continue
            kinds = {"s": "text", "n": "number", "d": "datetime", "e": "error", "b": "boolean"}
            kind = kinds.get(cell.data_type, cell.data_type)
            if kind == "number":
                value = repr(float(cell.value))
            elif kind == "datetime":
                value = cell.value.isoformat()
            else:
                value = str(cell.value)
            cells[cell.coordinate] = {"kind": kind, "value": value, "format": cell.number_format}
    widths = {letter: dim.width for letter, dim in sheet.column_dimensions.items() if dim.customWidth}
    others_empty = all(s.max_row == 1 and s.max_column == 1 and s.cell(1, 1).value is None
                       for s in book.worksheets[1:])
    return {"sheets": book.sheetnames, "others_empty": others_empty, "cells": cells, "widths": widths}


def read_xls(path):
    import xlrd

    book = xlrd.open_workbook(path, formatting_info=True)
    sheet = book.sheet_by_index(0)
    cells = {}
    for r in range(sheet.nrows):
        for c in range(sheet.ncols):
            cell = sheet.cell(r, c)
            if cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                continue
            fmt = book.format_map[book.xf_list[cell.xf_index].format_key].format_str
            if cell.ctype == xlrd.XL_CELL_TEXT:
                kind, value = "text", cell.value
            elif cell.ctype == xlrd.XL_CELL_NUMBER:
                kind, value = "number", repr(float(cell.value))
            elif cell.ctype == xlrd.XL_CELL_DATE:
                kind, value = "datetime", xlrd.xldate_as_datetime(cell.value, book.datemode).isoformat()
            elif cell.ctype == xlrd.XL_CELL_ERROR:
                kind, value = "error", xlrd.error_text_from_code.get(cell.value, str(cell.value))
            else:
                kind, value = "other", str(cell.value)
            cells[xlrd.cellname(r, c)] = {"kind": kind, "value": value, "format": fmt}
    widths = {xlrd.colname(c): info.width / 256.0 for c, info in sheet.colinfo_map.items()}
    others_empty = all(book.sheet_by_index(i).nrows == 0 for i in range(1, book.nsheets))
    return {"sheets": book.sheet_names(), "others_empty": others_empty, "cells": cells, "widths": widths}


def read_gnumeric(path):
    import gzip
    import os
    import subprocess
    import tempfile
    import xml.etree.ElementTree as ET

    ns = {"gnm": "http://www.gnumeric.org/v10.dtd"}
    with tempfile.TemporaryDirectory() as folder:
        out = os.path.join(folder, "book.gnumeric")
        subprocess.run(["ssconvert", path, out], check=True, capture_output=True)
        root = ET.fromstring(gzip.open(out).read())
    sheets = root.findall("gnm:Sheets/gnm:Sheet", ns)
    names = [s.find("gnm:Name", ns).text for s in sheets]
    kinds = {"40": "number", "30": "number", "60": "text", "50": "error", "20": "boolean"}
    cells = {}
    for c in sheets[0].findall("gnm:Cells/gnm:Cell", ns):
        from openpyxl.utils import get_column_letter
        ref = "%s%d" % (get_column_letter(int(c.get("Col")) + 1), int(c.get("Row")) + 1)
        kind = kinds.get(c.get("ValueType"), "other")
        value = repr(float(c.text)) if kind == "number" else (c.text or "")
        cells[ref] = {"kind": kind, "value": value, "format": c.get("ValueFormat", "")}
    others_empty = all(len(s.findall("gnm:Cells/gnm:Cell", ns)) == 0 for s in sheets[1:])
    return {"sheets": names, "others_empty": others_empty, "cells": cells, "widths": {}}


def read_libreoffice(path):
    """LibreOffice reads the workbook and saves it as .xls, which keeps each number's 64 bits; xlrd
    reads that."""
    import os
    import subprocess
    import tempfile

    with tempfile.TemporaryDirectory() as folder:
        profile = "-env:UserInstallation=file://" + os.path.join(folder, "profile")
        out = os.path.join(folder, "out")
        subprocess.run(["soffice", profile, "--headless", "--convert-to", "xls", "--outdir", out, path],
                       check=True, capture_output=True)
        name = os.path.splitext(os.path.basename(path))[0] + ".xls"
        return read_xls(os.path.join(out, name))


def custom_xlsx(path):
    import zipfile
    import xml.etree.ElementTree as ET

    with zipfile.ZipFile(path) as z:
        if "docProps/custom.xml" not in z.namelist():
            return {}
        root = ET.fromstring(z.read("docProps/custom.xml"))
    custom = {}
    for p in root:
        value = p[0]
        kind = value.tag.split("}")[1]
        custom[p.get("name")] = float(value.text) if kind in ("r8", "decimal", "i4") else (value.text or "")
    return custom


def read_properties(path):
    keys = ("title", "subject", "author", "keywords", "comments")
    if path.lower().endswith(".xlsx"):
        import openpyxl

        p = openpyxl.load_workbook(path).properties
        core = dict(zip(keys, (p.title, p.subject, p.creator, p.keywords, p.description)))
        return {"core": core, "custom": custom_xlsx(path)}
    import os
    import subprocess
    import tempfile

    import olefile

    m = olefile.OleFileIO(path).get_metadata()
    core = {k: (getattr(m, k).decode("utf-8") if getattr(m, k) is not None else None) for k in keys}
    with tempfile.TemporaryDirectory() as folder:
        out = os.path.join(folder, "book.xlsx")
        subprocess.run(["ssconvert", path, out], check=True, capture_output=True)
        custom = custom_xlsx(out)
    custom.pop("msole:codepage", None)  # gnumeric's own note of the code page
    return {"core": core, "custom": custom}


def main():
    path = sys.argv[-1]
    try:
        if "--properties" in sys.argv:
            result = read_properties(path)
        elif "--gnumeric" in sys.argv:
            result = read_gnumeric(path)
        elif "--libreoffice" in sys.argv:
            result = read_libreoffice(path)
        else:
            result = read_xlsx(path) if path.lower().endswith(".xlsx") else read_xls(path)
    except Exception as e:  # the test shows the reader's own words
        result = {"error": "%s: %s" % (type(e).__name__, e)}
    json.dump(result, sys.stdout)


if __name__ == "__main__":
    main()
