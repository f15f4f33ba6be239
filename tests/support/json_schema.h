#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace trevalune::testing {

/// The part of JSON Schema the program's own schema uses: type (one or a list), enum,
/// required, properties, additionalProperties: false, items, oneOf and local $ref. Returns
/// every place where `value` breaks it ("/queues/0/documents/1: no key job_state"); empty
/// when it fits.
std::vector<std::string> schemaErrors(const nlohmann::json& schema, const nlohmann::json& value);

/// trevalune-send's schema, read from the source tree.
const nlohmann::json& sendSchema();

}  // namespace trevalune::testing
