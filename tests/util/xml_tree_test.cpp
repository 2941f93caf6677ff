#include <gtest/gtest.h>

#include "util/xml_tree.h"

namespace {
CRXMLFormat Format(LPCWSTR indent, LPCWSTR newLine, LPCWSTR lineEnd)
{
    CRXMLFormat f;
    f.indent = indent;
    f.newLine = newLine;
    f.lineEnd = lineEnd;
    return f;
}

const CRXMLFormat kEditor = Format(L"\t", L"\r\n", L"\r\n");
const CRXMLFormat kOneLine = Format(L"", L"", L"");

bool Load(CRXMLDocument& doc, LPCWSTR text)
{
    doc.SetEncoding(0); // as the value editor does
    return doc.LoadFromString(text);
}

const CRXMLItem& Root(const CRXMLDocument& doc)
{
    static const CRXMLItem none;
    for (const CRXMLItem& item : doc.m_items)
    {
        if (item.m_nKind == CRXMLItem::kindElement)
            return item;
    }
    return none;
}
} // namespace

TEST(XmlRead, AttributesTextAndLayout)
{
    CRXMLDocument doc;
    ASSERT_TRUE(Load(doc, L"<root a=\"1\" b=\"x &amp; y\">hello</root>"));
    const CRXMLItem& root = Root(doc);
    EXPECT_STREQ(L"root", root.m_strName);
    CString value;
    ASSERT_TRUE(root.GetAttribute(L"B", value)); // attribute names ignore case
    EXPECT_STREQ(L"x & y", value);
    EXPECT_STREQ(L"hello", root.m_strText);

    EXPECT_STREQ(L"<root\r\n\ta=\"1\"\r\n\tb=\"x &amp; y\">hello</root>\r\n", doc.GetXML(kEditor));
    EXPECT_STREQ(L"<root a=\"1\" b=\"x &amp; y\">hello</root>", doc.GetXML(kOneLine));
}

TEST(XmlRead, StructureVerdicts)
{
    CRXMLDocument doc;
    EXPECT_TRUE(Load(doc, L"<A>x</a>"));
    EXPECT_FALSE(Load(doc, L"<a>x</b>"));
    EXPECT_FALSE(Load(doc, L"<a v='1'/>"));
    EXPECT_TRUE(Load(doc, L"<a>text<b/></a>"));
    EXPECT_FALSE(Load(doc, L"<a><b/>text</a>"));
    EXPECT_FALSE(Load(doc, L"<a><b></a>"));
    EXPECT_FALSE(Load(doc, L"<a>"));
    EXPECT_FALSE(Load(doc, L"plain text"));
    EXPECT_FALSE(Load(doc, L""));
    EXPECT_FALSE(Load(doc, L"<!DOCTYPE html><a/>"));
    EXPECT_TRUE(Load(doc, L"  < a  x=\"1\" / >  "));
}

TEST(XmlRead, TextKeepsTrailingBlanks)
{
    CRXMLDocument doc;
    ASSERT_TRUE(Load(doc, L"<a>  word  </a>"));
    EXPECT_STREQ(L"word  ", Root(doc).m_strText);
}

TEST(XmlRead, CommentsAroundRoot)
{
    CRXMLDocument doc;
    ASSERT_TRUE(Load(doc, L"<!-- note > here --><a/><!---->"));
    ASSERT_EQ(3u, doc.m_items.size());
    EXPECT_EQ(CRXMLItem::kindComment, doc.m_items[0].m_nKind);
    EXPECT_STREQ(L"!-- note > here --", doc.m_items[0].m_strName);
    EXPECT_EQ(CRXMLItem::kindComment, doc.m_items[2].m_nKind);
    EXPECT_STREQ(L"<!-- note > here -->\n<a/>\n<!---->\n", doc.GetXML(Format(L" ", L"\n", L"\n")));
}

TEST(XmlRead, QuotedValueIsReadWhole)
{
    CRXMLDocument doc;
    ASSERT_TRUE(Load(doc, L"<a cond=\"x > 1\" next=\"2\"/>"));
    CString value;
    ASSERT_TRUE(Root(doc).GetAttribute(L"cond", value));
    EXPECT_STREQ(L"x > 1", value);
    ASSERT_TRUE(Root(doc).GetAttribute(L"next", value));
    EXPECT_STREQ(L"2", value);
    EXPECT_FALSE(Load(doc, L"<a v=\"unterminated/>"));
}

