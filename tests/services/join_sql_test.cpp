// Join trees along foreign keys and the text of their LEFT JOINs, without a connection: names
// are quoted by the rules that need none.
#include "services/table_relations.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string A(const CString& s)
{
    std::string out;
    for (int i = 0; i < s.GetLength(); ++i)
        out += static_cast<char>(s[i]);
    return out;
}

// child.fkCol references parent.pkCol under the key name.
CTableRelation Rel(LPCWSTR parent, LPCWSTR pkCol, LPCWSTR child, LPCWSTR fkCol, LPCWSTR key,
                   LPCWSTR schema = L"")
{
    CTableRelation r;
    r.m_strSchema1 = schema;
    r.m_strTable1 = parent;
    r.m_strColumn1 = pkCol;
    r.m_strSchema2 = schema;
    r.m_strTable2 = child;
    r.m_strColumn2 = fkCol;
    r.m_strFKName = key;
    return r;
}

CString Join(std::vector<CJoinTableEntry>& entries, int nKind = DBMS_OTHER)
{
    CString text;
    BuildJoinText(entries, nullptr, nKind, text);
    return text;
}

TEST(JoinSql, OneKeyJoinsTheReferencedTableUnderItsName)
{
    std::vector<CJoinTableEntry> e{{L"", L"ORDERS"}, {L"", L"ITEMS"}};
    e[1].m_relations.push_back(Rel(L"ORDERS", L"ID", L"ITEMS", L"ORDER_ID", L"FK1"));
    EXPECT_EQ("ITEMS\nLEFT JOIN ORDERS ORDERS ON\nITEMS.ORDER_ID=ORDERS.ID", A(Join(e)));
    EXPECT_EQ(1, e[0].m_nJoinCount);
    EXPECT_EQ(1, e[1].m_nExpansionCount);
}

TEST(JoinSql, KeyOfTwoColumnsIsOneJoinWithTwoConditions)
{
    std::vector<CJoinTableEntry> e{{L"", L"P"}, {L"", L"C"}};
    e[1].m_relations.push_back(Rel(L"P", L"A", L"C", L"PA", L"FK"));
    e[1].m_relations.push_back(Rel(L"P", L"B", L"C", L"PB", L"FK"));
    EXPECT_EQ("C\nLEFT JOIN P P ON\nC.PA=P.A AND\nC.PB=P.B", A(Join(e)));
}

TEST(JoinSql, TwoKeysToOneTableJoinItTwiceUnderNumberedAliases)
{
    std::vector<CJoinTableEntry> e{{L"", L"T"}, {L"", L"M"}};
    e[1].m_relations.push_back(Rel(L"T", L"ID", L"M", L"FROM_ID", L"FK_FROM"));
    e[1].m_relations.push_back(Rel(L"T", L"ID", L"M", L"TO_ID", L"FK_TO"));
    EXPECT_EQ("M\nLEFT JOIN T T ON\nM.FROM_ID=T.ID\nLEFT JOIN T T2 ON\nM.TO_ID=T2.ID", A(Join(e)));
}

TEST(JoinSql, SelfReferenceAndKeysToTablesNotChosenAreLeftOut)
{
    std::vector<CJoinTableEntry> e{{L"", L"EMP"}, {L"", L"DEPT"}};
    e[0].m_relations.push_back(Rel(L"EMP", L"ID", L"EMP", L"BOSS", L"FK_BOSS"));
    e[0].m_relations.push_back(Rel(L"OTHER", L"ID", L"EMP", L"OTHER_ID", L"FK_OTHER"));
    // No relation joins anything: each table is its own root.
    EXPECT_EQ("EMP,\nDEPT", A(Join(e)));
}

TEST(JoinSql, ChainStartsAtTheLastTableAndUsesTheParentAlias)
{
    // C references B, B references A; join order A, B, C.
    std::vector<CJoinTableEntry> e{{L"", L"A"}, {L"", L"B"}, {L"", L"C"}};
    e[1].m_relations.push_back(Rel(L"A", L"ID", L"B", L"A_ID", L"FK_BA"));
    e[2].m_relations.push_back(Rel(L"B", L"ID", L"C", L"B_ID", L"FK_CB"));
    EXPECT_EQ("C\nLEFT JOIN B B ON\nC.B_ID=B.ID\nLEFT JOIN A A ON\nB.A_ID=A.ID", A(Join(e)));
}

