// A file opened read-only, never for writing. Regular files and block
// devices (a card reader's /dev/sdX) can be opened; anything that could
// block the reader forever (a FIFO, a socket, a terminal) or a directory
// cannot. Reading never changes the file, nor (where the system allows it)
// its access time.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>

#include "MemoryBlock.h"

namespace fw {

// Why a file could not be opened.
struct OpenError {
  enum Kind {
    None,
    AccessDenied,     // EACCES, EPERM: a device usually needs administrator rights
    NotFound,         // ENOENT
    NotFileOrDevice,  // a directory, FIFO, socket or character device
    Other,            // any other errno, in `error`
  } kind = None;
  int error = 0;  // the errno the system gave, when it gave one
};

class BinaryStream {
 public:
  // nullptr when the file cannot be opened; `why` then says why.
  static std::unique_ptr<BinaryStream> Open(const std::string& path, OpenError* why = nullptr);
  ~BinaryStream();
  BinaryStream(const BinaryStream&) = delete;
  BinaryStream& operator=(const BinaryStream&) = delete;

  // The length when opened: a file's size, a block device's size. Reads
  // never go past it, whatever the file becomes while it is read.
  uint64_t Length() const { return length_; }
  uint64_t Position() const { return pos_; }
  // At most `count` bytes from the current position; fewer at the end, none
  // after it or after a failure.
  std::string Read(int64_t count);
  MemoryBlock ReadBlock(int64_t count);
  // Reads into caller memory; returns the bytes read.
  int64_t ReadInto(uint8_t* dst, int64_t count);
  // Reads at `offset` without moving the position or touching Eof/Failed,
  // so that several threads may read different parts at once. Returns the
  // bytes read: fewer than `count` only at the end of the file (`ended`) or
  // after a failed read (`failed`).
  struct ReadAtResult {
    int64_t got = 0;
    bool ended = false;
    bool failed = false;
  };
  ReadAtResult ReadAt(uint64_t offset, uint8_t* dst, int64_t count) const;
  // (EOF is a C macro, hence the spelling.) True once the position has reached the length, a read has met the end
  // of the file, or a read has failed.
  bool Eof() const { return eof_; }
  // True when a read failed or the file ended before its length (it was
  // truncated while being read): what was read is all there will be.
  bool Failed() const { return failed_; }
  void Close();

  // The system call every read goes through, ::pread unless replaced: a
  // test stands a card reader that hangs or fails in its place.
  using PositionedRead = ssize_t (*)(int fd, void* buf, size_t count, off_t offset);
  static void SetPositionedRead(PositionedRead f);

 private:
  explicit BinaryStream(int fd, uint64_t length);
  int fd_ = -1;
  uint64_t length_ = 0;
  uint64_t pos_ = 0;
  bool eof_ = false;
  bool failed_ = false;
};

}  // namespace fw
