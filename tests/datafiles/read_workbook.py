#!/usr/bin/python3
"""Reads a workbook with a reader that shares no code with Corvin and prints what it found as
JSON: the sheet names, whether the sheets after the first are empty, every cell of the first sheet
(its kind, its value and its number format) and the widths of the columns that have one.

.xlsx workbooks are read with openpyxl, .xls workbooks with xlrd. Numbers are printed with repr(),
the shortest text that reads back as the same double. Run it with Debian's /usr/bin/python3, which
has both modules."""

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


def main():
    path = sys.argv[1]
    try:
        result = read_xlsx(path) if path.lower().endswith(".xlsx") else read_xls(path)
    except Exception as e:  # the test shows the reader's own words
        result = {"error": "%s: %s" % (type(e).__name__, e)}
    json.dump(result, sys.stdout)


if __name__ == "__main__":
    main()
