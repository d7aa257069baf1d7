// Tests of the byte copy, on real files in a temporary folder: every method
// of the fallback chain, over sizes around the buffer size, sparse files and
// unseekable sources.
#include "engine/io/byte_copy.h"
#include "engine/base/fd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <tuple>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using engine::CopyFileData;
using engine::CopyMethod;
using engine::Fd;

constexpr std::size_t kKiB = 1024;
constexpr std::size_t kMiB = 1024 * kKiB;

// Bytes that differ from one offset to the next, so that a skipped, doubled
// or misplaced block shows.
std::string Pattern(std::size_t size, std::uint32_t seed) {
  std::string bytes(size, '\0');
  std::uint32_t x = seed * 2654435761u + 1;
  for (char& c : bytes) {
    x = x * 1664525u + 1013904223u;
    c = static_cast<char>(x >> 24);
  }
  return bytes;
}

std::string ReadAll(const std::string& path) {
  std::string bytes;
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return "<cannot open>";
  char buffer[64 * 1024];
  for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
    bytes.append(buffer, static_cast<std::size_t>(got));
  ::close(fd);
  return bytes;
}


class FileData : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "vandrix-data-XXXXXX").string();
    ASSERT_NE(::mkdtemp(&pattern[0]), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  void Write(const std::string& name, const std::string& bytes) {
    Fd fd(::open(Path(name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600));
    ASSERT_GE(fd.get(), 0);
    ASSERT_EQ(engine::WriteAll(fd.get(), bytes.data(), bytes.size()), 0);
  }

  // Copies file `from` to a new file `to`; returns CopyFileData's result.
  // `seen_bytes` adds up what the copy reported as it went.
  int Copy(const std::string& from, const std::string& to, CopyMethod method) {
    Fd in(::open(Path(from).c_str(), O_RDONLY));
    Fd out(::open(Path(to).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600));
    struct stat st;
    if (in.get() < 0 || out.get() < 0 || ::fstat(in.get(), &st) != 0) return -1;
    seen_bytes = 0;
    return CopyFileData(in.get(), out.get(), st, method,
                        [this](std::uint64_t bytes) { seen_bytes += bytes; });
  }

  std::uint64_t seen_bytes = 0;

  std::string dir_;
};

const CopyMethod kMethods[] = {CopyMethod::kAuto, CopyMethod::kSendfile,
                               CopyMethod::kReadWrite};

std::string MethodName(CopyMethod method) {
  switch (method) {
    case CopyMethod::kAuto: return "Auto";
    case CopyMethod::kSendfile: return "Sendfile";
    case CopyMethod::kReadWrite: return "ReadWrite";
  }
  return "?";
}

// Every size against every starting point of the chain: the bytes arrive
// whole and in order.
class FileDataSizes
    : public FileData,
      public ::testing::WithParamInterface<std::tuple<CopyMethod, std::size_t>> {};

TEST_P(FileDataSizes, CopiesEveryByte) {
  const auto [method, size] = GetParam();
  const std::string bytes = Pattern(size, static_cast<std::uint32_t>(size));
  Write("src", bytes);
  ASSERT_EQ(Copy("src", "dest", method), 0);
  EXPECT_EQ(fs::file_size(Path("dest")), size);
  EXPECT_TRUE(ReadAll(Path("dest")) == bytes) << "content differs";
  EXPECT_EQ(seen_bytes, size) << "bytes reported for progress";
}

INSTANTIATE_TEST_SUITE_P(
    All, FileDataSizes,
    ::testing::Combine(::testing::ValuesIn(kMethods),
                       ::testing::Values(0, 1, 128 * kKiB - 1, 128 * kKiB, 128 * kKiB + 1,
                                         5 * kMiB + 3)),
    [](const ::testing::TestParamInfo<FileDataSizes::ParamType>& p) {
      return MethodName(std::get<0>(p.param)) + "_" + std::to_string(std::get<1>(p.param));
    });

class FileDataMethods : public FileData, public ::testing::WithParamInterface<CopyMethod> {};

// A file with a hole at the start, two data runs and a hole at the end: the
// copy reads the same and takes no more blocks than the original.
TEST_P(FileDataMethods, KeepsHoles) {
  const std::string run1 = Pattern(192 * kKiB, 1), run2 = Pattern(64 * kKiB + 5, 2);
  const off_t at1 = 2 * kMiB, at2 = 9 * kMiB, size = 16 * kMiB;
  {
    Fd fd(::open(Path("src").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600));
    ASSERT_GE(fd.get(), 0);
    ASSERT_EQ(::pwrite(fd.get(), run1.data(), run1.size(), at1), ssize_t(run1.size()));
    ASSERT_EQ(::pwrite(fd.get(), run2.data(), run2.size(), at2), ssize_t(run2.size()));
    ASSERT_EQ(::ftruncate(fd.get(), size), 0);
    ASSERT_EQ(::fsync(fd.get()), 0);
  }
  struct stat src, dest;
  ASSERT_EQ(::stat(Path("src").c_str(), &src), 0);
  if (src.st_blocks * 512 >= src.st_size) GTEST_SKIP() << "no sparse files here";

  ASSERT_EQ(Copy("src", "dest", GetParam()), 0);
  {
    Fd fd(::open(Path("dest").c_str(), O_RDONLY));
    ASSERT_EQ(::fsync(fd.get()), 0);
  }
  ASSERT_EQ(::stat(Path("dest").c_str(), &dest), 0);
  EXPECT_EQ(dest.st_size, size);
  EXPECT_LE(dest.st_blocks, src.st_blocks);
  EXPECT_TRUE(ReadAll(Path("dest")) == ReadAll(Path("src"))) << "content differs";

  // All hole: nothing to copy, only the size.
  Write("empty", "");
  ASSERT_EQ(::truncate(Path("empty").c_str(), 3 * kMiB + 1), 0);
  ASSERT_EQ(Copy("empty", "empty-copy", GetParam()), 0);
  ASSERT_EQ(::stat(Path("empty-copy").c_str(), &dest), 0);
  EXPECT_EQ(dest.st_size, off_t(3 * kMiB + 1));
  EXPECT_EQ(dest.st_blocks, 0);
}

// A pipe cannot be copied from in the kernel by every method; the chain
// falls back until one works and nothing is lost or repeated.
TEST_P(FileDataMethods, CopiesFromAPipe) {
  const std::string bytes = Pattern(3 * kMiB + 11, 3);
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  Fd read_end(ends[0]);
  std::thread writer([&] {
    engine::WriteAll(ends[1], bytes.data(), bytes.size());
    ::close(ends[1]);
  });
  Fd out(::open(Path("dest").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600));
  struct stat st;
  ASSERT_EQ(::fstat(read_end.get(), &st), 0);
  const int err = CopyFileData(read_end.get(), out.get(), st, GetParam());
  writer.join();
  ASSERT_EQ(err, 0);
  EXPECT_TRUE(ReadAll(Path("dest")) == bytes) << "content differs";
}

// Failures come back as the errno, from whichever method met them: a full
// device, and a destination not open for writing.
TEST_P(FileDataMethods, ReportsWriteFailures) {
  Write("src", Pattern(1 * kMiB, 4));
  struct stat st;
  {
    Fd in(::open(Path("src").c_str(), O_RDONLY));
    Fd full(::open("/dev/full", O_WRONLY));
    ASSERT_EQ(::fstat(in.get(), &st), 0);
    if (full.get() >= 0) {
      EXPECT_EQ(CopyFileData(in.get(), full.get(), st, GetParam()), ENOSPC);
    }
  }
  Write("dest", "");
  Fd in(::open(Path("src").c_str(), O_RDONLY));
  Fd read_only(::open(Path("dest").c_str(), O_RDONLY));
  EXPECT_EQ(CopyFileData(in.get(), read_only.get(), st, GetParam()), EBADF);
}

INSTANTIATE_TEST_SUITE_P(All, FileDataMethods, ::testing::ValuesIn(kMethods),
                         [](const ::testing::TestParamInfo<CopyMethod>& p) {
                           return MethodName(p.param);
                         });

}  // namespace
