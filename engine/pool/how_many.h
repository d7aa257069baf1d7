// How many workers a tree gets.
#ifndef VANDRIX_ENGINE_POOL_HOW_MANY_H_
#define VANDRIX_ENGINE_POOL_HOW_MANY_H_

#include <sys/types.h>

#include <initializer_list>

namespace engine {

/// The most workers a tree gets when the request does not say.
constexpr unsigned kMostWorkers = 8;

/// The workers for a tree whose items lie on the devices `devices` (its
/// source, its target): `asked` when it is not 0; else as many as the cores
/// this process may run on (as nproc counts them: a taskset of one core
/// gives 1), at most kMostWorkers, and 1 when one of the devices is a
/// rotating disk (its queue/rotational in /sys says so), where files read
/// and written side by side cost the disk's head more than they gain. 1
/// means none: the walk does all the work itself.
unsigned WorkersFor(unsigned asked, std::initializer_list<dev_t> devices);

/// True when `device` is a disk that says it rotates (a partition, by its
/// disk). A device that is no block device (tmpfs, a network or overlay
/// file system) does not.
bool OnRotatingDisk(dev_t device);

}  // namespace engine

#endif  // VANDRIX_ENGINE_POOL_HOW_MANY_H_
