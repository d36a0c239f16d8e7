#include "tests/support/ScopedEnvironment.h"

#include <cstdlib>

ScopedEnvironment::ScopedEnvironment(std::string name, const std::string& value)
    : m_name(std::move(name)) {
  if (const char* old = std::getenv(m_name.c_str())) m_old = old;
  setenv(m_name.c_str(), value.c_str(), 1);
}

ScopedEnvironment::~ScopedEnvironment() {
  if (m_old)
    setenv(m_name.c_str(), m_old->c_str(), 1);
  else
    unsetenv(m_name.c_str());
}
