#include "MatchFile.h"

#include "MatchRecord.h"
#include "platform/ElementIndex.h"
#include "platform/IntConvert.h"
#include "platform/UserError.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

using namespace MatchFields;

namespace {

const QString kRoot = QStringLiteral("mk");
const QString kInfo = QStringLiteral("info");
const QString kKaempfe = QStringLiteral("kaempfe");

QString boutElementName(int row)
{
    return QStringLiteral("kampf") + QString::number(row);
}

bool isScoringColumn(int c)
{
    return c == ColWertungenRot || c == ColWertungenBlau;
}

QString memoToStored(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
    // A line break that is not CR LF (pasted text) must not be lost either.
    text.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    text.replace(QLatin1Char('\r'), QStringLiteral("<br>"));
    return text;
}

QString storedToMemo(QString text)
{
    // A raw line break that another program left in the file is a line of the memo as well:
    // kept bare, it would come back as CR LF after the next save, and the export's one-line
    // remarks would break at it.
    static const QRegularExpression br(QStringLiteral("<br>|\r\n|\r|\n"),
                                       QRegularExpression::CaseInsensitiveOption);
    return text.replace(br, QStringLiteral("\r\n"));
}

} // namespace

MatchFile::MatchFile(MatchRecord& record, QObject* parent) : QObject(parent), m_record(record)
{
    const auto edited = [this] { m_unsaved = true; };
    connect(&m_record, &MatchRecord::headerChanged, this, edited);
    connect(&m_record, &MatchRecord::cellChanged, this, edited);
    connect(&m_record, &MatchRecord::rowsReset, this, edited);
}

QString MatchFile::dateiname() const
{
    return QFileInfo(m_matchFileName).fileName();
}

QString MatchFile::pfad() const
{
    if (m_matchFileName.isEmpty())
        return {};
    QString dir = QDir::toNativeSeparators(QFileInfo(m_matchFileName).absolutePath());
    if (!dir.endsWith(QDir::separator()))
        dir += QDir::separator();
    return dir;
}

QString MatchFile::windowCaption() const
{
    return QStringLiteral("VANTOR²: [") + dateiname() + QLatin1Char(']');
}

void MatchFile::setOpenFileState(const QString& path)
{
    m_matchFileName = path;
    emit openFileChanged();
}

QDomElement MatchFile::info()
{
    return XmlDocument::child(m_doc.root(kRoot), kInfo);
}

QDomElement MatchFile::kaempfe()
{
    return XmlDocument::child(m_doc.root(kRoot), kKaempfe);
}

void MatchFile::open(const QString& path)
{
    loadFrom(QFileInfo(path).absoluteFilePath());
}

void MatchFile::adoptDocument(const QString& path, const QString& xml)
{
    m_doc.setContentText(xml);
    setOpenFileState(path);
}

void MatchFile::loadfromfile()
{
    loadFrom(m_matchFileName);
}

void MatchFile::loadFrom(const QString& path)
{
    // Everything that can fail is read and checked in a document of its own; the open match,
    // its document and the open-file state change only once all of it has succeeded.
    const QString name = QFileInfo(path).fileName();
    XmlDocument doc;
    doc.load(path);
    // Another XML file (the settings, say) must never be taken for a match and overwritten.
    if (doc.dom().documentElement().tagName() != kRoot)
        throw UserError(QStringLiteral("Die Datei „%1“ ist keine Kampfdatei.").arg(name));

    QDomElement mk = doc.root(kRoot);
    ElementIndex inf(XmlDocument::child(mk, kInfo));
    auto read = [&](const QString& field) { return XmlDocument::text(inf.get(field)); };

    // Read in the order of the reader's steps: missing elements are created in that order.
    QHash<QString, QString> header;
    for (const QString f : {Header::heim, Header::gast, Header::datum, Header::liga})
        header.insert(f, read(f));
    static const QStringList textFields = {
        Header::ort,
        Header::halle,
        Header::ml,
        Header::mp,
        Header::pr,
        Header::zeitnehmer,
        Header::protokollfuehrer,
        Header::punktzettel,
        Header::mannschaftsfuehrer_heim,
        Header::mannschaftsfuehrer_gast,
        Header::verhalten_ringer,
        Header::verhalten_zuschauer,
        Header::zuschauer,
        Header::ordner1,
        Header::ordner2,
        Header::pause,
        Header::beginn,
        Header::ende,
    };
    for (const QString& f : textFields)
        header.insert(f, read(f));
    header.insert(Header::bemerkungen, storedToMemo(read(Header::bemerkungen)));

    // Bouts are counted by the children of `kaempfe` and read by name, each found once.
    ElementIndex kae(XmlDocument::child(mk, kKaempfe));
    const int n = kae.elementCount();
    if (n > kMaxBouts)
        throw UserError(QStringLiteral("Die Datei „%1“ enthält %2 Kämpfe; VANTOR² öffnet Kampfdateien mit "
                                       "höchstens %3 Kämpfen.")
                            .arg(name)
                            .arg(n)
                            .arg(kMaxBouts));
    // A file without bouts opens with one empty bout row, as a new file does; nothing is
    // written until the next save.
    std::vector<BoutRow> rows(std::size_t(std::max(n, 1)));
    for (int i = 1; i <= n; ++i) {
        const BoutCells cells = boutCells(kae.get(boutElementName(i)));
        BoutRow& row = rows[std::size_t(i - 1)];
        for (int c = 0; c < ColumnCount; ++c) {
            QString v = XmlDocument::text(cells[std::size_t(c)]);
            if (isScoringColumn(c))
                v.replace(QLatin1Char('#'), QLatin1Char(' '));
            row[std::size_t(c)] = std::move(v);
        }
    }

    std::vector<std::pair<QString, QString>> radios;
    for (const QString f : {Header::punktfreund, Header::vorrueck, Header::altersklasse}) {
        const QString t = read(f);
        if (t.isEmpty())
            continue;
        int v = 0;
        try {
            v = strToInt(t);
        } catch (const UserError& e) {
            throw UserError(
                QStringLiteral("Die Datei „%1“ kann nicht geöffnet werden: Das Feld „%2“ enthält „%3“, "
                               "das ist keine ganze Zahl (%4).")
                    .arg(name, f, t, e.message()));
        }
        radios.emplace_back(f, QString::number(std::clamp(v, -1, radioItemCount(f) - 1)));
    }

    // From here on nothing fails.
    m_doc = doc;
    setOpenFileState(path);
    for (const QLatin1String f : {Header::heim, Header::gast})
        m_record.setHeader(f, header.value(f));
    m_label51 = header.value(Header::heim);
    m_label52 = header.value(Header::gast);
    m_label42 = header.value(Header::datum) + QStringLiteral(", ") + header.value(Header::liga);
    emit summaryChanged();
    for (const QString f : {Header::ort, Header::halle, Header::liga, Header::datum})
        m_record.setHeader(f, header.value(f));
    for (const QString& f : textFields)
        m_record.setHeader(f, header.value(f));
    m_record.setHeader(Header::bemerkungen, header.value(Header::bemerkungen));
    m_record.setBoutRows(std::move(rows));
    for (const auto& [field, value] : radios)
        m_record.setHeader(field, value);
    m_unsaved = false;
}

