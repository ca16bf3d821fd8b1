// The object behind an engine handle: owns the API modules, and for each call
// logs it, routes it by the prefix of its name, parses the parameters, hands
// raw buffers over and copies the result back.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "src/kiv/src/api_module_base.h"
#include "velmo_kiv_wrapper.h"

namespace velmo {
namespace quon {
namespace kiv {

class IKivClientWrapper;

class IQuonKivApiEngine {
 public:
  virtual ~IQuonKivApiEngine() = default;
  virtual int CallApi(ApiParam* param) = 0;
};

class QuonKivApiEngine : public IQuonKivApiEngine {
 public:
  // client may be null; a null table selects the built-in SDK factory.
  QuonKivApiEngine(::velmo::kiv::IKivClient* client, const KivProcTable* table);
  ~QuonKivApiEngine() override;

  int CallApi(ApiParam* param) override;

  // True while this thread is delivering one of this engine's events to a
  // sink: the engine must not be destroyed from there.
  bool insideOwnDelivery() const;

 private:
  int route(const ApiParam& param);
  // Every name the modules answer, for the near names of an unknown one.
  std::vector<std::string> allApiNames();
  std::unordered_map<std::string, std::shared_ptr<ApiModuleBase>> modules_;
  IKivClientWrapper* clientModule_;  // owned by modules_, alive as long as the engine
};

// The table whose factory is the SDK's own createKivClient.
const KivProcTable* builtinProcTable();

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
