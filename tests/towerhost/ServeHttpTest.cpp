// towerhost serve over HTTP: the player's commands reach the module's dialogs, and requests from other
// sites, oversized, malformed or flooding ones get JSON errors and leave the tower intact.
#include "ServeProcess.h"

#include <thread>

namespace {

using json = nlohmann::json;

class ServeHttp : public ServeProcess {
protected:
    void SetUp() override { Start({WriteFile("play.json", PlayScenario()), "--trace", "trace.jsonl"}); }

    // The error an answer names; fails the test when it is not a JSON error.
    static std::string Error(const HttpAnswer& answer)
    {
        const json body = json::parse(answer.body, nullptr, false);
        EXPECT_TRUE(body.is_object() && body.contains("error")) << answer.status << " " << answer.body;
        return body.is_object() && body.contains("error") ? body["error"].get<std::string>() : "";
    }

    HttpAnswer Post(const std::string& path, const json& body) const { return Request("POST", path, body.dump()); }
};

TEST_F(ServeHttp, ThePageTheStateAndTheTowerPictureAreServedAndTheClockRuns)
{
    const HttpAnswer page = Request("GET", "/");
    EXPECT_EQ(page.status, 200);
    EXPECT_NE(page.body.find("/serve.js"), std::string::npos);
    EXPECT_EQ(Request("GET", "/serve.js").status, 200);
    const HttpAnswer picture = Request("GET", "/api/tower.png");
    EXPECT_EQ(picture.status, 200);
    EXPECT_EQ(picture.body.substr(1, 3), "PNG");

    const json before = State();
    EXPECT_EQ(before["speed"], "pause");
    ASSERT_EQ(before["theaters"].size(), 1u);
    EXPECT_EQ(before["theaters"][0]["name"], "Roxy");
    EXPECT_EQ(before["theaters"][0]["film"]["id"], "RAIN");
    EXPECT_EQ(Post("/api/step", {{"until", "minute"}}).status, 200);
    EXPECT_EQ(State()["minute"], before["minute"].get<int>() + 1);

    // The theater opens at some minute of the day: running to the next status change gets there.
    EXPECT_EQ(Post("/api/step", {{"until", "status"}}).status, 200);
    const json changed = State();
    EXPECT_NE(changed["theaters"][0]["status"], before["theaters"][0]["status"]);
    EXPECT_GT(changed["minute"].get<int>(), before["minute"].get<int>() + 1);

    EXPECT_EQ(Post("/api/speed", {{"speed", "max"}}).status, 200);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(Post("/api/speed", {{"speed", "pause"}}).status, 200);
    const json ran = State();
    EXPECT_GT(ran["day"].get<int>() * 1440 + ran["minute"].get<int>(),
              changed["day"].get<int>() * 1440 + changed["minute"].get<int>());
    EXPECT_EQ(ran["speed"], "pause");
}

TEST_F(ServeHttp, TheFilmIsChangedThroughTheModulesDialogsAndShowsInRowReportAndTrace)
{
    EXPECT_EQ(Error(Post("/api/press", {{"item", 7099}})), "press 7099: no dialog is open");
    ASSERT_EQ(Post("/api/open", {{"theater", 1}}).status, 200);
    json dialogs = State()["dialogs"];
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0]["template"], 1000);
    EXPECT_NE(dialogs[0]["svg"].get<std::string>().find("Rain Over Harbour"), std::string::npos);

    ASSERT_EQ(Post("/api/press", {{"item", 7099}}).status, 200);
    dialogs = State()["dialogs"];
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_FALSE(dialogs[0]["enabled"]);
    EXPECT_EQ(dialogs[1]["template"], 2000);
    json table;
    for (const json& item : dialogs[1]["items"])
        if (item["kind"] == "MOVTBL")
            table = item;
    ASSERT_EQ(table["rows"].size(), 2u);
    EXPECT_EQ(table["rows"][1]["film"], "STAR");

    EXPECT_EQ(Error(Post("/api/select", {{"film", "MOON"}})),
              "select_film MOON: film \"MOON\" is not in the film table");
    ASSERT_EQ(Post("/api/select", {{"film", "STAR"}}).status, 200);
    ASSERT_EQ(Post("/api/press", {{"item", 7092}}).status, 200);
    ASSERT_EQ(Post("/api/type", {{"item", 7003}, {"text", "Roxy Palace"}}).status, 200);
    ASSERT_EQ(Post("/api/press", {{"item", 1}}).status, 200);

    const json state = State();
    EXPECT_TRUE(state["dialogs"].empty());
    EXPECT_EQ(state["theaters"][0]["name"], "Roxy Palace");
    EXPECT_EQ(state["theaters"][0]["film"]["title"], "Starlight Express");
    EXPECT_EQ(state["funds"], 5000 - 40);
    const json report = json::parse(Request("GET", "/api/report").body);
    EXPECT_EQ(report["theaters"][0]["film"], "STAR");

    ASSERT_EQ(Stop(), 0);
    EXPECT_EQ(Events("trace.jsonl", {"pay"}).size(), 1u);
    const auto films = Events("trace.jsonl", {"set_film"});
    ASSERT_FALSE(films.empty());
    EXPECT_NE(films.back().dump().find("STAR"), std::string::npos);
}

