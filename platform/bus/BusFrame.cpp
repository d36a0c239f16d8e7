#include "platform/bus/BusFrame.h"

namespace {

constexpr std::array<std::uint8_t, 4> kRequestMagic = {'T', 'F', 'B', '1'};
constexpr std::array<std::uint8_t, 4> kReplyMagic = {'T', 'F', 'R', '1'};

template <typename Number>
void PutLittleEndian(std::uint8_t* out, Number value) {
  auto bits = static_cast<std::uint64_t>(value);
  for (std::size_t i = 0; i < sizeof(Number); ++i)
    out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

template <typename Number>
Number GetLittleEndian(const std::uint8_t* in) {
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < sizeof(Number); ++i) bits |= std::uint64_t{in[i]} << (8 * i);
  return static_cast<Number>(bits);
}

template <std::size_t N>
bool HasMagic(const std::uint8_t* bytes, const std::array<std::uint8_t, N>& magic) {
  for (std::size_t i = 0; i < N; ++i)
    if (bytes[i] != magic[i]) return false;
  return true;
}

}  // namespace

std::string EncodeRequest(FrameType type, const BusMessage& message) {
  std::array<std::uint8_t, kRequestHeaderSize> header{};
  for (std::size_t i = 0; i < kRequestMagic.size(); ++i) header[i] = kRequestMagic[i];
  PutLittleEndian(&header[4], static_cast<std::uint32_t>(type));
  PutLittleEndian(&header[8], message.message);
  PutLittleEndian(&header[12], message.dataKind);
  PutLittleEndian(&header[16], message.wParam);
  PutLittleEndian(&header[24], message.lParam);
  PutLittleEndian(&header[32], static_cast<std::uint32_t>(message.data.size()));
  std::string frame(reinterpret_cast<const char*>(header.data()), header.size());
  frame += message.data;
  return frame;
}

FrameCheck DecodeRequestHeader(const std::array<std::uint8_t, kRequestHeaderSize>& bytes,
                               RequestHeader& header) {
  if (!HasMagic(bytes.data(), kRequestMagic)) return FrameCheck::BadMagic;
  const auto type = GetLittleEndian<std::uint32_t>(&bytes[4]);
  if (type != static_cast<std::uint32_t>(FrameType::Send) &&
      type != static_cast<std::uint32_t>(FrameType::Post))
    return FrameCheck::BadType;
  header.type = static_cast<FrameType>(type);
  header.message.message = GetLittleEndian<std::uint32_t>(&bytes[8]);
  header.message.dataKind = GetLittleEndian<std::uint32_t>(&bytes[12]);
  header.message.wParam = GetLittleEndian<std::uint64_t>(&bytes[16]);
  header.message.lParam = GetLittleEndian<std::int64_t>(&bytes[24]);
  header.dataLength = GetLittleEndian<std::uint32_t>(&bytes[32]);
  if (header.dataLength > kMaxFrameData) return FrameCheck::TooLong;
  if (header.message.message != WM_COPYDATA &&
      (header.dataLength != 0 || header.message.dataKind != 0))
    return FrameCheck::DataNotAllowed;
  return FrameCheck::Ok;
}

std::array<std::uint8_t, kReplySize> EncodeReply(ReplyStatus status, std::int64_t result) {
  std::array<std::uint8_t, kReplySize> reply{};
  for (std::size_t i = 0; i < kReplyMagic.size(); ++i) reply[i] = kReplyMagic[i];
  PutLittleEndian(&reply[4], static_cast<std::uint32_t>(status));
  PutLittleEndian(&reply[8], result);
  return reply;
}

DecodedReply DecodeReply(const std::array<std::uint8_t, kReplySize>& bytes) {
  DecodedReply reply;
  if (!HasMagic(bytes.data(), kReplyMagic)) return reply;
  const auto status = GetLittleEndian<std::uint32_t>(&bytes[4]);
  if (status != static_cast<std::uint32_t>(ReplyStatus::Handled) &&
      status != static_cast<std::uint32_t>(ReplyStatus::Refused))
    return reply;
  reply.wellFormed = true;
  reply.status = static_cast<ReplyStatus>(status);
  reply.result = GetLittleEndian<std::int64_t>(&bytes[8]);
  return reply;
}
