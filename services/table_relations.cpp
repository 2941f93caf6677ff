// Join trees along foreign keys and the text of their LEFT JOINs.
#include "services/table_relations.h"

#include "dbaccess/sql_names.h"

namespace {

// A node of a join tree: a table, the alias it is joined under and the column pairs that join
// it to its parent. Nodes are values: a copy copies the subtree.
struct CJoinNode
{
    size_t nEntry = 0;
    CString strAlias; // empty for a root
    std::vector<CTableRelation> relations;
    std::vector<CJoinNode> children;
};

typedef std::map<CString, unsigned> CAliasCounter;

CString MakeJoinAlias(CAliasCounter& counter, const CString& strTable)
{
    auto it = counter.find(strTable);
    if (it == counter.end())
    {
        counter[strTable] = 1;
        return strTable;
    }
    ++it->second;
    CString alias;
    alias.Format(L"%s%u", static_cast<LPCWSTR>(strTable), it->second);
    return alias;
}

int FindEntry(const std::vector<CJoinTableEntry>& entries, const CString& strSchema,
              const CString& strTable)
{
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].m_strSchema == strSchema && entries[i].m_strTable == strTable)
            return static_cast<int>(i);
    return -1;
}

class CJoinBuilder
{
public:
    CJoinBuilder(std::vector<CJoinTableEntry>& entries, CRDatabase* pDatabase, int nKind)
        : m_entries(entries), m_pDatabase(pDatabase), m_nKind(nKind)
    {}

    bool Build(CString& strText, const std::function<bool()>& pfnStep)
    {
        m_roots.resize(m_entries.size());
        for (size_t i = 0; i < m_entries.size(); ++i)
            m_roots[i].nEntry = i;
        for (size_t i = 0; i < m_roots.size(); ++i)
        {
            if (m_entries[i].m_nJoinCount == 0)
                Expand(m_roots[i], {i});
            if (pfnStep && !pfnStep())
                return false;
        }
        CString collected;
        for (size_t i = 0; i < m_roots.size(); ++i)
        {
            if (m_entries[i].m_nJoinCount == 0)
            {
                CString tree;
                WriteNode(m_roots[i], CString(), tree);
                if (!tree.IsEmpty())
                {
                    if (!collected.IsEmpty())
                        collected += L",\n";
                    collected += tree;
                }
            }
            if (pfnStep && !pfnStep())
                return false;
        }
        strText = collected;
        return !collected.IsEmpty();
    }

private:
    void Expand(CJoinNode& node, const std::vector<size_t>& path)
    {
        for (const CTableRelation& r : m_entries[node.nEntry].m_relations)
        {
            if (r.m_strFKName.IsEmpty())
                continue;
            const int j = FindEntry(m_entries, r.m_strSchema1, r.m_strTable1);
            if (j < 0)
                continue;
            bool onPath = false;
            for (size_t p : path)
                onPath = onPath || p == static_cast<size_t>(j);
            if (onPath) // a table is joined once per branch; this also ends cycles
                continue;
            CJoinNode* pSame = nullptr;
            for (CJoinNode& child : node.children)
                if (child.nEntry == static_cast<size_t>(j) &&
                    child.relations.front().m_strFKName == r.m_strFKName)
                    pSame = &child;
            if (pSame)
                pSame->relations.push_back(r);
            else
            {
                CJoinNode child;
                child.nEntry = static_cast<size_t>(j);
                child.strAlias = MakeJoinAlias(m_aliases, m_entries[j].m_strTable);
                child.relations.push_back(r);
                node.children.push_back(child);
            }
        }
        for (CJoinNode& child : node.children)
        {
            CJoinTableEntry& entry = m_entries[child.nEntry];
            if (entry.m_nJoinCount == 0 && entry.m_nExpansionCount != 0)
            {
                // Its own tree was grown already: take that instead of growing it again.
                ++entry.m_nJoinCount;
                child.children = m_roots[child.nEntry].children;
                continue;
            }
            ++m_entries[node.nEntry].m_nExpansionCount;
            ++entry.m_nJoinCount;
            std::vector<size_t> childPath = path;
            childPath.push_back(child.nEntry);
            Expand(child, childPath);
        }
    }

