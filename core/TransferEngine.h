#pragma once
// What one worker keeps from one transfer attempt to the next: the libcurl
// multi handle, which holds the open connections (and what names resolved
// to), and the easy handles that carry the requests with the memory their
// bodies pass through, so that no attempt pays for fresh pages again. A
// connection is used again by a later attempt that goes to the same place:
// the same server directly, or the same proxy (whatever server is asked of
// it); never a direct one through a proxy, or one proxy's for another. Every
// other setting of an attempt starts afresh (CHttpConnection sets them all
// again). One thread uses an engine at a time.

#include <curl/curl.h>

#include <array>
#include <cstddef>
#include <memory>
#include <span>
#include <vector>

class CTransferEngine {
 public:
  // How many connections the engine keeps open: any number (one for each
  // server and proxy it met), or one, closed before another is opened, for
  // an engine beside others whose connections are counted together.
  enum class Connections { Any, KeepOne };
  explicit CTransferEngine(Connections connections = Connections::Any)
      : m_connections(connections) {}
  ~CTransferEngine();
  CTransferEngine(const CTransferEngine&) = delete;
  CTransferEngine& operator=(const CTransferEngine&) = delete;

  // What one request has of its own while it is under way: its easy handle,
  // where body bytes that come with the reply's head wait for the body's
  // reader (emptied by each request before use), and the buffer of its part
  // file's writes. An engine has two, so that the next request can go out
  // while the body before it is still being stored.
  struct Slot {
    CURL* easy = nullptr;
    std::vector<char> stage;
    std::vector<char> writeBuffer;
    bool taken = false;
    std::span<char> WriteBuffer();
  };
  struct SlotReturn {
    void operator()(Slot* slot) const { slot->taken = false; }
  };
  using SlotLease = std::unique_ptr<Slot, SlotReturn>;
  // A free slot, every option of its easy handle cleared, while the
  // connections are kept; the handles are made on first use. Null when
  // libcurl cannot make them.
  SlotLease TakeSlot();

  // How much libcurl reads from the socket at a time. While the reader
  // keeps up, a read takes what one wake-up brings (about 100 KB on
  // loopback); once it falls behind, the socket holds more, and a larger
  // buffer takes it in fewer calls. 1 MiB fetched a 1 GiB loopback file in
  // 0.7-0.9 of the time 256 KB took (2 and 4 MiB were no faster), so a lone
  // engine takes 1 MiB. Engines side by side share the line, and each of
  // them takes 128 KB: five fetched 100 x 1 MiB on loopback as fast as with
  // 256 KB, and the terminal front end then peaks at 13 MB instead of 16.
  std::size_t ReceiveBufferSize() const {
    return m_connections == Connections::Any ? 1024 * 1024 : 128 * 1024;
  }

  // Made by the first TakeSlot.
  CURLM* Multi() const { return m_multi; }

 private:
  const Connections m_connections;
  CURLM* m_multi = nullptr;
  std::array<Slot, 2> m_slots;
};
