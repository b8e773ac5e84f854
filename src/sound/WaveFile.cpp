// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/WaveFile.h"

#include "core/TextRecords.h"

#include <QFile>

#include <sndfile.h>

#include <algorithm>
#include <cstring>

namespace tembrel {

namespace {

// libsndfile's virtual I/O over a QByteArray, for reading and for writing.
struct MemoryFile {
    QByteArray bytes;
    sf_count_t pos = 0;
};

sf_count_t memLength(void *user) {
    return static_cast<MemoryFile *>(user)->bytes.size();
}

sf_count_t memSeek(sf_count_t offset, int whence, void *user) {
    auto *f = static_cast<MemoryFile *>(user);
    sf_count_t base = 0;
    switch (whence) {
    case SEEK_CUR:
        base = f->pos;
        break;
    case SEEK_END:
        base = f->bytes.size();
        break;
    default:
        break;
    }
    const sf_count_t target = base + offset;
    if (target < 0)
        return -1;
    f->pos = target;
    return f->pos;
}

sf_count_t memRead(void *ptr, sf_count_t count, void *user) {
    auto *f = static_cast<MemoryFile *>(user);
    const sf_count_t left = std::max<sf_count_t>(0, f->bytes.size() - f->pos);
    const sf_count_t n = std::min(count, left);
    if (n > 0)
        std::memcpy(ptr, f->bytes.constData() + f->pos, size_t(n));
    f->pos += n;
    return n;
}

sf_count_t memWrite(const void *ptr, sf_count_t count, void *user) {
    auto *f = static_cast<MemoryFile *>(user);
    const sf_count_t end = f->pos + count;
    if (end > f->bytes.size())
        f->bytes.resize(qsizetype(end));
    std::memcpy(f->bytes.data() + f->pos, ptr, size_t(count));
    f->pos = end;
    return count;
}

sf_count_t memTell(void *user) {
    return static_cast<MemoryFile *>(user)->pos;
}

SF_VIRTUAL_IO memoryIo() {
    return SF_VIRTUAL_IO{memLength, memSeek, memRead, memWrite, memTell};
}

bool isPcm(int format) {
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_PCM_32:
        return true;
    default:
        return false;
    }
}

} // namespace

WaveRead decodeWave(const QByteArray &bytes) {
    MemoryFile file{bytes, 0};
    SF_VIRTUAL_IO io = memoryIo();
    SF_INFO info;
    std::memset(&info, 0, sizeof info); // format 0: libsndfile reads it from the header
    SNDFILE *sf = sf_open_virtual(&io, SFM_READ, &info, &file);
    if (!sf)
        return {std::nullopt, QString::fromUtf8(sf_strerror(nullptr))};

    WaveRead result;
    const int container = info.format & SF_FORMAT_TYPEMASK;
    // Waves wider than 16 bits or with more than two channels are usually
    // written in the extensible layout, which libsndfile names WAVEX.
    if ((container != SF_FORMAT_WAV && container != SF_FORMAT_WAVEX) || !isPcm(info.format)) {
        result.error = QStringLiteral("not a PCM wave");
    } else if (info.channels < 1 || info.channels > MaxWaveChannels || info.samplerate < 1 ||
               info.samplerate > MaxWaveRate) {
        result.error =
            QStringLiteral("%1 channels at %2 Hz").arg(info.channels).arg(info.samplerate);
    } else if (info.frames < 0 || qint64(info.frames) * info.channels * 2 > 2 * MaxWaveBytes) {
        // 8-bit samples double in size: nothing read can be larger.
        result.error = QStringLiteral("larger than any message");
    } else {
        PcmSound sound;
        sound.sampleRate = info.samplerate;
        sound.channels = info.channels;
        sound.samples.resize(qsizetype(qint64(info.frames) * info.channels * 2));
        // sf_readf_short converts 8-bit unsigned and wider PCM to 16-bit.
        const sf_count_t got =
            sf_readf_short(sf, reinterpret_cast<short *>(sound.samples.data()), info.frames);
        sound.samples.truncate(qsizetype(std::max<sf_count_t>(got, 0) * info.channels * 2));
        result.sound = std::move(sound);
    }
    sf_close(sf);
    return result;
}

WaveRead readWaveFile(const QString &path) {
    const FileBytes file = readFileBounded(path, MaxWaveBytes);
    if (!file.bytes)
        return {std::nullopt, file.failure == ReadFailure::TooLarge
                                  ? QStringLiteral("larger than any message")
                                  : QStringLiteral("cannot be read")};
    return decodeWave(*file.bytes);
}

std::optional<QByteArray> encodeWave(const PcmSound &sound) {
    if (sound.channels < 1 || sound.sampleRate < 1)
        return std::nullopt;
    MemoryFile file;
    SF_VIRTUAL_IO io = memoryIo();
    SF_INFO info;
    std::memset(&info, 0, sizeof info);
    info.samplerate = sound.sampleRate;
    info.channels = sound.channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *sf = sf_open_virtual(&io, SFM_WRITE, &info, &file);
    if (!sf)
        return std::nullopt;
    const sf_count_t frames = sound.frames();
    const sf_count_t written =
        sf_writef_short(sf, reinterpret_cast<const short *>(sound.samples.constData()), frames);
    // The header holds its final sizes only once the file is closed.
    const int closed = sf_close(sf);
    if (written != frames || closed != 0)
        return std::nullopt;
    return file.bytes;
}

bool writeWaveFile(const QString &path, const PcmSound &sound) {
    const std::optional<QByteArray> bytes = encodeWave(sound);
    return bytes && writeFileSafely(path, *bytes);
}

} // namespace tembrel
