// Trace lines are written by hand rather than through a JSON library: a long run writes millions, and
// their keys must come in a fixed order for people reading them.
#include "WbTraceWriter.h"

#include "WbFilmShelf.h"
#include "WbFourCC.h"
#include "WbHostRun.h"
#include "WbMoviePlugin.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

constexpr size_t kBufferBytes = 1 << 20;

// The events' names in the order of WbEventKind.
constexpr std::array<const char*, 17> kEventNames = {
    "collect",      "enter",         "turn_away",   "push_out_customers",
    "push_out_all", "clear_reserve", "clear_total", "call_staff",
    "pay",          "estimate",      "record",      "remake",
    "redraw",       "set_film",      "name",        "beep",
    "dialog"};
static_assert(kEventNames.size() == size_t(WbEventKind::Dialog) + 1, "one name for each event");

const char* EventName(WbEventKind kind, bool inIdlePass)
{
    // The idle pass books the day's income; any other payment is the player's doing.
    if (kind == WbEventKind::PayMoney && inIdlePass)
        return "book";
    return kEventNames[size_t(kind)];
}

// Text as a JSON string. Bytes from 0x80 up pass unchanged, so UTF-8 text stays as it was.
std::string Quoted(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (uint8_t(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(uint8_t(c)));
            quoted += escaped;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

} // namespace

WbTraceWriter::WbTraceWriter(const std::string& path, WbHostRun& run)
    : mPath(path), mRun(run), mFile(std::fopen(path.c_str(), "wb"))
{
    if (!mFile)
        throw std::runtime_error(path + ": cannot be written: " + std::strerror(errno));
    std::setvbuf(mFile, nullptr, _IOFBF, kBufferBytes);
}

WbTraceWriter::~WbTraceWriter()
{
    if (mFile)
        std::fclose(mFile);
}

void WbTraceWriter::Close()
{
    const bool failed = std::ferror(mFile) != 0;
    const bool closed = std::fclose(mFile) == 0;
    mFile = nullptr;
    if (failed || !closed)
        throw std::runtime_error(mPath + ": cannot be written");
}

void WbTraceWriter::OnTowerEvent(const WbTowerEvent& event)
{
    int theater = mRun.GetTower().FindTheater(event.equip);
    if (theater < 0)
        theater = mRun.GetCallingTheater();
    BeginLine(theater, EventName(event.kind, mRun.IsIdlePassRunning()));
    switch (event.kind) {
    case WbEventKind::Collect:
    case WbEventKind::PushOutCustomers:
        std::fprintf(mFile, ",\"count\":%lld", static_cast<long long>(event.value));
        break;
    case WbEventKind::Enter:
        std::fprintf(mFile, ",\"leave\":%lld", static_cast<long long>(event.value));
        break;
    case WbEventKind::PayMoney:
        std::fprintf(mFile, ",\"amount\":%lld,\"category\":%d", static_cast<long long>(event.value), event.category);
        break;
    case WbEventKind::Record:
        FilmField("film", event.film);
        std::fprintf(mFile, ",\"value\":%lld", static_cast<long long>(event.value));
        break;
    case WbEventKind::Remake:
        FilmField("film", event.film);
        std::fprintf(mFile, ",\"days\":%lld", static_cast<long long>(event.value));
        break;
    case WbEventKind::SetFilm:
        FilmField("film", event.film);
        break;
    case WbEventKind::Name:
        std::fprintf(mFile, ",\"text\":%s", Quoted(event.text.Str()).c_str());
        break;
    case WbEventKind::Beep:
        std::fprintf(mFile, ",\"frequency\":%lld,\"duration\":%d", static_cast<long long>(event.value), event.category);
        break;
    case WbEventKind::Dialog:
        // The host program's dialog state comes as ready JSON members.
        std::fprintf(mFile, ",%s", event.text.GetString());
        break;
    default:
        break;
    }
    EndLine();
}

void WbTraceWriter::OnStatusChange(WbHostRun&, const WbStatusChange& change)
{
    BeginLine(change.theater, "status");
    std::fprintf(mFile, ",\"from\":%d,\"to\":%d,\"pattern\":%d", change.fromStatus, change.toStatus, change.pattern);
    EndLine();
}

void WbTraceWriter::BeginLine(int theater, const char* event)
{
    std::fprintf(mFile, "{\"day\":%d,\"minute\":%u,", mRun.GetDay(), mRun.GetMinute());
    if (theater >= 0)
        std::fprintf(mFile, "\"theater\":%d,", theater + 1);
    else
        std::fputs("\"theater\":null,", mFile);
    std::fprintf(mFile, "\"event\":\"%s\"", event);
}

void WbTraceWriter::EndLine() { std::fputs("}\n", mFile); }

void WbTraceWriter::FilmField(const char* key, const WbMoviePlugin* film)
{
    std::fprintf(mFile, ",\"%s\":%s", key, film ? Quoted(WbFourCCText(film->GetID())).c_str() : "null");
}
