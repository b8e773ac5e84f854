// SPDX-License-Identifier: GPL-3.0-or-later
#include "help/FrmAbout.h"

#include "core/Platform.h"
#include "core/Strings.h"
#include "shell/Icons.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

namespace tembrel {

AddressLabel::AddressLabel(const QString &text, QWidget *parent)
    : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setText(text);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAlignment(Qt::AlignCenter);
    QPalette p = palette();
    p.setColor(QPalette::WindowText, p.color(QPalette::Link));
    setPalette(p);
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    showFocus(false);
}

void AddressLabel::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
    QLabel::mouseReleaseEvent(event);
}

void AddressLabel::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Q_EMIT clicked();
        event->accept();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

void AddressLabel::focusInEvent(QFocusEvent *event) {
    showFocus(true);
    QLabel::focusInEvent(event);
}

void AddressLabel::focusOutEvent(QFocusEvent *event) {
    showFocus(false);
    QLabel::focusOutEvent(event);
}

void AddressLabel::showFocus(bool focused) {
    // A label draws no focus frame of its own.
    setFrameShape(focused ? QFrame::Box : QFrame::NoFrame);
    setLineWidth(1);
    setMargin(focused ? 1 : 2);
}

FrmAbout::FrmAbout(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("FrmAbout"));
    setWindowTitle(LoadResString(112).remove(QStringLiteral("...")).trimmed());

    auto *icon = new QLabel(this);
    const QIcon programIcon = tembrel::programIcon();
    icon->setPixmap(programIcon.pixmap(48, 48));
    icon->setAlignment(Qt::AlignCenter);
    icon->setVisible(!programIcon.isNull());

    Label1 = new QLabel(QString::fromLatin1(ProgramTitle), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    QFont title = Label1->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 2);
    Label1->setFont(title);

    Label6 = new QLabel(this);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setAlignment(Qt::AlignCenter);

    Label2 = new AddressLabel(QString::fromLatin1(MailAddress), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    connect(Label2, &AddressLabel::clicked, this, &FrmAbout::Label2_Click);

    Label8 = new AddressLabel(QString::fromLatin1(WebPageAddress), this);
    Label8->setObjectName(QStringLiteral("Label8"));
    connect(Label8, &AddressLabel::clicked, this, &FrmAbout::Label8_Click);

    Command1 = new QPushButton(this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Command1->setAutoDefault(true);
    connect(Command1, &QPushButton::clicked, this, &FrmAbout::Command1_Click);

    auto *row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(Command1);
    row->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(8);
    layout->addWidget(icon);
    layout->addWidget(Label1);
    layout->addWidget(Label6);
    layout->addSpacing(12);
    layout->addWidget(Label2);
    layout->addWidget(Label8);
    layout->addSpacing(12);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto *close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &FrmAbout::Command1_Click);

    setTabOrder(Command1, Label2);
    setTabOrder(Label2, Label8);

    Form_Load();
}

FrmAbout::~FrmAbout() = default;

void FrmAbout::Form_Load() {
    Command1->setText(LoadResString(121));
    Label6->setText(LoadResString(122));
    adjustSize();
    if (QScreen *screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.left() + (area.width() - width()) / 2,
             area.top() + (area.height() - height()) / 3);
    }
    Command1->setFocus(Qt::OtherFocusReason);
}

void FrmAbout::Label2_Click() {
    ClipboardService &clipboard = Platform::instance().clipboard();
    clipboard.clear();
    clipboard.setText(Label2->text());
    MsgBox(LoadResString(130) + QStringLiteral("\r\n") + LoadResString(131), vbOKOnly);
}

void FrmAbout::Label8_Click() {
    ClipboardService &clipboard = Platform::instance().clipboard();
    clipboard.clear();
    clipboard.setText(QString::fromLatin1(WebPageAddress));
    MsgBox(LoadResString(132) + QStringLiteral("\r\n") + LoadResString(133), vbOKOnly);
}

void FrmAbout::Command1_Click() {
    close();
}

} // namespace tembrel
