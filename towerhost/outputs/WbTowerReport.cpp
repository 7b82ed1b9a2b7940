// What a run ends with, for tools and tests: clock, money, each theater and each film's record.
#include "WbTowerReport.h"

#include "WbFilmShelf.h"
#include "WbFourCC.h"
#include "WbHostTower.h"
#include "WbMoviePlugin.h"
#include "WbTenant.h"
#include "WbTowerDoc.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace {

std::string Hex(const std::vector<uint8_t>& bytes)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (uint8_t byte : bytes) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

nlohmann::ordered_json FilmID(const WbMoviePlugin* film)
{
    return film ? nlohmann::ordered_json(WbFourCCText(film->GetID())) : nlohmann::ordered_json(nullptr);
}

} // namespace

namespace WbTowerReport {

nlohmann::ordered_json Make(const WbHostTower& tower)
{
    const WbTowerDoc& doc = tower.GetDoc();
    nlohmann::ordered_json report;
    report["day"] = doc.GetCurrentDateTime()->CalcTotalDays();
    report["minute"] = doc.GetCurrentDateTime()->GetRawMinutes();
    report["funds"] = doc.GetCurrentFunds();
    report["day_base"] = doc.GetDayBase();
    report["theaters"] = nlohmann::ordered_json::array();
    for (int i = 0; i < tower.GetTheaterCount(); ++i) {
        const WbTenant& tenant = tower.GetTheater(i);
        nlohmann::ordered_json theater;
        theater["name"] = tower.GetTheaterName(i);
        theater["status"] = tenant.GetStatus();
        theater["pattern"] = tenant.GetPatIndex();
        theater["film"] = FilmID(tenant.GetSubPlugin());
        theater["customers"] = tenant.GetCustomerCount();
        theater["reserve"] = tenant.GetReserveCount();
        theater["total_customers"] = tenant.GetTotalCustomer();
        theater["extra_data"] = Hex(tower.SaveExtraData(i));
        report["theaters"].push_back(std::move(theater));
    }
    report["films"] = nlohmann::ordered_json::array();
    for (const auto& film : tower.GetShelf().GetFilms())
        report["films"].push_back({{"id", WbFourCCText(film->GetID())}, {"persons_record", film->GetNOPersonsR()}});
    return report;
}

void Write(const std::string& path, const nlohmann::ordered_json& report)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
        throw std::runtime_error(path + ": cannot be written: " + std::strerror(errno));
    // Names read from a save file may be any bytes; they must not cost the report.
    file << report.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
    file.close();
    if (!file)
        throw std::runtime_error(path + ": cannot be written");
}

} // namespace WbTowerReport
