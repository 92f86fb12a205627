#include "TestSupport.h"

#include <QDomDocument>
#include <QFile>

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QString stored(const QString& path, const QStringList& elements)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("<no file>");
    QDomDocument doc;
    if (!doc.setContent(&f))
        return QStringLiteral("<not XML>");
    QDomElement e = doc.documentElement();
    for (const QString& name : elements)
        e = e.firstChildElement(name);
    return e.isNull() ? QStringLiteral("<missing>") : e.text();
}

QString stored(const QString& path, const QString& elements)
{
    return stored(path, elements.split(QLatin1Char('/')));
}

QStringList childNames(const QDomElement& parent)
{
    QStringList out;
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        out << e.tagName();
    return out;
}

QString tag(int column, int row)
{
    return QStringLiteral("r%1c%2").arg(row).arg(column);
}
