// The notifier's run: one per Start, shared by the watchers, the deletion checker and every
// message in flight, so a message that reaches the main thread after Stop finds its run ended and
// is dropped. Messages are posted under the snapshot lock, so they queue in snapshot order.
#include "tray/monitor/KolChangeNotifier.h"

#include "tray/monitor/DirWatcher.h"
#include "tray/monitor/Masks.h"

#include <atomic>
#include <mutex>
#include <thread>
#include <unordered_set>

namespace pellmar {

struct KolChangeNotifier::Run final : WatcherHost, std::enable_shared_from_this<Run> {
    Run(KolChangeNotifier& owner, platform::Dispatcher& dispatcher) : notifier(&owner), dispatcher(dispatcher) {}

    KolChangeNotifier* notifier;  // main thread only, and only while live
    bool live = true;             // main thread only
    platform::Dispatcher& dispatcher;
    std::string root;
    bool subtree = false;
    std::vector<TMask> masks;
    Options options;
    std::size_t maxWatchers = 2000;
    std::unique_ptr<platform::FolderSignalSet> signals;  // null: every folder is rescanned on the timer

    mutable std::mutex snapshotLock;
    FileSnapshot snapshot;

    mutable std::mutex watcherLock;
    std::vector<std::unique_ptr<DirWatcher>> watchers;
    std::unordered_set<std::string> watchedPaths;
    bool stopping = false;
    std::atomic<int> firstScansPending{0};

    platform::Event checkerStop{platform::Event::Mode::ManualReset};
    std::thread checker;

    bool AddWatcher(const std::string& folder, int level) override;
    bool WatchSubtree() const override { return subtree; }
    bool Wanted(std::string_view fileName) const override;
    void CompareFile(const std::string& path, const platform::FolderEntry& entry, bool firstScan) override;
    platform::SignalKind Signal(const std::string& folder, std::shared_ptr<platform::Event> changed) override;
    std::uint32_t RescanMilliseconds() const override { return static_cast<std::uint32_t>(options.rescanInterval.count()); }
    void FirstScanDone() override { --firstScansPending; }

