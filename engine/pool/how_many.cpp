// How many workers a tree gets (see how_many.h).
#include "engine/pool/how_many.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <string>

#include "engine/base/fd.h"

namespace engine {
namespace {

// The cores this process may run on; the online ones when that cannot be
// told.
unsigned Cores() {
  cpu_set_t set;
  if (::sched_getaffinity(0, sizeof set, &set) == 0) return static_cast<unsigned>(CPU_COUNT(&set));
  const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
  return online > 0 ? static_cast<unsigned>(online) : 1;
}

// The first byte of the file at `path`, or '\0' when it cannot be read.
char FirstByte(const std::string& path) {
  const Fd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  char byte = '\0';
  return file.ok() && ::read(file.get(), &byte, 1) == 1 ? byte : '\0';
}

}  // namespace

bool OnRotatingDisk(dev_t device) {
  const std::string block = "/sys/dev/block/" + std::to_string(major(device)) + ":" +
                            std::to_string(minor(device));
  char rotates = FirstByte(block + "/queue/rotational");
  if (rotates == '\0') rotates = FirstByte(block + "/../queue/rotational");  // a partition
  return rotates == '1';
}

unsigned WorkersFor(unsigned asked, std::initializer_list<dev_t> devices) {
  if (asked != 0) return asked;
  const unsigned cores = Cores();
  if (cores <= 1) return 1;
  for (const dev_t device : devices)
    if (OnRotatingDisk(device)) return 1;
  return cores < kMostWorkers ? cores : kMostWorkers;
}

}  // namespace engine
