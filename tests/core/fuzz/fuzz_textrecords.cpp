// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the record, hours.dat and F<year>.ini readers: it stops
// when hours.dat does not read back as written or a day falls outside its year.

#include "../../support/FuzzFail.h"
#include "core/TextRecords.h"
#include "holidays/Holidays.h"
#include "timerows/HoursFile.h"

#include <cstdint>

using namespace tembrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    const QStringList fields = parseFields(bytes);
    for (const QString &field : fields)
        if (field.size() > bytes.size())
            fail("a field longer than its input");

    // What the time rows window shows is what it writes, and reads back.
    const QStringList labels = parseHours(bytes);
    if (parseHours(formatHours(labels)) != labels)
        fail("hours.dat does not read back as written");

    for (const int year : {2004, 2005}) {
        const PickedDays days = parsePickedDays(bytes, year).days;
        if (days.size() > 366)
            fail("more picked days than the year has");
        for (const QDate &d : days)
            if (!d.isValid() || d.year() != year)
                fail("a picked day outside its year");
    }

    for (const QString &field : fields) {
        fieldToInt(field);
        fieldToDouble(field);
    }
    return 0;
}
