// SPDX-License-Identifier: GPL-3.0-or-later
#include "help/FrmHlp.h"

#include "core/Platform.h"
#include "core/Shared.h"
#include "core/Strings.h"
#include "core/TextRecords.h"
#include "help/RtfReader.h"
#include "shell/Translations.h"
#include "shell/Twips.h"

#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QVBoxLayout>

#include <memory>

namespace tembrel {

QString helpDocumentName() {
    // The guide in the interface's language where it ships, else the English one.
    const QString language = interfaceLanguage();
    if (!language.isEmpty()) {
        const QString local = QStringLiteral("Tembrel.%1.rtf").arg(language);
        if (QFileInfo(appFile(local)).isFile()) // a FIFO or a folder is no guide
            return local;
    }
    return QStringLiteral("Tembrel.rtf");
}
namespace {

// The window's size in twips, as it has always been drawn.
constexpr int kWidthTwips = 10500;
constexpr int kHeightTwips = 9000;
constexpr int kTopTwips = 100;
// A document larger than this is not a help file.
constexpr qint64 kMaxDocumentBytes = 64 * 1024 * 1024;

} // namespace

FrmHlp::FrmHlp(QWidget *parent)
    : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("FrmHlp"));

    TxtRTF = new QTextEdit(this);
    TxtRTF->setObjectName(QStringLiteral("TxtRTF"));
    TxtRTF->setReadOnly(true);
    TxtRTF->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    TxtRTF->setLineWrapMode(QTextEdit::WidgetWidth);

    CmdPrint = new QPushButton(this);
    CmdPrint->setObjectName(QStringLiteral("CmdPrint"));
    connect(CmdPrint, &QPushButton::clicked, this, &FrmHlp::CmdPrint_Click);

    // Takes the focus without being seen: it has no size and does nothing.
    CmdFocus = new QPushButton(this);
    CmdFocus->setObjectName(QStringLiteral("CmdFocus"));
    CmdFocus->setFlat(true);
    CmdFocus->setFixedSize(0, 0);
    CmdFocus->setFocusPolicy(Qt::StrongFocus);
    CmdFocus->setAccessibleName(LoadResString(182));

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(CmdFocus);
    buttons->addStretch(1);
    buttons->addWidget(CmdPrint);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(TxtRTF, 1);
    layout->addLayout(buttons);

    auto *print = new QShortcut(QKeySequence::Print, this);
    connect(print, &QShortcut::activated, this, &FrmHlp::CmdPrint_Click);
    auto *close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);

    Form_Load();
}

FrmHlp::~FrmHlp() = default;

void FrmHlp::Form_Load() {
    QScreen *screen = this->screen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const QSize wanted(twipsToPixels(kWidthTwips, this), twipsToPixels(kHeightTwips, this));
    resize(wanted.boundedTo(area.size()));
    move(area.left() + (area.width() - width()) / 2,
         area.top() + std::min(twipsToPixels(kTopTwips, this), area.height() - height()));

    LoadFile(appFile(helpDocumentName()));

    setWindowTitle(LoadResString(182));
    TxtRTF->setAccessibleName(tr("Help document"));
    CmdPrint->setText(LoadResString(181));
}

bool FrmHlp::LoadFile(const QString &path) {
    const FileBytes file = readFileBounded(path, kMaxDocumentBytes);
    QTextDocument *doc = TxtRTF->document();
    if (file.bytes && readRtf(*file.bytes, *doc).isRtf) {
        doc->setModified(false);
        TxtRTF->moveCursor(QTextCursor::Start);
        CmdPrint->setEnabled(true);
        return true;
    }
    doc->clear();
    TxtRTF->setPlainText(tr("The help document could not be read:\n%1").arg(path));
    doc->setModified(false);
    CmdPrint->setEnabled(false);
    return false;
}

void FrmHlp::Form_Activate() {
    CmdFocus->setFocus(Qt::ActiveWindowFocusReason);
}

void FrmHlp::Form_Click() {
    CmdFocus->setFocus(Qt::MouseFocusReason);
}

void FrmHlp::CmdPrint_Click() {
    if (!CmdPrint->isEnabled())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(helpDocumentName());
    const bool hasSelection = TxtRTF->textCursor().hasSelection();
    printer.setPrintRange(hasSelection ? QPrinter::Selection : QPrinter::AllPages);
    if (!Platform::instance().dialogs().choosePrinter(printer, hasSelection, this))
        return; // cancelled: nothing is printed
    // The user may have switched the dialog from "Selection" to "All".
    SelPrint(printer, hasSelection && printer.printRange() == QPrinter::Selection);
}

void FrmHlp::SelPrint(QPrinter &printer, bool selectionOnly) const {
    const QTextDocument *source = TxtRTF->document();
    std::unique_ptr<QTextDocument> doc;
    if (selectionOnly) {
        doc = std::make_unique<QTextDocument>();
        doc->setDefaultFont(source->defaultFont());
        QTextCursor(doc.get()).insertFragment(TxtRTF->textCursor().selection());
    } else {
        doc.reset(source->clone());
    }
    doc->print(&printer);
}

bool FrmHlp::event(QEvent *event) {
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QWidget::event(event);
}

void FrmHlp::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton)
        Form_Click();
    QWidget::mousePressEvent(event);
}

} // namespace tembrel
