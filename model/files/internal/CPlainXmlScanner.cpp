#include "CPlainXmlScanner.h"

#include <QIODevice>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace {

// Read a megabyte at a time: a file of a million nodes never sits in memory
// whole beside its tree.
constexpr qint64 Chunk = 1 << 20;

// The declarations Ramify and the usual tools write; any other, with its
// encodings and its standalone flag, is Qt's to judge.
constexpr std::string_view Declarations[] = {
    R"(<?xml version="1.0" encoding="UTF-8"?>)",
    R"(<?xml version="1.0" encoding="utf-8"?>)",
    R"(<?xml version="1.0"?>)",
};
constexpr size_t LongestDeclaration = 38;
// "&#x10FFFF;" is the longest reference let through.
constexpr size_t LongestReference = 10;

bool IsBlank(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

bool IsNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool IsNameChar(char c)
{
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// Printable ASCII a value holds as it is: not the quote that ends it, not
// the markup characters Qt refuses or might read otherwise, not DEL.
constexpr std::array<bool, 256> PlainValueBytes = [] {
    std::array<bool, 256> table{};
    for (int c = 0x20; c < 0x7F; ++c)
        table[size_t(c)] = c != '"' && c != '<' && c != '>' && c != '&';
    return table;
}();

// Characters every XML reader takes alike: no C1 controls, no
// non-characters, no byte order mark in the middle of a text.
bool IsPlainCodePoint(char32_t c)
{
    if (c == 0x9 || c == 0xA || c == 0xD)
        return true;
    if (c < 0x20 || (c >= 0x7F && c < 0xA0))
        return false;
    if (c >= 0xD800 && c <= 0xDFFF)
        return false;
    if ((c >= 0xFDD0 && c <= 0xFDEF) || c == 0xFEFF || (c & 0xFFFE) == 0xFFFE)
        return false;
    return c <= 0x10FFFF;
}

void AppendUtf8(char32_t c, std::string *pText)
{
    if (c < 0x80) {
        pText->push_back(char(c));
    } else if (c < 0x800) {
        pText->push_back(char(0xC0 | (c >> 6)));
        pText->push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        pText->push_back(char(0xE0 | (c >> 12)));
        pText->push_back(char(0x80 | ((c >> 6) & 0x3F)));
        pText->push_back(char(0x80 | (c & 0x3F)));
    } else {
        pText->push_back(char(0xF0 | (c >> 18)));
        pText->push_back(char(0x80 | ((c >> 12) & 0x3F)));
        pText->push_back(char(0x80 | ((c >> 6) & 0x3F)));
        pText->push_back(char(0x80 | (c & 0x3F)));
    }
}

// The length of the UTF-8 sequence at p (at most n bytes available), 0 when
// the bytes are no plain character, and -1 when the sequence runs past n.
int Utf8Length(const unsigned char *p, size_t n)
{
    const unsigned char b = p[0];
    int nLength = 0;
    char32_t c = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        nLength = 2;
        c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        nLength = 3;
        c = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        nLength = 4;
        c = b & 0x07;
    } else {
        return 0;
    }
    if (n < size_t(nLength))
        return -1;
    for (int i = 1; i < nLength; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (p[i] & 0x3F);
    }
    // Overlong forms and surrogates are not UTF-8.
    const char32_t lowest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < lowest[nLength] || !IsPlainCodePoint(c))
        return 0;
    return nLength;
}

} // namespace

CPlainXmlScanner::CPlainXmlScanner(QIODevice &source) : device(source) {}

bool CPlainXmlScanner::Fail()
{
    plain = false;
    return false;
}

bool CPlainXmlScanner::Fill()
{
    if (atEnd)
        return false;
    buffer.remove(0, int(next));
    next = 0;
    // A tag that is not whole yet is scanned again from its start: reading
    // as much again as is held keeps a huge one from being scanned over and
    // over.
    const int nHeld = buffer.size();
    // A byte array holds under 2 GiB; Qt reads what is larger.
    if (nHeld > std::numeric_limits<int>::max() / 2 - Chunk) {
        plain = false;
        return false;
    }
    const qint64 nWant = std::max<qint64>(Chunk, nHeld);
    buffer.resize(nHeld + int(nWant));
    const qint64 nRead = device.read(buffer.data() + nHeld, nWant);
    buffer.resize(nHeld + int(std::max<qint64>(nRead, 0)));
    if (nRead <= 0) {
        // A failing device is Qt's to report.
        if (nRead < 0)
            plain = false;
        atEnd = true;
        return false;
    }
    return true;
}

