#pragma once
// A folder that the test cannot write in, even when the tests run as root: the folder's mode
// forbids writing, and while this object lives the thread sets aside its power to override file
// modes (CAP_DAC_OVERRIDE), then takes it back.

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <string>

class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(std::string folder) : folder_(std::move(folder)) {
    ::chmod(folder_.c_str(), 0555);
    header_.version = _LINUX_CAPABILITY_VERSION_3;
    if (::syscall(SYS_capget, &header_, data_) == 0) {
      __user_cap_data_struct lowered[2] = {data_[0], data_[1]};
      lowered[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
      lowered[0].effective &= ~(1u << CAP_DAC_READ_SEARCH);
      lowered_ = ::syscall(SYS_capset, &header_, lowered) == 0;
    }
  }
  ~ReadOnlyFolder() {
    if (lowered_) ::syscall(SYS_capset, &header_, data_);
    ::chmod(folder_.c_str(), 0755);
  }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

 private:
  std::string folder_;
  __user_cap_header_struct header_{};
  __user_cap_data_struct data_[2]{};
  bool lowered_ = false;
};