TEST(JoinSql, AccessWrapsEachJoinInParentheses)
{
    std::vector<CJoinTableEntry> e{{L"", L"A"}, {L"", L"B"}, {L"", L"C"}};
    e[1].m_relations.push_back(Rel(L"A", L"ID", L"B", L"A_ID", L"FK_BA"));
    e[2].m_relations.push_back(Rel(L"B", L"ID", L"C", L"B_ID", L"FK_CB"));
    EXPECT_EQ("((C\nLEFT JOIN B B ON\nC.B_ID=B.ID)\nLEFT JOIN A A ON\nB.A_ID=A.ID)",
              A(Join(e, DBMS_ACCESS)));
}

TEST(JoinSql, AliasesAndColumnsAreQuotedWhereTheyNeedIt)
{
    std::vector<CJoinTableEntry> e{{L"public", L"Order Items"}, {L"public", L"line"}};
    e[1].m_relations.push_back(
        Rel(L"Order Items", L"Item Id", L"line", L"item_id", L"fk", L"public"));
    // "public" is a reserved word.
    EXPECT_EQ("\"public\".line\nLEFT JOIN \"public\".\"Order Items\" \"Order Items\" ON\n"
              "\"public\".line.item_id=\"Order Items\".\"Item Id\"",
              A(Join(e)));
}

TEST(JoinSql, NothingToWriteAndStopFromTheStep)
{
    std::vector<CJoinTableEntry> none;
    CString text;
    EXPECT_FALSE(BuildJoinText(none, nullptr, 0, text));
    std::vector<CJoinTableEntry> e{{L"", L"A"}, {L"", L"B"}};
    int steps = 0;
    EXPECT_FALSE(BuildJoinText(e, nullptr, 0, text, [&] { return ++steps < 2; }));
    EXPECT_EQ(2, steps);
}

CRForeignKey::CForeignKeyInfo Key(LPCWSTR pkTable, LPCWSTR pkCol, LPCWSTR fkTable, LPCWSTR fkCol,
                                  int seq, LPCWSTR name)
{
    CRForeignKey::CForeignKeyInfo k;
    std::memset(&k, 0, sizeof(k));
    wcscpy(k.szPkTableName, pkTable);
    wcscpy(k.szPkColumnName, pkCol);
    wcscpy(k.szFkTableName, fkTable);
    wcscpy(k.szFkColumnName, fkCol);
    wcscpy(k.szFkName, name);
    k.nKeySeq = seq;
    return k;
}

TEST(JoinSql, UnnamedKeysAreToldApartByTheirKeySeqRuns)
{
    // SQLite names no key: a two-column key, then a second key to the same table.
    CForeignKeyArray keys;
    keys.Add(Key(L"P", L"A", L"C", L"PA", 1, L""));
    keys.Add(Key(L"P", L"B", L"C", L"PB", 2, L""));
    keys.Add(Key(L"P", L"A", L"C", L"QA", 1, L""));
    keys.Add(Key(L"P", L"B", L"C", L"QB", 2, L""));
    std::vector<CJoinTableEntry> e{{L"", L"P"}, {L"", L"C"}};
    AppendForeignKeyRelations(keys, e[1].m_relations);
    ASSERT_EQ(4u, e[1].m_relations.size());
    EXPECT_EQ(e[1].m_relations[0].m_strFKName, e[1].m_relations[1].m_strFKName);
    EXPECT_NE(e[1].m_relations[1].m_strFKName, e[1].m_relations[2].m_strFKName);
    EXPECT_EQ("C\nLEFT JOIN P P ON\nC.PA=P.A AND\nC.PB=P.B\nLEFT JOIN P P2 ON\nC.QA=P2.A AND\n"
              "C.QB=P2.B",
              A(Join(e)));
}

TEST(JoinSql, ReverseSwapsTheEndsAndKeepsTheNames)
{
    CTableRelation r = Rel(L"P", L"ID", L"C", L"P_ID", L"FK", L"s");
    r.m_strPKName = L"PK";
    r.Reverse();
    EXPECT_EQ("C", A(r.m_strTable1));
    EXPECT_EQ("P_ID", A(r.m_strColumn1));
    EXPECT_EQ("P", A(r.m_strTable2));
    EXPECT_EQ("FK", A(r.m_strFKName));
    EXPECT_EQ("PK", A(r.m_strPKName));
}

} // namespace
