#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QWidget>

class MatchCreation;
class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The match-file browser of the start page: drive list, folder list and the list of "*.ptlx"
// files in the chosen folder, plus the name field and "Anlegen" for a new match file.
class FileBrowser : public QWidget
{
    Q_OBJECT
public:
    explicit FileBrowser(MatchCreation& creation, QWidget* parent = nullptr);

    // The folder list's folder: where the file list looks and where new files are created.
    QString currentFolder() const { return m_folder; }
    // Moves the folder list (and the drive list and file list with it) to `folder`.
    void setCurrentFolder(const QString& folder);
    // The drive list's choice, as the root path of a mounted volume.
    QString currentDrive() const;
    // Switches to the volume with that root path, at the folder last shown on it (its root the
    // first time; the process's current folder for the volume that holds it).
    void setCurrentDrive(const QString& root);
    // Replaces the drive list, which starts as the mounted volumes' root paths; a folder
    // belongs to the drive with the longest root that contains it.
    void setDrives(const QStringList& roots);

public slots:
    // Reads the current folder again: subfolders and match files.
    void refresh();

signals:
    // For the message window ("Fehler" / "Die Datei existiert bereits").
    void message(const QString& title, const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString driveOf(const QString& folder);
    void fillFolders();
    void fillFiles();
    void openFile(QListWidgetItem* item);
    void createFile();

    MatchCreation& m_creation;
    QComboBox* m_drives;
    QListWidget* m_folders;
    QListWidget* m_files;
    QLineEdit* m_name;
    QPushButton* m_create;
    QString m_folder;
    // The folder last shown per volume root, standing in for the per-drive current folder.
    QHash<QString, QString> m_folderOnDrive;
};
