#include "FileErrors.h"

QString germanFileError(QFileDevice::FileError error)
{
    switch (error) {
    case QFileDevice::NoError:
        return QStringLiteral("kein Fehler");
    case QFileDevice::ReadError:
        return QStringLiteral("Lesefehler");
    case QFileDevice::WriteError:
        return QStringLiteral("Schreibfehler (Datenträger voll oder schreibgeschützt?)");
    case QFileDevice::FatalError:
        return QStringLiteral("schwerer Dateifehler");
    case QFileDevice::ResourceError:
        return QStringLiteral("zu wenig Speicherplatz oder Systemressourcen");
    case QFileDevice::OpenError:
        return QStringLiteral("die Datei oder der Ordner kann nicht geöffnet werden (fehlt oder keine Berechtigung)");
    case QFileDevice::AbortError:
        return QStringLiteral("Vorgang abgebrochen");
    case QFileDevice::TimeOutError:
        return QStringLiteral("Zeitüberschreitung");
    case QFileDevice::RemoveError:
        return QStringLiteral("die Datei kann nicht gelöscht werden");
    case QFileDevice::RenameError:
        return QStringLiteral("die Datei kann nicht ersetzt werden");
    case QFileDevice::PositionError:
        return QStringLiteral("Positionierungsfehler");
    case QFileDevice::ResizeError:
        return QStringLiteral("die Dateigröße kann nicht geändert werden");
    case QFileDevice::PermissionsError:
        return QStringLiteral("keine Berechtigung");
    case QFileDevice::CopyError:
        return QStringLiteral("die Datei kann nicht kopiert werden");
    case QFileDevice::UnspecifiedError:
        break;
    }
    return QStringLiteral("unbekannter Dateifehler");
}
