#pragma once

#include <QFileDevice>
#include <QString>

// A German description of a file operation's failure, for messages to the operator.
QString germanFileError(QFileDevice::FileError error);
