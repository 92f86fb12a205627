#pragma once

#include <QByteArray>
#include <QString>

// Read access to an INI file with the lookup rules of the Windows profile reader the console's
// files were written for: section and key names match without regard to case, values lose
// surrounding blanks and one pair of enclosing quotes, and anything missing gives the fallback.
// The text is Windows-1252, or UTF-8 when it starts with the UTF-8 byte-order mark; lines end in
// CR LF, LF or CR; lines starting with ';' are comments.
//
// The file is read once; each lookup scans it afresh and stops at the first match, so a
// licence-data file of 100,000 sections costs no index and no start-up time.
class IniFile
{
public:
    explicit IniFile(const QString& path);

    // False when the file could not be read; every lookup then gives its fallback.
    bool exists() const { return m_exists; }

    // The value of `key` in `section`. With duplicates the first key wins, and sections of the
    // same name count as one (keys from the first occurrence win). A key with an empty value
    // gives the empty string, not the fallback.
    QString value(const QString& section, const QString& key, const QString& fallback = {}) const;

    // One lookup in the file at `path`.
    static QString read(const QString& path, const QString& section, const QString& key,
                        const QString& fallback = {});

private:
    QByteArray m_data;
    bool m_exists = false;
    bool m_utf8 = false;
};
