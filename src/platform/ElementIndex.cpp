#include "ElementIndex.h"

#include <QDomDocument>

ElementIndex::ElementIndex(QDomElement parent) : m_parent(std::move(parent))
{
    for (QDomElement e = m_parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        ++m_count;
        QDomElement& slot = m_first[e.tagName()];
        if (slot.isNull())
            slot = e;
    }
}

QDomElement ElementIndex::get(const QString& name)
{
    QDomElement& slot = m_first[name];
    if (slot.isNull()) {
        slot = m_parent.ownerDocument().createElement(name);
        m_parent.appendChild(slot);
        ++m_count;
    }
    return slot;
}

bool ElementIndex::isFirst(const QDomElement& element) const
{
    return m_first.value(element.tagName()) == element;
}
