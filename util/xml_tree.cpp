// The XML node: attributes, entity escaping, parsing of one node and writing a subtree.
#include "util/xml_tree.h"

namespace {
bool IsXmlSpace(wchar_t ch)
{
    return ch == L' ' || ch == L'\t' || ch == L'\r' || ch == L'\n';
}

wchar_t AsciiLower(wchar_t ch)
{
    return ch >= L'A' && ch <= L'Z' ? wchar_t(ch + (L'a' - L'A')) : ch;
}

bool EqualsNoCase(LPCWSTR a, LPCWSTR b)
{
    for (; *a && *b; ++a, ++b)
    {
        if (AsciiLower(*a) != AsciiLower(*b))
            return false;
    }
    return *a == *b;
}

bool StartsWith(const CString& text, LPCWSTR prefix)
{
    return wcsncmp(text, prefix, wcslen(prefix)) == 0;
}

bool EndsWith(const CString& text, LPCWSTR suffix)
{
    int n = int(wcslen(suffix));
    return text.GetLength() >= n && wcscmp(text.GetString() + text.GetLength() - n, suffix) == 0;
}

// Character reading over a decoder with the ability to step back to an earlier place. A place
// is the stream position plus a low surrogate the UTF-8 decoder may still be holding.
class CCharReader
{
public:
    struct Place
    {
        int position;
        wchar_t pending;
    };

    explicit CCharReader(CRXMLItem::CEncodingIO& decoder)
        : m_decoder(decoder), m_stream(*decoder.GetStream())
    {}

    Place Here() const { return {m_stream.GetPosition(), m_stream.GetPendingChar()}; }

    void Return(const Place& place)
    {
        if (m_stream.GetPosition() != place.position)
            m_stream.Seek(place.position, 0);
        m_stream.SetPendingChar(place.pending);
    }

    bool Next(wchar_t& ch) { return m_decoder.ReadChar(ch) != 0; }

    // The next character that is not white space.
    bool Skip(wchar_t& ch)
    {
        while (Next(ch))
        {
            if (!IsXmlSpace(ch))
                return true;
        }
        return false;
    }

    // Skip, leaving the character found to be read again.
    bool PeekSkip(wchar_t& ch)
    {
        for (;;)
        {
            Place before = Here();
            if (!Next(ch))
                return false;
            if (!IsXmlSpace(ch))
            {
                Return(before);
                return true;
            }
        }
    }

