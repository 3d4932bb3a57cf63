#include "address_file/dat_output.h"

#include <cerrno>
#include <cstring>

#include "address_file/dat_error.h"
#include "platform/file_sync.h"

namespace brindle {

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}  // namespace

DatOutput::DatOutput(const std::filesystem::path& path) : path_(path) {
  file_ = std::fopen(path.string().c_str(), "wb");
  if (!file_) throw DatError("cannot create " + path.string() + ": " + std::strerror(errno), -1);
  buffer_.reserve(kBufferSize);
}

DatOutput::~DatOutput() {
  if (!file_) return;
  // Keep what was written so far (an export that failed half-way leaves its lines).
  if (!buffer_.empty()) std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
  std::fclose(file_);
}

void DatOutput::Fail(const std::string& what) const {
  throw DatError(what + " " + path_.string() + " at offset " + std::to_string(drained_),
                 drained_);
}

void DatOutput::WriteToFile(const char* data, std::size_t n) {
  if (std::fwrite(data, 1, n, file_) != n) Fail(std::string("cannot write (") + std::strerror(errno) + ") to");
}

void DatOutput::Drain() {
  if (!file_) Fail("write after close of");
  if (buffer_.empty()) return;
  WriteToFile(buffer_.data(), buffer_.size());
  drained_ += static_cast<std::int64_t>(buffer_.size());
  buffer_.clear();
}

void DatOutput::Write(const void* data, std::size_t n) {
  if (!file_) Fail("write after close of");
  if (buffer_.size() + n > kBufferSize) Drain();
  if (n >= kBufferSize) {
    WriteToFile(static_cast<const char*>(data), n);
    drained_ += static_cast<std::int64_t>(n);
  } else {
    const auto* p = static_cast<const char*>(data);
    buffer_.insert(buffer_.end(), p, p + n);
  }
  size_ += static_cast<std::int64_t>(n);
}

void DatOutput::WriteByte(std::uint8_t byte) {
  if (buffer_.size() >= kBufferSize) Drain();
  if (!file_) Fail("write after close of");
  buffer_.push_back(static_cast<char>(byte));
  ++size_;
}

void DatOutput::Patch(std::int64_t lastPos, const Bytes4& bytes) {
  const std::int64_t start = lastPos - 4;  // 0-based offset of the first byte
  if (start < 0 || lastPos > size_) Fail("patch outside the bytes written to");
  if (start >= drained_) {
    std::memcpy(buffer_.data() + (start - drained_), bytes.data(), 4);
    return;
  }
  Drain();
  // The bytes already left the buffer: write them in the file, then return to its end.
  if (std::fseek(file_, static_cast<long>(start), SEEK_SET) != 0) Fail("cannot seek in");
  WriteToFile(reinterpret_cast<const char*>(bytes.data()), 4);
  if (std::fseek(file_, 0, SEEK_END) != 0) Fail("cannot seek in");
}

void DatOutput::Close() {
  Drain();
  std::FILE* f = file_;
  file_ = nullptr;
  if (std::fclose(f) != 0) Fail("cannot close");
}

void DatOutput::Commit() {
  Drain();
  if (std::fflush(file_) != 0) Fail("cannot flush");
  if (!platform::SyncFile(file_)) Fail("cannot force to disk");
  Close();
}

}  // namespace brindle
