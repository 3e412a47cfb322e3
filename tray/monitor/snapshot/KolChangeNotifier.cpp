// The notifier's run: one per Start, shared by the watchers, the deletion checker and the hand-
// over in flight, so a hand-over that reaches the main thread after Stop finds its run ended and
// does nothing; Stop itself hands on what was queued. Changes are queued under the snapshot lock,
// so they reach the handlers in snapshot order. Deletions are concluded only from a root that is
// still the folder the run started on, and only for files the OS says are not there.
#include "tray/monitor/snapshot/KolChangeNotifier.h"

#include "tray/monitor/Masks.h"
#include "tray/monitor/snapshot/DirWatcher.h"

#include <atomic>
#include <mutex>
#include <optional>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

namespace pellmar {

struct KolChangeNotifier::Outgoing {
    Kind kind = Kind::Trouble;
    ChangeMessage message;
    std::string trouble;
    bool stopped = false;
};

struct KolChangeNotifier::Run final : WatcherHost, std::enable_shared_from_this<Run> {
    Run(KolChangeNotifier& owner, platform::Dispatcher& dispatcher, const Options& options)
        : notifier(&owner), dispatcher(dispatcher), options(options), snapshot(options.settleTime) {}

    KolChangeNotifier* notifier;  // main thread only, and only while live
    bool live = true;             // main thread only
    platform::Dispatcher& dispatcher;
    std::string root;
    platform::FolderIdentity rootIdentity;
    bool subtree = false;
    std::vector<TMask> masks;
    Options options;
    std::size_t maxWatchers = 2000;
    std::unique_ptr<platform::FolderSignalSet> signals;  // null: every folder is rescanned on the timer
    std::atomic<platform::SignalId> rootSignal{0};        // the checker's

    mutable std::mutex snapshotLock;
    FileSnapshot snapshot;

    std::mutex outboxLock;
    std::vector<Outgoing> outbox;
    bool handOverPosted = false;

    mutable std::mutex watcherLock;
    std::unordered_map<std::string, std::unique_ptr<DirWatcher>> watchers;
    std::vector<std::unique_ptr<DirWatcher>> retired;  // ended on their own; joined by the next AddWatcher
    bool stopping = false;
    std::atomic<int> firstScansPending{0};
    std::atomic<bool> startScans{true};  // the first scans of the start are still running
    std::atomic<bool> rootLost{false};
    std::atomic<bool> threadTroubleTold{false};
    std::atomic<bool> watchTroubleTold{false};

    platform::Event checkerStop{platform::Event::Mode::ManualReset};
    std::thread checker;

    bool AddWatcher(const std::string& folder, int level) override;
    bool WatchSubtree() const override { return subtree; }
    bool Wanted(std::string_view fileName) const override;
    Observation CompareFile(const std::string& folder, const platform::FolderEntry& entry, bool silent) override;
    platform::SignalKind Signal(const std::string& folder, std::shared_ptr<platform::Event> changed,
                                platform::SignalId* id) override;
    void Unsignal(platform::SignalId id) override {
        if (signals && id != 0) signals->Remove(id);
    }
    bool SignalEnded(platform::SignalId id) const override { return signals && id != 0 && signals->Ended(id); }
    std::uint32_t RescanMilliseconds() const override { return static_cast<std::uint32_t>(options.rescanInterval.count()); }
    std::uint32_t SettleMilliseconds() const override { return static_cast<std::uint32_t>(options.settleTime.count()); }
    void FirstScanDone() override {
        if (--firstScansPending == 0) startScans = false;
    }
    bool RootLost() override;
    bool Retire(const DirWatcher& watcher) override;
    std::thread StartThread(std::function<void()> work) override {
        return options.startThread ? options.startThread(std::move(work)) : std::thread(std::move(work));
    }

