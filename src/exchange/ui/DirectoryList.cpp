#include "DirectoryList.h"

#include <QDir>

DirectoryList::DirectoryList(QWidget* parent) : QListWidget(parent)
{
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        if (row(item) > 0)
            setDirectory(QDir(m_directory).absoluteFilePath(item->text()));
    });
}

void DirectoryList::setDirectory(const QString& path)
{
    m_directory = QDir::cleanPath(QDir(path).absolutePath());
    clear();
    auto* here = new QListWidgetItem(QDir::toNativeSeparators(m_directory), this);
    QFont bold = font();
    bold.setBold(true);
    here->setFont(bold);
    if (!QDir(m_directory).isRoot())
        addItem(QStringLiteral(".."));
    addItems(QDir(m_directory).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase));
}