TEST(XmlRead, BrokenOrTrailingContentFailsTheLoad)
{
    CRXMLDocument doc;
    // A broken root after a declaration must not load as an empty document.
    EXPECT_FALSE(Load(doc, L"<?xml version=\"1.0\"?><a><b></a>"));
    EXPECT_FALSE(Load(doc, L"<a><b></a>"));
    // Whatever follows the last node must parse too, or it would be dropped on saving.
    EXPECT_FALSE(Load(doc, L"<a/>tail"));
    EXPECT_FALSE(Load(doc, L"<a/><b>"));
    EXPECT_TRUE(Load(doc, L"<a/><b/>\r\n  "));
    EXPECT_EQ(2u, doc.m_items.size());
    EXPECT_TRUE(Load(doc, L"<?xml version=\"1.0\"?>"));
    EXPECT_TRUE(doc.m_items.empty());
}

TEST(XmlEntities, UnescapeIsOnePass)
{
    EXPECT_STREQ(L"&lt;", CRXMLItem::UnescapeText(L"&amp;lt;"));
    EXPECT_STREQ(L"&#10;", CRXMLItem::UnescapeText(L"&amp;#10;"));
    EXPECT_STREQ(L"a\r\nb\r\n", CRXMLItem::UnescapeText(L"a&#13;&#10;b&#xD;&#xA;"));
    EXPECT_STREQ(L"<>\"&", CRXMLItem::UnescapeText(L"&lt;&gt;&quot;&amp;"));
    EXPECT_STREQ(L"&apos; &#65; & &", CRXMLItem::UnescapeText(L"&apos; &#65; & &"));
    EXPECT_STREQ(L"&amp;&quot;&lt;&gt;'", CRXMLItem::EscapeText(L"&\"<>'"));
}

TEST(XmlEntities, WriteThenReadGivesBackTheText)
{
    const LPCWSTR texts[] = {L"&#10;", L"&amp;",         L"a < b && c > \"d\"",
                             L"it's",  L"line\r\nbreak", L"&lt;tag&gt;"};
    for (LPCWSTR text : texts)
    {
        CRXMLItem item;
        item.m_strName = L"v";
        item.m_strText = text;
        item.SetAttribute(L"attr", text);
        CString xml = item.GetXML(L"", L"");
        CRXMLItem back;
        ASSERT_TRUE(back.LoadFromString(xml)) << xml.GetString();
        EXPECT_STREQ(text, back.m_strText);
        CString value;
        ASSERT_TRUE(back.GetAttribute(L"ATTR", value));
        EXPECT_STREQ(text, value);
    }
}

TEST(XmlWrite, NestedLayoutAndEmptyFormat)
{
    CRXMLDocument doc;
    ASSERT_TRUE(Load(doc, L"<r><c a=\"1\">t</c><d><e/></d>note</r>") == false); // text after child
    ASSERT_TRUE(Load(doc, L"<r>note<c a=\"1\">t</c><d><e/></d></r>"));
    EXPECT_STREQ(L"<r>\r\n\tnote\r\n\t<c a=\"1\">t</c>\r\n\t<d>\r\n\t\t<e/>\r\n\t</d>\r\n</r>\r\n",
                 doc.GetXML(kEditor));
    // Empty indent and line breaks write nothing for those pieces: one line.
    EXPECT_STREQ(L"<r>note<c a=\"1\">t</c><d><e/></d></r>", doc.GetXML(kOneLine));
    CRXMLItem root;
    ASSERT_TRUE(root.LoadFromString(L"<r><x/></r>"));
    EXPECT_STREQ(L"<r><x/></r>", root.GetXML(L"", L""));
    EXPECT_STREQ(L"<r>\n  <x/>\n</r>\n", root.GetXML(L"  ", L"\n"));
}

TEST(XmlEncoding, DeclarationVerdicts)
{
    CRXMLDocument doc;
    EXPECT_TRUE(Load(doc, L"<?xml version=\"1.0\" encoding=\"utf-8\"?><a/>"));
    EXPECT_EQ(CRXMLDocument::encodingUtf8, doc.GetEncoding());
    EXPECT_TRUE(Load(doc, L"<?xml version=\"1.0\" encoding=\"windows-1251\"?><a/>"));
    EXPECT_EQ(CRXMLDocument::encodingAnsi, doc.GetEncoding());
    EXPECT_FALSE(Load(doc, L"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a/>"));
    EXPECT_TRUE(Load(doc, L"<?xml version=\"1.0\"?><a/>"));
    EXPECT_EQ(CRXMLDocument::encodingUtf16, doc.GetEncoding());
}

