"""Prints a workbook's layout as JSON for the export tests: sheet names, column
widths, row heights, merged ranges and every cell's value, borders and
alignment, as a spreadsheet program reads them."""
import json
import sys

import openpyxl
from openpyxl.utils import get_column_letter


def side(cell, name):
    border = getattr(cell, "border", None)
    s = getattr(border, name, None) if border is not None else None
    return (s.style or "") if s is not None else ""


def dump_sheet(ws):
    widths = {}
    for dim in ws.column_dimensions.values():
        if dim.width is None or dim.min is None:
            continue
        for col in range(dim.min, dim.max + 1):
            widths[str(col)] = dim.width
    heights = {str(r): d.height for r, d in ws.row_dimensions.items() if d.height is not None}
    cells = {}
    for (row, col), cell in ws._cells.items():
        align = getattr(cell, "alignment", None)
        cells[f"{get_column_letter(col)}{row}"] = {
            "value": cell.value,
            "left": side(cell, "left"),
            "right": side(cell, "right"),
            "top": side(cell, "top"),
            "bottom": side(cell, "bottom"),
            "horizontal": (align.horizontal or "") if align is not None else "",
            "vertical": (align.vertical or "") if align is not None else "",
            "wrap": bool(align.wrap_text) if align is not None else False,
        }
    setup = ws.page_setup
    fit = ws.sheet_properties.pageSetUpPr
    page = "paper=%s %s fit=%s breaks=%s" % (
        setup.paperSize, setup.orientation or "default",
        "%sx%s" % (1 if setup.fitToWidth is None else setup.fitToWidth,
                   1 if setup.fitToHeight is None else setup.fitToHeight) if fit is not None and fit.fitToPage else "no",
        ",".join(str(b.id) for b in ws.row_breaks.brk))
    return {
        "title": ws.title,
        "page": page,
        "defaultRowHeight": ws.sheet_format.defaultRowHeight,
        "widths": widths,
        "heights": heights,
        "merged": sorted(str(r) for r in ws.merged_cells.ranges),
        "cells": cells,
    }


def main():
    wb = openpyxl.load_workbook(sys.argv[1])
    json.dump({"sheets": [dump_sheet(ws) for ws in wb.worksheets]}, sys.stdout,
              ensure_ascii=False, default=str)


if __name__ == "__main__":
    main()
