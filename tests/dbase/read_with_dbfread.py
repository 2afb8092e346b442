#!/usr/bin/python3
"""Prints every record of the table given, read with python3-dbfread, one line per record with the fields
joined by "|" in the data set's text forms (dates dd.MM.yyyy). Exits 3 when python3-dbfread is not installed."""
import datetime
import decimal
import sys

try:
    import dbfread
except ImportError:
    sys.exit(3)


def text(value):
    if value is None:
        return ""
    if isinstance(value, bool):
        return "True" if value else "False"
    if isinstance(value, datetime.datetime):
        stamp = value.strftime("%d.%m.%Y")
        return stamp if value.time() == datetime.time(0, 0) else stamp + value.strftime(" %H:%M:%S")
    if isinstance(value, datetime.date):
        return value.strftime("%d.%m.%Y")
    if isinstance(value, (float, decimal.Decimal)):
        number = repr(float(value))
        return number[:-2] if number.endswith(".0") else number
    if isinstance(value, bytes):
        return value.decode("latin-1")
    return str(value)


table = dbfread.DBF(sys.argv[1], encoding=sys.argv[2] if len(sys.argv) > 2 else None, char_decode_errors="replace")
for record in table:
    sys.stdout.write("|".join(text(value) for name, value in record.items() if name != "_NULLFLAGS") + "\n")
