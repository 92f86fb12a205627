#include "SignalSound.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QSoundEffect>
#include <QTemporaryFile>
#include <QUrl>
#include <QtEndian>

#include <cmath>
#include <map>
#include <memory>

namespace {

void appendLe16(QByteArray& out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void appendLe32(QByteArray& out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// A 0.2 s sine at 880 Hz, 44.1 kHz 16-bit mono, with 5 ms ramps so it starts and ends without a
// click. tools/make_sounds.py writes the same samples to resources/beep.wav for listening;
// the beep is built here so a program folder without any sound file still has it.
QByteArray beepWav()
{
    constexpr int rate = 44100;
    constexpr int count = rate / 5;
    constexpr int ramp = rate / 200;
    constexpr double frequency = 880.0;
    constexpr double amplitude = 0.5;
    const double twoPi = 2.0 * std::acos(-1.0);

    QByteArray data;
    data.reserve(count * 2);
    for (int i = 0; i < count; ++i) {
        const double envelope = std::min({1.0, double(i) / ramp, double(count - 1 - i) / ramp});
        const double v = amplitude * envelope * std::sin(twoPi * frequency * i / rate);
        appendLe16(data, quint16(qint16(std::floor(v * 32767.0 + 0.5))));
    }

    QByteArray wav;
    wav.reserve(44 + data.size());
    wav.append("RIFF");
    appendLe32(wav, quint32(36 + data.size()));
    wav.append("WAVEfmt ");
    appendLe32(wav, 16);
    appendLe16(wav, 1); // PCM
    appendLe16(wav, 1); // mono
    appendLe32(wav, rate);
    appendLe32(wav, rate * 2);
    appendLe16(wav, 2);
    appendLe16(wav, 16);
    wav.append("data");
    appendLe32(wav, quint32(data.size()));
    wav.append(data);
    return wav;
}

} // namespace

struct SystemSignalSound::Impl
{
    // One effect per file, kept loaded: the horn sounds at every break and bout end, and a
    // reload each time would delay it.
    std::map<QString, std::unique_ptr<QSoundEffect>> effects;
    std::unique_ptr<QTemporaryFile> beepFile;
    bool beepFailed = false;

    // QSoundEffect plays only from a URL, so the built-in beep goes into a temporary file once.
    QString beepPath()
    {
        if (!beepFile && !beepFailed) {
            auto file = std::make_unique<QTemporaryFile>(
                QDir::temp().filePath(QStringLiteral("vantor2-beep-XXXXXX.wav")));
            const QByteArray wav = beepWav();
            if (file->open() && file->write(wav) == wav.size() && file->flush())
                beepFile = std::move(file);
            else
                beepFailed = true; // no writable temp folder: the beep stays silent, the bout goes on
        }
        return beepFile ? beepFile->fileName() : QString();
    }

    QSoundEffect& effect(const QString& path)
    {
        std::unique_ptr<QSoundEffect>& e = effects[path];
        if (!e) {
            e = std::make_unique<QSoundEffect>();
            e->setSource(QUrl::fromLocalFile(path));
        }
        return *e;
    }
};

SystemSignalSound::SystemSignalSound() : m_impl(new Impl) {}

SystemSignalSound::~SystemSignalSound()
{
    delete m_impl;
}

void SystemSignalSound::play(const QString& wavPath)
{
    const QFileInfo info(wavPath);
    const QString source = info.isFile() ? info.absoluteFilePath() : m_impl->beepPath();
    if (source.isEmpty())
        return;
    // Fire and forget: without a sound device QSoundEffect fails quietly, and a file it cannot
    // decode stays loading forever, so nothing may wait for or chain on the end of playback.
    QSoundEffect& e = m_impl->effect(source);
    e.stop();
    e.play();
}