// Requests naming another host, changing the tower from another site, oversized, malformed or unknown ones
// get JSON errors naming the problem; the server's own names are let through.
TEST_F(ServeHttp, RequestsAreCheckedBeforeTheyReachTheTower)
{
    const std::string port = std::to_string(mPort);
    const std::string own = "Host: 127.0.0.1:" + port + "\r\n";
    // Each connection closes after its answer, so that none waits for the server to drop it.
    auto request = [](const std::string& line, const std::string& headers, const std::string& body = "") {
        return line + " HTTP/1.1\r\nConnection: close\r\n" + headers +
               (body.empty() ? "" : "Content-Length: " + std::to_string(body.size()) + "\r\n") + "\r\n" + body;
    };
    const std::string speed = R"({"speed":"pause"})";
    const struct {
        std::string request;
        int status;
        std::string error; // the error's beginning; empty: answered
    } cases[] = {
        {request("GET /api/state", "Host: rebound.example:" + port + "\r\n"), 403,
         "Host \"rebound.example:" + port + "\" is not this server"},
        {request("GET /api/state", ""), 403, "Host \"\" is not this server"},
        {request("GET /api/state", "Host: localhost:" + port + "\r\n"), 200, ""},
        {request("POST /api/speed", own + "Origin: http://evil.example\r\n", speed), 403,
         "Origin \"http://evil.example\" may not change the tower"},
        {request("POST /api/speed", own + "Sec-Fetch-Site: cross-site\r\n", speed), 403,
         "a request from another site may not change the tower"},
        {request("POST /api/speed", own + "Sec-Fetch-Site: same-site\r\n", speed), 403,
         "a request from another site may not change the tower"},
        {request("POST /api/speed", own + "Origin: http://127.0.0.1:" + port + "\r\n", speed), 200, ""},
        {request("POST /api/speed", own + "Content-Length: 16385\r\n"), 413, "the body is larger than 16384 bytes"},
        {request("POST /api/load", own + "Content-Length: 1073741825\r\n"), 413,
         "the body is larger than 1073741824 bytes"},
        {request("POST /api/speed", own + "Transfer-Encoding: chunked\r\n", "0\r\n\r\n"), 411,
         "a body needs a Content-Length"},
        {request("GET /api/state", own, "hello"), 413, "the body is larger than 0"},
        {request("POST /api/speed", own, "not json"), 400, "the body is not a JSON object"},
        {request("POST /api/speed", own, R"({"speed":"7"})"), 400, "\"speed\": \"7\" is none of pause, 1, 10, 60, max"},
        {request("POST /api/press", own, R"({"item":"x"})"), 400,
         "\"item\": \"x\" is not a whole number from 0 to 65535"},
        {request("POST /api/open", own, "{}"), 400, "\"theater\" is missing"},
        {request("POST /api/open", own, R"({"theater":9})"), 409, "open_info 9: the tower has no theater 9"},
        {request("GET /../CMakeLists.txt", own), 404, "no such endpoint"},
        {request("BREW /api/state", own), 400, "the request is malformed"},
        {request("GET /" + std::string(9000, 'a'), own), 414, "the address is too long"},
        {"\x01\x02garbage\r\n\r\n", 400, "the request is malformed"},
    };
    for (const auto& c : cases) {
        const HttpAnswer answer = Raw(c.request);
        EXPECT_EQ(answer.status, c.status) << c.request.substr(0, 80);
        if (!c.error.empty()) {
            EXPECT_EQ(Error(answer).substr(0, c.error.size()), c.error) << c.request.substr(0, 80);
        }
    }
}

