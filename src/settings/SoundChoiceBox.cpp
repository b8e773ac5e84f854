// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SoundChoiceBox.h"

#include "sound/MMControl.h"

#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QShowEvent>
#include <QSignalBlocker>

namespace tembrel {

namespace {

// The device's own description, beside its id, for the choice kept.
constexpr int DescriptionRole = Qt::UserRole + 1;

} // namespace

SoundChoiceBox::SoundChoiceBox(QWidget *parent)
    : QGroupBox(parent)
    , m_backend(MMControl::newBackend()) {
    setObjectName(QStringLiteral("SoundChoiceBox"));
    LbMicrophone = new QLabel(this);
    CboMicrophone = new QComboBox(this);
    LbSpeaker = new QLabel(this);
    CboSpeaker = new QComboBox(this);
    LbMicrophone->setObjectName(QStringLiteral("LbMicrophone"));
    CboMicrophone->setObjectName(QStringLiteral("CboMicrophone"));
    LbSpeaker->setObjectName(QStringLiteral("LbSpeaker"));
    CboSpeaker->setObjectName(QStringLiteral("CboSpeaker"));
    LbMicrophone->setBuddy(CboMicrophone);
    LbSpeaker->setBuddy(CboSpeaker);
    for (QComboBox *list : {CboMicrophone, CboSpeaker})
        list->setSizeAdjustPolicy(QComboBox::AdjustToContents);

    auto *form = new QFormLayout(this);
    form->addRow(LbMicrophone, CboMicrophone);
    form->addRow(LbSpeaker, CboSpeaker);

    // Only what the user picks is a choice, not the lists filling in.
    connect(CboMicrophone, &QComboBox::activated, this,
            [this](int index) { choose(CboMicrophone, SoundUse::Microphone, index); });
    connect(CboSpeaker, &QComboBox::activated, this,
            [this](int index) { choose(CboSpeaker, SoundUse::Speaker, index); });
    setTexts();
    fill();
}

SoundChoiceBox::~SoundChoiceBox() = default;

void SoundChoiceBox::setTexts() {
    setTitle(tr("Sound"));
    LbMicrophone->setText(tr("Microphone"));
    LbSpeaker->setText(tr("Speaker"));
    CboMicrophone->setAccessibleName(tr("Microphone"));
    CboSpeaker->setAccessibleName(tr("Speaker"));
}

void SoundChoiceBox::refresh() {
    m_listed.reset();
    fill();
    if (m_backend)
        m_backend->readDevices(this, [this](const SoundDevices &devices) {
            m_listed = devices;
            fill();
        });
}

void SoundChoiceBox::fill() {
    fill(CboMicrophone, SoundUse::Microphone);
    fill(CboSpeaker, SoundUse::Speaker);
}

void SoundChoiceBox::fill(QComboBox *list, SoundUse use) {
    const QSignalBlocker block(list);
    list->clear();
    list->addItem(tr("System default"), QByteArray());
    const ChosenDevice chosen = chosenDevice(use);
    bool chosenListed = false;
    if (m_listed) {
        for (const SoundDevice &d :
             use == SoundUse::Microphone ? m_listed->inputs : m_listed->outputs) {
            list->addItem(d.description, d.id);
            list->setItemData(list->count() - 1, d.description, DescriptionRole);
            chosenListed = chosenListed || d.id == chosen.id;
        }
    }
    if (!chosen.id.isEmpty() && !chosenListed) {
        const QString name =
            chosen.description.isEmpty() ? QString::fromUtf8(chosen.id) : chosen.description;
        // Until the server answers, whether it is connected is not known.
        list->addItem(m_listed ? tr("%1 (not connected)").arg(name) : name, chosen.id);
        list->setItemData(list->count() - 1, chosen.description, DescriptionRole);
    }
    list->setCurrentIndex(std::max(0, list->findData(chosen.id)));
}

void SoundChoiceBox::choose(QComboBox *list, SoundUse use, int index) {
    chooseDevice(use, {list->itemData(index).toByteArray(),
                       list->itemData(index, DescriptionRole).toString()});
}

void SoundChoiceBox::showEvent(QShowEvent *event) {
    QGroupBox::showEvent(event);
    if (!event->spontaneous()) // the window opens, not a desktop's restore
        refresh();
}

void SoundChoiceBox::changeEvent(QEvent *event) {
    QGroupBox::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        setTexts();
        fill();
    }
}

} // namespace tembrel
