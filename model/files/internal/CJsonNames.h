#pragma once

#include <QByteArray>
#include <QString>

// Names that come twice in one JSON object. Which of them counts is left
// open by JSON itself, and Qt's parser keeps the last but never frees a
// nested object or list given to one before it; such a file is refused
// before it reaches the parser.
class CJsonNames
{
public:
    // The first name that comes twice in one object, decoded; a null string
    // when there is none. Text that is no JSON is left to the parser.
    static QString FirstRepeated(const QByteArray &json);
};
