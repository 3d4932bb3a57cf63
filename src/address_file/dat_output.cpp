#include "address_file/dat_output.h"

#include <cerrno>
#include <cstring>

#include "address_file/dat_error.h"
#include "address_file/dat_files.h"
#include "platform/file_sync.h"

namespace brindle {

DatOutput::DatOutput(const std::filesystem::path& path) : DatOutput(CreateDatFile(path), path) {}

DatOutput::DatOutput(std::FILE* file, const std::filesystem::path& path)
    : path_(path), file_(file), buffer_(std::make_unique<char[]>(kBufferSize)) {}

DatOutput::~DatOutput() {
  // Keep what was written so far (an export that failed half-way leaves its lines); the file is
  // then closed by its owner.
  if (file_ && used_ > 0) std::fwrite(buffer_.get(), 1, used_, file_.get());
}

void DatOutput::Fail(const std::string& what) const {
  throw DatError(what + " " + path_.string() + " at offset " + std::to_string(drained_), drained_);
}

void DatOutput::WriteToFile(const char* data, std::size_t n) {
  if (std::fwrite(data, 1, n, file_.get()) != n) {
    Fail(std::string("cannot write (") + std::strerror(errno) + ") to");
  }
}

void DatOutput::Drain() {
  if (!file_) Fail("write after close of");
  if (used_ == 0) return;
  WriteToFile(buffer_.get(), used_);
  drained_ += static_cast<std::int64_t>(used_);
  used_ = 0;
  MaybeStartWriteOut();
}

void DatOutput::MaybeStartWriteOut() {
  if (writeOutEvery_ == 0 || drained_ - writtenOut_ < writeOutEvery_) return;
  if (std::fflush(file_.get()) != 0) Fail("cannot flush");
  platform::StartWriteOut(file_.get());
  writtenOut_ = drained_;
}

void DatOutput::WriteThrough(const void* data, std::size_t n) {
  Drain();
  if (n >= kBufferSize) {
    WriteToFile(static_cast<const char*>(data), n);
    drained_ += static_cast<std::int64_t>(n);
    MaybeStartWriteOut();
  } else {
    std::memcpy(buffer_.get(), data, n);
    used_ = n;
  }
  size_ += static_cast<std::int64_t>(n);
}

void DatOutput::Patch(std::int64_t lastPos, const Bytes4& bytes) {
  const std::int64_t start = lastPos - 4;  // 0-based offset of the first byte
  if (start < 0 || lastPos > size_) Fail("patch outside the bytes written to");
  if (start >= drained_) {
    std::memcpy(buffer_.get() + (start - drained_), bytes.data(), 4);
    return;
  }
  Drain();
  // The bytes already left the buffer: write them in the file, then return to its end.
  if (!platform::SeekTo(file_.get(), start)) Fail("cannot seek in");
  WriteToFile(reinterpret_cast<const char*>(bytes.data()), 4);
  if (!platform::SeekToEnd(file_.get())) Fail("cannot seek in");
}

void DatOutput::Close() {
  Drain();
  if (std::fclose(file_.release()) != 0) Fail("cannot close");
}

void DatOutput::Commit() {
  Drain();
  if (std::fflush(file_.get()) != 0) Fail("cannot flush");
  if (!platform::SyncFile(file_.get())) Fail("cannot force to disk");
  Close();
}

}  // namespace brindle
