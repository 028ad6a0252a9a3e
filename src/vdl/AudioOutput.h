#pragma once

#include <QByteArray>

#include <memory>

class QAudioSink;
class QIODevice;
class QObject;
class QThread;

// Sound of one port through Qt Multimedia: 16-bit interleaved samples pushed to the default
// output device from a thread of its own (the sink needs an event loop). Without a Qt
// application or without any output device nothing is opened and every call is a quiet no-op.
class AudioOutput {
public:
    AudioOutput();
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // True when a device was opened for this format.
    bool Start(int sampleRate, int channels);
    bool Active() const { return m_active; }
    // Queues samples; what the device cannot take now is dropped (the picture's clock leads).
    void Write(const QByteArray& samples);
    void SetVolume(double volume); // 0..1
    // Drops what is queued (after a seek or a change of speed or direction).
    void Flush();

private:
    std::unique_ptr<QThread> m_thread;
    QObject* m_anchor = nullptr;  // lives in m_thread; everything below is touched there only
    QAudioSink* m_sink = nullptr;
    QIODevice* m_device = nullptr;
    bool m_active = false;
};
