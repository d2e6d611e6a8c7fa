#include "CProjectSettings.h"

#include <QXmlStreamAttributes>
#include <QXmlStreamWriter>

bool CProjectSettings::operator==(const CProjectSettings &) const
{
    return true;
}

void CProjectSettings::ReadAttributes(const QXmlStreamAttributes &) {}

void CProjectSettings::WriteAttributes(QXmlStreamWriter &) const {}
