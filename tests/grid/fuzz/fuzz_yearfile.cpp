// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the year file loader as the file of a common and of
// a leap year. Beyond memory errors it stops when a file called whole is not
// whole columns, when a recovered cell lies outside the file, or when the
// loader claims more rows than the size bound allows.

#include "../../support/FuzzFail.h"
#include "grid/YearFile.h"

#include <QDate>

#include <cstdint>

using namespace tembrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const int year : {2004, 2005}) {
        const int cols = 1 + (QDate::isLeapYear(year) ? 366 : 365);
        const YearContent content = readYearContent(bytes, year);
        if (content.recovered.size() != cols)
            fail("not one entry per column");
        if (content.rows < 0 || qint64(content.rows) * cols * YearRecordSize > MaxYearFileBytes)
            fail("more rows than the size bound allows");
        if (content.state == YearContent::State::Whole) {
            if (qint64(content.rows) * cols * YearRecordSize != qint64(size))
                fail("a whole file that is not whole columns");
            for (int c = 1; c < cols; ++c)
                if (content.text(2, c) != QString::number(QDate(year, 1, 1).addDays(c - 1).day()))
                    fail("a whole file whose day headings are not the year's");
        }
        if (content.state == YearContent::State::Missing)
            fail("bytes called a missing file");
        for (int c = 0; c < cols; ++c) {
            if (!content.recovered[c])
                continue;
            if (content.rows < 3 ||
                yearRecordIndex(content.rows - 1, c, content.rows) >= content.file.recordCount())
                fail("a recovered column outside the file");
            for (int r = 0; r < content.rows; ++r)
                if (content.text(r, c).size() > YearTextWidth)
                    fail("a cell longer than its field");
        }
    }
    return 0;
}
