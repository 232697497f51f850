#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

#include "framework/core/BinaryStream.h"
#include "framework/core/MemoryBlock.h"

using fw::MemoryBlock;

TEST(MemoryBlock, BytesIntegersAndStringsStayInside) {
  MemoryBlock z(6);
  EXPECT_EQ(z.Size(), 6);
  EXPECT_EQ(z.Byte(5), 0);
  EXPECT_TRUE(z.setByte(0, 0xFE));
  EXPECT_FALSE(z.setByte(6, 1));
  EXPECT_FALSE(z.setByte(-1, 1));
  EXPECT_EQ(z.Byte(6), 0);
  EXPECT_EQ(z.Byte(-1), 0);
  const auto b =
      MemoryBlock::FromBytes(std::string("\xFE\xFF\xFF\xFF\x03"
                                         "abc",
                                         8));
  EXPECT_EQ(b.Int32Value(0), -2);
  EXPECT_FALSE(b.Int32Value(5).has_value());
  EXPECT_EQ(b.PString(4), "abc");
  EXPECT_EQ(b.PString(5), std::nullopt);  // 'a' says 97 bytes follow
  EXPECT_EQ(b.Bytes(6, 100), "bc");
}

TEST(MemoryBlock, JoinedBlocksReadAcrossTheirBorder) {
  const auto a = MemoryBlock::FromBytes("\x01\x02\x03");
  const auto b = MemoryBlock::FromBytes("\x04\x05");
  const MemoryBlock ab = a + b;
  EXPECT_EQ(ab.Size(), 5);
  EXPECT_EQ(ab.Byte(3), 4);
  EXPECT_EQ(ab.Int32Value(1), 0x05040302);
  EXPECT_EQ(ab.Bytes(0, 5), "\x01\x02\x03\x04\x05");
  EXPECT_EQ(a.Size(), 3);  // operands unchanged
  const MemoryBlock same = a;
  EXPECT_TRUE(same.SameAs(a));
  EXPECT_FALSE(ab.SameAs(a));
}

TEST(BinaryStream, ReadsWithoutChangingTheFile) {
  const std::string path = testing::TempDir() + "stream_test.bin";
  { std::ofstream(path, std::ios::binary) << std::string("0123456789"); }
  struct stat before {};
  stat(path.c_str(), &before);
  auto s = fw::BinaryStream::Open(path);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->Length(), 10u);
  EXPECT_EQ(s->Read(4), "0123");
  EXPECT_FALSE(s->Eof());
  EXPECT_EQ(s->ReadBlock(100).Bytes(0, 100), "456789");
  EXPECT_TRUE(s->Eof());
  EXPECT_FALSE(s->Failed());
  EXPECT_EQ(s->Read(4), "");
  s->Close();
  struct stat after {};
  stat(path.c_str(), &after);
  EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
  EXPECT_EQ(before.st_mtim.tv_sec, after.st_mtim.tv_sec);
  std::remove(path.c_str());
}

// Names are bytes: one that is not UTF-8 (a Latin-1 "é") opens as given,
// and through a link with a UTF-8 name, the way round for the open dialog.
TEST(BinaryStream, OpensANameThatIsNotUtf8AndALinkToIt) {
  const std::string path = testing::TempDir() + "\xE9vidence.img";
  const std::string link = testing::TempDir() + "evidence-link.img";
  { std::ofstream(path, std::ios::binary) << std::string("abc"); }
  ::unlink(link.c_str());
  ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
  for (const std::string& p : {path, link}) {
    auto s = fw::BinaryStream::Open(p);
    ASSERT_TRUE(s) << p;
    EXPECT_EQ(s->Read(10), "abc");
  }
  ::unlink(link.c_str());
  std::remove(path.c_str());
}