TEST_F(ServeHttp, ADamagedSaveIsRefusedWithTheLoadMessageAndAGoodOneReplacesTheTower)
{
    const HttpAnswer saved = Request("GET", "/api/save");
    ASSERT_EQ(saved.status, 200);
    EXPECT_EQ(saved.body.substr(0, 7), "WbTower");

    ASSERT_EQ(Post("/api/step", {{"until", "status"}}).status, 200);
    const json moved = State();
    const HttpAnswer damaged = Request("POST", "/api/load?name=damaged.tower", saved.body.substr(0, 40));
    EXPECT_EQ(damaged.status, 422);
    EXPECT_EQ(Error(damaged).substr(0, 15), "damaged.tower: ");
    EXPECT_EQ(State()["minute"], moved["minute"]);

    EXPECT_EQ(Request("POST", "/api/load?name=good.tower", saved.body).status, 200);
    const json loaded = State();
    EXPECT_LT(loaded["minute"].get<int>(), moved["minute"].get<int>());
    EXPECT_EQ(loaded["theaters"][0]["name"], "Roxy");
}

// 1,000 connections at once, a third of them garbage, a third cut off halfway; the server answers the
// rest, and the tower keeps running with its theaters as they were.
TEST_F(ServeHttp, AFloodOfConcurrentAndGarbageRequestsLeavesTheTowerIntact)
{
    constexpr int kConnections = 1000;
    const std::string host = "Host: 127.0.0.1:" + std::to_string(mPort) + "\r\n";
    const std::string requests[] = {
        "GET /api/state HTTP/1.1\r\n" + host + "Connection: close\r\n\r\n",
        "\x16\x03\x01 not http at all \xff\xfe\r\n\r\n",
        "POST /api/speed HTTP/1.1\r\n" + host + "Content-Length: 100\r\n\r\n{\"spe",
    };
    ASSERT_EQ(Post("/api/speed", {{"speed", "60"}}).status, 200);
    const json before = State();

    // All connections are opened at once; each sends its request as soon as it is connected and is read
    // once the server answers or closes it.
    std::vector<pollfd> waiting;
    std::vector<int> kind; // the request of each waiting connection; -1 once it was sent
    for (int i = 0; i < kConnections; ++i) {
        const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ASSERT_GE(socket, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(uint16_t(mPort));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const int connected = ::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ASSERT_TRUE(connected == 0 || errno == EINPROGRESS) << "connection " << i;
        waiting.push_back({socket, POLLOUT, 0});
        kind.push_back(i % 3);
    }
    int answered = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!waiting.empty() && std::chrono::steady_clock::now() < end) {
        if (::poll(waiting.data(), waiting.size(), 1000) <= 0)
            continue;
        for (size_t w = 0; w < waiting.size();) {
            pollfd& fd = waiting[w];
            if (fd.revents != 0 && kind[w] >= 0) {
                const std::string& request = requests[kind[w]];
                ::send(fd.fd, request.data(), request.size(), MSG_NOSIGNAL);
                if (kind[w] == 2)
                    ::shutdown(fd.fd, SHUT_WR);
                kind[w] = -1;
                fd = {fd.fd, POLLIN, 0};
            } else if (fd.revents != 0) {
                char buffer[256];
                const ssize_t got = ::recv(fd.fd, buffer, sizeof buffer, 0);
                answered += got > 0 && std::string(buffer, size_t(got)).rfind("HTTP/1.1 ", 0) == 0 ? 1 : 0;
                ::close(fd.fd);
                waiting.erase(waiting.begin() + long(w));
                kind.erase(kind.begin() + long(w));
                continue;
            }
            ++w;
        }
    }
    for (const pollfd& left : waiting)
        ::close(left.fd);
    EXPECT_TRUE(waiting.empty()) << waiting.size() << " connections were neither answered nor closed";
    EXPECT_GE(answered, kConnections / 2);

    const json after = State();
    ASSERT_EQ(after["theaters"].size(), before["theaters"].size());
    EXPECT_EQ(after["theaters"][0]["name"], "Roxy");
    EXPECT_EQ(after["theaters"][0]["film"], before["theaters"][0]["film"]);
    EXPECT_GT(after["day"].get<int>() * 1440 + after["minute"].get<int>(),
              before["day"].get<int>() * 1440 + before["minute"].get<int>());
    EXPECT_EQ(Stop(), 0);
}

TEST_F(ServeHttp, CtrlCStopsTheServerCleanly)
{
    EXPECT_EQ(Post("/api/speed", {{"speed", "max"}}).status, 200);
    EXPECT_EQ(Stop(), 0);
    EXPECT_NE(ReadOutput("stopped", std::chrono::seconds(1)).find("towerhost serve: stopped"), std::string::npos);
    EXPECT_EQ(Slurp(File("stderr.txt")), "");
}

} // namespace
