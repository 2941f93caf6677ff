// The ".sql" association under a scratch root: what is written, what other programs keep, and
// that a failure at any write leaves the keys exactly as they were. Also the order of the
// program's icon groups, which the association's icon index 9 relies on.
#include "app/file_association.h"

#include "tests/support/program_driver.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// Every key and value under a root, as "path|name" -> type and bytes.
typedef std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>> CRegSnapshot;

void Snapshot(HKEY hKey, const std::wstring& path, CRegSnapshot& out)
{
    out[path + L"\\"] = {0, {}};
    wchar_t name[512];
    for (DWORD i = 0;; ++i)
    {
        DWORD length = 512;
        DWORD type = 0;
        BYTE data[4096];
        DWORD size = sizeof(data);
        if (::RegEnumValueW(hKey, i, name, &length, nullptr, &type, data, &size) != ERROR_SUCCESS)
            break;
        out[path + L"|" + name] = {type, std::vector<BYTE>(data, data + size)};
    }
    for (DWORD i = 0;; ++i)
    {
        DWORD length = 512;
        if (::RegEnumKeyExW(hKey, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        HKEY child = nullptr;
        if (::RegOpenKeyExW(hKey, name, 0, KEY_READ, &child) == ERROR_SUCCESS)
        {
            Snapshot(child, path + L"\\" + name, out);
            ::RegCloseKey(child);
        }
    }
}

// An association whose n-th registry change fails (0: none fails).
class CFailingAssociation : public CSqlFileAssociation
{
public:
    CFailingAssociation(HKEY root, int failAt) : CSqlFileAssociation(root), m_failAt(failAt) {}
    int m_calls = 0;

protected:
    LONG CreateKey(LPCWSTR path, HKEY* key, bool* created) override
    {
        if (++m_calls == m_failAt)
            return ERROR_ACCESS_DENIED;
        return CSqlFileAssociation::CreateKey(path, key, created);
    }
    LONG SetText(HKEY key, LPCWSTR name, const CString& value) override
    {
        if (++m_calls == m_failAt)
            return ERROR_ACCESS_DENIED;
        return CSqlFileAssociation::SetText(key, name, value);
    }

private:
    int m_failAt;
};

class Association : public ::testing::Test
{
protected:
    Association()
    {
        m_path.Format(L"Software\\QuenlarkAssociationTest-%lu-%lu", ::GetCurrentProcessId(),
                      ::GetTickCount());
        ::RegDeleteTreeW(HKEY_CURRENT_USER, m_path);
        ::RegCreateKeyExW(HKEY_CURRENT_USER, m_path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &m_root, nullptr);
    }
    ~Association() override
    {
        ::RegCloseKey(m_root);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, m_path);
    }
    void Write(LPCWSTR key, LPCWSTR name, LPCWSTR value)
    {
        HKEY h = nullptr;
        ASSERT_EQ(
            ::RegCreateKeyExW(m_root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
            ERROR_SUCCESS);
        ::RegSetValueExW(h, name, 0, REG_SZ, (const BYTE*)value,
                         (DWORD)((wcslen(value) + 1) * sizeof(wchar_t)));
        ::RegCloseKey(h);
    }
    std::wstring Read(LPCWSTR key, LPCWSTR name = nullptr)
    {
        wchar_t buffer[1024] = {};
        DWORD size = sizeof(buffer) - sizeof(wchar_t);
        if (::RegGetValueW(m_root, key, name, RRF_RT_REG_SZ, nullptr, buffer, &size) !=
            ERROR_SUCCESS)
            return L"<missing>";
        return buffer;
    }
    bool KeyExists(LPCWSTR key)
    {
        HKEY h = nullptr;
        if (::RegOpenKeyExW(m_root, key, 0, KEY_READ, &h) != ERROR_SUCCESS)
            return false;
        ::RegCloseKey(h);
        return true;
    }
    // Another program's verb, an older ".sql" and an old entry of ours.
    void WriteOthers()
    {
        Write(L"SQLFile\\shell\\edit\\command", nullptr, L"notepad.exe \"%1\"");
        Write(L"SQLFile", L"FriendlyTypeName", L"Other");
        Write(L".sql", nullptr, L"OtherFile");
        Write(L".sql\\OpenWithProgids", L"OtherFile", L"");
        Write(L"Applications\\Quenlark.exe\\Shell\\Old\\Command", nullptr, L"old");
    }
    CString m_path;
    HKEY m_root = nullptr;
};

const wchar_t kExe[] = L"C:\\Program Files\\Quenlark\\Quenlark.exe";

TEST_F(Association, WritesItsKeysAndKeepsOtherPrograms)
{
    WriteOthers();
    CSqlFileAssociation association(m_root);
    ASSERT_TRUE(association.Register(kExe));
    const std::wstring command = L"\"" + std::wstring(kExe) + L"\" \"%1\"";
    EXPECT_EQ(Read(L".sql"), L"SQLFile");
    EXPECT_EQ(Read(L".sql", L"Content type"), L"text/plain");
    EXPECT_EQ(Read(L".sql\\ShellNew", L"NullFile"), L"");
    EXPECT_TRUE(KeyExists(L".sql\\OpenWithProgids\\SQLFile"));
    EXPECT_TRUE(KeyExists(L".sql\\OpenWithList\\Quenlark.exe"));
    EXPECT_EQ(Read(L".sql\\OpenWithProgids", L"OtherFile"), L"");
    EXPECT_EQ(Read(L"SQLFile"), L"SQL script file");
    EXPECT_EQ(Read(L"SQLFile\\DefaultIcon"), std::wstring(kExe) + L",9");
    EXPECT_EQ(Read(L"SQLFile\\Shell\\Open"), L"Open with Quenlark");
    EXPECT_EQ(Read(L"SQLFile\\Shell\\Open\\Command"), command);
    EXPECT_EQ(Read(L"Applications\\Quenlark.exe\\Shell\\Open\\Command"), command);
    EXPECT_EQ(Read(L"Applications\\Quenlark.exe\\SupportedTypes", L".sql"), L"");
    // Other programs' verbs and values stay; our own application key is replaced whole.
    EXPECT_EQ(Read(L"SQLFile\\shell\\edit\\command"), L"notepad.exe \"%1\"");
    EXPECT_EQ(Read(L"SQLFile", L"FriendlyTypeName"), L"Other");
    EXPECT_FALSE(KeyExists(L"Applications\\Quenlark.exe\\Shell\\Old"));

    // Registering again changes nothing.
    CRegSnapshot first, second;
    Snapshot(m_root, L"", first);
    ASSERT_TRUE(CSqlFileAssociation(m_root).Register(kExe));
    Snapshot(m_root, L"", second);
    EXPECT_EQ(first, second);
}

TEST_F(Association, AFailureAtAnyStepRestoresTheKeys)
{
    for (bool others : {false, true})
    {
        ::RegDeleteTreeW(m_root, nullptr);
        if (others)
            WriteOthers();
        CRegSnapshot before;
        Snapshot(m_root, L"", before);
        CFailingAssociation counting(m_root, 0);
        ASSERT_TRUE(counting.Register(kExe));
        ASSERT_GT(counting.m_calls, 10);
        for (int n = 1; n <= counting.m_calls; ++n)
        {
            ::RegDeleteTreeW(m_root, nullptr);
            if (others)
                WriteOthers();
            CFailingAssociation failing(m_root, n);
            EXPECT_FALSE(failing.Register(kExe)) << n;
            CRegSnapshot after;
            Snapshot(m_root, L"", after);
            EXPECT_EQ(before, after) << "failure at change " << n << (others ? " over others" : "");
        }
    }
}

// The shell takes the icon of "<exe>,9" as the tenth icon group by id: the script icon.
TEST(ProgramIcons, TheTenthIconGroupIsTheScriptIcon)
{
    HMODULE module = ::LoadLibraryExW(ql::ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    std::vector<UINT_PTR> ids;
    ::EnumResourceNamesW(
        module, RT_GROUP_ICON,
        [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) -> BOOL {
            ((std::vector<UINT_PTR>*)param)->push_back(IS_INTRESOURCE(name) ? (UINT_PTR)name : 0);
            return TRUE;
        },
        (LONG_PTR)&ids);
    ::FreeLibrary(module);
    std::sort(ids.begin(), ids.end());
    ASSERT_GE(ids.size(), 10u);
    EXPECT_EQ(ids[9], 171u);
}

} // namespace
