// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording/SoundMeter.h"

#include "core/Platform.h"
#include "core/Strings.h"

#include <cstring>

namespace tembrel {

SoundMeter::SoundMeter(std::shared_ptr<SoundBackend> backend)
    : m_backend(std::move(backend)) {}

SoundMeter::~SoundMeter() {
    StopInput();
}

bool SoundMeter::StartInput() {
    StopInput();
    for (auto &block : m_blocks)
        block = std::make_unique<quint8[]>(ScopeBufferSize); // zero-filled
    m_filling = m_filled = 0;
    m_newest = -1;
    m_untaken = false;
    m_phase = m_sum = 0;
    m_count = 0;
    m_last = 0;

    m_capture = m_backend ? m_backend->createCapture(PcmFormat{ScopeRate, 1},
                                                     [this](QByteArrayView pcm) { onData(pcm); })
                          : nullptr;
    if (m_capture) {
        m_format = m_capture->format();
        m_running = m_format.sampleRate > 0 && m_format.channels > 0;
        if (m_running && !m_capture->start())
            m_running = false;
    }
    if (!m_running) {
        const bool noInput = !m_backend || !m_backend->hasInput();
        m_capture.reset();
        for (auto &block : m_blocks)
            block.reset();
        MsgBox(LoadResString(noInput ? 205 : 206), vbExclamation);
        return false;
    }
    return true;
}

void SoundMeter::StopInput() {
    if (!m_running)
        return;
    m_running = false;
    // What stop() still delivers is dropped: nobody will draw it.
    m_capture->stop();
    m_capture.reset();
    for (auto &block : m_blocks)
        block.reset();
    m_newest = -1;
    m_untaken = false;
}

bool SoundMeter::TakeSamples(const quint8 *&address) {
    if (!m_running || !m_untaken)
        return false;
    m_untaken = false;
    address = m_blocks[m_newest].get();
    return true;
}

void SoundMeter::onData(QByteArrayView pcm) {
    if (!m_running)
        return;
    const int channels = m_format.channels;
    const qsizetype frameBytes = qsizetype(sizeof(qint16)) * channels;
    const char *frame = pcm.data();
    for (qsizetype i = 0, n = pcm.size() / frameBytes; i < n; ++i, frame += frameBytes) {
        int mono = 0;
        for (int c = 0; c < channels; ++c) {
            qint16 s;
            std::memcpy(&s, frame + c * sizeof(qint16), sizeof s); // native order, maybe unaligned
            mono += s;
        }
        m_sum += mono / channels;
        ++m_count;
        m_phase += ScopeRate;
        while (m_phase >= m_format.sampleRate) {
            m_phase -= m_format.sampleRate;
            if (m_count > 0) {
                m_last = qint16(m_sum / m_count);
                m_sum = 0;
                m_count = 0;
            }
            push(m_last);
        }
    }
}

void SoundMeter::push(qint16 sample) {
    m_blocks[m_filling][m_filled] = quint8((sample >> 8) + 128);
    if (++m_filled < ScopeBufferSize)
        return;
    m_newest = m_filling;
    m_untaken = true;
    m_filling ^= 1;
    m_filled = 0;
}

} // namespace tembrel
