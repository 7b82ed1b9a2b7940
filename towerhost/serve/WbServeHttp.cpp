// Requests pass the guards first (Host, Origin, body size), then reach a route; every answer that is not
// the page, a picture or a save file is JSON, errors as {"error": "..."} naming the problem.
#include "WbServeHttp.h"

#include "WbActions.h"
#include "WbScenario.h"
#include "WbServePage.h"
#include "WbServeRun.h"
#include "WbServeTower.h"
#include "WbTowerFile.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <arpa/inet.h>
#include <optional>
#include <sys/socket.h>

namespace {

using json = nlohmann::json;
using Answer = WbServeTower::Answer;

constexpr int kServerThreads = 12;
// An event stream says something at least this often, so that a closed page is noticed.
constexpr auto kEventKeepAlive = std::chrono::seconds(10);

std::string ErrorBody(const std::string& message)
{
    return json({{"error", message}}).dump(-1, ' ', false, json::error_handler_t::replace);
}

void Fail(httplib::Response& res, int status, const std::string& message)
{
    res.status = status;
    res.set_content(ErrorBody(message), "application/json");
}

void Send(httplib::Response& res, const Answer& answer)
{
    res.status = answer.status;
    res.set_content(answer.body, answer.contentType.c_str());
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

bool ChangesState(const std::string& method) { return method != "GET" && method != "HEAD" && method != "OPTIONS"; }

// The body of a command as a JSON object; nullopt after answering 400.
std::optional<json> CommandBody(const httplib::Request& req, httplib::Response& res)
{
    json body = json::parse(req.body, nullptr, false);
    if (body.is_discarded() || !body.is_object()) {
        Fail(res, 400, "the body is not a JSON object");
        return std::nullopt;
    }
    return body;
}

// A whole number of the body within [low, high]; nullopt after answering 400.
std::optional<int64_t> Number(const json& body, const std::string& key, int64_t low, int64_t high,
                              httplib::Response& res)
{
    const auto value = body.find(key);
    if (value == body.end()) {
        Fail(res, 400, "\"" + key + "\" is missing");
        return std::nullopt;
    }
    if (!value->is_number_integer() || value->get<int64_t>() < low || value->get<int64_t>() > high) {
        Fail(res, 400,
             "\"" + key + "\": " + value->dump() + " is not a whole number from " + std::to_string(low) + " to " +
                 std::to_string(high));
        return std::nullopt;
    }
    return value->get<int64_t>();
}

std::optional<std::string> Text(const json& body, const std::string& key, size_t maxBytes, httplib::Response& res)
{
    const auto value = body.find(key);
    if (value == body.end()) {
        Fail(res, 400, "\"" + key + "\" is missing");
        return std::nullopt;
    }
    if (!value->is_string()) {
        Fail(res, 400, "\"" + key + "\" is not a text");
        return std::nullopt;
    }
    if (value->get_ref<const std::string&>().size() > maxBytes) {
        Fail(res, 400, "\"" + key + "\" is longer than " + std::to_string(maxBytes) + " bytes");
        return std::nullopt;
    }
    return value->get<std::string>();
}

// Runs a player's step on the tower; a step the dialogs refuse is a conflict with the tower's state.
Answer Perform(WbServeTower& tower, WbActionStep step)
{
    return tower.Run([step = std::move(step)](WbServeRun& run) -> Answer {
        try {
            run.Perform(step);
        } catch (const std::runtime_error& error) {
            return {409, ErrorBody(step.label + ": " + error.what())};
        }
        return {200, R"({"ok":true})"};
    });
}

WbActionStep Step(WbActionStep::Kind kind, std::string label)
{
    WbActionStep step;
    step.kind = kind;
    step.label = std::move(label);
    return step;
}

// An upload's name as messages give it; only printable ASCII of the name is kept.
std::string UploadName(const httplib::Request& req)
{
    std::string name;
    for (char c : req.get_param_value("name"))
        if (c >= 0x20 && c < 0x7F && name.size() < 128)
            name += c;
    return name.empty() ? "upload" : name;
}

} // namespace

WbServeHttp::WbServeHttp(WbServeTower& tower) : mTower(tower), mServer(std::make_unique<httplib::Server>())
{
    mServer->new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
    mServer->set_read_timeout(5, 0);
    mServer->set_write_timeout(5, 0);
    mServer->set_keep_alive_timeout(2);
    mServer->set_payload_max_length(WbTowerFile::kMaxFileBytes);
    AddGuards();
    AddRoutes();
}

WbServeHttp::~WbServeHttp() = default;

bool WbServeHttp::IsLoopback(const std::string& address)
{
    if (Lower(address) == "localhost")
        return true;
    in_addr v4{};
    if (::inet_pton(AF_INET, address.c_str(), &v4) == 1)
        return (ntohl(v4.s_addr) >> 24) == 127;
    in6_addr v6{};
    return ::inet_pton(AF_INET6, address.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

int WbServeHttp::Bind(const std::string& address, int port)
{
    if (address.find(':') != std::string::npos)
        mServer->set_address_family(AF_INET6);
    int listening = -1;
    mServer->set_socket_options([&listening](int socket) {
        const int yes = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        listening = socket;
    });
    const int bound =
        port == 0 ? mServer->bind_to_any_port(address) : (mServer->bind_to_port(address, port) ? port : -1);
    if (bound <= 0)
        return -1;
    // The library listens with a queue of a few connections; a burst of them would wait for the client's
    // retries for seconds. Listening again on the same socket makes the queue as long as the system allows.
    ::listen(listening, SOMAXCONN);
    const std::string suffix = ":" + std::to_string(bound);
    if (IsLoopback(address))
        mHosts = {"127.0.0.1" + suffix, "localhost" + suffix, "[::1]" + suffix};
    if (address.find(':') != std::string::npos)
        mHosts.push_back("[" + Lower(address) + "]" + suffix);
    else
        mHosts.push_back(Lower(address) + suffix);
    return bound;
}

bool WbServeHttp::Listen() { return mServer->listen_after_bind(); }

void WbServeHttp::Stop() { mServer->stop(); }

bool WbServeHttp::IsOwnHost(const std::string& host) const
{
    return std::find(mHosts.begin(), mHosts.end(), Lower(host)) != mHosts.end();
}

void WbServeHttp::AddGuards()
{
    using Handled = httplib::Server::HandlerResponse;
    mServer->set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
        // A page of another site reaches a server on this machine through a name of its own that it points
        // here (DNS rebinding); such a request still names the other site in its Host.
        const std::string host = req.get_header_value("Host");
        if (!IsOwnHost(host)) {
            Fail(res, 403, "Host \"" + host + "\" is not this server (" + mHosts.front() + ")");
            return Handled::Handled;
        }
        if (ChangesState(req.method)) {
            const std::string origin = req.get_header_value("Origin");
            if (req.has_header("Origin") && !IsOwnHost(origin.starts_with("http://") ? origin.substr(7) : "")) {
                Fail(res, 403, "Origin \"" + origin + "\" may not change the tower");
                return Handled::Handled;
            }
            const std::string site = req.get_header_value("Sec-Fetch-Site");
            if (site == "cross-site" || site == "same-site") {
                Fail(res, 403, "a request from another site may not change the tower");
                return Handled::Handled;
            }
        }
        if (req.has_header("Transfer-Encoding")) {
            Fail(res, 411, "a body needs a Content-Length");
            return Handled::Handled;
        }
        const size_t cap = req.path == "/api/load"    ? WbTowerFile::kMaxFileBytes
                           : ChangesState(req.method) ? kMaxCommandBytes
                                                      : 0;
        const std::string length = req.get_header_value("Content-Length");
        if (!length.empty() && (length.size() > 12 || std::stoull("0" + length.substr(0, 12)) > cap)) {
            Fail(res, 413,
                 "the body is larger than " + std::to_string(cap) + " bytes, the most " + req.path + " takes");
            return Handled::Handled;
        }
        return Handled::Unhandled;
    });
    mServer->set_error_handler(
        httplib::Server::HandlerWithResponse([](const httplib::Request& req, httplib::Response& res) -> Handled {
            if (!res.body.empty())
                return Handled::Unhandled;
            switch (res.status) {
            case 404:
                Fail(res, 404, "no such endpoint: " + req.method + " " + req.path);
                break;
            case 413:
                Fail(res, 413, "the body is too large");
                break;
            case 414:
                Fail(res, 414, "the address is too long");
                break;
            default:
                Fail(res, res.status, res.status < 500 ? "the request is malformed" : "the server failed");
            }
            return Handled::Handled;
        }));
    mServer->set_exception_handler([](const httplib::Request&, httplib::Response& res, std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            Fail(res, 500, e.what());
        } catch (...) {
            Fail(res, 500, "the server failed");
        }
    });
}

