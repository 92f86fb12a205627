// A set.xml that loads must survive a save unchanged: load, save, load again gives the same
// settings. A file that does not load fails with a message and is moved aside, never lost.
#include "FuzzSupport.h"

#include "settings/Settings.h"

#include <QFileInfo>

namespace {

QString differences(const Settings& a, const Settings& b)
{
    QString out;
    const auto compare = [&out](const char* name, const QString& x, const QString& y) {
        if (x != y)
            out += QStringLiteral("%1: %2 -> %3\n").arg(QLatin1String(name), fuzz::shown(x), fuzz::shown(y));
    };
    compare("laufschrift", a.laufschrift(), b.laufschrift());
    compare("vorstellung", QString::number(a.vorstellung()), QString::number(b.vorstellung()));
    compare("skalierung", a.skalierung(), b.skalierung());
    compare("werbung", a.werbung().join(QLatin1Char('|')), b.werbung().join(QLatin1Char('|')));
    compare("modus", QString::number(a.modus()), QString::number(b.modus()));
    compare("zeit", a.zeit(), b.zeit());
    compare("tarvodir", a.tarvodir(), b.tarvodir());
    compare("protokoll", QString::number(a.protokoll()), QString::number(b.protokoll()));
    compare("felder", QString::number(a.felder().size()), QString::number(b.felder().size()));
    for (qsizetype i = 0; i < qMin(a.felder().size(), b.felder().size()); ++i) {
        const Settings::Field& x = a.felder().at(i);
        const Settings::Field& y = b.felder().at(i);
        compare("bezeichnung", x.bezeichnung, y.bezeichnung);
        compare("xwert", x.xwert, y.xwert);
        compare("ywert", x.ywert, y.ywert);
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString folder = fuzz::freshFolder();
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const QString path = fuzz::writeInput(folder, QStringLiteral("set.xml"), bytes);

    Settings first(path);
    try {
        first.loadset();
    } catch (const UserError& e) {
        fuzz::requireMessage(e);
        // Whatever was wrong with it, the operator's file is still there under one name or another.
        const QString kept = QFileInfo::exists(path) ? path : path + QStringLiteral(".defekt");
        QFile file(kept);
        fuzz::require(file.open(QIODevice::ReadOnly) && file.readAll() == bytes,
                      "a file that does not load is kept as it was", kept);
        // Moved aside: the defaults apply and there is nothing more to compare. Left in place:
        // a value took its default, and the next save must write a file that loads cleanly.
        if (kept != path)
            return 0;
    }
    first.setSettingsReady(true);
    try {
        first.saveset();
    } catch (const UserError& e) {
        fuzz::fail("settings that loaded can be saved", e.message());
    }

    Settings second(path);
    try {
        second.loadset();
    } catch (const UserError& e) {
        fuzz::fail("saved settings load again", e.message());
    }
    const QString changed = differences(first, second);
    fuzz::require(changed.isEmpty(), "load, save, load gives the same settings", changed);
    return 0;
}
