// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/WaveJournal.h"

#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tembrel {

namespace {

constexpr char Mark[4] = {'t', 'm', 'b', 'r'};
// RIFF header, "fmt " chunk of 16 bytes, the mark chunk of 4, "data" header.
constexpr qint64 DataOffset = 12 + 8 + 16 + 8 + 4 + 8;

void put16(char *at, quint16 v) {
    qToLittleEndian(v, at);
}
void put32(char *at, quint32 v) {
    qToLittleEndian(v, at);
}

QByteArray header(const PcmSound &format, qint64 dataBytes) {
    QByteArray h(DataOffset, '\0');
    char *p = h.data();
    std::memcpy(p, "RIFF", 4);
    put32(p + 4, quint32(DataOffset - 8 + dataBytes));
    std::memcpy(p + 8, "WAVEfmt ", 8);
    put32(p + 16, 16);
    put16(p + 20, 1); // PCM
    put16(p + 22, quint16(format.channels));
    put32(p + 24, quint32(format.sampleRate));
    put32(p + 28, quint32(format.sampleRate * format.bytesPerFrame()));
    put16(p + 32, quint16(format.bytesPerFrame()));
    put16(p + 34, 16);
    std::memcpy(p + 36, Mark, 4);
    put32(p + 40, 4);
    put32(p + 44, 1); // the layout's version
    std::memcpy(p + 48, "data", 4);
    put32(p + 52, quint32(dataBytes));
    return h;
}

// The wave keeps its samples little-endian whatever the machine's order.
QByteArray littleEndian(QByteArrayView samples) {
    QByteArray out(samples.data(), samples.size());
    if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN) {
        auto *v = reinterpret_cast<qint16 *>(out.data());
        for (qsizetype i = 0; i < out.size() / 2; ++i)
            v[i] = qToLittleEndian(v[i]);
    }
    return out;
}

bool syncToDisk(QFile &file) {
    if (!file.flush())
        return false;
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return ::fdatasync(file.handle()) == 0;
#endif
}

} // namespace

WaveJournal::~WaveJournal() {
    finish();
}

bool WaveJournal::start(const QString &path, const PcmSound &kept) {
    finish();
    m_file.setFileName(path);
    m_format = PcmSound{kept.sampleRate, kept.channels, {}};
    m_dataBytes = 0;
    m_unflushed = 0;
    // Unbuffered: what was written is in the kernel's hands, which a kill does not lose.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return false;
    if (m_file.write(header(m_format, 0)) != DataOffset) {
        m_file.close();
        return false;
    }
    append(kept.samples);
    return flush();
}

void WaveJournal::append(QByteArrayView samples) {
    if (!m_file.isOpen() || samples.isEmpty())
        return;
    const qint64 written = m_file.write(littleEndian(samples));
    if (written < samples.size()) {
        // A full disk: the file keeps what it holds, in whole frames, and
        // the rest of the sound stays in memory only.
        m_dataBytes += std::max<qint64>(written, 0);
        finish();
        return;
    }
    m_dataBytes += written;
    m_unflushed += written;
    if (m_unflushed >= qint64(m_format.sampleRate) * m_format.bytesPerFrame())
        flush();
}

bool WaveJournal::flush() {
    if (!m_file.isOpen())
        return false;
    m_unflushed = 0;
    // Whole frames only: a block cut by a full disk ends on a frame.
    const qint64 whole = m_dataBytes - m_dataBytes % m_format.bytesPerFrame();
    const qint64 end = m_file.pos();
    const bool ok =
        m_file.seek(0) && m_file.write(header(m_format, whole)) == DataOffset && m_file.seek(end);
    return syncToDisk(m_file) && ok;
}

void WaveJournal::finish() {
    if (!m_file.isOpen())
        return;
    flush();
    m_file.close();
}

std::optional<WaveJournal::Interrupted> WaveJournal::read(const QString &path) {
    QFile file(path);
    const QFileInfo info(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray head = file.read(DataOffset);
    if (head.size() < DataOffset || !head.startsWith("RIFF") || head.mid(8, 8) != "WAVEfmt " ||
        head.mid(36, 4) != QByteArrayView(Mark, 4) || head.mid(48, 4) != "data")
        return std::nullopt;
    const auto get16 = [&](int at) { return qFromLittleEndian<quint16>(head.constData() + at); };
    const auto get32 = [&](int at) { return qFromLittleEndian<quint32>(head.constData() + at); };
    PcmSound sound{int(get32(24)), int(get16(22)), {}};
    if (get16(20) != 1 || get16(34) != 16 || sound.channels < 1 ||
        sound.channels > MaxWaveChannels || sound.sampleRate < 1 || sound.sampleRate > MaxWaveRate)
        return std::nullopt;
    // The samples reach the file before the header counts them: what lies
    // past the header's size is sound too, up to the last whole frame.
    qint64 bytes = std::min(info.size() - DataOffset, MaxWaveBytes);
    bytes -= bytes % sound.bytesPerFrame();
    sound.samples = file.read(bytes);
    if (sound.samples.size() != bytes)
        return std::nullopt;
    if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN)
        sound.samples = littleEndian(sound.samples);
    return Interrupted{std::move(sound), info.lastModified()};
}

} // namespace tembrel
