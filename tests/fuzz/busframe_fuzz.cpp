// Bus frames on arbitrary bytes, as a receiver reads a request (in pieces of
// any size) and a sender a reply: a frame taken whole encodes back to exactly
// the bytes it was read from.

#include "platform/bus/BusFrame.h"
#include "platform/bus/RequestReader.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte sets the piece size, as a sender's writes may split a frame.
  const std::size_t piece = data[0] % 64 + 1;
  const std::uint8_t* frame = data + 1;
  const std::size_t frameSize = size - 1;

  RequestReader reader;
  std::size_t used = 0;
  while (used < frameSize && reader.Current() == RequestReader::State::Incomplete) {
    const std::size_t offered = std::min(piece, frameSize - used);
    const std::size_t taken = reader.Feed(frame + used, offered);
    FuzzCheck(taken <= offered);
    used += taken;
    if (taken < offered) break;
  }
  FuzzCheck(reader.Current() != RequestReader::State::Dropped);
  if (reader.Current() == RequestReader::State::Complete) {
    const RequestHeader& request = reader.Request();
    FuzzCheck(request.message.data.size() <= kMaxFrameData);
    FuzzCheck(EncodeRequest(request.type, request.message) == std::string(FuzzText(frame, used)));
  }
  if (reader.Current() == RequestReader::State::Incomplete) FuzzCheck(used == frameSize);

  if (frameSize >= kReplySize) {
    std::array<std::uint8_t, kReplySize> replyBytes{};
    std::copy_n(frame, kReplySize, replyBytes.begin());
    const DecodedReply reply = DecodeReply(replyBytes);
    if (reply.wellFormed) FuzzCheck(EncodeReply(reply.status, reply.result) == replyBytes);
  }
  return 0;
}
