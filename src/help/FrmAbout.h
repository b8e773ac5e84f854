// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The about window: the program's name and version, and the maker's e-mail
// and web page addresses, each copied to the clipboard by a click (or by
// Space or Enter when it has the focus).

#include <QLabel>
#include <QWidget>

class QPushButton;

namespace tembrel {

// A label that reacts like a link: to the mouse and to the keyboard.
class AddressLabel final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AddressLabel)

public:
    explicit AddressLabel(const QString &text, QWidget *parent = nullptr);

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void showFocus(bool focused);
};

class FrmAbout final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrmAbout)

public:
    explicit FrmAbout(QWidget *parent = nullptr);
    ~FrmAbout() override;

    QLabel *Label1 = nullptr;        // the program's name
    QLabel *Label6 = nullptr;        // its version
    AddressLabel *Label2 = nullptr;  // the e-mail address
    AddressLabel *Label8 = nullptr;  // the web page address
    QPushButton *Command1 = nullptr; // closes the window

public Q_SLOTS:
    void Form_Load();
    void Label2_Click();
    void Label8_Click();
    void Command1_Click();
};

} // namespace tembrel
