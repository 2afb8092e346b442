# Prints the cells of the first sheet of an .xlsx, one line per row, cells joined by " | " as
# "reference=text[number format]"; shared and inline strings are both resolved. Used by the export tests.
import sys
import xml.etree.ElementTree as ET
import zipfile

NS = {"m": "http://schemas.openxmlformats.org/spreadsheetml/2006/main"}
BUILT_IN_FORMATS = {0: "General", 49: "@"}


def text_of(node):
    return "".join(t.text or "" for t in node.iter("{%s}t" % NS["m"]))


def cell_formats(styles):
    codes = dict(BUILT_IN_FORMATS)
    custom = styles.find("m:numFmts", NS)
    if custom is not None:
        for fmt in custom.findall("m:numFmt", NS):
            codes[int(fmt.get("numFmtId"))] = fmt.get("formatCode")
    xfs = styles.find("m:cellXfs", NS).findall("m:xf", NS)
    return [codes.get(int(xf.get("numFmtId", "0")), "?") for xf in xfs]


with zipfile.ZipFile(sys.argv[1]) as book:
    assert book.testzip() is None
    shared = []
    if "xl/sharedStrings.xml" in book.namelist():
        shared = [text_of(si) for si in ET.fromstring(book.read("xl/sharedStrings.xml")).findall("m:si", NS)]
    formats = cell_formats(ET.fromstring(book.read("xl/styles.xml")))
    sheet = ET.fromstring(book.read("xl/worksheets/sheet1.xml"))
    for row in sheet.find("m:sheetData", NS).findall("m:row", NS):
        cells = []
        for c in row.findall("m:c", NS):
            kind = c.get("t")
            if kind == "s":
                value = shared[int(c.find("m:v", NS).text)]
            elif kind == "inlineStr":
                value = text_of(c.find("m:is", NS))
            else:
                v = c.find("m:v", NS)
                value = "" if v is None else v.text
            cells.append("%s=%s[%s]" % (c.get("r"), value, formats[int(c.get("s", "0"))]))
        sys.stdout.write(" | ".join(cells) + "\n")
