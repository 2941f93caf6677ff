// A small XML reader and writer: elements, double-quoted attributes, text, comments and
// processing instructions, the entities &amp; &quot; &lt; &gt; and the character references
// &#13; &#10; &#xD; &#xA;. Documents are ANSI, UTF-8 or UTF-16 text.
#pragma once

#include "framework/core.h"
#include "util/text_encoding.h"

#include <utility>
#include <vector>

// The layout of written text.
struct CRXMLFormat
{
    CString indent;  // written once per nesting level
    CString newLine; // after an opening tag with children, between attributes on their own lines
    CString lineEnd; // at the end of every tag line
};

// One node of the tree: a processing instruction, a comment or an element with its attributes,
// text and children. Copying copies the whole subtree.
class CRXMLItem
{
public:
    enum Kind
    {
        kindProcessing = 0, // "<?name ...?>"; the name keeps its '?'
        kindComment = 1,    // the name is everything between '<' and '>' ("!-- text --")
        kindElement = 2,
    };

    using Attribute = std::pair<CString, CString>; // name, unescaped value

    // ---- Byte streams and character codecs ----

    // A byte stream with a position. Write inserts at the position and moves past the bytes;
    // Seek (origin 0 begin, 1 current, 2 end) outside the data leaves the position and throws
    // CFileException::badSeek for a nonzero move.
    class CStreamIO : public REncode::CReaderBase
    {
    public:
        virtual int Write(const void* buffer, int count) = 0;
        virtual int Seek(int offset, int origin) = 0;
        virtual int GetPosition() = 0;
        virtual bool SupportsEncoding(int encoding) = 0;
    };

    // A stream over a caller's string (narrow: encodings 0 and 1, wide: encoding 2). Positions
    // and counts are in bytes; the wide stream rounds odd counts down.
    template <class TChar>
    class CStringIO;

    // Decodes characters from a stream and encodes text into it.
    class CEncodingIO
    {
    public:
        explicit CEncodingIO(CStreamIO* stream) : m_pStream(stream) {}
        virtual ~CEncodingIO() = default;
        // One UTF-16 unit; gives the bytes consumed, 0 when nothing could be read.
        virtual int ReadChar(wchar_t& ch) = 0;
        // Encodes the whole text into the stream (an empty text writes nothing).
        virtual void Write(const CString& text) = 0;

        CStreamIO* GetStream() const { return m_pStream; }

    protected:
        CStreamIO* m_pStream;
    };

    // Encoding 0: the system ANSI code page.
    class CWindowsEncodingIO : public CEncodingIO
    {
    public:
        using CEncodingIO::CEncodingIO;
        int ReadChar(wchar_t& ch) override;
        void Write(const CString& text) override;
    };

    // Encoding 2: UTF-16 little-endian.
    class CUnicodeEncodingIO : public CEncodingIO
    {
    public:
        using CEncodingIO::CEncodingIO;
        int ReadChar(wchar_t& ch) override;
        void Write(const CString& text) override;
    };

    // Encoding 1: UTF-8. Characters beyond 16 bits are read as surrogate pairs.
    class CUTF8EncodingIO : public CEncodingIO
    {
    public:
        using CEncodingIO::CEncodingIO;
        int ReadChar(wchar_t& ch) override;
        void Write(const CString& text) override;
    };

    // A codec bound to a stream object of its own over the given string.
    template <class TStream, class TEncoding>
    class CStreamEncoding;

    // ---- The node ----

    explicit CRXMLItem(int kind = kindElement);
    ~CRXMLItem();
    CRXMLItem(const CRXMLItem& other) = default;
    CRXMLItem& operator=(const CRXMLItem& other) = default;
    CRXMLItem(CRXMLItem&& other) noexcept = default;
    CRXMLItem& operator=(CRXMLItem&& other) noexcept = default;

    // Empties name, text, attributes and children; the kind stays.
    void Clear();
    bool IsEmpty() const;

    // Attribute names are compared without regard to ASCII case.
    int FindAttribute(LPCWSTR name) const;
    bool GetAttribute(LPCWSTR name, CString& value) const;
    // Replaces the value of an existing attribute (keeping its stored name) or appends one.
    bool SetAttribute(LPCWSTR name, LPCWSTR value);

