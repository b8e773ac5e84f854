// SPDX-License-Identifier: GPL-3.0-or-later
#include "grid/SpokenText.h"

#include "grid/YearGrid.h"

#include <QCoreApplication>
#include <QLocale>

namespace tembrel {
namespace {

class SpokenText final {
    Q_DECLARE_TR_FUNCTIONS(SpokenText)

public:
    // Whole phrases, not colour words: French puts the colour after the noun.
    static QString marker(Marker marker) {
        switch (marker) {
        case Marker::Noir:
            return tr("black message");
        case Marker::Rouge:
            return tr("red message");
        case Marker::Bleu:
            return tr("blue message");
        case Marker::Vert:
            return tr("green message");
        case Marker::Jaune:
            return tr("yellow message");
        case Marker::None:
            break;
        }
        return tr("empty");
    }
    static QString seconds(int n) { return tr("%1 seconds").arg(n); }
    static QString row(int n) { return tr("row %1").arg(n); }
};

QString spokenDate(const YearModel &model, int col) {
    return QLocale().toString(model.date(col), QStringLiteral("dddd d MMMM yyyy"));
}

QString spokenRow(const YearModel &model, int row) {
    const QString label = model.text(row, 0).trimmed();
    return label.isEmpty() ? SpokenText::row(row - GridFixedRows + 1) : label;
}

} // namespace

QString spokenText(const YearModel &model, int row, int col, std::optional<int> seconds) {
    if (row < 0 || row >= model.rows() || col < 0 || col >= model.cols())
        return {};
    if (row < GridFixedRows)
        return col > 0 ? spokenDate(model, col) : QString();
    if (col == 0)
        return spokenRow(model, row);
    const Slot slot{row, col};
    const Marker marker = model.marker(slot);
    const QString text = model.text(row, col).trimmed();
    // Any other text a year file kept is said as it is.
    QString what = marker == Marker::None && !text.isEmpty() ? text : SpokenText::marker(marker);
    if (marker != Marker::None && seconds)
        what += QStringLiteral(", ") + SpokenText::seconds(*seconds);
    return spokenDate(model, col) + QStringLiteral(", ") + spokenRow(model, row) +
           QStringLiteral(", ") + what;
}

} // namespace tembrel
