#pragma once
// The bus wire format: one request frame from sender to receiver, and for a
// send one reply frame back. All numbers are little-endian. Layout and limits
// are described field by field in docs/desktop-bus.md.

#include <array>
#include <cstdint>
#include <string>

#include "platform/bus/BusTypes.h"

inline constexpr std::size_t kRequestHeaderSize = 36;
inline constexpr std::size_t kReplySize = 16;
inline constexpr std::uint32_t kMaxFrameData = 64 * 1024;  // bytes of a WM_COPYDATA record

enum class FrameType : std::uint32_t { Send = 1, Post = 2 };

enum class ReplyStatus : std::uint32_t { Handled = 0, Refused = 1 };

// The request header after a successful decode; the data follows it.
struct RequestHeader {
  FrameType type = FrameType::Send;
  BusMessage message;  // without data
  std::uint32_t dataLength = 0;
};

enum class FrameCheck { Ok, BadMagic, BadType, TooLong, DataNotAllowed };

// Header and data of a request, ready to write. The caller keeps data within
// kMaxFrameData.
std::string EncodeRequest(FrameType type, const BusMessage& message);

// Checks and decodes the fixed header: magic, frame type, the data length cap,
// and that only WM_COPYDATA carries data.
FrameCheck DecodeRequestHeader(const std::array<std::uint8_t, kRequestHeaderSize>& bytes,
                               RequestHeader& header);

std::array<std::uint8_t, kReplySize> EncodeReply(ReplyStatus status, std::int64_t result);

struct DecodedReply {
  bool wellFormed = false;
  ReplyStatus status = ReplyStatus::Refused;
  std::int64_t result = 0;
};
DecodedReply DecodeReply(const std::array<std::uint8_t, kReplySize>& bytes);
