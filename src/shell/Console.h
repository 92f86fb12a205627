#pragma once

#include "match/MatchFile.h"
#include "match/MatchRecord.h"

#include <QObject>
#include <QString>

// Owns the core objects of one running console and the little state that ties them together.
class Console : public QObject
{
    Q_OBJECT
public:
    explicit Console(QObject* parent = nullptr);

    MatchRecord& record() { return m_record; }
    MatchFile& matchFile() { return m_file; }

    // The current bout number: "0" while no bout is loaded.
    QString kampfnr() const { return m_kampfnr; }
    void setKampfnr(const QString& value);

signals:
    void kampfnrChanged();

private:
    MatchRecord m_record;
    MatchFile m_file;
    QString m_kampfnr = QStringLiteral("0");
};
