#include "FileBrowser.h"

#include "match/MatchCreation.h"
#include "widgets/Guard.h"
#include "widgets/OneLine.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGridLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyle>
#include <QStyledItemDelegate>

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int DepthRole = Qt::UserRole + 1;

// Indents each folder by its depth below the root, so the path down to the current folder
// reads as a tree in a flat list.
class IndentDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem o(option);
        o.rect.adjust(index.data(DepthRole).toInt() * 12, 0, 0, 0);
        QStyledItemDelegate::paint(painter, o, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.rwidth() += index.data(DepthRole).toInt() * 12;
        return s;
    }
};

QStringList mountedRoots()
{
    QStringList roots;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes())
        if (v.isValid() && v.isReady())
            roots << v.rootPath();
    const QStorageInfo here(QDir::currentPath());
    if (here.isValid())
        roots << here.rootPath();
    return roots;
}

bool isWithin(const QString& folder, const QString& root)
{
    if (folder == root)
        return true;
    return folder.startsWith(root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/'));
}

} // namespace

FileBrowser::FileBrowser(MatchCreation& creation, QWidget* parent)
    : QWidget(parent), m_creation(creation), m_drives(new QComboBox(this)), m_folders(new QListWidget(this)),
      m_files(new QListWidget(this)), m_name(new QLineEdit(MatchCreation::defaultName(), this)),
      m_create(new QPushButton(QStringLiteral("Anlegen"), this))
{
    m_drives->setObjectName(QStringLiteral("DriveComboBox1"));
    m_folders->setObjectName(QStringLiteral("DirectoryListBox1"));
    m_files->setObjectName(QStringLiteral("FileListBox1"));
    m_name->setObjectName(QStringLiteral("neuedatei"));
    keepOneLine(m_name);
    m_create->setObjectName(QStringLiteral("Button5"));
    m_folders->setItemDelegate(new IndentDelegate(m_folders));

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_drives, 0, 0);
    layout->addWidget(m_folders, 1, 0);
    layout->addWidget(m_files, 0, 1, 2, 1);
    layout->addWidget(m_name, 2, 0);
    layout->addWidget(m_create, 2, 1);

    connect(&m_creation, &MatchCreation::message, this, &FileBrowser::message);
    connect(&m_creation, &MatchCreation::folderContentChanged, this, &FileBrowser::fillFiles);
    connect(m_drives, &QComboBox::activated, this,
            [this](int index) { setCurrentDrive(m_drives->itemData(index, PathRole).toString()); });
    connect(m_folders, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { setCurrentFolder(item->data(PathRole).toString()); });
    connect(m_files, &QListWidget::itemDoubleClicked, this, &FileBrowser::openFile);
    // A double-click beside the entries fires no itemDoubleClicked; only the viewport sees it.
    m_files->viewport()->installEventFilter(this);
    connect(m_create, &QPushButton::clicked, this, &FileBrowser::createFile);

    setDrives(mountedRoots());
    setCurrentFolder(QDir::currentPath());
}

QString FileBrowser::currentDrive() const
{
    return m_drives->currentData(PathRole).toString();
}

void FileBrowser::setCurrentDrive(const QString& root)
{
    // A folder removed since it was last shown gives way to the nearest one still there.
    QString folder = m_folderOnDrive.value(root, root);
    while (!QFileInfo(folder).isDir() && folder != root && isWithin(folder, root))
        folder = QFileInfo(folder).path();
    setCurrentFolder(folder);
}

void FileBrowser::setCurrentFolder(const QString& folder)
{
    m_folder = QDir::cleanPath(QDir(folder).absolutePath());
    const QString drive = driveOf(m_folder);
    m_folderOnDrive.insert(drive, m_folder);
    const QSignalBlocker block(m_drives);
    m_drives->setCurrentIndex(m_drives->findData(drive, PathRole));
    refresh();
}

void FileBrowser::refresh()
{
    fillFolders();
    fillFiles();
}

void FileBrowser::setDrives(const QStringList& roots)
{
    QStringList sorted;
    for (const QString& r : roots)
        sorted << QDir::cleanPath(r);
    sorted.removeDuplicates();
    sorted.sort();
    const QSignalBlocker block(m_drives);
    m_drives->clear();
    const QFileIconProvider icons;
    for (const QString& root : sorted) {
        m_drives->addItem(icons.icon(QAbstractFileIconProvider::Drive), root);
        m_drives->setItemData(m_drives->count() - 1, root, PathRole);
    }
    if (!m_folder.isEmpty())
        setCurrentFolder(m_folder);
}

QString FileBrowser::driveOf(const QString& folder)
{
    QString best;
    for (int i = 0; i < m_drives->count(); ++i) {
        const QString root = m_drives->itemData(i, PathRole).toString();
        if (isWithin(folder, root) && root.size() > best.size())
            best = root;
    }
    if (!best.isEmpty())
        return best;
    // Mounted after the list was read: it joins the list.
    const QStorageInfo volume(folder);
    const QString root = volume.isValid() ? volume.rootPath() : QDir::rootPath();
    const QSignalBlocker block(m_drives);
    m_drives->addItem(QFileIconProvider().icon(QAbstractFileIconProvider::Drive), root);
    m_drives->setItemData(m_drives->count() - 1, root, PathRole);
    return root;
}

void FileBrowser::fillFolders()
{
    m_folders->clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);

    // The path from the drive's root down to the folder.
    const QString drive = driveOf(m_folder);
    QStringList chain;
    for (QDir d(m_folder);;) {
        const QString path = d.absolutePath();
        chain.prepend(path);
        if (path == drive || d.isRoot() || !d.cdUp())
            break;
    }
    int depth = 0;
    QListWidgetItem* current = nullptr;
    for (const QString& path : chain) {
        const QString name = path == drive || QDir(path).isRoot() ? path : QFileInfo(path).fileName();
        auto* item = new QListWidgetItem(open, name, m_folders);
        item->setData(PathRole, path);
        item->setData(DepthRole, depth++);
        current = item;
    }
    const QDir dir(m_folder);
    for (const QString& sub :
         dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto* item = new QListWidgetItem(closed, sub, m_folders);
        item->setData(PathRole, dir.filePath(sub));
        item->setData(DepthRole, depth);
    }
    m_folders->setCurrentItem(current);
}

void FileBrowser::fillFiles()
{
    m_files->clear();
    const QDir dir(m_folder);
    const QFileIconProvider icons;
    // Hidden files too: a name beginning with a dot is an ordinary match file to the operator.
    const QFileInfoList found = dir.entryInfoList({QStringLiteral("*.ptlx")}, QDir::Files | QDir::Hidden,
                                                  QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& f : found) {
        auto* item = new QListWidgetItem(icons.icon(f), f.fileName(), m_files);
        item->setData(PathRole, f.absoluteFilePath());
    }
}

bool FileBrowser::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_files->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const auto* click = static_cast<QMouseEvent*>(event);
        // The operator meant to open something; silence would look like a hung program.
        if (!m_files->itemAt(click->position().toPoint()))
            emit message(QStringLiteral("Fehler"), QStringLiteral("Keine Datei ausgewählt."));
    }
    return QWidget::eventFilter(watched, event);
}

void FileBrowser::openFile(QListWidgetItem* item)
{
    const QString path = item ? item->data(PathRole).toString() : QString();
    guarded(this, [&] { m_creation.oeffnen(path); });
}

void FileBrowser::createFile()
{
    guarded(this, [&] { m_creation.anlegen(m_folder, m_name->text()); });
}
