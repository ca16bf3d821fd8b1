#include "src/kiv/src/impl/IKivPresence_wrapper.h"

#include <string>
#include <vector>

namespace velmo {
namespace quon {
namespace kiv {

using ::velmo::kiv::GetOnlineUsersOptions;
using ::velmo::kiv::IKivPresence;
using ::velmo::kiv::PresenceOptions;
using ::velmo::kiv::StateItem;
using namespace args;

namespace {

const Str kChannel{"channelName"};
const Int kType{"channelType"};
const Arr kItems{"items"}, kKeys{"keys"};
const U32 kCount{"count"};

// "count": how many leading elements of the array are taken.
KeyDescription countOf(const Arr& array) {
  KeyDescription d = kCount.describe();
  d.countOf = array.key;
  return d;
}

// "items" and "count": the first "count" elements become StateItem records
// (an element that is not an object gives a null key and value). A count beyond
// the array is refused rather than read past its end.
int setState(IKivPresence& presence, json& params, json& result) {
  std::tuple<const char*, int, json*, uint32_t> v;
  if (!readAll(params, v, kChannel, kType, kItems, kCount)) return kCodeBadParams;
  json& items = *std::get<2>(v);
  const uint32_t count = std::get<3>(v);
  if (count > items.size()) {
    reportBadValue("count", "is larger than \"items\" holds");
    return kCodeBadParams;
  }
  std::vector<StateItem> states(count);
  for (uint32_t i = 0; i < count; ++i) {
    std::string refusedText;
    if (!fromJson(items[i], states[i], refusedText)) {
      reportNulInText("items[" + std::to_string(i) + "]." + refusedText);
      return kCodeBadParams;
    }
  }
  uint64_t requestId = 0;
  presence.setState(std::get<0>(v), std::get<1>(v), states.data(), count, requestId);
  writeRequestAccepted(result, requestId);
  return kCodeOk;
}

// "count" and "keys": the first "count" keys, which must be strings.
int removeState(IKivPresence& presence, json& params, json& result) {
  std::tuple<const char*, int, uint32_t, json*> v;
  if (!readAll(params, v, kChannel, kType, kCount, kKeys)) return kCodeBadParams;
  const uint32_t count = std::get<2>(v);
  const json& keys = *std::get<3>(v);
  if (count > keys.size()) {
    reportBadValue("count", "is larger than \"keys\" holds");
    return kCodeBadParams;
  }
  std::vector<const char*> names(count);
  for (uint32_t i = 0; i < count; ++i) {
    if (!keys[i].is_string()) {
      reportBadValue("keys", "holds an element that is not a string");
      return kCodeBadParams;
    }
    names[i] = fields::textChars(keys[i]);
    if (!names[i]) {
      reportNulInText("keys[" + std::to_string(i) + "]");
      return kCodeBadParams;
    }
  }
  uint64_t requestId = 0;
  presence.removeState(std::get<0>(v), std::get<1>(v), count ? names.data() : nullptr, count,
                       requestId);
  writeRequestAccepted(result, requestId);
  return kCodeOk;
}

}  // namespace

velmo_kiv_IKivPresenceWrapperGen::velmo_kiv_IKivPresenceWrapperGen(
    std::weak_ptr<IKivClientWrapper> client)
    : SdkModule<IKivPresence>(std::move(client)) {
  const Str user{"userId"};
  registerRows({
      {"KivPresence_whoNow_f7f61d1",
       async(&IKivPresence::whoNow, kChannel, kType, Obj<PresenceOptions>{"options"})},
      {"KivPresence_whereNow_1fa04dd", async(&IKivPresence::whereNow, user)},
      {"KivPresence_setState_b73723a", setState,
       asyncCall({kChannel.describe(), kType.describe(), kItems.describe("object", "StateItem"),
                  countOf(kItems)})},
      {"KivPresence_removeState_d7033d8", removeState,
       asyncCall(
           {kChannel.describe(), kType.describe(), countOf(kKeys), kKeys.describe("string")})},
      {"KivPresence_getState_4ffa44d", async(&IKivPresence::getState, kChannel, kType, user)},
      {"KivPresence_getOnlineUsers_ce2d8e8", async(&IKivPresence::getOnlineUsers, kChannel, kType,
                                                   Obj<GetOnlineUsersOptions>{"options"})},
      {"KivPresence_getUserChannels_1fa04dd", async(&IKivPresence::getUserChannels, user)},
  });
}

}  // namespace kiv
}  // namespace quon
}  // namespace velmo
