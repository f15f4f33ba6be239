#include "tests/support/json_schema.h"

#include <algorithm>
#include <fstream>

namespace trevalune::testing {

namespace {

/// nlohmann names every number "number", as the schema's "number" takes integers too.
bool hasType(const nlohmann::json& v, const std::string& type) {
    return type == "integer" ? v.is_number_integer() : v.type_name() == type;
}

void check(const nlohmann::json& root, const nlohmann::json& s, const nlohmann::json& v,
           const std::string& at, std::vector<std::string>& errors) {
    if (s.contains("$ref")) {
        // Only "#/$defs/NAME": the schema refers to its own parts.
        const std::string ref = s["$ref"];
        check(root, root["$defs"][ref.substr(ref.rfind('/') + 1)], v, at, errors);
        return;
    }
    if (s.contains("oneOf")) {
        int fits = 0;
        for (const auto& one : s["oneOf"]) {
            std::vector<std::string> none;
            check(root, one, v, at, none);
            fits += none.empty() ? 1 : 0;
        }
        if (fits != 1) errors.push_back(at + ": fits " + std::to_string(fits) + " of oneOf");
        return;
    }
    if (s.contains("type")) {
        const nlohmann::json types = s["type"].is_array() ? s["type"] : nlohmann::json{s["type"]};
        bool any = false;
        for (const auto& t : types) any = any || hasType(v, t);
        if (!any) return errors.push_back(at + ": " + v.dump() + " is not " + types.dump());
    }
    if (s.contains("enum") && std::find(s["enum"].begin(), s["enum"].end(), v) == s["enum"].end()) {
        errors.push_back(at + ": " + v.dump() + " is none of " + s["enum"].dump());
    }
    if (v.is_object()) {
        for (const auto& key : s.value("required", nlohmann::json::array())) {
            if (!v.contains(key)) errors.push_back(at + ": no key " + key.get<std::string>());
        }
        const nlohmann::json properties = s.value("properties", nlohmann::json::object());
        for (const auto& [key, value] : v.items()) {
            if (properties.contains(key)) {
                check(root, properties[key], value, at + "/" + key, errors);
            } else if (s.value("additionalProperties", true) == false) {
                errors.push_back(at + ": unexpected key " + key);
            }
        }
    }
    if (v.is_array() && s.contains("items")) {
        for (std::size_t i = 0; i < v.size(); ++i) {
            check(root, s["items"], v[i], at + "/" + std::to_string(i), errors);
        }
    }
}

}  // namespace

std::vector<std::string> schemaErrors(const nlohmann::json& schema, const nlohmann::json& value) {
    std::vector<std::string> errors;
    check(schema, schema, value, "", errors);
    return errors;
}

const nlohmann::json& sendSchema() {
    static const nlohmann::json schema = nlohmann::json::parse(
        std::ifstream(TREVALUNE_SOURCE_DIR "/cli/trevalune-send.schema.json"));
    return schema;
}

}  // namespace trevalune::testing
