#include "DurableFile.h"

#include "FileErrors.h"
#include "UserError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace DurableFile {

namespace {

SystemCalls g_calls;

ssize_t callWrite(int fd, const void* data, size_t size)
{
    return g_calls.write ? g_calls.write(fd, data, size) : ::write(fd, data, size);
}

int callFsync(int fd)
{
    return g_calls.fsync ? g_calls.fsync(fd) : ::fsync(fd);
}

int callClose(int fd)
{
    return g_calls.close ? g_calls.close(fd) : ::close(fd);
}

int callRename(const char* from, const char* to)
{
    return g_calls.rename ? g_calls.rename(from, to) : ::rename(from, to);
}

int callFsyncFolder(int fd)
{
    return g_calls.fsyncFolder ? g_calls.fsyncFolder(fd) : ::fsync(fd);
}

constexpr int kRandomChars = 6;

QString randomPart()
{
    static const char chars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString out;
    for (int i = 0; i < kRandomChars; ++i)
        out += QLatin1Char(chars[QRandomGenerator::global()->bounded(int(sizeof chars - 1))]);
    return out;
}

// Temporary files of this target whose writer is gone: a live writer holds a lock on its file
// from creation to rename, a killed one holds none.
void removeLeftovers(const QByteArray& folder, const QString& fileName)
{
    const QByteArray prefix = QFile::encodeName(tempPrefix(fileName));
    const QByteArray suffix = QFile::encodeName(tempSuffix());
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.size() != prefix.size() + kRandomChars + suffix.size() || !name.startsWith(prefix) ||
            !name.endsWith(suffix))
            continue;
        const int fd = ::openat(dirFd, name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dirFd, name.constData(), 0);
        ::close(fd);
    }
    ::closedir(dir);
}

QString failureText(const QString& name, int error, const char* step, bool existed)
{
    return QStringLiteral("Die Datei „%1“ kann nicht gespeichert werden: %2 (%3). %4")
        .arg(name, germanErrno(error), QString::fromUtf8(step), keptNote(existed));
}

// Owns the descriptors and the temporary file until the rename; whatever fails on the way
// leaves nothing behind.
class Attempt
{
public:
    ~Attempt()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_temp.isEmpty())
            ::unlink(m_temp.constData());
        if (m_dirFd >= 0)
            ::close(m_dirFd);
    }

    int m_dirFd = -1;
    int m_fd = -1;
    QByteArray m_temp;
};

} // namespace

QString keptNote(bool existed)
{
    return existed ? QStringLiteral("Die bisherige Fassung bleibt unverändert.")
                   : QStringLiteral("Es wurde nichts geschrieben.");
}

QString tempPrefix(const QString& fileName)
{
    return QLatin1Char('.') + fileName + QLatin1Char('.');
}

void setSystemCallsForTests(SystemCalls calls)
{
    g_calls = std::move(calls);
}

namespace {

bool modeLetsWrite(const struct stat& st)
{
    // Root is held to the owner's bits. Anyone else to the bits of their own class: a file
    // that the administrator owns and keeps from the operator stays as it is, even in a folder
    // the operator may write.
    const uid_t user = ::geteuid();
    if (user == 0 || st.st_uid == user)
        return st.st_mode & S_IWUSR;
    bool inGroup = st.st_gid == ::getegid();
    if (!inGroup) {
        const int count = ::getgroups(0, nullptr);
        std::vector<gid_t> groups(std::size_t(std::max(count, 0)));
        if (count > 0 && ::getgroups(count, groups.data()) == count)
            inGroup = std::find(groups.begin(), groups.end(), st.st_gid) != groups.end();
    }
    return st.st_mode & (inGroup ? S_IWGRP : S_IWOTH);
}

} // namespace

