#pragma once
// A shown window on the test's bus, for the bus tests.

#include <memory>
#include <string_view>

#include "platform/bus/BusWindow.h"

// Makes a window of class "Test" with `title` whose handler is `handler`
// (by default one that answers 0). With `error` null, a failure to make it
// fails the test; otherwise the failure is stored there for the test to check.
std::unique_ptr<BusWindow> MakeTestWindow(std::string_view title, BusHandler handler = {},
                                          BusDispatcher* dispatcher = nullptr,
                                          BusError* error = nullptr);
