#pragma once

#include "platform/SignalSound.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// What many tests need: a silent sound, files read and written whole, and an element of a
// written XML file (match file, set.xml).

// A signal sound that stays silent: tests never wait for or depend on an audio device.
class NullSound : public SignalSound
{
public:
    void play(const QString&) override {}
};

// A signal sound that keeps the file of every signal asked for, in order.
class RecordingSound : public SignalSound
{
public:
    void play(const QString& wavPath) override { played << wavPath; }
    int plays() const { return int(played.size()); }
    QStringList played;
};

// The bytes of a file, empty when it cannot be read.
QByteArray readAll(const QString& path);

// Writes `bytes` as the whole file; false when that failed.
bool writeAll(const QString& path, const QByteArray& bytes);

// The text of the element reached from the document element along `elements`, as the file at
// `path` holds it now: "<no file>", "<not XML>" or "<missing>" where there is none.
QString stored(const QString& path, const QStringList& elements);
// The same with the path written "a/b/c".
QString stored(const QString& path, const QString& elements);

class QDomElement;
// Tag names of the child elements of `parent`, in document order.
QStringList childNames(const QDomElement& parent);

// A cell text that tells where it came from ("r2c5"), so a moved or lost cell shows in a failure.
QString tag(int column, int row);
