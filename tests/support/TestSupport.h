#pragma once

#include "platform/SignalSound.h"

#include <QByteArray>
#include <QFile>
#include <QString>

// A signal sound that stays silent: tests never wait for or depend on an audio device.
class NullSound : public SignalSound
{
public:
    void play(const QString&) override {}
};

// The bytes of a file, empty when it cannot be read.
inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