    // Nothing but white space up to the end of the input.
    bool AtEnd()
    {
        wchar_t ch;
        return !PeekSkip(ch);
    }

private:
    CRXMLItem::CEncodingIO& m_decoder;
    CRXMLItem::CStreamIO& m_stream;
};

// Elements nest at most this deep; deeper input is refused rather than exhausting the stack.
const int kMaxDepth = 1000;

bool ReadNode(CRXMLItem& node, CCharReader& in, int depth);

// The name after '<' (steps: plain names end at '/', '>' or white space; names starting with
// '!' run to the "--" that closes a comment).
bool ReadName(CCharReader& in, CString& name)
{
    name.Empty();
    bool comment = false;
    for (;;)
    {
        CCharReader::Place before = in.Here();
        wchar_t ch;
        if (!in.Next(ch))
            return false;
        if (name.IsEmpty() && ch == L'!')
            comment = true;
        if (!comment)
        {
            if (ch == L'/' || ch == L'>')
            {
                in.Return(before);
                return true;
            }
            if (IsXmlSpace(ch))
                return true;
            name += ch;
            continue;
        }
        if (ch == L'-' && name.GetLength() > 3 && StartsWith(name, L"!--") && EndsWith(name, L"-"))
        {
            name += ch;
            CCharReader::Place afterDash = in.Here();
            if (!in.Next(ch) || ch != L'>')
                return false;
            in.Return(afterDash);
            return true;
        }
        name += ch;
    }
}

// Characters up to (not including) `stop`, which is consumed; false at the end of the input.
bool ReadUntil(CCharReader& in, wchar_t stop, CString& text)
{
    wchar_t ch;
    while (in.Next(ch))
    {
        if (ch == stop)
            return true;
        text += ch;
    }
    return false;
}

// An attribute starting with `first`: name up to '=', then a double-quoted value read whole.
bool ReadAttribute(CRXMLItem& node, CCharReader& in, wchar_t first)
{
    CString name(first, 1);
    for (;;)
    {
        CCharReader::Place before = in.Here();
        wchar_t ch;
        if (!in.Next(ch))
            return false;
        if (ch == L'=')
            break;
        if (ch == L'>')
        {
            in.Return(before);
            break;
        }
        name += ch;
    }
    wchar_t quote;
    if (!in.Skip(quote) || quote != L'"')
        return false;
    CString value;
    if (!ReadUntil(in, L'"', value))
        return false;
    node.m_attributes.emplace_back(name, CRXMLItem::UnescapeText(value));
    return true;
}

// Children (and the closing tag) of an element whose opening tag has been read.
bool ReadChildren(CRXMLItem& node, CCharReader& in, int depth)
{
    for (;;)
    {
        CCharReader::Place before = in.Here();
        wchar_t ch;
        if (!in.Skip(ch) || ch != L'<')
            return false;
        if (!in.Skip(ch))
            return false;
        if (ch == L'/')
        {
            CString closing;
            for (;;)
            {
                CCharReader::Place at = in.Here();
                if (!in.Next(ch))
                    return false;
                if (ch == L'/' || ch == L'>')
                {
                    in.Return(at);
                    break;
                }
                if (IsXmlSpace(ch))
                    break;
                closing += ch;
            }
            if (!EqualsNoCase(closing, node.m_strName))
                return false;
            return in.Skip(ch) && ch == L'>';
        }
        in.Return(before);
        CRXMLItem child;
        if (!ReadNode(child, in, depth + 1))
            return false;
        node.m_children.push_back(std::move(child));
    }
}

bool ReadNode(CRXMLItem& node, CCharReader& in, int depth)
{
    node.Clear();
    if (depth >= kMaxDepth)
        return false;
    wchar_t ch;
    if (!in.Skip(ch) || ch != L'<')
        return false;
    if (!in.PeekSkip(ch))
        return false;
    if (!ReadName(in, node.m_strName) || node.m_strName.IsEmpty())
        return false;

    if (node.m_strName[0] == L'!')
    {
        if (!in.Skip(ch) || ch != L'>')
            return false;
        // "<!---->" (an empty comment) is a comment too.
        if (node.m_strName.GetLength() >= 5 && StartsWith(node.m_strName, L"!--") &&
            EndsWith(node.m_strName, L"--"))
        {
            node.m_nKind = CRXMLItem::kindComment;
            return true;
        }
        return false; // document type declarations and other markup are not supported
    }

    node.m_nKind = node.m_strName[0] == L'?' ? CRXMLItem::kindProcessing : CRXMLItem::kindElement;
    if (!in.Skip(ch))
        return false;
    for (;;)
    {
        if (ch == L'>')
        {
            if (node.m_nKind == CRXMLItem::kindProcessing)
                return true;
            CCharReader::Place afterTag = in.Here();
            if (!in.Skip(ch))
                return false;
            if (ch == L'<')
            {
                in.Return(afterTag);
                return ReadChildren(node, in, depth);
            }
            // Text: up to the next '<'; leading white space was skipped, trailing is kept.
            CString text(ch, 1);
            for (;;)
            {
                CCharReader::Place at = in.Here();
                if (!in.Next(ch))
                    break;
                if (ch == L'<')
                {
                    in.Return(at);
                    break;
                }
                text += ch;
            }
            node.m_strText = CRXMLItem::UnescapeText(text);
            return ReadChildren(node, in, depth);
        }
        if (ch == L'?' && node.m_nKind == CRXMLItem::kindProcessing)
            return in.Skip(ch) && ch == L'>';
        if (ch == L'/')
            return in.Skip(ch) && ch == L'>';
        if (!ReadAttribute(node, in, ch))
            return false;
        if (!in.Skip(ch))
            return false;
    }
}
} // namespace

bool xml_detail::AtEndOfInput(CRXMLItem::CEncodingIO& decoder)
{
    CCharReader in(decoder);
    return in.AtEnd();
}

CRXMLItem::CRXMLItem(int kind) : m_nKind(kind) {}

CRXMLItem::~CRXMLItem() = default;

void CRXMLItem::Clear()
{
    m_strName.Empty();
    m_strText.Empty();
    m_attributes.clear();
    m_children.clear();
}

bool CRXMLItem::IsEmpty() const
{
    return m_strName.IsEmpty() && m_strText.IsEmpty() && m_attributes.empty() && m_children.empty();
}

int CRXMLItem::FindAttribute(LPCWSTR name) const
{
    for (size_t i = 0; i < m_attributes.size(); ++i)
    {
        if (EqualsNoCase(m_attributes[i].first, name ? name : L""))
            return int(i);
    }
    return -1;
}

bool CRXMLItem::GetAttribute(LPCWSTR name, CString& value) const
{
    int index = FindAttribute(name);
    if (index < 0)
        return false;
    value = m_attributes[size_t(index)].second;
    return true;
}

