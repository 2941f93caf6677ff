#pragma once

// Before windows.h, which the headers below include.
#include <winsock2.h>

#include "tests/app/e2e_tagged_session.h"
#include "tests/dbaccess/conn_test_util.h"
#include "tests/support/program_driver.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A view schema.big (id, name 'row <id> <&>', amount id * 0.5) of the rows given.
inline void CreateBigView(CRDatabase& db, const CString& schema, int rowCount)
{
    const CString rows = CString(std::to_wstring(rowCount).c_str());
    QlConnTest::ExecOrFail(db, L"CREATE TABLE " + schema +
                                   L".big_rows AS SELECT g AS id, 'row ' || g || ' <&>' AS "
                                   L"name, g * 0.5 AS amount FROM generate_series(1, " +
                                   rows + L") g");
    QlConnTest::ExecOrFail(db, L"CREATE VIEW " + schema + L".big AS SELECT id, name, amount FROM " +
                                   schema + L".big_rows");
}

// The view big with its rows paced (a tenth of a millisecond each): a grid window over it reads
// on by itself for many seconds, so that a save of the window's rows is still reading when the
// test holds one of its FETCHes.
inline void PaceBigView(CRDatabase& db, const CString& schema)
{
    QlConnTest::ExecOrFail(db, L"CREATE FUNCTION " + schema +
                                   L".paced() RETURNS boolean LANGUAGE plpgsql VOLATILE AS "
                                   L"$$ BEGIN PERFORM pg_sleep(0.0001); RETURN true; END $$");
    QlConnTest::ExecOrFail(db, L"CREATE OR REPLACE VIEW " + schema +
                                   L".big AS SELECT id, name, amount FROM " + schema +
                                   L".big_rows WHERE " + schema + L".paced()");
}

// The program's way to the PostgreSQL server passes through here: a relay on a port of its own
// that can hold the server's answer to the program's FETCH, the nth one from the time it is
// armed. A save that reads its rows FETCH by FETCH is then stopped part way (Cancel, a lost
// session) while it waits, so the file is partial every time, on a fast machine too; nothing
// else of the program's waits (the relay holds nothing until that FETCH has gone to the server).
class CHeldFetch
{
public:
    CHeldFetch()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        m_listen = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        at.sin_port = 0;
        int size = sizeof at;
        if (bind(m_listen, (sockaddr*)&at, sizeof at) == 0 && listen(m_listen, 8) == 0 &&
            getsockname(m_listen, (sockaddr*)&at, &size) == 0)
            m_port = ntohs(at.sin_port);
        m_accept = std::thread([this] { AcceptLoop(); });
    }
    ~CHeldFetch()
    {
        Release();
        m_bEnding = true;
        closesocket(m_listen);
        m_accept.join();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            for (SOCKET s : m_sockets)
                shutdown(s, SD_BOTH);
        }
        for (std::thread& t : m_pumps)
            t.join();
        for (SOCKET s : m_sockets)
            closesocket(s);
        WSACleanup();
    }
    CHeldFetch(const CHeldFetch&) = delete;
    CHeldFetch& operator=(const CHeldFetch&) = delete;

    // The connection string of the session given, through the relay.
    std::wstring Connect(const CTaggedPostgresSession& session) const
    {
        std::wstring text = session.Connect();
        const std::wstring port = L"Port=5432;";
        text.replace(text.find(port), port.size(), L"Port=" + std::to_wstring(m_port) + L";");
        return text;
    }

    // The server's answer to the nth FETCH sent from now on waits until Release.
    void HoldAtFetch(int nth)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_nFetchesToHold = nth;
        m_bHeld = false;
        m_bWaiting = false;
    }
    void Release()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_nFetchesToHold = 0;
        m_bHeld = false;
        m_changed.notify_all();
    }
    // True once the program waits for the held answer.
    bool WaitUntilReached(DWORD timeoutMs = 30000)
    {
        return ql::WaitFor(
            [&] {
                std::lock_guard<std::mutex> lock(m_mutex);
                return m_bWaiting;
            },
            timeoutMs);
    }

private:
    void AcceptLoop()
    {
        for (;;)
        {
            SOCKET client = accept(m_listen, nullptr, nullptr);
            if (client == INVALID_SOCKET)
                return;
            SOCKET server = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
            sockaddr_in to{};
            to.sin_family = AF_INET;
            to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            to.sin_port = htons(5432);
            if (connect(server, (sockaddr*)&to, sizeof to) != 0)
            {
                closesocket(client);
                closesocket(server);
                continue;
            }
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_bEnding)
                return;
            m_sockets.push_back(client);
            m_sockets.push_back(server);
            m_pumps.emplace_back([this, client, server] { Pump(client, server, true); });
            m_pumps.emplace_back([this, client, server] { Pump(server, client, false); });
        }
    }
    // Copies from one socket to the other until either closes. The program's messages are
    // looked at for a FETCH; the server's wait while one is held.
    void Pump(SOCKET from, SOCKET to, bool bFromProgram)
    {
        std::vector<char> buffer(65536);
        for (;;)
        {
            const int n = recv(from, buffer.data(), (int)buffer.size(), 0);
            if (n <= 0)
                break;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                if (bFromProgram && m_nFetchesToHold > 0 &&
                    std::string(buffer.data(), n).find("FETCH ") != std::string::npos &&
                    --m_nFetchesToHold == 0)
                    m_bHeld = true;
                if (!bFromProgram && m_bHeld)
                {
                    m_bWaiting = true;
                    m_changed.wait(lock, [&] { return !m_bHeld; });
                }
            }
            for (int sent = 0; sent < n;)
            {
                const int k = send(to, buffer.data() + sent, n - sent, 0);
                if (k <= 0)
                    break;
                sent += k;
            }
        }
        shutdown(to, SD_SEND);
    }

    SOCKET m_listen = INVALID_SOCKET;
    int m_port = 0;
    std::atomic<bool> m_bEnding{false};
    std::thread m_accept;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<SOCKET> m_sockets;
    std::vector<std::thread> m_pumps;
    int m_nFetchesToHold = 0;
    bool m_bHeld = false;
    bool m_bWaiting = false;
};
