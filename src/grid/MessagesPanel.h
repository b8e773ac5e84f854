// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The list of messages beside the year grid: which years, the colours shown,
// a search field, the table and the export controls. A view of the messages
// model; what a row asks for (show, play, delete, export) goes to the grid
// window as signals, which does it as its own slots would.

#include "grid/MessagesModel.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTableView;
class QToolButton;

namespace tembrel {

class MessagesPanel final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MessagesPanel)

public:
    MessagesPanel(YearModel &shown, QWidget *parent);

    QComboBox *ComboAnnees = nullptr; // the shown year, or every year
    QToolButton *CmdCouleurs[5] = {}; // one toggle per colour, black first
    QLineEdit *TxtRecherche = nullptr;
    QTableView *ListMessages = nullptr;
    QComboBox *ComboFormat = nullptr; // the format of an export to a folder
    QPushButton *CmdExporter = nullptr;

    MessagesModel &messages() { return *m_model; }
    MessagesFilter &filter() { return *m_filter; }
    // The selected rows, in the list's order.
    QList<MessagesModel::Message> selectedMessages() const;
    // Makes the slot's row the current one, when it is listed.
    void select(int year, const Slot &slot);

Q_SIGNALS:
    void showChosen(int year, tembrel::Slot slot);
    void playChosen(int year, tembrel::Slot slot);
    void deleteChosen(int year, tembrel::Slot slot);
    void exportChosen();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::optional<MessagesModel::Message> current() const;

    MessagesModel *m_model = nullptr;
    MessagesFilter *m_filter = nullptr;
};

} // namespace tembrel