// What cannot be opened is refused, and why is told: a FIFO or a socket
// could block a read forever, and neither they nor a folder or a
// character device are a file or a storage device.
TEST(BinaryStream, RefusesWhatCouldBlockOrIsNoFileAndSaysWhy) {
  using Kind = fw::OpenError::Kind;
  const std::string dir = testing::TempDir();
  const std::string fifo = dir + "stream_fifo", sock = dir + "stream_sock";
  ::unlink(fifo.c_str());
  ::unlink(sock.c_str());
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", sock.c_str());
  ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  const struct {
    std::string path;
    Kind kind;
    int error;
  } cases[] = {
      {fifo, Kind::NotFileOrDevice, 0},
      {sock, Kind::NotFileOrDevice, ENXIO},
      {dir, Kind::NotFileOrDevice, 0},
      {"/dev/null", Kind::NotFileOrDevice, 0},
      {dir + "does-not-exist", Kind::NotFound, ENOENT},
      {dir + std::string(5000, 'x'), Kind::Other, ENAMETOOLONG},
  };
  for (const auto& c : cases) {
    fw::OpenError why;
    EXPECT_FALSE(fw::BinaryStream::Open(c.path, &why)) << c.path;
    EXPECT_EQ(why.kind, c.kind) << c.path;
    EXPECT_EQ(why.error, c.error) << c.path;
  }
  ::close(s);
  ::unlink(fifo.c_str());
  ::unlink(sock.c_str());
}

// A device or file that only its owner may read: what an examiner meets
// when they forget the administrator's rights for /dev/sdb. Root reads
// anything, so as root the open is tried by a child that has given its
// rights up.
TEST(BinaryStream, AFileThatMayNotBeReadIsAccessDenied) {
  const std::string path = testing::TempDir() + "stream_locked.bin";
  { std::ofstream(path, std::ios::binary) << "locked"; }
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  if (::geteuid() != 0) {
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
  }
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
                             ::setresuid(65534, 65534, 65534) != 0))
      ::_exit(10);
    fw::OpenError why;
    const bool opened = fw::BinaryStream::Open(path, &why) != nullptr;
    ::_exit(opened ? 11 : why.kind == fw::OpenError::AccessDenied && why.error == EACCES ? 0 : 12);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  std::remove(path.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "10: rights not given up, 11: opened, 12: another reason";
}

TEST(BinaryStream, AFileTruncatedWhileReadIsAFailure) {
  const std::string path = testing::TempDir() + "stream_trunc.bin";
  { std::ofstream(path, std::ios::binary) << std::string(1000, 'x'); }
  auto s = fw::BinaryStream::Open(path);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->Read(100).size(), 100u);
  ASSERT_EQ(::truncate(path.c_str(), 300), 0);
  EXPECT_EQ(s->Read(1000).size(), 200u);
  EXPECT_TRUE(s->Eof());
  EXPECT_TRUE(s->Failed());
  std::remove(path.c_str());
}

TEST(MemoryBlockView, ReadOnlyBytesHeldElsewhere) {
  auto bytes = std::make_shared<std::vector<uint8_t>>(std::vector<uint8_t>{1, 2, 3, 4, 5});
  const fw::MemoryBlock v = fw::MemoryBlock::View(bytes, bytes->data() + 1, 3);
  bytes.reset();  // the view keeps them alive
  ASSERT_EQ(v.Size(), 3);
  EXPECT_EQ(v.Byte(0), 2);
  EXPECT_EQ(v.Byte(2), 4);
  EXPECT_EQ(v.Byte(3), 0);
  fw::MemoryBlock w = v;
  EXPECT_FALSE(w.setByte(0, 9));
  EXPECT_TRUE(w.SameAs(v));
  const fw::MemoryBlock joined = v + fw::MemoryBlock::FromBytes("\x06\x07");
  EXPECT_EQ(joined.Bytes(0, 5), std::string("\x02\x03\x04\x06\x07"));
  EXPECT_EQ(fw::MemoryBlock::View(nullptr, nullptr, 3).Size(), 0);
}
