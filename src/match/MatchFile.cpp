#include "MatchFile.h"

#include "MatchRecord.h"
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
    static const QRegularExpression br(QStringLiteral("<br>"), QRegularExpression::CaseInsensitiveOption);
    return text.replace(br, QStringLiteral("\r\n"));
}

} // namespace

MatchFile::MatchFile(MatchRecord& record, QObject* parent) : QObject(parent), m_record(record) {}

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
    m_matchFileName = QFileInfo(path).absoluteFilePath();
    loadfromfile();
}

void MatchFile::adoptDocument(const QString& path, const QString& xml)
{
    m_doc.setContentText(xml);
    setOpenFileState(path);
}

void MatchFile::loadfromfile()
{
    setOpenFileState(m_matchFileName);
    m_doc.load(m_matchFileName); // throws; the document is then closed
    // Another XML file (the settings, say) must never be taken for a match and overwritten.
    if (m_doc.dom().documentElement().tagName() != kRoot) {
        m_doc.close();
        throw UserError(QStringLiteral("Die Datei „%1“ ist keine Kampfdatei.").arg(dateiname()));
    }

    QDomElement inf = info();
    auto read = [&](const QString& name) { return XmlDocument::text(XmlDocument::child(inf, name)); };

    const QString heim = read(QStringLiteral("heim"));
    const QString gast = read(QStringLiteral("gast"));
    m_record.setHeader(QStringLiteral("heim"), heim);
    m_record.setHeader(QStringLiteral("gast"), gast);
    m_label51 = heim;
    m_label52 = gast;
    // Two statements: the elements are created in this order when missing.
    const QString datum = read(QStringLiteral("datum"));
    const QString liga = read(QStringLiteral("liga"));
    m_label42 = datum + QStringLiteral(", ") + liga;
    emit summaryChanged();

    static const QStringList textFields = {
        QStringLiteral("ort"),
        QStringLiteral("halle"),
        QStringLiteral("liga"),
        QStringLiteral("datum"),
        QStringLiteral("ml"),
        QStringLiteral("mp"),
        QStringLiteral("pr"),
        QStringLiteral("zeitnehmer"),
        QStringLiteral("protokollfuehrer"),
        QStringLiteral("punktzettel"),
        QStringLiteral("mannschaftsfuehrer_heim"),
        QStringLiteral("mannschaftsfuehrer_gast"),
        QStringLiteral("verhalten_ringer"),
        QStringLiteral("verhalten_zuschauer"),
        QStringLiteral("zuschauer"),
        QStringLiteral("ordner1"),
        QStringLiteral("ordner2"),
        QStringLiteral("pause"),
        QStringLiteral("beginn"),
        QStringLiteral("ende"),
    };
    for (const QString& f : textFields)
        m_record.setHeader(f, read(f));
    m_record.setHeader(QStringLiteral("bemerkungen"), storedToMemo(read(QStringLiteral("bemerkungen"))));

    // Bouts are counted by the children of `kaempfe` and read by name.
    QDomElement kae = kaempfe();
    int n = 0;
    for (QDomElement e = kae.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        ++n;
    std::vector<BoutRow> rows(std::size_t(std::max(n, 1)));
    for (int i = 1; i <= n; ++i) {
        QDomElement bout = XmlDocument::child(kae, boutElementName(i));
        BoutRow& row = rows[std::size_t(i - 1)];
        for (int c = 0; c < ColumnCount; ++c) {
            QString v = XmlDocument::text(XmlDocument::child(bout, boutColumns().at(c)));
            if (isScoringColumn(c))
                v.replace(QLatin1Char('#'), QLatin1Char(' '));
            row[std::size_t(c)] = v;
        }
    }
    // A file without bouts opens with one empty bout row, as a new file does; nothing is
    // written until the next save.
    m_record.setBoutRows(std::move(rows));

    for (const QString& f : {QStringLiteral("punktfreund"), QStringLiteral("vorrueck"), QStringLiteral("altersklasse")}) {
        const QString t = read(f);
        if (t.isEmpty())
            continue;
        const int v = std::clamp(strToInt(t), -1, radioItemCount(f) - 1);
        m_record.setHeader(f, QString::number(v));
    }
}

void MatchFile::savematch(int row)
{
    if (!m_doc.isActive())
        return;
    QDomElement bout = XmlDocument::child(kaempfe(), boutElementName(row));
    for (int c = 0; c < ColumnCount; ++c) {
        QString v = m_record.cell(c, row);
        if (isScoringColumn(c))
            v.replace(QLatin1Char(' '), QLatin1Char('#'));
        XmlDocument::setText(XmlDocument::child(bout, boutColumns().at(c)), v);
    }
}

void MatchFile::saveall()
{
    if (!m_doc.isActive())
        return;
    QDomElement inf = info();
    for (const QString& f : editableHeaderFields()) {
        QString v = m_record.header(f);
        if (f == QLatin1String("bemerkungen"))
            v = memoToStored(v);
        XmlDocument::setText(XmlDocument::child(inf, f), v);
    }
    const int last = m_record.rowCount() - 1;
    for (int r = 1; r <= last; ++r)
        savematch(r);

    QDomElement kae = kaempfe();
    std::vector<QDomElement> keep;
    keep.reserve(std::size_t(last));
    for (int r = 1; r <= last; ++r)
        keep.push_back(kae.firstChildElement(boutElementName(r)));
    for (QDomNode n = kae.firstChild(); !n.isNull();) {
        QDomNode next = n.nextSibling();
        const bool written = n.isElement() && std::find(keep.begin(), keep.end(), n.toElement()) != keep.end();
        if (!written)
            kae.removeChild(n);
        n = next;
    }
    saveDocument();
}

void MatchFile::saveDocument()
{
    if (!m_doc.isActive())
        throw UserError(QStringLiteral("Kein aktives Dokument"));
    m_doc.save(m_matchFileName);
}
