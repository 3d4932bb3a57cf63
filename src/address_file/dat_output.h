// Buffered binary output for copy mode and the export file. Bytes are appended through a
// 64 KiB buffer; Patch changes four bytes written earlier (the write-back sets a record's state
// code after its identifier has been read). Commit makes the file durable before anyone may
// rename it into place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "address_file/dat_input.h"
#include "address_file/dat_types.h"
#include "platform/owned_file.h"

namespace brindle {

class DatOutput {
 public:
  // Creates `path` afresh, owner-only, for binary writing (a file already there is replaced,
  // a link there is not followed). Throws DatError when that fails.
  explicit DatOutput(const std::filesystem::path& path);
  // Writes to `file`, an open stream over `path` that the output takes over.
  DatOutput(std::FILE* file, const std::filesystem::path& path);
  // Closes the file if Commit or Close did not; a failure there is not reported.
  virtual ~DatOutput();
  DatOutput(const DatOutput&) = delete;
  DatOutput& operator=(const DatOutput&) = delete;

  void Write(const void* data, std::size_t n) {
    if (kBufferSize - used_ > n && file_ != nullptr) {
      std::memcpy(buffer_.get() + used_, data, n);
      used_ += n;
      size_ += static_cast<std::int64_t>(n);
      return;
    }
    WriteThrough(data, n);
  }
  void Write(const std::string& text) { Write(text.data(), text.size()); }
  void WriteByte(std::uint8_t byte) { Write(&byte, 1); }
  // Overwrites the four bytes that end at 1-based position `lastPos`.
  // REQUIRES: 4 <= lastPos <= size().
  void Patch(std::int64_t lastPos, const Bytes4& bytes);

  // Bytes written so far, which is also the 1-based position of the last one.
  std::int64_t size() const { return size_; }
  const std::filesystem::path& path() const { return path_; }

  // For a file that will be committed: asks the system to write the data out to the disk as it
  // comes, so that Commit waits for the last part only.
  void WriteOutEarly() { writeOutEvery_ = kWriteOutStep; }

  // Writes out the buffer, forces the data to the disk, and closes. Throws DatError.
  void Commit();
  // Writes out the buffer and closes, without forcing the data to the disk. Throws DatError.
  void Close();

 protected:
  // Writes `n` bytes at the file's current position; throws DatError when not all are written.
  // Tests override it to stand in for a full disk.
  virtual void WriteToFile(const char* data, std::size_t n);

 private:
  static constexpr std::size_t kBufferSize = 64 * 1024;
  static constexpr std::int64_t kWriteOutStep = 8 * 1024 * 1024;

  // Write that does not fit the buffer: drains it first.
  void WriteThrough(const void* data, std::size_t n);
  void Drain();
  void MaybeStartWriteOut();
  [[noreturn]] void Fail(const std::string& what) const;

  std::filesystem::path path_;
  platform::FilePtr file_;  // empty once closed
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;            // bytes in the buffer
  std::int64_t size_ = 0;           // bytes written, buffered ones included
  std::int64_t drained_ = 0;        // bytes handed to the file
  std::int64_t writeOutEvery_ = 0;  // 0: leave the writing out to the system
  std::int64_t writtenOut_ = 0;     // bytes drained when the last write-out was started
};

// Writes every byte left in `in` to `out`, unchanged.
inline void CopyRest(DatInput& in, DatOutput& out) {
  ForEachChunk(in, [&out](const char* data, std::size_t n) { out.Write(data, n); });
}

}  // namespace brindle
