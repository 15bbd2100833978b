// File watches share one inotify instance: watches of the same file each get its events, a
// cancelled watch gets none, and an unlinked open file counts as deleted.
#include "platform/FileWatch.hpp"

#include "tests/support/TemporaryFolder.hpp"

#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using tavrel::platform::FileWatch;
using tavrel::testing::TemporaryFolder;
using tavrel::testing::writeFile;

namespace {

// The events one watch has received, with a way to wait for a given count.
class Events {
public:
    FileWatch::Handler handler() {
        return [this](FileWatch::Event event) {
            const std::lock_guard lock(mutex_);
            events_.push_back(event);
            changed_.notify_all();
        };
    }

    std::vector<FileWatch::Event> waitFor(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(10), [&] { return events_.size() >= count; });
        return events_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<FileWatch::Event> events_;
};

class OpenFile {
public:
    explicit OpenFile(const fs::path& path) : descriptor_(::open(path.c_str(), O_RDONLY)) {}
    ~OpenFile() { ::close(descriptor_); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    [[nodiscard]] int get() const noexcept { return descriptor_; }

private:
    int descriptor_;
};

using Event = FileWatch::Event;

// Events reach handlers in order on one thread: once an event of a marker file made afterwards
// has arrived, every event of earlier changes has arrived too.
void waitForEarlierEvents(const fs::path& folder) {
    const fs::path path = folder / "marker.log";
    writeFile(path, "m");
    const OpenFile marker(path);
    Events events;
    auto watch = FileWatch::start(marker.get(), events.handler());
    ASSERT_TRUE(watch);
    fs::remove(path);
    ASSERT_EQ(events.waitFor(1), std::vector{Event::deleted});
}

TEST(FileWatchTest, WatchesOfOneFileEachGetItsEventsUntilCancelled) {
    const TemporaryFolder folder;
    writeFile(folder.path() / "a.log", "a");
    const OpenFile first(folder.path() / "a.log");
    const OpenFile second(folder.path() / "a.log");
    Events firstEvents;
    Events secondEvents;
    auto firstWatch = FileWatch::start(first.get(), firstEvents.handler());
    auto secondWatch = FileWatch::start(second.get(), secondEvents.handler());
    ASSERT_TRUE(firstWatch && secondWatch);

    fs::rename(folder.path() / "a.log", folder.path() / "b.log");
    EXPECT_EQ(firstEvents.waitFor(1), std::vector{Event::moved});
    EXPECT_EQ(secondEvents.waitFor(1), std::vector{Event::moved});

    // The first watch's cancel must not end the other watch of the same inode.
    firstWatch->cancel();
    fs::rename(folder.path() / "b.log", folder.path() / "c.log");
    EXPECT_EQ(secondEvents.waitFor(2), (std::vector{Event::moved, Event::moved}));

    secondWatch.reset();
    fs::remove(folder.path() / "c.log");
    waitForEarlierEvents(folder.path());
    EXPECT_EQ(firstEvents.waitFor(1).size(), 1U);
    EXPECT_EQ(secondEvents.waitFor(2).size(), 2U);
}

TEST(FileWatchTest, UnlinkingAnOpenFileIsDeletionAndOtherAttributeChangesAreNot) {
    const TemporaryFolder folder;
    const fs::path path = folder.path() / "open.log";
    writeFile(path, "x");
    const OpenFile file(path);
    Events events;
    auto watch = FileWatch::start(file.get(), events.handler());
    ASSERT_TRUE(watch);

    fs::permissions(path, fs::perms::owner_read);
    fs::remove(path);
    waitForEarlierEvents(folder.path());
    EXPECT_EQ(events.waitFor(1), std::vector{Event::deleted});
}

TEST(FileWatchTest, AFileThatCannotBeWatchedGivesTheErrorNumber) {
    int error = 0;
    EXPECT_EQ(FileWatch::start(
                  -1, [](Event) {}, &error),
              nullptr);
    EXPECT_EQ(error, EBADF);
}

} // namespace
