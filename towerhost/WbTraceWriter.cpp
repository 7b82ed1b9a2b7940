// Trace lines are written by hand rather than through a JSON library: a long run writes millions, and
// their keys must come in a fixed order for people reading them.
#include "WbTraceWriter.h"

#include "WbFilmShelf.h"
#include "WbFourCC.h"
#include "WbHostRun.h"
#include "WbMoviePlugin.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace {

constexpr size_t kBufferBytes = 1 << 20;

const char* EventName(WbEventKind kind, bool inIdlePass)
{
    switch (kind) {
    case WbEventKind::Collect:
        return "collect";
    case WbEventKind::Enter:
        return "enter";
    case WbEventKind::TurnAway:
        return "turn_away";
    case WbEventKind::PushOutCustomers:
        return "push_out_customers";
    case WbEventKind::PushOutAll:
        return "push_out_all";
    case WbEventKind::ClearReserve:
        return "clear_reserve";
    case WbEventKind::ClearTotal:
        return "clear_total";
    case WbEventKind::CallStaff:
        return "call_staff";
    case WbEventKind::PayMoney:
        // The idle pass books the day's income; any other payment is the player's doing.
        return inIdlePass ? "book" : "pay";
    case WbEventKind::Estimate:
        return "estimate";
    case WbEventKind::Record:
        return "record";
    case WbEventKind::Remake:
        return "remake";
    case WbEventKind::Redraw:
        return "redraw";
    case WbEventKind::SetFilm:
        return "set_film";
    case WbEventKind::Name:
        return "name";
    case WbEventKind::Beep:
        return "beep";
    case WbEventKind::Dialog:
        return "dialog";
    }
    return "unknown";
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
