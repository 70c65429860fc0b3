// Copies of the game in processes of their own meet through the host's
// relay on loopback: they fill the lobby, race and agree on the results; a
// copy that comes late is refused; a guest that vanishes leaves the host's
// race to run to its end; a host that vanishes sends its guest back to the
// menu with a message. Each copy is the lan_copy program (copy/LanCopy.cpp)
// and reports what it sees as "lan: " lines.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

// A loopback port nobody listens on now, for the host's relay.
uint16_t freePort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

// One running copy: its standard input held open until stop(), its "lan: "
// lines collected as they come.
class Copy {
public:
    Copy(const std::string& role, double finishAfter, uint16_t port)
    {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            dup2(in[0], STDIN_FILENO);
            dup2(out[1], STDOUT_FILENO);
            for (int fd : {in[0], in[1], out[0], out[1]})
                close(fd);
            setenv("VORLUND_LAN_ROLE", role.c_str(), 1);
            setenv("VORLUND_LAN_FINISH", std::to_string(finishAfter).c_str(), 1);
            setenv("VORLUND_RELAY_ADDRESS", "127.0.0.1", 1);
            setenv("VORLUND_RELAY_PORT", std::to_string(port).c_str(), 1);
            execl(VORLUND_LAN_COPY, VORLUND_LAN_COPY, "--gtest_brief=1", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        m_input = in[1];
        m_output = out[0];
    }
    ~Copy()
    {
        stop();
        if (m_pid > 0) {
            // A copy that does not end on its own is a finding; it goes.
            if (!waitFor(60s)) {
                kill(m_pid, SIGKILL);
                waitpid(m_pid, nullptr, 0);
            }
        }
        if (m_output >= 0)
            close(m_output);
    }
    bool started() const { return m_pid > 0; }

    // Waits for a line that begins with `prefix`; the whole line, or "" when
    // none came in time or the copy ended.
    std::string waitLine(const std::string& prefix, std::chrono::seconds wait = 120s)
    {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        for (;;) {
            for (const std::string& line : m_lines)
                if (line.compare(0, prefix.size(), prefix) == 0)
                    return line;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !readSome(int(left.count())))
                return "";
        }
    }
    const std::vector<std::string>& lines() const { return m_lines; }
    void stop()
    {
        if (m_input >= 0)
            close(m_input);
        m_input = -1;
    }
    void vanish()
    {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }
    // The copy's exit status once it ended by itself, -1 otherwise.
    int status()
    {
        if (m_pid > 0 && !waitFor(60s))
            return -1;
        return m_status;
    }

private:
    bool readSome(int milliseconds)
    {
        pollfd p{m_output, POLLIN, 0};
        if (poll(&p, 1, milliseconds) <= 0)
            return false;
        char buffer[4096];
        const ssize_t n = read(m_output, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        m_pending.append(buffer, size_t(n));
        size_t end;
        while ((end = m_pending.find('\n')) != std::string::npos) {
            const std::string line = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            if (line.compare(0, 5, "lan: ") == 0)
                m_lines.push_back(line.substr(5));
        }
        return true;
    }
    bool waitFor(std::chrono::seconds wait)
    {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                m_pid = -1;
                return true;
            }
            // Keep its pipe drained: a copy blocked on a full pipe never ends.
            readSome(50);
        }
        return false;
    }

    pid_t m_pid = -1;
    int m_input = -1;
    int m_output = -1;
    int m_status = -1;
    std::string m_pending;
    std::vector<std::string> m_lines;
};

// The "kart I rank R time T" lines of a copy, by kart.
std::map<int, std::string> results(const std::vector<std::string>& lines)
{
    std::map<int, std::string> out;
    for (const std::string& line : lines)
        if (line.compare(0, 5, "kart ") == 0)
            out[std::atoi(line.c_str() + 5)] = line;
    return out;
}

class LanGame : public testing::Test {
protected:
    uint16_t m_port = freePort();
};

} // namespace

TEST_F(LanGame, HostAndGuestRaceAndAgreeOnTheResultsAndALateCopyIsRefused)
{
    Copy host("host", 2.0, m_port);
    ASSERT_TRUE(host.started());
    ASSERT_NE(host.waitLine("lobby"), "") << "the host made no game";
    Copy guest("guest", 3.5, m_port);
    ASSERT_NE(guest.waitLine("lobby"), "") << "the guest did not get into the lobby";
    const std::string racing = host.waitLine("racing");
    ASSERT_NE(racing, "") << "the race did not start on the host";
    EXPECT_EQ(racing, "racing 7") << "two players and five computer drivers";
    EXPECT_EQ(guest.waitLine("racing"), racing);

    Copy late("late", 0.0, m_port);
    EXPECT_EQ(late.waitLine("refused"), "refused Could not connect to the game.");

    ASSERT_NE(host.waitLine("results"), "");
    ASSERT_NE(guest.waitLine("results"), "");
    const auto hostResults = results(host.lines());
    EXPECT_EQ(hostResults.size(), 7u);
    EXPECT_EQ(hostResults, results(guest.lines())) << "the same ranks and finish times on both";
    // The host's player before the guest's, on both.
    EXPECT_NE(hostResults.at(0).find("rank 0"), std::string::npos) << hostResults.at(0);
    EXPECT_NE(hostResults.at(1).find("rank 1"), std::string::npos) << hostResults.at(1);
    for (Copy* copy : {&host, &guest})
        std::printf("%s\n", copy->waitLine("sent").c_str());
    host.stop();
    guest.stop();
    EXPECT_EQ(guest.status(), 0);
    EXPECT_EQ(host.status(), 0);
    EXPECT_EQ(late.status(), 0);
}

TEST_F(LanGame, AGuestThatVanishesLeavesTheHostsRaceToItsEnd)
{
    Copy host("host", 3.0, m_port);
    ASSERT_NE(host.waitLine("lobby"), "");
    Copy guest("guest", 100.0, m_port);
    ASSERT_NE(guest.waitLine("racing"), "");
    ASSERT_NE(host.waitLine("racing"), "");
    guest.vanish();
    ASSERT_NE(host.waitLine("results"), "") << "the host's race did not end";
    EXPECT_NE(results(host.lines()).at(0).find("rank 0"), std::string::npos);
    host.stop();
    EXPECT_EQ(host.status(), 0);
}

TEST_F(LanGame, AHostThatVanishesSendsItsGuestBackToTheMenuWithAMessage)
{
    Copy host("host", 100.0, m_port);
    ASSERT_NE(host.waitLine("lobby"), "");
    Copy guest("guest", 100.0, m_port);
    ASSERT_NE(host.waitLine("racing"), "");
    ASSERT_NE(guest.waitLine("racing"), "");
    host.vanish();
    const std::string menu = guest.waitLine("menu");
    EXPECT_NE(menu.find("notice The connection to the game was lost."), std::string::npos) << menu;
    guest.stop();
    EXPECT_EQ(guest.status(), 0);
}
