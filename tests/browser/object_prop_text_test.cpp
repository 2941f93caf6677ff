// Texts of the object property lists: copied names and types, parameter directions, foreign-key
// references, drop questions and the compile errors page.
#include "browser/object_pages.h"
#include "browser/object_prop_text.h"

#include <gtest/gtest.h>

namespace {

TEST(CopyTexts, NameAndTypeLeaveOutZeroOrMissingDigits)
{
    EXPECT_EQ(FormatColumnCopyPart(L"NAME", L"VARCHAR", L"40", L"", true),
              CString(L"NAME VARCHAR(40)"));
    EXPECT_EQ(FormatColumnCopyPart(L"PRICE", L"NUMERIC", L"10", L"0", true),
              CString(L"PRICE NUMERIC(10)"));
    EXPECT_EQ(FormatColumnCopyPart(L"PRICE", L"NUMERIC", L"10", L"2", true),
              CString(L"PRICE NUMERIC(10,2)"));
    EXPECT_EQ(FormatColumnCopyPart(L"PRICE", L"NUMERIC", L"10", L"2", false), CString(L"PRICE"));
    // SQLite's driver reports the declared type with its size and 10 digits.
    EXPECT_EQ(FormatColumnCopyPart(L"NAME", L"VARCHAR(40)", L"40", L"10", true),
              CString(L"NAME VARCHAR(40)"));
}

TEST(CopyTexts, OnePartHasNoLineEndSeveralEachEndWithOne)
{
    EXPECT_EQ(JoinCopyParts({}), CString());
    EXPECT_EQ(JoinCopyParts({L"a"}), CString(L"a"));
    EXPECT_EQ(JoinCopyParts({L"a", L"b"}), CString(L"a\r\nb\r\n"));
}

TEST(ListTexts, DirectionsReferencesAndDropQuestions)
{
    EXPECT_EQ(GetParamIOTypeText(2), CString(L"In, out"));
    EXPECT_EQ(GetParamIOTypeText(5), CString(L"Return value"));
    EXPECT_EQ(GetParamIOTypeText(6), CString());
    EXPECT_EQ(GetParamIOTypeText(-1), CString());

    EXPECT_EQ(FormatForeignKeyReference(L"s", L"t", L"c"), CString(L"s.t.c"));
    EXPECT_EQ(FormatForeignKeyReference(L"", L"t", L"c"), CString(L"t.c"));

    EXPECT_EQ(MakeListDropQuestion(L"Column", L"Columns", {L"a"}),
              CString(L"Column a will be dropped.\nContinue?"));
    EXPECT_EQ(MakeListDropQuestion(L"Index", L"Indexes", {L"s.i", L"j"}),
              CString(L"Indexes s.i, j will be dropped.\nContinue?"));
}

TEST(ListTexts, CompileErrorsAreSeparatedByBlankLines)
{
    CDBObjErrorsArray errors;
    errors.Add(CDBObjError(3, 7, L"PLS-00103: bad"));
    errors.Add(CDBObjError(10, 1, L"PL/SQL: ignored"));
    EXPECT_EQ(CDBOTextDlg::FormatErrors(errors),
              CString(L"Line 3, position 7\nPLS-00103: bad\n\nLine 10, position 1\nPL/SQL: "
                      L"ignored\n\n"));
}

TEST(ConstraintOrder, ByColumnWithoutCase)
{
    CDBConstraintInfo a, b;
    a.m_strName = L"alpha";
    b.m_strName = L"Beta";
    a.m_nType = 4;
    b.m_nType = 1;
    a.m_strTableName = L"T2";
    b.m_strTableName = L"t1";
    EXPECT_LT(CConstraintProp::CompareRecords(a, b, 0), 0);
    EXPECT_GT(CConstraintProp::CompareRecords(a, b, 1), 0);
    EXPECT_GT(CConstraintProp::CompareRecords(a, b, 2), 0);
    EXPECT_EQ(CConstraintProp::CompareRecords(a, b, 9), 0);
}

} // namespace
