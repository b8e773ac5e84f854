// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QProgressBar;

namespace tembrel {

// A bare progress bar in the middle of the screen, driven by the year grid
// while it builds and loads a year at its opening.
class FrmProgressBar final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrmProgressBar)

public:
    explicit FrmProgressBar(QWidget *parent = nullptr);
    ~FrmProgressBar() override;

    // The single instance, created on first use; Unload() drops it.
    static FrmProgressBar *instance(QWidget *parent = nullptr);
    static bool exists();
    static void Unload();

    QProgressBar *ProgBar = nullptr;

    void Form_Load();
};

} // namespace tembrel
