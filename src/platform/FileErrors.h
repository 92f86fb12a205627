#pragma once

#include <QFileDevice>
#include <QString>

// A German description of a file operation's failure, for messages to the operator.
QString germanFileError(QFileDevice::FileError error);
// The same for a system call's errno ("zu wenig Speicherplatz" for a full disk).
QString germanErrno(int error);
