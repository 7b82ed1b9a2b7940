// Reads a scenario from JSON and rejects anything it cannot run, naming the key and the value.
#pragma once

#include "WbScenario.h"

#include <nlohmann/json_fwd.hpp>

#include <functional>
#include <map>
#include <stdexcept>
#include <string>

// A scenario the host cannot run; the message starts with the key path ("theaters[1].capacity: ...").
class WbScenarioError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class WbScenarioReader final {
public:
    // Reads a key that another part of the host owns; gets the value and its key path, and throws
    // WbScenarioError for a value it cannot use.
    using SectionReader = std::function<void(const nlohmann::json& value, const std::string& path)>;

    // Lets the scenario carry one more top-level key, read by its owner.
    void AddSection(const std::string& key, SectionReader reader);

    // The scenario in a parsed document; throws WbScenarioError.
    WbScenario Read(const nlohmann::json& document) const;
    // The scenario in JSON text; throws WbScenarioError, syntax errors with line and column.
    WbScenario ReadText(const std::string& text) const;
    // The scenario in a file; throws WbScenarioError, messages prefixed with the file's name.
    WbScenario ReadFile(const std::string& path) const;

private:
    std::map<std::string, SectionReader> mSections;
};
