// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/SoundImport.h"

#include "archive/DurableFiles.h"
#include "core/TextRecords.h"
#include "sound/WaveFile.h"

#include <QFile>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace tembrel {
namespace {

// libsndfile reads the source through a QFile, so that any name QFile opens
// works (sf_open would need sf_wchar_open on Windows).
sf_count_t fileLength(void *user) {
    return static_cast<QFile *>(user)->size();
}

sf_count_t fileSeek(sf_count_t offset, int whence, void *user) {
    auto *f = static_cast<QFile *>(user);
    const qint64 base = whence == SEEK_CUR ? f->pos() : whence == SEEK_END ? f->size() : 0;
    const qint64 target = base + offset;
    return target >= 0 && f->seek(target) ? target : -1;
}

sf_count_t fileRead(void *ptr, sf_count_t count, void *user) {
    return std::max<qint64>(0, static_cast<QFile *>(user)->read(static_cast<char *>(ptr), count));
}

sf_count_t noWrite(const void *, sf_count_t, void *) {
    return 0;
}

sf_count_t fileTell(void *user) {
    return static_cast<QFile *>(user)->pos();
}

// And writes the wave into the safe writer's stream; the header is rewritten
// in place on close, so the stream must seek.
struct WaveOut {
    std::ofstream *out;
    sf_count_t length = 0;
};

sf_count_t outLength(void *user) {
    return static_cast<WaveOut *>(user)->length;
}

sf_count_t outSeek(sf_count_t offset, int whence, void *user) {
    auto *w = static_cast<WaveOut *>(user);
    const sf_count_t base = whence == SEEK_CUR   ? sf_count_t(w->out->tellp())
                            : whence == SEEK_END ? w->length
                                                 : 0;
    const sf_count_t target = base + offset;
    if (target < 0 || !w->out->seekp(target))
        return -1;
    return target;
}

sf_count_t noRead(void *, sf_count_t, void *) {
    return 0;
}

sf_count_t outWrite(const void *ptr, sf_count_t count, void *user) {
    auto *w = static_cast<WaveOut *>(user);
    if (!w->out->write(static_cast<const char *>(ptr), std::streamsize(count)))
        return 0;
    w->length = std::max<sf_count_t>(w->length, sf_count_t(w->out->tellp()));
    return count;
}

sf_count_t outTell(void *user) {
    return sf_count_t(static_cast<WaveOut *>(user)->out->tellp());
}

struct SndFileClose {
    void operator()(SNDFILE *sf) const { sf_close(sf); }
};
using SndFile = std::unique_ptr<SNDFILE, SndFileClose>;

ImportResult failed(ImportFailure failure, const QString &error) {
    ImportResult result;
    result.failure = failure;
    result.error = error;
    return result;
}

} // namespace

ImportResult importSound(const QString &source, const QString &targetWave, qint64 limitMs) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return failed(ImportFailure::Unreadable, in.errorString());
    if (in.size() == 0)
        return failed(ImportFailure::Empty, QStringLiteral("no bytes"));
    SF_VIRTUAL_IO inIo{fileLength, fileSeek, fileRead, noWrite, fileTell};
    SF_INFO info;
    std::memset(&info, 0, sizeof info); // format 0: libsndfile finds it
    const SndFile src(sf_open_virtual(&inIo, SFM_READ, &info, &in));
    if (!src)
        return failed(ImportFailure::Unreadable, QString::fromUtf8(sf_strerror(nullptr)));
    if (info.channels < 1 || info.samplerate < 1 || info.samplerate > MaxWaveRate)
        return failed(
            ImportFailure::Unreadable,
            QStringLiteral("%1 channels at %2 Hz").arg(info.channels).arg(info.samplerate));

    durable::SafeFile file(nativePath(targetWave));
    if (!file.isOpen())
        return failed(ImportFailure::NotWritten, QStringLiteral("cannot create the wave"));
    WaveOut out{&file.stream()};
    SF_VIRTUAL_IO outIo{outLength, outSeek, noRead, outWrite, outTell};
    SF_INFO outInfo;
    std::memset(&outInfo, 0, sizeof outInfo);
    outInfo.samplerate = info.samplerate;
    outInfo.channels = 1;
    outInfo.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SndFile dst(sf_open_virtual(&outIo, SFM_WRITE, &outInfo, &out));
    if (!dst)
        return failed(ImportFailure::NotWritten, QString::fromUtf8(sf_strerror(nullptr)));

    ImportResult result;
    result.sampleRate = info.samplerate;
    const qint64 limitFrames = std::max<qint64>(0, limitMs) * info.samplerate / 1000;
    // About 64 kB of samples a block, whatever the channels.
    const sf_count_t block = std::max(1, 16384 / info.channels);
    std::vector<float> frames(std::size_t(block) * std::size_t(info.channels));
    std::vector<short> mono(static_cast<std::size_t>(block));
    int peak = 0;
    while (result.frames < limitFrames) {
        // Floats come scaled to -1..1 from every format; a damaged stream
        // ends the reading where it breaks.
        const sf_count_t got = sf_readf_float(
            src.get(), frames.data(), std::min<sf_count_t>(block, limitFrames - result.frames));
        if (got <= 0)
            break;
        for (sf_count_t i = 0; i < got; ++i) {
            float sum = 0;
            for (int c = 0; c < info.channels; ++c)
                sum += frames[std::size_t(i * info.channels + c)];
            const long s = std::lrint(sum / float(info.channels) * 32768.0f);
            mono[std::size_t(i)] = short(std::clamp<long>(s, -32768, 32767));
            peak = std::max(peak, std::abs(int(mono[std::size_t(i)])));
        }
        if (sf_writef_short(dst.get(), mono.data(), got) != got)
            return failed(ImportFailure::NotWritten, QStringLiteral("the wave was not written"));
        result.frames += got;
    }
    if (result.frames == 0)
        return failed(ImportFailure::Empty, QStringLiteral("no samples"));
    if (peak < SilencePeak)
        return failed(ImportFailure::Silent, QStringLiteral("only silence"));
    result.cut = result.frames >= limitFrames && sf_readf_float(src.get(), frames.data(), 1) > 0;
    // The header holds its final sizes only once libsndfile closes the wave.
    if (sf_close(dst.release()) != 0 || file.commit() != durable::SafeFile::Result::Done)
        return failed(ImportFailure::NotWritten, QStringLiteral("the wave was not written"));
    result.failure = ImportFailure::None;
    return result;
}

} // namespace tembrel
