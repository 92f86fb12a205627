#pragma once

#include <QListWidget>

// A folder list: the folder shown in the first line, then ".." and its subfolders; a
// double-click on one of those goes into it.
class DirectoryList : public QListWidget
{
    Q_OBJECT
public:
    explicit DirectoryList(QWidget* parent = nullptr);

    QString directory() const { return m_directory; }
    void setDirectory(const QString& path);

private:
    QString m_directory;
};
