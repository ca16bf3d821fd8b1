// The library's API description (api/velmo-kiv-api.json, built into the shell):
// which keys each call needs and which keys each event body has. The shell
// checks calls and waits against it and names near names for a misspelt one.
// A shell built without the file checks nothing.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace kivsh {

class ApiCatalog {
 public:
  // Text that is empty or not a description gives one that is not available.
  explicit ApiCatalog(const std::string& text);

  // The description built into the shell.
  static const ApiCatalog& builtIn();

  bool available() const { return available_; }

  // Empty when `event` is an event name and each path's first keys lie in its
  // body as far as the description knows the records; else what is wrong,
  // with the near names.
  std::string checkWait(const std::string& event, const std::vector<std::string>& paths) const;

  // Empty when `params` carries every key `api` needs, of the kind it needs;
  // else the first problem, in the order the library checks the keys. Keys
  // the shell fills itself ("message" and "length" of a publish) and optional
  // keys may be missing. An unknown name gives its near names.
  std::string checkCall(const std::string& api, const nlohmann::json& params) const;

  // Up to three names of `names` closest to `name` in spelling.
  static std::vector<std::string> nearNames(const std::string& name,
                                            const std::vector<std::string>& names);

 private:
  const nlohmann::json* find(const char* list, const std::string& name) const;
  std::vector<std::string> names(const char* list) const;
  const nlohmann::json* record(const std::string& name) const;

  bool available_ = false;
  nlohmann::json description_;
};

}  // namespace kivsh