    // Parses one node at the decoder's position into this node; false when it is not well formed.
    bool ReadElement(CEncodingIO& decoder);
    // Writes this node and its subtree at the given nesting level.
    bool Write(CEncodingIO& encoder, int level, const CRXMLFormat& format) const;

    // Parses a wide string and keeps its root element; true when it is well formed.
    bool LoadFromString(LPCWSTR text);
    // This node and its subtree as text; empty indent and line break give one line.
    CString GetXML(LPCWSTR indent, LPCWSTR lineBreak) const;

    static CString EscapeText(const CString& text);
    static CString UnescapeText(const CString& text);

    int m_nKind;
    CString m_strName;
    std::vector<Attribute> m_attributes;
    std::vector<CRXMLItem> m_children;
    CString m_strText;
};

template <>
class CRXMLItem::CStringIO<char> : public CRXMLItem::CStreamIO
{
public:
    explicit CStringIO(CStringA& text) : m_text(text) {}
    int Read(void* buffer, int count) override;
    int Write(const void* buffer, int count) override;
    int Seek(int offset, int origin) override;
    int GetPosition() override { return m_nPos; }
    bool SupportsEncoding(int encoding) override { return encoding == 0 || encoding == 1; }

private:
    CStringA& m_text;
    int m_nPos = 0; // bytes
};

template <>
class CRXMLItem::CStringIO<wchar_t> : public CRXMLItem::CStreamIO
{
public:
    explicit CStringIO(CString& text) : m_text(text) {}
    int Read(void* buffer, int count) override;
    int Write(const void* buffer, int count) override;
    int Seek(int offset, int origin) override;
    int GetPosition() override { return m_nPos * int(sizeof(wchar_t)); }
    bool SupportsEncoding(int encoding) override { return encoding == 2; }

private:
    CString& m_text;
    int m_nPos = 0; // characters
};

template <class TStream, class TEncoding>
class CRXMLItem::CStreamEncoding : public TEncoding
{
public:
    template <class TString>
    explicit CStreamEncoding(TString& text) : TEncoding(nullptr), m_stream(text)
    {
        this->m_pStream = &m_stream;
    }
    TStream& GetStreamObject() { return m_stream; }

private:
    TStream m_stream;
};

namespace xml_detail {
// Nothing but white space is left before the end of the input.
bool AtEndOfInput(CRXMLItem::CEncodingIO& decoder);
} // namespace xml_detail

// A whole document: its encoding, its "?xml" declaration and its top-level nodes.
class CRXMLDocument
{
public:
    enum Encoding
    {
        encodingAnsi = 0,  // declared as "windows-1251"
        encodingUtf8 = 1,  // declared as "UTF-8"
        encodingUtf16 = 2, // wide text
    };

    CRXMLDocument() : m_declaration(CRXMLItem::kindProcessing) {}

    // Encoding 1 also sets the declaration's "encoding" attribute to "UTF-8".
    void SetEncoding(int encoding);
    int GetEncoding() const { return m_nEncoding; }

    // Parses wide text. A declared "UTF-8" or "windows-1251" is remembered for writing; the
    // text itself is already decoded and is parsed as it stands.
    bool LoadFromString(LPCWSTR text);
    // Parses narrow text in the ANSI code page, or UTF-8 when the declaration says so.
    bool LoadFromStringA(LPCSTR text);
    // The load itself; without a decoder the ANSI one is used. Fails on anything after the
    // last node other than white space.
    bool Load(CRXMLItem::CStreamIO* stream, CRXMLItem::CEncodingIO* decoder = nullptr);

    // The whole document as wide text (the declaration keeps its encoding name); empty when
    // writing fails or the encoding is unknown.
    CString GetXML(const CRXMLFormat& format) const;
    // The document as bytes in its encoding (0 ANSI or 1 UTF-8); empty for other encodings.
    CStringA GetXMLA(const CRXMLFormat& format) const;
    bool WriteDeclaration(CRXMLItem::CStreamIO* stream, const CRXMLFormat& format) const;

    int m_nEncoding = encodingAnsi;
    CRXMLItem m_declaration;
    std::vector<CRXMLItem> m_items;

private:
    bool WriteItems(CRXMLItem::CEncodingIO& encoder, const CRXMLFormat& format) const;
};