    void Queue(Outgoing item);
    void QueueTrouble(const std::string& message, bool stopped);
    void TellTrouble(std::atomic<bool>& told, const std::string& message, bool stopped);
    void CheckDeletions();
    bool CheckFolder(const std::string& folder);
    void RunChecker();
    void StopThreads();
};

namespace {

constexpr int kMaxLevel = 1;  // only the root and its direct sub-folders get watchers

}  // namespace

bool KolChangeNotifier::Run::AddWatcher(const std::string& folder, int level) {
    if (level > kMaxLevel) return false;
    std::vector<std::unique_ptr<DirWatcher>> reaped;  // joined after the lock is released
    std::lock_guard lock(watcherLock);
    reaped.swap(retired);
    // Accepted without a watcher: nothing is to be scanned any more.
    if (stopping || watchers.contains(folder)) return true;
    if (watchers.size() > maxWatchers) return false;
    auto watcher = std::make_unique<DirWatcher>(*this, folder, level + 1, startScans.load());
    ++firstScansPending;
    try {
        watcher->Begin();
    } catch (const std::system_error&) {
        --firstScansPending;
        TellTrouble(threadTroubleTold,
                    "No more threads can be started: some folders under " + root +
                        " are scanned with the folder above them instead of on their own",
                    false);
        return false;
    }
    watchers.emplace(folder, std::move(watcher));
    return true;
}

bool KolChangeNotifier::Run::Retire(const DirWatcher& watcher) {
    std::lock_guard lock(watcherLock);
    if (stopping) return true;
    // Under the lock: a scan that lists the folder made again finds either this watcher going on
    // or no watcher, and then adds a new one.
    if (platform::FolderExists(watcher.Path())) return false;
    const auto found = watchers.find(watcher.Path());
    if (found == watchers.end() || found->second.get() != &watcher) return true;
    retired.push_back(std::move(found->second));
    watchers.erase(found);
    return true;
}

bool KolChangeNotifier::Run::Wanted(std::string_view fileName) const {
    for (const TMask& mask : masks)
        if (mask.Matches(fileName)) return true;
    return false;
}

platform::SignalKind KolChangeNotifier::Run::Signal(const std::string& folder, std::shared_ptr<platform::Event> changed,
                                                    platform::SignalId* id) {
    *id = 0;
    if (!signals) return platform::FolderExists(folder) ? platform::SignalKind::Blind : platform::SignalKind::Failed;
    const platform::SignalKind kind = signals->Add(folder, subtree, std::move(changed), id);
    if ((kind == platform::SignalKind::Failed && platform::FolderExists(folder)) || kind == platform::SignalKind::Partial)
        TellTrouble(watchTroubleTold,
                    "Not every folder under " + root +
                        " can be watched (the system's limit of watches is reached): those are looked at every " +
                        std::to_string(options.rescanInterval.count() / 1000) + " s instead",
                    false);
    return kind;
}

Observation KolChangeNotifier::Run::CompareFile(const std::string& folder, const platform::FolderEntry& entry,
                                                bool silent) {
    if (rootLost) return {};
    ChangeMessage message;
    std::lock_guard lock(snapshotLock);
    const Observation seen = snapshot.Compare(folder, entry.name, {entry.size, entry.modifiedNanoseconds, entry.mode},
                                              FileSnapshot::Clock::now(), silent, &message);
    if (seen.change == SnapshotChange::Modified) Queue({Kind::Modified, std::move(message), {}, false});
    if (seen.change == SnapshotChange::Added) Queue({Kind::Added, std::move(message), {}, false});
    return seen;
}

// One hand-over posted at a time; it takes everything queued by the time it runs.
void KolChangeNotifier::Run::Queue(Outgoing item) {
    std::lock_guard lock(outboxLock);
    outbox.push_back(std::move(item));
    if (handOverPosted) return;
    handOverPosted = true;
    dispatcher.Post([run = shared_from_this()] {
        if (run->live) run->notifier->DeliverQueued(*run);
    });
}

void KolChangeNotifier::Run::TellTrouble(std::atomic<bool>& told, const std::string& message, bool stopped) {
    if (told.exchange(true)) return;
    QueueTrouble(message, stopped);
}

// Built field by field: the aggregate form with an empty message trips a false "may be used
// uninitialized" of the Windows cross-compiler at -O3.
void KolChangeNotifier::Run::QueueTrouble(const std::string& message, bool stopped) {
    Outgoing item;
    item.trouble = message;
    item.stopped = stopped;
    Queue(std::move(item));
}

// Lost for good in this run: gone, another folder at its path (an empty mount point after an
// unmount), or its watch ended (unmounted and mounted again between two looks).
bool KolChangeNotifier::Run::RootLost() {
    if (rootLost) return true;
    const std::optional<platform::FolderIdentity> now = platform::IdentifyFolder(root);
    if (now && *now == rootIdentity && !SignalEnded(rootSignal)) return false;
    if (rootLost.exchange(true)) return true;  // told by another thread meanwhile
    QueueTrouble("The folder " + root + " is gone or is no longer the folder the monitor started on (unmounted?): "
                 "no changes are heard until the monitor starts again",
                 true);
    return true;
}

void KolChangeNotifier::Run::CheckDeletions() {
    if (RootLost()) return;
    std::vector<std::string> folders;
    {
        std::lock_guard lock(snapshotLock);
        folders = snapshot.Folders();
    }
    for (const std::string& folder : folders)
        if (checkerStop.IsSet() || !CheckFolder(folder)) return;
}

// One listing per folder narrows the files to look at; only a file the OS says is not there (or
// is a folder now) is gone, and only while the root is still the folder it was. False: stop.
bool KolChangeNotifier::Run::CheckFolder(const std::string& folder) {
    const std::optional<std::vector<platform::FolderEntry>> listing = platform::TryListFolder(folder, false);
    std::unordered_set<std::string> present;
    if (listing)
        for (const platform::FolderEntry& entry : *listing)
            if (entry.file) present.insert(entry.name);
    std::vector<std::string> candidates;
    {
        std::lock_guard lock(snapshotLock);
        for (std::string& name : snapshot.NamesIn(folder))
            if (!present.contains(name)) candidates.push_back(std::move(name));
    }
    const auto gone = [&](const std::string& name) {
        const platform::PathState state = platform::ProbePath(FileSnapshot::PathOf(folder, name));
        return state == platform::PathState::Missing || state == platform::PathState::NotAFile;
    };
    std::vector<std::string> vanished;
    for (const std::string& name : candidates) {
        if (checkerStop.IsSet()) return false;
        if (gone(name)) vanished.push_back(name);
    }
    if (vanished.empty()) return true;
    // Looked at after the files: an unmount while they were probed shows here.
    if (RootLost()) return false;
    std::lock_guard lock(snapshotLock);
    for (const std::string& name : vanished) {
        ChangeMessage message;
        // Again under the lock: a watcher may have found the file made again meanwhile.
        if (gone(name) && snapshot.Forget(folder, name, &message)) Queue({Kind::Deleted, std::move(message), {}, false});
    }
    return true;
}

void KolChangeNotifier::Run::RunChecker() {
    auto changed = std::make_shared<platform::Event>(platform::Event::Mode::AutoReset);
    // The whole tree, whatever the sub-folder flag: a deletion anywhere must be noticed.
    platform::SignalId id = 0;
    const platform::SignalKind kind = signals ? signals->Add(root, true, changed, &id) : platform::SignalKind::Blind;
    rootSignal = id;
    const std::uint32_t timeout = kind == platform::SignalKind::Watched ? platform::kInfinite : RescanMilliseconds();
    CheckDeletions();
    while (platform::Event::WaitForAny(checkerStop, *changed, timeout) != platform::WaitResult::First) CheckDeletions();
}

void KolChangeNotifier::Run::StopThreads() {
    checkerStop.Set();
    {
        std::lock_guard lock(watcherLock);
        stopping = true;
        for (const auto& [path, watcher] : watchers) watcher->RequestStop();
    }
    if (checker.joinable()) checker.join();
    // Joined outside the lock: a watcher may be waiting for it to add a watcher.
    for (const auto& [path, watcher] : watchers) watcher->Join();
    watchers.clear();
    retired.clear();
    signals.reset();
}

KolChangeNotifier::KolChangeNotifier(platform::Dispatcher& dispatcher, Options options)
    : dispatcher_(dispatcher), options_(std::move(options)) {}

KolChangeNotifier::~KolChangeNotifier() {
    *alive_ = false;
    // A handler called from a destructor would see a notifier half gone; owners that want the
    // changes still on their way call Stop first.
    if (!run_) return;
    run_->live = false;
    run_->StopThreads();
}

void KolChangeNotifier::Start() {
    if (run_) return;
    const std::optional<platform::FolderIdentity> identity = platform::IdentifyFolder(path_);
    if (!identity) throw NotifierStartError(kScanningDirectoryMissing);
    auto run = std::make_shared<Run>(*this, dispatcher_, options_);
    run->root = path_;
    run->rootIdentity = *identity;
    run->subtree = watchSubtree_;
    run->maxWatchers = maxWatchers_;
    // A mask that does not compile matches nothing, as a listing pattern the OS rejects would.
    for (const std::string& mask : masks_) {
        try {
            run->masks.emplace_back(mask);
        } catch (const EMaskException&) {
        }
    }
    if (!options_.rescanOnly) {
        run->signals = platform::FolderSignalSet::Open();
        if (!run->signals)
            run->TellTrouble(run->watchTroubleTold,
                             "No change signals can be had for " + path_ +
                                 " (the system's limit is reached): it is looked at every " +
                                 std::to_string(options_.rescanInterval.count() / 1000) + " s instead",
                             false);
    }
    try {
        if (!run->AddWatcher(path_, 0))
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        run->checker = run->StartThread([raw = run.get()] { raw->RunChecker(); });
    } catch (const std::system_error&) {
        run->live = false;
        run->StopThreads();
        throw NotifierStartError(kNoThreadForTheRoot);
    }
    run_ = std::move(run);
}

void KolChangeNotifier::Stop() {
    if (!run_) return;
    const std::shared_ptr<Run> run = std::move(run_);
    run->live = false;
    run->StopThreads();
    // Handed on rather than dropped: nothing rescans the folder after Stop, and a start's first
    // scans record silently, so a change dropped here would leave the backup stale. A Stop from
    // inside a handler ends delivery where it stands.
    if (delivering_ || !dispatcher_.IsOwningThread()) return;
    std::vector<Outgoing> items;
    {
        std::lock_guard lock(run->outboxLock);
        items.swap(run->outbox);
    }
    std::vector<SnapshotChange> kinds;
    const std::vector<ChangeMessage> settling = run->snapshot.TakeSettling(&kinds);
    for (std::size_t i = 0; i < settling.size(); ++i)
        items.push_back({kinds[i] == SnapshotChange::Added ? Kind::Added : Kind::Modified, settling[i], {}, false});
    const std::shared_ptr<bool> alive = alive_;
    for (const Outgoing& item : items) {
        // A lost root is moot once stopped, and its handler would restart what is stopping.
        if (item.kind == Kind::Trouble) continue;
        Deliver(item);
        if (!*alive || run_) return;  // destroyed or started again by a handler
    }
}

void KolChangeNotifier::DeliverQueued(Run& run) {
    std::vector<Outgoing> items;
    {
        std::lock_guard lock(run.outboxLock);
        items.swap(run.outbox);
        run.handOverPosted = false;
    }
    const std::shared_ptr<bool> alive = alive_;
    for (const Outgoing& item : items) {
        Deliver(item);
        if (!*alive || !run.live) return;  // destroyed or stopped by a handler
    }
}

void KolChangeNotifier::Deliver(const Outgoing& item) {
    const bool outer = !delivering_;
    const std::shared_ptr<bool> alive = alive_;
    delivering_ = true;
    // Copies: a handler that destroys the notifier must not destroy the very function that is running.
    if (item.kind == Kind::Trouble) {
        const TroubleCallback handler = onTrouble_;
        if (handler) handler(*this, item.trouble, item.stopped);
    } else {
        const Callback handler = item.kind == Kind::Added      ? onAdded_
                                 : item.kind == Kind::Modified ? onModified_
                                                               : onDeleted_;
        if (handler) handler(*this, item.message);
    }
    if (outer && *alive) delivering_ = false;
}

bool KolChangeNotifier::Settled() const { return run_ && run_->firstScansPending == 0; }

std::vector<std::string> KolChangeNotifier::WatchedFolders() const {
    std::vector<std::string> folders;
    if (!run_) return folders;
    std::lock_guard lock(run_->watcherLock);
    for (const auto& [path, watcher] : run_->watchers) folders.push_back(path);
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
