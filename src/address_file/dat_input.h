// Buffered, streaming binary input over an address file (or over bytes held in memory, for
// fuzzing and tests). Reads go through a 64 KiB buffer, so memory does not grow with the file
// and there is no system call per byte. The byte offset of the next read is always known, so
// every error can say where it happened.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/owned_file.h"

namespace brindle {

class DatInput {
 public:
  // Receives consumed bytes in copy mode (see AttachTee).
  class Tee {
   public:
    virtual void Pass(const char* data, std::size_t n) = 0;

   protected:
    ~Tee() = default;
  };

  static constexpr std::size_t kDefaultBufferSize = 64 * 1024;

  // Opens `path` for binary reading. Throws DatError when it cannot be opened. Tests pass a tiny
  // `bufferSize` to put every item across a refill.
  explicit DatInput(const std::filesystem::path& path, std::size_t bufferSize = kDefaultBufferSize);
  // Reads from `bytes`, which must outlive this input.
  static DatInput FromMemory(std::string_view bytes);
  static DatInput FromMemory(std::string&&) = delete;  // the bytes would not outlive the input

  DatInput(DatInput&&) noexcept;
  DatInput& operator=(DatInput&&) noexcept;
  ~DatInput();

  // Reads exactly `n` bytes into `dst`. Throws DatError naming `what` and the offset where the
  // item starts when the input ends first.
  void Read(void* dst, std::size_t n, const char* what) {
    if (size_ - pos_ >= n) {
      std::memcpy(dst, data_ + pos_, n);
      pos_ += n;
      return;
    }
    ReadAcross(dst, n, what);
  }
  // Read of a size known when compiling, so that the copy is a plain load.
  template <std::size_t N>
  void ReadFixed(void* dst, const char* what) {
    if (size_ - pos_ >= N) {
      std::memcpy(dst, data_ + pos_, N);
      pos_ += N;
      return;
    }
    ReadAcross(dst, N, what);
  }
  // Reads exactly `n` bytes as the whole of `text`, straight from the buffer when they are
  // there (texts are most of a file's items).
  void ReadText(std::string& text, std::size_t n, const char* what) {
    if (size_ - pos_ >= n) {
      text.assign(data_ + pos_, n);
      pos_ += n;
      return;
    }
    text.resize(n);
    ReadAcross(text.data(), n, what);
  }
  // Consumes exactly `n` bytes without keeping them.
  void Skip(std::size_t n, const char* what) {
    if (size_ - pos_ >= n) {
      pos_ += n;
      return;
    }
    ReadAcross(nullptr, n, what);
  }
  // Reads up to `max` bytes; returns how many were read (0 at the end). Never throws on EOF.
  std::size_t ReadSome(void* dst, std::size_t max);
  // True when no byte is left.
  bool AtEnd();
  // Bytes left after the next read position, or -1 when the size of the input is not known.
  std::int64_t Remaining() const { return total_ < 0 ? -1 : total_ - offset(); }

  // Copy mode: from now on every byte consumed is handed to `tee`, in spans (the bytes consumed
  // since the last hand-over, at the latest when the buffer is about to be refilled), rather
  // than item by item, which is what made copying slow.
  void AttachTee(Tee* tee) {
    tee_ = tee;
    teeFrom_ = pos_;
  }
  // Hands over the bytes consumed and not yet passed on.
  void FlushTee() {
    if (tee_ != nullptr && pos_ > teeFrom_) tee_->Pass(data_ + teeFrom_, pos_ - teeFrom_);
    teeFrom_ = pos_;
  }
  // Hands over what is pending and stops copying; returns the tee for a later AttachTee.
  Tee* DetachTee() {
    FlushTee();
    Tee* tee = tee_;
    tee_ = nullptr;
    return tee;
  }
  // Stops copying without handing anything over (the copy is being abandoned).
  void DropTee() { tee_ = nullptr; }

  // Byte offset (0-based) of the next byte to be read.
  std::int64_t offset() const { return consumed_ + static_cast<std::int64_t>(pos_); }
  const std::string& name() const { return name_; }

 private:
  DatInput() = default;
  // Read that runs past the buffered bytes: refills as often as needed. A null `dst` skips.
  void ReadAcross(void* dst, std::size_t n, const char* what);
  [[noreturn]] static void PastTheEnd(const char* what, std::int64_t start);
  // Makes at least one unread byte available; returns false at the end of the input.
  bool Refill();

  platform::FilePtr file_;
  std::string name_;
  std::vector<char> buffer_;
  const char* data_ = nullptr;  // current window of bytes: buffer_ or the memory source
  std::size_t size_ = 0;        // bytes in the window
  std::size_t pos_ = 0;         // next byte in the window
  std::int64_t consumed_ = 0;   // bytes before the window
  std::int64_t total_ = -1;     // size of the whole input, -1 when not known
  Tee* tee_ = nullptr;          // copy mode's receiver, when attached
  std::size_t teeFrom_ = 0;     // first consumed byte in the window not yet handed to tee_
  bool memory_ = false;
};

// Hands every byte left in `in` to `sink(data, n)`, a chunk at a time: the address-file layer's
// one copying loop.
template <typename Sink>
void ForEachChunk(DatInput& in, Sink&& sink) {
  std::array<char, DatInput::kDefaultBufferSize> chunk{};
  while (const std::size_t n = in.ReadSome(chunk.data(), chunk.size())) sink(chunk.data(), n);
}

}  // namespace brindle
