#pragma once

#include <QByteArray>

#include <deque>
#include <string>
#include <string_view>
#include <vector>

class QIODevice;

// Reads the plain XML that project files are written in, many times faster
// than QXmlStreamReader: a UTF-8 document of elements and attributes, with
// blanks between them. Whatever lies outside that form (a document type,
// comments, text, namespaces, other encodings, characters Qt might treat
// otherwise, any error) stops the scan as not plain, and the caller reads
// the file again through Qt. So nothing is accepted that Qt would refuse,
// and every value is the one Qt would give.
class CPlainXmlScanner
{
public:
    struct Attribute
    {
        std::string_view name;
        // With its references replaced.
        std::string_view value;
    };

    explicit CPlainXmlScanner(QIODevice &device);
    CPlainXmlScanner(const CPlainXmlScanner &) = delete;
    CPlainXmlScanner &operator=(const CPlainXmlScanner &) = delete;

    // The next start tag in document order; its name and attributes stay
    // valid until the next call. False at the well-formed end of the
    // document, and where it is not plain.
    bool NextElement();
    std::string_view Name() const { return name; }
    const std::vector<Attribute> &Attributes() const { return attributes; }
    // False once the document left the plain form; what was scanned so far
    // is then to be read again through Qt.
    bool Plain() const { return plain; }

private:
    enum class Step
    {
        Done,
        NeedMore,
        NotPlain,
    };
    bool Fill();
    Step Declaration();
    Step Tag(size_t *pAt, bool *pStart);
    Step TagName(size_t *pAt, std::string_view *pName) const;
    Step Value(size_t *pAt, std::string_view *pValue, std::string *pDecoded) const;
    static bool Reference(std::string_view text, std::string *pDecoded);
    bool Fail();

    QIODevice &device;
    // Bytes read and not yet scanned start at next.
    QByteArray buffer;
    size_t next = 0;
    bool atEnd = false;
    bool plain = true;
    bool started = false;
    bool rootSeen = false;
    std::vector<std::string> open;
    std::string_view name;
    std::vector<Attribute> attributes;
    // Values that held references, decoded; reused from tag to tag. A deque,
    // so that adding one leaves the others where the views see them.
    std::deque<std::string> decoded;
};