    CString TableName(const CString& strSchema, const CString& strTable)
    {
        return FormatObjectName(CStringPair(strSchema, strTable), m_pDatabase, true);
    }

    CString Quoted(const CString& strName) { return QuoteSQLNameIfNeeded(strName, m_pDatabase); }

    void WriteNode(const CJoinNode& node, const CString& strParentAlias, CString& text)
    {
        const CJoinTableEntry& entry = m_entries[node.nEntry];
        if (node.relations.empty())
        {
            if (!text.IsEmpty())
                text += L", ";
            text += TableName(entry.m_strSchema, entry.m_strTable);
            if (!node.strAlias.IsEmpty())
                text += L" AS " + Quoted(node.strAlias);
        }
        else
        {
            if (!text.IsEmpty())
                text += L"\nLEFT JOIN ";
            text += TableName(entry.m_strSchema, entry.m_strTable);
            if (!node.strAlias.IsEmpty())
                text += L" " + Quoted(node.strAlias);
            text += L" ON\n";
            for (size_t i = 0; i < node.relations.size(); ++i)
            {
                const CTableRelation& r = node.relations[i];
                if (i)
                    text += L" AND\n";
                // Aliases and columns are quoted like any name: an alias is a table name, and a
                // column in mixed case is folded by PostgreSQL unless quoted.
                text += strParentAlias.IsEmpty() ? TableName(r.m_strSchema2, r.m_strTable2)
                                                 : Quoted(strParentAlias);
                text += L"." + Quoted(r.m_strColumn2) + L"=";
                text += node.strAlias.IsEmpty() ? TableName(r.m_strSchema1, r.m_strTable1)
                                                : Quoted(node.strAlias);
                text += L"." + Quoted(r.m_strColumn1);
            }
            if (m_nKind == DBMS_ACCESS)
                text = L"(" + text + L")";
        }
        for (const CJoinNode& child : node.children)
            WriteNode(child, node.strAlias, text);
    }

    std::vector<CJoinTableEntry>& m_entries;
    CRDatabase* m_pDatabase;
    int m_nKind;
    std::vector<CJoinNode> m_roots;
    CAliasCounter m_aliases;
};

} // namespace

void CTableRelation::Reverse()
{
    std::swap(m_strSchema1, m_strSchema2);
    std::swap(m_strTable1, m_strTable2);
    std::swap(m_strColumn1, m_strColumn2);
}

void AppendForeignKeyRelations(const CForeignKeyArray& keys, std::vector<CTableRelation>& out)
{
    int nUnnamed = 0;
    CString strRunName;
    for (INT_PTR i = 0; i < keys.GetSize(); ++i)
    {
        const auto& k = keys[i];
        CTableRelation r;
        r.m_strSchema1 = k.szPkTableSchem;
        r.m_strTable1 = k.szPkTableName;
        r.m_strColumn1 = k.szPkColumnName;
        r.m_strSchema2 = k.szFkTableSchem;
        r.m_strTable2 = k.szFkTableName;
        r.m_strColumn2 = k.szFkColumnName;
        r.m_strPKName = k.szPkName;
        r.m_strFKName = k.szFkName;
        if (r.m_strFKName.IsEmpty())
        {
            // A KEY_SEQ of 1 (or none) starts the next unnamed key.
            if (k.nKeySeq <= 1 || strRunName.IsEmpty())
                strRunName.Format(L"%s#%d", k.szFkTableName, ++nUnnamed);
            r.m_strFKName = strRunName;
        }
        out.push_back(r);
    }
}

bool BuildJoinText(std::vector<CJoinTableEntry>& entries, CRDatabase* pDatabase, int nDBMSKind,
                   CString& strText, const std::function<bool()>& pfnStep)
{
    strText.Empty();
    CJoinBuilder builder(entries, pDatabase, nDBMSKind);
    return builder.Build(strText, pfnStep);
}
