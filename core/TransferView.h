#pragma once
// What one transfer shows while it runs, and the flag it runs by.
//
// The window and the terminal show one item: the head of the queue. A
// transfer of the head writes its phase, byte counts, status texts and the
// item being fetched straight into the shared state. A transfer of an item
// fetched ahead of the head (GENERAL/CONNECTIONS above 1) keeps them to
// itself until its item becomes the head; Show then hands over what it
// holds, and from there on it writes through like the head's. Every
// transfer adds what arrives to the run's byte count, so the rate counts
// them all.
//
// The head's transfer ends at a Stop and at a Skip; one ahead of the head
// ends at a Stop or a Cancel (its run is over), never at a Skip, which drops
// the head alone.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "core/DownloadCore.h"
#include "core/FailureReason.h"

class CTransferView {
 public:
  enum class Place { Head, Ahead };
  CTransferView(CDownloadCore& core, Place place) : m_core(core), m_bShown(place == Place::Head) {}
  CTransferView(const CTransferView&) = delete;
  CTransferView& operator=(const CTransferView&) = delete;

  // The run flag: false once the transfer should give up.
  bool IsRunning() const;
  // A Skip ended the transfer: the user does not want the file.
  bool IsSkipped() const { return m_bShown && m_core.m_bSkipRequested; }
  // Ends a transfer ahead of the head at its next check.
  void Cancel() { m_bCancelled = true; }

  // Makes this the head's view: what it kept goes to the shared state, and
  // everything after goes there directly. Called again once the transfer has
  // ended, it hands over the final values.
  void Show();

  // Around each attempt at `item`: the item whose size gives the progress.
  void BeginAttempt(CDownloadItem& item);
  void EndAttempt();

  void SetPhase(TransferPhase phase);
  void SetStatusText(const std::string& text);
  void SetStatusText(const std::string& text, const FailureReason& reason);
  void ClearStatusReason();
  // Starts the counts of a new attempt: `resumed` bytes already on disk.
  void StartCount(std::int32_t resumed);
  // The file now holds `total` bytes, `arrived` of them just in from the
  // network.
  void CountBytes(std::int32_t total, std::size_t arrived);

  // The head's box is shown at once; one ahead of the head waits until
  // TakeHeldMessage, when its item is the head (the answer is then Ok).
  MessageAnswer ShowMessageBox(const std::string& text, MessageButtons buttons);
  std::string TakeHeldMessage();

 private:
  CDownloadCore& m_core;
  std::atomic<bool> m_bShown;
  std::atomic<bool> m_bCancelled{false};
  // What an unshown transfer keeps; the counts are only shown, so they are
  // stored without ordering, and Show after the transfer's end hands over
  // their final values.
  std::atomic<std::int32_t> m_nPhase{PHASE_IDLE};
  std::atomic<std::int32_t> m_nBytes{0};
  std::atomic<CDownloadItem*> m_pAttemptItem{nullptr};
  std::mutex m_mutex;  // orders the status texts against Show
  bool m_bHasStatus = false;
  std::string m_strStatus;
  FailureReason m_statusReason;
  std::string m_strHeldMessage;
};
