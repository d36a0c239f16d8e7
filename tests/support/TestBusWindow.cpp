#include "tests/support/TestBusWindow.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

std::unique_ptr<BusWindow> MakeTestWindow(std::string_view title, BusHandler handler,
                                          BusDispatcher* dispatcher, BusError* error) {
  if (!handler) handler = [](const BusMessage&) { return std::int64_t{0}; };
  BusError made = BusError::None;
  auto window = BusWindow::Create("Test", title, WindowVisibility::Shown, std::move(handler),
                                  dispatcher, made);
  if (error)
    *error = made;
  else
    EXPECT_EQ(made, BusError::None);
  return window;
}
