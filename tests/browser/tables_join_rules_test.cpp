// Window-free rules of the tables dialog and the join order page.
#include "browser/join_wizard.h"
#include "browser/tables_list.h"
#include "services/database_helper.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string A(const CString& s)
{
    std::string out;
    for (int i = 0; i < s.GetLength(); ++i)
        out += static_cast<char>(s[i]);
    return out;
}

CTablesRow Row(LPCWSTR name, LPCWSTR schema)
{
    CTablesRow r;
    r.m_strName = name;
    r.m_strSchema = schema;
    return r;
}

TEST(TablesDialogRules, ComparatorOrdersBothWaysAndTies)
{
    const CTablesRow a = Row(L"alpha", L"S2"), b = Row(L"Beta", L"s1"), c = Row(L"ALPHA", L"x");
    EXPECT_LT(CompareTablesRows(a, b, 0, true), 0);
    EXPECT_GT(CompareTablesRows(b, a, 0, true), 0);
    EXPECT_GT(CompareTablesRows(a, b, 0, false), 0);
    EXPECT_EQ(0, CompareTablesRows(a, c, 0, true)); // case ignored
    EXPECT_GT(CompareTablesRows(a, b, 1, true), 0); // by schema
    EXPECT_LT(CompareTablesRows(a, b, 1, false), 0);
}

TEST(TablesDialogRules, DropQuestionsAndKinds)
{
    EXPECT_EQ("View 'v1' will be dropped.\nContinue?", A(MakeDropQuestion(DBOBJ_VIEW, {L"v1"})));
    EXPECT_EQ("Views 'v1, \"V 2\"' will be dropped.\nContinue?",
              A(MakeDropQuestion(DBOBJ_VIEW, {L"v1", L"\"V 2\""})));
    EXPECT_EQ("Tables 'a, b' will be dropped.\nContinue?",
              A(MakeDropQuestion(DBOBJ_TABLE, {L"a", L"b"})));
    EXPECT_EQ("Procedure 'p' will be dropped.\nContinue?",
              A(MakeDropQuestion(DBOBJ_PROCEDURE, {L"p"})));
    // A function drops as a function on every product.
    EXPECT_EQ(DBOBJ_FUNCTION, GetDropObjectKind(DBOBJ_PROCEDURE, 2));
    EXPECT_EQ(DBOBJ_PROCEDURE, GetDropObjectKind(DBOBJ_PROCEDURE, 1));
    EXPECT_EQ(DBOBJ_PROCEDURE, GetDropObjectKind(DBOBJ_PROCEDURE, 0));
    EXPECT_EQ(DBOBJ_TABLE, GetDropObjectKind(DBOBJ_TABLE, 2));
    EXPECT_EQ("a \r\n\"b c\"", A(JoinCopiedNames({L"a", L"\"b c\""})));
    EXPECT_EQ("", A(JoinCopiedNames({})));
}

// child references parent.
CTableRelation Rel(LPCWSTR parent, LPCWSTR child)
{
    CTableRelation r;
    r.m_strTable1 = parent;
    r.m_strColumn1 = L"ID";
    r.m_strTable2 = child;
    r.m_strColumn2 = L"P_ID";
    r.m_strFKName = CString(L"FK_") + child;
    return r;
}

std::string Order(const std::vector<CJoinTableEntry>& e)
{
    std::string s;
    for (const auto& x : e)
        s += A(x.m_strTable) + "(" + std::to_string(x.m_relations.size()) + ") ";
    return s;
}

TEST(JoinOrderRules, InitialOrderPutsEachTableAfterTheLastThatNamesIt)
{
    // B references A, C references B; chosen as C, A, B.
    std::vector<CJoinTableEntry> chosen{{L"", L"C"}, {L"", L"A"}, {L"", L"B"}};
    chosen[0].m_relations.push_back(Rel(L"B", L"C"));
    chosen[2].m_relations.push_back(Rel(L"A", L"B"));
    // A: nobody names it -> front; B: C names it -> after C.
    EXPECT_EQ("A(0) C(1) B(1) ", Order(MakeInitialJoinOrder(chosen)));
}

TEST(JoinOrderRules, MovingAboveTheReferencedTableTurnsTheRelationAndBackAgain)
{
    // B references A: B leads, its relation names A.
    std::vector<CJoinTableEntry> e{{L"", L"B"}, {L"", L"A"}};
    e[0].m_relations.push_back(Rel(L"A", L"B"));
    ASSERT_TRUE(MoveJoinEntry(e, 1, 0)); // A up above B takes the relation, turned
    EXPECT_EQ("A(1) B(0) ", Order(e));
    ASSERT_EQ(1u, e[0].m_relations.size());
    EXPECT_EQ("B", A(e[0].m_relations[0].m_strTable1));
    EXPECT_EQ("P_ID", A(e[0].m_relations[0].m_strColumn1));
    ASSERT_TRUE(MoveJoinEntry(e, 0, 1)); // and back down: the first direction again
    EXPECT_EQ("B(1) A(0) ", Order(e));
    ASSERT_EQ(1u, e[0].m_relations.size());
    EXPECT_EQ("A", A(e[0].m_relations[0].m_strTable1));
    EXPECT_EQ("FK_B", A(e[0].m_relations[0].m_strFKName));

    // Moving down past two tables hands over only the relations naming them.
    std::vector<CJoinTableEntry> f{{L"", L"X"}, {L"", L"Y"}, {L"", L"Z"}};
    f[0].m_relations.push_back(Rel(L"Y", L"X"));
    f[0].m_relations.push_back(Rel(L"Z", L"X"));
    f[0].m_relations.push_back(Rel(L"OTHER", L"X"));
    ASSERT_TRUE(MoveJoinEntry(f, 0, 2));
    EXPECT_EQ("Y(1) Z(1) X(1) ", Order(f));
    ASSERT_EQ(1u, f[0].m_relations.size());
    EXPECT_EQ("X", A(f[0].m_relations[0].m_strTable1));
    EXPECT_FALSE(MoveJoinEntry(f, 0, 3));
    EXPECT_FALSE(MoveJoinEntry(f, -1, 0));

    // The statement follows the order: the chain joins from the last table.
    std::vector<CJoinTableEntry> g{{L"", L"B"}, {L"", L"A"}};
    g[0].m_relations.push_back(Rel(L"A", L"B"));
    CString before, after;
    std::vector<CJoinTableEntry> copy = g;
    BuildJoinText(copy, nullptr, 0, before);
    MoveJoinEntry(g, 1, 0);
    copy = g;
    BuildJoinText(copy, nullptr, 0, after);
    EXPECT_EQ("B\nLEFT JOIN A A ON\nB.P_ID=A.ID", A(before));
    EXPECT_EQ("A\nLEFT JOIN B B ON\nA.ID=B.P_ID", A(after));
}

} // namespace