TEST(XmlEncoding, NonAsciiTextSurvivesTheUtf8DeclarationInWideText)
{
    const wchar_t* text = L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                          L"<w lang=\"\x0440\x0443\x0441\">\x041F\x0440\x0438\x0432\x0435\x0442 "
                          L"\x4E16\x754C \xD83D\xDE00</w>";
    CRXMLDocument doc;
    ASSERT_TRUE(Load(doc, text));
    EXPECT_EQ(CRXMLDocument::encodingUtf8, doc.GetEncoding());
    EXPECT_STREQ(L"\x041F\x0440\x0438\x0432\x0435\x0442 \x4E16\x754C \xD83D\xDE00",
                 Root(doc).m_strText);
    CString written = doc.GetXML(kOneLine);
    EXPECT_STREQ(text, written);

    // The narrow form is real UTF-8 and reads back to the same tree.
    CStringA bytes = doc.GetXMLA(kOneLine);
    EXPECT_NE(-1, bytes.Find("\xD0\x9F\xD1\x80")); // U+041F U+0440
    EXPECT_NE(-1, bytes.Find("\xF0\x9F\x98\x80")); // U+1F600
    CRXMLDocument narrow;
    ASSERT_TRUE(narrow.LoadFromStringA(bytes));
    EXPECT_EQ(CRXMLDocument::encodingUtf8, narrow.GetEncoding());
    EXPECT_STREQ(Root(doc).m_strText, Root(narrow).m_strText);
    CString attr;
    ASSERT_TRUE(Root(narrow).GetAttribute(L"lang", attr));
    EXPECT_STREQ(L"\x0440\x0443\x0441", attr);
}

TEST(XmlEncoding, SetEncodingNamesTheDeclaration)
{
    CRXMLDocument doc;
    doc.SetEncoding(CRXMLDocument::encodingUtf8);
    CRXMLItem root;
    root.m_strName = L"a";
    doc.m_items.push_back(root);
    EXPECT_STREQ(L"<?xml encoding=\"UTF-8\"?><a/>", doc.GetXML(kOneLine));
    CStringA bytes = doc.GetXMLA(kOneLine);
    EXPECT_STREQ("<?xml encoding=\"UTF-8\"?><a/>", bytes);
    doc.m_nEncoding = 7;
    EXPECT_TRUE(doc.GetXML(kOneLine).IsEmpty());
}

TEST(XmlStreams, WideStreamPositionsAndBadSeek)
{
    CString text(L"abc");
    CRXMLItem::CStringIO<wchar_t> io(text);
    wchar_t buffer[4] = {};
    EXPECT_EQ(4, io.Read(buffer, 5)); // odd counts round down
    EXPECT_EQ(4, io.GetPosition());
    EXPECT_EQ(2, io.Write(L"X", 2)); // inserts
    EXPECT_STREQ(L"abXc", text);
    EXPECT_EQ(0, io.Seek(0, 0));
    EXPECT_EQ(8, io.Seek(0, 2));
    bool threw = false;
    try
    {
        io.Seek(2, 1);
    }
    catch (CFileException* e)
    {
        threw = e->m_cause == CFileException::badSeek;
        e->Delete();
    }
    EXPECT_TRUE(threw);
    EXPECT_EQ(8, io.GetPosition());
    EXPECT_FALSE(io.SupportsEncoding(1));
    EXPECT_TRUE(io.SupportsEncoding(2));
}

TEST(XmlTree, CopyIsDeepAndAttributesKeepOrder)
{
    CRXMLItem root;
    ASSERT_TRUE(root.LoadFromString(L"<r b=\"2\" a=\"1\"><c><d/></c></r>"));
    CRXMLItem copy = root;
    copy.m_children[0].m_children[0].m_strName = L"changed";
    EXPECT_STREQ(L"d", root.m_children[0].m_children[0].m_strName);
    copy.SetAttribute(L"A", L"9");
    copy.SetAttribute(L"z", L"3");
    ASSERT_EQ(3u, copy.m_attributes.size());
    EXPECT_STREQ(L"a", copy.m_attributes[1].first); // stored name kept
    EXPECT_STREQ(L"9", copy.m_attributes[1].second);
    EXPECT_EQ(-1, copy.FindAttribute(L"missing"));
    copy.Clear();
    EXPECT_TRUE(copy.IsEmpty());
    EXPECT_EQ(CRXMLItem::kindElement, copy.m_nKind);
}

TEST(XmlRead, DeepNestingIsBoundedNotFatal)
{
    auto nested = [](int depth) {
        CString text;
        for (int i = 0; i < depth; ++i)
            text += L"<n>";
        for (int i = 0; i < depth; ++i)
            text += L"</n>";
        return text;
    };
    CRXMLDocument doc;
    EXPECT_TRUE(Load(doc, nested(1000)));
    EXPECT_FALSE(doc.GetXML(kEditor).IsEmpty());
    EXPECT_FALSE(Load(doc, nested(1001)));
    EXPECT_FALSE(Load(doc, nested(100000)));
}
