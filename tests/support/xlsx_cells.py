# Reads an exported workbook with openpyxl: the sheet names, then the rows of the first sheet,
# each cell's value as Python writes it (an empty cell empty). Output: UTF-16LE, records split
# by U+001E, cells by U+001F.
#
#     /usr/bin/python3 xlsx_cells.py export.xlsx cells.txt
import sys

import openpyxl

book = openpyxl.load_workbook(sys.argv[1], read_only=True)
records = ["\x1f".join(sheet.title for sheet in book.worksheets)]
for row in book.worksheets[0].iter_rows(values_only=True):
    records.append("\x1f".join("" if value is None else str(value) for value in row))
with open(sys.argv[2], "w", encoding="utf-16-le", newline="") as f:
    f.write("\x1e".join(records))
