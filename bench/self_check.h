// Before timing anything: the floors must do the library's work. Each call's
// result and each event's text from the library are compared with what the
// floor builds; a difference would make the ratios meaningless.
#pragma once

#include <string>
#include <vector>

namespace velmo {
namespace quon {
namespace kiv {
namespace bench {

// One line per difference found; empty when the floors match the library.
std::vector<std::string> checkFloorsMatchLibrary();

}  // namespace bench
}  // namespace kiv
}  // namespace quon
}  // namespace velmo
