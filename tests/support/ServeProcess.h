// A `towerhost serve` process of a test's own on a free loopback port, and plain HTTP requests to it.
#pragma once

#include "HostProcess.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>

// A scenario to play: the two films and the Roxy of change-film.json, without its scripted steps.
inline std::string PlayScenario()
{
    nlohmann::json scenario = nlohmann::json::parse(Slurp(kScenarios + "change-film.json"));
    scenario.erase("actions");
    return scenario.dump();
}

struct HttpAnswer {
    int status = 0; // 0: no answer
    std::string body;
};

class ServeProcess : public HostProcess {
protected:
    ~ServeProcess() override { Stop(); }

    // Starts the server with the arguments after "serve"; the port is read from the line it prints.
    void Start(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), {kTowerHost, "serve", "--port", "0"});
        mChild = StartInFolder(std::move(arguments), mPath);
        ASSERT_GT(mChild, 0);
        for (int wait = 0; wait < 600 && Printed().find('\n') == std::string::npos; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const std::string first = Printed();
        const size_t at = first.find("http://127.0.0.1:");
        ASSERT_NE(at, std::string::npos) << first << Slurp(File("stderr.txt"));
        mPort = std::stoi(first.substr(at + 17));
    }

    // Ctrl-C; returns the exit code, or -1 when the server did not stop within 30 seconds.
    int Stop()
    {
        if (mChild <= 0)
            return -1;
        ::kill(mChild, SIGINT);
        int status = 0;
        pid_t ended = 0;
        for (int wait = 0; wait < 300 && (ended = ::waitpid(mChild, &status, WNOHANG)) == 0; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (ended == 0) {
            ::kill(mChild, SIGKILL);
            ::waitpid(mChild, nullptr, 0);
        }
        mChild = 0;
        return ended > 0 ? ExitCodeOf(status) : -1;
    }

    std::string Printed() const { return Slurp(File("stdout.txt")); }

    // A connection to the server that gives up waiting for an answer after 20 seconds; -1 when refused.
    static int Connect(int port)
    {
        const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(uint16_t(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(socket);
            return -1;
        }
        timeval timeout{20, 0};
        ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        return socket;
    }

    // Sends the bytes as they are and reads the answer until the server closes the connection.
    HttpAnswer Raw(const std::string& request) const
    {
        const int socket = Connect(mPort);
        if (socket < 0)
            return {};
        ::send(socket, request.data(), request.size(), MSG_NOSIGNAL);
        std::string text;
        char buffer[4096];
        for (ssize_t got; (got = ::recv(socket, buffer, sizeof buffer, 0)) > 0;)
            text.append(buffer, size_t(got));
        ::close(socket);
        const size_t end = text.find("\r\n\r\n");
        if (text.rfind("HTTP/1.1 ", 0) != 0 || end == std::string::npos)
            return {};
        return {std::stoi(text.substr(9, 3)), text.substr(end + 4)};
    }

    // A request as a browser on the page sends it: own Host, and own Origin when it changes something.
    HttpAnswer Request(const std::string& method, const std::string& path, const std::string& body = "") const
    {
        const std::string host = "127.0.0.1:" + std::to_string(mPort);
        std::string request = method + " " + path + " HTTP/1.1\r\nHost: " + host + "\r\nConnection: close\r\n";
        if (method != "GET")
            request += "Origin: http://" + host + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
        return Raw(request + "\r\n" + body);
    }
    nlohmann::json State() const { return nlohmann::json::parse(Request("GET", "/api/state").body); }

    int mPort = 0;

private:
    pid_t mChild = 0;
};
