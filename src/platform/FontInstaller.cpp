#include "FontInstaller.h"

#include <QFile>
#include <QFontDatabase>
#include <QStringList>
#include <QtEndian>

namespace {

// Makes Wine's Tahoma measure and draw as Tahoma does on Windows, in the face's own bytes:
// - its lines by the Windows ascent and descent (1.207 em): it asks for its typographic metrics
//   (USE_TYPO_METRICS, bit 7 of fsSelection), 0.971 em, which Qt heeds and Windows does not, so
//   every label would stand higher and every line be a fifth shorter than designed;
// - its letters from the outlines at every size: its 1-bit bitmaps for 8 to 16 pixels (tables
//   EBLC, EBDT, EBSC, here renamed so that no reader finds them) bring their own line metrics
//   and lose the dots of Ä, Ö and Ü at a label's size.
// A face that is cut short is left as it is where it ends.
void likeWindows(QByteArray& face)
{
    if (face.size() < 12)
        return;
    auto* bytes = reinterpret_cast<uchar*>(face.data());
    const int tables = qFromBigEndian<quint16>(bytes + 4);
    for (int i = 0; i < tables; ++i) {
        uchar* record = bytes + 12 + 16 * qsizetype(i);
        if (record + 16 > bytes + face.size())
            return;
        const QByteArrayView tag(record, 4);
        if (tag == "EBLC" || tag == "EBDT" || tag == "EBSC") {
            record[0] = 'x';
        } else if (tag == "OS/2") {
            const qsizetype fsSelection = qsizetype(qFromBigEndian<quint32>(record + 8)) + 62;
            if (fsSelection + 2 <= face.size())
                bytes[fsSelection + 1] &= uchar(~0x80u);
        }
    }
}

} // namespace

namespace FontInstaller {

bool isInstalled(const QString& family)
{
    const QStringList families = QFontDatabase::families();
    for (const QString& known : families) {
        // A family offered by several foundries is listed as "Family [Foundry]".
        const qsizetype bracket = known.indexOf(QLatin1String(" ["));
        const QStringView name = bracket > 0 && known.endsWith(QLatin1Char(']'))
                                     ? QStringView(known).left(bracket)
                                     : QStringView(known);
        if (name.compare(family, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

int add(const QString& path)
{
    return QFontDatabase::addApplicationFont(path);
}

void remove(int id)
{
    if (id >= 0)
        QFontDatabase::removeApplicationFont(id);
}

QList<int> addTahoma(const QString& folder)
{
    QList<int> ids;
    if (isInstalled(QStringLiteral("Tahoma")))
        return ids;
    QFile file(folder + QStringLiteral("/tahoma.ttf"));
    if (!file.open(QIODevice::ReadOnly))
        return ids;
    QByteArray face = file.readAll();
    likeWindows(face);
    if (const int id = QFontDatabase::addApplicationFontFromData(face); id >= 0) {
        ids.append(id);
        // Qt draws a bold it makes from a regular face only below 64 pixels; the scoreboard's
        // team points (55 pt bold) would come out regular.
        qputenv("QT_NO_SYNTHESIZED_BOLD_LIMIT", "1");
    }
    return ids;
}

} // namespace FontInstaller