MatchFile::BoutCells MatchFile::boutCells(QDomElement bout)
{
    // One pass over the bout's children finds the first element of each column; missing ones
    // are appended in column order.
    static const QHash<QString, int> columnOf = [] {
        QHash<QString, int> h;
        for (int c = 0; c < ColumnCount; ++c)
            h.insert(boutColumns().at(c), c);
        return h;
    }();
    BoutCells cells;
    for (QDomElement e = bout.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        const int c = columnOf.value(e.tagName(), -1);
        if (c >= 0 && cells[std::size_t(c)].isNull())
            cells[std::size_t(c)] = e;
    }
    for (int c = 0; c < ColumnCount; ++c) {
        QDomElement& e = cells[std::size_t(c)];
        if (e.isNull()) {
            e = bout.ownerDocument().createElement(boutColumns().at(c));
            bout.appendChild(e);
        }
    }
    return cells;
}

void MatchFile::writeBout(QDomElement bout, int row)
{
    const BoutCells cells = boutCells(bout);
    for (int c = 0; c < ColumnCount; ++c) {
        QString v = m_record.cell(c, row);
        if (isScoringColumn(c))
            v.replace(QLatin1Char(' '), QLatin1Char('#'));
        XmlDocument::setText(cells[std::size_t(c)], v);
    }
}

void MatchFile::savematch(int row)
{
    if (!m_doc.isActive())
        return;
    writeBout(XmlDocument::child(kaempfe(), boutElementName(row)), row);
}

void MatchFile::saveall()
{
    if (!m_doc.isActive()) {
        // Nothing to write into; edits that would be lost are not dropped without a word.
        if (m_unsaved)
            throw UserError(
                QStringLiteral("Es ist keine Kampfdatei geöffnet: Die Eingaben werden nicht gespeichert. "
                               "Öffnen Sie eine Kampfdatei oder legen Sie eine neue an, damit sie "
                               "erhalten bleiben."));
        return;
    }
    ElementIndex inf(info());
    for (const QString& f : editableHeaderFields()) {
        QString v = m_record.header(f);
        if (f == QLatin1String("bemerkungen"))
            v = memoToStored(v);
        XmlDocument::setText(inf.get(f), v);
    }

    // Each bout element is found once; the first of its name is the one written and kept.
    QDomElement kaeElement = kaempfe();
    ElementIndex kae(kaeElement);
    const int last = m_record.rowCount() - 1;
    for (int r = 1; r <= last; ++r)
        writeBout(kae.get(boutElementName(r)), r);
    static const QRegularExpression boutName(QStringLiteral("^kampf([1-9][0-9]*)$"));
    for (QDomNode n = kaeElement.firstChild(); !n.isNull();) {
        const QDomNode next = n.nextSibling();
        bool written = false;
        if (n.isElement()) {
            const QDomElement e = n.toElement();
            const auto m = boutName.match(e.tagName());
            bool ok = false;
            const int r = m.hasMatch() ? m.captured(1).toInt(&ok) : 0;
            written = ok && r >= 1 && r <= last && kae.isFirst(e);
        }
        if (!written)
            kaeElement.removeChild(n);
        n = next;
    }
    saveDocument();
    m_unsaved = false;
}
void MatchFile::saveDocument()
{
    if (!m_doc.isActive())
        throw UserError(QStringLiteral("Kein aktives Dokument"));
    m_doc.save(m_matchFileName);
}
