#include "src/kiv/src/param_redaction.h"

#include <cstring>

namespace velmo {
namespace quon {
namespace kiv {

bool isRedactedApi(const char* apiName) {
  return std::strcmp(apiName, "KivClient_create") == 0 ||
         std::strcmp(apiName, "KivClient_login_1fa04dd") == 0 ||
         std::strcmp(apiName, "KivClient_renewToken_1fa04dd") == 0 ||
         std::strcmp(apiName, "StreamChannel_renewToken_1fa04dd") == 0;
}

std::string redactParams(const char*, std::string_view params) { return std::string(params); }

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
