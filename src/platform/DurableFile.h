#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

#include <functional>

// Replacing a file so that it either holds all of the new bytes on the disk or stays as it was.
// The bytes go into a temporary file beside the target ("." + name + ".XXXXXX.tmp"), which is
// written, synced and closed, each step checked, then renamed over the target; the folder is
// synced last. Every failure on the way removes the temporary file, keeps the old file (or
// leaves none where there was none) and throws UserError naming the cause in German. A file
// whose mode bits give its owner no write access is write-protected and never replaced, even
// for root. QSaveFile is not used
// because on Linux it ignores a failing fsync or close and renames anyway.
namespace DurableFile {

// Writes `bytes` to `path` as described above. Leftovers of an earlier save of the same file
// that was killed half-way are removed first.
void replace(const QString& path, const QByteArray& bytes);

// The last sentence of a failed save's message: what the operator still has on the disk.
QString keptNote(bool existed);

// The name prefix and suffix of this file's temporary files, for tests and the clean-up.
QString tempPrefix(const QString& fileName);
inline QString tempSuffix()
{
    return QStringLiteral(".tmp");
}

// The system calls on the way, replaceable by tests to inject failures (each as the system
// call: -1 with errno set). An empty member means the real call.
struct SystemCalls
{
    std::function<ssize_t(int fd, const void* data, size_t size)> write;
    std::function<int(int fd)> fsync;
    std::function<int(int fd)> close;
    std::function<int(const char* from, const char* to)> rename;
    std::function<int(int dirFd)> fsyncFolder;
};
void setSystemCallsForTests(SystemCalls calls);

} // namespace DurableFile