void WbServeHttp::AddRoutes()
{
    httplib::Server& server = *mServer;
    server.Get("/", [](const httplib::Request&, httplib::Response& res) {
        const WbServeAsset* page = WbFindServeAsset("/index.html");
        res.set_content(page->data, page->size, page->contentType);
    });
    server.Get(R"(/[a-z]+\.(js|css|html))", [](const httplib::Request& req, httplib::Response& res) {
        const WbServeAsset* asset = WbFindServeAsset(req.path);
        if (!asset)
            return Fail(res, 404, "no such endpoint: GET " + req.path);
        res.set_content(asset->data, asset->size, asset->contentType);
    });
    server.Get("/api/state", [this](const httplib::Request&, httplib::Response& res) {
        res.set_content(mTower.GetSnapshot()->state, "application/json");
    });
    server.Get("/api/tower.png", [this](const httplib::Request&, httplib::Response& res) {
        const auto snapshot = mTower.GetSnapshot();
        res.set_header("Cache-Control", "no-store");
        res.set_content(reinterpret_cast<const char*>(snapshot->towerPng.data()), snapshot->towerPng.size(),
                        "image/png");
    });
    server.Get("/api/events", [this](const httplib::Request&, httplib::Response& res) {
        if (++mEventStreams > kMaxEventStreams) {
            --mEventStreams;
            return Fail(res, 503, "already " + std::to_string(kMaxEventStreams) + " event streams are open");
        }
        res.set_header("Cache-Control", "no-store");
        auto seen = std::make_shared<uint64_t>(0);
        res.set_chunked_content_provider(
            "text/event-stream",
            [this, seen](size_t, httplib::DataSink& sink) {
                const auto snapshot = mTower.WaitNewer(*seen, kEventKeepAlive);
                if (mTower.IsStopping())
                    return false;
                const std::string event = snapshot->version > *seen ? "event: state\ndata: " + snapshot->state + "\n\n"
                                                                    : std::string(": still here\n\n");
                *seen = snapshot->version;
                return sink.write(event.data(), event.size());
            },
            [this](bool) { --mEventStreams; });
    });
    server.Get("/api/report", [this](const httplib::Request&, httplib::Response& res) {
        Send(res, mTower.Run([](WbServeRun& run) -> Answer {
            return {200, run.Report().dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace)};
        }));
    });
    server.Get("/api/save", [this](const httplib::Request&, httplib::Response& res) {
        const Answer answer = mTower.Run([](WbServeRun& run) -> Answer {
            const std::vector<uint8_t> bytes = run.Save();
            return {200, std::string(bytes.begin(), bytes.end()), "application/octet-stream"};
        });
        if (answer.status == 200)
            res.set_header("Content-Disposition", "attachment; filename=\"theater.tower\"");
        Send(res, answer);
    });
    server.Post("/api/load", [this](const httplib::Request& req, httplib::Response& res) {
        // The command owns what it reads: a command that timed out may still run after the request ended.
        auto bytes = std::make_shared<const std::string>(req.body);
        Send(res, mTower.Run([bytes, name = UploadName(req)](WbServeRun& run) -> Answer {
            try {
                run.Load({reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()}, name);
            } catch (const std::runtime_error& error) {
                return {422, ErrorBody(error.what())};
            }
            return {200, R"({"ok":true})"};
        }));
    });
    server.Post("/api/speed", [this](const httplib::Request& req, httplib::Response& res) {
        const auto body = CommandBody(req, res);
        if (!body)
            return;
        const auto speed = Text(*body, "speed", 8, res);
        if (!speed)
            return;
        Send(res, mTower.Run([speed = *speed](WbServeRun& run) -> Answer {
            if (!run.SetSpeed(speed))
                return {400, ErrorBody("\"speed\": \"" + speed + "\" is none of pause, 1, 10, 60, max")};
            return {200, R"({"ok":true})"};
        }));
    });
    server.Post("/api/step", [this](const httplib::Request& req, httplib::Response& res) {
        const auto body = CommandBody(req, res);
        if (!body)
            return;
        const auto until = Text(*body, "until", 8, res);
        if (!until)
            return;
        if (*until != "minute" && *until != "status")
            return Fail(res, 400, "\"until\": \"" + *until + "\" is neither minute nor status");
        Send(res, mTower.Run([until = *until](WbServeRun& run) -> Answer {
            if (until == "minute") {
                run.SetSpeed("pause");
                run.RunMinutes(1);
            } else {
                run.RunToStatusChange();
            }
            return {200, R"({"ok":true})"};
        }));
    });
    server.Post("/api/open", [this](const httplib::Request& req, httplib::Response& res) {
        const auto body = CommandBody(req, res);
        const auto theater = body ? Number(*body, "theater", 1, WbScenarioLimits::kMaxTheaters, res) : std::nullopt;
        if (!theater)
            return;
        WbActionStep step = Step(WbActionStep::Kind::OpenInfo, "open_info " + std::to_string(*theater));
        step.theater = int(*theater);
        Send(res, Perform(mTower, std::move(step)));
    });
    server.Post("/api/press", [this](const httplib::Request& req, httplib::Response& res) {
        const auto body = CommandBody(req, res);
        const auto item = body ? Number(*body, "item", 0, 0xFFFF, res) : std::nullopt;
        if (!item)
            return;
        WbActionStep step = Step(WbActionStep::Kind::Press, "press " + std::to_string(*item));
        step.item = int(*item);
        Send(res, Perform(mTower, std::move(step)));
    });
    server.Post("/api/select", [this](const httplib::Request& req, httplib::Response& res) {
        const auto body = CommandBody(req, res);
        const auto film = body ? Text(*body, "film", 4, res) : std::nullopt;
        if (!film)
            return;
        WbActionStep step = Step(WbActionStep::Kind::SelectFilm, "select_film " + *film);
        step.film = *film;
        Send(res, Perform(mTower, std::move(step)));
    });
    server.Post("/api/type", [this](const httplib::Request& req, httplib::Response& res) {
        const auto body = CommandBody(req, res);
        const auto item = body ? Number(*body, "item", 0, 0xFFFF, res) : std::nullopt;
        const auto text = item ? Text(*body, "text", WbScenarioLimits::kMaxNameBytes, res) : std::nullopt;
        if (!text)
            return;
        WbActionStep step = Step(WbActionStep::Kind::Type, "type " + std::to_string(*item));
        step.item = int(*item);
        step.text = *text;
        Send(res, Perform(mTower, std::move(step)));
    });
}