bool CRXMLItem::SetAttribute(LPCWSTR name, LPCWSTR value)
{
    int index = FindAttribute(name);
    if (index >= 0)
        m_attributes[size_t(index)].second = value;
    else
        m_attributes.emplace_back(CString(name), CString(value));
    return true;
}

bool CRXMLItem::ReadElement(CEncodingIO& decoder)
{
    CCharReader in(decoder);
    return ReadNode(*this, in, 0);
}

CString CRXMLItem::EscapeText(const CString& text)
{
    CString out;
    out.Preallocate(text.GetLength());
    for (int i = 0; i < text.GetLength(); ++i)
    {
        wchar_t ch = text[i];
        switch (ch)
        {
        case L'&': out += L"&amp;"; break;
        case L'"': out += L"&quot;"; break;
        case L'<': out += L"&lt;"; break;
        case L'>': out += L"&gt;"; break;
        default: out += ch; break;
        }
    }
    return out;
}

CString CRXMLItem::UnescapeText(const CString& text)
{
    // One pass from left to right, so that the text a replacement produces is never read again
    // ("&amp;#10;" gives "&#10;", not a line feed).
    static const struct
    {
        LPCWSTR entity;
        wchar_t ch;
    } entities[] = {{L"&gt;", L'>'},   {L"&lt;", L'<'},   {L"&quot;", L'"'}, {L"&amp;", L'&'},
                    {L"&#13;", L'\r'}, {L"&#10;", L'\n'}, {L"&#xD;", L'\r'}, {L"&#xA;", L'\n'}};
    if (text.Find(L'&') < 0)
        return text;
    CString out;
    out.Preallocate(text.GetLength());
    LPCWSTR p = text;
    LPCWSTR end = p + text.GetLength();
    while (p < end)
    {
        if (*p == L'&')
        {
            bool replaced = false;
            for (const auto& e : entities)
            {
                size_t n = wcslen(e.entity);
                if (size_t(end - p) >= n && wcsncmp(p, e.entity, n) == 0)
                {
                    out += e.ch;
                    p += n;
                    replaced = true;
                    break;
                }
            }
            if (replaced)
                continue;
        }
        out += *p++;
    }
    return out;
}

bool CRXMLItem::Write(CEncodingIO& encoder, int level, const CRXMLFormat& format) const
{
    CString indent;
    for (int i = 0; i < level; ++i)
        indent += format.indent;

    if (m_nKind == kindComment)
    {
        encoder.Write(indent + L"<" + m_strName + L">" + format.lineEnd);
        return true;
    }

    CString line = indent + L"<" + m_strName;
    const bool separateLines = m_attributes.size() > 1 && !format.newLine.IsEmpty();
    for (const Attribute& attribute : m_attributes)
    {
        if (separateLines)
            line += format.newLine + indent + format.indent;
        else
            line += L" ";
        line += attribute.first + L"=\"" + EscapeText(attribute.second) + L"\"";
    }

    if (m_nKind == kindProcessing)
    {
        encoder.Write(line + L"?>" + format.lineEnd);
        return true;
    }
    const bool hasChildren = !m_children.empty();
    if (m_strText.IsEmpty() && !hasChildren)
    {
        encoder.Write(line + L"/>" + format.lineEnd);
        return true;
    }

    line += L">";
    if (hasChildren)
        line += format.newLine;
    encoder.Write(line);

    if (!m_strText.IsEmpty())
    {
        if (hasChildren)
            encoder.Write(indent + format.indent);
        encoder.Write(EscapeText(m_strText));
        if (hasChildren)
            encoder.Write(format.newLine);
    }
    for (const CRXMLItem& child : m_children)
    {
        if (!child.Write(encoder, level + 1, format))
            return false;
    }
    encoder.Write((hasChildren ? indent : CString()) + L"</" + m_strName + L">" + format.lineEnd);
    return true;
}

bool CRXMLItem::LoadFromString(LPCWSTR text)
{
    CRXMLDocument document;
    if (!document.LoadFromString(text))
        return false;
    for (CRXMLItem& item : document.m_items)
    {
        if (item.m_nKind == kindElement)
        {
            *this = std::move(item);
            return true;
        }
    }
    return false;
}

CString CRXMLItem::GetXML(LPCWSTR indent, LPCWSTR lineBreak) const
{
    CRXMLFormat format;
    format.indent = indent;
    format.newLine = lineBreak;
    format.lineEnd = lineBreak;
    CString text;
    try
    {
        CStreamEncoding<CStringIO<wchar_t>, CUnicodeEncodingIO> encoder(text);
        if (!Write(encoder, 0, format))
            return CString();
    }
    catch (CException* e)
    {
        e->Delete();
        return CString();
    }
    return text;
}
