// Secrets kept out of the log: the logged copy of a call's parameters has its
// application id, tokens, encryption key and proxy password masked. The module
// always gets the parameters unmasked.
#pragma once

#include <string>
#include <string_view>

namespace velmo {
namespace quon {
namespace kiv {

// True for the API names whose parameters carry secrets.
bool isRedactedApi(const char* apiName);

// The text to log for a call: masked for those API names, verbatim otherwise.
// Runs in time linear in the text, whatever its length.
std::string redactParams(const char* apiName, std::string_view params);

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
