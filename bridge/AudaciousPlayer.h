#pragma once
// Audacious, driven through its own D-Bus interface org.atheme.audacious
// (object /org/atheme/audacious) on the session bus.

#include <chrono>
#include <functional>
#include <string>

#include "bridge/PlayerBackend.h"
#include "bridge/SessionBus.h"

class AudaciousPlayer : public PlayerBackend {
 public:
  // `startCommand` starts Audacious when it is missing (a command line).
  AudaciousPlayer(SessionBus& bus, std::string startCommand);

  std::string Name() const override { return "Audacious"; }
  bool IsRunning() override;
  PlayerOutcome EnsureRunning() override;
  PlayState State() override;
  PlayerOutcome Play() override;
  PlayerOutcome Stop() override;
  PlayerOutcome Clear() override;
  PlayerOutcome Append(const std::string& uri) override;

 private:
  // Calls a method of the interface and returns its reply (`replyType`, or
  // any when null); null with `error` set when it failed. `parameters` is
  // consumed when floating.
  Variant Request(const char* method, GVariant* parameters, const char* replyType,
                  std::string& error);
  bool Call(const char* method, GVariant* parameters, std::string& error) {
    return Request(method, parameters, nullptr, error) != nullptr;
  }
  // The length of the active playlist, or -1 when Audacious does not answer.
  int Length();
  // Waits, bounded, until `condition` holds; a failure naming `what` if not.
  PlayerOutcome AwaitDone(const std::function<bool()>& condition, const std::string& what);

  SessionBus& m_bus;
  std::string m_startCommand;
};
