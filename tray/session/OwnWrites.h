// The files the host has just written into monitored folders itself (a restore), so that the
// changes heard of them are not backed up again as if the user had made them. Short-lived: the
// changes of a write arrive soon after it, and a later change of the same file is the user's.
// Main thread (FolderMonitor's change handler); pure but for the clock it is given.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace pellmar {

class OwnWrites {
public:
    using Clock = std::chrono::steady_clock;

    explicit OwnWrites(std::chrono::milliseconds lifetime) : lifetime_(lifetime) {}

    // Replaces the set: `paths` were written just now (before `now`).
    void Written(std::vector<std::string> paths, Clock::time_point now = Clock::now());

    // True for a change of a written path, or of a copy temporary beside one
    // (the copy's temporary, renamed into place), heard before the set expired.
    bool Covers(const std::string& path, Clock::time_point now = Clock::now()) const;

private:
    const std::chrono::milliseconds lifetime_;
    std::vector<std::string> paths_;
    Clock::time_point until_{};
};

}  // namespace pellmar