CPlainXmlScanner::Step CPlainXmlScanner::Declaration()
{
    const std::string_view held(buffer.constData() + next, size_t(buffer.size()) - next);
    if (held.size() < LongestDeclaration && !atEnd)
        return Step::NeedMore;
    if (held.substr(0, 5) != "<?xml")
        return Step::Done;
    for (const std::string_view declaration : Declarations) {
        if (held.substr(0, declaration.size()) == declaration) {
            next += declaration.size();
            return Step::Done;
        }
    }
    return Step::NotPlain;
}

bool CPlainXmlScanner::NextElement()
{
    while (plain && !started) {
        const Step step = Declaration();
        if (step == Step::NotPlain)
            return Fail();
        // At the end of the input the declaration is judged on what came.
        if (step == Step::NeedMore)
            Fill();
        started = step == Step::Done;
    }
    while (plain) {
        const char *p = buffer.constData();
        const size_t nSize = size_t(buffer.size());
        while (next < nSize && IsBlank(p[next]))
            ++next;
        if (next == nSize) {
            if (Fill())
                continue;
            // The end of the input: well-formed only after the one root.
            return rootSeen && open.empty() ? false : Fail();
        }
        if (p[next] != '<' || (rootSeen && open.empty()))
            return Fail();
        size_t nAt = next;
        bool bStart = false;
        const Step step = Tag(&nAt, &bStart);
        if (step == Step::NotPlain)
            return Fail();
        if (step == Step::NeedMore) {
            if (!Fill())
                return Fail();
            continue;
        }
        next = nAt;
        if (bStart)
            return true;
    }
    return false;
}

CPlainXmlScanner::Step CPlainXmlScanner::TagName(size_t *pAt, std::string_view *pName) const
{
    const char *p = buffer.constData();
    const size_t nSize = size_t(buffer.size());
    size_t i = *pAt;
    if (i >= nSize)
        return Step::NeedMore;
    if (!IsNameStart(p[i]))
        return Step::NotPlain;
    while (i < nSize && IsNameChar(p[i]))
        ++i;
    if (i == nSize)
        return Step::NeedMore;
    // Names beginning with "xml" are reserved, "xmlns" among them.
    const std::string_view text(p + *pAt, i - *pAt);
    if (text.size() >= 3 && (text[0] | 0x20) == 'x' && (text[1] | 0x20) == 'm' &&
        (text[2] | 0x20) == 'l')
        return Step::NotPlain;
    *pName = text;
    *pAt = i;
    return Step::Done;
}

CPlainXmlScanner::Step CPlainXmlScanner::Tag(size_t *pAt, bool *pStart)
{
    const char *p = buffer.constData();
    const size_t nSize = size_t(buffer.size());
    size_t i = *pAt + 1;
    const auto skipBlanks = [&] {
        while (i < nSize && IsBlank(p[i]))
            ++i;
        return i < nSize;
    };
    if (i >= nSize)
        return Step::NeedMore;
    if (p[i] == '/') {
        ++i;
        std::string_view end;
        if (const Step step = TagName(&i, &end); step != Step::Done)
            return step;
        if (!skipBlanks())
            return Step::NeedMore;
        if (p[i] != '>' || open.empty() || open.back() != end)
            return Step::NotPlain;
        open.pop_back();
        *pAt = i + 1;
        *pStart = false;
        return Step::Done;
    }

    std::string_view element;
    if (const Step step = TagName(&i, &element); step != Step::Done)
        return step;
    attributes.clear();
    size_t nDecoded = 0;
    bool bEmpty = false;
    for (;;) {
        const size_t nBefore = i;
        if (!skipBlanks())
            return Step::NeedMore;
        if (p[i] == '>') {
            ++i;
            break;
        }
        if (p[i] == '/') {
            if (i + 1 >= nSize)
                return Step::NeedMore;
            if (p[i + 1] != '>')
                return Step::NotPlain;
            i += 2;
            bEmpty = true;
            break;
        }
        if (i == nBefore)
            return Step::NotPlain;
        Attribute attribute;
        if (const Step step = TagName(&i, &attribute.name); step != Step::Done)
            return step;
        if (!skipBlanks())
            return Step::NeedMore;
        if (p[i] != '=')
            return Step::NotPlain;
        ++i;
        if (!skipBlanks())
            return Step::NeedMore;
        if (p[i] != '"')
            return Step::NotPlain;
        ++i;
        if (nDecoded == decoded.size())
            decoded.emplace_back();
        std::string &strDecoded = decoded[nDecoded];
        strDecoded.clear();
        if (const Step step = Value(&i, &attribute.value, &strDecoded); step != Step::Done)
            return step;
        if (attribute.value.data() == strDecoded.data())
            ++nDecoded;
        // Qt refuses an attribute given twice.
        for (const Attribute &earlier : attributes)
            if (earlier.name == attribute.name)
                return Step::NotPlain;
        attributes.push_back(attribute);
    }
    name = element;
    rootSeen = true;
    if (!bEmpty)
        open.emplace_back(element);
    *pAt = i;
    *pStart = true;
    return Step::Done;
}

