// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the wave reader. Beyond memory errors it stops on
// a sound of broken shape and on one that does not survive being written and
// read again.

#include "../../support/FuzzFail.h"
#include "sound/WaveFile.h"

#include <cstdint>

using namespace tembrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const WaveRead read = decodeWave(bytes);
    if (read.sound.has_value() == !read.error.isEmpty())
        fail("a result that is both or neither a sound and an error");
    if (!read.sound)
        return 0;
    const PcmSound &sound = *read.sound;
    if (sound.channels < 1 || sound.sampleRate < 1 || sound.samples.size() % sound.bytesPerFrame())
        fail("a sound of broken shape");
    // A decoded sound holds no more than its input could carry.
    if (sound.samples.size() > qsizetype(size) * 4 + 64)
        fail("more samples than the input holds");
    const auto encoded = encodeWave(sound);
    if (!encoded)
        fail("a decoded sound that cannot be written");
    const WaveRead again = decodeWave(*encoded);
    if (!again.sound || again.sound->samples != sound.samples ||
        again.sound->sampleRate != sound.sampleRate || again.sound->channels != sound.channels)
        fail("a sound that does not read back as written");
    return 0;
}
