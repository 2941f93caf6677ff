// The grid's private clipboard block (see clipboard_block.h).
#include "grid/clipboard_block.h"

#include <sql.h>
#include <sqlext.h>

#include <cstring>

namespace {

void PutU32(std::vector<BYTE>& out, UINT32 v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<BYTE>(v >> (8 * i)));
}

void PutText(std::vector<BYTE>& out, const CString& text)
{
    UINT32 n = static_cast<UINT32>(text.GetLength());
    PutU32(out, n);
    const wchar_t* p = text;
    for (UINT32 i = 0; i < n; ++i)
    {
        out.push_back(static_cast<BYTE>(p[i] & 0xFF));
        out.push_back(static_cast<BYTE>(p[i] >> 8));
    }
}

// A bounded reader over the block.
class CBlockReader
{
public:
    CBlockReader(const BYTE* p, SIZE_T size) : m_p(p), m_size(size) {}

    bool U32(UINT32& v)
    {
        if (m_size - m_pos < 4)
            return false;
        v = static_cast<UINT32>(m_p[m_pos]) | (static_cast<UINT32>(m_p[m_pos + 1]) << 8) |
            (static_cast<UINT32>(m_p[m_pos + 2]) << 16) |
            (static_cast<UINT32>(m_p[m_pos + 3]) << 24);
        m_pos += 4;
        return true;
    }

    bool Text(bool unicode, CString& text)
    {
        UINT32 n = 0;
        if (!U32(n))
            return false;
        SIZE_T bytes = unicode ? static_cast<SIZE_T>(n) * 2 : n;
        if (bytes / (unicode ? 2 : 1) != n || m_size - m_pos < bytes)
            return false;
        const BYTE* p = m_p + m_pos;
        m_pos += bytes;
        if (unicode)
        {
            UINT32 len = 0;
            while (len < n && (p[2 * len] | p[2 * len + 1]) != 0)
                ++len;
            std::vector<wchar_t> buf(len + 1, 0);
            for (UINT32 i = 0; i < len; ++i)
                buf[i] = static_cast<wchar_t>(p[2 * i] | (p[2 * i + 1] << 8));
            text = CString(buf.data(), static_cast<int>(len));
        }
        else
        {
            UINT32 len = 0;
            while (len < n && p[len] != 0)
                ++len;
            text.Empty();
            if (len > 0)
            {
                int w = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<LPCSTR>(p),
                                            static_cast<int>(len), nullptr, 0);
                if (w > 0)
                {
                    std::vector<wchar_t> buf(w + 1, 0);
                    MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<LPCSTR>(p),
                                        static_cast<int>(len), buf.data(), w);
                    text = CString(buf.data(), w);
                }
            }
        }
        return true;
    }

private:
    const BYTE* m_p;
    SIZE_T m_size;
    SIZE_T m_pos = 0;
};

} // namespace

std::vector<BYTE> WriteClipBlock(const std::vector<CClipEntry>& entries)
{
    std::vector<BYTE> out;
    PutU32(out, 1);
    PutU32(out, static_cast<UINT32>(entries.size()));
    for (const CClipEntry& e : entries)
    {
        PutU32(out, static_cast<UINT32>(e.nCType));
        PutU32(out, e.nKind);
        PutText(out, e.strName);
        PutText(out, e.strValue);
    }
    return out;
}

bool ReadClipBlock(const void* pBlock, SIZE_T nSize, bool bUnicode,
                   std::vector<CClipEntry>& entries)
{
    entries.clear();
    if (pBlock == nullptr)
        return false;
    CBlockReader reader(static_cast<const BYTE*>(pBlock), nSize);
    UINT32 version = 0, count = 0;
    if (!reader.U32(version) || version != 1 || !reader.U32(count) || count < 1)
        return false;
    // Every entry takes at least 16 bytes: a count the block cannot hold is refused at once.
    if (count > (nSize - 8) / 16)
        return false;
    std::vector<CClipEntry> read;
    read.reserve(count);
    for (UINT32 i = 0; i < count; ++i)
    {
        CClipEntry e;
        UINT32 type = 0;
        if (!reader.U32(type) || !reader.U32(e.nKind) || !reader.Text(bUnicode, e.strName) ||
            !reader.Text(bUnicode, e.strValue))
            return false;
        e.nCType = static_cast<int>(type);
        read.push_back(e);
    }
    entries.swap(read);
    return true;
}

CString MakeClipText(const std::vector<CClipEntry>& entries)
{
    CString text;
    for (const CClipEntry& e : entries)
    {
        text += e.strValue;
        text += L"\t";
    }
    return text;
}

bool IsClipTypeCompatible(int ct, int t)
{
    if (ct == t)
        return true;
    switch (ct)
    {
    // The 32-bit, 16-bit and 8-bit integer kinds (signed, unsigned or plain) and the floating
    // types take any text except timestamps and binary data.
    case SQL_C_SLONG:
    case SQL_C_LONG:
    case SQL_C_ULONG:
    case SQL_C_TINYINT:
    case SQL_C_STINYINT:
    case SQL_C_UTINYINT:
    case SQL_C_SHORT:
    case SQL_C_SSHORT:
    case SQL_C_USHORT:
    case SQL_C_FLOAT:
    case SQL_C_DOUBLE: return t != SQL_C_TIMESTAMP && t != SQL_C_BINARY;
    case SQL_C_BIT:
    case SQL_C_BINARY:
    case SQL_C_TIMESTAMP: return false;
    default: return true;
    }
}
