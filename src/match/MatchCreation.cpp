#include "MatchCreation.h"

#include "MatchFile.h"
#include "MatchRecord.h"
#include "platform/UserError.h"
#include "platform/XmlDocument.h"
#include "settings/Settings.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

MatchCreation::MatchCreation(MatchFile& file, MatchRecord& record, Settings& settings, QObject* parent)
    : QObject(parent), m_file(file), m_record(record), m_settings(settings)
{
}

QString MatchCreation::skeleton()
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>\r\n"
                          "<mk><info></info><kaempfe><kampf1></kampf1></kaempfe></mk>");
}

QString MatchCreation::newFilePath(const QString& folder, const QString& name)
{
    return QDir(folder).filePath(name + QStringLiteral(".ptlx"));
}

void MatchCreation::oeffnen(const QString& path)
{
    // Loading from an empty name would fall back on whichever file was loaded before; with
    // nothing chosen there is nothing to open.
    if (path.isEmpty())
        return;
    m_file.open(path);
    m_settings.setSettingsReady(true);
}

void MatchCreation::anlegen(const QString& folder, const QString& name)
{
    m_settings.setSettingsReady(true);
    // A separator would put the file outside the chosen folder, out of the file list's sight.
    if (name.contains(QLatin1Char('/')) || name.contains(QChar(0)))
        throw UserError(
            QStringLiteral("„%1“ ist kein gültiger Dateiname: Er darf keinen „/“ enthalten.").arg(name));
    const QString path = newFilePath(folder, name);
    const QFileInfo target(path);
    // A dangling link counts as taken too: writing would replace the link, not fill its target.
    if (target.exists() || target.isSymLink())
        emit message(QStringLiteral("Fehler"), QStringLiteral("Die Datei existiert bereits"));
    else
        create(path);
    emit folderContentChanged();
    fitRowCountToDocument();
}

void MatchCreation::create(const QString& path)
{
    // Built and written apart from the open match, which is replaced only once the file is
    // on disk: a file that cannot be written leaves the open match and its file untouched.
    XmlDocument fresh;
    fresh.setContentText(skeleton());
    QDomElement info = XmlDocument::child(fresh.root(QStringLiteral("mk")), QStringLiteral("info"));
    XmlDocument::setText(XmlDocument::child(info, QStringLiteral("erstellt")),
                         QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
    fresh.save(path);
    m_file.adoptDocument(path, fresh.dom().toString(-1));
}

void MatchCreation::fitRowCountToDocument()
{
    XmlDocument& doc = m_file.document();
    if (!doc.isActive())
        throw UserError(QStringLiteral("Kein aktives Dokument"));
    const QDomElement kaempfe = doc.dom().documentElement().firstChildElement(QStringLiteral("kaempfe"));
    int n = 0;
    for (QDomElement e = kaempfe.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        ++n;
    m_record.setRowCount(n + 1);
}
