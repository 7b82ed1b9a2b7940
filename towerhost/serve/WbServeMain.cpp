// The serve subcommand's course: options, scenario, the tower's thread, the web server, then waiting for
// Ctrl-C. Signals are taken by this thread alone, so the server's and the tower's threads never see one.
#include "WbServeMain.h"

#include "WbDemoScenario.h"
#include "WbHostAddOn.h"
#include "WbScenarioReader.h"
#include "WbServeHttp.h"
#include "WbServeTower.h"

#include <CLI/CLI.hpp>

#include <climits>
#include <csignal>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace {

struct ServeOptions {
    std::string scenarioPath;
    std::string modulePath;
    std::string loadPath;
    std::string tracePath;
    std::string bind = "127.0.0.1";
    int port = kServeDefaultPort;
};

const char* const kDescription =
    "Runs the tower in this process and serves a page to play it in a web browser: the live tower, its\n"
    "clock and controls, each theater's row, and the module's own dialogs answering every click.";

// Returns -1 to go on, otherwise the exit code after help or a usage error.
int ReadOptions(int argc, const char* const* argv, ServeOptions& options, std::FILE* out, std::FILE* err)
{
    CLI::App app(kDescription, "towerhost serve");
    app.footer("Examples:\n"
               "  towerhost serve                          the demo tower on http://127.0.0.1:" +
               std::to_string(kServeDefaultPort) +
               "/\n"
               "  towerhost serve tests/scenarios/change-film.json --port 0 --trace trace.jsonl\n");
    app.get_formatter()->column_width(28);
    app.add_option("scenario", options.scenarioPath, "Scenario JSON file (default: the demo tower)")
        ->type_name("SCENARIO.json");
    app.add_option("--port", options.port,
                   "Port to listen on; 0 picks a free one (default: " + std::to_string(kServeDefaultPort) + ")")
        ->check(CLI::Range(0, 65535))
        ->type_name("N");
    app.add_option("--bind", options.bind,
                   "Address to listen on (default: 127.0.0.1); any other than this machine's own lets others play")
        ->type_name("ADDR");
    app.add_option("--module", options.modulePath, "The plug-in module to load (default: Theater.wbp beside towerhost)")
        ->type_name("PATH");
    app.add_option("--load", options.loadPath, "Start from a saved tower (films come from the scenario)")
        ->type_name("FILE");
    app.add_option("--trace", options.tracePath, "Write the trace of the module's host calls and the page's clicks")
        ->type_name("FILE");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), out);
        return 0;
    } catch (const CLI::ParseError& error) {
        std::fprintf(err, "towerhost serve: %s (see towerhost serve --help)\n", error.what());
        return 2;
    }
    return -1;
}

std::string DefaultModulePath()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return "Theater.wbp";
    const std::string program(path, size_t(length));
    const size_t slash = program.rfind('/');
    return (slash == std::string::npos ? std::string(".") : program.substr(0, slash)) + "/Theater.wbp";
}

std::string Url(const std::string& address, int port)
{
    const std::string host = address.find(':') != std::string::npos ? "[" + address + "]" : address;
    return "http://" + host + ":" + std::to_string(port) + "/";
}

} // namespace

int WbServeMain(int argc, const char* const* argv, std::FILE* out, std::FILE* err)
{
    ServeOptions options;
    if (const int exitCode = ReadOptions(argc, argv, options, out, err); exitCode >= 0)
        return exitCode;

    WbServeTower::Setup setup;
    setup.addOns = WbMakeHostAddOns();
    try {
        WbScenarioReader reader;
        for (const auto& addOn : setup.addOns)
            addOn->AddScenarioSections(reader);
        setup.scenario = options.scenarioPath.empty() ? reader.ReadText(WbDemoScenarioText())
                                                      : reader.ReadFile(options.scenarioPath);
    } catch (const std::exception& error) {
        std::fprintf(err, "towerhost serve: %s\n", error.what());
        return 2;
    }
    setup.modulePath = options.modulePath.empty() ? DefaultModulePath() : options.modulePath;
    setup.loadPath = options.loadPath;
    setup.tracePath = options.tracePath;

    // Blocked before any thread starts, so that every thread inherits the mask and only sigwait takes them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    WbServeTower tower(std::move(setup));
    if (const std::string error = tower.Start(); !error.empty()) {
        std::fprintf(err, "towerhost serve: %s\n", error.c_str());
        return 1;
    }
    WbServeHttp http(tower);
    const int port = http.Bind(options.bind, options.port);
    if (port < 0) {
        std::fprintf(err, "towerhost serve: cannot listen on %s port %d\n", options.bind.c_str(), options.port);
        return 1;
    }
    if (!WbServeHttp::IsLoopback(options.bind))
        std::fprintf(
            err,
            "towerhost serve: WARNING: listening on %s, not on this machine's own address: anyone who can\n"
            "towerhost serve: WARNING: reach it can play, save and replace this tower. There is no password.\n",
            options.bind.c_str());
    std::fprintf(out, "towerhost serve: open %s in a browser (Ctrl-C stops)\n", Url(options.bind, port).c_str());
    std::fflush(out);

    bool served = true;
    std::thread server([&http, &served] { served = http.Listen(); });
    int signal = 0;
    sigwait(&stopSignals, &signal);
    tower.Stop();
    http.Stop();
    server.join();
    std::fprintf(out, "towerhost serve: stopped\n");
    return served ? 0 : 1;
}
