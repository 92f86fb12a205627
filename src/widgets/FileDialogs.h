#pragma once

#include <QString>

class QWidget;

// The platform's file dialogs behind a seam tests can answer, so no test waits on a modal loop.
class FileDialogs
{
public:
    // The picture-open dialog, with no filter of its own. The chosen path, or an empty text
    // when the operator cancels.
    static QString openPicture(QWidget* parent);
    // A save dialog offering `defaultName`; a name typed without extension gets `defaultSuffix`.
    // An existing file is chosen without asking. The chosen path, or empty on Cancel.
    static QString saveFile(QWidget* parent, const QString& defaultName, const QString& defaultSuffix);

    // Test hooks: the next dialog answers at once, OK with `path` or Cancel, and shows nothing.
    // In the message boxes' test mode a dialog without a prepared answer is a Cancel.
    static void setNextFileName(const QString& path);
    static void setNextCancel();
    // Dialogs asked for since the last call, answered or not.
    static int takeShownCount();
};
