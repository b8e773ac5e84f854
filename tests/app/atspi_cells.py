#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Reads cells of a running program's table from the accessibility bus, as a
# screen reader does: one line per cell, "<1 if focused, else 0><tab><name>".
#   atspi_cells.py APPLICATION ROW,COLUMN...   (the table's own rows and columns)
import sys
import time

import pyatspi


def application(name):
    # The program registers a moment after its first window shows.
    for _ in range(100):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.1)
    sys.exit("no application %r on the accessibility bus" % name)


def first_table(node):
    # A table's children are its cells: never walk into them.
    for child in node:
        if child is None:
            continue
        if child.getRole() == pyatspi.ROLE_TABLE:
            return child
        found = first_table(child)
        if found is not None:
            return found
    return None


def main():
    table = first_table(application(sys.argv[1]))
    if table is None:
        sys.exit("no table in %s" % sys.argv[1])
    cells = table.queryTable()
    for address in sys.argv[2:]:
        row, col = (int(n) for n in address.split(","))
        cell = cells.getAccessibleAt(row, col)
        focused = cell.getState().contains(pyatspi.STATE_FOCUSED)
        print("%d\t%s" % (focused, cell.name))


main()
