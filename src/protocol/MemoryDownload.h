#pragma once

#include "protocol/MemoryRecord.h"

#include <array>
#include <cstdint>
#include <vector>

// Why a download ended before its end marker.
enum class DownloadEnd {
    ReadError,   // a reply could not be accepted ("Błąd w trakcie odczytu danych")
    OldFirmware, // the panel is older than 2.01 and cannot be read
    Stopped,     // the user asked to stop
    Silent,      // the panel stopped answering
};

// Who shows a memory download: the memory dialog, or a program without a
// display. Told synchronously, inside the poll engine's step.
class MemoryDownloadObserver {
public:
    virtual ~MemoryDownloadObserver() = default;
    // One more byte has been stored.
    virtual void onByteStored() = 0;
    // The end marker or the last address has been stored: the bytes are complete.
    virtual void onDownloadFinished() = 0;
    // The download failed or was stopped; nothing more is stored.
    virtual void onDownloadAborted() = 0;
};

// The bytes of one panel memory download and where it stands. The poll engine
// stores the bytes and ends the download; the observer shows it and may ask it
// to stop. Whether the engine reads another byte depends on this object alone,
// never on whether a window is visible.
class MemoryDownload {
public:
    static constexpr int kMemorySize = 4096;
    // A download with no byte stored for this long has failed.
    static constexpr int kWatchdogMs = 5000;
    // Progress is shown on this scale; longer contents leave it full.
    static constexpr int kProgressRange = 2048;
    // What whoever shows a download says when its watchdog fires, and when
    // the memory holds no record (UTF-8).
    static constexpr const char* kTransferFailed = "Błąd w trakcie przesyłania danych.";
    static constexpr const char* kMemoryEmpty = "Pamięć jest pusta";

    // The observer that shows downloads from now on; nullptr when nobody does
    // (then no byte can be stored).
    void setObserver(MemoryDownloadObserver* observer) { observer_ = observer; }

    // A new download: nothing stored, no stop asked for, open for bytes. The
    // buffer keeps its old bytes; only the length says what is current.
    void Reset();
    // Stores a byte (a byte beyond 4096 is dropped) and tells the observer.
    void AppendByte(std::uint8_t byte);
    // The last stored byte, 0xFF when none is stored.
    int LastByte() const;
    int size() const { return length_; }
    std::vector<std::uint8_t> bytes() const;

    // The user wants to stop: the engine ends the download after the next byte.
    void requestStop() { stopAsked_ = true; }
    bool stopRequested() const { return stopAsked_; }

    // Somebody shows the download, it has not ended and the memory has room:
    // only then may the engine read another byte.
    bool canTakeMore() const { return observer_ != nullptr && !ended_ && length_ < kMemorySize; }
    bool ended() const { return ended_; }

    // The observer gives up (its watchdog): no byte is stored any more.
    void end() { ended_ = true; }
    // The engine: the bytes are complete. Tells the observer.
    void finish();
    // The engine: the download failed or was stopped. Tells the observer.
    void abort(DownloadEnd why);
    // Why the last download was aborted (meaningful after an abort).
    DownloadEnd abortReason() const { return abortReason_; }

    // The records of the stored bytes; empty for an empty memory.
    std::vector<MemoryRecord> decode() const;

private:
    std::array<std::uint8_t, kMemorySize> buffer_{};
    int length_ = 0;
    bool stopAsked_ = false;
    bool ended_ = true; // until the first Reset
    DownloadEnd abortReason_ = DownloadEnd::Stopped;
    MemoryDownloadObserver* observer_ = nullptr;
};
