#include "BinaryStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace fw {

namespace {
BinaryStream::PositionedRead positionedRead = ::pread;
}  // namespace

void BinaryStream::SetPositionedRead(PositionedRead f) { positionedRead = f ? f : ::pread; }

namespace {
bool FileOrDevice(mode_t mode) { return S_ISREG(mode) || S_ISBLK(mode); }

OpenError ErrorOf(int error) {
  switch (error) {
    case EACCES:
    case EPERM: return {OpenError::AccessDenied, error};
    case ENOENT: return {OpenError::NotFound, error};
    default: return {OpenError::Other, error};
  }
}
}  // namespace

std::unique_ptr<BinaryStream> BinaryStream::Open(const std::string& path, OpenError* why) {
  OpenError ignored;
  OpenError& err = why ? *why : ignored;
  err = {};
  // O_NONBLOCK so that opening a FIFO cannot hang; it is refused just below.
  const int base = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
  int fd = ::open(path.c_str(), base | O_NOATIME);
  // O_NOATIME is refused on a file that is not the user's own.
  if (fd < 0 && errno == EPERM) fd = ::open(path.c_str(), base);
  if (fd < 0) {
    const int error = errno;
    // A socket cannot be opened at all (ENXIO): what it is matters more
    // than the error its opening gave.
    struct stat st {};
    if (error != EACCES && error != EPERM && ::stat(path.c_str(), &st) == 0 && !FileOrDevice(st.st_mode))
      err = {OpenError::NotFileOrDevice, error};
    else err = ErrorOf(error);
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    err = ErrorOf(errno);
    ::close(fd);
    return nullptr;
  }
  if (!FileOrDevice(st.st_mode)) {
    err = {OpenError::NotFileOrDevice, 0};
    ::close(fd);
    return nullptr;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  uint64_t length = static_cast<uint64_t>(st.st_size);
  if (S_ISBLK(st.st_mode)) {
    const off_t end = ::lseek(fd, 0, SEEK_END);
    length = end > 0 ? static_cast<uint64_t>(end) : 0;
    ::lseek(fd, 0, SEEK_SET);
  }
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  return std::unique_ptr<BinaryStream>(new BinaryStream(fd, length));
}

BinaryStream::BinaryStream(int fd, uint64_t length) : fd_(fd), length_(length) {}

BinaryStream::~BinaryStream() { Close(); }

void BinaryStream::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  eof_ = true;
}

int64_t BinaryStream::ReadInto(uint8_t* dst, int64_t count) {
  if (fd_ < 0 || count <= 0 || eof_) return 0;
  // The length taken at open is the whole of the file for this stream:
  // bytes appended since are not read.
  if (length_ > 0) count = static_cast<int64_t>(std::min<uint64_t>(static_cast<uint64_t>(count), length_ - pos_));
  const ReadAtResult r = ReadAt(pos_, dst, count);
  if (r.failed) failed_ = eof_ = true;
  if (r.ended) {
    eof_ = true;
    if (pos_ + static_cast<uint64_t>(r.got) < length_) failed_ = true;
  }
  pos_ += static_cast<uint64_t>(r.got);
  if (length_ > 0 && pos_ >= length_) eof_ = true;
  return r.got;
}

BinaryStream::ReadAtResult BinaryStream::ReadAt(uint64_t offset, uint8_t* dst, int64_t count) const {
  ReadAtResult res;
  if (fd_ < 0) {
    res.failed = true;
    return res;
  }
  while (res.got < count) {
    const ssize_t r = positionedRead(fd_, dst + res.got, static_cast<size_t>(count - res.got),
                                     static_cast<off_t>(offset + static_cast<uint64_t>(res.got)));
    if (r < 0) {
      if (errno == EINTR) continue;
      res.failed = true;
      break;
    }
    if (r == 0) {
      res.ended = true;
      break;
    }
    res.got += r;
  }
  return res;
}

std::string BinaryStream::Read(int64_t count) {
  std::string s;
  if (count <= 0 || eof_) return s;
  s.resize(static_cast<size_t>(count));
  s.resize(static_cast<size_t>(ReadInto(reinterpret_cast<uint8_t*>(s.data()), count)));
  return s;
}

MemoryBlock BinaryStream::ReadBlock(int64_t count) {
  if (count <= 0 || eof_) return MemoryBlock();
  auto v = std::make_shared<std::vector<uint8_t>>(static_cast<size_t>(count));
  const int64_t got = ReadInto(v->data(), count);
  return MemoryBlock::Adopt(std::move(v), got);
}

}  // namespace fw
