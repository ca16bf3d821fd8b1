// The SDK's own declarations, as the stand-in refers to them.
#pragma once

#include "velmo_kiv_sdk/velmo_kiv_sdk.h"

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

namespace sdk = ::velmo::kiv;

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
