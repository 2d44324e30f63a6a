#pragma once

#include <map>
#include <string>

namespace tarnik {

class Environment {
 public:
  virtual ~Environment() = default;
  // The variable's value; empty when it is missing or empty.
  virtual std::string Get(const std::string& name) const = 0;
};

class SystemEnvironment final : public Environment {
 public:
  std::string Get(const std::string& name) const override;
};

class MapEnvironment final : public Environment {
 public:
  MapEnvironment() = default;
  explicit MapEnvironment(std::map<std::string, std::string> values) : values_(std::move(values)) {}
  std::string Get(const std::string& name) const override {
    auto it = values_.find(name);
    return it == values_.end() ? std::string() : it->second;
  }

 private:
  std::map<std::string, std::string> values_;
};

}  // namespace tarnik
