// Builds the ApiParam record of one call on the native side.
#include "api_call.h"

#include "velmo_kiv_wrapper.h"

namespace {
// One per thread: each JavaScript thread calls and reads its own.
thread_local char result[QUON_KIV_RESULT_BUFFER_SIZE];
}  // namespace

extern "C" {

int32_t KIV_NODE_CALL kiv_node_call(void* engine, const char* apiName, const char* params,
                                    uint32_t paramsLength, void* buffer, uint32_t bufferLength) {
  void* buffers[1] = {buffer};
  unsigned int lengths[1] = {bufferLength};
  ApiParam param = {apiName, params, paramsLength, result, nullptr, nullptr, 0};
  if (buffer) {
    param.buffers = buffers;
    param.bufferLengths = lengths;
    param.bufferCount = 1;
  }
  result[0] = '\0';
  return CallQuonKivApi(engine, &param);
}

const char* KIV_NODE_CALL kiv_node_result(void) { return result; }

}  // extern "C"