    void Post(Kind kind, const ChangeMessage& message);
    void CheckDeletions();
    void RunChecker();
    void StopThreads();
};

namespace {

constexpr int kMaxLevel = 1;  // only the root and its direct sub-folders get watchers

}  // namespace

bool KolChangeNotifier::Run::AddWatcher(const std::string& folder, int level) {
    if (level > kMaxLevel) return false;
    std::lock_guard lock(watcherLock);
    // Accepted without a watcher: nothing is to be scanned any more.
    if (stopping) return true;
    if (watchers.size() > maxWatchers) return false;
    if (!watchedPaths.insert(folder).second) return true;
    ++firstScansPending;
    watchers.push_back(std::make_unique<DirWatcher>(*this, folder, level + 1));
    watchers.back()->Begin();
    return true;
}

bool KolChangeNotifier::Run::Wanted(std::string_view fileName) const {
    for (const TMask& mask : masks)
        if (mask.Matches(fileName)) return true;
    return false;
}

platform::SignalKind KolChangeNotifier::Run::Signal(const std::string& folder, std::shared_ptr<platform::Event> changed) {
    if (!signals) return platform::FolderExists(folder) ? platform::SignalKind::Blind : platform::SignalKind::Failed;
    return signals->Add(folder, subtree, std::move(changed));
}

void KolChangeNotifier::Run::CompareFile(const std::string& path, const platform::FolderEntry& entry, bool firstScan) {
    ChangeMessage message;
    std::lock_guard lock(snapshotLock);
    const SnapshotChange change = snapshot.Compare(path, entry.size, entry.modifiedNanoseconds, &message);
    if (change == SnapshotChange::Modified) Post(Kind::Modified, message);
    // What the first scans find was there before the monitor started: recorded, not reported.
    if (change == SnapshotChange::Added && !firstScan) Post(Kind::Added, message);
}

void KolChangeNotifier::Run::Post(Kind kind, const ChangeMessage& message) {
    dispatcher.Post([run = shared_from_this(), kind, message] {
        if (run->live) run->notifier->Deliver(kind, message);
    });
}

// A path that is now a folder counts as gone as well as a missing one.
void KolChangeNotifier::Run::CheckDeletions() {
    std::lock_guard lock(snapshotLock);
    for (const ChangeMessage& message : snapshot.RemoveIf([](const SnapshotEntry& entry) {
             return !platform::FileExists(entry.path);
         }))
        Post(Kind::Deleted, message);
}

void KolChangeNotifier::Run::RunChecker() {
    auto changed = std::make_shared<platform::Event>(platform::Event::Mode::AutoReset);
    // The whole tree, whatever the sub-folder flag: a deletion anywhere must be noticed.
    const platform::SignalKind kind =
        signals ? signals->Add(root, true, changed) : platform::SignalKind::Blind;
    if (kind == platform::SignalKind::Failed) return;
    const std::uint32_t timeout = kind == platform::SignalKind::Blind ? RescanMilliseconds() : platform::kInfinite;
    CheckDeletions();
    while (platform::Event::WaitForAny(checkerStop, *changed, timeout) != platform::WaitResult::First) CheckDeletions();
}

void KolChangeNotifier::Run::StopThreads() {
    checkerStop.Set();
    if (checker.joinable()) checker.join();
    {
        std::lock_guard lock(watcherLock);
        stopping = true;
        for (const auto& watcher : watchers) watcher->RequestStop();
    }
    // Joined outside the lock: a watcher may be waiting for it to add a watcher.
    for (const auto& watcher : watchers) watcher->Join();
    watchers.clear();
    signals.reset();
}

KolChangeNotifier::KolChangeNotifier(platform::Dispatcher& dispatcher, Options options)
    : dispatcher_(dispatcher), options_(options) {}

KolChangeNotifier::~KolChangeNotifier() { Stop(); }

void KolChangeNotifier::Start() {
    if (run_) return;
    if (!platform::FolderExists(path_)) throw NotifierStartError(kScanningDirectoryMissing);
    auto run = std::make_shared<Run>(*this, dispatcher_);
    run->root = path_;
    run->subtree = watchSubtree_;
    run->options = options_;
    run->maxWatchers = maxWatchers_;
    // A mask that does not compile matches nothing, as a listing pattern the OS rejects would.
    for (const std::string& mask : masks_) {
        try {
            run->masks.emplace_back(mask);
        } catch (const EMaskException&) {
        }
    }
    if (!options_.rescanOnly) run->signals = platform::FolderSignalSet::Open();
    run->AddWatcher(path_, 0);
    run->checker = std::thread([raw = run.get()] { raw->RunChecker(); });
    run_ = std::move(run);
}

void KolChangeNotifier::Stop() {
    if (!run_) return;
    const std::shared_ptr<Run> run = std::move(run_);
    run->live = false;
    run->StopThreads();
}

void KolChangeNotifier::Deliver(Kind kind, const ChangeMessage& message) {
    // A copy: a handler that destroys the notifier must not destroy the very function that is running.
    const Callback handler = kind == Kind::Added ? onAdded_ : kind == Kind::Modified ? onModified_ : onDeleted_;
    if (handler) handler(*this, message);
}

bool KolChangeNotifier::Settled() const { return run_ && run_->firstScansPending == 0; }

std::vector<std::string> KolChangeNotifier::WatchedFolders() const {
    std::vector<std::string> folders;
    if (!run_) return folders;
    std::lock_guard lock(run_->watcherLock);
    for (const auto& watcher : run_->watchers) folders.push_back(watcher->Path());
    return folders;
}

bool KolChangeNotifier::Remembers(const std::string& path) const {
    if (!run_) return false;
    std::lock_guard lock(run_->snapshotLock);
    return run_->snapshot.Contains(path);
}

std::size_t KolChangeNotifier::SnapshotSize() const {
    if (!run_) return 0;
    std::lock_guard lock(run_->snapshotLock);
    return run_->snapshot.Size();
}

}  // namespace pellmar
