// The Options sheet's values: the round trip through the settings, which changes make grid
// windows read their rows again, and the history lengths reaching the registry on OK.
#include "app/app_settings.h"
#include "app/options_values.h"

#include <gtest/gtest.h>

namespace {

TEST(OptionsValues, GridRefreshOnlyForWhatGridsShow)
{
    CAppSettings settings;
    COptionsValues values;
    values.ReadFrom(settings);
    EXPECT_FALSE(values.ChangesGrids(settings));

    COptionsValues colours = values;
    colours.m_crKeyword = RGB(1, 2, 3);
    colours.m_nTabSize = 3;
    colours.m_bConfirmRowDeletion = !values.m_bConfirmRowDeletion;
    EXPECT_FALSE(colours.ChangesGrids(settings));

    COptionsValues timeout = values;
    timeout.m_nQueryTimeout = 30;
    EXPECT_TRUE(timeout.ChangesGrids(settings));
    COptionsValues editColour = values;
    editColour.m_crEditLines = RGB(0, 0, 1);
    EXPECT_TRUE(editColour.ChangesGrids(settings));

    // The tables dialog's key choices matter to grids only while they show keys.
    COptionsValues keys = values;
    keys.m_bTableDialogFKey = !values.m_bTableDialogFKey;
    settings.m_bShowKeysInGrid = 1;
    keys.m_bShowKeysInGrid = 1;
    EXPECT_TRUE(keys.ChangesGrids(settings));
    settings.m_bShowKeysInGrid = 0;
    keys.m_bShowKeysInGrid = 0;
    EXPECT_FALSE(keys.ChangesGrids(settings));
}

TEST(OptionsValues, WriteSetsEveryValueAndBothSortPairs)
{
    CAppSettings settings;
    settings.m_nCurTableSortDirection = 0;
    settings.m_nCurTableSortValue = 0;
    COptionsValues values;
    values.ReadFrom(settings);
    values.m_strSQLSeparator = L"GO";
    values.m_nTableSortDirection = 1;
    values.m_nTableSortValue = 1;
    values.m_strFontName = L"Lucida Console";
    values.m_nCharset = 0;
    values.m_nEditorEncoding = 3;
    values.m_nCursorLib = 0;
    values.m_nAutosaveTime = 120;
    EXPECT_FALSE(values.WriteTo(settings));
    EXPECT_EQ(settings.m_strSQLSeparator, CString(L"GO"));
    EXPECT_EQ(settings.m_nTableSortDirection, 1);
    EXPECT_EQ(settings.m_nCurTableSortDirection, 1);
    EXPECT_EQ(settings.m_nTableSortValue, 1);
    EXPECT_EQ(settings.m_nCurTableSortValue, 1);
    EXPECT_EQ(settings.m_strFontName, CString(L"Lucida Console"));
    EXPECT_EQ(settings.m_nEditorEncoding, 3);
    EXPECT_EQ(settings.m_nCursorLib, 0);
    EXPECT_EQ(settings.m_nAutosaveTime, 120);

    // The sheet shows the stored order, not the tables dialog's current one.
    settings.m_nCurTableSortDirection = 0;
    COptionsValues again;
    again.ReadFrom(settings);
    EXPECT_EQ(again.m_nTableSortDirection, 1);
}

class OptionsHistory : public ::testing::Test
{
protected:
    OptionsHistory()
    {
        static int counter = 0;
        m_path.Format(L"SOFTWARE\\Dravolen\\QuenlarkOptionsTest-%lu-%lu-%d",
                      ::GetCurrentProcessId(), ::GetTickCount(), ++counter);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, m_path);
    }
    ~OptionsHistory() override { ::RegDeleteTreeW(HKEY_CURRENT_USER, m_path); }
    CString m_path;
};

TEST_F(OptionsHistory, LengthsEditedOnTheSheetSurviveARestart)
{
    {
        CAppSettings settings;
        settings.m_strKeyPath = m_path;
        settings.Load();
        for (int i = 0; i < 6; ++i)
        {
            CString text;
            text.Format(L"DSN=d%d;", i);
            settings.AddConnectString(text);
        }
        COptionsValues values;
        values.ReadFrom(settings);
        values.m_nConnectStringNumber = 4;
        values.m_nSQLQueriesNumber = 7;
        BOOL bGridChanged = TRUE;
        settings.ApplyOptions(values, &bGridChanged);
        EXPECT_FALSE(bGridChanged);
        settings.Save();
    }
    CAppSettings reread;
    reread.m_strKeyPath = m_path;
    reread.Load();
    EXPECT_EQ(reread.m_nConnectStringNumber, 4);
    EXPECT_EQ(reread.m_nSQLQueriesNumber, 7);
    ASSERT_EQ(reread.m_connectStrings.GetSize(), 4);
    EXPECT_EQ(reread.m_connectStrings[0], CString(L"DSN=d5;"));
}

} // namespace
