// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The help viewer: shows AppFolder + "Tembrel.rtf" and prints it, or the
// selected part of it, on the printer chosen in the printer dialog.

#include <QWidget>

class QPrinter;
class QPushButton;
class QTextEdit;

namespace tembrel {

// "Tembrel.<language>.rtf" when the interface is translated and that guide is
// in AppFolder, else "Tembrel.rtf".
QString helpDocumentName();

class FrmHlp final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrmHlp)

public:
    explicit FrmHlp(QWidget *parent = nullptr);
    ~FrmHlp() override;

    QTextEdit *TxtRTF = nullptr;
    QPushButton *CmdPrint = nullptr;
    // Holds the focus so that no caret shows in the document.
    QPushButton *CmdFocus = nullptr;

    // Loads the help document; false when it is missing or is no rich text
    // document, and the viewer then shows a short notice in its place.
    bool LoadFile(const QString &path);
    // Prints the selection, or the whole document when nothing is selected.
    void SelPrint(QPrinter &printer, bool selectionOnly) const;

public Q_SLOTS:
    void Form_Load();
    void Form_Activate();
    void Form_Click();
    void CmdPrint_Click();

protected:
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
};

} // namespace tembrel
