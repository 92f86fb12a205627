#pragma once

#include <QString>
#include <QtGlobal>

// The horn of the bout clock. play() returns at once and never fails loudly: with no sound
// device or no file the match goes on.
class SignalSound
{
public:
    virtual ~SignalSound() = default;
    // Plays `wavPath` in the background when the file exists, else a plain beep.
    virtual void play(const QString& wavPath) = 0;
};

// The real sound output (Qt Multimedia); a missing file gives a short built-in beep.
class SystemSignalSound : public SignalSound
{
    Q_DISABLE_COPY(SystemSignalSound)

public:
    SystemSignalSound();
    ~SystemSignalSound() override;
    void play(const QString& wavPath) override;

private:
    struct Impl;
    Impl* m_impl;
};
