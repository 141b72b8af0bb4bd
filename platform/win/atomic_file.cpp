#include "platform/win/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/error.h"

namespace dtm::win {
namespace {

constexpr const char* kSource = "AtomicFile";
constexpr int kMaxLinkHops = 40;  // as the kernel's own limit
constexpr int kNameAttempts = 100;
constexpr std::size_t kSuffixLength = 12;
constexpr std::string_view kTemporaryEnd = ".tmp";

[[noreturn]] void Refuse(const std::string& description) {
  throw com::ComError(com::vb::kPathFileAccessError, description, kSource);
}

[[noreturn]] void CannotWrite(const std::filesystem::path& target, int error) {
  Refuse("cannot write " + target.string() + ": " + std::strerror(error));
}

// Closes on every way out.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { Close(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }
  bool Close() {
    if (fd_ < 0) return true;
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return closed;
  }

 private:
  int fd_;
};

// The path the links of `target` lead to, followed one hop at a time so
// that a relative link counts from its own folder. A name that does not
// exist (yet) ends the chain: a dangling link names the file to create.
std::filesystem::path FollowLinks(const std::filesystem::path& target) {
  std::filesystem::path path = target;
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::error_code error;
    const std::filesystem::path next = std::filesystem::read_symlink(path, error);
    if (error) CannotWrite(target, error.value());
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  CannotWrite(target, ELOOP);
}

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string RandomSuffix(std::mt19937_64& generator) {
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string suffix;
  std::uint64_t bits = generator();
  for (std::size_t i = 0; i < kSuffixLength; ++i) {
    suffix += kDigits[bits % 36];
    bits /= 36;
  }
  return suffix;
}

// "." + name + "." + suffix + ".tmp": the temporary file of a save to
// `name`, as this file's saves name theirs.
bool IsTemporaryOf(std::string_view entry, std::string_view name) {
  const std::size_t length = 1 + name.size() + 1 + kSuffixLength + kTemporaryEnd.size();
  if (entry.size() != length || entry[0] != '.' || entry.substr(1, name.size()) != name ||
      entry[1 + name.size()] != '.' || !entry.ends_with(kTemporaryEnd)) {
    return false;
  }
  for (const char c : entry.substr(2 + name.size(), kSuffixLength)) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) return false;
  }
  return true;
}

// Removes the temporary files an earlier save to `name` left when it was
// killed before its rename. A save in progress holds a lock on its own
// temporary file, so only the files no living save owns go; files of any
// other naming, links and folders stay. Best effort: a leftover that
// cannot be removed does not stop the save.
void RemoveLeftovers(int folder, const std::string& name) {
  const int listing_fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listing_fd < 0) return;
  DIR* listing = ::fdopendir(listing_fd);
  if (listing == nullptr) {
    ::close(listing_fd);
    return;
  }
  std::vector<std::string> leftovers;
  while (const dirent* entry = ::readdir(listing)) {
    if (IsTemporaryOf(entry->d_name, name)) leftovers.emplace_back(entry->d_name);
  }
  ::closedir(listing);
  for (const std::string& leftover : leftovers) {
    const int fd = ::openat(folder, leftover.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    Descriptor file(fd);
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    if (::flock(file.Get(), LOCK_EX | LOCK_NB) != 0) continue;  // a save is writing it
    ::unlinkat(folder, leftover.c_str(), 0);
  }
}

}  // namespace

void ReplaceFileAtomically(const std::filesystem::path& target, std::string_view contents) {
  const std::filesystem::path file = FollowLinks(target);
  const std::filesystem::path folder_path =
      file.parent_path().empty() ? std::filesystem::path(".") : file.parent_path();
  const std::string name = file.filename().string();
  if (name.empty() || name == "." || name == "..") {
    Refuse(target.string() + ": not a regular file");
  }

  // Everything below works relative to the folder opened once, so a folder
  // renamed or swapped meanwhile cannot move the write elsewhere.
  Descriptor folder(::open(folder_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.Get() < 0) CannotWrite(target, errno);

  std::optional<mode_t> kept_mode;  // of the file replaced
  struct stat existing {};
  if (::fstatat(folder.Get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
    // A link here was put in after FollowLinks looked: not followed either.
    if (!S_ISREG(existing.st_mode)) Refuse(target.string() + ": not a regular file");
    if (::faccessat(folder.Get(), name.c_str(), W_OK, AT_EACCESS) != 0) {
      CannotWrite(target, errno);
    }
    kept_mode = existing.st_mode & 07777;
  } else if (errno != ENOENT) {
    CannotWrite(target, errno);
  }

  RemoveLeftovers(folder.Get(), name);

  std::random_device seed;
  std::mt19937_64 generator((static_cast<std::uint64_t>(seed()) << 32) ^ seed());
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < kNameAttempts && fd < 0; ++attempt) {
    temporary = "." + name + "." + RandomSuffix(generator) + ".tmp";
    fd = ::openat(folder.Get(), temporary.c_str(),
                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) CannotWrite(target, errno);
  }
  if (fd < 0) CannotWrite(target, EEXIST);
  Descriptor out(fd);
  // Held until the file is renamed or removed: tells a later save's
  // clean-up that this file is no leftover.
  ::flock(out.Get(), LOCK_EX);

  int failure = 0;
  if ((kept_mode && ::fchmod(out.Get(), *kept_mode) != 0) || !WriteAll(out.Get(), contents) || ::fsync(out.Get()) != 0) {
    failure = errno;
  }
  if (!out.Close() && failure == 0) failure = errno;
  if (failure == 0 &&
      ::renameat(folder.Get(), temporary.c_str(), folder.Get(), name.c_str()) != 0) {
    failure = errno;
  }
  if (failure != 0) {
    ::unlinkat(folder.Get(), temporary.c_str(), 0);
    CannotWrite(target, failure);
  }
  // The rename itself lasts only once the folder is on disk too.
  ::fsync(folder.Get());
}

}  // namespace dtm::win
