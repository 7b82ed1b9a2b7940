// The web server of `towerhost serve`: the page, the tower's state and pictures, the player's commands,
// and the checks that keep other sites and oversized or malformed requests away from the tower.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class WbServeTower;
namespace httplib {
class Server;
}

class WbServeHttp final {
public:
    // The largest body of a command; a save upload may be as large as a save file.
    static constexpr size_t kMaxCommandBytes = 16 * 1024;
    // Event streams open at once; each holds one of the server's threads.
    static constexpr int kMaxEventStreams = 4;

    explicit WbServeHttp(WbServeTower& tower);
    WbServeHttp(const WbServeHttp&) = delete;
    WbServeHttp& operator=(const WbServeHttp&) = delete;
    ~WbServeHttp();

    // Binds the address and port (0: any free port); returns the port, or -1 when it cannot be bound.
    int Bind(const std::string& address, int port);
    // Serves until Stop; returns false when serving failed.
    bool Listen();
    void Stop();

    // Whether the address is this machine's own (127.0.0.0/8, ::1, localhost).
    static bool IsLoopback(const std::string& address);

private:
    void AddRoutes();
    void AddGuards();
    // The Host header values the server answers to: its address or, on loopback, the loopback names.
    bool IsOwnHost(const std::string& host) const;

    WbServeTower& mTower;
    std::unique_ptr<httplib::Server> mServer;
    std::vector<std::string> mHosts; // "name:port", lower case
    std::atomic<int> mEventStreams{0};
};
