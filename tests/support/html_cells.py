# Reads an exported HTML file with Python's own parser and writes what a browser would show:
# the start tags met (sorted), the text of the H4 heading, then the table's rows, each cell's
# text with <BR> as a line feed. Output: UTF-16LE, records split by U+001E, cells by U+001F.
#
#     /usr/bin/python3 html_cells.py export.htm cells.txt
import sys
from html.parser import HTMLParser


class Cells(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.tags = set()
        self.heading = None
        self.in_heading = False
        self.rows = []
        self.in_cell = False

    def end_row(self):
        # The writer ends every row's line with CR LF after the last cell's text.
        if self.rows and self.rows[-1] and self.rows[-1][-1].endswith("\r\n"):
            self.rows[-1][-1] = self.rows[-1][-1][:-2]

    def handle_starttag(self, tag, attrs):
        self.tags.add(tag)
        if tag == "h4":
            self.in_heading, self.heading = True, ""
        elif tag == "tr":
            self.end_row()
            self.rows.append([])
            self.in_cell = False
        elif tag in ("td", "th") and self.rows:
            self.rows[-1].append("")
            self.in_cell = True
        elif tag == "br" and self.in_cell:
            self.rows[-1][-1] += "\n"

    def handle_endtag(self, tag):
        if tag == "h4":
            self.in_heading = False
        elif tag in ("thead", "tbody", "table"):
            self.end_row()
            self.in_cell = False

    def handle_data(self, data):
        if self.in_heading:
            self.heading += data
        elif self.in_cell:
            self.rows[-1][-1] += data


parser = Cells()
with open(sys.argv[1], encoding="utf-8", newline="") as f:
    parser.feed(f.read())
parser.close()
records = [" ".join(sorted(parser.tags)), parser.heading or ""]
records += ["\x1f".join(row) for row in parser.rows]
with open(sys.argv[2], "w", encoding="utf-16-le", newline="") as f:
    f.write("\x1e".join(records))
