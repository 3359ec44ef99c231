#include "protocol/MemoryDownload.h"

#include "protocol/MemoryDecoder.h"

void MemoryDownload::Reset() {
    length_ = 0;
    stopAsked_ = false;
    ended_ = false;
}

void MemoryDownload::AppendByte(std::uint8_t byte) {
    if (length_ >= kMemorySize) {
        return;
    }
    buffer_[static_cast<std::size_t>(length_)] = byte;
    ++length_;
    if (observer_ != nullptr) {
        observer_->onByteStored();
    }
}

int MemoryDownload::LastByte() const {
    return length_ == 0 ? 0xFF : buffer_[static_cast<std::size_t>(length_ - 1)];
}

std::vector<std::uint8_t> MemoryDownload::bytes() const {
    return {buffer_.begin(), buffer_.begin() + length_};
}

void MemoryDownload::finish() {
    ended_ = true;
    if (observer_ != nullptr) {
        observer_->onDownloadFinished();
    }
}

void MemoryDownload::abort(DownloadEnd why) {
    ended_ = true;
    abortReason_ = why;
    if (observer_ != nullptr) {
        observer_->onDownloadAborted();
    }
}

std::vector<MemoryRecord> MemoryDownload::decode() const {
    return decodeMemory(buffer_.data(), length_);
}
