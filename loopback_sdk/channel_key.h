// A channel of the service: its type and name.
#pragma once

#include <string>
#include <tuple>

namespace velmo {
namespace quon {
namespace kiv {
namespace loopback {

struct ChannelKey {
  int type = 0;
  std::string name;

  bool operator<(const ChannelKey& other) const {
    return std::tie(type, name) < std::tie(other.type, other.name);
  }
  bool operator==(const ChannelKey& other) const {
    return type == other.type && name == other.name;
  }
};

}  // namespace loopback
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
