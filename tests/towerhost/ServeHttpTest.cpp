// towerhost serve drives the module's dialogs over HTTP and refuses requests that could harm the tower.
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
    static int Clock(const json& state) { return state["day"].get<int>() * 1440 + state["minute"].get<int>(); }
};

TEST_F(ServeHttp, ThePageTheStateAndTheTowerPictureAreServedTheClockRunsAndSavesLoad)
{
    EXPECT_NE(Request("GET", "/").body.find("/serve.js"), std::string::npos);
    EXPECT_EQ(Request("GET", "/serve.js").status, 200);
    EXPECT_EQ(Request("GET", "/api/tower.png").body.substr(1, 3), "PNG");

    const json before = State();
    EXPECT_EQ(before["speed"], "pause");
    ASSERT_EQ(before["theaters"].size(), 1u);
    EXPECT_EQ(std::tuple(before["theaters"][0]["name"], before["theaters"][0]["film"]["id"]),
              std::tuple("Roxy", "RAIN"));
    EXPECT_EQ(Post("/api/step", {{"until", "minute"}}).status, 200);
    EXPECT_EQ(Clock(State()), Clock(before) + 1);

    const HttpAnswer saved = Request("GET", "/api/save");
    // The theater opens at some minute of the day: running to the next status change gets there.
    EXPECT_EQ(Post("/api/step", {{"until", "status"}}).status, 200);
    const json changed = State();
    EXPECT_NE(changed["theaters"][0]["status"], before["theaters"][0]["status"]);
    EXPECT_GT(changed["minute"].get<int>(), before["minute"].get<int>() + 1);

    EXPECT_EQ(Post("/api/speed", {{"speed", "max"}}).status, 200);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(Post("/api/speed", {{"speed", "pause"}}).status, 200);
    const json ran = State();
    EXPECT_GT(Clock(ran), Clock(changed));

    // A damaged save is refused with the load's message; the save taken before replaces the tower.
    const HttpAnswer damaged = Request("POST", "/api/load?name=damaged.tower", saved.body.substr(0, 40));
    EXPECT_EQ(damaged.status, 422);
    EXPECT_EQ(Error(damaged).substr(0, 15), "damaged.tower: ");
    EXPECT_EQ(Clock(State()), Clock(ran));
    EXPECT_EQ(Request("POST", "/api/load?name=good.tower", saved.body).status, 200);
    EXPECT_EQ(Clock(State()), Clock(before) + 1) << "the tower saved a minute after the start";
}

TEST_F(ServeHttp, TheFilmIsChangedThroughTheModulesDialogsAndShowsInRowReportAndTrace)
{
    EXPECT_EQ(Error(Post("/api/press", {{"item", 7099}})), "press 7099: no dialog is open");
    ASSERT_EQ(Post("/api/open", {{"theater", 1}}).status, 200);
    json dialogs = State()["dialogs"];
    ASSERT_EQ(dialogs.size(), 1u);
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

    ASSERT_EQ(Post("/api/select", {{"film", "STAR"}}).status, 200);
    ASSERT_EQ(Post("/api/press", {{"item", 7092}}).status, 200);
    ASSERT_EQ(Post("/api/type", {{"item", 7003}, {"text", "Roxy Palace"}}).status, 200);
    ASSERT_EQ(Post("/api/press", {{"item", 1}}).status, 200);

    const json state = State();
    EXPECT_TRUE(state["dialogs"].empty());
    EXPECT_EQ(std::tuple(state["theaters"][0]["name"], state["theaters"][0]["film"]["title"], state["funds"]),
              std::tuple("Roxy Palace", "Starlight Express", 5000 - 40));
    EXPECT_EQ(json::parse(Request("GET", "/api/report").body)["theaters"][0]["film"], "STAR");

    ASSERT_EQ(Stop(), 0);
    EXPECT_EQ(Events("trace.jsonl", {"pay"}).size(), 1u);
    const auto films = Events("trace.jsonl", {"set_film"});
    ASSERT_FALSE(films.empty());
    EXPECT_NE(films.back().dump().find("STAR"), std::string::npos);
}

