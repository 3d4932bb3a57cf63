// Buffered input and output across their 64 KiB buffer boundaries.
#include <gtest/gtest.h>

#include "address_file/dat_error.h"
#include "address_file/dat_input.h"
#include "address_file/dat_output.h"
#include "support/dat_builder.h"

namespace brindle {
namespace {

constexpr std::size_t kBuffer = 64 * 1024;

std::string Pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + i / 251);
  return s;
}

class DatIo : public ::testing::Test {
 protected:
  test::TempDir dir_;
  std::filesystem::path path_ = dir_ / "f.bin";
};

TEST_F(DatIo, PatchReachesBytesInTheBufferInTheFileAndAcrossBoth) {
  const std::string data = Pattern(3 * kBuffer + 100);
  std::string want = data;
  const Bytes4 mark{0xA1, 0xB2, 0xC3, 0xD4};
  const auto patch = [&](DatOutput& out, std::int64_t end) {
    out.Patch(end, mark);
    std::copy(mark.begin(), mark.end(), want.begin() + (end - 4));
  };
  {
    DatOutput out(path_);
    out.Write(data.data(), kBuffer - 1);
    out.Write(data.data() + kBuffer - 1, 8);  // drains the first kBuffer - 1 bytes
    patch(out, kBuffer + 1);                  // half written out, half buffered
    patch(out, kBuffer + 6);                  // written out by the drain the last patch made
    out.Write(data.data() + kBuffer + 7, data.size() - kBuffer - 7 - 50);
    out.Write(data.data() + data.size() - 50, 50);
    EXPECT_EQ(out.size(), static_cast<std::int64_t>(data.size()));
    patch(out, 10);                                      // long written out
    patch(out, static_cast<std::int64_t>(data.size()));  // buffered again
    out.Write("tail", 4);
    want += "tail";
    out.Commit();
  }
  EXPECT_EQ(test::ReadFileBytes(path_), want);
}

TEST_F(DatIo, WritingOutEarlyKeepsEveryByteAndPatchesBehindIt) {
  // Past several write-out steps, in buffer-sized and in large pieces, with patches of bytes
  // written out long before.
  const std::string data = Pattern(20 * 1024 * 1024 + 77);
  std::string want = data;
  const Bytes4 mark{0xA1, 0xB2, 0xC3, 0xD4};
  {
    DatOutput out(path_);
    out.WriteOutEarly();
    std::size_t at = 0;
    for (; at < 9 * 1024 * 1024; at += 1000) out.Write(data.data() + at, 1000);
    out.Write(data.data() + at, data.size() - at);  // one large write past the buffer
    for (const std::int64_t end : {std::int64_t{4}, std::int64_t{8 * 1024 * 1024 + 2},
                                   static_cast<std::int64_t>(data.size())}) {
      out.Patch(end, mark);
      std::copy(mark.begin(), mark.end(), want.begin() + (end - 4));
    }
    out.Commit();
  }
  EXPECT_EQ(test::ReadFileBytes(path_), want);
}

TEST_F(DatIo, PatchOutsideTheWrittenBytesIsRefused) {
  DatOutput out(path_);
  out.Write("abc", 3);
  EXPECT_THROW(out.Patch(3, Bytes4{}), DatError);
  EXPECT_THROW(out.Patch(8, Bytes4{}), DatError);
}

TEST_F(DatIo, WriteAfterCloseIsAnError) {
  DatOutput out(path_);
  out.Close();
  EXPECT_THROW(out.Write("x", 1), DatError);
}

TEST_F(DatIo, CreatingInAMissingFolderNamesThePath) {
  try {
    DatOutput out(dir_ / "missing" / "f.bin");
    FAIL() << "no error";
  } catch (const DatError& e) {
    EXPECT_NE(std::string(e.what()).find("missing"), std::string::npos) << e.what();
  }
}

TEST_F(DatIo, InputReadsAcrossRefillsAndKeepsItsOffset) {
  const std::string data = Pattern(2 * kBuffer + 333);
  test::WriteFileBytes(path_, data);
  DatInput in(path_);
  std::string got(kBuffer - 3, '\0');
  in.Read(got.data(), got.size(), "first");
  std::string across(10, '\0');
  in.Read(across.data(), across.size(), "across");
  EXPECT_EQ(across, data.substr(kBuffer - 3, 10));
  EXPECT_EQ(in.offset(), static_cast<std::int64_t>(kBuffer + 7));
  std::string rest;
  char chunk[1000];
  while (const std::size_t n = in.ReadSome(chunk, sizeof chunk)) rest.append(chunk, n);
  EXPECT_EQ(rest, data.substr(kBuffer + 7));
  EXPECT_TRUE(in.AtEnd());
  char byte;
  try {
    in.Read(&byte, 1, "one more byte");
    FAIL() << "no error";
  } catch (const DatError& e) {
    EXPECT_EQ(e.offset(), static_cast<std::int64_t>(data.size()));
    EXPECT_NE(std::string(e.what()).find("one more byte at offset"), std::string::npos);
  }
}

// Collects what copy mode hands over.
struct Collect : DatInput::Tee {
  void Pass(const char* data, std::size_t n) override { got.append(data, n); }
  std::string got;
};

TEST_F(DatIo, TeeHandsOverEveryConsumedByteOnceAcrossRefillsExceptADroppedRange) {
  const std::string data = Pattern(3 * kBuffer + 1234);
  test::WriteFileBytes(path_, data);
  for (const std::size_t buffer : {std::size_t{1}, std::size_t{7}, std::size_t{4096}, kBuffer}) {
    SCOPED_TRACE(buffer);
    DatInput in(path_, buffer);
    std::string skipped(100, '\0');
    in.Read(skipped.data(), skipped.size(), "before the copy");  // read, not copied
    Collect tee;
    in.AttachTee(&tee);
    std::string chunk(kBuffer + 5, '\0');
    in.Read(chunk.data(), chunk.size(), "across");
    in.FlushTee();
    EXPECT_EQ(tee.got, data.substr(100, kBuffer + 5));
    // A range left out of the copy that runs over a refill, as an old text replaced.
    const std::size_t at = 100 + kBuffer + 5;
    const std::size_t dropped = buffer - at % buffer + 3;  // ends 3 bytes past the next refill
    DatInput::Tee* t = in.DetachTee();
    in.Read(chunk.data(), dropped, "dropped");
    in.AttachTee(t);
    const std::size_t resume = at + dropped;
    std::size_t left = data.size() - resume;
    while (left > 0) {
      const std::size_t n = std::min<std::size_t>(left, 333);
      in.Read(chunk.data(), n, "rest");
      left -= n;
    }
    EXPECT_EQ(in.DetachTee(), &tee);
    EXPECT_EQ(tee.got, data.substr(100, kBuffer + 5) + data.substr(resume));
    EXPECT_TRUE(in.AtEnd());
  }
}

TEST_F(DatIo, MissingInputNamesThePath) {
  try {
    DatInput in(dir_ / "nothing.dat");
    FAIL() << "no error";
  } catch (const DatError& e) {
    EXPECT_NE(std::string(e.what()).find("nothing.dat"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace brindle
