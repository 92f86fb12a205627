#include "FileErrors.h"

#include <cerrno>

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
        return QStringLiteral(
            "die Datei oder der Ordner kann nicht geöffnet werden (fehlt oder keine Berechtigung)");
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

QString germanErrno(int error)
{
    switch (error) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("zu wenig Speicherplatz auf dem Datenträger");
    case EFBIG:
        return QStringLiteral("die Datei würde größer, als das System erlaubt");
    case EROFS:
        return QStringLiteral("der Datenträger ist schreibgeschützt");
    case EACCES:
    case EPERM:
        return QStringLiteral("keine Berechtigung");
    case ENOENT:
        return QStringLiteral("der Ordner existiert nicht (mehr)");
    case ENOTDIR:
        return QStringLiteral("ein Teil des Pfades ist kein Ordner");
    case EISDIR:
        return QStringLiteral("unter diesem Namen steht ein Ordner");
    case EIO:
        return QStringLiteral("Ein-/Ausgabefehler des Datenträgers");
    case ENAMETOOLONG:
        return QStringLiteral("der Dateiname ist zu lang");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("zu viele offene Dateien");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("die Datei ist gerade in Benutzung");
    case ENOMEM:
        return QStringLiteral("zu wenig Arbeitsspeicher");
    case ELOOP:
        return QStringLiteral("zu viele symbolische Verknüpfungen im Pfad");
    default:
        break;
    }
    return QStringLiteral("Systemfehler Nr. %1").arg(error);
}
