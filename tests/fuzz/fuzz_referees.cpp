// The referee list feeds three drop-down lists: reading it never fails, the file gives what its
// bytes give, the line ends do not matter, and one more record line adds exactly its entry.
#include "FuzzSupport.h"

#include "exchange/RefereeList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString folder = fuzz::freshFolder();
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const QStringList entries = RefereeList::entries(bytes);

    fuzz::writeInput(folder, QString::fromLatin1(RefereeList::kFileName), bytes);
    fuzz::require(RefereeList::kampfrichter(folder) == std::optional<QStringList>(entries),
                  "the file gives the entries of its bytes");

    for (const QString& entry : entries) {
        fuzz::require(entry.contains(QLatin1Char(' ')), "an entry joins two fields with a blank", entry);
        fuzz::require(!entry.contains(QLatin1Char(';')) && !entry.contains(QLatin1Char('\n')) &&
                          !entry.contains(QLatin1Char('\r')),
                      "an entry holds no separator and no line break", fuzz::shown(entry));
    }

    if (!bytes.contains('\r')) {
        QByteArray crlf = bytes;
        crlf.replace("\n", "\r\n");
        fuzz::require(RefereeList::entries(crlf) == entries, "CR LF gives what LF gives");
    }

    if (!bytes.isEmpty()) {
        const bool open = !bytes.endsWith('\n') && !bytes.endsWith('\r');
        const QByteArray longer = bytes + (open ? "\r\n" : "") + "17;Muster;Hans\r\n";
        fuzz::require(RefereeList::entries(longer) == entries + QStringList{QStringLiteral("Hans Muster")},
                      "one more record line adds its entry at the end");
    }
    return 0;
}
