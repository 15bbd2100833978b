// File watches share one inotify instance: watches of the same file each get its events, a
// cancelled watch gets none, and an unlinked open file counts as deleted.
#include "platform/FileWatch.hpp"

#include "tests/support/TemporaryFolder.hpp"

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

namespace fs = std::filesystem;
using tavrel::platform::File;
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

File open(const fs::path& path) {
    return File::openForAppending(path.string()).value();
}

using Event = FileWatch::Event;

// Events reach handlers in order on one thread: once an event of a marker file made afterwards
// has arrived, every event of earlier changes has arrived too.
void waitForEarlierEvents(const fs::path& folder) {
    const fs::path path = folder / "marker.log";
    writeFile(path, "m");
    const File marker = open(path);
    Events events;
    auto watch = FileWatch::start(marker, events.handler());
    ASSERT_TRUE(watch.ok());
    fs::remove(path);
    ASSERT_EQ(events.waitFor(1), std::vector{Event::deleted});
}

TEST(FileWatchTest, WatchesOfOneFileEachGetItsEventsUntilCancelled) {
    const TemporaryFolder folder;
    writeFile(folder.path() / "a.log", "a");
    const File first = open(folder.path() / "a.log");
    const File second = open(folder.path() / "a.log");
    Events firstEvents;
    Events secondEvents;
    auto firstWatch = FileWatch::start(first, firstEvents.handler()).value();
    auto secondWatch = FileWatch::start(second, secondEvents.handler()).value();

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
    const File file = open(path);
    Events events;
    auto watch = FileWatch::start(file, events.handler());
    ASSERT_TRUE(watch.ok());

    fs::permissions(path, fs::perms::owner_read);
    fs::remove(path);
    waitForEarlierEvents(folder.path());
    EXPECT_EQ(events.waitFor(1), std::vector{Event::deleted});
}

} // namespace
