// SPDX-License-Identifier: GPL-3.0-or-later
// Every control a user can reach with the keyboard tells a screen reader
// what it is: its own caption, a label that names it (buddy), or an
// accessible name. Controls whose captions repeat in one window (three
// "Palette" buttons) are told apart by their accessible names.
#include "RecordingBench.h"

#include "help/FrmAbout.h"
#include "help/FrmHlp.h"
#include "holidays/FrmJoursFeries.h"
#include "settings/FrmReglages.h"
#include "shell/MdiMain.h"
#include "timerows/FrmEmp.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabBar>
#include <QTest>

using namespace tembrel;
using namespace tembrel::test;

namespace {

// What a screen reader would say for each reachable control of the window,
// and the controls that would say nothing.
QStringList unnamedControls(QWidget *window, QStringList *names) {
    QHash<const QWidget *, QString> buddies;
    for (const QLabel *label : window->findChildren<QLabel *>())
        if (label->buddy())
            buddies.insert(label->buddy(), label->text());
    QStringList unnamed;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(window) || !w->isEnabled() ||
            qobject_cast<QGroupBox *>(w) || w->focusProxy())
            continue;
        QString name = QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
        // On Linux Qt names a combo box by its current entry, and a reader
        // says its label (the buddy relation) before it.
        if (qobject_cast<QComboBox *>(w))
            name = buddies.value(w, w->accessibleName()) + u' ' + name;
        if (name.isEmpty())
            name = buddies.value(w);
        name.remove(u'&');
        if (name.trimmed().isEmpty() || name == u"<" || name == u">")
            unnamed << w->objectName() + u'(' + QString::fromLatin1(w->metaObject()->className()) +
                           u')';
        else
            names->append(name);
    }
    return unnamed;
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyControlHasAName() {
        RecordingBench bench;
        MdiMain main;
        bench.grid->show();
        bench.click(4, 52);
        QVERIFY(bench.window);
        FrmEmp hours;
        FrmJoursFeries holidays;
        FrmReglages settings;
        FrmHlp help;
        FrmAbout about;
        QStringList faults;
        for (QWidget *w :
             std::initializer_list<QWidget *>{bench.grid.get(), bench.window.data(), &hours,
                                              &holidays, &settings, &help, &about, &main}) {
            w->show();
            const QString window = QString::fromLatin1(w->metaObject()->className());
            // Every page of a tabbed window, one after the other.
            auto *tabs = w->findChild<QTabBar *>();
            for (int page = 0; page < (tabs ? tabs->count() : 1); ++page) {
                if (tabs)
                    tabs->setCurrentIndex(page);
                QStringList names;
                const QStringList unnamed = unnamedControls(w, &names);
                if (!unnamed.isEmpty())
                    faults << window + QStringLiteral(" unnamed: ") +
                                  unnamed.join(QStringLiteral(", "));
                // No two reachable controls of a window say the same thing.
                names.sort();
                if (std::adjacent_find(names.begin(), names.end()) != names.end())
                    faults << window + QStringLiteral(" repeats: ") +
                                  names.join(QStringLiteral(" | "));
            }
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
