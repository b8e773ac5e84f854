// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/SoundExport.h"

#include "core/TextRecords.h"
#include "sound/WaveFile.h"

#include <QFileInfo>

#include <sndfile.h>

#include <cstring>

namespace tembrel {
namespace {

// libsndfile's virtual I/O over memory. `length` may claim more than `bytes`
// holds: a wave header read alone then looks like the whole file, and what
// lies past the head reads as silence.
struct Memory {
    QByteArray bytes;
    sf_count_t length = 0;
    sf_count_t pos = 0;
};

SF_VIRTUAL_IO memoryIo() {
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void *m) { return static_cast<Memory *>(m)->length; };
    io.seek = [](sf_count_t offset, int whence, void *m) -> sf_count_t {
        auto *f = static_cast<Memory *>(m);
        const sf_count_t base = whence == SEEK_CUR ? f->pos : whence == SEEK_END ? f->length : 0;
        if (base + offset < 0)
            return -1;
        return f->pos = base + offset;
    };
    io.read = [](void *ptr, sf_count_t count, void *m) -> sf_count_t {
        auto *f = static_cast<Memory *>(m);
        const sf_count_t n = std::clamp<sf_count_t>(f->length - f->pos, 0, count);
        const sf_count_t held = std::clamp<sf_count_t>(f->bytes.size() - f->pos, 0, n);
        if (held > 0)
            std::memcpy(ptr, f->bytes.constData() + f->pos, size_t(held));
        std::memset(static_cast<char *>(ptr) + held, 0, size_t(n - held));
        f->pos += n;
        return n;
    };
    io.write = [](const void *ptr, sf_count_t count, void *m) -> sf_count_t {
        auto *f = static_cast<Memory *>(m);
        if (f->pos + count > f->bytes.size())
            f->bytes.resize(qsizetype(f->pos + count));
        std::memcpy(f->bytes.data() + f->pos, ptr, size_t(count));
        f->pos += count;
        f->length = std::max<sf_count_t>(f->length, f->pos);
        return count;
    };
    io.tell = [](void *m) { return static_cast<Memory *>(m)->pos; };
    return io;
}

} // namespace

QList<ExportType> exportTypes() {
    static const QList<ExportType> types = [] {
        const QList<ExportType> all = {
            {SF_FORMAT_WAV | SF_FORMAT_PCM_16, QStringLiteral("wav"), QStringLiteral("WAV")},
            {SF_FORMAT_FLAC | SF_FORMAT_PCM_16, QStringLiteral("flac"), QStringLiteral("FLAC")},
            {SF_FORMAT_OGG | SF_FORMAT_VORBIS, QStringLiteral("ogg"), QStringLiteral("Ogg Vorbis")},
            {SF_FORMAT_OGG | SF_FORMAT_OPUS, QStringLiteral("opus"), QStringLiteral("Ogg Opus")},
            {SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, QStringLiteral("mp3"),
             QStringLiteral("MP3")},
        };
        // Which majors this libsndfile knows, then whether it writes the
        // message's sound in them.
        int majors = 0;
        sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &majors, sizeof majors);
        QList<int> known;
        for (int i = 0; i < majors; ++i) {
            SF_FORMAT_INFO info{};
            info.format = i;
            if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info) == 0)
                known.append(info.format & SF_FORMAT_TYPEMASK);
        }
        QList<ExportType> usable;
        for (const ExportType &t : all) {
            SF_INFO probe{};
            probe.samplerate = 16000;
            probe.channels = 1;
            probe.format = t.sfFormat;
            if (known.contains(t.sfFormat & SF_FORMAT_TYPEMASK) && sf_format_check(&probe))
                usable.append(t);
        }
        return usable;
    }();
    return types;
}

std::optional<ExportType> exportTypeForFile(const QString &path) {
    const QString ext = QFileInfo(path).suffix().toLower();
    for (const ExportType &t : exportTypes())
        if (t.extension == ext)
            return t;
    return std::nullopt;
}

std::optional<qint64> waveLengthMs(const QByteArray &head, qint64 totalSize) {
    Memory m{head, sf_count_t(std::max<qint64>(totalSize, head.size())), 0};
    SF_VIRTUAL_IO io = memoryIo();
    SF_INFO info{};
    SNDFILE *f = sf_open_virtual(&io, SFM_READ, &info, &m);
    if (!f)
        return std::nullopt;
    sf_close(f);
    if (info.samplerate <= 0)
        return std::nullopt;
    return qint64(info.frames) * 1000 / info.samplerate;
}

QString exportWave(const QByteArray &wave, const QString &path, const ExportType &type) {
    QByteArray out = wave;
    if ((type.sfFormat & SF_FORMAT_TYPEMASK) != SF_FORMAT_WAV) {
        const WaveRead read = decodeWave(wave);
        if (!read.sound)
            return read.error;
        const PcmSound &sound = *read.sound;
        Memory m;
        SF_VIRTUAL_IO io = memoryIo();
        SF_INFO info{};
        info.samplerate = sound.sampleRate;
        info.channels = sound.channels;
        info.format = type.sfFormat;
        SNDFILE *f = sf_open_virtual(&io, SFM_WRITE, &info, &m);
        if (!f)
            return QString::fromUtf8(sf_strerror(nullptr));
        const sf_count_t frames = sound.frames();
        const bool whole =
            sf_writef_short(f, reinterpret_cast<const short *>(sound.samples.constData()),
                            frames) == frames;
        const QString error = whole ? QString() : QString::fromUtf8(sf_strerror(f));
        if (sf_close(f) != 0 || !whole)
            return error.isEmpty() ? QStringLiteral("the sound could not be encoded") : error;
        out = m.bytes.left(qsizetype(m.length));
    }
    if (!writeFileSafely(path, out))
        return QStringLiteral("%1 cannot be written").arg(path);
    return {};
}

} // namespace tembrel
