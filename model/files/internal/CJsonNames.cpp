#include "CJsonNames.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include <vector>

namespace {

// A name as written, escapes and all, to the text it stands for. A list of
// one string holds no names, so the parser meets no repeated one here.
QByteArray Decoded(const QByteArray &quoted)
{
    if (!quoted.contains('\\'))
        return quoted.mid(1, quoted.size() - 2);
    const QJsonDocument one = QJsonDocument::fromJson('[' + quoted + ']');
    return one.array().at(0).toString().toUtf8();
}

} // namespace

QString CJsonNames::FirstRepeated(const QByteArray &json)
{
    struct Level
    {
        bool object = false;
        bool nameNext = false;
        QSet<QByteArray> names;
    };
    std::vector<Level> levels;
    const int nSize = json.size();
    for (int i = 0; i < nSize; ++i) {
        const char c = json.at(i);
        if (c == '"') {
            const int nStart = i++;
            while (i < nSize && json.at(i) != '"')
                i += json.at(i) == '\\' ? 2 : 1;
            if (i >= nSize)
                return QString();
            if (levels.empty() || !levels.back().nameNext)
                continue;
            Level &level = levels.back();
            level.nameNext = false;
            const QByteArray name = Decoded(json.mid(nStart, i - nStart + 1));
            if (level.names.contains(name))
                return QString::fromUtf8(name);
            level.names.insert(name);
        } else if (c == '{' || c == '[') {
            levels.push_back({c == '{', c == '{', {}});
        } else if (c == '}' || c == ']') {
            if (!levels.empty())
                levels.pop_back();
        } else if (c == ',' && !levels.empty() && levels.back().object) {
            levels.back().nameNext = true;
        }
    }
    return QString();
}