CPlainXmlScanner::Step CPlainXmlScanner::Value(size_t *pAt, std::string_view *pValue,
                                               std::string *pDecoded) const
{
    const auto *p = reinterpret_cast<const unsigned char *>(buffer.constData());
    const size_t nSize = size_t(buffer.size());
    const size_t nStart = *pAt;
    size_t i = nStart;
    bool bReferences = false;
    for (;;) {
        if (i >= nSize)
            return Step::NeedMore;
        const unsigned char b = p[i];
        if (PlainValueBytes[b]) {
            ++i;
        } else if (b == '"') {
            break;
        } else if (b == '&') {
            // The reference is checked when it is decoded below.
            const size_t nEnd = std::min(nSize, i + LongestReference);
            const void *pSemicolon = std::memchr(p + i, ';', nEnd - i);
            if (!pSemicolon)
                return nEnd == nSize && nEnd < i + LongestReference ? Step::NeedMore
                                                                    : Step::NotPlain;
            i = size_t(static_cast<const unsigned char *>(pSemicolon) - p) + 1;
            bReferences = true;
        } else if (b >= 0x80) {
            const int nLength = Utf8Length(p + i, nSize - i);
            if (nLength < 0)
                return Step::NeedMore;
            if (nLength == 0)
                return Step::NotPlain;
            i += size_t(nLength);
        } else {
            // Controls, which Qt turns into blanks, and markup characters.
            return Step::NotPlain;
        }
    }
    const std::string_view raw(buffer.constData() + nStart, i - nStart);
    *pAt = i + 1;
    if (!bReferences) {
        *pValue = raw;
        return Step::Done;
    }
    for (size_t k = 0; k < raw.size();) {
        const size_t nAmpersand = raw.find('&', k);
        pDecoded->append(raw.substr(k, nAmpersand - k));
        if (nAmpersand == std::string_view::npos)
            break;
        const size_t nSemicolon = raw.find(';', nAmpersand);
        if (!Reference(raw.substr(nAmpersand + 1, nSemicolon - nAmpersand - 1), pDecoded))
            return Step::NotPlain;
        k = nSemicolon + 1;
    }
    *pValue = *pDecoded;
    return Step::Done;
}

bool CPlainXmlScanner::Reference(std::string_view text, std::string *pDecoded)
{
    static constexpr std::pair<std::string_view, char> Named[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto &[entity, c] : Named) {
        if (text == entity) {
            pDecoded->push_back(c);
            return true;
        }
    }
    if (text.size() < 2 || text[0] != '#')
        return false;
    const bool bHex = text[1] == 'x';
    const std::string_view digits = text.substr(bHex ? 2 : 1);
    if (digits.empty() || digits.size() > 7)
        return false;
    char32_t c = 0;
    for (const char d : digits) {
        int nDigit = -1;
        if (d >= '0' && d <= '9')
            nDigit = d - '0';
        else if (bHex && d >= 'a' && d <= 'f')
            nDigit = d - 'a' + 10;
        else if (bHex && d >= 'A' && d <= 'F')
            nDigit = d - 'A' + 10;
        if (nDigit < 0)
            return false;
        c = c * (bHex ? 16 : 10) + char32_t(nDigit);
    }
    if (!IsPlainCodePoint(c))
        return false;
    AppendUtf8(c, pDecoded);
    return true;
}