// Bad requests get JSON errors naming the problem; the server's own names are let through.
TEST_F(ServeHttp, RequestsAreCheckedBeforeTheyReachTheTower)
{
    const std::string port = std::to_string(mPort);
    const std::string own = "Host: 127.0.0.1:" + port + "\r\n";
    // Each connection closes after its answer, so that none waits for the server to drop it.
    auto request = [](const std::string& line, const std::string& headers, const std::string& body = "") {
        return line + " HTTP/1.1\r\nConnection: close\r\n" + headers +
               (body.empty() ? "" : "Content-Length: " + std::to_string(body.size()) + "\r\n") + "\r\n" + body;
    };
    const auto pause = [&](const std::string& headers) {
        return request("POST /api/speed", own + headers, R"({"speed":"pause"})");
    };
    const struct {
        std::string request;
        int status;
        std::string error; // the error's beginning; empty: answered
    } cases[] = {
        {request("GET /api/state", "Host: rebound.example:" + port + "\r\n"), 403,
         "Host \"rebound.example:" + port + "\" is not this server"},
        {request("GET /api/state", "Host: localhost:" + port + "\r\n"), 200, ""},
        {pause("Origin: http://evil.example\r\n"), 403, "Origin \"http://evil.example\" may not change the tower"},
        {pause("Sec-Fetch-Site: cross-site\r\n"), 403, "a request from another site may not change the tower"},
        {pause("Sec-Fetch-Site: same-site\r\n"), 403, "a request from another site may not change the tower"},
        {pause("Origin: http://127.0.0.1:" + port + "\r\n"), 200, ""},
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
    };
    for (const auto& c : cases) {
        const HttpAnswer answer = Raw(c.request);
        EXPECT_EQ(answer.status, c.status) << c.request.substr(0, 80);
        if (!c.error.empty()) {
            EXPECT_EQ(Error(answer).substr(0, c.error.size()), c.error) << c.request.substr(0, 80);
        }
    }
}

// 1,000 connections, a third garbage, a third cut off: the tower runs on as it was, and Ctrl-C still stops it.
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

    // All connections are opened and sent before any answer is read.
    std::vector<int> sockets;
    for (int i = 0; i < kConnections; ++i) {
        sockets.push_back(Connect(mPort));
        ASSERT_GE(sockets.back(), 0) << "connection " << i;
        const std::string& request = requests[i % 3];
        ::send(sockets.back(), request.data(), request.size(), MSG_NOSIGNAL);
        if (i % 3 == 2)
            ::shutdown(sockets.back(), SHUT_WR);
    }
    int answered = 0;
    int waiting = 0;
    for (int socket : sockets) {
        char buffer[256];
        const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
        answered += got > 0 && std::string(buffer, size_t(got)).starts_with("HTTP/1.1 ") ? 1 : 0;
        waiting += got < 0 ? 1 : 0;
        ::close(socket);
    }
    EXPECT_EQ(waiting, 0) << "connections neither answered nor closed";
    EXPECT_GE(answered, kConnections / 2);

    // At 60 minutes a second, half a second moves the clock on once the flood is answered.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const json after = State();
    ASSERT_EQ(after["theaters"].size(), before["theaters"].size());
    EXPECT_EQ(after["theaters"][0]["film"], before["theaters"][0]["film"]);
    EXPECT_GT(Clock(after), Clock(before));
    // Ctrl-C while it runs stops it cleanly.
    EXPECT_EQ(Stop(), 0);
    EXPECT_NE(Printed().find("towerhost serve: stopped"), std::string::npos);
    EXPECT_EQ(Slurp(File("stderr.txt")), "");
}

} // namespace
