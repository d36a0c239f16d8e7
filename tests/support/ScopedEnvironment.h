#pragma once
// An environment variable set for the life of an object, for this process and
// the children it starts, and put back as it was (set or unset) afterwards.

#include <optional>
#include <string>

class ScopedEnvironment {
 public:
  ScopedEnvironment(std::string name, const std::string& value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::string m_name;
  std::optional<std::string> m_old;
};
