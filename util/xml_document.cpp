// The XML document: loading with the declared encoding, and writing as wide or narrow text.
#include "util/xml_tree.h"

#include <memory>

namespace {
bool EqualsAsciiNoCase(const CString& a, LPCWSTR b)
{
    return a.CompareNoCase(b) == 0;
}
} // namespace

void CRXMLDocument::SetEncoding(int encoding)
{
    m_nEncoding = encoding;
    if (encoding == encodingUtf8)
        m_declaration.SetAttribute(L"encoding", L"UTF-8");
    if (!m_declaration.m_attributes.empty() && m_declaration.m_strName.IsEmpty())
        m_declaration.m_strName = L"?xml";
}

bool CRXMLDocument::Load(CRXMLItem::CStreamIO* stream, CRXMLItem::CEncodingIO* decoder)
{
    m_declaration.Clear();
    m_declaration.m_nKind = CRXMLItem::kindProcessing;
    m_items.clear();
    if (stream == nullptr)
        return false;

    std::unique_ptr<CRXMLItem::CEncodingIO> ownDecoder;
    if (decoder == nullptr)
    {
        ownDecoder = std::make_unique<CRXMLItem::CWindowsEncodingIO>(stream);
        decoder = ownDecoder.get();
    }

    CRXMLItem first;
    if (!first.ReadElement(*decoder))
        return false;
    if (first.m_nKind != CRXMLItem::kindProcessing)
        m_items.push_back(std::move(first));
    else
    {
        m_declaration.m_strName = first.m_strName;
        m_declaration.m_attributes = first.m_attributes;
        CString name;
        if (m_declaration.GetAttribute(L"encoding", name))
        {
            int encoding;
            if (EqualsAsciiNoCase(name, L"UTF-8"))
                encoding = encodingUtf8;
            else if (EqualsAsciiNoCase(name, L"windows-1251"))
                encoding = encodingAnsi;
            else
                return false;
            m_nEncoding = encoding;
            if (stream->SupportsEncoding(encoding))
            {
                if (encoding == encodingUtf8)
                    ownDecoder = std::make_unique<CRXMLItem::CUTF8EncodingIO>(stream);
                else
                    ownDecoder = std::make_unique<CRXMLItem::CWindowsEncodingIO>(stream);
                decoder = ownDecoder.get();
            }
            else if (!stream->SupportsEncoding(encodingUtf16))
                return false;
            // A wide stream holds text that is already decoded: it is read as it stands and the
            // declared encoding is only remembered for writing.
        }
    }

    // Every further node must parse: anything else after the last node would be lost.
    while (!xml_detail::AtEndOfInput(*decoder))
    {
        CRXMLItem item;
        if (!item.ReadElement(*decoder))
            return false;
        m_items.push_back(std::move(item));
    }
    return true;
}

bool CRXMLDocument::LoadFromString(LPCWSTR text)
{
    SetEncoding(encodingUtf16);
    CString copy(text);
    try
    {
        CRXMLItem::CStreamEncoding<CRXMLItem::CStringIO<wchar_t>, CRXMLItem::CUnicodeEncodingIO>
            decoder(copy);
        return Load(decoder.GetStream(), &decoder);
    }
    catch (CException* e)
    {
        e->Delete();
        return false;
    }
}

bool CRXMLDocument::LoadFromStringA(LPCSTR text)
{
    SetEncoding(encodingAnsi);
    CStringA copy(text);
    try
    {
        CRXMLItem::CStreamEncoding<CRXMLItem::CStringIO<char>, CRXMLItem::CWindowsEncodingIO>
            decoder(copy);
        return Load(decoder.GetStream(), &decoder);
    }
    catch (CException* e)
    {
        e->Delete();
        return false;
    }
}

bool CRXMLDocument::WriteDeclaration(CRXMLItem::CStreamIO* stream, const CRXMLFormat& format) const
{
    if (m_declaration.IsEmpty())
        return true;
    if (stream->SupportsEncoding(encodingAnsi))
    {
        CRXMLItem::CWindowsEncodingIO encoder(stream);
        return m_declaration.Write(encoder, 0, format);
    }
    if (stream->SupportsEncoding(encodingUtf16))
    {
        CRXMLItem::CUnicodeEncodingIO encoder(stream);
        return m_declaration.Write(encoder, 0, format);
    }
    return false;
}

bool CRXMLDocument::WriteItems(CRXMLItem::CEncodingIO& encoder, const CRXMLFormat& format) const
{
    if (!WriteDeclaration(encoder.GetStream(), format))
        return false;
    for (const CRXMLItem& item : m_items)
    {
        if (!item.Write(encoder, 0, format))
            return false;
    }
    return true;
}

CString CRXMLDocument::GetXML(const CRXMLFormat& format) const
{
    if (m_nEncoding != encodingAnsi && m_nEncoding != encodingUtf8 && m_nEncoding != encodingUtf16)
        return CString();
    // Wide text needs no code page: whatever the declared encoding, the characters are written
    // as they are, so nothing outside the ANSI code page is lost.
    CString text;
    try
    {
        CRXMLItem::CStreamEncoding<CRXMLItem::CStringIO<wchar_t>, CRXMLItem::CUnicodeEncodingIO>
            encoder(text);
        if (!WriteItems(encoder, format))
            return CString();
    }
    catch (CException* e)
    {
        e->Delete();
        return CString();
    }
    return text;
}

CStringA CRXMLDocument::GetXMLA(const CRXMLFormat& format) const
{
    CStringA text;
    try
    {
        bool written;
        if (m_nEncoding == encodingAnsi)
        {
            CRXMLItem::CStreamEncoding<CRXMLItem::CStringIO<char>, CRXMLItem::CWindowsEncodingIO>
                encoder(text);
            written = WriteItems(encoder, format);
        }
        else if (m_nEncoding == encodingUtf8)
        {
            CRXMLItem::CStreamEncoding<CRXMLItem::CStringIO<char>, CRXMLItem::CUTF8EncodingIO>
                encoder(text);
            written = WriteItems(encoder, format);
        }
        else
            return CStringA();
        if (!written)
            return CStringA();
    }
    catch (CException* e)
    {
        e->Delete();
        return CStringA();
    }
    return text;
}
