#include "loopback_sdk/face_requests.h"

#include "loopback_sdk/error_codes.h"
#include "loopback_sdk/ids.h"
#include "loopback_sdk/sdk_results.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

int FaceRequests::run(uint64_t& requestId, Need need, const Backend::Body& body,
                      const Backend::ResultEvent& result) {
  try {
    std::lock_guard<std::mutex> lock(mutex_);
    requestId = nextRequestId();
    const int code = backend_.request(requestId, need, body, result);
    return code == kAnswerLater ? static_cast<int>(kOk) : code;
  } catch (...) {
    return kFailure;
  }
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
