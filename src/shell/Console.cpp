#include "Console.h"

Console::Console(QObject* parent) : QObject(parent), m_file(m_record)
{
    // A newly named match file has no bout loaded yet.
    connect(&m_file, &MatchFile::openFileChanged, this, [this] { setKampfnr(QStringLiteral("0")); });
}

void Console::setKampfnr(const QString& value)
{
    if (m_kampfnr == value)
        return;
    m_kampfnr = value;
    emit kampfnrChanged();
}
