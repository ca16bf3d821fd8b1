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
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    requestId = nextRequestId();
    if (failNextRequests_ > 0) {
      --failNextRequests_;
      events_.post(result(requestId, failErrorCode_));
      return failErrorCode_;
    }
    const int code = backend_.request(requestId, need, body, result);
    return code == kAnswerLater ? static_cast<int>(kOk) : code;
  } catch (...) {
    return kFailure;
  }
}

void FaceRequests::failNext(uint32_t count) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  failNextRequests_ = count;
}

void FaceRequests::failWith(int code) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  failErrorCode_ = code;
}

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
