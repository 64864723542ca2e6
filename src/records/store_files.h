// How the record files are opened: the waits for a file or lock that another program holds,
// with their limits and notice, and reads of a file as it stood between two appends.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/env.h"

namespace survey {

// How long a lock or a file held by another program is waited for: a wait past the first
// step is announced, and one that lasts to the end of the second fails.
inline constexpr std::chrono::milliseconds kWaitBeforeNotice{1000};
inline constexpr std::chrono::milliseconds kLockWaitLimit{60000};
inline constexpr std::chrono::milliseconds kSharingWaitLimit{5000};

// Told, once, that a wait goes past kWaitBeforeNotice; `busy` says who holds what.
using WaitNotice = std::function<void(const Status& busy)>;

// Runs `attempt` with a wait of kWaitBeforeNotice; when it comes back busy, tells `waiting`
// and runs it again with the rest of `limit`.
Status waitWithNotice(const std::function<Status(std::chrono::milliseconds wait)>& attempt,
                      std::chrono::milliseconds limit, const WaitNotice& waiting);

// Opens the existing regular file `path` for reading at any offset, up to the size it had
// when it opened (taken under the shared bytes lock), so a record being appended is never half
// in what it reads. Anything else (missing, a directory) fails; reading never writes. When the
// file or its bytes lock is not had within kWaitBeforeNotice, calls `waiting` with the reason
// and waits on, up to kSharingWaitLimit for the file and kLockWaitLimit for the lock; busy
// after that.
Status openSnapshot(FileSystem& files, const std::string& path, const WaitNotice& waiting,
                    std::unique_ptr<RandomAccessFile>* file);

// The same snapshot, read from start to end.
Status openForReading(FileSystem& files, const std::string& path, const WaitNotice& waiting,
                      std::unique_ptr<SequentialFile>* file);

}  // namespace survey
