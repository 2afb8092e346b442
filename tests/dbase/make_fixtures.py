#!/usr/bin/python3
"""Writes the test tables with python3-dbf into the folder given: iii.dbf (dBase III with a memo), fox.dbf
(FoxPro, code page 850, memo) and vfp.dbf (Visual FoxPro, code page 1251, null flags, B, Y, I, T, memo).
Exits 3 when python3-dbf is not installed."""
import datetime
import os
import sys
import warnings

warnings.simplefilter("ignore")
try:
    import dbf
except ImportError:
    sys.exit(3)


def write(path, spec, dbf_type, codepage, rows):
    table = dbf.Table(path, spec, dbf_type=dbf_type, codepage=codepage)
    table.open(dbf.READ_WRITE)
    for row in rows:
        table.append(row)
    table.close()


folder = sys.argv[1]
write(os.path.join(folder, "iii.dbf"), "name C(10); amount N(8,2); born D; ok L; note M", "db3", "cp1252", [
    ("Zoë", 12.5, datetime.date(2023, 1, 2), True, "first memo"),
    ("Bob", -3, datetime.date(1999, 12, 31), False, "x" * 1500),
    ("", None, None, None, ""),
])
write(os.path.join(folder, "fox.dbf"), "name C(12); qty N(5,0); ratio F(10,3); ok L; born D; note M", "fp",
      "cp850", [
    ("Müller", 42, 0.125, True, datetime.date(2020, 2, 29), "Grüße"),
    ("Ørsted", -7, -2.5, False, None, ""),
])
write(os.path.join(folder, "vfp.dbf"), "name C(10) null; price Y null; amount B null; n I; ts T; note M",
      "vfp", "cp1251", [
    ("Жук", 1.5, 2.25, 7, datetime.datetime(2020, 5, 6, 7, 8, 9), "память"),
    (None, None, None, 0, None, None),
    ("", 0, 0.0, -1, None, "end"),
])


def set_null_flags(path, record_number, flags):
    """python3-dbf leaves _NULLFLAGS clear for None, so the flags of a record are set here: the header gives
    the header size (bytes 8-9) and the record size (10-11); _NULLFLAGS is the record's last byte."""
    with open(path, "r+b") as table:
        header = table.read(12)
        header_size = int.from_bytes(header[8:10], "little")
        record_size = int.from_bytes(header[10:12], "little")
        table.seek(header_size + record_number * record_size + record_size - 1)
        table.write(bytes([flags]))


set_null_flags(os.path.join(folder, "vfp.dbf"), 1, 0b111)   # name, price and amount of the second record
