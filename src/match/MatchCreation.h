#pragma once

#include <QObject>
#include <QString>

class MatchFile;
class MatchRecord;
class Settings;

// Opening a match file chosen in the start page's file list, and creating a new match file
// from the skeleton ("Anlegen").
class MatchCreation : public QObject
{
    Q_OBJECT
public:
    MatchCreation(MatchFile& file, MatchRecord& record, Settings& settings, QObject* parent = nullptr);

    // The initial text of the name field `neuedatei`.
    static QString defaultName() { return QStringLiteral("Heim-Gast"); }
    // The document a new match file starts from, in its two lines.
    static QString skeleton();
    // Where "Anlegen" puts a file of that name in `folder` (also when folder is a root that
    // already ends in a separator).
    static QString newFilePath(const QString& folder, const QString& name);

    // Opens the chosen file; settingsReady becomes true once it has loaded. An empty path
    // (nothing chosen) does nothing. Throws the load's UserError; settingsReady then stays.
    void oeffnen(const QString& path);

    // "Anlegen": settingsReady becomes true; a taken name is reported through message() and
    // nothing is written; otherwise the new file is written and becomes the open match, whose
    // header and row 1 keep what they held for the next save to write. In both cases the
    // folder is announced as changed and the row count follows the open document (2 after a
    // creation). Throws UserError when the file cannot be written (the open match stays as it
    // was) and, after a refused creation, when no match is open.
    void anlegen(const QString& folder, const QString& name);

signals:
    // For the message window; it is expected to return once the operator has closed it.
    void message(const QString& title, const QString& text);
    // The file list is to read its folder again.
    void folderContentChanged();

private:
    void create(const QString& path);
    void fitRowCountToDocument();

    MatchFile& m_file;
    MatchRecord& m_record;
    Settings& m_settings;
};
