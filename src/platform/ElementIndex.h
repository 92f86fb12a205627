#pragma once

#include <QDomElement>
#include <QHash>
#include <QString>

// The first child element of each name under one parent, found in one pass, so that reading or
// writing many children by name stays linear.
class ElementIndex
{
public:
    explicit ElementIndex(QDomElement parent);
    // The first child element named `name`; appended empty when missing, as XmlDocument::child.
    QDomElement get(const QString& name);
    // True when `element` is the first child of its name (the one get() gives).
    bool isFirst(const QDomElement& element) const;
    int elementCount() const { return m_count; }

private:
    QDomElement m_parent;
    QHash<QString, QDomElement> m_first;
    int m_count = 0;
};
