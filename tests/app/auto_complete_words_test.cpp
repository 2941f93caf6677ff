// The editor's completion words: reserved words alone while disconnected; with a connection the
// object names the database bar gives and the connection's data types after them.
#include "app/auto_complete_words.h"

#include "dbaccess/database.h"
#include "dbaccess/sql_names.h"
#include "tests/dbaccess/test_databases.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::wstring> Words(const CRCEAutoCompleteWordArray& list)
{
    std::vector<std::wstring> words;
    for (INT_PTR i = 0; i < list.GetSize(); ++i)
        words.emplace_back(list[i].word, list[i].length);
    return words;
}

size_t CountReservedWords()
{
    size_t n = 1;
    for (LPCWSTR p = GetSQLReservedWords(); *p; ++p)
        n += *p == L',' ? 1 : 0;
    return n;
}

TEST(AutoCompleteWords, ReservedWordsAloneWhileDisconnected)
{
    CRCEAutoCompleteWordArray list;
    RCEAddAutoCompleteWord(list, L"stale");
    bool asked = false;
    CRDatabase closed;
    EXPECT_TRUE(FillAutoCompleteWordList(list, &closed, [&](CRCEAutoCompleteWordArray&) {
        asked = true;
        return true;
    }));
    EXPECT_FALSE(asked);
    const std::vector<std::wstring> words = Words(list);
    EXPECT_EQ(words.size(), CountReservedWords());
    EXPECT_EQ(words.front(), std::wstring(GetSQLReservedWords()).substr(0, words.front().size()));
    EXPECT_TRUE(FillAutoCompleteWordList(list, nullptr, nullptr));
    EXPECT_EQ(Words(list).size(), CountReservedWords());
    RCEFreeAutoCompleteWords(list);
}

TEST(AutoCompleteWords, ObjectNamesThenTypesWhenConnected)
{
    CRDatabase db;
    ASSERT_TRUE(
        db.Open(QlTestDb::FakeConnect(L"Oracle"), CRDatabase::openNoPrompt, nullptr, 0, 0, 0));
    CRCEAutoCompleteWordArray list;
    EXPECT_TRUE(FillAutoCompleteWordList(list, &db, [](CRCEAutoCompleteWordArray& words) {
        RCEAddAutoCompleteWord(words, L"ORDERS");
        return true;
    }));
    const std::vector<std::wstring> words = Words(list);
    ASSERT_EQ(words.size(), CountReservedWords() + 4);
    // The fake driver's types: VARCHAR2, NUMBER, clob.
    EXPECT_EQ(std::vector<std::wstring>(words.end() - 4, words.end()),
              (std::vector<std::wstring>{L"ORDERS", L"VARCHAR2", L"NUMBER", L"clob"}));
    RCEFreeAutoCompleteWords(list);
}

} // namespace