void replace(const QString& path, const QByteArray& bytes)
{
    const QString name = QFileInfo(path).fileName();
    // A link stays a link: the file it points to is replaced.
    QString target = QFileInfo(path).absoluteFilePath();
    for (int hops = 0; hops < 16 && QFileInfo(target).isSymLink(); ++hops)
        target = QFileInfo(target).symLinkTarget();
    const QFileInfo info(target);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    const QByteArray finalPath = QFile::encodeName(info.absoluteFilePath());

    // Whether a failure leaves a previous version or nothing at all, for the message.
    struct stat old
    {
    };
    const bool exists = ::stat(finalPath.constData(), &old) == 0 && S_ISREG(old.st_mode);
    // An operator who takes the owner's write permission off a file (a finished match, a
    // settled set-up) means it to stay as it is. The rename would replace it all the same, since
    // only the folder's permission counts for that, and root may write anything: so the mode
    // bits decide, not what the process happens to be allowed.
    if (exists && !modeLetsWrite(old))
        throw UserError(QStringLiteral("Die Datei „%1“ kann nicht gespeichert werden: die Datei ist "
                                       "schreibgeschützt (ihre Dateirechte erlauben kein Schreiben). %2")
                            .arg(name, keptNote(true)));
    Attempt a;
    a.m_dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (a.m_dirFd < 0)
        throw UserError(failureText(name, errno, "beim Öffnen des Ordners", exists));
    removeLeftovers(folder, info.fileName());
    for (int tries = 0; a.m_fd < 0; ++tries) {
        const QByteArray temp =
            folder + '/' + QFile::encodeName(tempPrefix(info.fileName()) + randomPart() + tempSuffix());
        a.m_fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (a.m_fd >= 0) {
            a.m_temp = temp;
        } else if (errno != EEXIST || tries > 100) {
            throw UserError(failureText(name, errno, "beim Anlegen der Zwischendatei", exists));
        }
    }
    ::flock(a.m_fd, LOCK_EX | LOCK_NB);
    if (exists)
        ::fchmod(a.m_fd, old.st_mode & 07777);

    const char* p = bytes.constData();
    size_t left = size_t(bytes.size());
    while (left > 0) {
        const ssize_t n = callWrite(a.m_fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) // a write that takes nothing and says nothing can only be a full disk
            throw UserError(failureText(name, n < 0 ? errno : ENOSPC, "beim Schreiben", exists));
        p += n;
        left -= size_t(n);
    }
    int rc;
    do
        rc = callFsync(a.m_fd);
    while (rc != 0 && errno == EINTR);
    if (rc != 0)
        throw UserError(failureText(name, errno, "beim Übertragen auf den Datenträger", exists));
    const int fd = a.m_fd;
    a.m_fd = -1; // closed below whatever the result, never twice
    // Linux closes the descriptor also when close reports EINTR; the data is synced by then.
    if (callClose(fd) != 0 && errno != EINTR)
        throw UserError(failureText(name, errno, "beim Schließen", exists));
    if (callRename(a.m_temp.constData(), finalPath.constData()) != 0)
        throw UserError(failureText(
            name, errno, exists ? "beim Ersetzen der alten Fassung" : "beim Umbenennen der Zwischendatei",
            exists));
    a.m_temp.clear();

    do
        rc = callFsyncFolder(a.m_dirFd);
    while (rc != 0 && errno == EINTR);
    // File systems that cannot sync a folder say EINVAL; there is nothing more to wait for.
    if (rc != 0 && errno != EINVAL && errno != ENOTSUP)
        throw UserError(
            QStringLiteral("Die Datei „%1“ wurde geschrieben, aber ihr Ordner konnte nicht auf den "
                           "Datenträger übertragen werden: %2. Nach einem Stromausfall könnte %3; "
                           "speichern Sie erneut.")
                .arg(name, germanErrno(errno),
                     exists ? QStringLiteral("die vorige Fassung zurückkehren")
                            : QStringLiteral("die Datei fehlen")));
}

} // namespace DurableFile
