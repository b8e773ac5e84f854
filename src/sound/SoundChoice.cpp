// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/SoundChoice.h"

#include <QSettings>

#include <algorithm>

namespace tembrel {

namespace {

QString key(SoundUse use) {
    return use == SoundUse::Microphone ? QStringLiteral("Sound/Microphone")
                                       : QStringLiteral("Sound/Speaker");
}

} // namespace

ChosenDevice chosenDevice(SoundUse use) {
    const QSettings settings;
    return {settings.value(key(use)).toString().toUtf8(),
            settings.value(key(use) + QStringLiteral("Name")).toString()};
}

void chooseDevice(SoundUse use, const ChosenDevice &device) {
    QSettings settings;
    if (device.id.isEmpty()) {
        settings.remove(key(use));
        settings.remove(key(use) + QStringLiteral("Name"));
    } else {
        // As text: the ids are the server's names, and the file stays readable.
        settings.setValue(key(use), QString::fromUtf8(device.id));
        settings.setValue(key(use) + QStringLiteral("Name"), device.description);
    }
}

qsizetype deviceInUse(const QList<SoundDevice> &listed, const QByteArray &chosenId) {
    const auto byId = [&](const SoundDevice &d) { return d.id == chosenId; };
    if (!chosenId.isEmpty())
        if (auto it = std::find_if(listed.begin(), listed.end(), byId); it != listed.end())
            return it - listed.begin();
    const auto flagged = std::find_if(listed.begin(), listed.end(),
                                      [](const SoundDevice &d) { return d.isDefault; });
    if (flagged != listed.end())
        return flagged - listed.begin();
    return listed.isEmpty() ? -1 : 0;
}

std::optional<SoundDevice> deviceInUse(SoundUse use, const SoundDevices &devices) {
    const QList<SoundDevice> &listed =
        use == SoundUse::Microphone ? devices.inputs : devices.outputs;
    const qsizetype i = deviceInUse(listed, chosenDevice(use).id);
    return i < 0 ? std::nullopt : std::optional(listed[i]);
}

} // namespace tembrel
