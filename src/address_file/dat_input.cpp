#include "address_file/dat_input.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "address_file/dat_error.h"
#include "address_file/dat_files.h"

namespace brindle {

DatInput::DatInput(const std::filesystem::path& path, std::size_t bufferSize)
    : name_(path.string()) {
  // A folder, FIFO or device is refused at once; a FIFO would block the read for ever.
  file_.reset(OpenDatForReading(path));
  buffer_.resize(std::max<std::size_t>(bufferSize, 1));
  data_ = buffer_.data();
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (!ec) total_ = static_cast<std::int64_t>(size);
}

DatInput DatInput::FromMemory(std::string_view bytes) {
  DatInput in;
  in.name_ = "(memory)";
  in.data_ = bytes.data();
  in.size_ = bytes.size();
  in.total_ = static_cast<std::int64_t>(bytes.size());
  in.memory_ = true;
  return in;
}

DatInput::DatInput(DatInput&&) noexcept = default;
DatInput& DatInput::operator=(DatInput&&) noexcept = default;
DatInput::~DatInput() = default;

bool DatInput::Refill() {
  if (pos_ < size_) return true;
  if (memory_) return false;
  FlushTee();  // the window is about to be overwritten
  consumed_ += static_cast<std::int64_t>(size_);
  pos_ = 0;
  teeFrom_ = 0;
  size_ = std::fread(buffer_.data(), 1, buffer_.size(), file_.get());
  data_ = buffer_.data();
  if (size_ == 0 && std::ferror(file_.get())) {
    throw DatError("read error in " + name_ + " at offset " + std::to_string(consumed_), consumed_);
  }
  return size_ > 0;
}

void DatInput::ReadAcross(void* dst, std::size_t n, const char* what) {
  const std::int64_t start = offset();
  auto* out = static_cast<char*>(dst);
  while (n > 0) {
    if (!Refill()) PastTheEnd(what, start);
    const std::size_t take = std::min(n, size_ - pos_);
    if (out != nullptr) {
      std::memcpy(out, data_ + pos_, take);
      out += take;
    }
    pos_ += take;
    n -= take;
  }
}

void DatInput::PastTheEnd(const char* what, std::int64_t start) {
  throw DatError(
      std::string(what) + " at offset " + std::to_string(start) + " runs past the end of the file",
      start, DatError::Kind::kLayout);
}

std::size_t DatInput::ReadSome(void* dst, std::size_t max) {
  if (max == 0 || !Refill()) return 0;
  const std::size_t take = std::min(max, size_ - pos_);
  std::memcpy(dst, data_ + pos_, take);
  pos_ += take;
  return take;
}

bool DatInput::AtEnd() { return !Refill(); }

}  // namespace brindle
