#include "AudioOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QMetaObject>
#include <QThread>

#include <algorithm>

AudioOutput::AudioOutput() = default;

AudioOutput::~AudioOutput()
{
    if (m_anchor) {
        QMetaObject::invokeMethod(m_anchor, [this] {
            if (m_sink)
                m_sink->stop();
            delete m_sink;
            m_sink = nullptr;
        }, Qt::BlockingQueuedConnection);
        QObject* anchor = m_anchor;
        QMetaObject::invokeMethod(anchor, [anchor] { delete anchor; }, Qt::BlockingQueuedConnection);
    }
    if (m_thread) {
        m_thread->quit();
        m_thread->wait();
    }
}

bool AudioOutput::Start(int sampleRate, int channels)
{
    if (m_active || m_thread || !QCoreApplication::instance())
        return m_active;
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return false;
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(channels);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format))
        return false;
    m_thread = std::make_unique<QThread>();
    m_thread->start();
    m_anchor = new QObject;
    m_anchor->moveToThread(m_thread.get());
    bool opened = false;
    QMetaObject::invokeMethod(m_anchor, [&] {
        m_sink = new QAudioSink(device, format);
        m_device = m_sink->start();
        opened = m_device != nullptr;
    }, Qt::BlockingQueuedConnection);
    m_active = opened;
    return m_active;
}

void AudioOutput::Write(const QByteArray& samples)
{
    if (!m_active)
        return;
    QMetaObject::invokeMethod(m_anchor, [this, samples] {
        if (!m_device)
            return;
        const qsizetype room = m_sink->bytesFree();
        m_device->write(samples.constData(), std::min<qsizetype>(room, samples.size()));
    }, Qt::QueuedConnection);
}

void AudioOutput::SetVolume(double volume)
{
    if (!m_active)
        return;
    QMetaObject::invokeMethod(m_anchor, [this, volume] { m_sink->setVolume(volume); }, Qt::QueuedConnection);
}

void AudioOutput::Flush()
{
    if (!m_active)
        return;
    QMetaObject::invokeMethod(m_anchor, [this] {
        m_sink->reset();
        m_device = m_sink->start();
    }, Qt::QueuedConnection);
}
